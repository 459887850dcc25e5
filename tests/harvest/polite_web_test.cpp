// The polite crawl against a local web server: robots.txt fetched first and obeyed, at most two
// connections to one host while all ten sockets stay in use, and servers asking to wait.
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <cstdlib>

#include "crawl_fixture.h"
#include "harvest/polite/polite_scheduler.h"
#include "support/log_capture.h"

namespace norvane::testing {
namespace {

using Behaviour = TestHttpServer::Behaviour;

QStringList PathsOf(const TestHttpServer& server, const QString& host) {
  QStringList out;
  for (const auto& r : server.requests())
    if (r.host == host) out << r.path;
  return out;
}

QList<qint64> TimesOf(const TestHttpServer& server, const QString& hostAndPath) {
  QList<qint64> out;
  for (const auto& r : server.requests())
    if (r.host + r.path == hostAndPath) out << r.atMs;
  return out;
}

QByteArray Response(const QByteArray& status, const QByteArray& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray BiggerThanTheLimit() {
  QByteArray body = "User-agent: *\nDisallow: /early\n";
  while (body.size() <= qsizetype(kRobotsMaxBytes)) body += "# " + QByteArray(76, 'x') + "\n";
  return body + "Disallow: /late\n";
}

const QStringList kRobotsPages{"/public.html",      "/private/x.html", "/shop/open/a.html",
                               "/shop/closed.html", "/early",          "/late"};

struct RobotsCase {
  const char* name;
  bool polite;
  QByteArray robots;  // the raw answer to /robots.txt; empty: 404
  Behaviour behaviour;
  QStringList fetched;  // pages of r.test, in any order
  qint64 minGapMs;      // between the first two page fetches
};

class RobotsTxtTest : public CrawlTest, public ::testing::WithParamInterface<RobotsCase> {};

TEST_P(RobotsTxtTest, DecidesWhatIsFetched) {
  const RobotsCase& c = GetParam();
  if (!c.robots.isEmpty()) server.setResponse(QStringLiteral("r.test/robots.txt"), c.robots);
  server.setBehaviour(QStringLiteral("r.test"), c.behaviour);
  QStringList queue;
  for (const QString& p : kRobotsPages) {
    server.setPage(QStringLiteral("r.test") + p, "<p>page</p>");
    queue << QStringLiteral("r.test") + p;
  }
  options.politeCrawl = c.polite;
  seedQueue(queue);
  const LogCapture log("norvane.polite");
  auto crawl = startCrawler(20);
  QStringList panel2;
  QObject::connect(crawl.get(), &HarvestController::panelTextChanged,
                   [&](int panel, const QString& text) {
                     if (panel == 2) panel2 << text;
                   });
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 15000));

  QStringList asked = PathsOf(server, QStringLiteral("r.test"));
  EXPECT_EQ(!asked.isEmpty() && asked.first() == QLatin1String("/robots.txt"), c.polite);
  EXPECT_EQ(asked.count(QStringLiteral("/robots.txt")), c.polite ? 1 : 0);
  asked.removeAll(QStringLiteral("/robots.txt"));
  QStringList expected = c.fetched;
  asked.sort();
  expected.sort();
  EXPECT_EQ(asked, expected);
  // robots.txt is a fetch, not a page scanned.
  EXPECT_EQ(crawl->statistics().lSessionScanned, c.fetched.size());
  // Panel 2 tells of websites robots.txt refused (a refused host's as well).
  EXPECT_EQ(panel2.contains(QStringLiteral("Skipped by robots.txt")),
            c.polite && c.fetched.size() < kRobotsPages.size());
  // The polite log has a line for the robots.txt read (or not read) and for every page skipped.
  EXPECT_EQ(log.has({"robots.txt of r.test"}), c.polite);
  for (const QString& p : kRobotsPages)
    EXPECT_EQ(log.has({"skipped by robots.txt: r.test" + p}), !c.fetched.contains(p))
        << p.toStdString();
  if (c.minGapMs > 0) {
    QList<qint64> starts;
    for (const QString& p : c.fetched) starts << TimesOf(server, QStringLiteral("r.test") + p);
    ASSERT_EQ(starts.size(), 2);
    EXPECT_GE(std::abs(starts[1] - starts[0]), c.minGapMs);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PoliteCrawl, RobotsTxtTest,
    ::testing::Values(
        RobotsCase{"NorvaneGroupWinsOverStar",
                   true,
                   Response("200 OK",
                            "User-agent: *\nDisallow: /\n\nUser-agent: Norvane\n"
                            "Disallow: /private\nDisallow: /early\n"),
                   Behaviour::Normal,
                   {"/public.html", "/shop/open/a.html", "/shop/closed.html", "/late"},
                   0},
        RobotsCase{"StarGroupAllowBeatsDisallowByLength",
                   true,
                   Response("200 OK",
                            "User-agent: other\nDisallow: /\n\nUser-agent: *\n"
                            "Disallow: /private\nDisallow: /shop\nAllow: /shop/open\n"),
                   Behaviour::Normal,
                   {"/public.html", "/shop/open/a.html", "/early", "/late"},
                   0},
        RobotsCase{"NotFoundAllowsEverything", true, {}, Behaviour::Normal, kRobotsPages, 0},
        RobotsCase{"ServerErrorRefusesTheHost",
                   true,
                   Response("500 Internal Server Error", "User-agent: *\nAllow: /\n"),
                   Behaviour::Normal,
                   {},
                   0},
        RobotsCase{"NoAnswerRefusesTheHost", true, {}, Behaviour::Silent, {}, 0},
        RobotsCase{"UnparseableAllowsEverything", true,
                   Response("200 OK", QByteArray("\x00\xff\xfe<html>\x01", 10)), Behaviour::Normal,
                   kRobotsPages, 0},
        RobotsCase{
            "OnlyTheFirst500KiBCount",
            true,
            Response("200 OK", BiggerThanTheLimit()),
            Behaviour::Normal,
            {"/public.html", "/private/x.html", "/shop/open/a.html", "/shop/closed.html", "/late"},
            0},
        RobotsCase{"CrawlDelaySpacesTheFetches",
                   true,
                   Response("200 OK",
                            "User-agent: *\nCrawl-delay: 1\nDisallow: /shop\n"
                            "Disallow: /early\nDisallow: /late\n"),
                   Behaviour::Normal,
                   {"/public.html", "/private/x.html"},
                   900},
        RobotsCase{"OffNeverAsks", false, Response("200 OK", "User-agent: *\nDisallow: /\n"),
                   Behaviour::Normal, kRobotsPages, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A second session on the same file asks for robots.txt again: what the first one read is no
// answer of this run, and robots.txt is no page read. Only this run's answer may drop websites.
TEST_F(CrawlTest, SecondSessionFetchesRobotsTxtAgainBeforeDroppingAnything) {
  const struct {
    const char* name;
    QByteArray secondRobots;  // the answer the second session gets
    QStringList fetched;      // pages of the second session
  } cases[] = {
      {"allowed",
       Response("200 OK", "User-agent: *\nDisallow: /private\n"),
       {"/b.html", "/c.html"}},
      {"refused now", Response("200 OK", "User-agent: *\nDisallow: /\n"), {}},
      {"server error now", Response("503 Service Unavailable", "busy"), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"spider.mdb", "spider.mdb-wal", "spider.mdb-shm"})
      QFile::remove(folder.file(QLatin1String(name)));
    server.clearRequests();
    options.politeCrawl = true;
    options.skipPagesRead = true;
    server.setResponse(QStringLiteral("r.test/robots.txt"),
                       Response("200 OK", "User-agent: *\nDisallow: /private\n"));
    for (const char* page : {"/a.html", "/b.html", "/c.html"})
      server.setPage(QStringLiteral("r.test") + page, "<p>page</p>");
    seedQueue({QStringLiteral("r.test/a.html")});
    {
      auto first = startCrawler(20);
      first->StartSearch();
      ASSERT_TRUE(WaitFor([&] { return dry(*first); }, 15000));
    }
    ASSERT_EQ(PathsOf(server, QStringLiteral("r.test")), (QStringList{"/robots.txt", "/a.html"}));

    server.setResponse(QStringLiteral("r.test/robots.txt"), c.secondRobots);
    seed({}, {QStringLiteral("first.dropped"), QStringLiteral("r.test/b.html"),
              QStringLiteral("r.test/c.html")});
    auto second = startCrawler(20);
    ASSERT_EQ(second->database().CountWebsites(), 0);  // all three in the preview
    second->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return dry(*second); }, 15000));
    QStringList asked = PathsOf(server, QStringLiteral("r.test")).mid(2);
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.takeFirst(), QStringLiteral("/robots.txt"));
    asked.sort();  // two sockets fetch the pages side by side
    EXPECT_EQ(asked, c.fetched);
    EXPECT_FALSE(second->database().VisitedKnown(QStringLiteral("r.test/robots.txt"),
                                                 QStringLiteral("plumbers")));
  }
}

struct HostsCase {
  const char* name;
  bool polite;
  int hosts;
  int pagesPerHost;
  int maxPerHost;  // the most connections to one host the server sees
  int leastInAll;  // it sees at least this many connections at once
};

class HostLimitTest : public CrawlTest, public ::testing::WithParamInterface<HostsCase> {};

TEST_P(HostLimitTest, ConnectionsPerHostAndInAll) {
  const HostsCase& c = GetParam();
  server.setResponseDelay(50);
  QStringList queue;
  QStringList hosts;
  for (int h = 0; h < c.hosts; ++h) {
    const QString host = QStringLiteral("h%1.test").arg(h);
    hosts << host;
    for (int p = 0; p < c.pagesPerHost; ++p) {
      const QString website = host + QStringLiteral("/p%1.html").arg(p);
      server.setPage(website, "<p>page</p>");
      queue << website;  // host by host: the front of the queue is always one host's
    }
  }
  options.politeCrawl = c.polite;
  seedQueue(queue);
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 60000));
  EXPECT_EQ(crawl->statistics().lSessionScanned, c.hosts * c.pagesPerHost);
  int most = 0;
  for (const QString& host : hosts) most = std::max(most, server.maxOpenConnections(host));
  EXPECT_EQ(most, c.maxPerHost);
  EXPECT_GE(server.maxOpenConnections(), c.leastInAll);
}

INSTANTIATE_TEST_SUITE_P(PoliteCrawl, HostLimitTest,
                         ::testing::Values(HostsCase{"ThreeHostsOfThirtyPages", true, 3, 30, 2, 6},
                                           HostsCase{"ManyHostsUseAllTen", true, 40, 2, 2, 10},
                                           HostsCase{"OffTenOnOneHost", false, 3, 30, 10, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RetryCase {
  const char* name;
  QByteArray status;
  QByteArray retryAfter;  // "DATE": an HTTP-date two seconds ahead
  bool always;            // every answer asks to wait, not only the first
  int requests;           // of the page
  qint64 minGapMs;        // between its first two requests
};

class RetryAfterCrawlTest : public CrawlTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(RetryAfterCrawlTest, KeepsTheHostWaitingAndRetriesOnce) {
  const RetryCase& c = GetParam();
  QByteArray value = c.retryAfter;
  if (value == "DATE")
    value = QLocale::c()
                .toString(QDateTime::currentDateTimeUtc().addSecs(2),
                          QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
                .toLatin1();
  QByteArray wait = "HTTP/1.1 " + c.status + "\r\n";
  if (!value.isEmpty()) wait += "Retry-After: " + value + "\r\n";
  wait += "Content-Length: 4\r\nConnection: close\r\n\r\nbusy";
  server.setPage(QStringLiteral("w.test/page"), "<p>page</p>");
  if (c.always) server.setResponse(QStringLiteral("w.test/page"), wait);
  if (!c.always) server.setFirstResponse(QStringLiteral("w.test/page"), wait);
  server.setPage(QStringLiteral("other.test/"), "<p>other</p>");
  options.politeCrawl = true;
  seedQueue({QStringLiteral("w.test/page"), QStringLiteral("other.test/")});
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 15000));

  const QList<qint64> times = TimesOf(server, QStringLiteral("w.test/page"));
  ASSERT_EQ(times.size(), c.requests);
  if (c.requests == 2) {
    EXPECT_GE(times[1] - times[0], c.minGapMs);
  }
  // Only the host that asked was kept waiting: the other one went before the retry, and
  // without a wait it was not held back at all (its page may still come a millisecond after
  // the one that answered 503, as the two sockets' answers are taken in either order).
  const QList<qint64> other = TimesOf(server, QStringLiteral("other.test/"));
  ASSERT_EQ(other.size(), 1);
  EXPECT_LT(other[0], times.last() + (c.requests == 2 ? 0 : 500));
  // The answer that asked to wait is no page; the last answer always counts as one.
  EXPECT_EQ(crawl->statistics().lSessionScanned, 2);
}

INSTANTIATE_TEST_SUITE_P(
    PoliteCrawl, RetryAfterCrawlTest,
    ::testing::Values(
        RetryCase{"ServiceUnavailableSeconds", "503 Service Unavailable", "1", false, 2, 900},
        RetryCase{"TooManyRequestsDate", "429 Too Many Requests", "DATE", false, 2, 900},
        RetryCase{"PutBackOnlyOnce", "429 Too Many Requests", "1", true, 2, 900},
        RetryCase{"WithoutRetryAfterAPageAsAny", "503 Service Unavailable", {}, false, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace norvane::testing
