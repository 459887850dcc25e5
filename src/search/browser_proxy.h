#pragma once

#include <QByteArray>
#include <QString>

// Test hook: NORVANE_BROWSER_PROXY=HOST:PORT sends every request of the embedded browser through
// that HTTP proxy, so tests can serve result pages under the engines' real host names from a
// local server. It works through the browser engine's own switches, so it reaches the embedded
// browser only: the crawl's sockets never see it.
namespace norvane {

// The browser-engine switches for the proxy HOST:PORT: every address (loopback included) goes
// through the proxy and no other host name is looked up. Empty when the text is no HOST:PORT.
QByteArray BrowserProxySwitches(const QString& hostPort);

// Adds the switches for NORVANE_BROWSER_PROXY to QTWEBENGINE_CHROMIUM_FLAGS. Must run before the
// first browser is created; later calls do nothing. Without the variable nothing changes.
void ApplyBrowserProxyHook();

}  // namespace norvane
