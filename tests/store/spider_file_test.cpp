// spider.mdb as a file: creation, files the program did not make, files that are no database,
// and changes reaching the disk before an operation returns.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <memory>

#include "store/shown_lists.h"
#include "store/spider_database.h"
#include "store/spider_probe.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using testing::ShownLists;
using testing::SpiderProbe;

QStringList ColumnNames(SpiderProbe& probe, const QString& table) {
  QStringList names;
  for (const QVariantList& row : probe.rows(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
    names << row.value(1).toString();
  return names;
}

class SpiderFile : public ::testing::Test {
 protected:
  norvane::testing::TempAppFolder folder;
  QString path = folder.file(QStringLiteral("spider.mdb"));
  ShownLists host;
  SpiderProbe probe{path};
};

TEST_F(SpiderFile, MissingFileIsCreatedWithTheThreeTables) {
  ASSERT_FALSE(QFileInfo::exists(path));
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  EXPECT_TRUE(db.isOpen());
  EXPECT_TRUE(QFileInfo(path).isFile());
  EXPECT_EQ(ColumnNames(probe, QStringLiteral("faxes")),
            (QStringList{"fax", "Date", "website", "search", "location"}));
  EXPECT_EQ(ColumnNames(probe, QStringLiteral("websites")), (QStringList{"website", "Date"}));
  EXPECT_EQ(ColumnNames(probe, QStringLiteral("searches")), QStringList{"search"});
  EXPECT_EQ(probe.tableSchema().size(), 3);
  EXPECT_EQ(db.CountFaxes(), 0);
  EXPECT_EQ(db.CountWebsites(), 0);
}

TEST_F(SpiderFile, ZeroLengthFileGetsTheTables) {
  QFile empty(path);
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  QString site = QStringLiteral("a.com");
  db.AddWebsite(site);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites")), QStringList{"a.com"});
}

TEST_F(SpiderFile, OperationsOpenTheFileThemselvesWhenNotOpened) {
  SpiderDatabase db(path);
  QString search = QStringLiteral("roofers");
  db.AddSearch(search);
  EXPECT_TRUE(db.isOpen());
  EXPECT_EQ(probe.column(QStringLiteral("SELECT search FROM searches")), QStringList{"roofers"});
}

TEST_F(SpiderFile, ExistingFileKeepsItsSchemaAndRows) {
  // A file made elsewhere: other column order and letter case, extra columns, an extra table.
  ASSERT_TRUE(probe.exec({
      QStringLiteral("CREATE TABLE faxes (id INTEGER PRIMARY KEY, LOCATION TEXT, FAX TEXT, "
                     "notes TEXT, website TEXT, search TEXT, date TEXT)"),
      QStringLiteral("CREATE TABLE websites (Date TEXT, hits INTEGER, WEBSITE TEXT)"),
      QStringLiteral("CREATE TABLE searches (search TEXT, priority INTEGER DEFAULT 5)"),
      QStringLiteral("CREATE TABLE settings (name TEXT, value TEXT)"),
      QStringLiteral("INSERT INTO faxes (LOCATION, FAX, notes, website, search, date) VALUES "
                     "('Ohio', '1-216-555-0100', 'called', 'old.com', 'printers', "
                     "'2020-05-05 12:00:00')"),
      QStringLiteral("INSERT INTO websites VALUES ('2020-05-05 12:00:00', 3, 'queued.com')"),
      QStringLiteral("INSERT INTO searches VALUES ('printers', 1)"),
      QStringLiteral("INSERT INTO settings VALUES ('x', 'y')"),
  }));
  const QStringList schemaBefore = probe.tableSchema();
  {
    SpiderDatabase db(path);
    ASSERT_TRUE(db.open());
    QString fax = QStringLiteral("1-216-555-0100");
    EXPECT_TRUE(db.FaxExists(fax));
    QString newFax = QStringLiteral("1-216-555-0199");
    QString search = QStringLiteral("printers");
    db.AddFax(newFax, QStringLiteral("new.com"), search, QStringLiteral("Ohio"));
    db.LoadFaxList(host.list3);
    EXPECT_EQ(host.list3, (QStringList{"1-216-555-0100 | Ohio", "1-216-555-0199 | Ohio"}));
    QString site = QStringLiteral("QUEUED.com");
    EXPECT_TRUE(db.WebsiteKnown(site));
    db.LoadSearchList(host.list1);
    EXPECT_EQ(host.list1, QStringList{"printers"});
    QString newSearch = QStringLiteral("plumbers");
    db.AddSearch(newSearch);
  }
  EXPECT_EQ(probe.tableSchema(), schemaBefore);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT notes FROM faxes ORDER BY id")),
            (QStringList{"called", ""}));
  EXPECT_EQ(probe.column(QStringLiteral("SELECT priority FROM searches ORDER BY rowid")),
            (QStringList{"1", "5"}));
  EXPECT_EQ(probe.column(QStringLiteral("SELECT value FROM settings")), QStringList{"y"});
}

TEST_F(SpiderFile, MissingTableIsNotCreatedAndItsStepsFail) {
  ASSERT_TRUE(probe.exec({
      QStringLiteral("CREATE TABLE faxes (fax TEXT, Date TEXT, website TEXT, search TEXT, "
                     "location TEXT)"),
  }));
  const QStringList schemaBefore = probe.tableSchema();
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  host.list2 = {QStringLiteral("queued.com")};

  QString site = QStringLiteral("a.com");
  EXPECT_TRUE(db.AddWebsite(site));
  QString search = QStringLiteral("s");
  EXPECT_TRUE(db.AddSearch(search));
  QString unknown = QStringLiteral("b.com");
  EXPECT_TRUE(db.WebsiteKnown(unknown));  // a lookup that cannot run counts as known
  EXPECT_FALSE(db.DeleteAllWebsites());   // the statement fails: nothing on the window changes
  EXPECT_FALSE(db.LoadWebsiteList(host.list2));
  EXPECT_EQ(host.list2, QStringList{"queued.com"});
  EXPECT_TRUE(db.LoadSearchList(host.list1));
  EXPECT_TRUE(host.list1.isEmpty());

  // The table that is there still works.
  QString fax = QStringLiteral("1-555-555-5555");
  db.AddFax(fax, site, search, QString());
  EXPECT_EQ(db.CountFaxes(), 1);
  EXPECT_EQ(probe.tableSchema(), schemaBefore);
}

// Files at the path that are no usable database.
enum class Unusable { GarbageFile, Folder, MissingFolder };

class UnusableFile : public ::testing::TestWithParam<Unusable> {
 protected:
  void SetUp() override {
    switch (GetParam()) {
      case Unusable::GarbageFile: {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
        break;
      }
      case Unusable::Folder:
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("spider.mdb")));
        break;
      case Unusable::MissingFolder:
        path = folder.file(QStringLiteral("no-such-folder/spider.mdb"));
        break;
    }
  }

  // The path must look exactly as before: a database engine must not take the file over.
  void expectPathUntouched() {
    switch (GetParam()) {
      case Unusable::GarbageFile: {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), garbage);
        break;
      }
      case Unusable::Folder:
        EXPECT_TRUE(QFileInfo(path).isDir());
        EXPECT_TRUE(QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        break;
      case Unusable::MissingFolder:
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).path()));
        break;
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
              GetParam() == Unusable::MissingFolder ? 0 : 1);
  }

  norvane::testing::TempAppFolder folder;
  QString path = folder.file(QStringLiteral("spider.mdb"));
  const QByteArray garbage = QByteArrayLiteral("Standard Jet DB\r\nnot a database at all\r\n");
  ShownLists host;
};

TEST_P(UnusableFile, OpenFailsAndEveryOperationTakesItsFailureOutcome) {
  SpiderDatabase db(path);
  EXPECT_FALSE(db.open());
  EXPECT_FALSE(db.isOpen());

  host.list1 = {QStringLiteral("current search")};
  host.list2 = {QStringLiteral("queued.com")};
  host.list3 = {QStringLiteral("1-800-555-0100 | Ohio")};

  QString site = QStringLiteral(" http://a.com");
  EXPECT_TRUE(db.AddWebsite(site));
  EXPECT_EQ(site, "a.com");  // the argument is still normalised
  QString search = QStringLiteral(" s ");
  EXPECT_TRUE(db.AddSearch(search));
  EXPECT_EQ(search, "s");
  QString fax = QStringLiteral("1-800-555-0199.");
  QString noSearch;
  EXPECT_TRUE(db.AddFax(fax, site, noSearch, QStringLiteral("Ohio")));
  EXPECT_EQ(fax, "1-800-555-0199");
  EXPECT_EQ(noSearch, "Unknown");

  EXPECT_TRUE(db.FaxExists(fax));      // counts as present, so it is not stored
  EXPECT_TRUE(db.WebsiteKnown(site));  // counts as known, so it is not queued
  EXPECT_TRUE(db.DeleteWebsite(site));
  EXPECT_TRUE(db.DeleteSearch(search));
  EXPECT_EQ(db.CountFaxes(), 0);
  EXPECT_EQ(db.CountWebsites(), 0);
  EXPECT_EQ(db.FirstQueuedWebsite(), QString());
  EXPECT_TRUE(db.ReadAllFaxes().isEmpty());

  EXPECT_TRUE(db.LoadFaxList(host.list3));
  EXPECT_EQ(host.list3, QStringList{"1-800-555-0100 | Ohio"});
  EXPECT_TRUE(db.LoadSearchList(host.list1));
  EXPECT_EQ(host.list1, QStringList{"current search"});

  // The queue is left alone when it cannot be emptied.
  EXPECT_FALSE(db.LoadWebsiteList(host.list2));
  EXPECT_FALSE(db.DeleteAllWebsites());
  EXPECT_EQ(host.list2, QStringList{"queued.com"});

  // Deleting all faxes still reports success, so the caller clears its preview and counter.
  EXPECT_TRUE(db.DeleteAllFaxes());

  expectPathUntouched();
}

INSTANTIATE_TEST_SUITE_P(Paths, UnusableFile,
                         ::testing::Values(Unusable::GarbageFile, Unusable::Folder,
                                           Unusable::MissingFolder),
                         [](const ::testing::TestParamInfo<Unusable>& info) {
                           switch (info.param) {
                             case Unusable::GarbageFile:
                               return "GarbageFile";
                             case Unusable::Folder:
                               return "Folder";
                             case Unusable::MissingFolder:
                               return "MissingFolder";
                           }
                           return "";
                         });

// Another program reading the file right after each operation sees its change.
TEST_F(SpiderFile, EveryChangeIsInTheFileWhenTheOperationReturns) {
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  const QString websitesSql = QStringLiteral("SELECT website FROM websites ORDER BY rowid");
  const QString searchesSql = QStringLiteral("SELECT search FROM searches ORDER BY rowid");
  const QString faxesSql = QStringLiteral("SELECT fax FROM faxes ORDER BY rowid");

  for (const char* text : {"a.com", "b.com", "c.com"}) {
    QString site = QString::fromLatin1(text);
    db.AddWebsite(site);
  }
  EXPECT_EQ(probe.column(websitesSql), (QStringList{"a.com", "b.com", "c.com"}));

  QString search = QStringLiteral("plumbers");
  db.AddSearch(search);
  EXPECT_EQ(probe.column(searchesSql), QStringList{"plumbers"});

  QString fax = QStringLiteral("1-800-555-0100");
  db.AddFax(fax, QStringLiteral("a.com"), search, QStringLiteral("Toll free"));
  EXPECT_EQ(probe.column(faxesSql), QStringList{"1-800-555-0100"});

  QString site = QStringLiteral("b.com");
  db.DeleteWebsite(site);
  EXPECT_EQ(probe.column(websitesSql), (QStringList{"a.com", "c.com"}));

  QStringList shown;
  db.LoadWebsiteList(shown);
  EXPECT_TRUE(probe.column(websitesSql).isEmpty());
  EXPECT_FALSE(probe.failed());

  db.DeleteSearch(search);
  EXPECT_TRUE(probe.column(searchesSql).isEmpty());

  db.DeleteAllFaxes();
  EXPECT_TRUE(probe.column(faxesSql).isEmpty());

  db.AddWebsite(site);
  db.DeleteAllWebsites();
  EXPECT_TRUE(probe.column(websitesSql).isEmpty());
  EXPECT_FALSE(probe.failed());

  // And the other way round: rows another program adds are seen at once.
  ASSERT_TRUE(
      probe.exec({QStringLiteral("INSERT INTO websites VALUES ('outside.com', "
                                 "'2020-01-01 00:00:00')")}));
  QString outside = QStringLiteral("OUTSIDE.com");
  EXPECT_TRUE(db.WebsiteKnown(outside));
}

QStringList g_warnings;
void RecordWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtDebugMsg && type != QtInfoMsg) g_warnings << message;
}

TEST_F(SpiderFile, StoresOnOneFileKeepTheirOwnConnectionsAndCloseQuietly) {
  g_warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(RecordWarning);
  {
    SpiderDatabase keeper(path);
    ASSERT_TRUE(keeper.open());
    {
      ShownLists otherHost;
      SpiderDatabase other(path);
      ASSERT_TRUE(other.open());
      QString site = QStringLiteral("a.com");
      other.AddWebsite(site);
      EXPECT_EQ(keeper.CountWebsites(), 1);
      other.LoadWebsiteList(otherHost.list2);
      EXPECT_EQ(otherHost.list2, QStringList{"a.com"});
    }
    // The other store is gone; this one still works on its own connection.
    QString site = QStringLiteral("b.com");
    keeper.AddWebsite(site);
    EXPECT_EQ(keeper.CountWebsites(), 1);
    EXPECT_EQ(keeper.FirstQueuedWebsite(), "b.com");
  }
  qInstallMessageHandler(previous);
  EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites")), QStringList{"b.com"});
}

}  // namespace
}  // namespace norvane
