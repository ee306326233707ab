#include "listening_texts.h"

namespace qv {
QString l_reconnecting, l_sleeptimer, l_sleepoff, l_sleepminutes, l_sleepother, l_sleepprompt, l_history, l_historycopy,
    l_historyweb, l_historyplay, l_historyexport, l_historyclear, l_historyclearconfirm, l_historykeptaside,
    l_setreconnect, l_historysearch, l_hintminimize, l_hintontop, l_hintcompact, l_rateautomatic, l_setlevelling,
    l_setlevellingtarget, l_setcrossfade, l_setdevicedefault, l_setdevice;
}  // namespace qv

namespace qv::i18n {

namespace {

// clang-format off
const std::array<ListeningText, kListeningTextCount> kTexts{{
    {72, "Reconnecting\u2026 (attempt %1)", &l_reconnecting},
    {73, "Sleep timer", &l_sleeptimer},
    {74, "Off", &l_sleepoff},
    {75, "%1 minutes", &l_sleepminutes},
    {76, "Other time\u2026", &l_sleepother},
    {77, "Minutes until playback stops:", &l_sleepprompt},
    {78, "History", &l_history},
    {79, "Copy title", &l_historycopy},
    {80, "Search the web", &l_historyweb},
    {81, "Play the station", &l_historyplay},
    {82, "Export as CSV\u2026", &l_historyexport},
    {83, "Clear\u2026", &l_historyclear},
    {84, "Clear the whole history?", &l_historyclearconfirm},
    {85, "The history could not be read. It was kept as %1 and a new one was begun.", &l_historykeptaside},
    {86, "Reconnect when a station drops", &l_setreconnect},
    {87, "Search the history", &l_historysearch},
    {132, "Minimize", &l_hintminimize},
    {133, "Always on top", &l_hintontop},
    {134, "Compact mode", &l_hintcompact},
    {135, "Automatic", &l_rateautomatic},
    {136, "Bring every station to one loudness", &l_setlevelling},
    {137, "Loudness (LUFS):", &l_setlevellingtarget},
    {138, "Fade from one station into the next", &l_setcrossfade},
    {139, "System default", &l_setdevicedefault},
    {140, "Output device:", &l_setdevice},
}};
// clang-format on

}  // namespace

const std::array<ListeningText, kListeningTextCount>& listeningTexts() {
  return kTexts;
}

void applyBuiltInListeningTexts() {
  for (const ListeningText& text : kTexts) {
    *text.global = QString::fromUtf8(text.builtIn);
  }
}

}  // namespace qv::i18n
