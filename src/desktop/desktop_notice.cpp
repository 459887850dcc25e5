#include "desktop/desktop_notice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace norvane {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

DesktopNoticeSink& Sink() {
  static DesktopNoticeSink sink;
  return sink;
}

}  // namespace

bool ShowDesktopNotice(const QString& title, const QString& body) {
  if (Sink()) {
    Sink()(title, body);
    return true;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService))
    return false;
  QDBusMessage notify =
      QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                     kService, QStringLiteral("Notify"));
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
  // service's default).
  notify << QCoreApplication::applicationName() << uint(0) << QStringLiteral("norvane") << title
         << body << QStringList() << QVariantMap() << int(-1);
  // Not waited for: a slow service must not hold up the harvest.
  return bus.send(notify);
}

void SetDesktopNoticeSink(DesktopNoticeSink sink) {
  Sink() = std::move(sink);
}

}  // namespace norvane
