// The crawl with "Secure Sites and Redirects" and "Skip Pages Already Read": TLS websites from
// a local authority, redirects, chunked bodies, certificates for the wrong host, and a small
// cyclic web that is read once and runs dry.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSslSocket>

#include "crawl_fixture.h"
#include "harvest/fetch/http_response.h"
#include "support/test_certificates.h"

namespace norvane::testing {
namespace {

class SecureCrawlTest : public CrawlTest {
 protected:
  void SetUp() override {
    if (!QSslSocket::supportsSsl()) GTEST_SKIP() << "no TLS backend";
    ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
    options.secureWeb = true;
  }
  // A TLS server whose certificate names `hosts` (or only a wrong host).
  void startTls(const QStringList& hosts, bool wrongHost = false) {
    const auto identity = wrongHost ? certificates.issueForWrongHost() : certificates.issue(hosts);
    ASSERT_TRUE(identity) << certificates.error().toStdString();
    tls = std::make_unique<TestHttpServer>(*identity);
  }
  std::unique_ptr<HarvestController> startSecure(int tickMs = 1000) {
    auto crawl = startCrawler(tickMs);
    if (tls) crawl->fetcher().setConnectToTls(QStringLiteral("127.0.0.1"), tls->port());
    crawl->fetcher().addCaCertificates({certificates.caCertificate()});
    return crawl;
  }
  // Every request of both servers as "host/path" and "https://host/path".
  QStringList allRequests() const {
    QStringList out = requested();
    if (tls)
      for (const auto& r : tls->requests()) out << QStringLiteral("https://") + r.host + r.path;
    return out;
  }
  QHash<QString, QString> storedFaxWebsites() {
    QHash<QString, QString> out;
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    for (const FaxRow& row : db.ReadAllFaxes()) out.insert(row.fax, row.website);
    return out;
  }
  static QByteArray faxPage(int n, const QByteArray& extra = {}) {
    return "<body><p>Fax: (201) 555-" + QByteArray::number(1000 + n) + "</p>\r\n" + extra +
           "</body>\r\n";
  }
  static QString faxOf(int n) { return QStringLiteral("1-201-555-%1").arg(1000 + n); }

  TestCertificates certificates;
  std::unique_ptr<TestHttpServer> tls;
};

TEST_F(SecureCrawlTest, RedirectsAreFollowedUpToFiveHops) {
  const QStringList hosts{"a.test", "b.test", "c.test", "d.test",
                          "e.test", "f.test", "g.test", "i.test"};
  startTls(hosts);
  // Plain to secure; a relative Location on a secure page; an absolute plain one; five hops.
  server.setRedirect(QStringLiteral("a.test/"), 301, "https://a.test/home.html");
  tls->setPage(QStringLiteral("a.test/home.html"), faxPage(1, "<a href=\"about.html\">a</a>\r\n"));
  tls->setRedirect(QStringLiteral("b.test/x/p.html"), 302, "q.html");
  tls->setPage(QStringLiteral("b.test/x/q.html"), faxPage(2));
  server.setRedirect(QStringLiteral("c.test/"), 307, "http://d.test/landing");
  server.setPage(QStringLiteral("d.test/landing"), faxPage(3, "<a href=\"/more.html\">m</a>\r\n"));
  for (int hop = 1; hop <= 5; ++hop)
    server.setRedirect(QStringLiteral("e.test/%1").arg(hop), 308,
                       "/" + QByteArray::number(hop + 1));
  server.setPage(QStringLiteral("e.test/6"), faxPage(4));
  // Given up like a time-out: a sixth hop, a loop, a redirect without Location.
  for (int hop = 1; hop <= 6; ++hop)
    server.setRedirect(QStringLiteral("f.test/%1").arg(hop), 303,
                       "/" + QByteArray::number(hop + 1));
  server.setPage(QStringLiteral("f.test/7"), faxPage(5));
  server.setRedirect(QStringLiteral("g.test/a"), 302, "/b");
  server.setRedirect(QStringLiteral("g.test/b"), 302, "http://G.test/a");
  // Plain to secure and back to plain within one fetch: each hop on the socket of its scheme.
  server.setRedirect(QStringLiteral("i.test/"), 302, "https://i.test/s.html");
  tls->setRedirect(QStringLiteral("i.test/s.html"), 302, "http://i.test/back.html");
  server.setPage(QStringLiteral("i.test/back.html"), faxPage(6));
  server.setResponse(QStringLiteral("h.test/"),
                     "HTTP/1.1 302 Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  seedQueue({"a.test", "https://b.test/x/p.html", "c.test", "e.test/1", "f.test/1", "g.test/a",
             "h.test", "i.test"});
  auto crawl = startSecure();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 15000));

  const QHash<QString, QString> stored = storedFaxWebsites();
  const struct {
    QString fax;
    const char* website;  // the last hop's address; empty: nothing stored
  } cases[] = {
      {faxOf(1), "https://a.test/home.html"},
      {faxOf(2), "https://b.test/x/q.html"},
      {faxOf(3), "d.test/landing"},
      {faxOf(4), "e.test/6"},
      {faxOf(5), ""},
      {faxOf(6), "i.test/back.html"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(stored.value(c.fax), QLatin1String(c.website)) << c.fax.toStdString();
  EXPECT_EQ(stored.size(), 5);
  EXPECT_EQ(crawl->statistics().lSessionScanned, 7);  // with the two links, unknown to the server
  for (const char* slow : {"f.test", "g.test", "h.test"})
    EXPECT_TRUE(crawl->fetcher().isSlowHost(QLatin1String(slow))) << slow;
  EXPECT_FALSE(crawl->fetcher().isSlowHost(QStringLiteral("e.test")));

  // Relative links resolve against the last hop, in its scheme.
  const QStringList asked = allRequests();
  for (const char* link : {"https://a.test/about.html", "d.test/more.html"})
    EXPECT_EQ(asked.count(QLatin1String(link)), 1) << link;
  EXPECT_EQ(asked.count(QStringLiteral("f.test/6")), 1);
  EXPECT_FALSE(asked.contains(QStringLiteral("f.test/7")));
  EXPECT_EQ(asked.count(QStringLiteral("g.test/a")), 1);
  for (const char* hop : {"i.test/", "https://i.test/s.html", "i.test/back.html"})
    EXPECT_EQ(asked.count(QLatin1String(hop)), 1) << hop;
  // Both schemes name the crawl.
  for (const auto& r : server.requests())
    EXPECT_TRUE(r.raw.endsWith("\r\nAccept: */*\r\nUser-Agent: " + CrawlUserAgent() + "\r\n\r\n"))
        << r.raw.toStdString();
  for (const auto& r : tls->requests())
    EXPECT_TRUE(r.raw.contains("\r\nUser-Agent: Norvane/")) << r.raw.toStdString();
}

TEST_F(SecureCrawlTest, CertificateForTheWrongHostIsGivenUpAtOnce) {
  startTls({}, true);
  tls->setPage(QStringLiteral("w.test/"), faxPage(1));
  server.setPage(QStringLiteral("fine.test/"), faxPage(2));
  seedQueue({"https://w.test/", "fine.test"});
  auto crawl = startSecure();  // ticks of a second: a time-out would take ten
  QSignalSpy panels(crawl.get(), &HarvestController::panelTextChanged);
  QElapsedTimer clock;
  clock.start();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(crawl->fetcher().isSlowHost(QStringLiteral("w.test")));
  EXPECT_TRUE(tls->requests().isEmpty());  // nothing was sent over the unverified connection
  EXPECT_EQ(crawl->statistics().lSessionScanned, 1);
  QStringList panel1;
  for (const QList<QVariant>& args : panels)
    if (args.at(0).toInt() == 1) panel1 << args.at(1).toString();
  EXPECT_TRUE(panel1.contains(QStringLiteral("Certificate error: w.test")))
      << panel1.join('|').toStdString();
}

TEST_F(SecureCrawlTest, ChunkedBodiesAreDecodedInBothModes) {
  auto chunk = [](const QByteArray& data, const QByteArray& extension = {}) {
    return QByteArray::number(data.size(), 16) + extension + "\r\n" + data + "\r\n";
  };
  const QByteArray head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  const struct {
    const char* label;
    QList<QByteArray> chunks;
    QByteArray raw;  // instead of chunks: the response as sent
    QStringList faxes;
  } cases[] = {
      {"number split across chunks",
       {"<body><p>Fax: (201) 55", "5-1001</p></body>\r\n"},
       {},
       {faxOf(1)}},
      {"extensions and trailers",
       {},
       head + chunk("<body><p>Fax: (201", ";name=\"v\"") + chunk(") 555-100", ";x") +
           chunk("2</p></body>\r\n") + "0\r\nExpires: never\r\n\r\n",
       {faxOf(2)}},
      // The close cuts the second chunk short: what came of it is kept.
      {"truncated stream",
       {},
       head + chunk("<body><p>Fax: (201) 555-1003</p>\r\n") + "400\r\n<p>Fax: (201) 555-1004</p>\n",
       {faxOf(3), faxOf(4)}},
  };
  for (bool secure : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.label) + (secure ? " (secure)" : " (plain)"));
      TempAppFolder caseFolder;
      TestHttpServer web;
      if (c.raw.isEmpty())
        web.setChunkedPage(QStringLiteral("chunk.test/"), c.chunks, {"X-Trailer: 1"});
      else
        web.setResponse(QStringLiteral("chunk.test/"), c.raw);
      options.secureWeb = secure;
      {
        SpiderDatabase db(AppFile(QStringLiteral("spider.mdb")));
        ASSERT_TRUE(db.open());
        for (QString s : {"plumbers"}) db.AddSearch(s);
        for (QString w : {"first.dropped", "chunk.test"}) db.AddWebsite(w);
      }
      auto crawl = startCrawler();
      crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), web.port());
      crawl->StartSearch();
      ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
      QStringList stored;
      for (const FaxRow& row : crawl->database().ReadAllFaxes()) stored << row.fax;
      EXPECT_EQ(stored, c.faxes);
    }
  }
}

// Pages p0 ... p3 on hosts h0 ... h2, each linking the next page of its host, the same page
// on the next host, the root of its host (in both spellings of the host) and the https form of
// p1 on h0, which redirects to the plain one: every link leads back into the web.
TEST_F(SecureCrawlTest, SkipPagesReadReadsACyclicWebOnceAndRunsDry) {
  startTls({"h0.test"});
  tls->setRedirect(QStringLiteral("h0.test/p1.html"), 301, "http://h0.test/p1.html");
  constexpr int kHosts = 3;
  constexpr int kPages = 4;
  auto page = [](int h, int p) {
    return QStringLiteral("h%1.test/p%2.html").arg(h % kHosts).arg(p % kPages);
  };
  QStringList all;
  for (int h = 0; h < kHosts; ++h) {
    for (int p = 0; p < kPages; ++p) {
      QByteArray body = faxPage(h * kPages + p);
      for (const QString& link :
           {page(h, p + 1), page(h + 1, p), QStringLiteral("H%1.TEST/p0.html").arg(h),
            QStringLiteral("https://h0.test/p1.html")})
        body += "<a href=\"" + (link.startsWith("https") ? QByteArray() : "http://") +
                link.toLatin1() + "\">x</a>\r\n";
      server.setPage(page(h, p), body);
      all << page(h, p);
    }
  }
  options.skipPagesRead = true;
  seedQueue({page(0, 0)});
  auto crawl = startSecure(50);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 15000));
  QStringList asked = requested().join('|').toLower().split('|');
  asked.sort();
  all.sort();
  EXPECT_EQ(asked, all);  // each page once
  // The https address of p1 is asked once and leads to the plain one, read once.
  EXPECT_EQ(tls->requests().size(), 1);
  for (const QString& read : all + QStringList{"https://h0.test/p1.html"})
    EXPECT_TRUE(crawl->database().VisitedKnown(read, QStringLiteral("plumbers")))
        << read.toStdString();
}

TEST_F(SecureCrawlTest, PagesReadSurviveARestartAndBelongToTheirSearchString) {
  server.setPage(QStringLiteral("n.test/new.html"), faxPage(1));
  server.setPage(QStringLiteral("o.test/old.html"), faxPage(2));
  options.skipPagesRead = true;
  seedQueue({"o.test/old.html"});
  {
    auto crawl = startSecure();
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
  }
  {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    EXPECT_TRUE(db.VisitedKnown(QStringLiteral("O.TEST/old.html"), QStringLiteral("plumbers")));
    EXPECT_FALSE(db.VisitedKnown(QStringLiteral("o.test/old.html"), QStringLiteral("roofers")));
    for (QString w : {"first.dropped", "o.test/old.html", "n.test/new.html"}) db.AddWebsite(w);
  }
  auto crawl = startSecure();
  crawl->Resume();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
  EXPECT_EQ(requested(), (QStringList{"o.test/old.html", "n.test/new.html"}));
  crawl->AddSearchString(QStringLiteral("roofers"));
  crawl->Next();  // drops "plumbers" and its rows
  SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
  EXPECT_FALSE(db.VisitedKnown(QStringLiteral("n.test/new.html"), QStringLiteral("plumbers")));
}

TEST_F(SecureCrawlTest, WithSecureSitesOffHttpsLinksAreNotQueued) {
  options.secureWeb = false;
  server.setPage(
      QStringLiteral("p.test/"),
      "<a href=\"https://www.site.com/contact.html\">s</a>\r\n"
      "<a href=\"HTTPS://x.com/\">s</a>\r\n<a href=\"http://www.site.com/a.html\">p</a>\r\n");
  seedQueue({"p.test"});
  auto crawl = startCrawler();
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }));
  EXPECT_EQ(requested(), (QStringList{"p.test/", "www.site.com/a.html"}));
  EXPECT_EQ(crawl->statistics().lSessionFound, 1);
  for (const auto& r : server.requests()) EXPECT_FALSE(r.raw.contains("User-Agent"));
}

// Stop, or the controller going away, ends a fetch at once, mid handshake or mid response.
TEST_F(SecureCrawlTest, StopEndsTlsFetchesAtOnce) {
  startTls({"big.test"});
  // A response that never ends, a byte at a time.
  tls->setBehaviour(QStringLiteral("big.test"), TestHttpServer::Behaviour::Trickle);
  tls->setTrickleInterval(2);
  TestHttpServer mute;  // takes the connection and never answers the handshake
  mute.setBehaviour(QStringLiteral("mute.test"), TestHttpServer::Behaviour::Silent);
  for (bool destroy : {false, true}) {
    for (bool handshake : {true, false}) {
      SCOPED_TRACE(std::string(handshake ? "mid handshake" : "mid response") +
                   (destroy ? ", controller destroyed" : ", Stop"));
      {
        SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
        db.setKeepSecureScheme(true);
        if (!destroy && handshake) {
          QString search = QStringLiteral("s");
          db.AddSearch(search);
        }
        for (QString w : {"first.dropped", handshake ? "https://mute.test/" : "https://big.test/"})
          db.AddWebsite(w);
      }
      auto crawl = startSecure();
      if (handshake) crawl->fetcher().setConnectToTls(QStringLiteral("127.0.0.1"), mute.port());
      crawl->StartSearch();
      if (handshake) {
        ASSERT_TRUE(WaitFor([&] { return mute.openConnections() == 1; }));
      } else {
        ASSERT_TRUE(WaitFor([&] { return crawl->fetcher().slot(0).lReceived > 20; }));
      }
      QElapsedTimer clock;
      clock.start();
      if (destroy) {
        crawl.reset();
      } else {
        crawl->Stop();
        EXPECT_FALSE(crawl->fetcher().isFetching(0));
        EXPECT_EQ(crawl->fetcher().wscVersion(0)->state(), QAbstractSocket::UnconnectedState);
      }
      EXPECT_LT(clock.elapsed(), 200);
      TestHttpServer& other = handshake ? mute : *tls;
      EXPECT_TRUE(WaitFor([&] { return other.openConnections() == 0; }));
    }
  }
}

// The polite crawl asks a secure host for its robots.txt over TLS, and a redirect answer to
// robots.txt allows the host rather than being followed.
TEST_F(SecureCrawlTest, PoliteCrawlReadsRobotsTxtOfSecureHosts) {
  startTls({"s.test", "m.test"});
  tls->setPage(QStringLiteral("s.test/robots.txt"), "User-agent: *\nDisallow: /private\n");
  tls->setRedirect(QStringLiteral("m.test/robots.txt"), 301, "https://m.test/elsewhere.txt");
  for (const char* page : {"s.test/open.html", "s.test/private/x.html", "m.test/a.html"})
    tls->setPage(QLatin1String(page), faxPage(int(qHash(QLatin1String(page)) % 1000)));
  options.politeCrawl = true;
  seedQueue({"https://s.test/open.html", "https://s.test/private/x.html", "https://m.test/a.html"});
  auto crawl = startSecure(20);
  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 15000));
  QStringList asked = allRequests();
  asked.sort();
  EXPECT_EQ(asked, QStringList({"https://m.test/a.html", "https://m.test/robots.txt",
                                "https://s.test/open.html", "https://s.test/robots.txt"}));
}

}  // namespace
}  // namespace norvane::testing
