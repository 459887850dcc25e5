// Memory of the real main window while it crawls a mix of hostile local servers: a chunked
// page, redirects, an endless header block, a 100 MB body, a page of 20,000 links, a 200 KB
// link, NUL bytes, a slow drip, a silent server, a stall, an endless body, a reset and a large
// chunked body, next to a few good pages. Prints the resident size before the crawl and its
// peak during it, in one line:
//
//   hostile_memory_bench [--seconds 40] [--hidden]
//
// The servers run in a child process of their own (this program with --serve), so their
// buffers do not count; the crawl connects only to them, through NORVANE_CONNECT_TO on
// 127.0.0.1. The run ends when the queue runs dry or after the given seconds.

#include <sys/resource.h>

#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/form1.h"
#include "common/app_folder.h"
#include "common/version_info.h"
#include "desktop/message_box.h"
#include "store/spider_database.h"
#include "support/test_http_server.h"

namespace {

using norvane::testing::TestHttpServer;
using Behaviour = TestHttpServer::Behaviour;

QByteArray Page(const QByteArray& body) {
  return "<html><body>" + body + "</body></html>";
}

// The hostile hosts and what they serve at "/"; the crawl is seeded with each of them.
QStringList ServeHostileMix(TestHttpServer& server) {
  QStringList roots;
  auto page = [&](const char* host, const QByteArray& body) {
    server.setPage(QLatin1String(host) + QLatin1Char('/'), Page(body));
    roots << QLatin1String(host);
  };
  auto raw = [&](const char* host, const QByteArray& bytes) {
    server.setResponse(QLatin1String(host) + QLatin1Char('/'), bytes);
    roots << QLatin1String(host);
  };
  auto behaving = [&](const char* host, Behaviour b) {
    server.setBehaviour(QLatin1String(host), b);
    roots << QLatin1String(host);
  };

  QList<QByteArray> chunks{"<html><body>Fax: (201) 55", "5-0001</body></html>"};
  server.setChunkedPage(QStringLiteral("chunked.test/"), chunks);
  roots << QStringLiteral("chunked.test");
  server.setRedirect(QStringLiteral("redirect.test/"), 301, "https://good.test/");
  server.setRedirect(QStringLiteral("redirect2.test/"), 302, "/moved.html");
  server.setPage(QStringLiteral("redirect2.test/moved.html"), Page("Fax: (303) 555-0102"));
  roots << QStringLiteral("redirect.test") << QStringLiteral("redirect2.test");

  QByteArray header = "HTTP/1.1 200 OK\r\n";
  while (header.size() < 24 * 1024 * 1024) header += "X-Padding: " + QByteArray(100, 'h') + "\r\n";
  raw("endlessheader.test", header);

  const qsizetype big = 100 * 1024 * 1024;
  raw("big.test", "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(big) +
                      "\r\nConnection: close\r\n\r\n" + QByteArray(big, 'b'));

  QByteArray links;
  for (int k = 0; k < 20000; ++k)
    links += "<a href=\"http://links.test/p" + QByteArray::number(k) + ".html\">p</a>\r\n";
  page("links.test", links);
  page("longlink.test", "<a href=\"http://longlink.test/" + QByteArray(200 * 1024, 'l') +
                            "\">long</a> Fax: (212) 555-0103");
  QByteArray nul = "Fax: (415) 555-0104 ";
  for (int k = 0; k < 64 * 1024; ++k) nul += char(k % 7 == 0 ? 0 : 'n');
  page("nul.test", nul);

  behaving("drip.test", Behaviour::Trickle);
  behaving("silent.test", Behaviour::Silent);
  behaving("stall.test", Behaviour::HeadersThenStall);
  behaving("endless.test", Behaviour::Endless);
  behaving("reset.test", Behaviour::Reset);

  QList<QByteArray> large;
  for (int k = 0; k < 320; ++k) large << QByteArray(64 * 1024, 'c');
  server.setChunkedPage(QStringLiteral("bigchunked.test/"), large);
  roots << QStringLiteral("bigchunked.test");

  for (int k = 0; k < 5; ++k)
    page(qPrintable(QStringLiteral("good%1.test").arg(k)),
         "Fax: (617) 555-01" + QByteArray::number(10 + k));
  server.setTrickleInterval(200);
  return roots;
}

// --serve: the servers, until standard input closes. Prints the port, then the roots a line each.
int Serve() {
  TestHttpServer server;
  const QStringList roots = ServeHostileMix(server);
  std::printf("%u\n%s\n\n", unsigned(server.port()), qPrintable(roots.join(QLatin1Char('\n'))));
  std::fflush(stdout);
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char c;
    if (read(STDIN_FILENO, &c, 1) <= 0) QCoreApplication::quit();
  });
  return QCoreApplication::exec();
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

long CurrentRssKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return 0;
}

void StoreSetting(const char* key, const char* value) {
  QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane"))
      .setValue(QStringLiteral("Settings/") + QLatin1String(key), QLatin1String(value));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(norvane::version::kProductName));
  QApplication::setOrganizationName(QString::fromUtf8(norvane::version::kProductName));
  const QStringList args = QApplication::arguments();
  if (args.contains(QLatin1String("--serve"))) return Serve();
  int seconds = 40;
  if (const qsizetype k = args.indexOf(QLatin1String("--seconds")); k > 0 && k + 1 < args.size())
    seconds = args[k + 1].toInt();
  const bool hidden = args.contains(QLatin1String("--hidden"));

  QProcess servers;
  servers.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve")});
  QStringList lines;
  while (servers.waitForReadyRead(30000)) {
    lines = QString::fromLatin1(servers.readAllStandardOutput()).split(QLatin1Char('\n'));
    while (!lines.endsWith(QString()) || lines.size() < 3) {
      if (!servers.waitForReadyRead(30000)) break;
      lines = (lines.join(QLatin1Char('\n')) + QString::fromLatin1(servers.readAllStandardOutput()))
                  .split(QLatin1Char('\n'));
    }
    break;
  }
  lines.removeAll(QString());
  if (lines.size() < 2) {
    std::fprintf(stderr, "hostile_memory_bench: the servers did not start\n");
    return 1;
  }
  qputenv("NORVANE_CONNECT_TO", "127.0.0.1:" + lines.takeFirst().toLatin1());

  QTemporaryDir appDir;
  QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  norvane::SetAppFolder(appDir.path());
  norvane::MessageBox::setTestMode(true);
  for (const char* key : {"chkAudioEmail", "chkAudioNext", "chkAudioFinished", "chkAuto"})
    StoreSetting(key, "0");
  StoreSetting("showHelp", "0");
  {
    norvane::SpiderDatabase db(norvane::AppFile(QStringLiteral("spider.mdb")));
    if (!db.open()) return 1;
    QString search = QStringLiteral("plumbers");
    db.AddSearch(search);
    for (QString site : QStringList{QStringLiteral("first.dropped")} + lines) db.AddWebsite(site);
  }

  norvane::Form1 form;
  form.Form_Load();
  if (!hidden) form.show();
  QApplication::processEvents();
  const long before = CurrentRssKb();

  QElapsedTimer clock;
  QEventLoop loop;
  QTimer poll;
  bool done = false;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done) return;
    if (form.controller().bHarvesting && clock.elapsed() < qint64(seconds) * 1000) return;
    done = true;
    poll.stop();
    if (form.controller().bHarvesting) form.cmdStop_Click();
    loop.quit();
  });
  clock.start();
  poll.start();
  form.cmdDoSearch_Click();
  if (!done) loop.exec();

  const auto& s = form.controller().statistics();
  std::printf(
      "RESULT hosts=%lld seconds=%.1f rss_before_mb=%.1f peak_rss_mb=%.1f scanned=%d faxes=%d\n",
      static_cast<long long>(lines.size()), double(clock.elapsed()) / 1000.0,
      double(before) / 1024.0, double(PeakRssKb()) / 1024.0, s.lSessionScanned, s.lSessionFaxes);
  servers.closeWriteChannel();
  servers.waitForFinished(5000);
  return 0;
}
