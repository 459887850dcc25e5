// The fourteen operations on a real spider.mdb: what they store, find, delete and show.
#include <gtest/gtest.h>
#include <QDateTime>
#include <QRegularExpression>
#include <memory>

#include "store/shown_lists.h"
#include "store/spider_database.h"
#include "store/spider_probe.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using testing::ShownLists;
using testing::SpiderProbe;

// Letter case is ignored the way the database compares text: for the ASCII letters.
QString AsciiUpper(QString text) {
  for (QChar& c : text) {
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
  }
  return text;
}

class StoreOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<SpiderDatabase>(path);
    ASSERT_TRUE(db->open());
  }

  void addWebsites(int count) {
    for (int i = 0; i < count; ++i) {
      QString site = QStringLiteral("site%1.com").arg(i);
      db->AddWebsite(site);
    }
  }
  void addFaxes(int count) {
    for (int i = 0; i < count; ++i) {
      QString fax = QStringLiteral("1-800-555-%1").arg(i, 4, 10, QLatin1Char('0'));
      QString search = QStringLiteral("plumbers");
      db->AddFax(fax, QStringLiteral("site.com"), search, QStringLiteral("Region %1").arg(i));
    }
  }
  static QStringList faxEntries(int from, int to) {
    QStringList entries;
    for (int i = from; i < to; ++i)
      entries << QStringLiteral("1-800-555-%1 | Region %2").arg(i, 4, 10, QLatin1Char('0')).arg(i);
    return entries;
  }
  static QStringList websiteNames(int from, int to) {
    QStringList names;
    for (int i = from; i < to; ++i) names << QStringLiteral("site%1.com").arg(i);
    return names;
  }

  norvane::testing::TempAppFolder folder;
  QString path = folder.file(QStringLiteral("spider.mdb"));
  ShownLists host;
  std::unique_ptr<SpiderDatabase> db;
  SpiderProbe probe{path};
};

TEST_F(StoreOperations, SecureWebsitesKeepTheirSchemeWhenAsked) {
  const struct {
    bool keep;
    const char* site;
    const char* stored;
  } cases[] = {
      {true, " HTTPS://Secure.org/a ", "https://Secure.org/a"},
      {false, "https://secure.org/a", "httpssecure.org/a"},
      {true, "http://plain.org/a", "plain.org/a"},
  };
  for (const auto& c : cases) {
    db->setKeepSecureScheme(c.keep);
    QString site = QString::fromLatin1(c.site);
    db->AddWebsite(site);
    EXPECT_EQ(site, QLatin1String(c.stored)) << c.site;
    QString again = QString::fromLatin1(c.site);
    EXPECT_TRUE(db->WebsiteKnown(again)) << c.site;
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT website FROM websites")).size(), 1) << c.site;
    QString gone = QString::fromLatin1(c.site);
    db->DeleteWebsite(gone);
    EXPECT_TRUE(probe.rows(QStringLiteral("SELECT website FROM websites")).isEmpty()) << c.site;
  }
  // The secure and the plain website are two websites.
  db->setKeepSecureScheme(true);
  QString secure = QStringLiteral("https://h.org/");
  db->AddWebsite(secure);
  QString plain = QStringLiteral("h.org/");
  EXPECT_FALSE(db->WebsiteKnown(plain));
}

TEST_F(StoreOperations, AddWebsiteStoresAndReturnsTheNormalisedText) {
  QString site = QStringLiteral("  HTTP://Example.COM  ");
  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  EXPECT_TRUE(db->AddWebsite(site));
  const QDateTime after = QDateTime::currentDateTime().addSecs(1);
  EXPECT_EQ(site, "Example.COM");

  const auto rows = probe.rows(QStringLiteral("SELECT website, Date FROM websites"));
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0][0].toString(), "Example.COM");
  const QString date = rows[0][1].toString();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                  .match(date)
                  .hasMatch())
      << date.toStdString();
  const QDateTime stored = QDateTime::fromString(date, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  EXPECT_GE(stored, before.addMSecs(-before.time().msec()));
  EXPECT_LE(stored, after);
}

TEST_F(StoreOperations, AddSearchTrimsSpacesOnly) {
  QString search = QStringLiteral("  fax\tplumbers  ");
  EXPECT_TRUE(db->AddSearch(search));
  EXPECT_EQ(search, "fax\tplumbers");
  EXPECT_EQ(probe.column(QStringLiteral("SELECT search FROM searches")),
            QStringList{QStringLiteral("fax\tplumbers")});
}

TEST_F(StoreOperations, AddFaxWithEmptySearchStoresUnknown) {
  QString fax = QStringLiteral(" 1-212-555-0199.");
  QString search;
  EXPECT_TRUE(db->AddFax(fax, QStringLiteral("a.com/contact"), search, QStringLiteral("New York")));
  EXPECT_EQ(fax, "1-212-555-0199");
  EXPECT_EQ(search, "Unknown");

  // A given search is stored as it is, untrimmed.
  QString fax2 = QStringLiteral("1-212-555-0100");
  QString search2 = QStringLiteral(" roofers ");
  db->AddFax(fax2, QStringLiteral("b.com"), search2, QString());
  EXPECT_EQ(search2, " roofers ");

  const auto rows = db->ReadAllFaxes();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].fax, "1-212-555-0199");
  EXPECT_EQ(rows[0].website, "a.com/contact");
  EXPECT_EQ(rows[0].search, "Unknown");
  EXPECT_EQ(rows[0].location, "New York");
  EXPECT_FALSE(rows[0].date.isEmpty());
  EXPECT_EQ(rows[1].fax, "1-212-555-0100");
  EXPECT_EQ(rows[1].search, " roofers ");
  EXPECT_EQ(probe.column(QStringLiteral("SELECT search FROM faxes ORDER BY rowid")),
            (QStringList{"Unknown", " roofers "}));
}

TEST_F(StoreOperations, FaxExistsRemovesOneTrailingDot) {
  addFaxes(1);
  QString oneDot = QStringLiteral("1-800-555-0000.");
  EXPECT_TRUE(db->FaxExists(oneDot));
  EXPECT_EQ(oneDot, "1-800-555-0000");

  QString twoDots = QStringLiteral("1-800-555-0000..");
  EXPECT_FALSE(db->FaxExists(twoDots));
  EXPECT_EQ(twoDots, "1-800-555-0000.");

  QString other = QStringLiteral("1-800-555-0001");
  EXPECT_FALSE(db->FaxExists(other));
}

TEST_F(StoreOperations, DeletesRemoveOneRowOfDuplicates) {
  for (const char* text : {"dup.com", "other.com", "DUP.com"}) {
    QString site = QString::fromLatin1(text);
    db->AddWebsite(site);
    QString search = QString::fromLatin1(text);
    db->AddSearch(search);
  }

  QString site = QStringLiteral(" http://dup.com");
  EXPECT_TRUE(db->DeleteWebsite(site));
  EXPECT_EQ(site, "dup.com");
  EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites ORDER BY rowid")),
            (QStringList{"other.com", "DUP.com"}));
  db->DeleteWebsite(site);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites")), QStringList{"other.com"});
  EXPECT_TRUE(db->DeleteWebsite(site));  // nothing left to match
  EXPECT_EQ(db->CountWebsites(), 1);

  QString search = QStringLiteral("Dup.Com  ");
  EXPECT_TRUE(db->DeleteSearch(search));
  EXPECT_EQ(search, "Dup.Com");
  EXPECT_EQ(probe.column(QStringLiteral("SELECT search FROM searches ORDER BY rowid")),
            (QStringList{"other.com", "DUP.com"}));
}

TEST_F(StoreOperations, DeleteAllEmptiesTheTablesAndReportsIt) {
  addFaxes(3);
  addWebsites(4);
  EXPECT_TRUE(db->DeleteAllFaxes());
  EXPECT_EQ(db->CountFaxes(), 0);
  EXPECT_EQ(db->CountWebsites(), 4);
  EXPECT_TRUE(db->DeleteAllWebsites());
  EXPECT_EQ(db->CountWebsites(), 0);
}

TEST_F(StoreOperations, CountsFollowTheRows) {
  EXPECT_EQ(db->CountFaxes(), 0);
  EXPECT_EQ(db->CountWebsites(), 0);
  addFaxes(3);
  addWebsites(5);
  EXPECT_EQ(db->CountFaxes(), 3);
  EXPECT_EQ(db->CountWebsites(), 5);
}

TEST_F(StoreOperations, WebsiteKnownIgnoresCaseInTableButNotInQueueList) {
  QString stored = QStringLiteral("Example.com");
  db->AddWebsite(stored);
  host.list2 = {QStringLiteral("Queued.org")};

  QString tableDifferentCase = QStringLiteral("http://EXAMPLE.COM ");
  EXPECT_TRUE(db->WebsiteKnown(tableDifferentCase));
  EXPECT_EQ(tableDifferentCase, "EXAMPLE.COM");

  QString listExact = QStringLiteral("HTTP://Queued.org");
  EXPECT_TRUE(db->WebsiteKnown(listExact, host.list2));
  EXPECT_EQ(listExact, "Queued.org");

  QString listDifferentCase = QStringLiteral("queued.org");
  EXPECT_FALSE(db->WebsiteKnown(listDifferentCase));

  QString unknown = QStringLiteral("new.net");
  EXPECT_FALSE(db->WebsiteKnown(unknown));

  // A store without a window has no queue list to consult.
  SpiderDatabase windowless(path);
  QString queued = QStringLiteral("Queued.org");
  EXPECT_FALSE(windowless.WebsiteKnown(queued));
}

// Texts that broke statements built by joining quotes around them, or that a pattern match would
// treat as wildcards.
TEST_F(StoreOperations, SpecialCharactersRoundTripAndMatchLiterally) {
  const QStringList texts = {
      QStringLiteral("o'reilly plumbing"),
      QStringLiteral("say \"fax\" now"),
      QStringLiteral("100%"),
      QStringLiteral("a_c"),
      QStringLiteral("M\u00fcller & S\u00f6hne's"),
      QStringLiteral("x' OR '1'='1"),
      QStringLiteral("'; DROP TABLE searches; --"),
      QStringLiteral("[search]"),
  };
  for (QString text : texts) db->AddSearch(text);
  db->LoadSearchList(host.list1);
  EXPECT_EQ(host.list1, texts);

  QString wildcardAll = QStringLiteral("%");
  db->DeleteSearch(wildcardAll);
  QString wildcardOne = QStringLiteral("a_");
  db->DeleteSearch(wildcardOne);
  QString abc = QStringLiteral("abc");
  db->DeleteSearch(abc);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT count(*) FROM searches")),
            QStringList{QString::number(texts.size())});

  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    const int before = probe.column(QStringLiteral("SELECT search FROM searches")).size();
    QString search = text;
    db->DeleteSearch(search);
    const QStringList left = probe.column(QStringLiteral("SELECT search FROM searches"));
    EXPECT_EQ(left.size(), before - 1);
    EXPECT_FALSE(left.contains(text));
  }

  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    QString site = text;
    EXPECT_FALSE(db->WebsiteKnown(site));
    db->AddWebsite(site);
    QString lookup = AsciiUpper(text);
    EXPECT_TRUE(db->WebsiteKnown(lookup));
    QString fax = text;
    QString search = text;
    EXPECT_FALSE(db->FaxExists(fax));
    db->AddFax(fax, text, search, text);
    EXPECT_TRUE(db->FaxExists(fax));
  }
  QString wildcardSite = QStringLiteral("%");
  EXPECT_FALSE(db->WebsiteKnown(wildcardSite));
  QString wildcardFax = QStringLiteral("a_C");  // equal to "a_c" apart from case
  EXPECT_TRUE(db->FaxExists(wildcardFax));
  QString notAWildcard = QStringLiteral("abc");
  EXPECT_FALSE(db->FaxExists(notAWildcard));

  const auto rows = db->ReadAllFaxes();
  ASSERT_EQ(rows.size(), texts.size());
  for (int i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(rows[i].fax, texts[i]);
    EXPECT_EQ(rows[i].location, texts[i]);
  }
  EXPECT_EQ(probe.tableSchema().size(), 3);  // no statement was taken over by a text
}

TEST_F(StoreOperations, LoadFaxListWithoutRowsKeepsTheList) {
  host.list3 = {QStringLiteral("kept | entry")};
  EXPECT_TRUE(db->LoadFaxList(host.list3));
  EXPECT_EQ(host.list3, QStringList{QStringLiteral("kept | entry")});
}

TEST_F(StoreOperations, LoadFaxListShowsTheNewestTwentyOldestFirst) {
  struct Case {
    int rows;
    int firstShown;
  };
  for (const Case c : {Case{5, 0}, Case{20, 0}, Case{25, 5}}) {
    SCOPED_TRACE(c.rows);
    db->DeleteAllFaxes();
    host.list3 = {QStringLiteral("old")};
    addFaxes(c.rows);
    EXPECT_TRUE(db->LoadFaxList(host.list3));
    EXPECT_EQ(host.list3, faxEntries(c.firstShown, c.rows));
    EXPECT_EQ(db->CountFaxes(), c.rows);  // the preview leaves the table alone
  }
}

TEST_F(StoreOperations, LoadFaxListOrdersByDateBeforeInsertion) {
  ASSERT_TRUE(probe.exec({
      QStringLiteral("INSERT INTO faxes (fax, Date, location) VALUES "
                     "('late', '2024-03-01 10:00:00', 'L'), "
                     "('early', '2023-12-31 23:59:59', NULL), "
                     "('middle', '2024-01-15 08:30:00', 'M')"),
  }));
  db->LoadFaxList(host.list3);
  EXPECT_EQ(host.list3, (QStringList{"early | ", "middle | M", "late | L"}));
}

TEST_F(StoreOperations, LoadWebsiteListMovesTheNewestTwentyOutOfTheTable) {
  struct Case {
    int rows;
    int firstMoved;
  };
  for (const Case c : {Case{7, 0}, Case{30, 10}}) {
    SCOPED_TRACE(c.rows);
    db->DeleteAllWebsites();
    addWebsites(c.rows);
    EXPECT_TRUE(db->LoadWebsiteList(host.list2));
    EXPECT_EQ(host.list2, websiteNames(c.firstMoved, c.rows));
    EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites ORDER BY rowid")),
              websiteNames(0, c.firstMoved));
  }
}

TEST_F(StoreOperations, LoadWebsiteListWithoutRowsChangesNothing) {
  host.list2 = {QStringLiteral("keep.com")};
  EXPECT_FALSE(db->LoadWebsiteList(host.list2));
  EXPECT_EQ(host.list2, QStringList{QStringLiteral("keep.com")});
}

TEST_F(StoreOperations, LoadWebsiteListRemovesOneRowPerLoadedEntry) {
  // An older copy of a loaded website: the delete takes the first match, one row per entry.
  for (const char* text : {"a.com", "b.com", "a.com"}) {
    QString site = QString::fromLatin1(text);
    db->AddWebsite(site);
  }
  ASSERT_TRUE(
      probe.exec({QStringLiteral("UPDATE websites SET Date = '2001-01-01 00:00:00' "
                                 "WHERE rowid = 1")}));
  // 19 newer rows: the window holds the second a.com and them; the first a.com and b.com stay.
  addWebsites(19);
  db->LoadWebsiteList(host.list2);
  ASSERT_EQ(host.list2.size(), 20);
  EXPECT_EQ(host.list2.first(), "a.com");
  // The entry's delete takes the first matching row, which is the older copy.
  EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites ORDER BY rowid")),
            (QStringList{"b.com", "a.com"}));
}

TEST_F(StoreOperations, LoadSearchListAppendsInInsertionOrder) {
  host.list1 = {QStringLiteral("already shown")};
  for (const char* text : {"zebra", "apple", "mango"}) {
    QString search = QString::fromLatin1(text);
    db->AddSearch(search);
  }
  EXPECT_TRUE(db->LoadSearchList(host.list1));
  EXPECT_EQ(host.list1, (QStringList{"already shown", "zebra", "apple", "mango"}));
}

TEST_F(StoreOperations, DirectReadsFollowInsertionOrder) {
  EXPECT_EQ(db->FirstQueuedWebsite(), QString());
  EXPECT_TRUE(db->ReadAllFaxes().isEmpty());
  addWebsites(3);
  EXPECT_EQ(db->FirstQueuedWebsite(), "site0.com");
  QString first = QStringLiteral("site0.com");
  db->DeleteWebsite(first);
  EXPECT_EQ(db->FirstQueuedWebsite(), "site1.com");

  addFaxes(3);
  const auto rows = db->ReadAllFaxes();
  ASSERT_EQ(rows.size(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rows[i].location, QStringLiteral("Region %1").arg(i));
}

TEST_F(StoreOperations, WorksWithoutAWindow) {
  SpiderDatabase windowless(path);
  addWebsites(2);
  addFaxes(2);
  QString search = QStringLiteral("s");
  windowless.AddSearch(search);
  EXPECT_TRUE(windowless.LoadFaxList(host.list3));
  EXPECT_TRUE(windowless.LoadSearchList(host.list1));
  EXPECT_TRUE(windowless.LoadWebsiteList(host.list2));
  EXPECT_EQ(windowless.CountWebsites(), 0);
  EXPECT_TRUE(windowless.DeleteAllFaxes());
  EXPECT_TRUE(windowless.DeleteAllWebsites());
  EXPECT_EQ(windowless.CountFaxes(), 0);
}

}  // namespace
}  // namespace norvane
