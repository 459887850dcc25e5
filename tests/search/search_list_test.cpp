// The "Searches" frame of the real main window (add, Enter, delete, "Next"), and the main window
// loading the search window for txtSearch.
#include <QFile>
#include <QLabel>
#include <QTest>

#include "common/app_folder.h"
#include "desktop/message_box.h"
#include "form1_fixture.h"
#include "harvest/fetch/page_fetcher.h"
#include "local_web.h"
#include "result_pages.h"
#include "search/form3.h"
#include "support/qt_printers.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

class SearchListTest : public Form1Test {
 protected:
  void SetUp() override {
    MessageBox::setTestMode(true);
    MessageBox::reset();
  }
  void TearDown() override {
    MessageBox::reset();
    MessageBox::setTestMode(false);
  }
  // A fresh application folder for one case of a table, with spider.mdb seeded.
  void freshCase(const QStringList& searches, const QStringList& websites) {
    m_case.reset();
    m_case = std::make_unique<TempAppFolder>();
    SpiderDatabase db(AppFile(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    for (QString s : searches) db.AddSearch(s);
    for (QString w : websites) db.AddWebsite(w);
  }
  // The searches table as the next start shows it.
  QStringList storedSearches() { return items(start()->List1); }

  std::unique_ptr<TempAppFolder> m_case;
};

TEST_F(SearchListTest, AddPutsTheTextAsTypedInTheListAndTrimmedInTheTable) {
  const struct {
    bool byEnter;
    QStringList before;
    QString typed;
    QStringList listAfter;
    QStringList tableAfter;
  } cases[] = {
      {false, {}, "plumbers", {"plumbers"}, {"plumbers"}},
      {true, {"a"}, "plumbers nj", {"a", "plumbers nj"}, {"a", "plumbers nj"}},
      // Nothing to search for: an empty or blank text is not added.
      {true, {}, "", {}, {}},
      {false, {"a"}, "   ", {"a"}, {"a"}},
      {true, {"a"}, " \t ", {"a"}, {"a"}},
      {false, {"a"}, "  roofers  ", {"a", "  roofers  "}, {"a", "roofers"}},
      {false, {"a"}, "a", {"a", "a"}, {"a", "a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    freshCase(c.before, {});
    auto form = start();
    form->Text1->setText(c.typed);
    if (c.byEnter) {
      QTest::keyClick(form->Text1, Qt::Key_Return);
    } else {
      form->cmdAdd->click();
    }
    EXPECT_EQ(items(form->List1), c.listAfter);
    EXPECT_EQ(form->Text1->text(), "");
    form.reset();
    EXPECT_EQ(storedSearches(), c.tableAfter);
  }
}

TEST_F(SearchListTest, DeleteFollowsTheSelectionTheHarvestAndResume) {
  using B = QMessageBox::StandardButton;
  const QString select = "You must select a search to delete.";
  const QString refuse =
      "You cannot delete the current search while the spider is harvesting faxes.";
  const QString confirm =
      "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?";
  const struct {
    QStringList searches;
    int selected;
    bool harvesting, resume;
    B answer;
    QStringList listAfter;
    QStringList messages;
    QString title;
    bool resumeAfter;
    int websitesAfter;
  } cases[] = {
      {{"a", "b", "c"}, -1, false, false, B::NoButton, {"a", "b", "c"}, {select}, "", false, 2},
      {{}, -1, false, false, B::NoButton, {}, {}, "", false, 2},
      {{"a", "b", "c"}, 2, true, false, B::NoButton, {"a", "b"}, {}, "", false, 2},
      {{"a", "b", "c"}, 1, false, true, B::NoButton, {"a", "c"}, {}, "", true, 2},
      {{"a", "b", "c"}, 0, true, false, B::NoButton, {"a", "b", "c"}, {refuse}, "", false, 2},
      {{"a", "b", "c"},
       0,
       false,
       true,
       B::Cancel,
       {"a", "b", "c"},
       {confirm},
       "Confirm Delete",
       true,
       2},
      {{"a", "b", "c"}, 0, false, true, B::Ok, {"b", "c"}, {confirm}, "Confirm Delete", false, 0},
      {{"a", "b", "c"}, 0, false, false, B::NoButton, {"b", "c"}, {}, "", false, 2},
  };
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(i++);
    freshCase(c.searches, {"one.com", "two.com"});
    auto form = start();
    form->controller().bHarvesting = c.harvesting;
    form->cmdResume->setEnabled(c.resume);
    if (c.selected >= 0) form->List1->setCurrentRow(c.selected);
    if (c.answer != B::NoButton) MessageBox::setNextAnswer(c.answer);
    form->cmbDel->click();
    EXPECT_EQ(items(form->List1), c.listAfter);
    EXPECT_EQ(MessageBox::takeShownTexts(), c.messages);
    const QStringList titles = MessageBox::takeShownTitles();
    if (!c.title.isEmpty()) {
      EXPECT_EQ(titles, QStringList{c.title});
    }
    EXPECT_EQ(form->cmdResume->isEnabled(), c.resumeAfter);
    EXPECT_EQ(form->List2->count() + form->database().CountWebsites(), c.websitesAfter);
    // A second "Delete" needs a new selection.
    if (c.listAfter != c.searches) {
      form->cmbDel->click();
      EXPECT_EQ(MessageBox::takeShownTexts(), QStringList{select});
    }
    form.reset();
    EXPECT_EQ(storedSearches(), c.listAfter);
  }
}

TEST_F(SearchListTest, NextIsUsableOnlyWhileHarvestingWithAnotherSearchWaiting) {
  const struct {
    bool harvesting;
    QStringList searches;
    int deleteRow;  // -1: add one instead
    bool nextAfter;
  } cases[] = {
      {true, {"a"}, -1, true},
      {false, {"a"}, -1, false},
      {true, {}, -1, false},
      {true, {"a", "b"}, 1, false},
      {true, {"a", "b", "c"}, 2, true},
      {false, {"a", "b", "c"}, 2, false},
  };
  for (const auto& c : cases) {
    freshCase(c.searches, {});
    auto form = start();
    form->controller().bHarvesting = c.harvesting;
    form->cmdNextSearch->setEnabled(!c.nextAfter);
    if (c.deleteRow < 0) {
      form->Text1->setText("new");
      form->cmdAdd->click();
    } else {
      form->List1->setCurrentRow(c.deleteRow);
      form->cmbDel->click();
    }
    EXPECT_EQ(form->cmdNextSearch->isEnabled(), c.nextAfter)
        << c.harvesting << " " << c.searches.size() << " " << c.deleteRow;
  }
}

TEST_F(SearchListTest, DeletingOneOfTwoEqualStringsRemovesTheSelectedEntryAndOneRow) {
  seed({"x", "dup", "y", "dup"}, {});
  auto form = start();
  form->List1->setCurrentRow(3);
  form->cmbDel->click();
  EXPECT_EQ(items(form->List1), QStringList({"x", "dup", "y"}));
  form.reset();
  EXPECT_EQ(storedSearches(), QStringList({"x", "y", "dup"}));
}

TEST_F(SearchListTest, SearchWindowRunsAPassForTxtSearchAndReportsTooFewResults) {
  TestWeb().takeRequests();
  TestWeb().setHandler([](const QUrl& url) {
    if (url.host() != "search.yahoo.com") return LocalWeb::Reply{};
    if (url.toString().endsWith("&b=1")) {
      return LocalWeb::page(YahooResultPage(Firms(3)).toUtf8());
    }
    return LocalWeb::page("<html><body>No more results.</body></html>");
  });
  seed({"plumbers nj"}, {"old.com"});
  auto form = start();
  ASSERT_EQ(form->List2->count(), 1);
  form->Combo1->setCurrentIndex(1);
  form->Combo2->setCurrentIndex(0);
  form->chkAddFax->setChecked(true);
  form->txtSearch->setText("plumbers nj");
  form->LoadSearchWindow();
  Form3* window = form->searchWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->parentWidget(), form.get());
  EXPECT_EQ(form->List2->count(), 0);
  EXPECT_EQ(form->searchWindowLoads(), 1);

  ASSERT_TRUE(WaitFor([&] { return form->searchWindow() == nullptr; }, 30000));
  EXPECT_EQ(form->panelText(1), "Stopped");
  EXPECT_EQ(form->panelText(2), "Not enough results");
  EXPECT_EQ(form->panelText(3), "Add more search terms");
  EXPECT_EQ(items(form->List1), QStringList{"plumbers nj"});
  EXPECT_EQ(form->LblStats[1]->text(), "3");
  EXPECT_EQ(form->database().CountWebsites(), 3);
  const QStringList requests = TestWeb().takeRequests().filter("search.yahoo.com/search/dir");
  ASSERT_FALSE(requests.isEmpty());
  EXPECT_EQ(requests.first(),
            "http://search.yahoo.com/search/dir?h=s&xargs=0&p=plumbers+nj+fax&b=1");
  TestWeb().setHandler({});
}

TEST_F(SearchListTest, PassThatStartsNoCrawlGivesTheNumberButtonsBack) {
  const struct {
    const char* what;
    QStringList searches;
    int firms;   // on the first result page; -1: no page comes and the user closes the window
    bool crawl;  // the pass hands over to the crawl
    QList<bool> faxData;  // what "View Fax Database", "Export..." and "Delete All..." are set to
  } cases[] = {
      {"too few results", {"a"}, 3, false, {false, true}},
      {"too few results for each string", {"a", "b"}, 3, false, {false, false, true}},
      {"the window closed by the user", {"a"}, -1, false, {false, true}},
      {"enough results", {"a"}, 25, true, {false, false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestWeb().setHandler([&](const QUrl& url) {
      if (url.host() != "search.yahoo.com") return LocalWeb::Reply{};
      if (c.firms < 0) return LocalWeb::Reply{200, {}, true, {}};
      if (url.toString().endsWith("&b=1"))
        return LocalWeb::page(YahooResultPage(Firms(c.firms)).toUtf8());
      return LocalWeb::page("<html><body>No more results.</body></html>");
    });
    // The fixture's folder, whose settings keep the classic pass.
    for (const char* name : {"spider.mdb", "spider.mdb-wal", "spider.mdb-shm"})
      QFile::remove(folder.file(QLatin1String(name)));
    seed(c.searches, {});
    auto form = start();
    HarvestController& crawl = form->controller();
    crawl.fetcher().setConnectTo(QStringLiteral("127.0.0.1"), TestWeb().port());
    QList<bool> faxData;
    bool setWhileHarvesting = false;
    QObject::connect(&crawl, &HarvestController::buttonChanged, [&](HarvestButton b, bool on) {
      if (b != HarvestButton::FaxData) return;
      faxData << on;
      setWhileHarvesting = setWhileHarvesting || (on && crawl.bHarvesting);
    });
    form->Combo1->setCurrentIndex(1);
    form->Combo2->setCurrentIndex(0);
    form->Command1->click();
    EXPECT_FALSE(form->Command2->isEnabled());  // while the pass runs
    if (c.firms < 0) {
      ASSERT_TRUE(WaitFor([&] { return TestWeb().requestCount() > 0; }));
      form->searchWindow()->close();
    }
    ASSERT_TRUE(
        WaitFor([&] { return form->searchWindow() == nullptr && !crawl.bHarvesting; }, 30000));
    EXPECT_EQ(faxData, c.faxData);
    EXPECT_FALSE(setWhileHarvesting);
    for (QToolButton* b : {form->cmdViewDatabase, form->Command2, form->Command3})
      EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    TestWeb().setHandler({});
    TestWeb().release();
    TestWeb().takeRequests();
  }
}

TEST_F(SearchListTest, LoadingAgainReplacesAWindowStillWaiting) {
  TestWeb().setHandler([](const QUrl&) { return LocalWeb::Reply{200, {}, true, {}}; });
  seed({"a", "b"}, {});
  auto form = start();
  form->Combo1->setCurrentIndex(0);
  form->txtSearch->setText("a");
  form->LoadSearchWindow();
  QPointer<Form3> first = form->searchWindow();
  form->txtSearch->setText("b");
  form->LoadSearchWindow();
  ASSERT_TRUE(WaitFor([&] { return first.isNull(); }));
  ASSERT_NE(form->searchWindow(), nullptr);
  EXPECT_EQ(form->searchWindow()->strQuery, "b+fax");
  EXPECT_EQ(form->searchWindowLoads(), 2);
  TestWeb().setHandler({});
  TestWeb().release();
}

TEST_F(SearchListTest, ClosingTheMainWindowUnloadsTheSearchWindow) {
  TestWeb().setHandler([](const QUrl&) { return LocalWeb::Reply{200, {}, true, {}}; });
  auto form = start();
  form->txtSearch->setText("a");
  form->LoadSearchWindow();
  QPointer<Form3> window = form->searchWindow();
  ASSERT_FALSE(window.isNull());
  form->close();
  EXPECT_EQ(form->searchWindow(), nullptr);
  ASSERT_TRUE(WaitFor([&] { return window.isNull(); }));
  TestWeb().setHandler({});
  TestWeb().release();
}

}  // namespace
}  // namespace norvane::testing
