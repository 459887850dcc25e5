// Servers that misbehave: the crawl gives each of them up or takes what it sent, goes on with
// the other sockets, keeps its memory bounded and keeps the numbers already stored.
#include <QFile>
#include <QListWidget>
#include <QTimer>
#include <algorithm>

#include "crawl_fixture.h"

namespace norvane::testing {
namespace {

TEST_F(CrawlTest, HostileServersNeitherStopNorSwellTheCrawl) {
  using B = TestHttpServer::Behaviour;
  const struct {
    const char* host;
    B behaviour;
    bool slow;  // given up and remembered, rather than taken as a page
  } hostile[] = {
      {"silent.test", B::Silent, true},    {"stall.test", B::HeadersThenStall, true},
      {"trickle.test", B::Trickle, true},  {"endless.test", B::Endless, true},
      {"reset.test", B::Reset, false},  // a reset ends the page like a close
      {"garbage.test", B::Garbage, false}, {"close.test", B::CloseAtOnce, false},
      {"redirect.test", B::Normal, false}, {"error.test", B::Normal, false},
  };
  QStringList sites;
  for (const auto& h : hostile) {
    server.setBehaviour(QLatin1String(h.host), h.behaviour);
    sites << QLatin1String(h.host);
  }
  server.setTrickleInterval(5);
  server.setResponse(QStringLiteral("redirect.test/"),
                     "HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere.test/\r\n\r\n"
                     "<html><body><a href=\"http://good.test/\">moved</a></body></html>");
  server.setResponse(QStringLiteral("error.test/"),
                     "HTTP/1.1 500 Internal Server Error\r\n\r\n<html><body>Fax: (312) "
                     "555-0147</body></html>");
  server.setPage(QStringLiteral("good.test/"), "<html><body>Fax: (201) 555-0123</body></html>");
  seedQueue(sites);

  auto crawl = startCrawler(20);
  QString stored = QStringLiteral("1-415-555-0172");
  QString search = QStringLiteral("earlier");
  crawl->database().AddFax(stored, QStringLiteral("old.test/"), search, QStringLiteral("CA"));
  // A smaller limit keeps the test quick; the endless server is cut off at it.
  constexpr qint64 kLimit = 2 * 1024 * 1024;
  crawl->fetcher().setMaxResponseBytes(kLimit);
  // What the crawl read of the endless body, as its progress panel tells it after every read.
  // (What the server managed to send meanwhile depends on the machine's speed and the kernel's
  // buffers, not on the crawl.)
  qint64 endlessRead = 0;
  const QString endlessProgress = QStringLiteral("Downloading: endless.test/ (");
  QObject::connect(crawl.get(), &HarvestController::panelTextChanged,
                   [&](int panel, const QString& text) {
                     if (panel != 1 || !text.startsWith(endlessProgress)) return;
                     const qint64 bytes = text.mid(endlessProgress.size()).chopped(1).toLongLong();
                     endlessRead = std::max(endlessRead, bytes);
                   });
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 20000));

  for (const auto& h : hostile)
    EXPECT_EQ(crawl->fetcher().isSlowHost(QLatin1String(h.host)), h.slow) << h.host;
  // The endless body was cut off at the limit, not read on for ever.
  EXPECT_GT(endlessRead, 0);
  EXPECT_LE(endlessRead, kLimit);
  for (int16_t i = 0; i < kSocketCount; ++i) {
    EXPECT_TRUE(crawl->fetcher().slot(i).strData.empty()) << i;
    EXPECT_FALSE(crawl->fetcher().timersArmed(i)) << i;
  }
  // The error page was taken as a page, the redirect's body led on to good.test.
  QStringList faxes;
  for (const FaxRow& row : crawl->database().ReadAllFaxes()) faxes << row.fax;
  faxes.sort();
  EXPECT_EQ(faxes, (QStringList{"1-201-555-0123", "1-312-555-0147", "1-415-555-0172"}));
  EXPECT_TRUE(WaitFor([&] { return server.openConnections() == 0; }));
}

// Large pages are read in pieces of the read-ahead and held within one budget for all sockets:
// each still arrives whole, however the pieces fall between the handler's yields.
TEST_F(CrawlTest, LargePagesArriveWholeWithinTheSocketsBudget) {
  const struct {
    int pages;
    qsizetype bytes;
  } cases[] = {
      {1, 3 * PageFetcher::kReadAheadBytes + 17},  // more than the read-ahead
      {kSocketCount, 12 * 1024 * 1024},            // together far past the budget
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pages);
    QStringList sites;
    for (int k = 0; k < c.pages; ++k) {
      const QString host = QStringLiteral("large%1-%2.test").arg(c.pages).arg(k);
      QByteArray body = "<html><body>" + QByteArray(c.bytes, 'x') + "\r\nFax: (201) 555-01" +
                        QByteArray::number(10 + k) + "</body></html>";
      server.setPage(host + QLatin1Char('/'), body);
      sites << host;
    }
    seedQueue(sites);
    auto crawl = startCrawler(1000);
    qsizetype peak = 0;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout,
                     [&] { peak = std::max(peak, crawl->fetcher().bufferedBytes()); });
    sample.start(1);
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 20000));
    EXPECT_EQ(crawl->database().ReadAllFaxes().size(), c.pages);
    EXPECT_EQ(crawl->fetcher().slowHostCount(), 0);
    EXPECT_LE(peak, PageFetcher::kMaxBufferedBytes + PageFetcher::kMaxResponseBytes +
                        kSocketCount * PageFetcher::kReadAheadBytes);
    crawl.reset();
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
  }
}

}  // namespace
}  // namespace norvane::testing
