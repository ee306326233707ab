#pragma once

#include "report_view.h"

#include <QString>

// The labels and buttons of the main window and the popup that reports change, as plain texts:
// a view is applied the way the window applies it.
struct LabelBoard {
  QString station, status, track, left, right, popupTrack;
  bool rightPlacedAfterStatus = false;
  bool trackFillsPanel = false;
  qv::playback::PlayButtonImage buttons = qv::playback::PlayButtonImage::Play;
  bool playingShown = false;
  int beeps = 0;
  std::optional<qv::playback::SleepRequest> sleep;
  qv::playback::HeaderValues headers;

  void apply(const qv::playback::StatusView& view) {
    station = view.stationLabel.value_or(station);
    status = view.statusLabel.value_or(status);
    track = view.trackLabel.value_or(track);
    left = view.leftLevel.value_or(left);
    right = view.rightLevel.value_or(right);
    popupTrack = view.popupTrackLabel.value_or(popupTrack);
    rightPlacedAfterStatus = rightPlacedAfterStatus || view.placeRightLevelAfterStatus;
    trackFillsPanel = trackFillsPanel || view.trackLabelFillsPanel;
    buttons = view.playButtons.value_or(buttons);
    playingShown = view.playingShown.value_or(playingShown);
    beeps += view.beep ? 1 : 0;
    sleep = view.sleep ? view.sleep : sleep;
  }

  qv::playback::ReportContext context() const { return {playingShown, station, headers}; }
};
