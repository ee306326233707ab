#include "media_keys.h"

#include "mpris/mpris_service.h"

namespace qv::ui {

namespace {

class MprisMediaKeys final : public MediaKeys {
 public:
  MprisMediaKeys(MediaPlayerPort& player, QDBusConnection bus) : m_service(player, std::move(bus)) {}

  StageOutcome registerKeys() override { return m_service.exportOnBus() ? StageOutcome::Done : StageOutcome::Failed; }
  StageOutcome unregisterKeys() override {
    m_service.withdraw();
    return StageOutcome::Done;
  }
  void playerChanged() override { m_service.refresh(); }

 private:
  MprisService m_service;
};

}  // namespace

std::unique_ptr<MediaKeys> makeSystemMediaKeys(MediaPlayerPort& player, QWidget&) {
  return std::make_unique<MprisMediaKeys>(player, QDBusConnection::sessionBus());
}

std::unique_ptr<MediaKeys> makeMprisMediaKeys(MediaPlayerPort& player, const QString& busAddress) {
  return std::make_unique<MprisMediaKeys>(
      player, QDBusConnection::connectToBus(busAddress, QStringLiteral("qv-media-keys-") + busAddress));
}

}  // namespace qv::ui
