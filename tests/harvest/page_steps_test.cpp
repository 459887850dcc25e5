// The whole crawl on a local web: pages saved, links followed, fax numbers stored once each with
// their website, search string and region, until the queue runs dry.
#include <QDir>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <map>
#include <set>

#include "areacodes/area_code_directory.h"
#include "common/event_yield.h"
#include "common/text_file.h"
#include "crawl_fixture.h"
#include "harvest/faxes/fax_scan_page.h"

namespace norvane::testing {
namespace {

// A tree of 71 pages on eleven hosts: every page is linked from one page only, with links of
// every form (absolute, relative, root-relative, "..") and links the crawl must not follow.
class LocalWeb {
 public:
  explicit LocalWeb(TestHttpServer& server) : m_server(server) {
    QByteArray hub = "<h1>Hub</h1>\r\n";
    for (int h = 0; h < 10; ++h)
      hub += "<a href=\"http://h" + QByteArray::number(h) + ".test/\">h</a>\r\n";
    add("hub.test/", hub, "\r\n");

    const char* faxLines[10][2] = {
        {"/c.html", "Fax: (201) 555-0123"},
        {"/d.html", "Call us or send a fax 1-800-555-0199 today"},
        {"/dir/sub/e.html", "<b>Fax</b>: 201.555.0123 phone 201 555 0188"},
        {"/f.html", "Fax +44 20 7946 0958"},
        {"/dir/a.html", "<td>FAX</td><td>44 20 7946 0958</td>"},
        {"/c.html", "fax +1 201 555 0123"},
        {"/", "Fax: 555-0123"},
        {"/b.html", "fax number available on request: 201-555-0123"},
        {"/d.html", "<tr><td>Fax:</td><td>(312) 555-0147</td></tr>"},
        {"/dir/sub/e.html", "Fax &nbsp;415-555-0172"},
    };
    for (int h = 0; h < 10; ++h) {
      const QByteArray host = "h" + QByteArray::number(h) + ".test";
      auto fax = [&](const char* path) {
        return QByteArray(faxLines[h][0]) == path ? QByteArray(faxLines[h][1]) : QByteArray();
      };
      // The last three links are dropped by the filter; they would be 404s if followed.
      add(host + "/",
          "<a href=\"dir/a.html\">a</a>\r\n<a href='/b.html'>b</a>\r\n<a href=http://" + host +
              "/c.html>c</a>\r\n" + fax("/") +
              "\r\n<a href=\"photo.jpg\"><a href=\"mailto:x@y.test\">\r\n<a href=\"#top\">"
              "\r\n<a href=\"shop.jsp\">",
          "\r\n");
      add(host + "/dir/a.html",
          "<p>" + fax("/dir/a.html") +
              "</p>\r<a href=\"../d.html\">d</a>\r<a href=\"sub/e.html\">e",
          "\r");
      // Lines ending in LF alone make the page one line: only its first link counts.
      add(host + "/b.html",
          "<a href=\"/f.html\">f</a>\n<a href=\"/never.html\">n</a>\n" + fax("/b.html"), "\n");
      add(host + "/c.html", "<p>\r\n" + fax("/c.html") + "\r\n</p>", "\r\n");
      add(host + "/d.html", "<div>" + fax("/d.html") + "</div>", "\r");
      add(host + "/dir/sub/e.html", "<p>" + fax("/dir/sub/e.html") + "</p>", "\n");
      add(host + "/f.html", "<p>" + fax("/f.html") + "</p>", "\r\n");
    }
  }

  const std::map<QString, QByteArray>& pages() const { return m_pages; }

 private:
  void add(const QByteArray& hostAndPath, const QByteArray& content, const QByteArray& eol) {
    // The converter reads only what stands inside the body.
    const QByteArray body = "<html><body>" + content + "</body></html>" + eol;
    m_pages[QString::fromLatin1(hostAndPath)] = body;
    m_server.setPage(QString::fromLatin1(hostAndPath), body);
  }

  TestHttpServer& m_server;
  std::map<QString, QByteArray> m_pages;
};

TEST_F(CrawlTest, CrawlsALocalWebAndStoresEveryNumberOnce) {
  const struct {
    const char* name;
    bool pageFilesWritable;
  } cases[] = {{"page files written", true}, {"page files cannot be written", false}};

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(folder.path()).removeRecursively();
    QDir().mkpath(folder.path());
    if (!c.pageFilesWritable) {
      // A folder in the way fails every write, also for root.
      for (int n = 0; n < kSocketCount; ++n) {
        QDir(folder.path()).mkdir(QStringLiteral("html%1.txt").arg(n));
        QDir(folder.path()).mkdir(QStringLiteral("html2%1.txt").arg(n));
      }
    }
    TestHttpServer web;
    LocalWeb local(web);
    seedQueue({QStringLiteral("hub.test")});
    auto crawl = startCrawler();
    crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), web.port());
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 20000));

    // Every page once, nothing the filter drops, nothing after the first link of an LF page.
    std::multiset<QString> asked;
    for (const auto& r : web.requests()) asked.insert(r.host + r.path);
    std::multiset<QString> expected;
    for (const auto& [page, body] : local.pages()) expected.insert(page);
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(crawl->statistics().lSessionScanned, 71);
    EXPECT_EQ(crawl->statistics().lSessionFound, 70);

    std::map<QString, QString> stored;  // fax to website
    for (const FaxRow& row : crawl->database().ReadAllFaxes()) {
      EXPECT_TRUE(stored.emplace(row.fax, row.website).second) << row.fax.toStdString();
      EXPECT_EQ(row.search, QStringLiteral("plumbers"));
      std::string fax = row.fax.toStdString();
      EXPECT_EQ(row.location,
                QString::fromLatin1(fax.starts_with("1-") ? LookupAreaCode(fax)
                                                          : std::string(kUnknownInternational)));
    }
    const std::map<QString, std::set<QString>> where = {
        {"1-201-555-0123", {"h0.test/c.html", "h2.test/dir/sub/e.html"}},
        {"1-800-555-0199", {"h1.test/d.html"}},
        {"+44-20-7946-0958", {"h3.test/f.html", "h4.test/dir/a.html"}},
        {"+1-201-555-0123", {"h5.test/c.html"}},
        {"1-312-555-0147", {"h8.test/d.html"}},
        {"1-415-555-0172", {"h9.test/dir/sub/e.html"}},
    };
    ASSERT_EQ(stored.size(), where.size());
    for (const auto& [fax, website] : stored) {
      ASSERT_TRUE(where.count(fax)) << fax.toStdString();
      EXPECT_TRUE(where.at(fax).count(website))
          << fax.toStdString() << " on " << website.toStdString();
    }
    EXPECT_EQ(crawl->statistics().lSessionFaxes, 6);
    EXPECT_EQ(crawl->pageSteps().lFaxCount, 6);
    EXPECT_EQ(crawl->panelText(3), QStringLiteral("Try a different search"));
    ASSERT_EQ(crawl->faxPreview().size(), 6);
    for (int k = 0; k < 6; ++k) {
      const QStringList parts = crawl->faxPreview().at(k).split(QStringLiteral(" | "));
      ASSERT_EQ(parts.size(), 2);
      EXPECT_TRUE(stored.count(parts[0]));
    }

    if (c.pageFilesWritable) {
      // Socket 0's files hold the last page it fetched: as received, and as plain text.
      const FetchSlot& slot = crawl->fetcher().slot(0);
      const std::string body = local.pages().at(slot.strHost + slot.strPath).toStdString();
      std::string html, text;
      ASSERT_TRUE(ReadFileBytes(folder.file(QStringLiteral("html0.txt")).toStdString(), html));
      ASSERT_TRUE(ReadFileBytes(folder.file(QStringLiteral("html20.txt")).toStdString(), text));
      EXPECT_EQ(html, body + "\r\n");
      EXPECT_EQ(text, ConvertPageForFaxScan(body));
    }
  }
}

TEST_F(CrawlTest, NumbersKeepTheSearchStringTheirPageWasFetchedFor) {
  seed({QStringLiteral("first"), QStringLiteral("second")}, {});
  auto crawl = startCrawler();
  crawl->bHarvesting = true;
  // The search string moves on while the page is worked on (another socket ran the queue dry).
  // Every yield runs here, so the change comes at the page's first one.
  const auto interval = YieldInterval();
  SetYieldInterval(std::chrono::microseconds(0));
  QTimer::singleShot(0, crawl.get(), [&] { crawl->removeCurrentSearchString(); });
  crawl->SavePage("<html><body>Fax: (201) 555-0123</body></html>", 0);
  SetYieldInterval(interval);
  crawl->bHarvesting = false;
  const QList<FaxRow> rows = crawl->database().ReadAllFaxes();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].search, QStringLiteral("first"));
  EXPECT_EQ(crawl->searchStrings(), QStringList{"second"});
}

// Every page a socket received, short or long, is worked on before SavePage returns, so its
// numbers are stored in the order the pages came.
TEST_F(CrawlTest, EveryPageIsWorkedOnBeforeSavePageReturns) {
  // A page of `bytes` with one number, 1-201-555-<last>.
  auto pageOf = [](int last, std::size_t bytes) {
    const std::string fax = "Fax: (201) 555-" + std::to_string(last) + "</body></html>";
    return "<html><body>" + std::string(bytes - 12 - fax.size(), ' ') + fax;
  };
  const struct {
    const char* name;
    std::vector<std::size_t> sizes;
  } cases[] = {
      {"small", {100}},
      {"small after small", {100, 200}},
      {"small behind a long one", {200 * 1024, 100}},
      {"long ones of different lengths", {64 * 1024, 2 * 1024 * 1024, 40 * 1024, 300}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempAppFolder caseFolder;
    options.continueAfterLastSearch = true;
    auto crawl = startCrawler();
    crawl->bHarvesting = true;
    for (std::size_t k = 0; k < c.sizes.size(); ++k) {
      crawl->SavePage(pageOf(int(1001 + k), c.sizes[k]), int16_t(k));
      const QList<FaxRow> rows = crawl->database().ReadAllFaxes();
      ASSERT_EQ(std::size_t(rows.size()), k + 1);
      EXPECT_EQ(rows.last().fax, QStringLiteral("1-201-555-%1").arg(1001 + k));
    }
    crawl.reset();
  }
}

// Small-business sites as today's servers send them: lines ending in LF alone, a script before
// the body, and the whole menu on one line. The contact page, the only one with the fax number,
// is reached through the menu alone.
TEST_F(CrawlTest, AContactPageBehindAOneLineMenuIsReadWithAllLinks) {
  const struct {
    const char* name;
    bool allLinks;
    int contactPages;
  } cases[] = {{"classic reading", false, 0}, {"all links of a page", true, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(folder.path()).removeRecursively();
    QDir().mkpath(folder.path());
    TestHttpServer web;
    QStringList homes;
    for (int s = 0; s < 3; ++s) {
      const QString host = QStringLiteral("s%1.test").arg(s);
      homes << host;
      web.setPage(
          host + QStringLiteral("/"),
          "<!DOCTYPE html>\n<html><head><title>Site</title>\n"
          "<script>var u = location.href='x'; var v = \"<a href='y.html'>\";</script>\n"
          "</head>\n<body><nav><a href=\"/news.html\">News</a> <a href=\"/about.html\">About</a> "
          "<a href=\"/contact.html\">Contact</a> <a href=\"/logo.png\">Logo</a></nav>\n"
          "<p>Welcome</p>\n</body></html>\n");
      web.setPage(host + QStringLiteral("/about.html"),
                  "<html><body><p>About us</p></body></html>\n");
      web.setPage(
          host + QStringLiteral("/contact.html"),
          "<html><body><p>Fax: (201) 555-01" + QByteArray::number(10 + s) + "</p></body></html>\n");
    }
    seedQueue(homes);
    options.allLinks = c.allLinks;
    auto crawl = startCrawler();
    crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), web.port());
    crawl->StartSearch();
    ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 20000));

    int contactPages = 0;
    int logos = 0;
    for (const auto& r : web.requests()) {
      contactPages += r.path == QLatin1String("/contact.html");
      logos += r.path == QLatin1String("/logo.png");
    }
    EXPECT_EQ(contactPages, c.contactPages);
    EXPECT_EQ(logos, 0);
    EXPECT_EQ(crawl->database().ReadAllFaxes().size(), c.contactPages);
  }
}

}  // namespace
}  // namespace norvane::testing
