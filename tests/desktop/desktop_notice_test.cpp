// Desktop notices through a real message bus: a private dbus-daemon, and a notification
// service on it that records what it is asked to show.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

#include "desktop/desktop_notice.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

// The service's side of org.freedesktop.Notifications: Notify, recorded.
class NotificationService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  QStringList shown;  // summary, then body, for each notice

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int timeout) {
    Q_UNUSED(replaces)
    Q_UNUSED(actions)
    Q_UNUSED(hints)
    Q_UNUSED(timeout)
    shown << app + "|" + icon + "|" + summary + "|" + body;
    return uint(shown.size());
  }
};

TEST(DesktopNoticeTest, ShownThroughTheServiceAndDroppedWithoutOne) {
  const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
  if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
  QProcess bus;
  bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
  ASSERT_TRUE(bus.waitForStarted());
  ASSERT_TRUE(WaitFor([&bus] { return bus.canReadLine(); }, 10000));
  const QByteArray address = bus.readLine().trimmed();
  // The program's session bus is this one; it is looked up at its first use, below.
  qputenv("DBUS_SESSION_BUS_ADDRESS", address);
  QCoreApplication::setApplicationName(QStringLiteral("Norvane"));

  EXPECT_FALSE(ShowDesktopNotice(QStringLiteral("Harvest finished"), QStringLiteral("3 found")));

  QDBusConnection serviceSide = QDBusConnection::connectToBus(QString::fromUtf8(address), "svc");
  ASSERT_TRUE(serviceSide.isConnected());
  NotificationService service;
  ASSERT_TRUE(serviceSide.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                         QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(serviceSide.registerService(QStringLiteral("org.freedesktop.Notifications")));

  EXPECT_TRUE(ShowDesktopNotice(QStringLiteral("Harvest finished"), QStringLiteral("3 found")));
  EXPECT_TRUE(WaitFor([&service] { return !service.shown.isEmpty(); }));
  EXPECT_EQ(service.shown, QStringList{"Norvane|norvane|Harvest finished|3 found"});

  QDBusConnection::disconnectFromBus(QStringLiteral("svc"));
  bus.kill();
  bus.waitForFinished();
}

}  // namespace
}  // namespace norvane::testing

#include "desktop_notice_test.moc"
