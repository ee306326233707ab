#include "open_url.h"

#include <QDesktopServices>

#include <utility>

namespace qv::ui {
namespace {

UrlOpener& currentOpener() {
  static UrlOpener opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  return opener;
}

}  // namespace

void openUrl(const QUrl& url) {
  if (const UrlOpener& opener = currentOpener()) {
    opener(url);
  }
}

UrlOpener setUrlOpener(UrlOpener opener) {
  return std::exchange(currentOpener(), std::move(opener));
}

}  // namespace qv::ui
