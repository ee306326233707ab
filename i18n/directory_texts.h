#pragma once

#include <QString>

#include <array>

//! Interface texts of the station directory's window and of the check of the station list, after
//! the listening texts: a language file may carry them from line 88 on; the built-in English
//! stands for any it lacks. GUI thread only, like the other program-wide texts.
namespace qv {
extern QString l_findstations, l_findtitle, l_findname, l_findtag, l_findcountry, l_findlanguage, l_findcodec,
    l_findbitrate, l_findsort, l_findvotes, l_findclicks, l_findbitratesort, l_findany, l_findplay, l_findadd,
    l_findclose, l_findsearching, l_findnone, l_findunreachable, l_findbroken, l_findkbps, l_findadded, l_checkstations,
    l_checktitle, l_checkprogress, l_checkcancel, l_checkalive, l_checkdead, l_checkmoved, l_checkunchecked,
    l_checkrefused, l_checktimeout, l_checknotaudio, l_checkunreachable, l_checkbadlink, l_checkstation, l_checkverdict,
    l_checklink, l_checkreplacement, l_checkapply, l_checkapplyall, l_checknetworkdown, l_checksummary, l_checkempty;
}  // namespace qv

namespace qv::i18n {

struct DirectoryText {
  int line;             //!< 88 on
  const char* builtIn;  //!< "%1" and "%2" stand for a number, a name or a message
  QString* global;
};

inline constexpr int kDirectoryTextCount = 44;
const std::array<DirectoryText, kDirectoryTextCount>& directoryTexts();

//! Sets every directory text to its built-in English.
void applyBuiltInDirectoryTexts();

}  // namespace qv::i18n
