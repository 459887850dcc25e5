// The crawl's limits and guards at their edges: each case fails when its rule slips by one
// (a tick, a byte, a letter's case, a guard that is dropped).
#include <QElapsedTimer>
#include <QFile>
#include <functional>

#include "common/event_yield.h"
#include "crawl_fixture.h"

namespace norvane::testing {
namespace {

constexpr int kNoTicks = 3600 * 1000;  // timers that never fire on their own during a case
constexpr qsizetype kMiB = 1024 * 1024;

TEST_F(CrawlTest, FetchIsGivenUpExactlyAtItsLimits) {
  using Tick = void (PageFetcher::*)(int16_t);
  const struct {
    const char* what;
    qsizetype responseBytes;  // 0: the server stays silent and the ticks are counted by hand
    Tick tick;
    int ticks;
    bool givenUp;
  } cases[] = {
      {"idle, one tick short", 0, &PageFetcher::timTimeout_Timer, 9, false},
      {"idle, at the limit", 0, &PageFetcher::timTimeout_Timer, 10, true},
      {"total, one tick short", 0, &PageFetcher::timTimeout2_Timer, 29, false},
      {"total, at the limit", 0, &PageFetcher::timTimeout2_Timer, 30, true},
      {"a response of 16 MiB", 16 * kMiB, nullptr, 0, false},
      {"a response a byte over 16 MiB", 16 * kMiB + 1, nullptr, 0, true},
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString host = QStringLiteral("limit%1.test").arg(row++);
    if (c.responseBytes == 0) {
      server.setBehaviour(host, TestHttpServer::Behaviour::Silent);
    } else {
      QByteArray raw = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
      raw.append(c.responseBytes - raw.size(), 'a');
      server.setResponse(host + QStringLiteral("/"), raw);
    }
    for (const char* name : {"spider.mdb", "spider.mdb-wal", "spider.mdb-shm"})
      QFile::remove(folder.file(QLatin1String(name)));
    seedQueue({host});
    auto crawl = startCrawler(kNoTicks);
    // A kept page is not worked on: only whether the fetch kept it counts here.
    QObject::connect(crawl.get(), &HarvestController::statisticsChanged, [&](const Statistics& s) {
      if (s.lSessionScanned == 1) crawl->Stop();
    });
    const auto before = server.requests().size();
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return server.requests().size() > before; }));
    if (c.tick) {
      ASSERT_TRUE(WaitFor([&] { return crawl->fetcher().slot(0).lReceived == 0; }));
      for (int i = 0; i < c.ticks; ++i) (crawl->fetcher().*c.tick)(0);
      EXPECT_EQ(crawl->fetcher().isFetching(0), !c.givenUp);
    } else {
      ASSERT_TRUE(WaitFor([&] { return !crawl->bHarvesting; }));
      EXPECT_EQ(crawl->statistics().lSessionScanned, c.givenUp ? 0 : 1);
    }
    EXPECT_EQ(crawl->fetcher().isSlowHost(host), c.givenUp);
    crawl.reset();
  }
}

// A server that sends a byte more often than the idle limit keeps its fetch going past that
// limit, within the total one: the page arrives whole, with the number at its very end.
TEST_F(CrawlTest, ByteByByteWithinTheIdleLimitThePageArrivesWhole) {
  constexpr int kTickMs = 100;  // idle limit 1 s, total limit 3 s
  const QByteArray raw =
      "HTTP/1.1 200 OK\r\n\r\n<body><p>Open daily.</p>Fax: (201) 555-0142</body>";
  server.setResponse(QStringLiteral("trickle.test/"), raw);
  server.setBehaviour(QStringLiteral("trickle.test"), TestHttpServer::Behaviour::TrickleWhole);
  server.setTrickleInterval(25);  // about 1.5 s for the whole response
  seedQueue({QStringLiteral("trickle.test")});
  auto crawl = startCrawler(kTickMs);
  QElapsedTimer clock;
  clock.start();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 10000));
  EXPECT_GT(clock.elapsed(), 10 * kTickMs);  // it did outlast the idle limit
  EXPECT_FALSE(crawl->fetcher().isSlowHost(QStringLiteral("trickle.test")));
  EXPECT_EQ(crawl->statistics().lSessionScanned, 1);
  QString fax = QStringLiteral("1-201-555-0142");
  EXPECT_TRUE(crawl->database().FaxExists(fax));
}

// robots.txt is the polite crawl's own fetch, not a take of a website: of the five takes of
// Start Search, three start robots.txt of a host each and two find every host waiting for its
// robots.txt, so only those two count towards the auto advance.
TEST_F(CrawlTest, PoliteAutoAdvanceCountsNoRobotsTxtFetch) {
  server.setResponseDelay(3000);  // no robots.txt answers while the takes run
  QStringList queue;
  for (const char* host : {"a.test", "b.test", "c.test"}) queue << QLatin1String(host);
  seedQueue(queue, {QStringLiteral("first"), QStringLiteral("second")});
  options.politeCrawl = true;
  options.autoAdvance = true;
  options.advanceAfter = 3;
  options.searchTypeIndex = options.resultCountIndex = 0;
  auto crawl = startCrawler();
  // No events between the takes: a parked socket woken meanwhile would take once more.
  const auto interval = YieldInterval();
  YieldToEvents();
  SetYieldInterval(std::chrono::hours(1));
  crawl->StartSearch();
  SetYieldInterval(interval);
  EXPECT_EQ(crawl->lAdvanceCount, 2);
  EXPECT_TRUE(crawl->bHarvesting);
  EXPECT_EQ(searchWindowLoads, 0);
  ASSERT_TRUE(WaitFor([&] { return server.requests().size() == 3; }));
  EXPECT_EQ(requested(),
            (QStringList{"a.test/robots.txt", "b.test/robots.txt", "c.test/robots.txt"}));
}

TEST_F(CrawlTest, LateEventsAndOtherSpellingsLeaveTheCrawlOnCourse) {
  const struct {
    const char* what;
    std::function<void()> run;
  } cases[] = {
      {"a slow host met in capitals is skipped in lower case",
       [&] {
         server.setBehaviour(QStringLiteral("slow.test"), TestHttpServer::Behaviour::Silent);
         server.setPage(QStringLiteral("fine.test/"), "<p>fine</p>");
         seedQueue({QStringLiteral("SLOW.Test/a")});
         auto crawl = startCrawler(5);
         crawl->StartSearch();
         ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
         for (QString w : {"first.dropped", "slow.test/b", "fine.test"})
           crawl->database().AddWebsite(w);
         crawl->StartSearch();
         ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
         EXPECT_EQ(requested(), (QStringList{"SLOW.Test/a", "fine.test/"}));
       }},
      {"a socket whose page is done has its timers disarmed while the others fetch",
       [&] {
         server.setPage(QStringLiteral("done.test/"), "<p>done</p>");
         server.setBehaviour(QStringLiteral("stall.test"), TestHttpServer::Behaviour::Silent);
         seedQueue({QStringLiteral("done.test"), QStringLiteral("stall.test")});
         auto crawl = startCrawler();
         crawl->StartSearch();
         ASSERT_TRUE(WaitFor([&] { return crawl->statistics().lSessionScanned == 1; }));
         EXPECT_TRUE(crawl->bHarvesting);
         ASSERT_EQ(crawl->fetcher().slot(0).strHost, QStringLiteral("done.test"));
         EXPECT_FALSE(crawl->fetcher().isFetching(0));
         EXPECT_FALSE(crawl->fetcher().timersArmed(0));
         EXPECT_TRUE(crawl->fetcher().timersArmed(1));  // stall.test is still being fetched
       }},
      {"a take after Stop counts nothing and moves nothing",
       [&] {
         QStringList sites;
         for (int i = 0; i < 30; ++i) {
           sites << QStringLiteral("late%1.test").arg(i);
           server.setBehaviour(sites.last(), TestHttpServer::Behaviour::Silent);
         }
         seedQueue(sites);
         auto crawl = startCrawler();
         crawl->StartSearch();
         ASSERT_TRUE(WaitFor([&] { return server.openConnections() == 10; }));
         crawl->Stop();
         const int32_t count = crawl->lAdvanceCount;
         const QStringList queued = crawl->queuePreview();
         const qint32 table = crawl->database().CountWebsites();
         for (int16_t i = 0; i < kSocketCount; ++i) crawl->TakeNextWebsite(i);
         EXPECT_EQ(crawl->lAdvanceCount, count);
         EXPECT_EQ(crawl->queuePreview(), queued);
         EXPECT_EQ(crawl->database().CountWebsites(), table);
         for (int16_t i = 0; i < kSocketCount; ++i) EXPECT_FALSE(crawl->fetcher().isFetching(i));
       }},
      {"a Stop and Resume while a fetch starts leave the new fetch to itself",
       [&] {
         // The Resume's first take skips a slow host; the fetch that the Stop interrupted
         // must not go on with that take's website, nor touch the socket again.
         server.setBehaviour(QStringLiteral("slow.test"), TestHttpServer::Behaviour::Silent);
         seedQueue({QStringLiteral("slow.test/once")});
         auto crawl = startCrawler(5);
         crawl->StartSearch();
         ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
         ASSERT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("slow.test")));
         server.setPage(QStringLiteral("first.test/"), "<p>first</p>");
         server.setPage(QStringLiteral("after.test/"), "<p>after</p>");
         for (QString w : {"first.dropped", "first.test", "slow.test/again", "after.test"})
           crawl->database().AddWebsite(w);
         const auto interval = YieldInterval();
         SetYieldInterval(std::chrono::microseconds(0));  // every yield runs the events
         bool done = false;
         QObject::connect(crawl.get(), &HarvestController::panelTextChanged,
                          [&](int panel, const QString& text) {
                            if (done || panel != 1 || !text.startsWith(QStringLiteral("Down")))
                              return;
                            done = true;
                            // Runs inside the fetch's yield, before it connects.
                            QMetaObject::invokeMethod(
                                crawl.get(),
                                [&] {
                                  crawl->Stop();
                                  crawl->Resume();
                                },
                                Qt::QueuedConnection);
                          });
         // The interrupted fetch going on would ask its socket, busy with the new fetch, to
         // connect once more; Qt ignores that with a warning.
         static QStringList warnings;
         warnings.clear();
         const QtMessageHandler previous = qInstallMessageHandler(
             [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings << text; });
         crawl->StartSearch();
         const bool dried = WaitFor([&] { return dry(*crawl); });
         qInstallMessageHandler(previous);
         SetYieldInterval(interval);
         EXPECT_EQ(warnings.filter(QStringLiteral("connectToHost")), QStringList());
         ASSERT_TRUE(done);
         ASSERT_TRUE(dried);
         EXPECT_EQ(requested(), (QStringList{"slow.test/once", "after.test/"}));
       }},
      {"the fax preview keeps the newest 21 numbers",
       [&] {
         auto crawl = startCrawler();
         for (int n = 1; n <= 25; ++n) {
           crawl->showStoredFax(QStringLiteral("n%1").arg(n));
           EXPECT_EQ(crawl->faxPreview().size(), std::min(n, 21)) << n;
           EXPECT_EQ(crawl->faxPreview().first(), QStringLiteral("n%1").arg(std::max(1, n - 20)));
         }
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    server.clearRequests();
    for (const char* name : {"spider.mdb", "spider.mdb-wal", "spider.mdb-shm"})
      QFile::remove(folder.file(QLatin1String(name)));
    c.run();
  }
}

}  // namespace
}  // namespace norvane::testing
