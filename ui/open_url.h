#pragma once

#include <QUrl>

#include <functional>

namespace qv::ui {

//! Opens a URL with the desktop's default handler (a browser for web pages). The result is not
//! examined. GUI thread only.
void openUrl(const QUrl& url);

//! The service behind openUrl: the desktop by default; tests put an observer in its place.
using UrlOpener = std::function<void(const QUrl& url)>;
//! Replaces the service and returns the previous one.
UrlOpener setUrlOpener(UrlOpener opener);

}  // namespace qv::ui
