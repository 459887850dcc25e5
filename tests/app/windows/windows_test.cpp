// The splash, help and about windows around the main window, and the data files an installed
// program copies into its application folder.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextBrowser>
#include <QTimer>

#include "app/form1_fixture.h"
#include "app/windows/form8.h"
#include "app/windows/frm_about.h"
#include "app/windows/frm_splash.h"
#include "common/app_folder.h"
#include "common/version_info.h"
#include "desktop/message_box.h"
#include "desktop/open_url.h"
#include "export/frm_export.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

class WindowsTest : public Form1Test {
 protected:
  void TearDown() override { SetUrlOpener({}); }
  void installHelpFile() {
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(NORVANE_HELP_RTF), folder.file(QStringLiteral("Help.rtf"))));
  }
  static bool helpShown(const Form1& form) {
    return form.helpWindow() && form.helpWindow()->isVisible();
  }
};

TEST_F(WindowsTest, HelpWindowAtStartFollowsShowHelpAndTheHelpFile) {
  struct Case {
    const char* name;
    bool helpFile;
    const char* showHelp;  // nullptr: not stored
    bool shownAtStart;
  };
  const Case cases[] = {{"first start", true, nullptr, true},
                        {"ticked", true, "1", true},
                        {"cleared", true, "0", false},
                        {"no help file", false, nullptr, false},
                        {"no help file, cleared", false, "0", false}};
  for (const Case& c : cases) {
    TempAppFolder fresh;
    if (c.helpFile) {
      ASSERT_TRUE(
          QFile::copy(QStringLiteral(NORVANE_HELP_RTF), fresh.file(QStringLiteral("Help.rtf"))));
    }
    if (c.showHelp) store(QStringLiteral("showHelp"), QLatin1String(c.showHelp));
    auto form = start();
    EXPECT_EQ(helpShown(*form), c.shownAtStart) << c.name;
    // Help > View Help File shows it whenever there is a help file.
    form->mnuHelpItem->trigger();
    EXPECT_EQ(helpShown(*form), c.helpFile) << c.name;
  }
}

TEST_F(WindowsTest, HelpWindowShowsTheHelpFileOnTop) {
  installHelpFile();
  auto form = start();
  Form8* help = form->helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Readme/Help"));
  EXPECT_TRUE(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(help->rtf1->isReadOnly());
  EXPECT_EQ(help->rtf1->textCursor().position(), 0) << "opens at the top of the help";
  const QString text = help->rtf1->toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("Export Fax Numbers")));
  EXPECT_FALSE(text.contains(QStringLiteral("\\par")));
  EXPECT_TRUE(help->Check1->isChecked());
  EXPECT_EQ(help->Check1->text(), QStringLiteral("Show at Startup"));
}

TEST_F(WindowsTest, ClearingShowAtStartupTakesEffectAtTheNextStart) {
  installHelpFile();
  {
    auto form = start();
    ASSERT_TRUE(helpShown(*form));
    form->helpWindow()->Check1->click();
    EXPECT_EQ(stored(QStringLiteral("showHelp")), QStringLiteral("0"));
    EXPECT_TRUE(helpShown(*form));
  }
  {
    auto form = start();
    EXPECT_FALSE(helpShown(*form));
    form->mnuHelpItem->trigger();
    ASSERT_TRUE(helpShown(*form));
    EXPECT_FALSE(form->helpWindow()->Check1->isChecked());
    form->helpWindow()->Check1->click();
    EXPECT_EQ(stored(QStringLiteral("showHelp")), QStringLiteral("1"));
  }
}

TEST_F(WindowsTest, ClosedHelpWindowOpensAgainFromTheMenu) {
  installHelpFile();
  auto form = start();
  ASSERT_TRUE(form->helpWindow()->close());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(form->helpWindow(), nullptr);
  form->mnuHelpItem->trigger();
  EXPECT_TRUE(helpShown(*form));
}

TEST_F(WindowsTest, AboutWindowShowsTheVersionInformation) {
  auto form = start();
  form->mnuAboutItem->trigger();
  frmAbout* about = form->aboutWindow();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->isModal());
  EXPECT_EQ(about->windowTitle(), QStringLiteral("About Norvane"));
  EXPECT_EQ(about->Label1->text(), QStringLiteral("Norvane"));
  EXPECT_EQ(about->lblVersion->text(), QStringLiteral("2.3"));  // the project's version 2.3
  EXPECT_EQ(about->lblCompany->text(), QStringLiteral("Norvane Software"));
  EXPECT_EQ(about->lblWebsite->text(), QStringLiteral("www.norvane.example"));
  form->mnuAboutItem->trigger();
  EXPECT_EQ(form->aboutWindow(), about);

  QList<QUrl> opened;
  SetUrlOpener([&](const QUrl& url) {
    opened << url;
    return true;
  });
  QTest::mouseClick(about->lblWebsite, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toString(), QStringLiteral("http://www.norvane.example"));
  QTest::mouseClick(about->lblVersion, Qt::LeftButton);
  EXPECT_EQ(opened.size(), 1);
}

TEST_F(WindowsTest, SplashHandsOverOnTheSeventyFifthTick) {
  frmSplash splash;
  splash.show();
  splash.Form_Load();
  splash.Timer2->stop();  // ticks by hand below
  for (int tick = 1; tick < 75; ++tick) {
    splash.Timer2_Timer();
    ASSERT_EQ(splash.mainWindow(), nullptr) << tick;
  }
  splash.Timer2->start();
  splash.Timer2_Timer();
  ASSERT_NE(splash.mainWindow(), nullptr);
  EXPECT_EQ(splash.intTemp, 150);
  EXPECT_FALSE(splash.Timer2->isActive());
  EXPECT_TRUE(splash.mainWindow()->isVisible());
  EXPECT_FALSE(splash.isVisible());
  EXPECT_EQ(splash.mainWindow()->windowTitle(), QStringLiteral("Norvane by Norvane Software"));
  // The program icon on the main window, drawn at every size the desktop asks for.
  QList<int> sizes;
  for (const QSize& size : splash.mainWindow()->windowIcon().availableSizes()) {
    EXPECT_EQ(size.width(), size.height());
    sizes << size.width();
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, QList<int>({16, 32, 48, 64, 128}));
}

TEST_F(WindowsTest, SplashTimerShowsTheMainWindowWithinAboutASecond) {
  installHelpFile();
  frmSplash splash;
  splash.show();
  QElapsedTimer shown;
  shown.start();
  splash.Form_Load();
  EXPECT_TRUE(splash.Timer2->isActive());
  EXPECT_EQ(splash.Timer2->interval(), kSplashTickMilliseconds);
  ASSERT_TRUE(
      WaitFor([&] { return splash.mainWindow() && splash.mainWindow()->isVisible(); }, 5000));
  // 75 ticks that never come early: the splash is up for about a second, not a quarter.
  EXPECT_GE(shown.elapsed(), 75 * kSplashTickMilliseconds);
  EXPECT_FALSE(splash.isVisible());
  EXPECT_TRUE(helpShown(*splash.mainWindow()));
}

TEST_F(WindowsTest, ClosingTheMainWindowUnloadsTheWindowsAroundIt) {
  installHelpFile();
  frmSplash splash;
  splash.show();
  for (int tick = 0; tick < 75; ++tick) splash.Timer2_Timer();
  Form1* form = splash.mainWindow();
  ASSERT_NE(form, nullptr);
  form->mnuAboutItem->trigger();
  form->Command2->click();
  ASSERT_TRUE(form->helpWindow() && form->aboutWindow() && form->exportWindow());
  form->mnuFileItem->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(form->helpWindow(), nullptr);
  EXPECT_EQ(form->aboutWindow(), nullptr);
  EXPECT_EQ(form->exportWindow(), nullptr);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(splash.isVisible());
}

TEST_F(WindowsTest, InstalledDataFilesAreCopiedOnlyWhenMissing) {
  TempAppFolder data;
  ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("sounds")));
  const QStringList names = {QStringLiteral("Help.rtf"), QStringLiteral("sounds/foundfax.wav"),
                             QStringLiteral("sounds/finished.wav")};
  for (const QString& name : names) {
    QFile file(data.file(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("installed " + name.toLatin1());
    file.close();
    file.setPermissions(QFileDevice::ReadOwner);
  }
  QFile own(folder.file(QStringLiteral("Help.rtf")));
  ASSERT_TRUE(own.open(QIODevice::WriteOnly));
  own.write("the user's own");
  own.close();

  QStringList copied = CopyMissingDataFiles(data.path(), folder.path());
  copied.sort();
  EXPECT_EQ(copied, QStringList({QStringLiteral("sounds/finished.wav"),
                                 QStringLiteral("sounds/foundfax.wav")}));
  QFile kept(folder.file(QStringLiteral("Help.rtf")));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("the user's own"));
  QFile sound(folder.file(QStringLiteral("sounds/foundfax.wav")));
  EXPECT_TRUE(sound.permissions().testFlag(QFileDevice::WriteOwner));
  ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
  EXPECT_EQ(sound.readAll(), QByteArray("installed sounds/foundfax.wav"));

  EXPECT_TRUE(CopyMissingDataFiles(data.path(), folder.path()).isEmpty());
  EXPECT_TRUE(CopyMissingDataFiles(QString(), folder.path()).isEmpty());
  // Running where it was built, the program has no installed data folder.
  EXPECT_TRUE(InstalledDataFolder().isEmpty());
}

// The program as main() runs it on a fresh --app-dir: the help file and sounds are put there at
// the first start, and File > Exit ends the process at once, idle or with the browser loading.
TEST_F(WindowsTest, ProgramOnAFreshFolderGetsItsFilesAndEndsAtOnce) {
#ifdef __SANITIZE_ADDRESS__
  // The sanitizer build checks the whole heap for leaks as the process ends, the browser's too.
  constexpr int kEndsWithinMs = 1000;
#else
  constexpr int kEndsWithinMs = 200;
#endif
  for (const char* mode : {"idle", "crawl"}) {
    TempAppFolder fresh;
    const QString appDir = fresh.file(QStringLiteral("new folder"));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(NORVANE_CLOSE_CHILD),
                {QLatin1String(mode), QStringLiteral("--app-dir"), appDir});
    ASSERT_TRUE(child.waitForStarted()) << mode;
    QElapsedTimer sinceClick;
    while (!sinceClick.isValid() && child.state() == QProcess::Running) {
      child.waitForReadyRead(200);
      while (child.canReadLine()) {
        if (child.readLine().startsWith("CLOSING")) sinceClick.start();
      }
    }
    ASSERT_TRUE(sinceClick.isValid()) << mode << ": the main window never came up";
    ASSERT_TRUE(child.waitForFinished(10000)) << mode;
    EXPECT_LT(sinceClick.elapsed(), kEndsWithinMs) << mode;
    EXPECT_EQ(child.exitCode(), 0) << mode;
    for (const char* name : {"Help.rtf", "sounds/foundfax.wav", "sounds/nextsearch.wav",
                             "sounds/finished.wav", "spider.mdb"}) {
      EXPECT_TRUE(QFileInfo(appDir + QLatin1Char('/') + QLatin1String(name)).isFile())
          << mode << " " << name;
    }
    // The database was closed, not left with its log beside it.
    EXPECT_FALSE(QFileInfo::exists(appDir + QStringLiteral("/spider.mdb-wal"))) << mode;
  }
}

// Without a program to open them, the folder and the web address are shown to the user.
TEST_F(WindowsTest, WhatTheDesktopCannotOpenIsShownByItsAddress) {
  struct Case {
    const char* button;
    bool desktopOpens;
    const char* shown;  // part of the message, nullptr: no message
  };
  const QString folderPath = QDir::toNativeSeparators(folder.path());
  const Case cases[] = {{"cmdViewDatabase", true, nullptr},
                        {"cmdViewDatabase", false, "Open it by hand:\n\n"},
                        {"cmdWebsite", true, nullptr},
                        {"cmdWebsite", false, "Open it by hand:\n\nhttp://www.norvane.example"}};
  auto form = start();
  MessageBox::setTestMode(true);
  for (const Case& c : cases) {
    MessageBox::reset();
    QList<QUrl> asked;
    SetUrlOpener([&](const QUrl& url) {
      asked << url;
      return c.desktopOpens;
    });
    form->findChild<QToolButton*>(QLatin1String(c.button))->click();
    EXPECT_EQ(asked.size(), 1) << c.button;
    const QStringList shown = MessageBox::takeShownTexts();
    if (!c.shown) {
      EXPECT_TRUE(shown.isEmpty()) << c.button;
      continue;
    }
    ASSERT_EQ(shown.size(), 1) << c.button;
    EXPECT_TRUE(shown[0].contains(QLatin1String(c.shown))) << shown[0].toStdString();
    if (QLatin1String(c.button) == QLatin1String("cmdViewDatabase")) {
      EXPECT_TRUE(shown[0].endsWith(folderPath)) << shown[0].toStdString();
    }
  }
  MessageBox::setTestMode(false);
}

TEST(CommandLineTest, HelpAndVersionAnswerWithoutOpeningAWindow) {
  const struct {
    QStringList arguments;
    int exitCode;
    QStringList printed;  // on standard output, or on standard error for a failure
  } cases[] = {
      {{"--version"},
       0,
       {QStringLiteral("Norvane %1.%2\n").arg(version::kMajor).arg(version::kMinor)}},
      {{"-v"}, 0, {QStringLiteral("Norvane %1.%2\n").arg(version::kMajor).arg(version::kMinor)}},
      {{"--help"}, 0, {"Usage:", "--app-dir <DIR>", "--version", "--help", "fax numbers"}},
      {{"--no-such-option"}, 1, {"Unknown option 'no-such-option'"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    QProcess program;
    program.start(QStringLiteral(NORVANE_PROGRAM), c.arguments);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), c.exitCode);
    const QString out = QString::fromUtf8(c.exitCode == 0 ? program.readAllStandardOutput()
                                                          : program.readAllStandardError());
    for (const QString& text : c.printed) EXPECT_TRUE(out.contains(text)) << out.toStdString();
    if (c.printed.size() == 1 && c.exitCode == 0) {
      EXPECT_EQ(out, c.printed[0]);
    }
  }
}

}  // namespace
}  // namespace norvane::testing
