// "Stay on Result Sites" against a local web of small businesses' sites, hubs without end and
// unrelated organisations behind them.
#include <QRegularExpression>

#include "common/event_yield.h"
#include "crawl_fixture.h"
#include "support/result_site_web.h"

namespace norvane::testing {
namespace {

QStringList StoredFaxes(const QString& path) {
  QStringList out;
  SpiderDatabase db(path);
  for (const FaxRow& row : db.ReadAllFaxes()) out << row.fax;
  return out;
}

int RequestsOfHosts(const TestHttpServer& server, const QStringList& hosts, bool orgs) {
  int n = 0;
  for (const auto& r : server.requests())
    if (hosts.contains(r.host) || (orgs && r.host.startsWith(QLatin1String("org-")))) ++n;
  return n;
}

struct StayCase {
  const char* name;
  bool stay;
  int pageLimit;
  bool allLinks;  // LF pages with one-line menus, read with "All Links of a Page"
};

class StaySitesCrawlTest : public CrawlTest, public ::testing::WithParamInterface<StayCase> {};

TEST_P(StaySitesCrawlTest, ReadsTheResultSitesContactPagesFirstAndEnds) {
  const StayCase& c = GetParam();
  // A page's links are queued without a yield between them, so that the order measured is the
  // crawl's choice among all of them. With yields due every millisecond, a slow build (the
  // sanitizer's, two tests at once) took a site's next page while the links above its contact
  // link were queued and the contact link not yet.
  struct NoYields {
    std::chrono::microseconds interval = YieldInterval();
    NoYields() { SetYieldInterval(std::chrono::hours(1)); }
    ~NoYields() { SetYieldInterval(interval); }
  } noYields;
  const ResultSiteWeb web =
      ServeResultSiteWeb(server, c.allLinks ? ResultSiteWeb::Layout::MenusOnOneLine
                                            : ResultSiteWeb::Layout::OneLinkPerLine);
  options.allLinks = c.allLinks;
  options.politeCrawl = true;
  options.skipPagesRead = true;
  options.staySites = c.stay;
  options.sitePageLimit = c.pageLimit;
  seed({QStringLiteral("plumbers")}, web.queue());
  auto crawl = startCrawler();
  crawl->setSitesPanelInterval(0);
  QStringList panel4;
  QObject::connect(crawl.get(), &HarvestController::panelTextChanged,
                   [&](int panel, const QString& text) {
                     if (panel == 4) panel4 << text;
                   });
  crawl->StartSearch();
  // Off, the crawl goes on into the hubs without end: it is stopped after as many fetches as the
  // whole of the result sites would take.
  const bool ended =
      WaitFor([&] { return dry(*crawl) || (!c.stay && server.requests().size() >= 400); }, 60000);
  ASSERT_TRUE(ended);
  if (crawl->bHarvesting) crawl->Stop();
  const ResultSiteFigures f = MeasureResultSiteCrawl(
      web, server, StoredFaxes(AppFile(QStringLiteral("spider.mdb"))), c.pageLimit);
  const int outside = RequestsOfHosts(server, web.hubs, true);
  if (!c.stay) {
    EXPECT_GT(outside, 0);
    return;
  }
  EXPECT_TRUE(dry(*crawl));
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(f.stored, f.storedFromResults);
  // Start Search drops the first website it loads without fetching it (the one "handed out
  // last"), so one site goes unread; with few pages a site, the two contact pages named only by
  // their link text, which this layout does not give, are not reached.
  EXPECT_GE(f.resultsStored, c.pageLimit >= 11 || c.allLinks ? 29 : 27);
  EXPECT_EQ(f.sitesOverLimit, 0);
  EXPECT_LE(f.fetches, c.pageLimit > 0 && c.pageLimit < 11 ? 30 * (c.pageLimit + 1) : 500);
  // Two sites name their contact page only in the link text, which the classic reading does not
  // give.
  EXPECT_GE(f.contactEarly, c.allLinks ? 29 : 27);
  // The sites are in the store, and the status bar told how many were done.
  QList<ResultSite> sites;
  crawl->database().LoadResultSites(QStringLiteral("plumbers"), sites);
  EXPECT_EQ(sites.size(), 30);
  // The first take drops a site unread: it is done from the start.
  ASSERT_FALSE(panel4.isEmpty());
  EXPECT_EQ(panel4.first(), QStringLiteral("1 of 30 sites done"));
  const QRegularExpression reading(QStringLiteral("^Reading [a-z.-]+: ([0-9]+) of 30 sites done$"));
  int mostDone = 0;
  for (const QString& text : panel4) {
    const auto match = reading.match(text);
    if (match.hasMatch()) mostDone = std::max(mostDone, match.captured(1).toInt());
  }
  EXPECT_GT(mostDone, 1);
  // Stopped, the panel is empty again.
  EXPECT_EQ(panel4.last(), QString());
}

INSTANTIATE_TEST_SUITE_P(Crawl, StaySitesCrawlTest,
                         ::testing::Values(StayCase{"On", true, 50, false},
                                           StayCase{"FivePages", true, 5, false},
                                           StayCase{"AllLinksOneLineMenus", true, 50, true},
                                           StayCase{"Off", false, 50, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CrawlTest, StaySitesResumeAfterARestartKeepsTheSites) {
  const ResultSiteWeb web = ServeResultSiteWeb(server, ResultSiteWeb::Layout::OneLinkPerLine, 6);
  options.politeCrawl = true;
  options.skipPagesRead = true;
  options.staySites = true;
  seed({QStringLiteral("plumbers")}, web.queue());
  {
    auto crawl = startCrawler();
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return server.requests().size() >= 8; }, 20000));
    crawl->Stop();
  }
  // The links queued so far include hubs only if the rule let them in; a new program's Resume
  // goes on with the same sites and reads nothing else.
  server.clearRequests();
  auto crawl = startCrawler();
  crawl->Resume();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 30000));
  EXPECT_EQ(RequestsOfHosts(server, web.hubs, true), 0);
  EXPECT_EQ(crawl->resultSites().count(), 6);
  // Next search string, or Start: the sites go with the queue.
  crawl->AbandonCurrentSearchString();
  QList<ResultSite> sites;
  EXPECT_TRUE(crawl->database().LoadResultSites(QStringLiteral("plumbers"), sites));
  EXPECT_TRUE(sites.isEmpty());
  EXPECT_TRUE(crawl->resultSites().isEmpty());
}

// A queue far longer than any search's results (left by a crawl with the rule off) is not read
// whole: the sites come from its front, and the crawl starts at once.
TEST_F(CrawlTest, StaySitesOnAHugeQueueReadsItsFront) {
  options.staySites = true;
  {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    QString search = QStringLiteral("plumbers");
    db.AddSearch(search);
    const SpiderDatabase::Batch batch(db);
    for (int k = 0; k < 60000; ++k) {
      QString website = QStringLiteral("site%1.test/").arg(k);
      db.AddWebsite(website);
    }
  }
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return server.requests().size() >= 20; }, 20000));
  EXPECT_LT(crawl->resultSites().count(), 60000);
  EXPECT_GT(crawl->resultSites().count(), 1000);
  crawl->Stop();
}

}  // namespace
}  // namespace norvane::testing
