// Listings of the fax table read on the store's listing thread, over its own connection to a
// real spider.mdb: what they report and when, a listing abandoned by the next one, and the
// counts that stop early.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "store/background_fax_listing.h"
#include "store/spider_database.h"
#include "store/spider_probe.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using testing::SpiderProbe;

// More rows than the first report holds, in one statement: every tenth is a "dentists" row.
constexpr int kRows = 20000;

class BackgroundListing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(SpiderProbe(path).exec(
        {QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < ") +
         QString::number(kRows) +
         QStringLiteral(") "
                        "INSERT INTO faxes (fax, Date, website, search, "
                        "location) SELECT printf('1-201-555-%05d', i), "
                        "'2024-01-01 10:00:00', 'site' || i || '.example', "
                        "CASE WHEN i % 10 = 0 THEN 'dentists' ELSE "
                        "'plumbers' END, 'NJ  Newark ' FROM n")}));
  }

  static FaxListing Filtered(const char* text) {
    FaxListing listing;
    listing.filter = QLatin1String(text);
    listing.sortField = FaxField::kFax;
    return listing;
  }

  testing::TempAppFolder folder;
  QString path = folder.file(QStringLiteral("spider.mdb"));
  SpiderDatabase db{path};
};

TEST_F(BackgroundListing, ReportsTheFirstRowsThenEveryIdInTheOrderOfTheSort) {
  struct Case {
    const char* filter;
    bool descending;
    qsizetype rows;
    bool firstReported;  // more rows than the first report holds
  };
  const Case cases[] = {
      {"", false, kRows, true},
      {"", true, kRows, true},
      {"dentists", false, kRows / 10, true},
      {"555-0001", false, 10, false},  // 1-201-555-00010 ... 00019
      {"nowhere", false, 0, false},
  };
  BackgroundFaxListing lister(path);
  for (const Case& c : cases) {
    QSignalSpy first(&lister, &BackgroundFaxListing::firstRows);
    QSignalSpy listed(&lister, &BackgroundFaxListing::listed);
    FaxListing listing = Filtered(c.filter);
    listing.descending = c.descending;
    lister.start(listing);
    EXPECT_TRUE(lister.busy());
    ASSERT_TRUE(listed.wait(10000)) << c.filter;
    EXPECT_FALSE(lister.busy());
    ASSERT_EQ(listed.size(), 1);
    const auto ids = listed[0][0].value<QList<qint64>>();
    EXPECT_EQ(ids, db.FaxRowIds(listing)) << c.filter;  // the store's own order
    EXPECT_EQ(ids.size(), c.rows) << c.filter;
    EXPECT_EQ(listed[0][1].toInt(), kRows) << c.filter;  // every stored number
    ASSERT_EQ(first.size(), c.firstReported ? 1 : 0) << c.filter;
    if (c.firstReported) {
      EXPECT_EQ(first[0][0].value<QList<qint64>>(), ids.first(BackgroundFaxListing::kFirstRows));
    }
  }
}

TEST_F(BackgroundListing, ANewListingAbandonsTheOneRunningWhichReportsNothing) {
  BackgroundFaxListing lister(path);
  QSignalSpy first(&lister, &BackgroundFaxListing::firstRows);
  QSignalSpy listed(&lister, &BackgroundFaxListing::listed);
  lister.start(Filtered(""));
  lister.start(Filtered("plumbers"));
  lister.start(Filtered("dentists"));
  ASSERT_TRUE(listed.wait(10000));
  QTest::qWait(200);  // nothing of the abandoned ones arrives late either
  ASSERT_EQ(listed.size(), 1);
  EXPECT_EQ(listed[0][0].value<QList<qint64>>(), db.FaxRowIds(Filtered("dentists")));
  ASSERT_EQ(first.size(), 1);
  EXPECT_EQ(first[0][0].value<QList<qint64>>(),
            db.FaxRowIds(Filtered("dentists")).first(BackgroundFaxListing::kFirstRows));
}

TEST_F(BackgroundListing, FollowsNumbersStoredSinceTheLastListing) {
  BackgroundFaxListing lister(path);
  QSignalSpy listed(&lister, &BackgroundFaxListing::listed);
  lister.start(Filtered("2024"));
  ASSERT_TRUE(listed.wait(10000));
  QString fax = QStringLiteral("1-609-555-0199");
  QString search = QStringLiteral("roofers");
  db.AddFax(fax, QStringLiteral("new.example"), search, QStringLiteral("NJ"));
  lister.start(Filtered(""));
  ASSERT_TRUE(listed.wait(10000));
  EXPECT_EQ(listed[1][0].value<QList<qint64>>().size(), kRows + 1);
  EXPECT_EQ(listed[1][1].toInt(), kRows + 1);
}

TEST_F(BackgroundListing, EndsAtOnceWhenDestroyedWhileReading) {
  QElapsedTimer clock;
  clock.start();
  {
    BackgroundFaxListing lister(path);
    lister.start(Filtered("nowhere"));  // reads every row
  }
  EXPECT_LT(clock.elapsed(), 5000);
  // The file is sound and still in use.
  QString fax = QStringLiteral("1-609-555-0198");
  QString search = QStringLiteral("roofers");
  EXPECT_TRUE(db.AddFax(fax, QStringLiteral("x.example"), search, QStringLiteral("NJ")));
  EXPECT_EQ(db.CountFaxes(), kRows + 1);
}

TEST_F(BackgroundListing, KeepGoingEndsAListingThatMatchesNothing) {
  int asked = 0;
  FaxListingProgress stop;
  stop.keepGoing = [&asked] { return ++asked < 2; };
  // No id is read before the second question, so nothing but the question can end it.
  EXPECT_TRUE(db.FaxRowIds(Filtered("nowhere"), stop).isEmpty());
  EXPECT_EQ(asked, 2);
  // Asked, and answering yes, the listing is whole; the first ids go to `first` as read.
  QList<qint64> firstIds;
  FaxListingProgress go;
  go.keepGoing = [] { return true; };
  go.firstRows = 3;
  go.first = [&firstIds](const QList<qint64>& ids) { firstIds = ids; };
  const QList<qint64> ids = db.FaxRowIds(Filtered("dentists"), go);
  EXPECT_EQ(ids.size(), kRows / 10);
  EXPECT_EQ(firstIds, ids.first(3));
  // The connection answers plainly afterwards: the question is gone with the listing.
  EXPECT_EQ(db.FaxRowIds(Filtered("dentists")), ids);
}

TEST(CountWebsitesUpTo, CountsUpToTheLimitOnly) {
  testing::TempAppFolder folder;
  SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
  ASSERT_TRUE(db.open());
  struct Case {
    int queued;
    qint32 limit;
    qint32 counted;
  };
  const Case cases[] = {{0, 1, 0}, {0, 0, 0}, {3, 0, 0}, {3, 1, 1},
                        {3, 3, 3}, {3, 4, 3}, {5, 4, 4}, {5, 100, 5}};
  int queued = 0;
  for (const Case& c : cases) {
    for (; queued < c.queued; ++queued) {
      QString site = QStringLiteral("site%1.example").arg(queued);
      ASSERT_TRUE(db.AddWebsite(site));
    }
    if (c.queued == 0) {
      ASSERT_EQ(db.CountWebsites(), 0);
    }
    EXPECT_EQ(db.CountWebsitesUpTo(c.limit), c.counted) << c.queued << " " << c.limit;
  }
}

}  // namespace
}  // namespace norvane
