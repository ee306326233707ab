// The main window's settings: read at start-up in guarded groups, written when it closes.
#include "main.h"

#include "lifecycle_log.h"
#include "paths.h"
#include "popup.h"
#include "settings/read_group.h"
#include "settings/settings_key.h"
#include "tray.h"

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
  const int rate = key.read(settings::Discreditation).value_or(fallback::Discreditation);
  key.close();
  return rate;
}

void TMainForm::readWindowBounds(const settings::SettingsKey& key) {
  settings::readGroup("M2", {[&] {
                        const auto left = key.read(settings::WindowLeft);
                        const auto top = key.read(settings::WindowTop);
                        const auto width = key.read(settings::WindowWidth);
                        const auto height = key.read(settings::WindowHeight);
                        if (!left || !top || !width || !height) {
                          return false;
                        }
                        // Bounds from a screen that is gone would put the window where nobody can reach
                        // it: they count as unreadable.
                        if (!topEdgeOnAScreen(QRect(*left, *top, *width, *height))) {
                          return false;
                        }
                        setGeometry(*left, *top, *width, *height);
                        return true;
                      }},
                      // The window's top-left corner, not its centre, goes to the middle of the screen; halves
                      // round to even.
                      [this] {
                        const QScreen* screen = QGuiApplication::primaryScreen();
                        const QSize size = screen ? screen->geometry().size() : QSize();
                        setGeometry(static_cast<int>(std::lrint(size.width() / 2.0)),
                                    static_cast<int>(std::lrint(size.height() / 2.0)), fallback::WindowWidth,
                                    fallback::WindowHeight);
                      });
}

void TMainForm::readSettings(settings::SettingsKey& key) {
  using settings::readAndApply;
  if (key.isOpen()) {
    settings::readGroup("M1", {readAndApply(key, settings::Volume, [this](int volume) { VolumeTB->setValue(volume); })},
                        [this] { VolumeTB->setValue(fallback::Volume); });

    readWindowBounds(key);

    // A present but unreadable name gives English; an absent one gives the empty name, whose file
    // does not exist, so the built-in texts apply.
    settings::readGroup("M3",
                        {readAndApply(key, settings::Language,
                                      [this](const QString& name) { Localizate(qv::paths::languageFile(name)); })},
                        [this] { Localizate(qv::paths::languageFile(QString::fromUtf16(fallback::MainLanguage))); });

    settings::readGroup("M4", {readAndApply(key, settings::AlwaysOnTop, [this](bool onTop) { setAlwaysOnTop(onTop); })},
                        [this] { setAlwaysOnTop(fallback::AlwaysOnTop); });

    settings::readGroup(
        "M5",
        {readAndApply(key, settings::EQPanel, [this](bool shown) { EQPanel->setVisible(shown); }),
         readAndApply(key, settings::Preview, [this](int width) { LogoImage->setFixedWidth(width); }),
         readAndApply(key, settings::LeftPanel, [this](int width) { PLLeftPanel->setFixedWidth(width); }),
         readAndApply(key, settings::TagsPanel, [this](int height) { TagsListBox->setFixedHeight(height); })},
        [this] {
          EQPanel->setVisible(fallback::EQPanel);
          LogoImage->setFixedWidth(fallback::Preview);
          PLLeftPanel->setFixedWidth(fallback::LeftPanel);
          TagsListBox->setFixedHeight(fallback::TagsPanel);
        });

    // An unreadable value is replaced in the key at once, before the settings window reads it.
    settings::readGroup("M6",
                        {readAndApply(key, settings::HideToTray,
                                      [](bool hide) {
                                        if (hide) {
                                          qv::logStageOutcome("M6 minimise to tray", qv::ui::installMinimiseToTray());
                                        }
                                      })},
                        [&key] { key.write(settings::HideToTray, fallback::HideToTray); });

    // On, and also unreadable, registers the media keys.
    settings::readGroup("M7",
                        {readAndApply(key, settings::GetMediaKey,
                                      [this](bool on) {
                                        if (on) {
                                          registerMediaKeys();
                                        }
                                      })},
                        [this] { registerMediaKeys(); });
  } else {
    qCInfo(lcLifecycle) << "main 9 skipped: the settings key cannot be opened";
  }

  // These two run also without the key, and then take their fallbacks.
  qv::logStage("main 10 last station");
  settings::readGroup("M8",
                      {readAndApply(key, settings::LastStation, [this](int station) { CurrentStation = station; })},
                      [this] { CurrentStation = fallback::LastStation; });
  settings::readGroup("M9", {readAndApply(key, settings::UnsavedPL, [this](bool unsaved) { UnsavedPL = unsaved; })},
                      [this] { UnsavedPL = fallback::UnsavedPL; });
}

// When the key cannot be opened nothing is written and closing goes on.
void TMainForm::writeSettings() {
  settings::SettingsKey key(m_settings);
  if (!key.isOpen()) {
    qCInfo(lcLifecycle) << "close 2 skipped: the settings key cannot be opened";
    return;
  }
  // The restored bounds: a maximized window comes back at its normal place.
  const QRect bounds = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  key.write(settings::WindowLeft, bounds.x());
  key.write(settings::WindowTop, bounds.y());
  key.write(settings::WindowWidth, bounds.width());
  key.write(settings::WindowHeight, bounds.height());
  key.write(settings::Volume, VolumeTB->value());
  key.write(settings::AlwaysOnTop, alwaysOnTop());
  key.write(settings::Preview, LogoImage->width());
  key.write(settings::EQPanel, !EQPanel->isHidden());
  key.write(settings::LeftPanel, PLLeftPanel->width());
  key.write(settings::TagsPanel, TagsListBox->height());
  key.write(settings::UnsavedPL, UnsavedPL);
  if (PopupForm) {
    key.write(settings::PopupFormWidth, PopupForm->width());
  }
  if (CurrentStation == -1) {
    key.remove(settings::LastStation);
  } else {
    key.write(settings::LastStation, CurrentStation);
  }
}
