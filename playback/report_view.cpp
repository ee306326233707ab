#include "report_view.h"

#include "interface_texts.h"

namespace qv::playback {
namespace {

// The status label's text followed by the remembered sample rate and channels.
QString withAudioFormat(QString status, const HeaderValues& headers) {
  if (!headers.iceSampleRate.isEmpty()) {
    status += QStringLiteral("; ") + headers.iceSampleRate;
  }
  if (!headers.iceChannels.isEmpty()) {
    status += QStringLiteral("; ") + headers.iceChannels;
  }
  return status;
}

QString stationLabelText(const QString& name, const HeaderValues& headers) {
  QString text = name;
  if (!headers.icyDescription.isEmpty()) {
    text += QStringLiteral(" \u2013 ") + headers.icyDescription;
  }
  if (!headers.icyGenre.isEmpty()) {
    text += QStringLiteral(" (") + headers.icyGenre + QLatin1Char(')');
  }
  return text;
}

}  // namespace

QString playButtonImageName(PlayButtonImage image) {
  return image == PlayButtonImage::Stop ? QStringLiteral("PngStop_2") : QStringLiteral("PngPlay_2");
}

ReportTexts ReportTexts::current(const qv::i18n::MainFormTexts& mainForm) {
  return {mainForm.l_buf, qv::l_connecting, qv::l_notplaying, qv::l_cantplay, qv::l_errorcode, qv::l_bitrate};
}

StatusView viewForReport(const StatusReport& report, const ReportContext& context, const ReportTexts& texts) {
  StatusView view;
  switch (report.code) {
    case ReportCode::Connecting:
      view.stationLabel = texts.connecting;
      view.trackLabel = view.statusLabel = view.leftLevel = view.rightLevel = QString();
      break;
    case ReportCode::Failed:
      view = viewForPlaybackError(texts.cantPlay, report.number, texts);
      break;
    case ReportCode::Buffering:
      view.stationLabel = texts.buffering + QStringLiteral("... %1%").arg(report.number);
      view.playButtons = PlayButtonImage::Stop;
      break;
    case ReportCode::StationName:
      view.stationLabel = stationLabelText(report.text, context.headers);
      break;
    case ReportCode::BitrateLine:
      view.statusLabel = withAudioFormat(texts.bitrate + QLatin1Char(' ') + report.text, context.headers);
      view.placeRightLevelAfterStatus = true;
      break;
    case ReportCode::Title:
      view.trackLabel = report.text;
      view.trackLabelFillsPanel = true;
      view.popupTrackLabel = report.text.isEmpty() ? context.stationLabelText : report.text;
      if (!context.playingShown) {
        view.playButtons = PlayButtonImage::Stop;
        view.playingShown = true;
      }
      break;
    case ReportCode::ServerStatus:
      view.statusLabel = withAudioFormat(report.text, context.headers);
      view.placeRightLevelAfterStatus = true;
      break;
  }
  return view;
}

StatusView viewForPlaybackError(const QString& text, int code, const ReportTexts& texts) {
  StatusView view;
  view.beep = true;
  view.stationLabel =
      text + QStringLiteral("\n(") + texts.errorCode + QLatin1Char(' ') + QString::number(code) + QLatin1Char(')');
  view.playButtons = PlayButtonImage::Play;
  view.playingShown = false;
  view.sleep = SleepRequest::AllowSleep;
  return view;
}

StatusView viewForStreamPlaying(bool playingShown) {
  StatusView view;
  if (!playingShown) {
    view.playButtons = PlayButtonImage::Stop;
    view.playingShown = true;
    view.sleep = SleepRequest::KeepAwake;
  }
  return view;
}

StatusView viewForUserStop() {
  StatusView view;
  view.playButtons = PlayButtonImage::Play;
  view.playingShown = false;
  view.trackLabel = view.leftLevel = view.rightLevel = QString();
  view.sleep = SleepRequest::AllowSleep;
  return view;
}

}  // namespace qv::playback
