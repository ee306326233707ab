#pragma once

#include <QApplication>

namespace qv::ui {

//! The application object. Its event dispatch is the general error handler: an exception that
//! escapes an event handler ends that handler, its message is shown in an error box, and the
//! program goes on.
class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);
  ~Application() override;

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace qv::ui
