#pragma once

#include <QUrl>
#include <functional>

namespace norvane {

// Opens an address (a web page, or a local folder in the file manager) with the desktop's
// default handler. Every desktop hand-off of the program goes through here, so tests can
// record the address instead of starting a browser or a file manager.
bool OpenUrl(const QUrl& url);

// Tests: the opener used from now on; an empty function restores the desktop's.
using UrlOpener = std::function<bool(const QUrl&)>;
void SetUrlOpener(UrlOpener opener);

}  // namespace norvane
