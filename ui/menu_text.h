#pragma once

#include <QString>

namespace qv::ui {

//! A menu caption that shows `text` as it is: a menu takes `&` as the mark of a shortcut key, so
//! names from the user's lists ("Rock, Pop & More") have it doubled.
inline QString menuTextOf(QString text) {
  return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace qv::ui
