// Shared helpers: line reading, file names, the application folder and the settings store.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/app_folder.h"
#include "common/file_names.h"
#include "common/log_categories.h"
#include "common/remove_every.h"
#include "common/settings_store.h"
#include "common/text_file.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitTextLines, CrAndCrLfEndLinesButALoneLfStaysInTheLine) {
  EXPECT_EQ(SplitTextLines("a\r\nb\rc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitTextLines("a\nb\r\n"), (Lines{"a\nb"}));
  EXPECT_EQ(SplitTextLines("\r\n\r\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitTextLines("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitTextLines(""), Lines{});
  EXPECT_EQ(SplitTextLines(std::string("x\0y\r\n", 5)), (Lines{std::string("x\0y", 3)}));
}

TEST(FileBytes, RoundTripEveryByteAndReportMissingFiles) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("bytes.txt")).toStdString();
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  ASSERT_TRUE(WriteFileBytes(path, all));
  std::string back;
  ASSERT_TRUE(ReadFileBytes(path, back));
  EXPECT_EQ(back, all);
  EXPECT_FALSE(ReadFileBytes(path + ".missing", back));
  EXPECT_FALSE(WriteFileBytes(dir.path().toStdString() + "/no/such/folder/x.txt", "x"));
}

TEST(FileBytes, ARewriteLeavesExactlyTheNewBytes) {
  // The page files are rewritten for every page, longer or shorter than the one before.
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("page.txt")).toStdString();
  const std::string writes[] = {std::string(5000, 'a'),  "short\r\n", "",
                                std::string(70000, 'b'), "x",         std::string("\0\0z", 3)};
  for (const std::string& bytes : writes) {
    SCOPED_TRACE(bytes.size());
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    std::string back = "stale";
    ASSERT_TRUE(ReadFileBytes(path, back));
    EXPECT_EQ(back, bytes);
  }
}

TEST(FileBytes, ATwoPartWriteLeavesHeadThenTail) {
  // A page file takes the body and its closing line break; the file before was any length.
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("two.txt")).toStdString();
  const struct {
    std::string head;
    std::string tail;
  } writes[] = {
      {std::string(5000, 'a'), "\r\n"},
      {"", "\r\n"},
      {"body", ""},
      {"", ""},
      {"h", "t"},
      {std::string(3 << 20, 'b'), "\r\n"},
      {"x", std::string(70000, 'c')},
      {"\r\n", std::string("\0z", 2)},
  };
  for (const auto& w : writes) {
    SCOPED_TRACE(w.head.size());
    ASSERT_TRUE(WriteFileBytes(path, w.head, w.tail));
    std::string back = "stale";
    ASSERT_TRUE(ReadFileBytes(path, back));
    EXPECT_EQ(back, w.head + w.tail);
  }
  EXPECT_FALSE(WriteFileBytes(dir.path().toStdString() + "/no/such/folder/x.txt", "x", "y"));
}

TEST(RemoveEveryOccurrence, OnePassLeftToRightInTheMatchersCase) {
  const QStringMatcher anyCase(QStringLiteral("http://"), Qt::CaseInsensitive);
  const QStringMatcher asWritten(QStringLiteral("http://"), Qt::CaseSensitive);
  const struct {
    const char16_t* text;
    const QStringMatcher& fragment;
    const char16_t* expected;
  } cases[] = {
      {u"", anyCase, u""},
      {u"h.com/a", anyCase, u"h.com/a"},
      {u"http://h.com/http://x", anyCase, u"h.com/x"},
      {u"HTTP://h.com/hTtP://x", anyCase, u"h.com/x"},
      {u"HTTP://h.com/http://x", asWritten, u"HTTP://h.com/x"},
      {u"http://http://h.com", anyCase, u"h.com"},             // side by side
      {u"hthttp://tp://h.com", anyCase, u"http://h.com"},      // joined by a removal: kept
      {u"http:/h.com http//h", anyCase, u"http:/h.com http//h"},  // near misses
      {u"Ka http://", anyCase, u"Ka "},               // other letters left as they are
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(RemoveEveryOccurrence(text, c.fragment), QString::fromUtf16(c.expected))
        << text.toStdString();
  }
  // Without an occurrence the text comes back shared, not copied.
  const QString plain = QString::fromLatin1("h.com/page");
  EXPECT_TRUE(RemoveEveryOccurrence(plain, anyCase).isSharedWith(plain));
}

TEST(FileNames, FileNameOfTakesTheTextAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOf(QStringLiteral("C:\\app\\Help.rtf")), QStringLiteral("Help.rtf"));
  EXPECT_EQ(FileNameOf(QStringLiteral("/app/sounds/finished.wav")), QStringLiteral("finished.wav"));
  EXPECT_EQ(FileNameOf(QStringLiteral("plain")), QStringLiteral("plain"));
  EXPECT_EQ(FileNameOf(QString()), QString());
  EXPECT_EQ(FileNameOf(QStringLiteral("/app/")), QString());
}

TEST(FileNames, FileExistsFindsNormalFilesIgnoringCaseButNotFolders) {
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("Help.rtf")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  QDir(dir.path()).mkdir(QStringLiteral("sounds"));
  EXPECT_TRUE(FileExists(dir.filePath(QStringLiteral("Help.rtf"))));
  EXPECT_TRUE(FileExists(dir.filePath(QStringLiteral("HELP.RTF"))));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("sounds"))));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("missing.rtf"))));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("nofolder/Help.rtf"))));
  EXPECT_FALSE(FileExists(QString()));
}

TEST(AppFolder, CommandLineBeatsEnvironmentAndMissingFoldersAreCreated) {
  QTemporaryDir dir;
  const QString fromArgs = dir.filePath(QStringLiteral("args"));
  const QString fromEnv = dir.filePath(QStringLiteral("env"));
  qputenv("NORVANE_APP_DIR", fromEnv.toLocal8Bit());
  EXPECT_EQ(ResolveAppFolder({QStringLiteral("norvane"), QStringLiteral("--app-dir"), fromArgs}),
            fromArgs);
  EXPECT_TRUE(QDir(fromArgs).exists());
  EXPECT_EQ(ResolveAppFolder({QStringLiteral("norvane")}), fromEnv);
  EXPECT_TRUE(QDir(fromEnv).exists());
  qunsetenv("NORVANE_APP_DIR");
  // Without either, a writable program folder is the application folder.
  EXPECT_EQ(ResolveAppFolder({QStringLiteral("norvane")}), QCoreApplication::applicationDirPath());

  SetAppFolder(fromArgs);
  EXPECT_EQ(AppFile(QStringLiteral("spider.mdb")), fromArgs + QStringLiteral("/spider.mdb"));
}

TEST(SettingsStore, ValuesRoundTripAndBadIntegersGiveTheDefault) {
  testing::TempAppFolder folder;
  EXPECT_EQ(GetSetting(QStringLiteral("showHelp"), QStringLiteral("1")), QStringLiteral("1"));
  SaveSetting(QStringLiteral("showHelp"), QStringLiteral("0"));
  EXPECT_EQ(GetSetting(QStringLiteral("showHelp"), QStringLiteral("1")), QStringLiteral("0"));

  SaveSetting(QStringLiteral("Combo2"), QStringLiteral("5"));
  EXPECT_EQ(GetIntSetting(QStringLiteral("Combo2"), -1, -1, 5), 5);
  EXPECT_EQ(GetIntSetting(QStringLiteral("Combo2"), -1, -1, 4), -1);
  SaveSetting(QStringLiteral("Combo2"), QStringLiteral(" 3 "));
  EXPECT_EQ(GetIntSetting(QStringLiteral("Combo2"), -1, -1, 5), 3);
  for (const char* bad : {"", "x", "1.5", "0x2", "99999999999999999999"}) {
    SaveSetting(QStringLiteral("Combo2"), QLatin1String(bad));
    EXPECT_EQ(GetIntSetting(QStringLiteral("Combo2"), -1, -1, 5), -1) << bad;
  }
}

// The log lines are written only when QT_LOGGING_RULES asks for them, by these names.
TEST(LogCategories, AreOffUntilTurnedOnByName) {
  if (qEnvironmentVariableIsSet("QT_LOGGING_RULES")) GTEST_SKIP() << "QT_LOGGING_RULES is set";
  const struct {
    const QLoggingCategory& category;
    const char* name;
  } cases[] = {{lcCrawl(), "norvane.crawl"},
               {lcPolite(), "norvane.polite"},
               {lcStore(), "norvane.store"},
               {lcSearch(), "norvane.search"}};
  for (const auto& c : cases) {
    EXPECT_STREQ(c.category.categoryName(), c.name);
    EXPECT_FALSE(c.category.isDebugEnabled()) << c.name;
  }
  QLoggingCategory::setFilterRules(QStringLiteral("norvane.*=true"));
  for (const auto& c : cases) EXPECT_TRUE(c.category.isDebugEnabled()) << c.name;
  QLoggingCategory::setFilterRules(QString());
}

}  // namespace
}  // namespace norvane
