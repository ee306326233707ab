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

void showErrorsOnce(const QStringList& messages) {
  static QStringList told;
  QStringList fresh;
  for (const QString& message : messages) {
    if (!message.isEmpty() && !told.contains(message) && !fresh.contains(message)) {
      fresh.append(message);
    }
  }
  if (!fresh.isEmpty()) {
    told.append(fresh);
    showError(fresh.join(QLatin1Char('\n')));
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
