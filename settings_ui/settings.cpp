#include "settings.h"

#include "error_report.h"
#include "hover_link_label.h"
#include "language_list.h"
#include "lifecycle_log.h"
#include "paths.h"
#include "settings/read_group.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include <utility>

TSettingsForm* SettingsForm = nullptr;

namespace settings = qv::settings;
namespace fallback = qv::settings::fallback;

namespace {

constexpr QSize kDesignSize(327, 332);

template <typename Control>
Control* named(Control* control, const char* name) {
  control->setObjectName(QLatin1String(name));
  return control;
}

template <typename Control>
Control* makeControl(QWidget* parent, const char* name) {
  return named(new Control(parent), name);
}

QSpinBox* spinField(QWidget* parent, const char* name, int width, int minimum, int maximum, int step, int initial) {
  auto* spin = makeControl<QSpinBox>(parent, name);
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
  spin->setValue(initial);
  spin->setMinimumWidth(width);
  return spin;
}

// The window's font where the system has it; otherwise the closest sans font it has.
QFont windowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

bool askUpdateQuestion(QWidget* parent, const QString& message, bool offersDownload) {
  QMessageBox box(QMessageBox::Information, QString(), message,
                  offersDownload ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

TSettingsForm::TSettingsForm(settings::SettingsBackend& backend, SettingsWindowHost& host)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(backend),
      m_host(host),
      m_updateCheck(new qv::update::UpdateCheck(this)),
      m_updateHost(qv::update::productHost()),
      m_updateQuestion([this](const QString& message, bool offersDownload) {
        return askUpdateQuestion(this, message, offersDownload);
      }) {
  setObjectName(QStringLiteral("SettingsForm"));
  setFont(windowFont());
  createControls();
  arrangeControls();
  fitToTexts();
}

void TSettingsForm::createControls() {
  lLang = makeControl<QLabel>(this, "lLang");
  LangBox = makeControl<QComboBox>(this, "LangBox");
  LangBox->setMinimumWidth(145);
  LangBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  ProxyLabel = makeControl<QLabel>(this, "ProxyLabel");
  ProxyServerEdit = makeControl<QLineEdit>(this, "ProxyServerEdit");
  ProxyServerEdit->setPlaceholderText(QStringLiteral("(user:pass@)server:port"));
  HotkeysCheckBox = makeControl<QCheckBox>(this, "HotkeysCheckBox");
  HotkeysCheckBox->setChecked(true);
  TrayCheckBox = makeControl<QCheckBox>(this, "TrayCheckBox");
  MouseStepLabel = makeControl<QLabel>(this, "MouseStepLabel");
  MouseStepSpin = spinField(this, "MouseStepSpin", 49, 1, 50, 5, fallback::MouseStep);
  InvertMouseCheckBox = makeControl<QCheckBox>(this, "InvertMouseCheckBox");
  KeyStepLabel = makeControl<QLabel>(this, "KeyStepLabel");
  KeyStepSpin = spinField(this, "KeyStepSpin", 49, 1, 50, 5, fallback::KeyboardStep);
  BufferLabel = makeControl<QLabel>(this, "BufferLabel");
  // Its range allows two digits at most, and the field takes nothing but digits: it always holds a
  // whole number of tenths of a second to hand on at closing.
  bufferSE = spinField(this, "bufferSE", 37, 0, 60, 1, 5);
  cbPlayOnStart = makeControl<QCheckBox>(this, "cbPlayOnStart");
  LoopStationCheckBox = makeControl<QCheckBox>(this, "LoopStationCheckBox");
  lDiscr = makeControl<QLabel>(this, "lDiscr");
  cbDiscr = makeControl<QComboBox>(this, "cbDiscr");
  cbDiscr->setMinimumWidth(145);
  cbDiscr->addItems({QStringLiteral("44100"), QStringLiteral("48000"), QStringLiteral("96000")});
  WinnotifyCB = makeControl<QCheckBox>(this, "WinnotifyCB");
  UpdateLabel = makeControl<qv::settings_ui::HoverLinkLabel>(this, "UpdateLabel");
  UpdateLabel->hide();
  CloseButton = makeControl<QPushButton>(this, "CloseButton");
  CloseButton->setMinimumSize(75, 25);
  LinkLabel = makeControl<qv::settings_ui::HoverLinkLabel>(this, "LinkLabel");
  LinkLabel->setText(m_updateHost);
  LinkLabel->setVisible(!m_updateHost.isEmpty());
  QPalette grey = LinkLabel->palette();
  grey.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  LinkLabel->setPalette(grey);

  setTabOrder(CloseButton, InvertMouseCheckBox);
  setTabOrder(InvertMouseCheckBox, KeyStepSpin);
  setTabOrder(KeyStepSpin, WinnotifyCB);
  setTabOrder(WinnotifyCB, LangBox);
  setTabOrder(LangBox, MouseStepSpin);
  setTabOrder(MouseStepSpin, ProxyServerEdit);
  setTabOrder(ProxyServerEdit, bufferSE);
  setTabOrder(bufferSE, HotkeysCheckBox);
  setTabOrder(HotkeysCheckBox, LoopStationCheckBox);
  setTabOrder(LoopStationCheckBox, TrayCheckBox);
  setTabOrder(TrayCheckBox, cbPlayOnStart);
  setTabOrder(cbPlayOnStart, cbDiscr);

  // Connected after the initial state, so only real changes (by the user or by the settings read)
  // register or unregister the keys.
  connect(HotkeysCheckBox, &QCheckBox::toggled, this, [this] { HotkeysCheckBoxClick(); });
  // Only a pick by the user switches the language; selecting the stored one at start-up does not.
  connect(LangBox, &QComboBox::activated, this, [this] { LangBoxChange(); });
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
  connect(UpdateLabel, &qv::settings_ui::HoverLinkLabel::clicked, this, &TSettingsForm::UpdateLabelClick);
  connect(LinkLabel, &qv::settings_ui::HoverLinkLabel::clicked, this, &TSettingsForm::LinkLabelClick);
  connect(m_updateCheck, &qv::update::UpdateCheck::offered, this, &TSettingsForm::showUpdateOffer);
}

// Two columns of rows as the window was drawn: labels and their fields on the left, check boxes and
// the buffer field on the right, the update notice and the product link at the bottom. The columns
// take the width of their longest text, so no language and no font cuts a caption.
void TSettingsForm::arrangeControls() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 18, 22, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(8);
  grid->addWidget(lLang, 0, 0);
  grid->addWidget(LangBox, 0, 3, 1, 2);
  grid->addWidget(ProxyLabel, 1, 0);
  grid->addWidget(ProxyServerEdit, 1, 1, 1, 4);
  grid->setRowMinimumHeight(2, 8);
  grid->addWidget(HotkeysCheckBox, 3, 0, 1, 2);
  grid->addWidget(TrayCheckBox, 3, 3, 1, 2);
  grid->addWidget(MouseStepLabel, 4, 0);
  grid->addWidget(MouseStepSpin, 4, 1);
  grid->addWidget(InvertMouseCheckBox, 4, 3, 1, 2);
  grid->addWidget(KeyStepLabel, 5, 0);
  grid->addWidget(KeyStepSpin, 5, 1);
  grid->addWidget(BufferLabel, 5, 3);
  grid->addWidget(bufferSE, 5, 4, Qt::AlignRight);
  grid->addWidget(cbPlayOnStart, 6, 0, 1, 2);
  grid->addWidget(LoopStationCheckBox, 6, 3, 1, 2);
  grid->addWidget(lDiscr, 7, 0);
  grid->addWidget(cbDiscr, 7, 1, 1, 3, Qt::AlignLeft);
  grid->addWidget(WinnotifyCB, 8, 0, 1, 5);
  grid->addWidget(UpdateLabel, 9, 0, 1, 5);
  grid->setRowStretch(10, 1);
  grid->addWidget(LinkLabel, 11, 0, 1, 3, Qt::AlignLeft | Qt::AlignBottom);
  grid->addWidget(CloseButton, 11, 3, 1, 2, Qt::AlignRight);
  grid->setColumnMinimumWidth(0, 102);
  grid->setColumnStretch(2, 1);
  // The notice appears later; its row is kept, so the window does not jump when it does.
  QSizePolicy keepRow = UpdateLabel->sizePolicy();
  keepRow.setRetainSizeWhenHidden(true);
  UpdateLabel->setSizePolicy(keepRow);
  keepRow = LinkLabel->sizePolicy();
  keepRow.setRetainSizeWhenHidden(true);
  LinkLabel->setSizePolicy(keepRow);
}

// A fixed tool window, at least as large as it was drawn and as large as its texts need.
void TSettingsForm::fitToTexts() {
  layout()->activate();
  setFixedSize(layout()->sizeHint().expandedTo(kDesignSize));
}

void TSettingsForm::FormCreate() {
  qv::logStage("settings 1 language list");
  LangBox->addItems(qv::i18n::languageNames(qv::paths::LanguagesFolder()));
  LangBox->setCurrentIndex(-1);

  qv::logStage("settings 2 read settings");
  settings::SettingsKey key(m_settings);
  if (key.isOpen()) {
    readSettings(key);
    key.close();
    qv::logStage("settings 2 texts");
    Localizate();
    if (cbPlayOnStart->isChecked()) {
      qv::logStage("settings 2 play on start");
      m_host.Play();
    }
  } else {
    qCInfo(lcLifecycle) << "settings 2 skipped: the settings key cannot be opened";
  }

  qv::logStage("settings 3 waiting events");
  QCoreApplication::processEvents();

  // The answer comes later, on this thread; start-up does not wait for it.
  qv::logStage("settings 4 update check");
  m_updateCheck->start(m_updateHost, m_updateOptions);
}

void TSettingsForm::readSettings(const settings::SettingsKey& key) {
  using settings::readAndApply;
  settings::readGroup("S1",
                      {readAndApply(key, settings::SFTop,
                                    [this](int top) {
                                      move(x(), top);
                                      m_centreOnFirstShow = false;
                                    }),
                       readAndApply(key, settings::SFLeft, [this](int left) { move(left, y()); })},
                      [this] { m_centreOnFirstShow = true; });

  settings::readGroup(
      "S2",
      {readAndApply(key, settings::MouseStep, [this](int step) { MouseStepSpin->setValue(step); }),
       readAndApply(key, settings::KeyboardStep, [this](int step) { KeyStepSpin->setValue(step); }),
       readAndApply(key, settings::InvertMouse, [this](bool on) { InvertMouseCheckBox->setChecked(on); }),
       readAndApply(key, settings::LoopStations, [this](bool on) { LoopStationCheckBox->setChecked(on); }),
       readAndApply(key, settings::HideToTray, [this](bool on) { TrayCheckBox->setChecked(on); }),
       readAndApply(key, settings::GetMediaKey, [this](bool on) { HotkeysCheckBox->setChecked(on); }),
       readAndApply(key, settings::Discreditation,
                    [this](int rate) { cbDiscr->setCurrentIndex(cbDiscr->findText(QString::number(rate))); })},
      // The tray box keeps what it had: read just before, or its initial unchecked state.
      [this] {
        MouseStepSpin->setValue(fallback::MouseStep);
        KeyStepSpin->setValue(fallback::KeyboardStep);
        InvertMouseCheckBox->setChecked(fallback::InvertMouse);
        LoopStationCheckBox->setChecked(fallback::LoopStations);
        HotkeysCheckBox->setChecked(fallback::GetMediaKey);
        cbDiscr->setCurrentIndex(0);
      });

  // True checks the box; false leaves it as it is; a failed read unchecks it.
  settings::readGroup("S3",
                      {readAndApply(key, settings::ShowNotify,
                                    [this](bool on) {
                                      if (on) {
                                        WinnotifyCB->setChecked(true);
                                      }
                                    })},
                      [this] { WinnotifyCB->setChecked(fallback::ShowNotify); });

  // The entry equal to the stored name is selected; no match changes nothing.
  settings::readGroup("S4",
                      {readAndApply(key, settings::Language,
                                    [this](const QString& name) {
                                      const int index =
                                          LangBox->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
                                      if (index >= 0) {
                                        LangBox->setCurrentIndex(index);
                                      }
                                    })},
                      [this] {
                        if (LangBox->count() > 0) {
                          LangBox->setCurrentIndex(0);
                        }
                      });

  settings::readGroup("S5",
                      {readAndApply(key, settings::PlayOnStart, [this](bool on) { cbPlayOnStart->setChecked(on); })},
                      [this] { cbPlayOnStart->setChecked(fallback::PlayOnStart); });
}

void TSettingsForm::Localizate() {
  const qv::i18n::MainFormTexts& texts = m_host.mainFormTexts();
  setWindowTitle(texts.l_setform);
  lLang->setText(texts.l_setlang);
  ProxyLabel->setText(texts.l_setproxy);
  HotkeysCheckBox->setText(texts.l_sethotkeys);
  TrayCheckBox->setText(texts.l_settray);
  MouseStepLabel->setText(texts.l_setmouse);
  KeyStepLabel->setText(texts.l_setkey);
  InvertMouseCheckBox->setText(texts.l_setinvert);
  BufferLabel->setText(texts.l_setbuff);
  cbPlayOnStart->setText(texts.l_setplay);
  lDiscr->setText(texts.l_discr);
  LoopStationCheckBox->setText(texts.l_setloop);
  WinnotifyCB->setText(texts.l_setnotify);
  CloseButton->setText(texts.l_setclose);
  UpdateLabel->setText(texts.l_setupdate);
  fitToTexts();
}

void TSettingsForm::LangBoxChange() {
  if (LangBox->currentIndex() < 0) {
    return;
  }
  m_host.Localizate(qv::paths::languageFile(LangBox->currentText()));
  Localizate();
}

void TSettingsForm::FormClose() {
  m_host.SetBufferSize(bufferSE->value() * 100);
}

void TSettingsForm::setUpdateQuestion(UpdateQuestion question) {
  m_updateQuestion = std::move(question);
}

void TSettingsForm::setUpdateSource(const QString& host, const qv::update::HttpsGetOptions& options) {
  m_updateHost = host;
  m_updateOptions = options;
}

void TSettingsForm::showUpdateOffer(const qv::update::UpdateOffer& offer) {
  UpdateLabel->show();
  LastVersion = offer.LastVersion;
  whatnew = offer.whatnew;
  lnk = offer.lnk;
}

// A link that is not https is never opened: the notice then only informs.
void TSettingsForm::UpdateLabelClick() {
  const qv::i18n::MainFormTexts& texts = m_host.mainFormTexts();
  const QUrl link = qv::update::downloadLink(lnk);
  QString message = qv::l_newversion + QStringLiteral(": ") + LastVersion + QStringLiteral("\r\n") + texts.l_setcurver +
                    QStringLiteral(": ") + qv::update::ProgramVersion() + QStringLiteral("\r\n") + qv::l_whatsnew +
                    QStringLiteral(": ") + whatnew;
  if (!link.isEmpty()) {
    message += QStringLiteral("\r\n") + qv::l_download;
  }
  if (m_updateQuestion && m_updateQuestion(message, !link.isEmpty()) && !link.isEmpty()) {
    m_host.openUrl(link);
  }
}

void TSettingsForm::LinkLabelClick() {
  if (!m_updateHost.isEmpty()) {
    m_host.openUrl(qv::update::productPageUrl(m_updateHost));
  }
}

void TSettingsForm::HotkeysCheckBoxClick() {
  if (HotkeysCheckBox->isChecked()) {
    m_host.registerMediaKeys();
  } else {
    m_host.unregisterMediaKeys();
  }
}

void TSettingsForm::showEvent(QShowEvent* event) {
  if (std::exchange(m_centreOnFirstShow, false)) {
    QRect bounds = frameGeometry();
    bounds.moveCenter(m_host.mainWindowFrame().center());
    move(bounds.topLeft());
  }
  QWidget::showEvent(event);
}

void TSettingsForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Another font (by the desktop or the user) needs other widths: fit again. The layout is made in
  // the constructor, so the first font change, before it exists, has nothing to fit.
  if (event->type() == QEvent::FontChange && layout()) {
    fitToTexts();
  }
}

void TSettingsForm::closeEvent(QCloseEvent* event) {
  FormClose();
  QWidget::closeEvent(event);
}

void TSettingsForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

// Written at the end of the program, after the main window's values. A language or rate entry that
// is not selected leaves its stored value as it was rather than writing an empty or wrong one.
void TSettingsForm::writeSettings() {
  settings::SettingsKey key(m_settings);
  if (!key.isOpen()) {
    return;
  }
  key.write(settings::MouseStep, MouseStepSpin->value());
  key.write(settings::KeyboardStep, KeyStepSpin->value());
  key.write(settings::InvertMouse, InvertMouseCheckBox->isChecked());
  key.write(settings::LoopStations, LoopStationCheckBox->isChecked());
  if (LangBox->currentIndex() >= 0) {
    key.write(settings::Language, LangBox->currentText());
  }
  key.write(settings::HideToTray, TrayCheckBox->isChecked());
  key.write(settings::GetMediaKey, HotkeysCheckBox->isChecked());
  key.write(settings::ShowNotify, WinnotifyCB->isChecked());
  if (cbDiscr->currentIndex() >= 0) {
    key.write(settings::Discreditation, cbDiscr->currentText().toInt());
  }
  key.write(settings::SFTop, y());
  key.write(settings::SFLeft, x());
  key.write(settings::PlayOnStart, cbPlayOnStart->isChecked());
}

TSettingsForm::~TSettingsForm() {
  qv::runGuarded([this] { writeSettings(); });
}
