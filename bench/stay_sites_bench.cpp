// "Stay on Result Sites" measured: the crawl (the harvest controller, as the window runs it with
// "Polite Crawl" and "Skip Pages Already Read" on, "All Links of a Page" on and off) over a local
// web of 30 result sites of 11 pages, each with a contact page carrying its fax number, hubs with
// endless pages and unrelated organisations behind them (tests/support/result_site_web.h), with the
// item on and off, the web written one link per CR LF line and as today's LF pages with one-line
// menus. Prints per run: result sites whose number was stored, the share of stored numbers from
// result sites, sites whose contact page came within their first 4 fetches, and the fetches until
// the crawl ended by itself (or was stopped at --fetch-cap).
//
//   stay_sites_bench [--fetch-cap 3000] [--time-limit 300] [--page-limit 50]
//
// Everything runs on 127.0.0.1: the crawl connects only to the bench's own server.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "common/app_folder.h"
#include "harvest/control/harvest_controller.h"
#include "harvest/fetch/page_fetcher.h"
#include "store/spider_database.h"
#include "support/result_site_web.h"
#include "support/test_http_server.h"

namespace {

using norvane::HarvestController;
using norvane::SpiderDatabase;
using norvane::testing::ResultSiteWeb;

// Runs the events for a while: the crawl and the server both live on this thread.
void Wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

struct Run {
  bool stay;
  ResultSiteWeb::Layout layout;
  bool allLinks;
};

struct Limits {
  int fetchCap = 3000;
  int timeLimitSeconds = 300;
  int pageLimit = 50;
};

void Measure(const Run& run, const Limits& limits) {
  QTemporaryDir folder;
  QTemporaryDir settings;
  norvane::SetAppFolder(folder.path());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  norvane::testing::TestHttpServer server;
  const ResultSiteWeb web = norvane::testing::ServeResultSiteWeb(server, run.layout);
  const QString path = norvane::AppFile(QStringLiteral("spider.mdb"));
  {
    SpiderDatabase db(path);
    db.open();
    QString search = QStringLiteral("plumbers");
    db.AddSearch(search);
    for (QString website : web.queue()) db.AddWebsite(website);
  }
  HarvestController crawl(path);
  norvane::HarvestOptions options;
  options.turnWebMenuOff();
  options.politeCrawl = true;
  options.skipPagesRead = true;
  options.allLinks = run.allLinks;
  options.staySites = run.stay;
  options.sitePageLimit = limits.pageLimit;
  crawl.setOptions(options);
  crawl.LoadCounters();
  crawl.Load();
  crawl.fetcher().setConnectTo(QStringLiteral("127.0.0.1"), server.port());
  QElapsedTimer clock;
  clock.start();
  crawl.StartSearch();
  while (crawl.bHarvesting && server.requests().size() < limits.fetchCap &&
         clock.elapsed() < limits.timeLimitSeconds * 1000LL)
    Wait(5);
  const bool endedByItself = !crawl.bHarvesting;
  if (crawl.bHarvesting) crawl.Stop();
  QStringList faxes;
  for (const norvane::FaxRow& row : crawl.database().ReadAllFaxes()) faxes << row.fax;
  const auto f = norvane::testing::MeasureResultSiteCrawl(web, server, faxes, limits.pageLimit);
  const double share = f.stored > 0 ? 100.0 * f.storedFromResults / f.stored : 0.0;
  std::printf(
      "%-9s %-4s %-17s results_stored=%2d/30 stored=%4d from_results=%5.1f%% contact_first4=%2d/30 "
      "fetches=%4d ended_by_itself=%s seconds=%.1f\n",
      run.allLinks ? "all-links" : "classic", run.stay ? "on" : "off",
      run.layout == ResultSiteWeb::Layout::OneLinkPerLine ? "crlf-line-links" : "lf-one-line-menus",
      f.resultsStored, f.stored, share, f.contactEarly, f.fetches, endedByItself ? "yes" : "no",
      clock.elapsed() / 1000.0);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication app(argc, argv);
  Limits limits;
  const QStringList args = app.arguments();
  for (qsizetype k = 1; k + 1 < args.size(); k += 2) {
    const int value = args[k + 1].toInt();
    if (args[k] == QLatin1String("--fetch-cap")) limits.fetchCap = value;
    if (args[k] == QLatin1String("--time-limit")) limits.timeLimitSeconds = value;
    if (args[k] == QLatin1String("--page-limit")) limits.pageLimit = value;
  }
  for (const bool allLinks : {true, false})
    for (const bool stay : {true, false})
      for (const auto layout :
           {ResultSiteWeb::Layout::OneLinkPerLine, ResultSiteWeb::Layout::MenusOnOneLine})
        Measure(Run{stay, layout, allLinks}, limits);
  return 0;
}
