#pragma once

#include <QLoggingCategory>
#include <QStringList>

#include <cstring>

//! Collects the messages of the "qv.lifecycle" category while it exists: `stages` gets the stage
//! trace (debug level), `notes` what was skipped (info level).
class LifecycleCapture {
 public:
  LifecycleCapture() {
    s_current = this;
    QLoggingCategory::setFilterRules(QStringLiteral("qv.lifecycle.debug=true"));
    m_previous = qInstallMessageHandler(&LifecycleCapture::handle);
  }
  ~LifecycleCapture() {
    qInstallMessageHandler(m_previous);
    QLoggingCategory::setFilterRules(QString());
    s_current = nullptr;
  }
  LifecycleCapture(const LifecycleCapture&) = delete;
  LifecycleCapture& operator=(const LifecycleCapture&) = delete;

  QStringList stages;
  QStringList notes;

 private:
  static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (s_current && context.category && std::strcmp(context.category, "qv.lifecycle") == 0) {
      (type == QtDebugMsg ? s_current->stages : s_current->notes).append(message);
    }
  }

  static inline LifecycleCapture* s_current = nullptr;
  QtMessageHandler m_previous = nullptr;
};
