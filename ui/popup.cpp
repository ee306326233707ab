#include "popup.h"

#include "colours.h"
#include "image_button.h"
#include "lifecycle_log.h"
#include "popup_geometry.h"
#include "settings/read_group.h"
#include "settings/settings_key.h"
#include "skin.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

TPopupForm* PopupForm = nullptr;

namespace settings = qv::settings;
using qv::ui::ImageButton;
using qv::ui::frame::ResizeZone;

TPopupForm::TPopupForm(settings::SettingsBackend& backend, const qv::ui::Skin& skin)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_settings(backend) {
  setObjectName(QStringLiteral("PopupForm"));
  // The taskbar names the window by it (with Minimize to Tray off it has a button of its own).
  setWindowTitle(QStringLiteral("Quorventale"));
  setAttribute(Qt::WA_StyledBackground);
  setMouseTracking(true);
  setMinimumWidth(kMinimumWidth);
  setFixedHeight(kHeight);
  resize(settings::fallback::PopupFormWidth, kHeight);
  createControls(skin);
}

void TPopupForm::createControls(const qv::ui::Skin& skin) {
  AppImage = new QLabel(this);
  AppImage->setObjectName(QStringLiteral("AppImage"));
  AppImage->setGeometry(8, 10, 16, 16);
  AppImage->installEventFilter(this);

  const auto button = [&](const char* name, int left, const char* normal, const char* highlighted,
                          void (TPopupForm::*clicked)()) {
    auto* image = new ImageButton(skin, this);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(left, 6, 24, 24);
    // Always the highlighted image on enter: unlike the main window, no availability test.
    image->setHoverRules([highlighted] { return QString::fromLatin1(highlighted); },
                         [normal] { return QString::fromLatin1(normal); });
    connect(image, &ImageButton::clicked, this, clicked);
    return image;
  };
  PreviousImage = button("PreviousImage", 30, "PngPrevious_2", "PngPrevious_1", &TPopupForm::previousClicked);
  PlayImage = button("PlayImage", 61, "PngPlay_2", "PngPlay_1", &TPopupForm::playStopClicked);
  NextImage = button("NextImage", 92, "PngNext_2", "PngNext_1", &TPopupForm::nextClicked);
  // Play or Stop after the stream's state at the moment of the event.
  const auto playImage = [this](const char* play, const char* stop) {
    return [this, play, stop] { return QString::fromLatin1(m_streamActive && m_streamActive() ? stop : play); };
  };
  PlayImage->setHoverRules(playImage("PngPlay_1", "PngStop_1"), playImage("PngPlay_2", "PngStop_2"));

  TrackLabel = new QLabel(this);
  TrackLabel->setObjectName(QStringLiteral("TrackLabel"));
  TrackLabel->move(123, 11);
  QFont font = TrackLabel->font();
  font.setPointSize(9);
  TrackLabel->setFont(font);
  QPalette palette = TrackLabel->palette();
  palette.setColor(QPalette::WindowText, qv::ui::colours::kLabelText);
  TrackLabel->setPalette(palette);
  // The popup's edges resize it, also where the label reaches them.
  TrackLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TPopupForm::FormCreate() {
  qv::logStage("popup P1");
  AppImage->setPixmap(qv::ui::applicationIcon().pixmap(16, 16));
  PreviousImage->setImage(QStringLiteral("PngPrevious_2"));
  PlayImage->setImage(QStringLiteral("PngPlay_2"));
  NextImage->setImage(QStringLiteral("PngNext_2"));
  settings::SettingsKey key(m_settings);
  if (key.isOpen()) {
    settings::readGroup(
        "P1", {settings::readAndApply(key, settings::PopupFormWidth, [this](int width) { resize(width, kHeight); })},
        [this] { resize(settings::fallback::PopupFormWidth, kHeight); });
  }
}

TPopupForm::~TPopupForm() = default;

void TPopupForm::showPlaying(bool playing) {
  PlayImage->setImage(QLatin1String(playing ? "PngStop_2" : "PngPlay_2"));
}

void TPopupForm::setTrackText(const QString& text) {
  TrackLabel->setText(text);
  TrackLabel->adjustSize();
}

void TPopupForm::showEvent(QShowEvent* event) {
  setStyleSheet(QStringLiteral("TPopupForm { background: %1; }").arg(qv::ui::colours::kWindow.name()));
  if (const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen()) {
    move(qv::ui::popupPosition(shownOn->availableGeometry(), size()));
  }
  QWidget::showEvent(event);
}

bool TPopupForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == AppImage) {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() == Qt::RightButton && m_trayMenu) {
        m_trayMenu->popup(press->globalPosition().toPoint());
      }
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      const auto* release = static_cast<QMouseEvent*>(event);
      if (release->button() == Qt::LeftButton && AppImage->rect().contains(release->position().toPoint())) {
        emit restoreRequested();
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TPopupForm::mousePressEvent(QMouseEvent* event) {
  const ResizeZone zone = qv::ui::popupZone(event->position().toPoint(), width());
  if (event->button() != Qt::LeftButton || zone == ResizeZone::None) {
    QWidget::mousePressEvent(event);
    return;
  }
  const Qt::Edges edges = qv::ui::frame::edgesOf(zone);
  if (windowHandle() && windowHandle()->startSystemResize(edges)) {
    return;
  }
  m_resizing = edges;
  m_resizeStartPointer = event->globalPosition().toPoint();
  m_resizeStartBounds = geometry();
}

void TPopupForm::mouseMoveEvent(QMouseEvent* event) {
  if (m_resizing) {
    setGeometry(qv::ui::frame::resized(m_resizeStartBounds, m_resizing,
                                       event->globalPosition().toPoint() - m_resizeStartPointer,
                                       QSize(kMinimumWidth, kHeight)));
    return;
  }
  const ResizeZone zone = qv::ui::popupZone(event->position().toPoint(), width());
  if (zone == ResizeZone::None) {
    unsetCursor();
  } else {
    setCursor(qv::ui::frame::cursorOf(zone));
  }
}

void TPopupForm::mouseReleaseEvent(QMouseEvent* event) {
  m_resizing = {};
  QWidget::mouseReleaseEvent(event);
}

void TPopupForm::leaveEvent(QEvent* event) {
  if (!m_resizing) {
    unsetCursor();
  }
  QWidget::leaveEvent(event);
}
