#include "search/browser_proxy.h"

#include <QRegularExpression>
#include <QtGlobal>

namespace norvane {

QByteArray BrowserProxySwitches(const QString& hostPort) {
  static const QRegularExpression kHostPort(
      QStringLiteral("^([A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?):([0-9]{1,5})$"));
  const QRegularExpressionMatch match = kHostPort.match(hostPort);
  if (!match.hasMatch()) return QByteArray();
  const int port = match.captured(2).toInt();
  if (port < 1 || port > 65535) return QByteArray();
  const QByteArray host = match.captured(1).toLatin1();
  return "--proxy-server=http://" + host + ':' + QByteArray::number(port) +
         " --proxy-bypass-list=<-loopback>" +
         " --host-resolver-rules=\"MAP * ~NOTFOUND , EXCLUDE " + host + '"';
}

void ApplyBrowserProxyHook() {
  static bool applied = false;
  if (applied) return;
  applied = true;
  const QByteArray switches = BrowserProxySwitches(qEnvironmentVariable("NORVANE_BROWSER_PROXY"));
  if (switches.isEmpty()) return;
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.isEmpty()) flags += ' ';
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + switches);
}

}  // namespace norvane
