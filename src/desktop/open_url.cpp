#include "desktop/open_url.h"

#include <QDesktopServices>

namespace norvane {
namespace {

UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}

}  // namespace

bool OpenUrl(const QUrl& url) {
  if (Opener()) return Opener()(url);
  return QDesktopServices::openUrl(url);
}

void SetUrlOpener(UrlOpener opener) {
  Opener() = std::move(opener);
}

}  // namespace norvane
