#pragma once

#include <QString>

#include <array>

//! Interface texts of reconnection, the sleep timer and the history (lines 72 to 87), the hints of
//! the main window's title-bar buttons (132 to 134, after the directory's texts) and the output
//! settings (135 to 138), beyond the 71 of the language files: the built-in English stands for any
//! line a language file lacks. GUI thread only, like the other program-wide texts.
namespace qv {
extern QString l_reconnecting, l_sleeptimer, l_sleepoff, l_sleepminutes, l_sleepother, l_sleepprompt, l_history,
    l_historycopy, l_historyweb, l_historyplay, l_historyexport, l_historyclear, l_historyclearconfirm,
    l_historykeptaside, l_setreconnect, l_historysearch, l_hintminimize, l_hintontop, l_hintcompact, l_rateautomatic,
    l_setlevelling, l_setlevellingtarget, l_setcrossfade, l_setdevicedefault, l_setdevice;
}  // namespace qv

namespace qv::i18n {

struct ListeningText {
  int line;             //!< 72 on
  const char* builtIn;  //!< "%1" stands for a number or a file name where the text has one
  QString* global;
};

inline constexpr int kListeningTextCount = 25;
const std::array<ListeningText, kListeningTextCount>& listeningTexts();

//! Sets every listening text to its built-in English (applyBuiltInTexts calls it).
void applyBuiltInListeningTexts();

}  // namespace qv::i18n
