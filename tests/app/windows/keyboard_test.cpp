// The main window from the keyboard: menu mnemonics, the first focus in the new-search box with
// Return adding, and combos that show only what is in force.
#include <QApplication>
#include <QMenuBar>

#include "app/form1_fixture.h"

namespace norvane::testing {
namespace {

class KeyboardTest : public Form1Test {
 protected:
  std::unique_ptr<Form1> startShown() {
    auto form = start();
    form->show();
    QApplication::setActiveWindow(form.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    return form;
  }
};

TEST_F(KeyboardTest, MenusHaveMnemonicsAndTypingStartsInTheNewSearchBox) {
  auto form = startShown();
  QStringList titles;
  for (QAction* menu : form->menuBar()->actions()) titles << menu->text();
  EXPECT_TRUE(titles.contains(QStringLiteral("&File")));
  EXPECT_TRUE(titles.contains(QStringLiteral("&Help")));
  EXPECT_TRUE(titles.contains(QStringLiteral("&About")));
  EXPECT_EQ(QApplication::focusWidget(), form->Text1);
  EXPECT_TRUE(form->Combo1->currentText().isEmpty());

  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("plumbers Denver"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(items(form->List1), QStringList{QStringLiteral("plumbers Denver")});
  EXPECT_TRUE(form->Text1->text().isEmpty());
  EXPECT_EQ(QApplication::focusWidget(), form->Text1);
}

TEST_F(KeyboardTest, ComboTextThatIsNoItemIsPutBackOnLeaving) {
  struct Case {
    const char* combo;
    int chosen;
    const char* typed;
    int inForce;
    const char* shown;
    const char* stored;  // the setting written, nullptr: none
  };
  const Case cases[] = {
      {"Combo1", -1, "Ask Search", -1, "", nullptr},
      {"Combo1", 0, "Googol", 0, "Google Search", nullptr},
      {"Combo1", 0, "yahoo search", 1, "Yahoo Search", "1"},
      {"Combo2", 2, "~300 Domains", 2, "~500 Domains", nullptr},
      {"cmbAdvance", 2, "50,000", 4, "50,000", "4"},
      {"cmbAdvance", 2, "12345", 2, "10,000", nullptr},
      {"cmbLastSearch", 0, "Continue Now", 0, "Stop Immediately", nullptr},
      {"cmbLastSearch", 1, "Continue Until Stopped", 1, "Continue Until Stopped", nullptr},
  };
  for (const Case& c : cases) {
    QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).clear();
    auto form = startShown();
    auto* combo = form->findChild<QComboBox*>(QLatin1String(c.combo));
    ASSERT_NE(combo, nullptr) << c.combo;
    combo->setCurrentIndex(c.chosen);
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QLatin1String(c.typed));
    // Typing completes an item's beginning, as the desktop's combos do.
    ASSERT_EQ(combo->currentText().compare(QLatin1String(c.typed), Qt::CaseInsensitive) == 0 ||
                  combo->findText(combo->currentText()) >= 0,
              true);
    form->Text1->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form->Text1);
    EXPECT_EQ(combo->currentIndex(), c.inForce) << c.combo << " " << c.typed;
    EXPECT_EQ(combo->currentText(), QLatin1String(c.shown)) << c.combo << " " << c.typed;
    if (c.stored) {
      EXPECT_EQ(stored(QLatin1String(c.combo)), QLatin1String(c.stored)) << c.typed;
    }
    if (QLatin1String(c.combo) == QLatin1String("cmbAdvance")) {
      EXPECT_EQ(form->lAdvanceAfter, c.inForce == 4 ? 50000 : 10000) << c.typed;
    }
  }
}

}  // namespace
}  // namespace norvane::testing
