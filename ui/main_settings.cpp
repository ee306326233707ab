// The main window's settings: read at start-up in guarded groups, written when it closes.
#include "main.h"

#include "lifecycle_log.h"
#include "paths.h"
#include "popup.h"
#include "settings/settings_key.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace settings = qv::settings;
namespace fallback = qv::settings::fallback;

namespace {

// Enough of the window's top strip is on some screen to grab it there and drag it back.
bool topEdgeOnAScreen(const QRect& bounds) {
  const QRect topStrip(bounds.x(), bounds.y(), bounds.width(), 20);
  const auto screens = QGuiApplication::screens();
  return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
    const QRect visible = topStrip.intersected(screen->geometry());
    return visible.width() >= 40 && visible.height() >= 10;
  });
}

}  // namespace

int TMainForm::readOutputRate() {
  // Its own opening, before anything else is read.
  settings::SettingsKey key(m_settings);
  m_model.readValue(key, settings::Discreditation);
  m_model.readValue(key, settings::OutputDevice);
  key.close();
  return m_model.value(settings::Discreditation);
}

void TMainForm::readWindowBounds(settings::SettingsKey& key) {
  const bool read = m_model.readGroup(key, "M2");
  const QRect stored(m_model.value(settings::WindowLeft), m_model.value(settings::WindowTop),
                     m_model.value(settings::WindowWidth), m_model.value(settings::WindowHeight));
  // Bounds from a screen that is gone would put the window where nobody can reach it: they count
  // as unreadable.
  if (read && topEdgeOnAScreen(stored)) {
    setGeometry(stored);
    return;
  }
  // The window's top-left corner, not its centre, goes to the middle of the screen; halves round
  // to even.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = screen ? screen->geometry().size() : QSize();
  setGeometry(static_cast<int>(std::lrint(size.width() / 2.0)), static_cast<int>(std::lrint(size.height() / 2.0)),
              fallback::WindowWidth, fallback::WindowHeight);
}

void TMainForm::readSettings(settings::SettingsKey& key) {
  if (key.isOpen()) {
    m_model.readGroup(key, "M1");
    VolumeTB->setValue(m_model.value(settings::Volume));

    readWindowBounds(key);

    // A present but unreadable name gives English; an absent one gives the empty name, whose file
    // does not exist, so the built-in texts apply.
    m_model.readGroup(key, "M3");
    Localizate(qv::paths::languageFile(m_model.value(settings::Language)));

    m_model.readGroup(key, "M4");
    setAlwaysOnTop(m_model.value(settings::AlwaysOnTop));

    m_model.readGroup(key, "M5");
    EQPanel->setVisible(m_model.value(settings::EQPanel));
    LogoImage->setFixedWidth(m_model.value(settings::Preview));
    PLLeftPanel->setFixedWidth(m_model.value(settings::LeftPanel));
    TagsListBox->setFixedHeight(m_model.value(settings::TagsPanel));

    // An unreadable value is replaced in the key at once, before the settings window reads it.
    if (m_model.readGroup(key, "M6") && m_model.value(settings::HideToTray)) {
      installMinimiseToTray();
    }

    // On, and also unreadable, registers the media keys.
    m_model.readGroup(key, "M7");
    if (m_model.value(settings::GetMediaKey)) {
      registerMediaKeys();
    }
  } else {
    qCInfo(lcLifecycle) << "main 9 skipped: the settings key cannot be opened";
  }

  // These two run also without the key, and then take their fallbacks.
  qv::logStage("main 10 last station");
  m_model.readGroup(key, "M8");
  CurrentStation = m_model.value(settings::LastStation);
  m_model.readGroup(key, "M9");
  UnsavedPL = m_model.value(settings::UnsavedPL);
}

// When the key cannot be opened nothing is written and closing goes on.
QString TMainForm::writeSettings() {
  settings::SettingsKey key(m_settings);
  if (!key.isOpen()) {
    qCInfo(lcLifecycle) << "close 2 skipped: the settings key cannot be opened";
    return QString();
  }
  // The restored bounds: a maximized window comes back at its normal place.
  const QRect bounds = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  m_model.set(settings::WindowLeft, bounds.x());
  m_model.set(settings::WindowTop, bounds.y());
  m_model.set(settings::WindowWidth, bounds.width());
  m_model.set(settings::WindowHeight, bounds.height());
  m_model.set(settings::Volume, VolumeTB->value());
  m_model.set(settings::AlwaysOnTop, alwaysOnTop());
  m_model.set(settings::Preview, LogoImage->width());
  m_model.set(settings::EQPanel, !EQPanel->isHidden());
  m_model.set(settings::LeftPanel, PLLeftPanel->width());
  m_model.set(settings::TagsPanel, TagsListBox->height());
  m_model.set(settings::UnsavedPL, UnsavedPL);
  m_model.set(settings::LastStation, CurrentStation);
  if (PopupForm) {
    m_model.set(settings::PopupFormWidth, PopupForm->width());
    m_model.write(key, settings::Writer::MainWindowClose);
  } else {
    m_model.write(key, settings::Writer::MainWindowClose, {settings::PopupFormWidth.name});
  }
  key.close();
  return key.writeError();
}
