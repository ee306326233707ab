#pragma once

#include <QString>

#include <array>

namespace qv::i18n {

//! The 26 interface texts held as fields of the main window (it inherits this struct).
struct MainFormTexts {
  QString l_buf, l_error, l_wrongbass;
  QString l_addform, l_addtitle, l_addlink, l_addtag, l_addpic, l_addbtn, l_cancel;
  QString l_setform, l_setlang, l_setproxy, l_sethotkeys, l_settray, l_setmouse, l_setkey, l_setinvert, l_setbuff,
      l_setplay, l_setloop, l_setnotify, l_setclose, l_setupdate, l_setcurver, l_discr;
};

//! One line of a language file: the text it replaces, where that text is held, and its built-in
//! English. A line with neither holder goes straight into a caption, hint or dialog filter.
struct InterfaceText {
  int line;                       // 1..71
  const char* builtIn;            // the program's own English text
  QString MainFormTexts::*field;  // held by the main window, or null
  QString* global;                // program-wide text, or null
};

inline constexpr int kInterfaceTextCount = 71;

//! Every line 1..71 in order. Lines 41 and 66 both hold `l_cancel`; the later one wins.
const std::array<InterfaceText, kInterfaceTextCount>& interfaceTexts();

//! The built-in English text of `line` (1..71); empty outside that range.
QString builtInText(int line);

//! Sets every held text (the main window's fields and the program-wide texts) to its built-in text.
void applyBuiltInTexts(MainFormTexts& mainForm);
//! The main window's fields in built-in English; the program-wide texts are left as they are.
MainFormTexts builtInMainFormTexts();

}  // namespace qv::i18n

//! The program-wide interface texts (GUI thread only); read when a message or status is shown.
namespace qv {
extern QString l_bitrate, l_connecting, l_notplaying, l_cantplay, l_cantinit, l_delconfirm, l_newversion, l_whatsnew,
    l_download, l_errorcode, l_delete, l_deleteall, l_play, l_stop, l_mute, l_unmute, l_mergecaption, l_mergequestion,
    l_mergeadd, l_mergereplace, l_savefirst, l_unsaved;
}  // namespace qv
