// The crawl controller against a local web server: requests, progress, time-outs, slow hosts,
// socket errors, the ten sockets, Stop and Resume, the queue running dry and the auto advance.
#include <QFile>
#include <QHostInfo>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>

#include "common/text_file.h"
#include "crawl_fixture.h"
#include "support/log_capture.h"

namespace norvane::testing {
namespace {

TEST_F(CrawlTest, SendsTheExactRequestAndHandsTheBodyOn) {
  server.setPage(QStringLiteral("a.test/dir/p.html"), "<p>page a</p>");
  server.setPage(QStringLiteral("b.test/"), "<p>page b</p>");
  seedQueue({QStringLiteral("a.test/dir/p.html"), QStringLiteral("http://b.test/")});
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));

  QStringList raw;
  for (const auto& r : server.requests()) raw << QString::fromLatin1(r.raw);
  raw.sort();
  EXPECT_EQ(raw, (QStringList{
                     "GET / HTTP/1.1\r\nHost: b.test\r\nConnection: close\r\nAccept: */*\r\n\r\n",
                     "GET /dir/p.html HTTP/1.1\r\nHost: a.test\r\nConnection: close\r\n"
                     "Accept: */*\r\n\r\n"}));
  EXPECT_EQ(crawl->statistics().lSessionScanned, 2);
  EXPECT_EQ(crawl->panelText(1), QStringLiteral("Stopped"));
  EXPECT_EQ(crawl->panelText(3), QStringLiteral("Try a different search"));
  EXPECT_EQ(crawl->progress(), HarvestController::kProgressMaximum);
  EXPECT_TRUE(crawl->buttons().start);
  EXPECT_FALSE(crawl->buttons().stop);
  EXPECT_FALSE(crawl->buttons().resume);
  for (int16_t i = 0; i < kSocketCount; ++i) EXPECT_FALSE(crawl->fetcher().timersArmed(i));
}

TEST_F(CrawlTest, ContentLengthDrivesTheProgressBar) {
  server.setBehaviour(QStringLiteral("half.test"), TestHttpServer::Behaviour::HeadersThenStall);
  seedQueue({QStringLiteral("half.test/x")});
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return crawl->fetcher().slot(0).lReceived == 250; }));
  EXPECT_EQ(crawl->fetcher().slot(0).lContentLength, 500);
  EXPECT_TRUE(crawl->fetcher().slot(0).bHeaderDone);
  EXPECT_EQ(crawl->progress(), 50);
  EXPECT_EQ(crawl->panelText(1), QStringLiteral("Downloading: half.test/x (250)"));
}

TEST_F(CrawlTest, TimeOutsRecordSlowHostsWhichAreSkippedAfterwards) {
  server.setBehaviour(QStringLiteral("silent.test"), TestHttpServer::Behaviour::Silent);
  server.setBehaviour(QStringLiteral("trickle.test"), TestHttpServer::Behaviour::Trickle);
  server.setTrickleInterval(5);
  server.setPage(QStringLiteral("fine.test/"), "<p>fine</p>");
  seedQueue({QStringLiteral("silent.test/a"), QStringLiteral("trickle.test/a")});
  auto crawl = startCrawler(10);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
  EXPECT_EQ(crawl->statistics().lSessionScanned, 0);  // the trickled page was dropped
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("trickle.test")));
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("silent.test")));

  // Later websites of the two hosts are skipped without a connection.
  for (QString w : {"first.dropped", "SILENT.test/b", "trickle.test/b", "fine.test"})
    crawl->database().AddWebsite(w);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
  QStringList asked = requested();
  asked.sort();
  EXPECT_EQ(asked, (QStringList{"fine.test/", "silent.test/a", "trickle.test/a"}));
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("Silent.Test")));
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("trickle.test")));
  EXPECT_FALSE(crawl->fetcher().isSlowHost(QStringLiteral("fine.test")));
  EXPECT_FALSE(crawl->fetcher().isSlowHost(QString()));
}

TEST_F(CrawlTest, SocketErrorsMoveOnAtOnce) {
  seedQueue({QStringLiteral("one.test"), QStringLiteral("two.test"), QStringLiteral("three.test")});
  auto crawl = startCrawler();  // ticks of a second: a time-out would take ten
  crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
  const LogCapture log("norvane.crawl");
  QElapsedTimer clock;
  clock.start();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 3000));
  EXPECT_LT(clock.elapsed(), 3000);
  for (const char* host : {"one.test", "two.test", "three.test"}) {
    EXPECT_TRUE(crawl->fetcher().isSlowHost(QLatin1String(host))) << host;
    // The line names the refusal as the system words it.
    EXPECT_TRUE(log.has({QLatin1String(host) + QLatin1Char('/'), "reason: refused (",
                         QString::fromLocal8Bit(std::strerror(ECONNREFUSED))}))
        << log.lines().join(QLatin1Char('\n')).toStdString();
  }
}

TEST_F(CrawlTest, FailedNameLookupMarksTheHostSlow) {
  seedQueue({QStringLiteral("nowhere.test")});
  auto crawl = startCrawler();
  crawl->fetcher().setConnectTo(QString(), 0);
  QStringList looked;
  crawl->fetcher().setHostLookup([&](const QString& host, QObject*, auto done) {
    looked << host;
    done({});
  });
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 3000));
  EXPECT_EQ(looked, QStringList{"nowhere.test"});
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("nowhere.test")));
}

TEST_F(CrawlTest, HostsOnLocalAddressesAreNeverConnectedTo) {
  // Only loopback addresses here: had the rule failed, nothing would leave this machine.
  const struct {
    const char* host;
    QList<QHostAddress> addresses;  // empty: the system resolver answers
  } cases[] = {
      {"two.test", {QHostAddress(QStringLiteral("127.0.0.2"))}},
      {"six.test", {QHostAddress(QStringLiteral("::1"))}},
      {"mapped.test", {QHostAddress(QStringLiteral("::ffff:127.0.0.1"))}},
      {"both.test",
       {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("127.0.0.9"))}},
      {"localhost", {}},
  };
  QStringList sites;
  for (const auto& c : cases) sites << QLatin1String(c.host);
  seedQueue(sites);
  auto crawl = startCrawler();
  crawl->fetcher().setConnectTo(QString(), 0);
  crawl->fetcher().setHostLookup([&](const QString& host, QObject* context, auto done) {
    for (const auto& c : cases) {
      if (host == QLatin1String(c.host) && !c.addresses.isEmpty()) return done(c.addresses);
    }
    QHostInfo::lookupHost(host, context, [done](const QHostInfo& info) { done(info.addresses()); });
  });
  int attempts = 0;
  for (QTcpSocket* socket : crawl->fetcher().findChildren<QTcpSocket*>()) {
    QObject::connect(socket, &QTcpSocket::stateChanged, [&](QAbstractSocket::SocketState state) {
      if (state == QAbstractSocket::ConnectingState) ++attempts;
    });
  }
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 5000));
  EXPECT_EQ(attempts, 0);
  for (const auto& c : cases)
    EXPECT_TRUE(crawl->fetcher().isSlowHost(QLatin1String(c.host))) << c.host;
}

TEST_F(CrawlTest, TenSocketsAtOnceThenStopAndResume) {
  QStringList sites;
  for (int i = 0; i < 40; ++i) {
    const QString host = QStringLiteral("s%1.test").arg(i);
    server.setBehaviour(host, TestHttpServer::Behaviour::Silent);
    sites << host;
  }
  seedQueue(sites);
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return server.openConnections() == 10; }));
  for (int16_t i = 0; i < kSocketCount; ++i) EXPECT_TRUE(crawl->fetcher().isFetching(i)) << i;
  EXPECT_FALSE(crawl->buttons().start);
  EXPECT_TRUE(crawl->buttons().stop);

  const QStringList queued = crawl->queuePreview();
  crawl->Stop();
  EXPECT_FALSE(crawl->bHarvesting);
  EXPECT_EQ(crawl->panelText(1), QStringLiteral("Stopped"));
  EXPECT_EQ(crawl->panelText(2), QString());
  EXPECT_EQ(crawl->queuePreview(), queued);  // Resume goes on with the same list
  EXPECT_TRUE(crawl->buttons().resume);
  for (int16_t i = 0; i < kSocketCount; ++i) {
    EXPECT_FALSE(crawl->fetcher().isFetching(i)) << i;
    EXPECT_FALSE(crawl->fetcher().timersArmed(i)) << i;
  }
  ASSERT_TRUE(WaitFor([&] { return server.openConnections() == 0; }));

  const int before = int(server.requests().size());
  crawl->Resume();
  EXPECT_TRUE(crawl->bHarvesting);
  EXPECT_FALSE(crawl->buttons().resume);
  ASSERT_TRUE(WaitFor([&] { return server.requests().size() > before; }));
  EXPECT_EQ(server.maxOpenConnections(), 10);
}

TEST_F(CrawlTest, DryQueueWithSeveralSearchStringsMovesToTheNext) {
  server.setPage(QStringLiteral("a.test/"), "<p>a</p>");
  seedQueue({QStringLiteral("a.test")}, {QStringLiteral("first"), QStringLiteral("second")});
  auto crawl = startCrawler();
  options.searchTypeIndex = options.resultCountIndex = 0;
  crawl->setOptions(options);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return searchWindowLoads == 1; }));
  EXPECT_FALSE(crawl->bHarvesting);
  EXPECT_EQ(crawl->searchStrings(), QStringList{"second"});
  EXPECT_EQ(crawl->currentSearchText(), QStringLiteral("second"));
  EXPECT_EQ(crawl->database().CountWebsites(), 0);
  EXPECT_EQ(crawl->panelText(2), QStringLiteral("No more websites queued"));
  crawl.reset();
  EXPECT_EQ(startCrawler()->searchStrings(), QStringList{"second"});  // gone from the table too
}

TEST_F(CrawlTest, AutoAdvanceFiresOnTheTakeAfterTheThreshold) {
  // Without a page fetched under the search string, the advance stops the harvest instead: a
  // crawl that reached no website says nothing about the search string.
  const struct {
    bool pageFetched;
    int searchWindowLoads;
    QStringList searchesAfter;
    const char* panel2;
    int failures;
  } cases[] = {
      {true, 1, {"second", "third"}, "", 0},
      {false, 0, {"first", "second", "third"}, "No page could be fetched", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pageFetched);
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    searchWindowLoads = 0;
    QStringList sites;
    for (int i = 0; i < 30; ++i) sites << QStringLiteral("w%1.test").arg(i);
    seedQueue(sites, {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")});
    auto crawl = startCrawler();
    crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
    QStringList failures;
    QObject::connect(crawl.get(), &HarvestController::failureReported,
                     [&failures](const QString& text) { failures << text; });
    options.autoAdvance = true;
    options.advanceAfter = 1000;
    options.searchTypeIndex = options.resultCountIndex = 0;
    crawl->setOptions(options);
    crawl->bHarvesting = true;
    if (c.pageFetched) crawl->RecordStatistic(Statistics::kPageScanned);
    crawl->lAdvanceCount = 999;
    crawl->TakeNextWebsite(0);  // the 1000th take fetches
    EXPECT_EQ(searchWindowLoads, 0);
    EXPECT_TRUE(crawl->bHarvesting);
    crawl->TakeNextWebsite(1);  // the 1001st advances
    EXPECT_EQ(searchWindowLoads, c.searchWindowLoads);
    EXPECT_FALSE(crawl->bHarvesting);
    EXPECT_EQ(crawl->lAdvanceCount, 0);
    EXPECT_EQ(crawl->searchStrings(), c.searchesAfter);
    EXPECT_EQ(failures.size(), c.failures);
    if (c.panel2[0] != 0) {
      EXPECT_EQ(crawl->panelText(2), QLatin1String(c.panel2));
    }
    if (c.pageFetched) {
      EXPECT_EQ(crawl->database().CountWebsites(), 0);
      EXPECT_EQ(crawl->queuePreview().size(), 0);
    }
    crawl.reset();
    // The table holds the same strings the list shows.
    EXPECT_EQ(startCrawler()->searchStrings(), c.searchesAfter);
  }
}

TEST_F(CrawlTest, DryQueueThatFetchedNothingKeepsTheSearchString) {
  // Every queued website refuses the connection: no page is fetched before the queue runs dry.
  seedQueue({QStringLiteral("a.test"), QStringLiteral("b.test")},
            {QStringLiteral("first"), QStringLiteral("second")});
  auto crawl = startCrawler();
  crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
  QStringList failures;
  QObject::connect(crawl.get(), &HarvestController::failureReported,
                   [&failures](const QString& text) { failures << text; });
  options.searchTypeIndex = options.resultCountIndex = 0;
  crawl->setOptions(options);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return !crawl->bHarvesting; }));
  EXPECT_EQ(searchWindowLoads, 0);
  EXPECT_EQ(crawl->searchStrings(), (QStringList{"first", "second"}));
  EXPECT_EQ(crawl->panelText(2), QStringLiteral("No page could be fetched"));
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].contains("stays in the list"));
  EXPECT_TRUE(crawl->buttons().start);
  crawl.reset();
  EXPECT_EQ(startCrawler()->searchStrings(), (QStringList{"first", "second"}));
}

TEST_F(CrawlTest, AutoAdvanceOnTheLastSearchStringFollowsAfterLastSearch) {
  const struct {
    int lastSearch;
    bool harvesting;
  } cases[] = {{0, false}, {1, true}};
  for (const auto& c : cases) {
    seedQueue({QStringLiteral("a.test"), QStringLiteral("b.test")});
    auto crawl = startCrawler();
    crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
    options.autoAdvance = true;
    options.continueAfterLastSearch = c.lastSearch == 1;
    options.advanceAfter = 1000;
    crawl->setOptions(options);
    crawl->StartSearch();
    crawl->lAdvanceCount = 1000;
    crawl->TakeNextWebsite(3);
    EXPECT_EQ(crawl->bHarvesting, c.harvesting) << c.lastSearch;
    EXPECT_EQ(crawl->panelText(1) == QLatin1String("Stopped"), !c.harvesting);
    EXPECT_EQ(searchWindowLoads, 0);
    crawl.reset();
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
  }
}

TEST_F(CrawlTest, ConnectToHookIsReadFromTheEnvironment) {
  server.setPage(QStringLiteral("env.test/"), "<p>env</p>");
  ScopedEnv hook("NORVANE_CONNECT_TO", "127.0.0.1:" + QByteArray::number(server.port()));
  seedQueue({QStringLiteral("env.test")});
  HarvestController crawl(AppFile(QStringLiteral("spider.mdb")));
  crawl.setOptions(options);
  crawl.Load();
  crawl.StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(crawl); }));
  EXPECT_EQ(requested(), QStringList{"env.test/"});
}

// The page saved is the body alone, whichever line ending the server's header lines have.
TEST_F(CrawlTest, HeaderBlockEndsWithCrLfOrBareLineFeeds) {
  const struct {
    const char* response;
    const char* body;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 17\r\n\r\n<p>\n\nFax page</p>", "<p>\n\nFax page</p>"},
      {"HTTP/1.0 200 OK\nServer: old\nContent-Length: 15\n\n<p>Fax page</p>", "<p>Fax page</p>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.response);
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    server.setResponse(QStringLiteral("page.test/"), c.response);
    seedQueue({QStringLiteral("page.test")});
    auto crawl = startCrawler();
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
    QStringList saved;
    QList<int32_t> lengths;
    for (int16_t n = 0; n < kSocketCount; ++n) {
      if (crawl->fetcher().slot(n).lContentLength)
        lengths << crawl->fetcher().slot(n).lContentLength;
      std::string bytes;
      if (ReadFileBytes(folder.file(QStringLiteral("html%1.txt").arg(n)).toStdString(), bytes))
        saved << QString::fromLatin1(bytes);
      QFile::remove(folder.file(QStringLiteral("html%1.txt").arg(n)));
    }
    // html<n>.txt holds the page and a closing CR LF.
    EXPECT_EQ(saved, QStringList{QLatin1String(c.body) + QStringLiteral("\r\n")});
    EXPECT_EQ(lengths, QList<int32_t>{int32_t(qstrlen(c.body))});
  }
}

}  // namespace
}  // namespace norvane::testing
