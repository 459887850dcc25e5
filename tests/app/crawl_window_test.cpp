// The main window follows the crawl controller: Start's checks with their messages and focus,
// the buttons, the queue preview and the panels through Stop and Resume, and closing the window
// in the middle of a crawl.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHostInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QTcpSocket>
#include <QToolButton>

#include "crawl_fixture.h"
#include "desktop/desktop_notice.h"

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
    EXPECT_FALSE(form->cmdResume->isEnabled());
    // A Start stopped by its checks reaches no crawl: the numbers stay within reach. While
    // the search window runs they wait for the pass.
    for (QToolButton* b : {form->cmdViewDatabase, form->Command2, form->Command3})
      EXPECT_EQ(b->isEnabled(), c.message != nullptr) << b->objectName().toStdString();
    EXPECT_FALSE(form->controller().bHarvesting);
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
  for (int16_t i = 0; i < kSocketCount; ++i)
    EXPECT_TRUE(form->controller().fetcher().isFetching(i)) << i;
  EXPECT_FALSE(form->Command1->isEnabled());
  EXPECT_TRUE(form->cmdStop->isEnabled());

  const QStringList queued = items(form->List2);
  QTest::mouseClick(form->cmdStop, Qt::LeftButton);
  EXPECT_FALSE(form->controller().bHarvesting);
  EXPECT_EQ(form->panelText(1), QStringLiteral("Stopped"));
  EXPECT_EQ(form->panelText(2), QString());
  EXPECT_EQ(items(form->List2), queued);  // Resume goes on with the same list
  EXPECT_TRUE(form->cmdResume->isEnabled());
  for (int16_t i = 0; i < kSocketCount; ++i) {
    EXPECT_FALSE(form->controller().fetcher().isFetching(i)) << i;
    EXPECT_FALSE(form->controller().fetcher().timersArmed(i)) << i;
  }
  ASSERT_TRUE(WaitFor([&] { return server.openConnections() == 0; }));

  const int before = int(server.requests().size());
  QTest::mouseClick(form->cmdResume, Qt::LeftButton);
  EXPECT_TRUE(form->controller().bHarvesting);
  EXPECT_FALSE(form->cmdResume->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return server.requests().size() > before; }));
  EXPECT_EQ(server.maxOpenConnections(), 10);
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
  EXPECT_FALSE(form->controller().bHarvesting);
  for (int16_t i = 0; i < kSocketCount; ++i)
    EXPECT_FALSE(form->controller().fetcher().isFetching(i)) << i;
  QTest::qWait(50);  // nothing the sockets or timers still had may reach the window
  form.reset();
  EXPECT_TRUE(WaitFor([&] { return server.openConnections() == 0; }));
}

TEST_F(CrawlTest, DesktopIsToldWhenTheHarvestEndsOrMovesOnWhileTheWindowIsInactive) {
  const struct {
    const char* name;
    QStringList searches;
    bool active;
    QString firstTitle;  // empty: nothing is told
    QString bodyHas;
  } cases[] = {
      {"ends", {"plumbers"}, false, "Harvest finished", "1 fax number found. No more websites"},
      {"ends in view", {"plumbers"}, true, "", ""},
      {"moves on", {"plumbers", "roofers"}, false, "Next search string", "\"roofers\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    QStringList told;
    SetDesktopNoticeSink(
        [&told](const QString& title, const QString& body) { told << title << body; });
    server.setPage(QStringLiteral("a.test/"), "<html><body>Fax: (201) 555-0123</body></html>");
    seedQueue({QStringLiteral("a.test")}, c.searches);
    auto form = startCrawler();
    form->Combo1->setCurrentIndex(0);
    form->Combo2->setCurrentIndex(0);
    // A window shown offscreen becomes the active one; a hidden one is not.
    if (c.active) {
      form->show();
      QApplication::setActiveWindow(form.get());
      ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    form->cmdDoSearch_Click();
    ASSERT_TRUE(WaitFor([&] { return !form->controller().bHarvesting; }));
    QTest::qWait(50);
    if (c.firstTitle.isEmpty()) {
      EXPECT_EQ(told, QStringList());
    } else {
      ASSERT_GE(told.size(), 2);
      EXPECT_EQ(told[0], c.firstTitle);
      EXPECT_TRUE(told[1].contains(c.bodyHas)) << told[1].toStdString();
      EXPECT_EQ(told.count("Harvest finished"), c.searches.size() == 1 ? 1 : 0);
    }
    SetDesktopNoticeSink({});
  }
}

}  // namespace
}  // namespace norvane::testing
