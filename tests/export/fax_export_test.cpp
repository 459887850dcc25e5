// The export file: separators, bytes and replacing an existing file.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "export/fax_csv.h"
#include "export/fax_export.h"
#include "export/stored_fax_export.h"
#include "store/spider_database.h"

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

TEST(FaxExportTest, NameFilterAndSpaceFollowTheKind) {
  const struct {
    int choice;
    const char* name;
    const char* firstFilter;
    bool space;
  } cases[] = {{-1, "export.txt", "Text files (*.txt)", true},
               {0, "export.txt", "Text files (*.txt)", true},
               {1, "export.txt", "Text files (*.txt)", false},
               {2, "export.txt", "Text files (*.txt)", false},
               {3, "faxes.csv", "CSV files (*.csv)", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ExportFileName(c.choice), QLatin1String(c.name)) << c.choice;
    EXPECT_TRUE(ExportFileFilter(c.choice).startsWith(QLatin1String(c.firstFilter))) << c.choice;
    EXPECT_EQ(SpaceChoiceApplies(c.choice), c.space) << c.choice;
  }
  EXPECT_EQ(ExportDoneText(1, "/x/a.txt"), QStringLiteral("1 number written to /x/a.txt"));
  EXPECT_EQ(ExportDoneText(0, "/x/a.txt"), QStringLiteral("0 numbers written to /x/a.txt"));
  EXPECT_EQ(ExportDoneText(12, "/x/a.txt"), QStringLiteral("12 numbers written to /x/a.txt"));
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

TEST(FaxCsvTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  struct Case {
    const char* text;
    const char* field;
  };
  const Case cases[] = {{"", ""},
                        {"1-201-555-0100", "1-201-555-0100"},
                        {"NJ  Newark ", "NJ  Newark "},
                        {"plumbers, Denver", "\"plumbers, Denver\""},
                        {"the \"best\" fax", "\"the \"\"best\"\" fax\""},
                        {"two\r\nlines", "\"two\r\nlines\""},
                        {"lone\nfeed", "\"lone\nfeed\""},
                        {"\"", "\"\"\"\""}};
  for (const Case& c : cases) EXPECT_EQ(CsvField(QString::fromUtf8(c.text)), c.field) << c.text;
}

TEST(FaxCsvTest, FileHasAHeaderAndOneRecordARowInUtf8) {
  const QList<FaxRow> rows = {
      {"1-201-555-0100", "2024-05-01 10:00:00", "example.com/contact", "plumbers, Denver",
       "NJ  Newark "},
      {"+44 20 7946 0000", "2024-05-02 11:30:00", "caf\u00e9.example", "caf\u00e9", "Unknown"}};
  EXPECT_EQ(FaxCsvBytes({}), QByteArray("number,region,website,search,date\r\n"));
  EXPECT_EQ(
      FaxCsvBytes(rows),
      QByteArray(
          "number,region,website,search,date\r\n"
          "1-201-555-0100,NJ  Newark ,example.com/contact,\"plumbers, Denver\","
          "2024-05-01 10:00:00\r\n"
          "+44 20 7946 0000,Unknown,caf\xc3\xa9.example,caf\xc3\xa9,2024-05-02 11:30:00\r\n"));
}

}  // namespace
}  // namespace norvane

namespace norvane {
namespace {

// The stored numbers written straight from the store's query, as the export window and the fax
// table write them.
TEST(StoredFaxExportTest, WritesTheListingInEachFormatAndReportsAFileThatCannotBeWritten) {
  QTemporaryDir dir;
  SpiderDatabase db(dir.filePath(QStringLiteral("spider.mdb")));
  ASSERT_TRUE(db.open());
  for (const char* fax : {"1-201-555-0100", "1-303-555-0101", "1-212-555-0102"}) {
    QString number = QLatin1String(fax);
    QString search = QStringLiteral("plumbers, NJ");
    db.AddFax(number, QStringLiteral("acme.example"), search, QStringLiteral("NJ  Newark "));
  }
  FaxListing byNumber;
  byNumber.sortField = FaxField::kFax;
  FaxListing filtered;
  filtered.filter = QStringLiteral("555-010");
  filtered.sortField = FaxField::kFax;
  filtered.descending = true;
  struct Case {
    const char* name;
    FaxListing listing;
    ExportFormat format;
    qsizetype count;
    QByteArray startsWith;
  };
  const Case cases[] = {
      {"insertion order",
       {},
       {false, QStringLiteral(";")},
       3,
       "1-201-555-0100;1-303-555-0101;1-212-555-0102;\r\n"},
      {"sorted, tabs",
       byNumber,
       {false, QStringLiteral("\t")},
       3,
       "1-201-555-0100\t1-212-555-0102\t1-303-555-0101\t\r\n"},
      {"csv, filtered",
       filtered,
       {true, {}},
       3,
       "number,region,website,search,date\r\n1-303-555-0101,NJ  Newark ,acme.example,"
       "\"plumbers, NJ\",20"},
  };
  const QString path = dir.filePath(QStringLiteral("export.txt"));
  for (const Case& c : cases) {
    const std::optional<qsizetype> written = ExportStoredFaxes(db, c.listing, path, c.format);
    ASSERT_TRUE(written) << c.name;
    EXPECT_EQ(*written, c.count) << c.name;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith(c.startsWith)) << c.name << "\n" << bytes.constData();
    if (!c.format.csv) {
      EXPECT_EQ(bytes.size(), c.startsWith.size()) << c.name;  // the whole file
    } else {
      EXPECT_EQ(bytes.count("\r\n"), 4) << c.name;
    }
  }
  filtered.filter = QStringLiteral("nowhere");
  ASSERT_EQ(ExportStoredFaxes(db, filtered, path, {false, QStringLiteral(";")}), 0);
  QFile empty(path);
  ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
  EXPECT_EQ(empty.readAll(), QByteArray("\r\n"));

  const QString full = dir.filePath(QStringLiteral("full.txt"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
  for (const QString& target : {full, dir.path(), dir.filePath(QStringLiteral("no/such/x.csv"))})
    EXPECT_FALSE(ExportStoredFaxes(db, {}, target, {true, {}})) << target.toStdString();
}

}  // namespace
}  // namespace norvane
