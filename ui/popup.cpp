#include "popup.h"

#include "image_button.h"
#include "lifecycle_log.h"
#include "settings/read_group.h"
#include "settings/settings_key.h"

TPopupForm* PopupForm = nullptr;

namespace settings = qv::settings;

TPopupForm::TPopupForm(settings::SettingsBackend& backend)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_settings(backend) {
  setObjectName(QStringLiteral("PopupForm"));
  setWindowTitle(QStringLiteral("PopupForm"));
  setStyleSheet(QStringLiteral("TPopupForm { background: #373737; }"));
  setAttribute(Qt::WA_StyledBackground);
  resize(settings::fallback::PopupFormWidth, kHeight);
}

void TPopupForm::FormCreate() {
  qv::logStage("popup P1");
  settings::SettingsKey key(m_settings);
  if (key.isOpen()) {
    settings::readGroup(
        "P1", {settings::readAndApply(key, settings::PopupFormWidth, [this](int width) { resize(width, kHeight); })},
        [this] { resize(settings::fallback::PopupFormWidth, kHeight); });
  }
}

void TPopupForm::showRestoreButton(const qv::ui::Skin& skin) {
  if (m_restore) {
    return;
  }
  m_restore = new qv::ui::ImageButton(skin, this);
  m_restore->setObjectName(QStringLiteral("RestoreImage"));
  m_restore->setImage(QStringLiteral("PngMin_2"));
  m_restore->fitToImage();
  m_restore->setHoverRules([] { return QStringLiteral("PngMin_1"); }, [] { return QStringLiteral("PngMin_2"); });
  connect(m_restore, &qv::ui::ImageButton::clicked, this, &TPopupForm::restoreRequested);
  resizeEvent(nullptr);
  m_restore->show();
}

void TPopupForm::mouseDoubleClickEvent(QMouseEvent*) {
  emit restoreRequested();
}

void TPopupForm::resizeEvent(QResizeEvent*) {
  if (m_restore) {
    m_restore->move(width() - m_restore->width() - 8, (height() - m_restore->height()) / 2);
  }
}

TPopupForm::~TPopupForm() = default;
