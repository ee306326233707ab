#include "directory_texts.h"

namespace qv {
QString l_findstations, l_findtitle, l_findname, l_findtag, l_findcountry, l_findlanguage, l_findcodec, l_findbitrate,
    l_findsort, l_findvotes, l_findclicks, l_findbitratesort, l_findany, l_findplay, l_findadd, l_findclose,
    l_findsearching, l_findnone, l_findunreachable, l_findbroken, l_findkbps, l_findadded, l_checkstations,
    l_checktitle, l_checkprogress, l_checkcancel, l_checkalive, l_checkdead, l_checkmoved, l_checkunchecked,
    l_checkrefused, l_checktimeout, l_checknotaudio, l_checkunreachable, l_checkbadlink, l_checkstation, l_checkverdict,
    l_checklink, l_checkreplacement, l_checkapply, l_checkapplyall, l_checknetworkdown, l_checksummary, l_checkempty;
}  // namespace qv

namespace qv::i18n {

namespace {

// clang-format off
const std::array<DirectoryText, kDirectoryTextCount> kTexts{{
    {88, "Find stations\u2026", &l_findstations},
    {89, "Find Stations", &l_findtitle},
    {90, "Name", &l_findname},
    {91, "Tag", &l_findtag},
    {92, "Country", &l_findcountry},
    {93, "Language", &l_findlanguage},
    {94, "Codec", &l_findcodec},
    {95, "Minimum bitrate", &l_findbitrate},
    {96, "Sort by", &l_findsort},
    {97, "Votes", &l_findvotes},
    {98, "Clicks", &l_findclicks},
    {99, "Bitrate", &l_findbitratesort},
    {100, "Any", &l_findany},
    {101, "Play", &l_findplay},
    {102, "Add to the list", &l_findadd},
    {103, "Close", &l_findclose},
    {104, "Searching\u2026", &l_findsearching},
    {105, "No stations found.", &l_findnone},
    {106, "The station directory cannot be reached: %1", &l_findunreachable},
    {107, "broken", &l_findbroken},
    {108, "%1 kbps", &l_findkbps},
    {109, "Added to the list: %1", &l_findadded},
    {110, "Check my stations\u2026", &l_checkstations},
    {111, "Check My Stations", &l_checktitle},
    {112, "Checking\u2026 %1 of %2", &l_checkprogress},
    {113, "Cancel", &l_checkcancel},
    {114, "Alive", &l_checkalive},
    {115, "Dead (%1)", &l_checkdead},
    {116, "Moved", &l_checkmoved},
    {117, "Could not check", &l_checkunchecked},
    {118, "refused", &l_checkrefused},
    {119, "time-out", &l_checktimeout},
    {120, "not audio", &l_checknotaudio},
    {121, "unreachable", &l_checkunreachable},
    {122, "bad link", &l_checkbadlink},
    {123, "Station", &l_checkstation},
    {124, "Verdict", &l_checkverdict},
    {125, "Link", &l_checklink},
    {126, "Replacement", &l_checkreplacement},
    {127, "Apply", &l_checkapply},
    {128, "Apply all", &l_checkapplyall},
    {129, "The network seems down: the stations could not be checked.", &l_checknetworkdown},
    {130, "%1 alive, %2 dead, %3 moved", &l_checksummary},
    {131, "The station list is empty.", &l_checkempty},
}};
// clang-format on

}  // namespace

const std::array<DirectoryText, kDirectoryTextCount>& directoryTexts() {
  return kTexts;
}

void applyBuiltInDirectoryTexts() {
  for (const DirectoryText& text : kTexts) {
    *text.global = QString::fromUtf8(text.builtIn);
  }
}

}  // namespace qv::i18n
