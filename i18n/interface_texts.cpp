#include "interface_texts.h"

#include "directory_texts.h"
#include "listening_texts.h"

namespace qv {
QString l_bitrate, l_connecting, l_notplaying, l_cantplay, l_cantinit, l_delconfirm, l_newversion, l_whatsnew,
    l_download, l_errorcode, l_delete, l_deleteall, l_play, l_stop, l_mute, l_unmute, l_mergecaption, l_mergequestion,
    l_mergeadd, l_mergereplace, l_savefirst, l_unsaved;
}  // namespace qv

namespace qv::i18n {
namespace {

using M = MainFormTexts;

// clang-format off
const std::array<InterfaceText, kInterfaceTextCount> kTexts{{
    {1, "Restore", nullptr, nullptr},
    {2, "Open Playlist", nullptr, nullptr},
    {3, "Save Playlist", nullptr, nullptr},
    {4, "Add Station", nullptr, nullptr},
    {5, "Search", nullptr, nullptr},
    {6, "Recent Playlists", nullptr, nullptr},
    {7, "Tags", nullptr, nullptr},
    {8, "Bitrate", nullptr, &l_bitrate},
    {9, "connecting", nullptr, &l_connecting},
    {10, "buffering", &M::l_buf, nullptr},
    {11, "Error", &M::l_error, nullptr},
    {12, "Error! Wrong library qv_engine", &M::l_wrongbass, nullptr},
    {13, "Not playing", nullptr, &l_notplaying},
    {14, "Can't play the stream", nullptr, &l_cantplay},
    {15, "Can`t initialize device", nullptr, &l_cantinit},
    {16, "You going to delete radiostation, are you sure?", nullptr, &l_delconfirm},
    {17, "New version founded:", nullptr, &l_newversion},
    {18, "What's new:", nullptr, &l_whatsnew},
    {19, "Download?", nullptr, &l_download},
    {20, "Error code:", nullptr, &l_errorcode},
    {21, "Edit", nullptr, nullptr},
    {22, "Delete", nullptr, &l_delete},
    {23, "Delete All", nullptr, &l_deleteall},
    {24, "Previous", nullptr, nullptr},
    {25, "Play", nullptr, &l_play},
    {26, "Stop", nullptr, &l_stop},
    {27, "Pause", nullptr, nullptr},
    {28, "Next", nullptr, nullptr},
    {29, "Mute", nullptr, &l_mute},
    {30, "Unmute", nullptr, &l_unmute},
    {31, "Stations", nullptr, nullptr},
    {32, "Exit", nullptr, nullptr},
    {33, "Presets", nullptr, nullptr},
    {34, "Reverb", nullptr, nullptr},
    {35, "Add new online radiostation", &M::l_addform, nullptr},
    {36, "Name", &M::l_addtitle, nullptr},
    {37, "Broadcast link", &M::l_addlink, nullptr},
    {38, "Tag", &M::l_addtag, nullptr},
    {39, "Station Icon", &M::l_addpic, nullptr},
    {40, "Add", &M::l_addbtn, nullptr},
    {41, "Cancel", &M::l_cancel, nullptr},
    {42, "Settings", &M::l_setform, nullptr},
    {43, "Language", &M::l_setlang, nullptr},
    {44, "Proxy", &M::l_setproxy, nullptr},
    {45, "Global Media Hotkeys", &M::l_sethotkeys, nullptr},
    {46, "Minimize to Tray", &M::l_settray, nullptr},
    {47, "Wheel pitch", &M::l_setmouse, nullptr},
    {48, "Keyboard pitch", &M::l_setkey, nullptr},
    {49, "Invert mouse", &M::l_setinvert, nullptr},
    {50, "Buffer (1/10 s):", &M::l_setbuff, nullptr},
    {51, "Play on start", &M::l_setplay, nullptr},
    {52, "Loop playlist", &M::l_setloop, nullptr},
    {53, "Show Notify on Change Station", &M::l_setnotify, nullptr},
    {54, "Close", &M::l_setclose, nullptr},
    {55, "Any playlists", nullptr, nullptr},
    {56, "Winamp Playlists", nullptr, nullptr},
    {57, "XML Files", nullptr, nullptr},
    {58, "Compressed ZIP Playlists", nullptr, nullptr},
    {59, "All Files", nullptr, nullptr},
    {60, "INI Files", nullptr, nullptr},
    {61, "PLS Playlist", nullptr, nullptr},
    {62, "Merge or replace?", nullptr, &l_mergecaption},
    {63, "What we gonna do with new stations?", nullptr, &l_mergequestion},
    {64, "Add to current", nullptr, &l_mergeadd},
    {65, "Clear playlist and load from file", nullptr, &l_mergereplace},
    {66, "Cancel", &M::l_cancel, nullptr},
    {67, "New version detected", &M::l_setupdate, nullptr},
    {68, "Current version", &M::l_setcurver, nullptr},
    {69, "Sample rate (Hz):", &M::l_discr, nullptr},
    {70, "Save current playlist before open new?", nullptr, &l_savefirst},
    {71, "Unsaved", nullptr, &l_unsaved},
}};
// clang-format on

}  // namespace

const std::array<InterfaceText, kInterfaceTextCount>& interfaceTexts() {
  return kTexts;
}

QString builtInText(int line) {
  if (line < 1 || line > kInterfaceTextCount) {
    return {};
  }
  return QString::fromUtf8(kTexts[static_cast<std::size_t>(line - 1)].builtIn);
}

void applyBuiltInTexts(MainFormTexts& mainForm) {
  for (const InterfaceText& text : kTexts) {
    if (text.field) {
      mainForm.*text.field = QString::fromUtf8(text.builtIn);
    } else if (text.global) {
      *text.global = QString::fromUtf8(text.builtIn);
    }
  }
  applyBuiltInListeningTexts();
  applyBuiltInDirectoryTexts();
}

MainFormTexts builtInMainFormTexts() {
  MainFormTexts texts;
  for (const InterfaceText& text : kTexts) {
    if (text.field) {
      texts.*text.field = QString::fromUtf8(text.builtIn);
    }
  }
  return texts;
}

}  // namespace qv::i18n
