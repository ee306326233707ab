#include "settings.h"

#include "error_report.h"
#include "language_list.h"
#include "lifecycle_log.h"
#include "paths.h"
#include "settings/read_group.h"
#include "update_check.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <utility>

TSettingsForm* SettingsForm = nullptr;

namespace settings = qv::settings;
namespace fallback = qv::settings::fallback;

namespace {

template <typename Control>
Control* place(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new Control(parent);
  control->setObjectName(QLatin1String(name));
  control->setGeometry(left, top, width, height);
  return control;
}

QSpinBox* spinField(QWidget* parent, const char* name, QRect bounds, int minimum, int maximum, int step, int initial) {
  auto* spin = place<QSpinBox>(parent, name, bounds.x(), bounds.y(), bounds.width(), bounds.height());
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
  spin->setValue(initial);
  return spin;
}

}  // namespace

TSettingsForm::TSettingsForm(settings::SettingsBackend& backend, SettingsWindowHost& host)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_settings(backend), m_host(host) {
  setObjectName(QStringLiteral("SettingsForm"));
  setFixedSize(327, 332);
  createControls();
}

void TSettingsForm::createControls() {
  lLang = place<QLabel>(this, "lLang", 8, 24, 25, 13);
  LangBox = place<QComboBox>(this, "LangBox", 156, 21, 145, 21);
  ProxyLabel = place<QLabel>(this, "ProxyLabel", 8, 50, 32, 13);
  ProxyServerEdit = place<QLineEdit>(this, "ProxyServerEdit", 58, 47, 243, 21);
  ProxyServerEdit->setPlaceholderText(QStringLiteral("(user:pass@)server:port"));
  HotkeysCheckBox = place<QCheckBox>(this, "HotkeysCheckBox", 8, 87, 118, 17);
  HotkeysCheckBox->setChecked(true);
  TrayCheckBox = place<QCheckBox>(this, "TrayCheckBox", 188, 87, 113, 17);
  MouseStepLabel = place<QLabel>(this, "MouseStepLabel", 8, 121, 78, 13);
  MouseStepSpin = spinField(this, "MouseStepSpin", {118, 118, 49, 22}, 1, 50, 5, fallback::MouseStep);
  InvertMouseCheckBox = place<QCheckBox>(this, "InvertMouseCheckBox", 188, 120, 113, 17);
  KeyStepLabel = place<QLabel>(this, "KeyStepLabel", 8, 151, 65, 13);
  KeyStepSpin = spinField(this, "KeyStepSpin", {118, 148, 49, 22}, 1, 50, 5, fallback::KeyboardStep);
  BufferLabel = place<QLabel>(this, "BufferLabel", 192, 152, 55, 13);
  bufferSE = spinField(this, "bufferSE", {264, 148, 37, 22}, 0, 60, 1, 5);
  cbPlayOnStart = place<QCheckBox>(this, "cbPlayOnStart", 8, 184, 159, 17);
  LoopStationCheckBox = place<QCheckBox>(this, "LoopStationCheckBox", 183, 184, 122, 17);
  lDiscr = place<QLabel>(this, "lDiscr", 8, 221, 25, 13);
  cbDiscr = place<QComboBox>(this, "cbDiscr", 134, 218, 145, 21);
  cbDiscr->addItems({QStringLiteral("44100"), QStringLiteral("48000"), QStringLiteral("96000")});
  WinnotifyCB = place<QCheckBox>(this, "WinnotifyCB", 8, 245, 192, 17);
  UpdateLabel = place<QLabel>(this, "UpdateLabel", 8, 275, 62, 13);
  UpdateLabel->hide();
  CloseButton = place<QPushButton>(this, "CloseButton", 230, 299, 75, 25);
  LinkLabel = place<QLabel>(this, "LinkLabel", 16, 310, 61, 13);

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
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
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

  qv::logStage("settings 4 update check");
  qv::logStageOutcome("settings 4 update check", qv::update::runUpdateCheck());
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
