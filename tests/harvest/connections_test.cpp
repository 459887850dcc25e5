// The crawl on more connections than the classic ten: the rule of two per host, and name
// lookups that are asked once and never wait behind each other.
#include <QElapsedTimer>
#include <QTimer>

#include "crawl_fixture.h"
#include "harvest/fetch/host_lookups.h"

namespace norvane::testing {
namespace {

// Start Search moves the 20 newest rows into the preview, oldest first, and drops its entry 0:
// the website never fetched goes where that entry comes from.
QStringList WithDroppedEntry(QStringList sites) {
  sites.insert(std::max<qsizetype>(0, sites.size() - 19), QStringLiteral("first.dropped"));
  return sites;
}

constexpr int kHosts = 4;
constexpr int kPagesPerHost = 12;

TEST_F(CrawlTest, BeyondTenConnectionsNoHostHasMoreThanTwo) {
  const struct {
    int connections;
    bool polite;
    bool atMostTwo;  // else the classic crawl, which piles onto a host
  } cases[] = {{100, false, true}, {100, true, true}, {25, false, true}, {10, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.connections) + (c.polite ? " polite" : ""));
    // Hosts of their own for each case: the server counts connections per host name.
    const QString prefix = QStringLiteral("busy%1%2-").arg(c.connections).arg(c.polite);
    QStringList sites;
    for (int k = 0; k < kPagesPerHost; ++k) {
      for (int h = 0; h < kHosts; ++h) {
        const QString site = prefix + QStringLiteral("%1.test/p%2.html").arg(h).arg(k);
        server.setPage(site, "<html><body>Fax: (201) 555-" +
                                 QByteArray::number(1000 + h * 100 + k) + "</body></html>");
        sites << site;
      }
    }
    // Each answer takes a moment, so that every fetch the crawl may start does overlap.
    server.setResponseDelay(150);
    seed({QStringLiteral("plumbers")}, WithDroppedEntry(sites));
    options.politeCrawl = c.polite;
    options.connections = c.connections;
    auto crawl = startCrawler();
    crawl->StartSearch();
    EXPECT_EQ(crawl->fetcher().socketCount(), c.connections);
    ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 20000));
    int most = 0;
    for (int h = 0; h < kHosts; ++h)
      most = std::max(most, server.maxOpenConnections(prefix + QStringLiteral("%1.test").arg(h)));
    if (c.atMostTwo)
      EXPECT_EQ(most, 2);
    else
      EXPECT_GT(most, 2);
    EXPECT_EQ(crawl->database().ReadAllFaxes().size(), kHosts * kPagesPerHost);
    crawl.reset();
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    server.clearRequests();
  }
}

TEST_F(CrawlTest, TwoHundredConnectionsLookNamesUpOnceAndSideBySide) {
  constexpr int kDelayMs = 300;
  QStringList sites;
  for (int h = 0; h < 10; ++h) {
    for (int k = 0; k < 3; ++k) sites << QStringLiteral("far%1.test/p%2.html").arg(h).arg(k);
  }
  sites << QStringLiteral("nowhere.test/");
  seed({QStringLiteral("plumbers")}, WithDroppedEntry(sites));
  options.connections = 200;
  auto crawl = startCrawler();
  QHash<QString, int> asked;
  int inFlight = 0;
  int mostAtOnce = 0;
  // The hook stays set: every name that resolves is fetched from the test server.
  crawl->fetcher().setHostLookup([&](const QString& host, QObject* context, auto done) {
    ++asked[host];
    mostAtOnce = std::max(mostAtOnce, ++inFlight);
    QTimer::singleShot(kDelayMs, context, [&, host, done] {
      --inFlight;
      done(host == QLatin1String("nowhere.test")
               ? QList<QHostAddress>{}
               : QList{QHostAddress(QStringLiteral("192.0.2.7"))});
    });
  });
  QElapsedTimer clock;
  clock.start();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 10000));
  EXPECT_EQ(asked.size(), 11);
  for (auto it = asked.cbegin(); it != asked.cend(); ++it)
    EXPECT_EQ(it.value(), 1) << it.key().toStdString();
  EXPECT_EQ(mostAtOnce, 11);
  // Lookups one after the other would take eleven delays.
  EXPECT_LT(clock.elapsed(), 5 * kDelayMs);
  EXPECT_EQ(server.requests().size(), 30);
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("nowhere.test")));
}

TEST_F(CrawlTest, ConnectionObjectPassesOnItsSocketsEvents) {
  server.setPage(QStringLiteral("plain.test/"), "<html>hello</html>");
  server.setBehaviour(QStringLiteral("silent.test"), TestHttpServer::Behaviour::Silent);
  server.setBehaviour(QStringLiteral("shut.test"), TestHttpServer::Behaviour::CloseAtOnce);
  const struct {
    const char* host;  // null: a port where nothing listens
    bool securePage;   // a secure page is told of its connection only after the handshake
    bool connected;
    bool data;
    bool closed;
    QAbstractSocket::SocketError error;  // UnknownSocketError: none
    bool idleTicks;
  } cases[] = {
      {"plain.test", false, true, true, true, QAbstractSocket::RemoteHostClosedError, false},
      {"shut.test", false, true, false, true, QAbstractSocket::RemoteHostClosedError, false},
      {"silent.test", false, true, false, false, QAbstractSocket::UnknownSocketError, true},
      {"plain.test", true, false, false, false, QAbstractSocket::UnknownSocketError, true},
      {nullptr, false, false, false, false, QAbstractSocket::ConnectionRefusedError, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host ? c.host : "closed port") + (c.securePage ? " secure" : ""));
    FetchConnection connection(0, PageFetcher::kReadAheadBytes,
                               QSslConfiguration::defaultConfiguration(), 20, nullptr);
    connection.page.secure = c.securePage;
    int connected = 0, data = 0, closed = 0, idle = 0;
    QList<QAbstractSocket::SocketError> failed;
    QObject::connect(&connection, &FetchConnection::connected, [&] { ++connected; });
    QObject::connect(&connection, &FetchConnection::dataArrived, [&] { ++data; });
    QObject::connect(&connection, &FetchConnection::closed, [&] { ++closed; });
    QObject::connect(&connection, &FetchConnection::failed,
                     [&](QAbstractSocket::SocketError error) { failed << error; });
    QObject::connect(&connection, &FetchConnection::idleTick, [&] { ++idle; });
    QObject::connect(&connection, &FetchConnection::connected, [&] {
      connection.socket->write("GET / HTTP/1.1\r\nHost: " + QByteArray(c.host) + "\r\n\r\n");
    });
    // Only a fetch that waits long enough sees its idle timer tick.
    if (c.idleTicks) connection.idleTimer->start();
    connection.socket->connectToHost(QStringLiteral("127.0.0.1"),
                                     c.host ? server.port() : closedPort());
    WaitFor([&] { return closed > 0 || failed.contains(QAbstractSocket::ConnectionRefusedError); },
            500);
    WaitFor([&] { return idle > 0; }, 100);  // a few ticks more
    EXPECT_EQ(connected > 0, c.connected);
    EXPECT_EQ(data > 0, c.data);
    EXPECT_EQ(closed > 0, c.closed);
    EXPECT_EQ(failed.isEmpty() ? QAbstractSocket::UnknownSocketError : failed.first(), c.error);
    if (c.idleTicks) {
      EXPECT_GT(idle, 0);
    }
    EXPECT_EQ(connection.objectName(), QString());
    EXPECT_EQ(connection.idleTimer->objectName(), QStringLiteral("timTimeout"));
    connection.socket->abort();
  }
}

TEST(HostLookupsTest, EachNameIsAskedOnceARun) {
  QList<std::pair<QString, HostLookups::Done>> pending;
  HostLookups lookups([&](const QString& host, QObject*, HostLookups::Done done) {
    pending << std::pair{host, std::move(done)};
  });
  QStringList answered;
  const auto ask = [&](const char* host) {
    lookups.lookUp(QLatin1String(host), nullptr, [&answered, host](const auto& addresses) {
      answered << QLatin1String(host) + QLatin1Char('=') + QString::number(addresses.size());
    });
  };
  const QList<QHostAddress> one{QHostAddress(QStringLiteral("192.0.2.1"))};

  ask("a.test");
  ask("A.TEST");  // the same name
  ask("b.test");
  ASSERT_EQ(pending.size(), 2);
  pending[0].second(one);
  EXPECT_EQ(answered, QStringList({"a.test=1", "A.TEST=1"}));
  ask("a.test");  // known: answered at once
  EXPECT_EQ(answered.size(), 3);
  EXPECT_EQ(pending.size(), 2);

  lookups.clear();  // a new run: b.test's answer comes too late, a.test is asked again
  pending[1].second(one);
  EXPECT_EQ(answered.size(), 3);
  ask("a.test");
  ASSERT_EQ(pending.size(), 3);
  pending[2].second({});
  EXPECT_EQ(answered.last(), QStringLiteral("a.test=0"));
  EXPECT_EQ(lookups.asked(), 3);
}

}  // namespace
}  // namespace norvane::testing
