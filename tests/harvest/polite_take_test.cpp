// The take at many sockets: the front of the queue is on two hosts fetching at their limit, and
// every other socket still finds a website of another host further down the queue.
#include <QHash>
#include <QSet>

#include "crawl_fixture.h"
#include "harvest/polite/polite_scheduler.h"

namespace norvane::testing {
namespace {

constexpr int kFrontRows = 500;  // on the two busy hosts, ahead of every other host
constexpr int kOtherHosts = 150;

QByteArray Robots200(const QByteArray& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

struct ManySocketsCase {
  const char* name;
  int connections;
  bool polite;
};

class ManySocketsTakeTest : public CrawlTest,
                            public ::testing::WithParamInterface<ManySocketsCase> {};

TEST_P(ManySocketsTakeTest, FreeSocketsTakeOtherHostsPastABusyFront) {
  const ManySocketsCase& c = GetParam();
  QStringList front;
  for (int k = 0; k < kFrontRows; ++k) {
    const QString website = QStringLiteral("%1.test/p%2.html").arg(k % 2 ? "a" : "b").arg(k);
    server.setPage(website, "<p>front</p>");
    front << website;
  }
  QStringList others;
  for (int h = 0; h < kOtherHosts; ++h) {
    const QString website = QStringLiteral("o%1.test/").arg(h);
    server.setPage(website, "<p>other</p>");
    others << website;
  }
  // A host whose robots.txt refuses everything: its websites go without a fetch.
  const QStringList refused{"no.test/1.html", "no.test/2.html"};
  server.setResponse(QStringLiteral("no.test/robots.txt"),
                     Robots200("User-agent: *\nDisallow: /\n"));
  for (const QString& website : refused) server.setPage(website, "<p>refused</p>");
  // Start Search moves the newest 20 rows into the preview and drops its entry 0: the first
  // 19 front rows are seeded last, behind that entry.
  seed({QStringLiteral("plumbers")}, front.mid(19) + refused + others +
                                         QStringList{QStringLiteral("first.dropped")} +
                                         front.mid(0, 19));
  server.setResponseDelay(200);
  options.politeCrawl = c.polite;
  options.connections = c.connections;
  auto crawl = startCrawler();
  crawl->StartSearch();

  // Every other host is fetched while the two front hosts are still far from done.
  const auto othersFetched = [&] {
    QSet<QString> hosts;
    for (const auto& r : server.requests())
      if (r.host.startsWith('o') && r.path == QLatin1String("/")) hosts.insert(r.host);
    return hosts.size() == kOtherHosts;
  };
  ASSERT_TRUE(WaitFor(othersFetched, 20000));
  int frontFetched = 0;
  for (const auto& r : server.requests())
    if (r.host == QLatin1String("a.test") || r.host == QLatin1String("b.test")) ++frontFetched;
  EXPECT_LT(frontFetched, 100);
  // The other hosts' fetches ran side by side, never more than two on one host.
  EXPECT_GE(server.maxOpenConnections(), std::min(c.connections, kOtherHosts) / 2);
  // The rest of the front drains quickly.
  server.setResponseDelay(5);
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 60000));
  EXPECT_EQ(server.maxOpenConnections(QStringLiteral("a.test")), 2);
  EXPECT_EQ(server.maxOpenConnections(QStringLiteral("b.test")), 2);

  // robots.txt first on every host, and once, with "Polite Crawl" on; never with it off. Every
  // website is fetched once, but those robots.txt refuses: rows read ahead are neither lost nor
  // taken twice.
  QHash<QString, QStringList> paths;
  for (const auto& r : server.requests()) paths[r.host] << r.path;
  for (auto it = paths.cbegin(); it != paths.cend(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    EXPECT_EQ(it->first() == QLatin1String("/robots.txt"), c.polite);
    EXPECT_EQ(it->count(QStringLiteral("/robots.txt")), c.polite ? 1 : 0);
  }
  for (const QString& website : front + others + refused) {
    const qsizetype slash = website.indexOf('/');
    const int times = paths.value(website.left(slash)).count(website.mid(slash));
    EXPECT_EQ(times, refused.contains(website) && c.polite ? 0 : 1) << website.toStdString();
  }
  EXPECT_EQ(crawl->statistics().lSessionScanned,
            front.size() + others.size() + (c.polite ? 0 : refused.size()));
  EXPECT_EQ(crawl->database().CountWebsites(), 0);
  EXPECT_EQ(paths.value(QStringLiteral("no.test")).size(), c.polite ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(PoliteCrawl, ManySocketsTakeTest,
                         ::testing::Values(ManySocketsCase{"TwoHundredPolite", 200, true},
                                           ManySocketsCase{"TwoHundredRulesOfTwoOnly", 200, false},
                                           ManySocketsCase{"HundredPolite", 100, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace norvane::testing
