#include "error_report.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Throws from its event handler on the first custom event, handles the later ones.
class Touchy : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) {
      return QObject::event(event);
    }
    if (handled++ == 0) {
      throw std::runtime_error("handler failed");
    }
    return true;
  }
};

TEST(GeneralErrorHandler, AnEscapedExceptionIsShownAndTheProgramGoesOn) {
  QStringList shown;
  const auto previous = qv::setErrorPresenter([&](const QString& message) { shown.append(message); });
  Touchy touchy;
  QCoreApplication::postEvent(&touchy, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&touchy, new QEvent(QEvent::User));
  QCoreApplication::sendPostedEvents(&touchy, QEvent::User);
  qv::setErrorPresenter(previous);

  EXPECT_EQ(shown, QStringList{QStringLiteral("handler failed")});
  EXPECT_EQ(touchy.handled, 2);
}

}  // namespace
