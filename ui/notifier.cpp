#include "notifier.h"

#include "lifecycle_log.h"

namespace qv::ui {

namespace {

class LogOnlyNotifier final : public Notifier {
 public:
  void withdrawAll() override {}
  void present(const QString& name, const QString& title, const QString& body) override {
    qCInfo(lcLifecycle) << "notification" << name << "not shown (no desktop notifications yet):" << title << body;
  }
};

}  // namespace

std::unique_ptr<Notifier> makeDefaultNotifier() {
  return std::make_unique<LogOnlyNotifier>();
}

}  // namespace qv::ui
