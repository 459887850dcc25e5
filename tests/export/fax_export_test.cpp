// The export file: separators, bytes and replacing an existing file.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "export/fax_export.h"

namespace norvane {
namespace {

TEST(FaxExportTest, SeparatorFollowsTheChoice) {
  struct Case {
    int index;
    bool space;
    const char* separator;
  };
  const Case cases[] = {{-1, false, ";"},   {-1, true, "; "},  {0, false, ";"},
                        {0, true, "; "},    {1, false, "\t"},  {1, true, "\t"},
                        {2, false, "\r\n"}, {2, true, "\r\n"}, {7, false, ";"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ExportSeparator(c.index, c.space), QLatin1String(c.separator))
        << c.index << " " << c.space;
  }
}

TEST(FaxExportTest, EveryNumberIsFollowedByTheSeparatorThenALineBreak) {
  struct Case {
    QStringList faxes;
    const char* separator;
    QByteArray bytes;
  };
  const Case cases[] = {
      {{"1-201-555-0001", "1-201-555-0002"}, ";", "1-201-555-0001;1-201-555-0002;\r\n"},
      {{"a", "b", "c"}, "\r\n", "a\r\nb\r\nc\r\n\r\n"},
      {{"a"}, "\t", "a\t\r\n"},
      {{}, ";", "\r\n"},
      {{QString::fromUtf8("caf\u00e9"), QString::fromUtf8("\u20ac1")}, ";", "caf\xe9;?1;\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExportFileBytes(c.faxes, QLatin1String(c.separator)), c.bytes) << c.bytes.data();
  }
}

TEST(FaxExportTest, ReplacesAnExistingFileAndReportsUnwritablePaths) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("export.txt"));
  ASSERT_TRUE(WriteExportFile(path, "a much longer first export;\r\n"));
  ASSERT_TRUE(WriteExportFile(path, "second;\r\n"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("second;\r\n"));

  EXPECT_FALSE(WriteExportFile(dir.filePath(QStringLiteral("no/such/folder/export.txt")), "x"));
  EXPECT_FALSE(WriteExportFile(dir.path(), "x"));  // a folder, not a file
  // A full disk: through a link to /dev/full, which is written to, not replaced.
  const QString full = dir.filePath(QStringLiteral("full.txt"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
  EXPECT_FALSE(WriteExportFile(full, "x"));
  EXPECT_TRUE(QFileInfo(full).exists() && !QFileInfo(full).isFile());
}

}  // namespace
}  // namespace norvane
