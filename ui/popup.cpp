#include "popup.h"

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

TPopupForm::~TPopupForm() = default;
