#include "settings.h"

#include "error_report.h"
#include "language_list.h"
#include "lifecycle_log.h"
#include "paths.h"
#include "update_check.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <utility>

TSettingsForm* SettingsForm = nullptr;

namespace settings = qv::settings;

namespace {

template <typename Control>
Control* place(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new Control(parent);
  control->setObjectName(QLatin1String(name));
  control->setGeometry(left, top, width, height);
  return control;
}

QSpinBox* spinField(QWidget* parent, const char* name, QRect bounds, int minimum, int maximum, int step) {
  auto* spin = place<QSpinBox>(parent, name, bounds.x(), bounds.y(), bounds.width(), bounds.height());
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
  return spin;
}

}  // namespace

TSettingsForm::TSettingsForm(settings::SettingsBackend& backend, settings::SettingsModel& model,
                             SettingsWindowHost& host)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(backend),
      m_model(model),
      m_host(host) {
  setObjectName(QStringLiteral("SettingsForm"));
  setFixedSize(327, 332);
  createControls();
  bindControls();
}

void TSettingsForm::createControls() {
  lLang = place<QLabel>(this, "lLang", 8, 24, 25, 13);
  LangBox = place<QComboBox>(this, "LangBox", 156, 21, 145, 21);
  ProxyLabel = place<QLabel>(this, "ProxyLabel", 8, 50, 32, 13);
  ProxyServerEdit = place<QLineEdit>(this, "ProxyServerEdit", 58, 47, 243, 21);
  ProxyServerEdit->setPlaceholderText(QStringLiteral("(user:pass@)server:port"));
  HotkeysCheckBox = place<QCheckBox>(this, "HotkeysCheckBox", 8, 87, 118, 17);
  TrayCheckBox = place<QCheckBox>(this, "TrayCheckBox", 188, 87, 113, 17);
  MouseStepLabel = place<QLabel>(this, "MouseStepLabel", 8, 121, 78, 13);
  MouseStepSpin = spinField(this, "MouseStepSpin", {118, 118, 49, 22}, 1, 50, 5);
  InvertMouseCheckBox = place<QCheckBox>(this, "InvertMouseCheckBox", 188, 120, 113, 17);
  KeyStepLabel = place<QLabel>(this, "KeyStepLabel", 8, 151, 65, 13);
  KeyStepSpin = spinField(this, "KeyStepSpin", {118, 148, 49, 22}, 1, 50, 5);
  BufferLabel = place<QLabel>(this, "BufferLabel", 192, 152, 55, 13);
  bufferSE = spinField(this, "bufferSE", {264, 148, 37, 22}, 0, 60, 1);
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

  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
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
  bindBox(InvertMouseCheckBox, settings::InvertMouse);
  bindBox(LoopStationCheckBox, settings::LoopStations);
  bindBox(TrayCheckBox, settings::HideToTray);
  bindBox(HotkeysCheckBox, settings::GetMediaKey);
  bindBox(WinnotifyCB, settings::ShowNotify);
  bindBox(cbPlayOnStart, settings::PlayOnStart);

  ProxyServerEdit->setText(m_model.value(settings::ProxyServer));
  m_model.onChange(settings::ProxyServer, ProxyServerEdit, [this](const QString& proxy) {
    if (ProxyServerEdit->text() != proxy) {
      ProxyServerEdit->setText(proxy);
    }
  });
  connect(ProxyServerEdit, &QLineEdit::textChanged, this,
          [this](const QString& proxy) { m_model.set(settings::ProxyServer, proxy); });

  // A rate the list does not hold selects nothing; only a selected entry changes the rate.
  const auto showRate = [this](int rate) { cbDiscr->setCurrentIndex(cbDiscr->findText(QString::number(rate))); };
  showRate(m_model.value(settings::Discreditation));
  m_model.onChange(settings::Discreditation, cbDiscr, showRate);
  connect(cbDiscr, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      m_model.set(settings::Discreditation, cbDiscr->itemText(index).toInt());
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
    // Filling the list selects nothing yet: the stored language is read below.
    const QSignalBlocker quiet(LangBox);
    LangBox->addItems(qv::i18n::languageNames(qv::paths::LanguagesFolder()));
    LangBox->setCurrentIndex(-1);
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

  qv::logStage("settings 4 update check");
  qv::logStageOutcome("settings 4 update check", qv::update::runUpdateCheck());
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

  // The entry equal to the stored name is selected; no match changes nothing; an unreadable name
  // selects the first entry.
  if (m_model.readGroup(key, "S4")) {
    const int index =
        LangBox->findText(m_model.value(settings::Language), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index >= 0) {
      LangBox->setCurrentIndex(index);
    }
  } else if (LangBox->count() > 0) {
    LangBox->setCurrentIndex(0);
  }

  m_model.readGroup(key, "S5");
  m_model.readValue(key, settings::Reconnect);
  m_model.readValue(key, settings::HistoryKeepDays);
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

// Written at the end of the program, after the main window's values. A language that is not
// selected, or a rate the list does not hold, leaves its stored value as it was rather than writing
// an empty or wrong one.
void TSettingsForm::writeSettings() {
  settings::SettingsKey key(m_settings);
  if (!key.isOpen()) {
    return;
  }
  m_model.set(settings::SFTop, y());
  m_model.set(settings::SFLeft, x());
  std::vector<std::string_view> keepStored;
  if (LangBox->currentIndex() < 0) {
    keepStored.push_back(settings::Language.name);
  }
  if (cbDiscr->currentIndex() < 0) {
    keepStored.push_back(settings::Discreditation.name);
  }
  m_model.write(key, settings::Writer::SettingsWindowDestroy, keepStored);
}

TSettingsForm::~TSettingsForm() {
  qv::runGuarded([this] { writeSettings(); });
}
