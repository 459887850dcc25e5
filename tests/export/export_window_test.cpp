// The fax-number buttons of the main window and the export window, on real files.
#include <unistd.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/form1_fixture.h"
#include "desktop/message_box.h"
#include "desktop/open_url.h"
#include "export/frm_export.h"
#include "support/test_http_server.h"

namespace norvane::testing {
namespace {

class ExportTest : public Form1Test {
 protected:
  void SetUp() override {
    MessageBox::setTestMode(true);
    MessageBox::reset();
  }
  void TearDown() override {
    frmExport::setSaveDialog({});
    SetUrlOpener({});
    MessageBox::reset();
    MessageBox::setTestMode(false);
  }

  // Opens the export window from the main window, sets its choices and clicks "Export",
  // answering the save dialog with target (empty: cancelled).
  void exportFaxes(Form1& form, int choice, bool space, bool deleteAfter, const QString& target) {
    form.Command2->click();
    frmExport* window = form.exportWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    if (choice >= 0) window->Combo1->setCurrentIndex(choice);
    window->Check2->setChecked(space);
    window->Check1->setChecked(deleteAfter);
    frmExport::setSaveDialog([this, target](QWidget*, const QString& offered) {
      m_offered = offered;
      return target;
    });
    window->Command1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.exportWindow(), nullptr) << "the export window closes after Export";
  }

  static QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }

  QString m_offered;
};

TEST_F(ExportTest, ExportWindowStartsWithTheDesignedChoices) {
  auto form = start();
  form->Command2->click();
  frmExport* window = form->exportWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Export Faxes"));
  EXPECT_EQ(window->Combo1->currentIndex(), -1);
  EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("Semi-Colon delimited (;)"));
  EXPECT_EQ(window->Combo1->itemText(2), QStringLiteral("Line Feed Delimited (one per line)"));
  EXPECT_FALSE(window->Check1->isChecked());
  EXPECT_FALSE(window->Check2->isChecked());
  EXPECT_FALSE(window->isModal());
  form->Command2->click();  // a second click shows the same window
  EXPECT_EQ(form->exportWindow(), window);
}

// The save dialog starts in the documents folder, then where the last export went; the name
// follows the kind, and the main window says what was written.
TEST_F(ExportTest, DialogStartsInDocumentsThenTheLastFolderAndTheWindowSaysWhatWasWritten) {
  QTemporaryDir home;
  ScopedEnv homeVar("HOME", home.path().toUtf8());
  ScopedEnv config("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
  const QString documents = home.path() + "/Documents";
  const QString elsewhere = folder.file("elsewhere");
  ASSERT_TRUE(QDir().mkpath(elsewhere));
  seed({}, {}, 3);
  auto form = start();
  const struct {
    const char* name;
    bool documentsExist;
    int choice;
    QString target;
    QString offered;
  } cases[] = {
      {"no documents folder", false, -1, elsewhere + "/a.txt", home.path() + "/export.txt"},
      {"the last folder", true, 0, elsewhere + "/b.txt", elsewhere + "/export.txt"},
      {"csv in the last folder", true, 3, documents + "/c.csv", elsewhere + "/faxes.csv"},
      {"documents once written to", true, 2, folder.file("gone/d.txt"), documents + "/export.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.documentsExist) {
      ASSERT_TRUE(QDir().mkpath(documents));
    }
    QDir(folder.file("gone")).removeRecursively();
    if (c.target.contains("/gone/")) {
      ASSERT_TRUE(QDir().mkpath(folder.file("gone")));
    }
    exportFaxes(*form, c.choice, false, false, c.target);
    EXPECT_EQ(m_offered, c.offered);
    EXPECT_EQ(form->panelText(1), "3 numbers written to " + c.target);
  }
  // The folder last written to is gone: the dialog starts in the documents folder again.
  QDir(folder.file("gone")).removeRecursively();
  exportFaxes(*form, -1, false, false, QString());
  EXPECT_EQ(m_offered, documents + "/export.txt");
}

TEST_F(ExportTest, KindIsRememberedAndTheSpaceOnlyOffersItselfForSemicolons) {
  auto form = start();
  const struct {
    int choice;
    bool spaceEnabled;
  } cases[] = {{1, false}, {2, false}, {3, false}, {0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.choice);
    form->Command2->click();
    frmExport* window = form->exportWindow();
    EXPECT_TRUE(window->Check2->isEnabled()) << "the last kind left it on";
    window->Combo1->setCurrentIndex(c.choice);
    emit window->Combo1->activated(c.choice);  // as the user picks it
    EXPECT_EQ(window->Check2->isEnabled(), c.spaceEnabled);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form.reset();
    form = start();
    form->Command2->click();
    EXPECT_EQ(form->exportWindow()->Combo1->currentIndex(), c.choice);
    EXPECT_EQ(form->exportWindow()->Check2->isEnabled(), c.spaceEnabled);
    form->exportWindow()->Combo1->setCurrentIndex(0);
    emit form->exportWindow()->Combo1->activated(0);
    form->exportWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

TEST_F(ExportTest, WritesEveryStoredNumberWithTheChosenSeparator) {
  struct Case {
    const char* name;
    int choice;
    bool space;
    int faxes;
    QByteArray expected;
  };
  const Case cases[] = {
      {"default", -1, false, 3, "1-201-555-0000;1-201-555-0001;1-201-555-0002;\r\n"},
      {"default with space", -1, true, 2, "1-201-555-0000; 1-201-555-0001; \r\n"},
      {"semicolon item", 0, false, 1, "1-201-555-0000;\r\n"},
      {"tab ignores the space", 1, true, 2, "1-201-555-0000\t1-201-555-0001\t\r\n"},
      {"one per line", 2, false, 2, "1-201-555-0000\r\n1-201-555-0001\r\n\r\n"},
      {"no numbers", 0, false, 0, "\r\n"},
  };
  for (const Case& c : cases) {
    TempAppFolder fresh;
    {
      SpiderDatabase db(fresh.file(QStringLiteral("spider.mdb")));
      ASSERT_TRUE(db.open());
      for (int i = 0; i < c.faxes; ++i) {
        QString fax = QStringLiteral("1-201-555-%1").arg(i, 4, 10, QLatin1Char('0'));
        QString search = QStringLiteral("plumbers");
        db.AddFax(fax, QStringLiteral("example.com"), search, QStringLiteral("NJ"));
      }
    }
    auto form = start();
    const QString target = fresh.file(QStringLiteral("out.txt"));
    exportFaxes(*form, c.choice, c.space, false, target);
    EXPECT_EQ(contents(target), c.expected) << c.name;
    EXPECT_EQ(QFileInfo(m_offered).fileName(), QStringLiteral("export.txt")) << c.name;
    EXPECT_TRUE(MessageBox::takeShownTexts().isEmpty()) << c.name << ": no message on success";
    EXPECT_EQ(form->database().CountFaxes(), c.faxes) << c.name;
  }
}

TEST_F(ExportTest, ExportingTwiceLeavesOnlyTheSecondExport) {
  seed({}, {}, 2);
  auto form = start();
  const QString target = folder.file(QStringLiteral("twice.txt"));
  exportFaxes(*form, 2, false, false, target);
  exportFaxes(*form, 0, false, false, target);
  EXPECT_EQ(contents(target), QByteArray("1-201-555-0000;1-201-555-0001;\r\n"));
}

TEST_F(ExportTest, DeleteQuestionAfterExport) {
  struct Case {
    const char* name;
    bool ticked;
    QMessageBox::StandardButton answer;
    bool asked;
    int left;
  };
  const Case cases[] = {{"not ticked", false, QMessageBox::Yes, false, 3},
                        {"answered No", true, QMessageBox::No, true, 3},
                        {"answered Yes", true, QMessageBox::Yes, true, 0}};
  for (const Case& c : cases) {
    TempAppFolder fresh;
    {
      SpiderDatabase db(fresh.file(QStringLiteral("spider.mdb")));
      ASSERT_TRUE(db.open());
      for (int i = 0; i < 3; ++i) {
        QString fax = QStringLiteral("1-201-555-%1").arg(i, 4, 10, QLatin1Char('0'));
        QString search = QStringLiteral("s");
        db.AddFax(fax, QStringLiteral("example.com"), search, QStringLiteral("NJ"));
      }
    }
    auto form = start();
    ASSERT_EQ(form->List3->count(), 3);
    MessageBox::reset();
    if (c.ticked) MessageBox::setNextAnswer(c.answer);
    const QString target = fresh.file(QStringLiteral("out.txt"));
    exportFaxes(*form, -1, false, c.ticked, target);
    EXPECT_EQ(contents(target).count(';'), 3) << c.name << ": the file is written first";
    const QStringList asked = MessageBox::takeShownTexts();
    EXPECT_EQ(asked.size(), c.asked ? 1 : 0) << c.name;
    if (c.asked) {
      EXPECT_EQ(asked[0], QStringLiteral("Are you sure you want to delete all faxes?"));
    }
    EXPECT_EQ(form->database().CountFaxes(), c.left) << c.name;
    EXPECT_EQ(form->List3->count(), c.left) << c.name;
  }
}

TEST_F(ExportTest, CancelledDialogWritesNothingAndAsksNothing) {
  seed({}, {}, 2);
  auto form = start();
  exportFaxes(*form, -1, false, true, QString());
  EXPECT_TRUE(MessageBox::takeShownTexts().isEmpty());
  EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("export.txt"))));
  EXPECT_EQ(form->database().CountFaxes(), 2);
}

// A file that cannot be written is reported, and the numbers, which have no copy anywhere, are
// neither offered for deletion nor deleted.
TEST_F(ExportTest, UnwritableTargetIsReportedAndNothingIsDeleted) {
  seed({}, {}, 1);
  // A full disk: a link in the folder to /dev/full, so that the device itself is never at risk.
  const QString full = folder.file(QStringLiteral("full.txt"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
  const QString readOnly = folder.file(QStringLiteral("read-only"));
  ASSERT_TRUE(QDir().mkdir(readOnly));
  ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
  QStringList targets = {folder.file(QStringLiteral("missing/folder/out.txt")), folder.path(),
                         full};
  // The superuser writes into any folder.
  if (geteuid() != 0) targets << readOnly + QStringLiteral("/out.txt");
  for (const QString& target : targets) {
    auto form = start();
    MessageBox::reset();
    MessageBox::setNextAnswer(QMessageBox::Yes);  // what a delete question would get
    exportFaxes(*form, -1, false, true, target);
    EXPECT_EQ(MessageBox::takeShownTexts(),
              QStringList{QStringLiteral("Could not write ") + target});
    EXPECT_EQ(form->database().CountFaxes(), 1) << target.toStdString();
    EXPECT_EQ(form->List3->count(), 1) << target.toStdString();
  }
  EXPECT_FALSE(QFileInfo(full).isFile()) << "still the link to the device";
  QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ExportTest, DeleteAllFaxNumbersAsksFirst) {
  struct Case {
    QMessageBox::StandardButton answer;
    int left;
    QStringList shown;
  };
  const Case cases[] = {
      {QMessageBox::Cancel,
       4,
       {QStringLiteral("Are you sure you want to delete all faxes from the database?")}},
      {QMessageBox::Ok,
       0,
       {QStringLiteral("Are you sure you want to delete all faxes from the database?"),
        QStringLiteral("All faxes have been deleted.")}},
  };
  for (const Case& c : cases) {
    TempAppFolder fresh;
    {
      SpiderDatabase db(fresh.file(QStringLiteral("spider.mdb")));
      ASSERT_TRUE(db.open());
      for (int i = 0; i < 4; ++i) {
        QString fax = QStringLiteral("1-201-555-%1").arg(i, 4, 10, QLatin1Char('0'));
        QString search = QStringLiteral("s");
        db.AddFax(fax, QStringLiteral("example.com"), search, QStringLiteral("NJ"));
      }
    }
    auto form = start();
    form->controller().RecordStatistic(Statistics::kFaxStored);
    MessageBox::reset();
    MessageBox::setNextAnswer(c.answer);
    form->Command3->click();
    EXPECT_EQ(MessageBox::takeShownTexts(), c.shown);
    EXPECT_EQ(form->database().CountFaxes(), c.left);
    EXPECT_EQ(form->List3->count(), c.left);
    EXPECT_EQ(form->controller().statistics().lSessionFaxes, c.left == 0 ? 0 : 1);
  }
}

TEST_F(ExportTest, ViewFaxDatabaseOpensTheApplicationFolder) {
  auto form = start();
  QList<QUrl> opened;
  SetUrlOpener([&](const QUrl& url) {
    opened << url;
    return true;
  });
  form->cmdViewDatabase->click();
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0].isLocalFile());
  EXPECT_EQ(opened[0].toLocalFile(), folder.path());
}

TEST_F(ExportTest, CsvChoiceWritesEveryFieldWithAHeader) {
  seed({}, {}, 2);
  auto form = start();
  form->Command2->click();
  EXPECT_EQ(form->exportWindow()->Combo1->itemText(3),
            QStringLiteral("CSV File (number, region, website, search, date)"));
  const QString target = folder.file(QStringLiteral("faxes.csv"));
  exportFaxes(*form, 3, true, false, target);
  const QList<QByteArray> lines = contents(target).split('\n');
  ASSERT_EQ(lines.size(), 4) << contents(target).toStdString();  // header, two rows, end
  EXPECT_EQ(lines[0], QByteArray("number,region,website,search,date\r"));
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(lines[i + 1].startsWith("1-201-555-000" + QByteArray::number(i) +
                                        ",NJ  test ,example.com,plumbers,20"))
        << lines[i + 1].toStdString();
  }
  EXPECT_EQ(lines[3], QByteArray());
  EXPECT_EQ(form->database().CountFaxes(), 2);
}

}  // namespace
}  // namespace norvane::testing
