// WebsiteKnown and VisitedKnown answer from memory where they can, and the crawl's page work runs
// in one transaction: both must stay what the file says, whoever changed it, and a stored number
// must be in the file at once.
#include <gtest/gtest.h>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <functional>
#include <memory>

#include "store/lookup_cache.h"
#include "store/spider_database.h"
#include "store/spider_probe.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using testing::SpiderProbe;

// What the table itself says: a lookup with the table's letter-case rule, on a connection of
// its own.
bool InFile(SpiderProbe& probe, const QString& site) {
  QString quoted = site;
  quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
  return !probe
              .column(QStringLiteral("SELECT 1 FROM websites WHERE website = '%1' COLLATE NOCASE")
                          .arg(quoted))
              .isEmpty();
}

struct LookupStep {
  const char* what;
  std::function<void(SpiderDatabase&, SpiderProbe&)> run;
};

TEST(StoreLookups, WebsiteKnownFollowsEveryChangeToTheTable) {
  norvane::testing::TempAppFolder folder;
  const QString path = folder.file(QStringLiteral("spider.mdb"));
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  SpiderProbe probe(path);
  const auto add = [](const char* text) {
    return [text](SpiderDatabase& d, SpiderProbe&) {
      QString site = QString::fromUtf8(text);
      d.AddWebsite(site);
    };
  };
  const auto remove = [](const char* text) {
    return [text](SpiderDatabase& d, SpiderProbe&) {
      QString site = QString::fromUtf8(text);
      d.DeleteWebsite(site);
    };
  };
  const auto other = [](const char* sql) {
    return [sql](SpiderDatabase&, SpiderProbe& p) {
      ASSERT_TRUE(p.exec({QString::fromUtf8(sql)})) << sql;
    };
  };
  const LookupStep steps[] = {
      {"empty table", [](SpiderDatabase&, SpiderProbe&) {}},
      {"ours: add", add("a.com/x")},
      {"ours: add the same in other letters", add("A.COM/X")},
      {"ours: delete one of the two", remove("a.com/x")},
      {"ours: delete the other", remove("a.com/x")},
      {"ours: add non-ASCII, which keeps its case", add("\xc3\xa9t\xc3\xa9.fr")},
      {"another program adds", other("INSERT INTO websites VALUES ('b.org/p', '2000-01-01')")},
      {"another program deletes ours", other("DELETE FROM websites WHERE website = 'été.fr'")},
      {"another program empties the table", other("DELETE FROM websites")},
      {"ours in a batch",
       [](SpiderDatabase& d, SpiderProbe&) {
         d.beginBatch();
         QString site = QStringLiteral("c.net");
         d.AddWebsite(site);
         QString known = QStringLiteral("C.NET");
         EXPECT_TRUE(d.WebsiteKnown(known));
         d.endBatch();
       }},
      {"another program adds after the batch",
       other("INSERT INTO websites VALUES ('D.net', '2000-01-01')")},
      {"ours: the previews take rows out",
       [](SpiderDatabase& d, SpiderProbe&) {
         QStringList shown;
         EXPECT_TRUE(d.LoadWebsiteList(shown));
       }},
      {"ours: add, then empty the table",
       [](SpiderDatabase& d, SpiderProbe&) {
         QString site = QStringLiteral("e.com");
         d.AddWebsite(site);
         EXPECT_TRUE(d.DeleteAllWebsites());
       }},
      {"another program adds to the emptied table",
       other("INSERT INTO websites VALUES ('e.com', '2000-01-01')")},
  };
  const QStringList asked = {QStringLiteral("a.com/x"),
                             QStringLiteral("A.com/X"),
                             QStringLiteral("\xc3\xa9t\xc3\xa9.fr"),
                             QString::fromUtf8("\xc3\x89T\xc3\x89.fr"),
                             QStringLiteral("b.org/p"),
                             QStringLiteral("c.net"),
                             QStringLiteral("d.NET"),
                             QStringLiteral("e.com"),
                             QStringLiteral("never.com")};
  for (const LookupStep& step : steps) {
    step.run(db, probe);
    for (QString site : asked) {
      const bool truth = InFile(probe, site);
      ASSERT_FALSE(probe.failed());
      EXPECT_EQ(db.WebsiteKnown(site), truth) << step.what << ": " << site.toStdString();
    }
  }
}

// The pages read are answered from memory too, one search string at a time.
TEST(StoreLookups, VisitedKnownFollowsEveryChangeToThePagesRead) {
  norvane::testing::TempAppFolder folder;
  const QString path = folder.file(QStringLiteral("spider.mdb"));
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  ASSERT_TRUE(db.AddVisitedTable());
  SpiderProbe probe(path);
  const auto read = [](const char* page, const char* search) {
    return [page, search](SpiderDatabase& d, SpiderProbe&) {
      EXPECT_TRUE(d.AddVisited(QString::fromUtf8(page), QString::fromUtf8(search)));
    };
  };
  const auto other = [](const char* sql) {
    return [sql](SpiderDatabase&, SpiderProbe& p) {
      ASSERT_TRUE(p.exec({QString::fromUtf8(sql)})) << sql;
    };
  };
  const LookupStep steps[] = {
      {"nothing read", [](SpiderDatabase&, SpiderProbe&) {}},
      {"ours: read under fax", read("a.com/x", "fax")},
      {"ours: the same page in other letters", read("A.COM/X", "fax")},
      {"ours: read under the other search", read("b.org", "Fax")},
      {"another program records a page", other("INSERT INTO visited VALUES ('c.net', 'fax')")},
      {"another program drops ours", other("DELETE FROM visited WHERE website = 'a.com/x'")},
      {"ours in the crawl's transaction",
       [](SpiderDatabase& d, SpiderProbe&) {
         d.setCrawlBatch(true);
         EXPECT_TRUE(d.AddVisited(QStringLiteral("d.net"), QStringLiteral("fax")));
         EXPECT_TRUE(d.VisitedKnown(QStringLiteral("D.NET"), QStringLiteral("fax")));
         d.setCrawlBatch(false);
       }},
      {"ours: the search string is dropped while memory holds it",
       [](SpiderDatabase& d, SpiderProbe&) {
         EXPECT_TRUE(d.VisitedKnown(QStringLiteral("d.net"), QStringLiteral("fax")));
         EXPECT_TRUE(d.DeleteVisited(QStringLiteral("fax")));
       }},
      {"another program records after the drop",
       other("INSERT INTO visited VALUES ('e.com', 'fax')")},
  };
  const char* const pages[] = {"a.com/x", "A.com/X", "b.org", "c.net", "d.NET", "e.com", "x.com"};
  const char* const searches[] = {"fax", "Fax"};
  for (const LookupStep& step : steps) {
    step.run(db, probe);
    for (const char* search : searches) {
      for (const char* page : pages) {
        const bool truth =
            !probe
                 .column(QStringLiteral("SELECT 1 FROM visited WHERE website = '%1' COLLATE "
                                        "NOCASE AND search = '%2'")
                             .arg(QString::fromUtf8(page), QString::fromUtf8(search)))
                 .isEmpty();
        ASSERT_FALSE(probe.failed());
        EXPECT_EQ(db.VisitedKnown(QString::fromUtf8(page), QString::fromUtf8(search)), truth)
            << step.what << ": " << page << " under " << search;
      }
    }
  }
}

TEST(StoreLookups, ABatchIsReadableMeanwhileAndOnDiskAtItsCommits) {
  norvane::testing::TempAppFolder folder;
  const QString path = folder.file(QStringLiteral("spider.mdb"));
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  SpiderProbe probe(path);
  const auto websites = [&] {
    return probe.column(QStringLiteral("SELECT website FROM websites"));
  };
  const auto faxes = [&] { return probe.column(QStringLiteral("SELECT fax FROM faxes")); };

  db.beginBatch();
  QString first = QStringLiteral("one.com");
  db.AddWebsite(first);
  // Another program reads the file while the batch is open, and sees what was committed.
  EXPECT_EQ(websites(), QStringList{});
  EXPECT_FALSE(probe.failed());

  // A stored number is on disk when AddFax returns, and so is what the page queued before it.
  QString fax = QStringLiteral("1-201-555-0100");
  QString search = QStringLiteral("plumbers");
  db.AddFax(fax, QStringLiteral("one.com"), search, QStringLiteral("New Jersey"));
  EXPECT_EQ(faxes(), QStringList{QStringLiteral("1-201-555-0100")});
  EXPECT_EQ(websites(), QStringList{QStringLiteral("one.com")});

  // After AddFax the batch goes on in a new transaction, committed by commitBatch.
  QString second = QStringLiteral("two.com");
  db.AddWebsite(second);
  EXPECT_EQ(websites().size(), 1);
  db.commitBatch();
  EXPECT_EQ(websites(), (QStringList{QStringLiteral("one.com"), QStringLiteral("two.com")}));

  // Between two transactions another program may write; the batch then sees its change.
  ASSERT_TRUE(probe.exec({QStringLiteral("INSERT INTO websites VALUES ('three.com', '2000')")}));
  QString third = QStringLiteral("THREE.com");
  EXPECT_TRUE(db.WebsiteKnown(third));
  db.endBatch();

  // Outside a batch every operation is on disk when it returns.
  QString fourth = QStringLiteral("four.com");
  db.AddWebsite(fourth);
  EXPECT_EQ(websites().size(), 4);
}

// The crawl's operations share a transaction across pages and takes; what ends it decides when
// another program sees the queued websites.
TEST(StoreLookups, TheCrawlsSharedTransactionReachesTheDiskWhenItEnds) {
  enum class End { PageEndWhileYoung, PageEndWhenOld, Idle, AddFax, CrawlStops, StoreCloses };
  const struct {
    const char* name;
    End end;
    bool onDisk;  // the queued website, right after the end
  } cases[] = {
      {"a page ends while it is young", End::PageEndWhileYoung, false},
      {"a page ends once it is old", End::PageEndWhenOld, true},
      {"the crawl is idle", End::Idle, true},
      {"a number is stored", End::AddFax, true},
      {"the crawl stops", End::CrawlStops, true},
      {"the store is closed", End::StoreCloses, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    norvane::testing::TempAppFolder folder;
    const QString path = folder.file(QStringLiteral("spider.mdb"));
    auto db = std::make_unique<SpiderDatabase>(path);
    ASSERT_TRUE(db->open());
    SpiderProbe probe(path);
    db->setCrawlBatch(true);
    db->beginBatch();
    QString website = QStringLiteral("one.com");
    db->AddWebsite(website);
    // A take between two pages joins the same transaction.
    QString taken = QStringLiteral("one.com");
    db->DeleteWebsite(taken);
    db->AddWebsite(website);
    switch (c.end) {
      case End::PageEndWhileYoung:
        db->endBatch();
        break;
      case End::PageEndWhenOld:
        QThread::msleep(SpiderDatabase::kCrawlCommitMs + 10);
        db->endBatch();
        break;
      case End::Idle:
        db->endBatch();
        QTest::qWait(SpiderDatabase::kCrawlCommitMs * 3);
        break;
      case End::AddFax: {
        QString fax = QStringLiteral("1-201-555-0100");
        QString search = QStringLiteral("plumbers");
        db->AddFax(fax, website, search, QStringLiteral("New Jersey"));
        break;
      }
      case End::CrawlStops:
        db->setCrawlBatch(false);
        break;
      case End::StoreCloses:
        db.reset();
        break;
    }
    const QStringList onDisk = probe.column(QStringLiteral("SELECT website FROM websites"));
    EXPECT_FALSE(probe.failed());
    EXPECT_EQ(onDisk, c.onDisk ? QStringList{website} : QStringList{});
  }
}

// The answers held stay few however many websites the crawl asks about, and the lookups stay
// exact past that bound: what is not held is looked up in the table.
TEST(StoreLookups, AnswersHeldStayFewAndExactPastTheirBound) {
  LookupCache cache;
  for (qsizetype k = 0; k <= LookupCache::kMaxAnswers; ++k)
    cache.remember(QStringLiteral("s%1.example").arg(k), k % 2 == 0);
  EXPECT_LE(cache.size(), LookupCache::kMaxAnswers);
  EXPECT_EQ(cache.known(QStringLiteral("S0.example")), std::nullopt);  // started over
  cache.added(QStringLiteral("New.Example"));
  EXPECT_EQ(cache.known(QStringLiteral("new.example")), std::optional<bool>(true));
  cache.removed(QStringLiteral("NEW.example"));
  EXPECT_EQ(cache.known(QStringLiteral("new.example")), std::nullopt);

  norvane::testing::TempAppFolder folder;
  SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
  ASSERT_TRUE(db.open());
  const int count = int(LookupCache::kMaxAnswers) + 100;
  db.beginBatch();
  for (int k = 0; k < count; ++k) {
    QString site = QStringLiteral("w%1.example").arg(k);
    db.AddWebsite(site);
  }
  db.endBatch();
  QString gone = QStringLiteral("w7.example");
  db.DeleteWebsite(gone);
  for (int k = 0; k < count; k += 997) {
    QString site = QStringLiteral("W%1.example").arg(k);
    EXPECT_TRUE(db.WebsiteKnown(site)) << k;
    QString other = QStringLiteral("w%1.other").arg(k);
    EXPECT_FALSE(db.WebsiteKnown(other)) << k;
  }
  QString last = QStringLiteral("w%1.example").arg(count - 1);
  EXPECT_TRUE(db.WebsiteKnown(last));
  EXPECT_FALSE(db.WebsiteKnown(gone));
}

}  // namespace
}  // namespace norvane
