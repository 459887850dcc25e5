// The crawl on the real main window against a local web server: requests, progress, time-outs,
// slow hosts, socket errors, the ten sockets, Stop and Resume, the queue running dry, the auto
// advance and closing the window.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHostInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QTcpSocket>
#include <QToolButton>

#include "common/text_file.h"
#include "crawl_fixture.h"

namespace norvane::testing {
namespace {

TEST_F(CrawlTest, StartChecksItsThreeChoicesThenOpensTheSearchWindow) {
  const struct {
    bool search, type, count;
    const char* message;  // nullptr: the search window opens
    const char* focus;
  } cases[] = {
      {false, true, true, "Please enter at least one search term before begining your search.",
       "Text1"},
      {true, false, true, "Please enter a search type before begining your search.", "Combo1"},
      {true, true, false,
       "Please select the number of search results to retrieve before begining your search.",
       "Combo2"},
      {true, true, true, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    seed(c.search ? QStringList{"plumbers", "roofers"} : QStringList{}, {"a.test", "b.test"});
    auto form = startCrawler();
    form->show();
    form->Combo1->setCurrentIndex(c.type ? 0 : -1);
    form->Combo2->setCurrentIndex(c.count ? 0 : -1);
    ASSERT_EQ(form->cmdResume->isEnabled(), c.search);  // websites left from an earlier run
    MessageBox::takeShownTexts();
    QTest::mouseClick(form->Command1, Qt::LeftButton);

    EXPECT_EQ(form->database().CountWebsites(), 0);
    EXPECT_EQ(form->List2->count(), 0);
    for (QToolButton* b : {form->cmdResume, form->cmdViewDatabase, form->Command2, form->Command3})
      EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(form->bHarvesting);
    if (c.message) {
      EXPECT_EQ(MessageBox::takeShownTexts(), QStringList{QLatin1String(c.message)});
      ASSERT_NE(form->focusWidget(), nullptr);
      EXPECT_EQ(form->focusWidget()->objectName(), QLatin1String(c.focus));
      EXPECT_EQ(form->searchWindowLoads(), 0);
    } else {
      EXPECT_TRUE(MessageBox::takeShownTexts().isEmpty());
      EXPECT_EQ(form->searchWindowLoads(), 1);
      EXPECT_EQ(form->txtSearch->text(), QStringLiteral("plumbers"));
    }
  }
}

TEST_F(CrawlTest, SendsTheExactRequestAndHandsTheBodyOn) {
  server.setPage(QStringLiteral("a.test/dir/p.html"), "<p>page a</p>");
  server.setPage(QStringLiteral("b.test/"), "<p>page b</p>");
  seedQueue({QStringLiteral("a.test/dir/p.html"), QStringLiteral("http://b.test/")});
  auto form = startCrawler();
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }));

  QStringList raw;
  for (const auto& r : server.requests()) raw << QString::fromLatin1(r.raw);
  raw.sort();
  EXPECT_EQ(raw, (QStringList{
                     "GET / HTTP/1.1\r\nHost: b.test\r\nConnection: close\r\nAccept: */*\r\n\r\n",
                     "GET /dir/p.html HTTP/1.1\r\nHost: a.test\r\nConnection: close\r\n"
                     "Accept: */*\r\n\r\n"}));
  EXPECT_EQ(form->statistics().lSessionScanned, 2);
  EXPECT_EQ(form->panelText(1), QStringLiteral("Stopped"));
  EXPECT_EQ(form->panelText(3), QStringLiteral("Try a different search"));
  EXPECT_EQ(form->pb1->value(), form->pb1->maximum());
  EXPECT_TRUE(form->Command1->isEnabled());
  EXPECT_FALSE(form->cmdStop->isEnabled());
  EXPECT_FALSE(form->cmdResume->isEnabled());
  for (int16_t i = 0; i < kSocketCount; ++i) EXPECT_FALSE(form->fetcher().timersArmed(i));
}

TEST_F(CrawlTest, ContentLengthDrivesTheProgressBar) {
  server.setBehaviour(QStringLiteral("half.test"), TestHttpServer::Behaviour::HeadersThenStall);
  seedQueue({QStringLiteral("half.test/x")});
  auto form = startCrawler();
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return form->fetcher().slot(0).lReceived == 250; }));
  EXPECT_EQ(form->fetcher().slot(0).lContentLength, 500);
  EXPECT_TRUE(form->fetcher().slot(0).bHeaderDone);
  EXPECT_EQ(form->pb1->value(), 50);
  EXPECT_EQ(form->panelText(1), QStringLiteral("Downloading: half.test/x (250)"));
}

TEST_F(CrawlTest, TimeOutsRecordSlowHostsWhichAreSkippedAfterwards) {
  server.setBehaviour(QStringLiteral("silent.test"), TestHttpServer::Behaviour::Silent);
  server.setBehaviour(QStringLiteral("trickle.test"), TestHttpServer::Behaviour::Trickle);
  server.setTrickleInterval(5);
  server.setPage(QStringLiteral("fine.test/"), "<p>fine</p>");
  seedQueue({QStringLiteral("silent.test/a"), QStringLiteral("trickle.test/a")});
  auto form = startCrawler(10);
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }));
  EXPECT_EQ(form->statistics().lSessionScanned, 0);  // the trickled page was dropped
  EXPECT_TRUE(form->fetcher().isSlowHost(QStringLiteral("trickle.test")));
  EXPECT_TRUE(form->fetcher().isSlowHost(QStringLiteral("silent.test")));

  // Later websites of the two hosts are skipped without a connection.
  for (QString w : {"first.dropped", "SILENT.test/b", "trickle.test/b", "fine.test"})
    form->database().AddWebsite(w);
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }));
  QStringList asked = requested();
  asked.sort();
  EXPECT_EQ(asked, (QStringList{"fine.test/", "silent.test/a", "trickle.test/a"}));
  EXPECT_TRUE(form->fetcher().isSlowHost(QStringLiteral("Silent.Test")));
  EXPECT_TRUE(form->fetcher().isSlowHost(QStringLiteral("trickle.test")));
  EXPECT_FALSE(form->fetcher().isSlowHost(QStringLiteral("fine.test")));
  EXPECT_FALSE(form->fetcher().isSlowHost(QString()));
}

TEST_F(CrawlTest, SocketErrorsMoveOnAtOnce) {
  seedQueue({QStringLiteral("one.test"), QStringLiteral("two.test"), QStringLiteral("three.test")});
  auto form = startCrawler();  // ticks of a second: a time-out would take ten
  form->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
  QElapsedTimer clock;
  clock.start();
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }, 3000));
  EXPECT_LT(clock.elapsed(), 3000);
  for (const char* host : {"one.test", "two.test", "three.test"})
    EXPECT_TRUE(form->fetcher().isSlowHost(QLatin1String(host))) << host;
}

TEST_F(CrawlTest, FailedNameLookupMarksTheHostSlow) {
  seedQueue({QStringLiteral("nowhere.test")});
  auto form = startCrawler();
  form->fetcher().setConnectTo(QString(), 0);
  QStringList looked;
  form->fetcher().setHostLookup([&](const QString& host, QObject*, auto done) {
    looked << host;
    done({});
  });
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }, 3000));
  EXPECT_EQ(looked, QStringList{"nowhere.test"});
  EXPECT_TRUE(form->fetcher().isSlowHost(QStringLiteral("nowhere.test")));
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
  auto form = startCrawler();
  form->fetcher().setConnectTo(QString(), 0);
  form->fetcher().setHostLookup([&](const QString& host, QObject* context, auto done) {
    for (const auto& c : cases) {
      if (host == QLatin1String(c.host) && !c.addresses.isEmpty()) return done(c.addresses);
    }
    QHostInfo::lookupHost(host, context, [done](const QHostInfo& info) { done(info.addresses()); });
  });
  int attempts = 0;
  for (QTcpSocket* socket : form->fetcher().findChildren<QTcpSocket*>()) {
    QObject::connect(socket, &QTcpSocket::stateChanged, [&](QAbstractSocket::SocketState state) {
      if (state == QAbstractSocket::ConnectingState) ++attempts;
    });
  }
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }, 5000));
  EXPECT_EQ(attempts, 0);
  for (const auto& c : cases)
    EXPECT_TRUE(form->fetcher().isSlowHost(QLatin1String(c.host))) << c.host;
}

TEST_F(CrawlTest, TenSocketsAtOnceThenStopAndResume) {
  QStringList sites;
  for (int i = 0; i < 40; ++i) {
    const QString host = QStringLiteral("s%1.test").arg(i);
    server.setBehaviour(host, TestHttpServer::Behaviour::Silent);
    sites << host;
  }
  seedQueue(sites);
  auto form = startCrawler();
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return server.openConnections() == 10; }));
  for (int16_t i = 0; i < kSocketCount; ++i) EXPECT_TRUE(form->fetcher().isFetching(i)) << i;
  EXPECT_FALSE(form->Command1->isEnabled());
  EXPECT_TRUE(form->cmdStop->isEnabled());

  const QStringList queued = items(form->List2);
  QTest::mouseClick(form->cmdStop, Qt::LeftButton);
  EXPECT_FALSE(form->bHarvesting);
  EXPECT_EQ(form->panelText(1), QStringLiteral("Stopped"));
  EXPECT_EQ(form->panelText(2), QString());
  EXPECT_EQ(items(form->List2), queued);  // Resume goes on with the same list
  EXPECT_TRUE(form->cmdResume->isEnabled());
  for (int16_t i = 0; i < kSocketCount; ++i) {
    EXPECT_FALSE(form->fetcher().isFetching(i)) << i;
    EXPECT_FALSE(form->fetcher().timersArmed(i)) << i;
  }
  ASSERT_TRUE(WaitFor([&] { return server.openConnections() == 0; }));

  const int before = int(server.requests().size());
  QTest::mouseClick(form->cmdResume, Qt::LeftButton);
  EXPECT_TRUE(form->bHarvesting);
  EXPECT_FALSE(form->cmdResume->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return server.requests().size() > before; }));
  EXPECT_EQ(server.maxOpenConnections(), 10);
}

TEST_F(CrawlTest, DryQueueWithSeveralSearchStringsMovesToTheNext) {
  server.setPage(QStringLiteral("a.test/"), "<p>a</p>");
  seedQueue({QStringLiteral("a.test")}, {QStringLiteral("first"), QStringLiteral("second")});
  auto form = startCrawler();
  form->Combo1->setCurrentIndex(0);
  form->Combo2->setCurrentIndex(0);
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return form->searchWindowLoads() == 1; }));
  EXPECT_FALSE(form->bHarvesting);
  EXPECT_EQ(items(form->List1), QStringList{"second"});
  EXPECT_EQ(form->txtSearch->text(), QStringLiteral("second"));
  EXPECT_EQ(form->database().CountWebsites(), 0);
  EXPECT_EQ(form->panelText(2), QStringLiteral("No more websites queued"));
  form.reset();
  EXPECT_EQ(items(start()->List1), QStringList{"second"});  // gone from the table too
}

TEST_F(CrawlTest, AutoAdvanceFiresOnTheTakeAfterTheThreshold) {
  QStringList sites;
  for (int i = 0; i < 30; ++i) sites << QStringLiteral("w%1.test").arg(i);
  seedQueue(sites, {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")});
  auto form = startCrawler();
  form->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
  form->chkAuto->setChecked(true);
  form->cmbAdvance->setCurrentIndex(0);
  form->lAdvanceAfter = 1000;
  form->Combo1->setCurrentIndex(0);
  form->Combo2->setCurrentIndex(0);
  form->bHarvesting = true;
  form->lAdvanceCount = 999;
  form->TakeNextWebsite(0);  // the 1000th take fetches
  EXPECT_EQ(form->searchWindowLoads(), 0);
  EXPECT_TRUE(form->bHarvesting);
  form->TakeNextWebsite(1);  // the 1001st advances
  EXPECT_EQ(form->searchWindowLoads(), 1);
  EXPECT_FALSE(form->bHarvesting);
  EXPECT_EQ(form->lAdvanceCount, 0);
  EXPECT_EQ(items(form->List1), (QStringList{"second", "third"}));
  EXPECT_EQ(form->database().CountWebsites(), 0);
  EXPECT_EQ(form->List2->count(), 0);
}

TEST_F(CrawlTest, AutoAdvanceOnTheLastSearchStringFollowsAfterLastSearch) {
  const struct {
    int lastSearch;
    bool harvesting;
  } cases[] = {{0, false}, {1, true}};
  for (const auto& c : cases) {
    seedQueue({QStringLiteral("a.test"), QStringLiteral("b.test")});
    auto form = startCrawler();
    form->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), closedPort());
    form->chkAuto->setChecked(true);
    form->cmbLastSearch->setCurrentIndex(c.lastSearch);
    form->lAdvanceAfter = 1000;
    form->cmdDoSearch_Click();
    form->lAdvanceCount = 1000;
    form->TakeNextWebsite(3);
    EXPECT_EQ(form->bHarvesting, c.harvesting) << c.lastSearch;
    EXPECT_EQ(form->panelText(1) == QLatin1String("Stopped"), !c.harvesting);
    EXPECT_EQ(form->searchWindowLoads(), 0);
    form.reset();
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
  }
}

TEST_F(CrawlTest, ClosingTheWindowInTheMiddleOfACrawl) {
  QStringList sites;
  for (int i = 0; i < 12; ++i) {
    const QString host = QStringLiteral("c%1.test").arg(i);
    if (i % 2)
      server.setBehaviour(host, TestHttpServer::Behaviour::Trickle);
    else
      server.setPage(host + QLatin1Char('/'), QByteArray(20000, 'x'));
    sites << host;
  }
  server.setTrickleInterval(1);
  seedQueue(sites);
  auto form = startCrawler(10);
  form->show();
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return server.openConnections() >= 5; }));
  form->close();
  EXPECT_FALSE(form->bHarvesting);
  for (int16_t i = 0; i < kSocketCount; ++i) EXPECT_FALSE(form->fetcher().isFetching(i)) << i;
  QTest::qWait(50);  // nothing the sockets or timers still had may reach the window
  form.reset();
  EXPECT_TRUE(WaitFor([&] { return server.openConnections() == 0; }));
}

TEST_F(CrawlTest, ConnectToHookIsReadFromTheEnvironment) {
  server.setPage(QStringLiteral("env.test/"), "<p>env</p>");
  ScopedEnv hook("NORVANE_CONNECT_TO", "127.0.0.1:" + QByteArray::number(server.port()));
  seedQueue({QStringLiteral("env.test")});
  auto form = start();
  form->cmdDoSearch_Click();
  ASSERT_TRUE(WaitFor([&] { return dry(*form); }));
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
    auto form = startCrawler();
    form->cmdDoSearch_Click();
    ASSERT_TRUE(WaitFor([&] { return dry(*form); }));
    QStringList saved;
    QList<int32_t> lengths;
    for (int16_t n = 0; n < kSocketCount; ++n) {
      if (form->fetcher().slot(n).lContentLength) lengths << form->fetcher().slot(n).lContentLength;
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
