// The search window on the real embedded browser: result pages come from the local web, which
// the browser reaches as its proxy under the engines' own host names.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "local_web.h"
#include "recording_search_host.h"
#include "result_pages.h"
#include "support/qt_printers.h"
#include "support/wait_for.h"

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
    } else if (url.host() == "search.yahoo.com" && url.path() == "/search") {
      index = (query.queryItemValue("b").toInt() - 1) / 10;
    } else if (url.host() == "www.bing.com" && url.path() == "/search") {
      index = (query.queryItemValue("first").toInt() - 1) / 10;
    }
    if (index < 0 || index >= pages.size()) {
      return LocalWeb::page("<html><body>No more results.</body></html>");
    }
    if (pages[index] == "hold") return LocalWeb::Reply{200, {}, true, {}};
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

// The engines' result pages asked for so far, over either scheme; clears the record.
QStringList EnginePageRequests() {
  QStringList pages;
  for (const QString& request : TestWeb().takeRequests()) {
    const QUrl url(request);
    if (url.path().startsWith("/search") &&
        (url.host() == "www.google.com" || url.host() == "search.yahoo.com" ||
         url.host() == "www.bing.com")) {
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
    ASSERT_TRUE(WaitFor([&] { return host.handedOver(); }, kPassTimeoutMs));
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
    ASSERT_TRUE(WaitFor([&] { return host.form.isNull(); }));
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
      ASSERT_TRUE(WaitFor([&] { return host.form.isNull(); }));
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
    ASSERT_TRUE(WaitFor([&] { return host.form.isNull(); }));
  }
}

TEST_F(Form3Test, ClosingWhileWaitingForAPageEndsThePassAndKeepsTheQueue) {
  ServePages({YahooResultPage(Firms(5)), "hold"});
  host.searchType = "Yahoo Search";
  host.searches = {"a", "b"};
  Form3* form = load();
  QStringList requests;
  ASSERT_TRUE(
      WaitFor([&] { return (requests << ResultPageRequests()).size() == 2; }, kPassTimeoutMs));
  form->close();
  ASSERT_TRUE(WaitFor([&] { return host.form.isNull(); }));
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
    ASSERT_TRUE(WaitFor([&] { return host.form.isNull(); }));
  }
}

TEST_F(Form3Test, PageTheEngineDidNotServeEndsThePassAndKeepsTheSearchString) {
  // Each reply would once have been read as a result page: the browser's error page, an error
  // answer that names sites of its own, and a network's login page that links to plenty.
  const QByteArray errorPage = GoogleResultPage(Firms(30)).toUtf8();
  const struct {
    const char* name;
    LocalWeb::Reply reply;
    const char* reason;
  } cases[] = {
      {"not found, empty", LocalWeb::Reply{}, "404"},
      {"server error with a body", LocalWeb::Reply{503, errorPage, false, {}}, "503"},
      {"another host's page", LocalWeb::redirect("http://login.hotel-wifi.com/portal"),
       "login.hotel-wifi.com"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host = RecordingSearchHost();
    host.searches = {"a", "b"};
    const LocalWeb::Reply reply = c.reply;
    TestWeb().setHandler([reply, errorPage](const QUrl& url) {
      if (url.host() == "login.hotel-wifi.com") return LocalWeb::page(errorPage);
      return reply;
    });
    runPass();
    ASSERT_EQ(host.unreached.size(), 1);
    EXPECT_TRUE(host.unreached[0].startsWith("The search engine could not be reached"));
    EXPECT_TRUE(host.unreached[0].contains(c.reason)) << host.unreached[0].toStdString();
    EXPECT_TRUE(host.websites.isEmpty());
    EXPECT_EQ(host.found, 0);
    EXPECT_EQ(host.startSearchCalls + host.startNextSearchCalls, 0);
    EXPECT_EQ(host.searches, QStringList({"a", "b"}));
    const QMap<int, QString> panels = {{1, "Stopped"}, {2, "Engine not reached"}, {3, ""}};
    EXPECT_EQ(host.panels, panels);
    EXPECT_TRUE(WaitFor([this] { return host.form.isNull(); }));
  }
}

TEST_F(Form3Test, PageThatDoesNotLoadAtAllEndsThePass) {
  // The engine's first page never comes; the browser is sent to a local page that cannot load.
  ServePages({"hold"});
  host.searches = {"a", "b"};
  Form3* form = load();
  const QString missing = QDir::temp().filePath("norvane-no-such-folder/results.html");
  form->WebBrowser1->load(QUrl::fromLocalFile(missing));
  ASSERT_TRUE(WaitFor([this] { return host.handedOver(); }, kPassTimeoutMs));
  ASSERT_EQ(host.unreached.size(), 1);
  // The browser's reason follows the fixed words.
  EXPECT_GT(host.unreached[0].indexOf(": "), 0);
  EXPECT_FALSE(host.unreached[0].contains(": ."));
  EXPECT_EQ(host.startSearchCalls + host.startNextSearchCalls, 0);
  EXPECT_EQ(host.searches, QStringList({"a", "b"}));
  EXPECT_TRUE(host.websites.isEmpty());
  EXPECT_EQ(host.panels.value(2), "Engine not reached");
}

TEST_F(Form3Test, SecurePassAsksEachEngineAndQueuesSitesInTheirSecureForm) {
  const QString google =
      "www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off"
      "&filter=0&start=";
  const struct {
    const char* searchType;
    bool secure;
    QString page;
    QStringList requests;
    QStringList websites;
  } cases[] = {
      {"Google Search",
       true,
       SecureResultPage("Google", Firms(3)),
       {"https://" + google + "0&sa=N&q=plumbers+nj+fax",
        "https://" + google + "100&sa=N&q=plumbers+nj+fax"},
       SecureFirmWebsites(3)},
      {"Yahoo Search",
       true,
       SecureResultPage("Yahoo", Firms(3)),
       {"https://search.yahoo.com/search?p=plumbers+nj+fax&b=1",
        "https://search.yahoo.com/search?p=plumbers+nj+fax&b=11"},
       SecureFirmWebsites(3)},
      {"Bing Search",
       true,
       SecureResultPage("Bing", Firms(3)),
       {"https://www.bing.com/search?q=plumbers+nj+fax&first=1",
        "https://www.bing.com/search?q=plumbers+nj+fax&first=11"},
       SecureFirmWebsites(3)},
      {"Bing Search",
       false,
       GoogleResultPage(Firms(3)),
       {"http://www.bing.com/search?q=plumbers+nj+fax&first=1",
        "http://www.bing.com/search?q=plumbers+nj+fax&first=11"},
       FirmDomains(3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.searchType) + (c.secure ? " secure" : " plain"));
    host = RecordingSearchHost();
    host.searchType = c.searchType;
    host.secure = c.secure;
    // The second page repeats the first, so it adds nothing and ends the pass.
    ServePages({c.page, c.page});
    runPass();
    EXPECT_EQ(EnginePageRequests(), c.requests);
    EXPECT_EQ(host.websites, c.websites);
    EXPECT_EQ(host.statusAtHandOver, "Finished! Extracted 3 results.");
    EXPECT_EQ(host.panels.value(2), "Not enough results");
    EXPECT_TRUE(WaitFor([this] { return host.form.isNull(); }));
  }
}

TEST_F(Form3Test, EnginesOwnPageMakesTheWindowWaitForTheUser) {
  const QString waiting = "Waiting for you to answer the search engine's page...";
  const QByteArray prompt =
      "<html><body><p>Before you continue</p><a id=agree "
      "href=\"https://consent.google.com/save\">Accept all</a></body></html>";
  const struct {
    const char* name;
    bool redirected;  // the engine sends the browser away from its result path
    bool answer;      // the user answers; otherwise the window is closed
  } cases[] = {{"consent page elsewhere", true, true},
               {"robot check on the result path", false, true},
               {"closed while waiting", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host = RecordingSearchHost();
    host.secure = true;
    auto answered = std::make_shared<bool>(false);
    auto asked = std::make_shared<QByteArray>();  // the result page the pass asked for
    const QByteArray results = SecureResultPage("Google", Firms(25)).toUtf8();
    const bool redirected = c.redirected;
    TestWeb().setHandler([=](const QUrl& url) {
      if (url.host() == "consent.google.com" && url.path() == "/save") {
        *answered = true;
        return LocalWeb::redirect(*asked);
      }
      if (url.host() == "consent.google.com") return LocalWeb::page(prompt);
      if (url.host() != "www.google.com" || url.path() != "/search") return LocalWeb::Reply{};
      if (asked->isEmpty()) *asked = url.toEncoded();
      if (*answered) return LocalWeb::page(results);
      if (redirected) return LocalWeb::redirect("https://consent.google.com/ml");
      return LocalWeb::page(prompt);
    });
    Form3* form = load();
    ASSERT_TRUE(WaitFor([form, &waiting] { return form->Text1->text() == waiting; }, 30000));
    QTest::qWait(300);
    EXPECT_EQ(form->Text1->text(), waiting);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->bWaiting);
    EXPECT_FALSE(host.handedOver());
    EXPECT_TRUE(host.websites.isEmpty());
    EXPECT_TRUE(host.panels.isEmpty());
    if (!c.answer) {
      form->close();
      EXPECT_TRUE(WaitFor([this] { return host.form.isNull(); }));
      EXPECT_EQ(host.startSearchCalls + host.startNextSearchCalls, 0);
      EXPECT_TRUE(host.panels.isEmpty());
      continue;
    }
    // The user's answer brings the browser back to the result page the pass asked for.
    form->WebBrowser1->page()->runJavaScript("document.getElementById('agree').click()");
    ASSERT_TRUE(WaitFor([this] { return host.handedOver(); }, 30000));
    EXPECT_EQ(host.websites, SecureFirmWebsites(25));
    EXPECT_EQ(host.startSearchCalls, 1);
    EXPECT_EQ(host.statusAtHandOver, "Finished! Extracted 25 results.");
    EXPECT_TRUE(WaitFor([this] { return host.form.isNull(); }));
  }
}

}  // namespace
}  // namespace norvane::testing
