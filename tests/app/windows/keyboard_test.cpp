// The main window from the keyboard: menu mnemonics, the first focus in the new-search box with
// Return adding, combos that show only what is in force, the shortcut keys, Escape in the small
// windows, and Enter on every question that deletes.
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <functional>

#include "app/form1_fixture.h"
#include "app/windows/form8.h"
#include "app/windows/frm_about.h"
#include "app/windows/frm_fax_table.h"
#include "desktop/message_box.h"
#include "export/frm_export.h"
#include "support/modal_keys.h"
#include "support/wait_for.h"

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
  void installHelpFile() {
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(NORVANE_HELP_RTF), folder.file(QStringLiteral("Help.rtf"))));
  }
  static void activate(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  }
};

// Every menu title and every item below it carries a letter marked with "&", and no two in the
// same menu share one, so each opens or runs with its key alone.
void ExpectMnemonics(const QList<QAction*>& actions, const QString& where, int& items) {
  QSet<QString> taken;
  for (const QAction* action : actions) {
    if (action->isSeparator()) continue;
    ++items;
    const QString letter = QKeySequence::mnemonic(action->text()).toString();
    EXPECT_FALSE(letter.isEmpty()) << where.toStdString() << " > " << action->text().toStdString();
    // The numbers of an exclusive choice may share a letter: Alt and the key step through them.
    const bool mayRepeat = action->actionGroup() && action->actionGroup()->isExclusive();
    EXPECT_TRUE(mayRepeat || !taken.contains(letter))
        << where.toStdString() << " > " << action->text().toStdString() << " repeats "
        << letter.toStdString();
    taken.insert(letter);
    if (action->menu()) ExpectMnemonics(action->menu()->actions(), action->text(), items);
  }
}

TEST_F(KeyboardTest, EveryMenuAndEveryMenuItemHasItsOwnMnemonic) {
  auto form = start();
  int items = 0;
  ExpectMnemonics(form->menuBar()->actions(), QStringLiteral("menu bar"), items);
  EXPECT_GE(items, 4 + 5);  // four menus, at least five items
}

TEST_F(KeyboardTest, F1OpensTheHelpAndCtrlQExits) {
  installHelpFile();
  store(QStringLiteral("showHelp"), QStringLiteral("0"));
  auto form = startShown();
  ASSERT_EQ(form->helpWindow(), nullptr);
  QTest::keyClick(form.get(), Qt::Key_F1);
  ASSERT_NE(form->helpWindow(), nullptr);
  EXPECT_TRUE(form->helpWindow()->isVisible());
  activate(form.get());
  form->controller().bHarvesting = true;
  QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->controller().bHarvesting);
}

TEST_F(KeyboardTest, EscapeClosesTheSmallWindows) {
  installHelpFile();
  store(QStringLiteral("showHelp"), QStringLiteral("0"));
  seed({}, {}, 2);
  const struct {
    const char* name;
    std::function<QWidget*(Form1&)> open;
  } cases[] = {
      {"help",
       [](Form1& f) {
         f.mnuHelpItem->trigger();
         return static_cast<QWidget*>(f.helpWindow());
       }},
      {"about",
       [](Form1& f) {
         f.mnuAboutItem->trigger();
         return static_cast<QWidget*>(f.aboutWindow());
       }},
      {"export",
       [](Form1& f) {
         f.Command2->click();
         return static_cast<QWidget*>(f.exportWindow());
       }},
      {"fax table",
       [](Form1& f) {
         f.findChild<QAction*>(QStringLiteral("mnuFaxTable"))->trigger();
         return static_cast<QWidget*>(FindFaxTable(&f));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto form = startShown();
    QPointer<QWidget> window = c.open(*form);
    ASSERT_FALSE(window.isNull());
    activate(window);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&window] { return window.isNull() || !window->isVisible(); }));
    EXPECT_TRUE(form->isVisible());
  }
}

TEST_F(KeyboardTest, DeleteKeyInTheListActsAsTheDeleteButton) {
  MessageBox::setTestMode(true);
  MessageBox::reset();
  const struct {
    int selected;
    QStringList after;
    QStringList shown;
  } cases[] = {
      {1, {"a", "c"}, {}},
      {-1, {"a", "b", "c"}, {"You must select a search to delete."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected);
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    seed({"a", "b", "c"}, {});
    auto form = startShown();
    form->List1->setFocus();
    form->List1->setCurrentRow(c.selected);
    QTest::keyClick(form->List1, Qt::Key_Delete);
    EXPECT_EQ(items(form->List1), c.after);
    EXPECT_EQ(MessageBox::takeShownTexts(), c.shown);
    form.reset();
    EXPECT_EQ(start()->controller().searchStrings(), c.after);
  }
  MessageBox::setTestMode(false);
}

// The real message boxes, answered with Enter as a hurried user would: the data stays.
TEST_F(KeyboardTest, EnterOnAQuestionThatDeletesKeepsTheData) {
  const QString target = folder.file(QStringLiteral("out.txt"));
  frmExport::setSaveDialog([target](QWidget*, const QString&) { return target; });
  const struct {
    const char* name;
    std::function<void(Form1&)> act;
    QString question;
  } cases[] = {
      {"Delete All Fax Numbers", [](Form1& f) { f.Command3->click(); },
       "Are you sure you want to delete all faxes from the database?"},
      {"export, then delete",
       [](Form1& f) {
         f.Command2->click();
         f.exportWindow()->Check1->setChecked(true);
         f.exportWindow()->Command1->click();
       },
       "Are you sure you want to delete all faxes?"},
      {"current search string with a queue to resume",
       [](Form1& f) {
         f.List1->setCurrentRow(0);
         f.cmbDel->click();
       },
       "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(folder.file(QStringLiteral("spider.mdb")));
    seed({"a", "b"}, {"w1.test", "w2.test"}, 3);
    auto form = start();
    ASSERT_TRUE(form->cmdResume->isEnabled());
    ModalKeyPresser enter(Qt::Key_Return);
    c.act(*form);
    EXPECT_EQ(enter.texts(), QStringList{c.question});
    EXPECT_EQ(form->database().CountFaxes(), 3);
    EXPECT_EQ(form->List3->count(), 3);
    EXPECT_EQ(form->controller().searchStrings(), (QStringList{"a", "b"}));
    EXPECT_TRUE(form->cmdResume->isEnabled());
  }
  frmExport::setSaveDialog({});
}

TEST_F(KeyboardTest, MenuTitlesAndTypingStartsInTheNewSearchBox) {
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
