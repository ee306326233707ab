#pragma once

#include <QString>

#include <array>

//! Interface texts of reconnection, the sleep timer, the history and the output, after the 71 of the language
//! files: a language file may carry them from line 72 on; the built-in English stands for any it
//! lacks. GUI thread only, like the other program-wide texts.
namespace qv {
extern QString l_reconnecting, l_sleeptimer, l_sleepoff, l_sleepminutes, l_sleepother, l_sleepprompt, l_history,
    l_historycopy, l_historyweb, l_historyplay, l_historyexport, l_historyclear, l_historyclearconfirm,
    l_historykeptaside, l_setreconnect, l_historysearch, l_rateautomatic, l_setlevelling, l_setlevellingtarget,
    l_setcrossfade;
}  // namespace qv

namespace qv::i18n {

struct ListeningText {
  int line;             //!< 72 on
  const char* builtIn;  //!< "%1" stands for a number or a file name where the text has one
  QString* global;
};

inline constexpr int kListeningTextCount = 20;
const std::array<ListeningText, kListeningTextCount>& listeningTexts();

//! Sets every listening text to its built-in English (applyBuiltInTexts calls it).
void applyBuiltInListeningTexts();

}  // namespace qv::i18n
