#include "audio_setup.h"

#include "engine.h"

#include <QLoggingCategory>

#include <utility>

Q_LOGGING_CATEGORY(lcAudioSetup, "qv.audio")

namespace qv::playback {

namespace {

int g_lastSetUpError = 0;       // GUI thread
QString g_missingOutputDevice;  // GUI thread

}  // namespace

bool engineVersionAccepted(std::uint32_t engineVersion) {
  return (engineVersion >> 16) == engine::kVersionMajorMinor;
}

StageOutcome checkEngineVersion() {
  return engineVersionAccepted(engine::version()) ? StageOutcome::Done : StageOutcome::Failed;
}

StageOutcome setUpAudioOutput(int outputRateHz, const QString& outputDevice) {
  // Nobody listens to the output's changes yet: a missing device is kept for the controller.
  if (!engine::initWithDevice(outputDevice.toStdString(), outputRateHz)) {
    g_lastSetUpError = static_cast<int>(engine::errorGetCode());
    qCWarning(lcAudioSetup) << "audio output cannot be set up at" << outputRateHz
                            << "Hz:" << engine::errorName(engine::errorGetCode());
    return StageOutcome::Failed;
  }
  if (!outputDevice.isEmpty() && engine::outputGetDevice().empty()) {
    g_missingOutputDevice = outputDevice;
  }
  if (outputRateHz == engine::kAutomaticRate) {
    qCInfo(lcAudioSetup) << "audio output follows the device:" << engine::outputGetRate() << "Hz";
  }
  // A station link that points to a playlist file is followed when the stream is opened.
  engine::setConfig(engine::Config::PlaylistFollowing, 1);
  return StageOutcome::Done;
}

StageOutcome releaseAudioOutput() {
  // After a failed set-up there is nothing to release.
  if (engine::release() || engine::errorGetCode() == engine::ErrorCode::NotInitialised) {
    return StageOutcome::Done;
  }
  return StageOutcome::Failed;
}

QString takeMissingOutputDevice() {
  return std::exchange(g_missingOutputDevice, QString());
}

int lastSetUpErrorCode() {
  return g_lastSetUpError;
}

}  // namespace qv::playback
