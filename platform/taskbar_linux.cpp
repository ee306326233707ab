#include "taskbar_presenter.h"

namespace qv::ui {

namespace {

// Linux taskbars have no thumbnail buttons or overlays; the desktop's media controls take their
// place. They read playback status and next/previous from the MPRIS service, so applying a state
// means having the service publish what changed; hints and the overlay have no counterpart there.
class MprisTaskbarPresenter final : public TaskbarPresenter {
 public:
  explicit MprisTaskbarPresenter(std::function<void()> publish) : m_publish(std::move(publish)) {}

  void apply(const qv::playback::TaskbarState&) override {
    if (m_publish) {
      m_publish();
    }
  }

 private:
  std::function<void()> m_publish;
};

}  // namespace

std::unique_ptr<TaskbarPresenter> makeSystemTaskbarPresenter(QWidget&, TaskbarActions actions) {
  return std::make_unique<MprisTaskbarPresenter>(std::move(actions.publish));
}

}  // namespace qv::ui
