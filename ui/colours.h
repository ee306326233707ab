#pragma once

#include <QColor>

//! The colours of the main window and its controls.
namespace qv::ui::colours {

inline const QColor kWindow{0x37, 0x37, 0x37};
inline const QColor kListBox{0x4E, 0x4E, 0x4E};
inline const QColor kSearchBox{0x31, 0x31, 0x31};
inline const QColor kLabelText{0xBB, 0xDD, 0xFF};
//! A label that is a link, under the pointer.
inline const QColor kLinkText{0xFF, 0xFF, 0xFF};
//! The one-pixel line along the window's top edge while the application is active, and while not.
inline const QColor kTopLineActive{0x27, 0x27, 0x27};
inline const QColor kTopLineInactive{0x57, 0x57, 0x57};

}  // namespace qv::ui::colours
