// The main window's widgets, start sequence, layout and closing, on the real window offscreen.
#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>

#include "common/version_info.h"
#include "form1_fixture.h"
#include "harvest/fetch/page_fetcher.h"

namespace norvane::testing {
namespace {

using StartTest = Form1Test;
using LayoutTest = Form1Test;

TEST_F(StartTest, WidgetsCarryTheirNamesCaptionsAndStates) {
  auto form = start();
  struct Expect {
    const char* name;
    const char* caption;
    const char* tip;
    bool enabled;
  };
  const Expect buttons[] = {
      {"Command1", "Start", "Begin Harvesting Faxes", true},
      {"cmdNextSearch", "Next", "Skip to your next search string", false},
      {"cmdStop", "Stop", "Stop harvesting faxes", false},
      {"cmdResume", "Resume", "Resume harvesting emails", false},
      {"cmdAdd", "", "Add", true},
      {"cmbDel", "", "Delete", true},
      {"cmdViewDatabase", "View Fax Database", "Spider.mdb stores all thefaxes you have found",
       true},
      {"Command2", "Export Fax Numbers", "Export all the faxes you have found", true},
      {"Command3", "Delete All Fax Numbers", "Delete all saved faxes", true},
  };
  for (const Expect& e : buttons) {
    auto* b = form->findChild<QToolButton*>(QLatin1String(e.name));
    ASSERT_NE(b, nullptr) << e.name;
    EXPECT_EQ(b->text(), QLatin1String(e.caption)) << e.name;
    EXPECT_EQ(b->toolTip(), QLatin1String(e.tip)) << e.name;
    EXPECT_EQ(b->isEnabled(), e.enabled) << e.name;
  }
  EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(),
            QStringLiteral("Searches"));
  EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("Frame2"))->title(),
            QStringLiteral("Emails"));
  EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("Frame3"))->title(),
            QStringLiteral("Statistics"));
  EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("Frame4"))->title(),
            QStringLiteral("Options"));
  EXPECT_EQ(form->chkAddFax->text(), QStringLiteral("Add \"fax\" to searches"));
  EXPECT_EQ(form->chkNonUS->toolTip(), QStringLiteral("Allows Non-US numbers"));
  EXPECT_EQ(form->Combo1->lineEdit()->placeholderText(), QStringLiteral("Which Search Type?"));
  EXPECT_EQ(form->Combo2->count(), 6);
  EXPECT_EQ(form->cmbAdvance->count(), 8);
  EXPECT_EQ(form->txtSearch->text(), QStringLiteral("Google Search"));
  EXPECT_TRUE(form->txtSearch->isHidden());
  EXPECT_TRUE(form->cmdDoSearch->isHidden());
  EXPECT_EQ(form->mnuFileItem->iconText(), QStringLiteral("Exit"));
  EXPECT_EQ(form->mnuHelpItem->iconText(), QStringLiteral("View Help File"));
  EXPECT_EQ(form->mnuAboutItem->iconText(), QStringLiteral("About this software"));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("LblStats(%1)").arg(i)), form->LblStats[i]);
  }
}

TEST_F(StartTest, TitleWebsiteButtonAndStatusPanelsComeFromTheVersionInformation) {
  auto form = start();
  EXPECT_EQ(form->windowTitle(),
            QStringLiteral("Norvane by ") + QLatin1String(version::kCompanyName));
  EXPECT_EQ(form->cmdWebsite->text(), QStringLiteral("Visit ") + QLatin1String(version::kComments));
  EXPECT_FALSE(form->windowIcon().isNull());
  for (int panel = 1; panel <= 4; ++panel) {
    form->setPanelText(panel, QStringLiteral("p%1").arg(panel));
    EXPECT_EQ(form->panelText(panel), QStringLiteral("p%1").arg(panel));
  }
  EXPECT_EQ(form->controller().fetcher().idleTickLimit(), 10);
  EXPECT_EQ(form->controller().fetcher().totalTickLimit(), 30);
  EXPECT_FALSE(form->controller().bHarvesting);
}

TEST_F(StartTest, MissingDatabaseIsCreatedAndTheListsStayEmpty) {
  auto form = start();
  EXPECT_TRUE(QFileInfo::exists(folder.file(QStringLiteral("spider.mdb"))));
  EXPECT_EQ(form->List1->count(), 0);
  EXPECT_EQ(form->List2->count(), 0);
  EXPECT_EQ(form->List3->count(), 0);
  EXPECT_FALSE(form->cmdResume->isEnabled());
}

TEST_F(StartTest, LeftoverQueueWithSearchStringsFillsTheListsAndEnablesResume) {
  seed({QStringLiteral("plumbers"), QStringLiteral("o'brien's bakers")},
       {QStringLiteral("a.example"), QStringLiteral("b.example")}, 25);
  auto form = start();
  EXPECT_EQ(items(form->List1),
            (QStringList{QStringLiteral("plumbers"), QStringLiteral("o'brien's bakers")}));
  EXPECT_EQ(items(form->List2),
            (QStringList{QStringLiteral("a.example"), QStringLiteral("b.example")}));
  EXPECT_EQ(form->database().CountWebsites(), 0);  // the queue moved into the list
  ASSERT_EQ(form->List3->count(), 20);
  EXPECT_EQ(form->List3->item(0)->text(), QStringLiteral("1-201-555-0005 | NJ  test "));
  EXPECT_EQ(form->List3->item(19)->text(), QStringLiteral("1-201-555-0024 | NJ  test "));
  EXPECT_TRUE(form->cmdResume->isEnabled());
}

TEST_F(StartTest, WebsitesWithoutSearchStringsStayQueuedAndResumeStaysOff) {
  seed({}, {QStringLiteral("a.example")});
  auto form = start();
  EXPECT_EQ(form->List2->count(), 0);
  EXPECT_EQ(form->database().CountWebsites(), 1);
  EXPECT_FALSE(form->cmdResume->isEnabled());
}

TEST_F(StartTest, SearchStringsWithoutWebsitesLeaveResumeOff) {
  seed({QStringLiteral("plumbers")}, {});
  auto form = start();
  EXPECT_EQ(form->List1->count(), 1);
  EXPECT_FALSE(form->cmdResume->isEnabled());
}

TEST_F(StartTest, UnreadableDatabaseDoesNotStopTheStart) {
  QFile garbage(folder.file(QStringLiteral("spider.mdb")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("this is not a database at all, just some text\r\n");
  garbage.close();
  auto form = start();
  EXPECT_EQ(form->List1->count(), 0);
  EXPECT_EQ(form->List3->count(), 0);
  EXPECT_TRUE(form->isEnabled());
}

TEST_F(StartTest, FileExitClosesTheWindowAndStopsTheHarvest) {
  auto form = start();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->controller().bHarvesting = true;
  form->mnuFileItem->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->controller().bHarvesting);
}

TEST_F(LayoutTest, WideningMovesTheRightColumnAndSharesTheRestBetweenTheLeftFrames) {
  auto form = start();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->resize(760, 560);
  QCoreApplication::processEvents();
  const QRect f1 = form->Frame1->geometry(), f2 = form->Frame2->geometry();
  const QRect f3 = form->Frame3->geometry(), f4 = form->Frame4->geometry();
  const int list1 = form->List1->width();

  form->resize(760 + 40, 560);  // 600 twips wider
  QCoreApplication::processEvents();
  EXPECT_NEAR(form->Frame1->width() - f1.width(), 20, 1);
  EXPECT_NEAR(form->Frame2->width() - f2.width(), 20, 1);
  EXPECT_NEAR(form->Frame2->x() - f2.x(), 20, 1);
  EXPECT_EQ(form->Frame3->x() - f3.x(), 40);
  EXPECT_EQ(form->Frame4->x() - f4.x(), 40);
  EXPECT_EQ(form->Frame3->width(), f3.width());
  EXPECT_NEAR(form->List1->width() - list1, 20, 1);
  EXPECT_EQ(form->List2->width(), form->List1->width());
  EXPECT_EQ(form->Command3->width(), form->List1->width());

  const int panel1 = form->statusBar1()->findChild<QLabel*>(QStringLiteral("Panel1"))->width();
  for (const char* name : {"Panel2", "Panel3", "Panel4"}) {
    const int panel = form->statusBar1()->findChild<QLabel*>(QLatin1String(name))->width();
    EXPECT_NEAR(panel1, 3 * panel, 3) << name;
  }
}

TEST_F(LayoutTest, TallerWindowGrowsTheStatisticsFrameAndTheLowerLists) {
  auto form = start();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->resize(760, 560);
  QCoreApplication::processEvents();
  const int frame3 = form->Frame3->height(), list2 = form->List2->height();
  const int frame4 = form->Frame4->height(), list1 = form->List1->height();
  form->resize(760, 620);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->Frame3->height() - frame3, 60);
  EXPECT_EQ(form->List2->height() - list2, 60);
  EXPECT_EQ(form->Frame1->height(), form->Frame4->height() + form->Frame3->height());
  EXPECT_EQ(form->Frame4->height(), frame4);
  EXPECT_EQ(form->List1->height(), list1);
}

TEST_F(LayoutTest, TinyAndMinimisedWindowsDoNotFail) {
  auto form = start();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->resize(1, 1);
  QCoreApplication::processEvents();
  EXPECT_GE(form->Frame1->width(), 0);
  EXPECT_GE(form->List2->height(), 0);
  form->showMinimized();
  form->ArrangeControls();
  form->showNormal();
  form->resize(900, 600);
  QCoreApplication::processEvents();
  EXPECT_GT(form->List2->height(), 0);
  EXPECT_GE(form->pb1->x(), 0);
}

TEST_F(LayoutTest, NothingIsHiddenAtTheDefaultSizeWhichIsAlsoTheSmallest) {
  auto form = start();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QSize design = form->size();
  EXPECT_EQ(form->minimumSize(), design);
  for (const QSize asked : {design, QSize(500, 400)}) {
    form->resize(asked);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), design);
    // Every frame ends above the status bar, and everything in a frame lies inside it.
    const QRect client = form->centralWidget()->rect();
    for (QGroupBox* frame : {form->Frame1, form->Frame2, form->Frame3, form->Frame4}) {
      EXPECT_TRUE(client.contains(frame->geometry())) << frame->objectName().toStdString();
      for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(frame)) continue;
        EXPECT_TRUE(frame->rect().contains(child->geometry()))
            << frame->objectName().toStdString() << " " << child->objectName().toStdString();
      }
    }
    const QPoint barTop = form->StatusBar1->mapTo(form.get(), QPoint(0, 0));
    EXPECT_LE(form->centralWidget()->mapTo(form.get(), client.bottomLeft()).y(), barTop.y());
  }
}

TEST_F(LayoutTest, SizePlaceAndMaximisedStateAreKeptForTheNextStart) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QSize larger = screen.size() - QSize(40, 50);
  QRect left;
  {
    auto form = start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->resize(larger);
    form->move(screen.topLeft() + QPoint(7, 9));
    QCoreApplication::processEvents();
    left = form->geometry();
    form->mnuFileItem->trigger();
  }
  {
    auto form = start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->size(), larger);
    // Back where it was left, give or take the frame the platform puts around it.
    EXPECT_LE((form->pos() - left.topLeft()).manhattanLength(), 16);
    EXPECT_FALSE(form->isMaximized());
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->mnuFileItem->trigger();
  }
  auto form = start();
  form->show();
  EXPECT_TRUE(form->windowState().testFlag(Qt::WindowMaximized));
}

}  // namespace
}  // namespace norvane::testing
