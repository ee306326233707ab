#include "error_report.h"

#include <QLoggingCategory>

#include <exception>
#include <utility>

Q_LOGGING_CATEGORY(lcErrors, "qv.errors")

namespace qv {
namespace {

ErrorPresenter& presenter() {
  static ErrorPresenter current;
  return current;
}

}  // namespace

void showError(const QString& message) {
  qCWarning(lcErrors).noquote() << message;
  if (presenter()) {
    presenter()(message);
  }
}

ErrorPresenter setErrorPresenter(ErrorPresenter next) {
  return std::exchange(presenter(), std::move(next));
}

void showCurrentException() {
  try {
    throw;
  } catch (const std::exception& error) {
    showError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    showError(QStringLiteral("Unknown error"));
  }
}

bool runGuarded(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (...) {
    showCurrentException();
  }
  return false;
}

}  // namespace qv
