// The crawl's log: a line for every fetch given up, naming the page and why.
#include "crawl_fixture.h"
#include "support/log_capture.h"

namespace norvane::testing {
namespace {

TEST_F(CrawlTest, EveryFetchGivenUpIsLoggedWithItsReason) {
  using B = TestHttpServer::Behaviour;
  const struct {
    const char* host;
    B behaviour;
    const char* reason;  // empty: a page taken, no line
  } cases[] = {
      {"silent.test", B::Silent, "idle"},       {"trickle.test", B::Trickle, "total time"},
      {"endless.test", B::Endless, "size cap"}, {"good.test", B::Normal, ""},
      {"close.test", B::CloseAtOnce, ""},
  };
  QStringList sites;
  for (const auto& c : cases) {
    server.setBehaviour(QLatin1String(c.host), c.behaviour);
    sites << QLatin1String(c.host);
  }
  server.setTrickleInterval(5);
  server.setPage(QStringLiteral("good.test/"), "<html><body>Fax: (201) 555-0123</body></html>");
  seedQueue(sites);
  const LogCapture log("norvane.crawl");
  auto crawl = startCrawler(20);
  crawl->fetcher().setMaxResponseBytes(256 * 1024);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 20000));

  for (const auto& c : cases) {
    const QString page = QLatin1String(c.host) + QLatin1Char('/');
    EXPECT_EQ(log.has({"fetch given up: " + page}), *c.reason != 0) << c.host;
    if (*c.reason) {
      EXPECT_TRUE(log.has({"fetch given up: " + page, "reason: " + QLatin1String(c.reason)}))
          << log.lines().join(QLatin1Char('\n')).toStdString();
    }
  }
}

}  // namespace
}  // namespace norvane::testing
