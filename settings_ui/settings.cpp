#include "settings.h"

#include "error_report.h"
#include "hover_link_label.h"
#include "language_list.h"
#include "lifecycle_log.h"
#include "listening_texts.h"
#include "paths.h"

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
#include <QSignalBlocker>
#include <QSpinBox>

#include <utility>

TSettingsForm* SettingsForm = nullptr;

namespace settings = qv::settings;

namespace {

constexpr QSize kDesignSize(327, 332);
const QString kBuiltInLanguage = QStringLiteral("English");

template <typename Control>
Control* makeControl(QWidget* parent, const char* name) {
  auto* control = new Control(parent);
  control->setObjectName(QLatin1String(name));
  return control;
}

QSpinBox* spinField(QWidget* parent, const char* name, int width, int minimum, int maximum, int step) {
  auto* spin = makeControl<QSpinBox>(parent, name);
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
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
  box.setTextFormat(Qt::PlainText);  // the notes come from the network: never markup
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

TSettingsForm::TSettingsForm(settings::SettingsBackend& backend, settings::SettingsModel& model,
                             SettingsWindowHost& host)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(backend),
      m_model(model),
      m_host(host),
      m_updateCheck(new qv::update::UpdateCheck(this)),
      m_updateHost(qv::update::productHost()),
      m_updateQuestion([this](const QString& message, bool offersDownload) {
        return askUpdateQuestion(this, message, offersDownload);
      }) {
  setObjectName(QStringLiteral("SettingsForm"));
  setFont(windowFont());
  createControls();
  bindControls();
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
  TrayCheckBox = makeControl<QCheckBox>(this, "TrayCheckBox");
  MouseStepLabel = makeControl<QLabel>(this, "MouseStepLabel");
  MouseStepSpin = spinField(this, "MouseStepSpin", 49, 1, 50, 5);
  InvertMouseCheckBox = makeControl<QCheckBox>(this, "InvertMouseCheckBox");
  KeyStepLabel = makeControl<QLabel>(this, "KeyStepLabel");
  KeyStepSpin = spinField(this, "KeyStepSpin", 49, 1, 50, 5);
  BufferLabel = makeControl<QLabel>(this, "BufferLabel");
  // Its range allows two digits at most, and the field takes nothing but digits: it always holds a
  // whole number of tenths of a second to hand on at closing.
  bufferSE = spinField(this, "bufferSE", 37, 0, 60, 1);
  cbPlayOnStart = makeControl<QCheckBox>(this, "cbPlayOnStart");
  LoopStationCheckBox = makeControl<QCheckBox>(this, "LoopStationCheckBox");
  lDiscr = makeControl<QLabel>(this, "lDiscr");
  cbDiscr = makeControl<QComboBox>(this, "cbDiscr");
  cbDiscr->setMinimumWidth(145);
  // Each entry holds its rate; "Automatic" (the device's own rate) holds 0 and is named by Localizate.
  cbDiscr->addItem(qv::l_rateautomatic, 0);
  for (const int rate : {44100, 48000, 96000}) {
    cbDiscr->addItem(QString::number(rate), rate);
  }
  OutputDeviceLabel = makeControl<QLabel>(this, "OutputDeviceLabel");
  OutputDeviceBox = makeControl<QComboBox>(this, "OutputDeviceBox");
  OutputDeviceBox->setMinimumWidth(145);
  OutputDeviceBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  OutputDeviceBox->addItem(qv::l_setdevicedefault, QString());
  WinnotifyCB = makeControl<QCheckBox>(this, "WinnotifyCB");
  ReconnectCheckBox = makeControl<QCheckBox>(this, "ReconnectCheckBox");
  LevellingCheckBox = makeControl<QCheckBox>(this, "LevellingCheckBox");
  LevellingTargetLabel = makeControl<QLabel>(this, "LevellingTargetLabel");
  LevellingTargetSpin = spinField(this, "LevellingTargetSpin", 49, -30, -5, 1);
  CrossfadeCheckBox = makeControl<QCheckBox>(this, "CrossfadeCheckBox");
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
  setTabOrder(cbDiscr, OutputDeviceBox);
  setTabOrder(OutputDeviceBox, ReconnectCheckBox);
  setTabOrder(ReconnectCheckBox, LevellingCheckBox);
  setTabOrder(LevellingCheckBox, LevellingTargetSpin);
  setTabOrder(LevellingTargetSpin, CrossfadeCheckBox);

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
  grid->addWidget(OutputDeviceLabel, 8, 0);
  grid->addWidget(OutputDeviceBox, 8, 1, 1, 4, Qt::AlignLeft);
  grid->addWidget(WinnotifyCB, 9, 0, 1, 5);
  grid->addWidget(ReconnectCheckBox, 10, 0, 1, 5);
  grid->addWidget(LevellingCheckBox, 11, 0, 1, 3);
  grid->addWidget(LevellingTargetLabel, 11, 3);
  grid->addWidget(LevellingTargetSpin, 11, 4, Qt::AlignRight);
  grid->addWidget(CrossfadeCheckBox, 12, 0, 1, 5);
  grid->addWidget(UpdateLabel, 13, 0, 1, 5);
  grid->setRowStretch(14, 1);
  grid->addWidget(LinkLabel, 15, 0, 1, 3, Qt::AlignLeft | Qt::AlignBottom);
  grid->addWidget(CloseButton, 15, 3, 1, 2, Qt::AlignRight);
  grid->setColumnMinimumWidth(0, 102);
  grid->setColumnStretch(2, 1);
  // The notice appears later; its row is kept, so the window does not jump when it does.
  for (QWidget* label : {static_cast<QWidget*>(UpdateLabel), static_cast<QWidget*>(LinkLabel)}) {
    QSizePolicy keepRow = label->sizePolicy();
    keepRow.setRetainSizeWhenHidden(true);
    label->setSizePolicy(keepRow);
  }
}

// A fixed tool window, at least as large as it was drawn and as large as its texts need.
void TSettingsForm::fitToTexts() {
  layout()->activate();
  setFixedSize(layout()->sizeHint().expandedTo(kDesignSize));
}

// Each control shows its value of the model and writes every change back; the model announces
// only real changes, so the two never chase each other.
void TSettingsForm::bindControls() {
  const auto bindSpin = [this](QSpinBox* spin, settings::Setting<std::int32_t> setting) {
    spin->setValue(m_model.value(setting));
    m_model.onChange(setting, spin, [spin](int value) { spin->setValue(value); });
    connect(spin, &QSpinBox::valueChanged, this, [this, setting](int value) { m_model.set(setting, value); });
  };
  const auto bindBox = [this](QCheckBox* box, settings::Setting<bool> setting) {
    box->setChecked(m_model.value(setting));
    m_model.onChange(setting, box, [box](bool on) { box->setChecked(on); });
    connect(box, &QCheckBox::toggled, this, [this, setting](bool on) { m_model.set(setting, on); });
  };
  bindSpin(MouseStepSpin, settings::MouseStep);
  bindSpin(KeyStepSpin, settings::KeyboardStep);
  bindSpin(bufferSE, settings::BufferLength);
  bindSpin(LevellingTargetSpin, settings::LevellingTarget);
  bindBox(InvertMouseCheckBox, settings::InvertMouse);
  bindBox(LoopStationCheckBox, settings::LoopStations);
  bindBox(TrayCheckBox, settings::HideToTray);
  bindBox(HotkeysCheckBox, settings::GetMediaKey);
  bindBox(WinnotifyCB, settings::ShowNotify);
  bindBox(cbPlayOnStart, settings::PlayOnStart);
  bindBox(ReconnectCheckBox, settings::Reconnect);
  bindBox(LevellingCheckBox, settings::Levelling);
  bindBox(CrossfadeCheckBox, settings::Crossfade);
  LevellingTargetSpin->setEnabled(m_model.value(settings::Levelling));
  connect(LevellingCheckBox, &QCheckBox::toggled, LevellingTargetSpin, &QWidget::setEnabled);

  ProxyServerEdit->setText(m_model.value(settings::ProxyServer));
  m_model.onChange(settings::ProxyServer, ProxyServerEdit, [this](const QString& proxy) {
    if (ProxyServerEdit->text() != proxy) {
      ProxyServerEdit->setText(proxy);
    }
  });
  connect(ProxyServerEdit, &QLineEdit::textChanged, this,
          [this](const QString& proxy) { m_model.set(settings::ProxyServer, proxy); });

  // A rate the list does not hold selects nothing; only a selected entry changes the rate.
  const auto showRate = [this](int rate) { cbDiscr->setCurrentIndex(cbDiscr->findData(rate)); };
  showRate(m_model.value(settings::Discreditation));
  m_model.onChange(settings::Discreditation, cbDiscr, showRate);
  connect(cbDiscr, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      m_model.set(settings::Discreditation, cbDiscr->itemData(index).toInt());
    }
  });
  // A stored device the system does not report now is listed after the others, so the choice
  // survives a day without the headset; the output plays on the default meanwhile.
  const auto showDevice = [this](const QString& name) {
    int index = OutputDeviceBox->findData(name);
    if (index < 0) {
      OutputDeviceBox->addItem(name, name);
      index = OutputDeviceBox->count() - 1;
    }
    OutputDeviceBox->setCurrentIndex(index);
  };
  showDevice(m_model.value(settings::OutputDevice));
  m_model.onChange(settings::OutputDevice, OutputDeviceBox, showDevice);
  connect(OutputDeviceBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      m_model.set(settings::OutputDevice, OutputDeviceBox->itemData(index).toString());
    }
  });
  connect(LangBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      m_model.set(settings::Language, LangBox->itemText(index));
    }
  });

  // Bound after the initial state, so only real changes (by the user or by the settings read)
  // register or unregister the keys.
  connect(HotkeysCheckBox, &QCheckBox::toggled, this, [this] { HotkeysCheckBoxClick(); });
}

void TSettingsForm::FormCreate() {
  qv::logStage("settings 1 language list");
  {
    // Filling the list selects nothing yet: the stored language is read below. English, the
    // built-in texts, is listed also without its file (picking it brings those texts back).
    const QSignalBlocker quiet(LangBox);
    QStringList names = qv::i18n::languageNames(qv::paths::LanguagesFolder());
    if (!names.contains(kBuiltInLanguage)) {
      names.append(kBuiltInLanguage);
      names.sort(Qt::CaseInsensitive);
    }
    LangBox->addItems(names);
    LangBox->setCurrentIndex(-1);
  }

  {
    // The devices as the system names them, after "System default"; the stored one is selected
    // as it is read.
    const QSignalBlocker quiet(OutputDeviceBox);
    const QString chosen = OutputDeviceBox->currentData().toString();
    while (OutputDeviceBox->count() > 1) {
      OutputDeviceBox->removeItem(1);
    }
    for (const QString& name : m_host.outputDevices()) {
      if (!name.isEmpty()) {
        OutputDeviceBox->addItem(name, name);
      }
    }
    const int index = OutputDeviceBox->findData(chosen);
    if (index >= 0) {
      OutputDeviceBox->setCurrentIndex(index);
    } else {
      OutputDeviceBox->addItem(chosen, chosen);
      OutputDeviceBox->setCurrentIndex(OutputDeviceBox->count() - 1);
    }
  }

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
  qv::HttpGetOptions updateRequest;
  updateRequest.proxy = m_model.value(settings::ProxyServer);
  m_updateCheck->start(m_updateHost, updateRequest);
}

void TSettingsForm::readSettings(settings::SettingsKey& key) {
  // Without a stored position the window opens centred over the main window.
  if (m_model.readGroup(key, "S1")) {
    move(m_model.value(settings::SFLeft), m_model.value(settings::SFTop));
    m_centreOnFirstShow = false;
  }
  // The controls follow the model as each value is read; the tray box keeps what it had when the
  // group falls back.
  m_model.readGroup(key, "S2");
  m_model.readGroup(key, "S3");

  // The entry equal to the stored name is selected. No name, or one without an entry, leaves the
  // windows in the built-in English: the list shows English then, and the stored name stays as it
  // is. An unreadable name selects the first entry.
  if (m_model.readGroup(key, "S4")) {
    const int index =
        LangBox->findText(m_model.value(settings::Language), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index >= 0) {
      LangBox->setCurrentIndex(index);
    } else {
      const QSignalBlocker keepStoredName(LangBox);
      LangBox->setCurrentIndex(LangBox->findText(kBuiltInLanguage, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    }
  } else if (LangBox->count() > 0) {
    LangBox->setCurrentIndex(0);
  }

  m_model.readGroup(key, "S5");
  m_model.readValue(key, settings::Reconnect);
  m_model.readValue(key, settings::HistoryKeepDays);
  m_model.readValue(key, settings::Levelling);
  m_model.readValue(key, settings::LevellingTarget);
  m_model.readValue(key, settings::Crossfade);
  m_model.readValue(key, settings::OutputDevice);
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
  cbDiscr->setItemText(0, qv::l_rateautomatic);
  LoopStationCheckBox->setText(texts.l_setloop);
  WinnotifyCB->setText(texts.l_setnotify);
  ReconnectCheckBox->setText(qv::l_setreconnect);
  LevellingCheckBox->setText(qv::l_setlevelling);
  LevellingTargetLabel->setText(qv::l_setlevellingtarget);
  CrossfadeCheckBox->setText(qv::l_setcrossfade);
  OutputDeviceLabel->setText(qv::l_setdevice);
  OutputDeviceBox->setItemText(0, qv::l_setdevicedefault);
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
  m_host.SetBufferSize(m_model.value(settings::BufferLength) * 100);
}

void TSettingsForm::setUpdateQuestion(UpdateQuestion question) {
  m_updateQuestion = std::move(question);
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

// Written at the end of the program, after the main window's values. A language that is not
// selected (or only shown: English for the built-in texts), or a rate the list does not hold, leaves its stored value
// as it was rather than writing an empty or wrong one.
void TSettingsForm::writeSettings() {
  settings::SettingsKey key(m_settings);
  if (!key.isOpen()) {
    return;
  }
  m_model.set(settings::SFTop, y());
  m_model.set(settings::SFLeft, x());
  std::vector<std::string_view> keepStored;
  if (LangBox->currentIndex() < 0 || LangBox->currentText() != m_model.value(settings::Language)) {
    keepStored.push_back(settings::Language.name);
  }
  if (cbDiscr->currentIndex() < 0) {
    keepStored.push_back(settings::Discreditation.name);
  }
  m_model.write(key, settings::Writer::SettingsWindowDestroy, keepStored);
  // The main window's close may have told this very failure already.
  if (!key.close()) {
    qv::showErrorsOnce({key.writeError()});
  }
}

TSettingsForm::~TSettingsForm() {
  qv::runGuarded([this] { writeSettings(); });
}
