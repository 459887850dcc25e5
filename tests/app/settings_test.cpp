// Options and counters through the real main window and a temporary settings store.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <tuple>
#include "common/settings_store.h"

#include "form1_fixture.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

using SettingsTest = Form1Test;

TEST_F(SettingsTest, FirstStartShowsTheDefaults) {
  auto form = start();
  EXPECT_EQ(form->Combo1->currentIndex(), -1);
  EXPECT_EQ(form->Combo2->currentIndex(), -1);
  EXPECT_FALSE(form->chkAuto->isChecked());
  for (QCheckBox* box : {form->chkAddFax, form->chkNonUS, form->chkAudioEmail, form->chkAudioNext,
                         form->chkAudioFinished}) {
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
  }
  EXPECT_EQ(form->cmbAdvance->currentText(), QStringLiteral("10,000"));
  EXPECT_EQ(form->lAdvanceAfter, 10000);
  EXPECT_EQ(form->cmbLastSearch->currentText(), QStringLiteral("Stop Immediately"));
  for (QLabel* label : form->LblStats) EXPECT_EQ(label->text(), QStringLiteral("0"));
}

// A controller made without a window takes the options the window holds at a first start.
TEST_F(SettingsTest, OptionsWithoutAWindowAreTheFirstStartsOptions) {
  QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).clear();
  const auto fields = [](const HarvestOptions& o) {
    return std::tuple(o.autoAdvance, o.advanceAfter, o.continueAfterLastSearch, o.soundOnFax,
                      o.soundOnNextSearch, o.soundOnFinished, o.allowInternational,
                      o.addFaxToSearches, o.secureWeb, o.skipPagesRead, o.politeCrawl,
                      o.connections, o.allLinks, o.staySites, o.sitePageLimit, o.thoroughFaxScan);
  };
  EXPECT_EQ(fields(start()->controller().options()), fields(HarvestOptions{}));
}

TEST_F(SettingsTest, WebMenuFollowsFileAndEachItemIsKeptAtOnce) {
  const struct {
    const char* name;
    const char* text;
    bool HarvestOptions::*option;
  } items[] = {{"mnuSecureWeb", "Secure Sites and Redirects", &HarvestOptions::secureWeb},
               {"mnuSkipRead", "Skip Pages Already Read", &HarvestOptions::skipPagesRead},
               {"mnuPolite", "Polite Crawl", &HarvestOptions::politeCrawl},
               {"mnuAllLinks", "All Links of a Page", &HarvestOptions::allLinks},
               {"mnuStaySites", "Stay on Result Sites", &HarvestOptions::staySites},

               {"mnuThoroughScan", "Thorough Fax Scan", &HarvestOptions::thoroughFaxScan}};
  const struct {
    const char* storedValue;  // null: no key yet
    bool checked;
  } cases[] = {{nullptr, true}, {"1", true}, {"0", false}, {"x", true}, {"-1", true}};
  for (const auto& item : items) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(item.name) + " " + (c.storedValue ? c.storedValue : "absent"));
      QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).clear();
      if (c.storedValue) store(QLatin1String(item.name), QLatin1String(c.storedValue));
      auto form = start();
      QStringList menus;
      for (const QAction* menu : form->menuBar()->actions()) menus << menu->text();
      EXPECT_EQ(menus, QStringList({"&File", "&Web", "&Help", "&About"}));
      QAction* action = form->findChild<QAction*>(QLatin1String(item.name));
      ASSERT_TRUE(action);
      EXPECT_EQ(action->iconText(), QLatin1String(item.text));  // the caption shown
      EXPECT_TRUE(action->isCheckable());
      EXPECT_EQ(action->isChecked(), c.checked);
      EXPECT_EQ(form->controller().options().*item.option, c.checked);
      action->trigger();
      EXPECT_EQ(stored(QLatin1String(item.name)), c.checked ? "0" : "1");
      EXPECT_EQ(form->controller().options().*item.option, !c.checked);
      form.reset();
      EXPECT_EQ(start()->findChild<QAction*>(QLatin1String(item.name))->isChecked(), !c.checked);
    }
  }
}

TEST_F(SettingsTest, ConnectionsAreOneOfFiveCountsKeptAtOnce) {
  const struct {
    const char* storedValue;  // null: no key yet
    int checked;
    int chosen;  // then triggered
  } cases[] = {
      {nullptr, 10, 100}, {"200", 200, 25}, {"37", 10, 50}, {"x", 10, 200}, {"50", 50, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.storedValue ? c.storedValue : "absent");
    QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).clear();
    if (c.storedValue) store(QStringLiteral("crawlConnections"), QLatin1String(c.storedValue));
    auto form = start();
    auto* menu = form->findChild<QMenu*>(QStringLiteral("mnuConnections"));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title().remove(QLatin1Char('&')), QStringLiteral("Connections"));
    QStringList texts;
    QStringList checked;
    for (const QAction* item : menu->actions()) {
      texts << item->text().remove(QLatin1Char('&'));
      if (item->isChecked()) checked << item->text().remove(QLatin1Char('&'));
    }
    EXPECT_EQ(texts, QStringList({"10", "25", "50", "100", "200"}));
    EXPECT_EQ(checked, QStringList{QString::number(c.checked)});
    EXPECT_EQ(form->controller().options().connections, c.checked);
    form->findChild<QAction*>(QStringLiteral("mnuConnections%1").arg(c.chosen))->trigger();
    EXPECT_EQ(stored(QStringLiteral("crawlConnections")), QString::number(c.chosen));
    EXPECT_EQ(form->controller().options().connections, c.chosen);
    int nowChecked = 0;
    for (const QAction* item : menu->actions()) nowChecked += item->isChecked();
    EXPECT_EQ(nowChecked, 1);
    form.reset();
    EXPECT_TRUE(start()
                    ->findChild<QAction*>(QStringLiteral("mnuConnections%1").arg(c.chosen))
                    ->isChecked());
  }
}

TEST_F(SettingsTest, PagesPerSiteIsOneOfFourAndIsKeptAtOnce) {
  const struct {
    const char* storedValue;  // null: no key yet
    int checked;
    const char* pick;  // the item chosen then
    int picked;
  } cases[] = {{nullptr, 50, "mnuSitePages20", 20},
               {"200", 200, "mnuSitePages0", 0},
               {"0", 0, "mnuSitePages50", 50},
               {"7", 50, "mnuSitePages200", 200},
               {"x", 50, "mnuSitePages20", 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.storedValue ? c.storedValue : "absent");
    QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).clear();
    if (c.storedValue) store(QStringLiteral("sitePageLimit"), QLatin1String(c.storedValue));
    auto form = start();
    QStringList texts;
    int checkedItems = 0;
    for (QAction* item : form->findChild<QMenu*>(QStringLiteral("mnuSitePages"))->actions()) {
      texts << item->text().remove(QLatin1Char('&'));
      checkedItems += item->isChecked() ? 1 : 0;
    }
    EXPECT_EQ(texts, QStringList({"20", "50", "200", "No Limit"}));
    EXPECT_EQ(checkedItems, 1);
    EXPECT_EQ(form->controller().options().sitePageLimit, c.checked);
    form->findChild<QAction*>(QLatin1String(c.pick))->trigger();
    EXPECT_EQ(stored(QStringLiteral("sitePageLimit")), QString::number(c.picked));
    EXPECT_EQ(form->controller().options().sitePageLimit, c.picked);
    form.reset();
    EXPECT_EQ(start()->controller().options().sitePageLimit, c.picked);
  }
}

TEST_F(SettingsTest, BingSearchIsTheThirdSearchTypeAndIsKept) {
  {
    auto form = start();
    EXPECT_EQ(form->Combo1->itemText(2), QStringLiteral("Bing Search"));
    form->Combo1->setCurrentIndex(2);
    emit form->Combo1->activated(2);
  }
  EXPECT_EQ(stored(QStringLiteral("Combo1")), QStringLiteral("2"));
  EXPECT_EQ(start()->controller().searchTypeText(), QStringLiteral("Bing Search"));
}

TEST_F(SettingsTest, ClickedCheckBoxesPersistAcrossARestart) {
  {
    auto form = start();
    form->chkAuto->click();
    form->chkNonUS->click();
  }
  EXPECT_EQ(stored(QStringLiteral("chkAuto")), QStringLiteral("1"));
  EXPECT_EQ(stored(QStringLiteral("chkNonUS")), QStringLiteral("0"));
  auto form = start();
  EXPECT_TRUE(form->chkAuto->isChecked());
  EXPECT_FALSE(form->chkNonUS->isChecked());
}

TEST_F(SettingsTest, ChosenComboItemsPersistAndDriveAdvanceAfter) {
  {
    auto form = start();
    emit form->Combo1->activated(1);
    emit form->Combo2->activated(3);
    form->cmbAdvance->setCurrentIndex(4);
    emit form->cmbAdvance->activated(4);
    EXPECT_EQ(form->lAdvanceAfter, 50000);
  }
  EXPECT_EQ(stored(QStringLiteral("Combo1")), QStringLiteral("1"));
  EXPECT_EQ(stored(QStringLiteral("Combo2")), QStringLiteral("3"));
  EXPECT_EQ(stored(QStringLiteral("cmbAdvance")), QStringLiteral("4"));
  auto form = start();
  EXPECT_EQ(form->Combo1->currentText(), QStringLiteral("Yahoo Search"));
  EXPECT_EQ(form->Combo2->currentText(), QStringLiteral("~1000 Domains"));
  EXPECT_EQ(form->cmbAdvance->currentText(), QStringLiteral("50,000"));
  EXPECT_EQ(form->lAdvanceAfter, 50000);
}

TEST_F(SettingsTest, LastSearchChoiceFromTheListIsKeptAtTheNextStart) {
  {
    auto form = start();
    form->cmbLastSearch->setCurrentIndex(1);
    emit form->cmbLastSearch->activated(1);
  }
  EXPECT_EQ(stored(QStringLiteral("cmbLastSearch")), QStringLiteral("1"));
  EXPECT_EQ(start()->cmbLastSearch->currentText(), QStringLiteral("Continue Until Stopped"));
}

TEST_F(SettingsTest, LastSearchTextEditWritesTheIndexOfThatMoment) {
  auto form = start();
  form->cmbLastSearch->setCurrentIndex(1);
  QTest::keyClick(form->cmbLastSearch->lineEdit(), Qt::Key_X);
  EXPECT_EQ(stored(QStringLiteral("cmbLastSearch")),
            QString::number(form->cmbLastSearch->currentIndex()));
}

TEST_F(SettingsTest, UnusableStoredValuesFallBackToTheirDefaults) {
  store(QStringLiteral("Combo1"), QStringLiteral("abc"));
  store(QStringLiteral("Combo2"), QStringLiteral("6"));  // one past the last item
  store(QStringLiteral("chkAuto"), QStringLiteral("yes"));
  store(QStringLiteral("chkNonUS"), QStringLiteral("7"));
  store(QStringLiteral("cmbAdvance"), QStringLiteral("-3"));
  store(QStringLiteral("cmbLastSearch"), QStringLiteral("2.5"));
  store(QStringLiteral("lHistEmailFound"), QStringLiteral("lots"));
  store(QStringLiteral("lHistWebScanned"), QStringLiteral("99999999999"));
  auto form = start();
  EXPECT_EQ(form->Combo1->currentIndex(), -1);
  EXPECT_EQ(form->Combo2->currentIndex(), -1);
  EXPECT_FALSE(form->chkAuto->isChecked());
  EXPECT_TRUE(form->chkNonUS->isChecked());
  EXPECT_EQ(form->cmbAdvance->currentIndex(), 2);
  EXPECT_EQ(form->lAdvanceAfter, 10000);
  EXPECT_EQ(form->cmbLastSearch->currentIndex(), 0);
  EXPECT_EQ(form->controller().statistics().lHistEmailFound, 0);
  EXPECT_EQ(form->controller().statistics().lHistWebScanned, 0);
}

TEST_F(SettingsTest, StatisticsEventsCountShowAndPersistTheHistoricalCounters) {
  {
    auto form = start();
    form->controller().RecordStatistic(Statistics::kPageScanned);
    EXPECT_EQ(form->LblStats[0]->text(), QStringLiteral("1"));
    EXPECT_EQ(form->LblStats[3]->text(), QStringLiteral("1"));
    EXPECT_EQ(GetSetting(QStringLiteral("lHistWebScanned"), QString()), QStringLiteral("1"));
    // The settings file has it within a second.
    EXPECT_TRUE(WaitFor([&] { return stored(QStringLiteral("lHistWebScanned")) == "1"; }, 3000));

    form->controller().RecordStatistic(Statistics::kWebsiteFound);
    EXPECT_EQ(form->LblStats[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(form->LblStats[0]->text(), QStringLiteral("1"));

    form->controller().RecordStatistic(Statistics::kFaxStored);
    form->controller().RecordStatistic(Statistics::kFaxStored);
    EXPECT_EQ(form->LblStats[2]->text(), QStringLiteral("2"));
    EXPECT_EQ(form->LblStats[4]->text(), QStringLiteral("2"));
    EXPECT_EQ(GetSetting(QStringLiteral("lHistEmailFound"), QString()), QStringLiteral("2"));
  }
  // Closing the window wrote it.
  EXPECT_EQ(stored(QStringLiteral("lHistEmailFound")), QStringLiteral("2"));
  auto form = start();
  EXPECT_EQ(form->LblStats[0]->text(), QStringLiteral("0"));
  EXPECT_EQ(form->LblStats[2]->text(), QStringLiteral("0"));
  EXPECT_EQ(form->LblStats[3]->text(), QStringLiteral("1"));
  EXPECT_EQ(form->LblStats[4]->text(), QStringLiteral("2"));
  form->controller().RecordStatistic(Statistics::kPageScanned);
  EXPECT_EQ(GetSetting(QStringLiteral("lHistWebScanned"), QString()), QStringLiteral("2"));
}

TEST_F(SettingsTest, ClearingTheQueueZeroesSessionCountersButLeavesTheLabels) {
  auto form = start();
  form->controller().RecordStatistic(Statistics::kPageScanned);
  form->controller().RecordStatistic(Statistics::kWebsiteFound);
  form->controller().RecordStatistic(Statistics::kFaxStored);
  ASSERT_TRUE(form->controller().deleteAllWebsites());
  EXPECT_EQ(form->controller().statistics().lSessionScanned, 0);
  EXPECT_EQ(form->controller().statistics().lSessionFound, 0);
  EXPECT_EQ(form->controller().statistics().lSessionFaxes, 1);
  EXPECT_EQ(form->LblStats[0]->text(), QStringLiteral("1"));  // refreshed only by the next event
  form->controller().DeleteAllFaxes();
  EXPECT_EQ(form->controller().statistics().lSessionFaxes, 0);
  EXPECT_EQ(form->controller().statistics().lHistEmailFound, 1);
}

}  // namespace
}  // namespace norvane::testing
