// The search window on the real embedded browser: result pages come from the local web, which
// the browser reaches as its proxy under the engines' own host names.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QUrlQuery>
#include <QWebEngineView>
#include <memory>

#include "local_web.h"
#include "recording_search_host.h"
#include "result_pages.h"
#include "support/qt_printers.h"

namespace norvane::testing {
namespace {

const QString kGooglePrefix =
    "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";
const QString kYahooPrefix = "http://search.yahoo.com/search/dir?h=s&xargs=0&p=";
constexpr int kPassTimeoutMs = 30000;

// Serves pages[i] as the i-th result page of either engine; later pages hold no results. A page
// given as "hold" is requested but never answered, one given as "404" fails.
void ServePages(const QStringList& pages) {
  TestWeb().setHandler([pages](const QUrl& url) {
    const QUrlQuery query(url);
    int index = -1;
    if (url.host() == "www.google.com" && url.path() == "/search") {
      index = query.queryItemValue("start").toInt() / 100;
    } else if (url.host() == "search.yahoo.com" && url.path() == "/search/dir") {
      index = (query.queryItemValue("b").toInt() - 1) / 20;
    }
    if (index < 0 || index >= pages.size()) {
      return LocalWeb::page("<html><body>No more results.</body></html>");
    }
    if (pages[index] == "hold") return LocalWeb::Reply{200, {}, true};
    if (pages[index] == "404") return LocalWeb::Reply{};
    return LocalWeb::page(pages[index].toUtf8());
  });
}

// The result pages asked for so far (images and other requests of the pages left out); clears
// the record.
QStringList ResultPageRequests() {
  QStringList pages;
  for (const QString& request : TestWeb().takeRequests()) {
    if (request.startsWith(kGooglePrefix.left(30)) || request.startsWith(kYahooPrefix.left(35))) {
      pages << request;
    }
  }
  return pages;
}

class Form3Test : public ::testing::Test {
 protected:
  void SetUp() override { TestWeb().takeRequests(); }
  void TearDown() override {
    TestWeb().setHandler({});
    TestWeb().release();
    delete host.form.data();
  }

  Form3* load(const QString& previousEngine = QString()) {
    auto* form = new Form3(host, previousEngine);
    host.form = form;
    form->Form_Load();
    form->show();
    return form;
  }

  // Runs a pass to its hand-over: the crawl, the next search string or the window's unload.
  void runPass(const QString& previousEngine = QString()) {
    load(previousEngine);
    QTRY_VERIFY_WITH_TIMEOUT(host.handedOver(), kPassTimeoutMs);
    QTest::qWait(0);
  }

  RecordingSearchHost host;
};

TEST_F(Form3Test, WindowCarriesItsCaptionStatusLineAndBrowser) {
  ServePages({"hold"});
  Form3* form = load();
  EXPECT_EQ(form->windowTitle(), "List Builder - Finding matching websites...");
  EXPECT_EQ(form->size(), QSize(740, 574));
  EXPECT_EQ(form->Text1->text(), "Status...");
  EXPECT_EQ(form->Text1->toolTip(),
            "This shows the number of unique .com, .org and .net domain names found.");
  EXPECT_EQ(form->WebBrowser1->toolTip(), "Searching for unique .com, .net and .org domain names.");
  EXPECT_EQ(form->WebBrowser1->geometry(), QRect(0, 0, 741, 545));
  EXPECT_EQ(form->Text1->geometry(), QRect(0, 552, 741, 21));
  EXPECT_EQ(host.websitesCleared, 1);
}

TEST_F(Form3Test, PagesAreAskedWithTheQueryAndEachEnginesOffsets) {
  const struct {
    const char* searchType;
    const char* previous;
    bool addFax;
    QStringList requests;
  } cases[] = {
      {"Google Search",
       "",
       true,
       {kGooglePrefix + "0&sa=N&q=plumbers+nj+fax", kGooglePrefix + "100&sa=N&q=plumbers+nj+fax"}},
      {"Yahoo Search",
       "",
       false,
       {kYahooPrefix + "plumbers+nj&b=1", kYahooPrefix + "plumbers+nj&b=21"}},
      {"Some Other Search",
       "Yahoo",
       true,
       {kYahooPrefix + "plumbers+nj+fax&b=1", kYahooPrefix + "plumbers+nj+fax&b=21"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.searchType);
    host = RecordingSearchHost();
    host.searchType = c.searchType;
    host.addFax = c.addFax;
    const QString page = host.searchType.startsWith("Google") ? GoogleResultPage(Firms(3))
                                                              : YahooResultPage(Firms(3));
    ServePages({page});
    runPass(c.previous);
    EXPECT_EQ(ResultPageRequests(), c.requests);
    EXPECT_EQ(host.websites, FirmDomains(3));
    EXPECT_EQ(host.found, 3);
    EXPECT_EQ(host.statusAtHandOver, "Finished! Extracted 3 results.");
    const QMap<int, QString> panels = {
        {1, "Stopped"}, {2, "Not enough results"}, {3, "Add more search terms"}};
    EXPECT_EQ(host.panels, panels);
    EXPECT_EQ(host.searches, QStringList{"plumbers nj"});
    EXPECT_EQ(host.startSearchCalls + host.startNextSearchCalls, 0);
    QTRY_VERIFY(host.form.isNull());
  }
}

TEST_F(Form3Test, PassHandsOverByTheNumberOfDomainsFound) {
  const struct {
    int domains;
    QStringList searches;
    int startSearch, startNextSearch;
    QStringList searchesAfter;
    QMap<int, QString> panels;
    bool unloadsItself;
  } cases[] = {
      {20,
       {"a", "b"},
       0,
       1,
       {"b"},
       {{1, "Stopped"}, {2, "Not enough results"}, {3, "Trying next search"}},
       false},
      {20,
       {"a"},
       0,
       0,
       {"a"},
       {{1, "Stopped"}, {2, "Not enough results"}, {3, "Add more search terms"}},
       true},
      {0,
       {},
       0,
       0,
       {},
       {{1, "Stopped"}, {2, "Not enough results"}, {3, "Add more search terms"}},
       true},
      {21, {"a", "b"}, 1, 0, {"a", "b"}, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.domains);
    host = RecordingSearchHost();
    host.searches = c.searches;
    ServePages({GoogleResultPage(Firms(c.domains))});
    runPass();
    EXPECT_EQ(host.websites, FirmDomains(c.domains));
    EXPECT_EQ(host.startSearchCalls, c.startSearch);
    EXPECT_EQ(host.startNextSearchCalls, c.startNextSearch);
    EXPECT_EQ(host.searches, c.searchesAfter);
    EXPECT_EQ(host.panels, c.panels);
    EXPECT_EQ(host.statusAtHandOver, QString("Finished! Extracted %1 results.").arg(c.domains));
    if (c.unloadsItself) {
      QTRY_VERIFY(host.form.isNull());
    } else {
      ASSERT_FALSE(host.form.isNull());
      EXPECT_TRUE(host.form->bFinished);
      EXPECT_TRUE(host.form->isHidden());
    }
    delete host.form.data();
  }
}

TEST_F(Form3Test, WantedNumberAndEmptyPagesEndThePass) {
  const struct {
    int resultIndex;
    QStringList pages;
    int requests;
    int domains;
  } cases[] = {
      {-1, {GoogleResultPage(Firms(100))}, 1, 100},
      {0, {GoogleResultPage(Firms(100))}, 1, 100},
      {1, {GoogleResultPage(Firms(100)), GoogleResultPage(Firms(5, 101))}, 3, 105},
      {1, {GoogleResultPage(Firms(30)), GoogleResultPage(Firms(30))}, 2, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.resultIndex);
    host = RecordingSearchHost();
    host.resultIndex = c.resultIndex;
    ServePages(c.pages);
    runPass();
    EXPECT_EQ(ResultPageRequests().size(), c.requests);
    EXPECT_EQ(host.websites.size(), c.domains);
    EXPECT_EQ(host.startSearchCalls, 1);
    QTRY_VERIFY(host.form.isNull());
  }
}

TEST_F(Form3Test, ClosingWhileWaitingForAPageEndsThePassAndKeepsTheQueue) {
  ServePages({YahooResultPage(Firms(5)), "hold"});
  host.searchType = "Yahoo Search";
  host.searches = {"a", "b"};
  Form3* form = load();
  QStringList requests;
  QTRY_VERIFY_WITH_TIMEOUT((requests << ResultPageRequests()).size() == 2, kPassTimeoutMs);
  form->close();
  QTRY_VERIFY(host.form.isNull());
  TestWeb().release();
  QTest::qWait(50);
  EXPECT_EQ(host.websites, FirmDomains(5));
  EXPECT_EQ(host.startSearchCalls + host.startNextSearchCalls, 0);
  EXPECT_TRUE(host.panels.isEmpty());
  EXPECT_EQ(host.searches, QStringList({"a", "b"}));
}

TEST_F(Form3Test, NotificationWhileAPageIsReadIsIgnored) {
  ServePages({GoogleResultPage(Firms(25))});
  QStringList status;
  host.onAddWebsite = [this, &status] {
    status << host.form->Text1->text();
    host.form->WebBrowser1_DocumentComplete();
  };
  runPass();
  EXPECT_EQ(host.websites, FirmDomains(25));
  // The status line counts after every line, so each domain finds the count before it.
  for (int i = 0; i < status.size(); ++i) {
    EXPECT_EQ(status[i], QString("Extracted %1 unique results.").arg(i));
  }
  EXPECT_EQ(host.startSearchCalls, 1);
  EXPECT_EQ(ResultPageRequests().size(), 2);
}

TEST_F(Form3Test, UnloadDuringTheHandOverWaitsForTheWindowsOwnWork) {
  // The controller unloads the window while the crawl it started lets events run.
  for (const int domains : {21, 3}) {
    host = RecordingSearchHost();
    host.searches = {"a", "b"};
    host.onHandOver = [this] {
      host.form->Unload();
      QTest::qWait(20);
      EXPECT_FALSE(host.form.isNull());
    };
    ServePages({GoogleResultPage(Firms(domains))});
    runPass();
    EXPECT_EQ(host.startSearchCalls + host.startNextSearchCalls, 1);
    QTRY_VERIFY(host.form.isNull());
  }
}

TEST_F(Form3Test, FailedPageEndsThePassWithTheBrowsersErrorPage) {
  ServePages({"404"});
  host.searches = {"a", "b"};
  runPass();
  EXPECT_EQ(host.startNextSearchCalls, 1);
  EXPECT_EQ(host.panels.value(2), "Not enough results");
  // The error page is read like any page; it adds at most the few sites it names itself.
  EXPECT_LE(host.websites.size(), 20);
}

}  // namespace
}  // namespace norvane::testing
