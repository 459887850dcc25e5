// The fax table's listings and the export's reads on a real spider.mdb: what the filter keeps,
// the order of each sort, the rows read by id, and the stream of every row.
#include <gtest/gtest.h>

#include "store/spider_database.h"
#include "store/spider_probe.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using testing::SpiderProbe;

class FaxReads : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db.open());
    // fax, date, website, search, location; inserted in this order (rowids 1 to 6).
    ASSERT_TRUE(SpiderProbe(path).exec({
        "INSERT INTO faxes VALUES ('1-303-555-0101', '2024-01-02 10:00:00', 'rocky.example', "
        "'roofers', 'CO  Denver ')",
        "INSERT INTO faxes VALUES ('1-201-555-0100', '2024-01-03 10:00:00', 'ACME.example', "
        "'plumbers', 'NJ  Newark ')",
        "INSERT INTO faxes VALUES ('1-212-555-0102', '2024-01-01 10:00:00', 'big.example/100%', "
        "'plumbers', 'ny  New York ')",
        "INSERT INTO faxes VALUES ('1-201-555-0103', '2024-01-03 10:00:00', 'a_b.example', "
        "'dentists', 'NJ  Newark ')",
        "INSERT INTO faxes VALUES ('1-415-555-0104', '2024-01-02 10:00:00', NULL, 'dentists', "
        "'CA  San Francisco ')",
        "INSERT INTO faxes VALUES ('1-201-555-0105', '2024-01-03 10:00:00', 'acme.example', "
        "'plumbers', 'nj  Newark ')",
    }));
  }

  QStringList numbers(const FaxListing& listing) {
    QStringList out;
    for (const FaxRow& row : db.ReadFaxRows(db.FaxRowIds(listing))) out << row.fax.right(4);
    return out;
  }

  testing::TempAppFolder folder;
  QString path = folder.file(QStringLiteral("spider.mdb"));
  SpiderDatabase db{path};
};

TEST_F(FaxReads, EachSortOrdersByItsFieldWithEqualRowsInInsertionOrder) {
  struct Case {
    std::optional<FaxField> field;
    bool descending;
    QStringList numbers;  // the last four digits
  };
  const Case cases[] = {
      {std::nullopt, false, {"0101", "0100", "0102", "0103", "0104", "0105"}},
      {FaxField::kFax, false, {"0100", "0103", "0105", "0102", "0101", "0104"}},
      {FaxField::kFax, true, {"0104", "0101", "0102", "0105", "0103", "0100"}},
      // Letter case of ASCII letters ignored; equal regions keep insertion order, reversed
      // when descending, as the newest-first date order needs.
      {FaxField::kLocation, false, {"0104", "0101", "0100", "0103", "0105", "0102"}},
      {FaxField::kLocation, true, {"0102", "0105", "0103", "0100", "0101", "0104"}},
      // A missing website sorts first.
      {FaxField::kWebsite, false, {"0104", "0103", "0100", "0105", "0102", "0101"}},
      {FaxField::kSearch, false, {"0103", "0104", "0100", "0102", "0105", "0101"}},
      {FaxField::kDate, true, {"0105", "0103", "0100", "0104", "0101", "0102"}},
      {FaxField::kDate, false, {"0102", "0101", "0104", "0100", "0103", "0105"}},
  };
  for (const Case& c : cases) {
    FaxListing listing;
    listing.sortField = c.field;
    listing.descending = c.descending;
    EXPECT_EQ(numbers(listing), c.numbers)
        << (c.field ? int(*c.field) : -1) << " descending " << c.descending;
  }
}

TEST_F(FaxReads, TheFilterKeepsRowsWithTheTextInAnyFieldTakenLiterally) {
  struct Case {
    const char* filter;
    QStringList numbers;
  };
  const Case cases[] = {
      {"", {"0101", "0100", "0102", "0103", "0104", "0105"}},
      {"acme", {"0100", "0105"}},            // letter case ignored
      {"NEWARK", {"0100", "0103", "0105"}},  // the region
      {"555-0104", {"0104"}},                // the number
      {"2024-01-01", {"0102"}},              // the date
      {"dentists", {"0103", "0104"}},        // the search string
      {"%", {"0102"}},                       // no wildcard: the one website holding it
      {"a_b", {"0103"}},
      {"_", {"0103"}},
      {"\\", {}},
      {"'; DROP TABLE faxes; --", {}},
      {"nowhere", {}},
  };
  for (const Case& c : cases) {
    FaxListing listing;
    listing.filter = QString::fromUtf8(c.filter);
    EXPECT_EQ(numbers(listing), c.numbers) << c.filter;
  }
  EXPECT_EQ(db.CountFaxes(), 6);
}

TEST_F(FaxReads, RowsAreReadByIdInTheOrderAskedAndDeletedOnesComeBackEmpty) {
  const QList<qint64> ids = db.FaxRowIds({});
  ASSERT_EQ(ids.size(), 6);
  ASSERT_TRUE(
      SpiderProbe(path).exec({QStringLiteral("DELETE FROM faxes WHERE rowid = %1").arg(ids[2])}));
  const QList<FaxRow> rows = db.ReadFaxRows({ids[4], ids[2], ids[0], -7});
  ASSERT_EQ(rows.size(), 4);
  EXPECT_EQ(rows[0].fax, QStringLiteral("1-415-555-0104"));
  EXPECT_TRUE(rows[0].website.isEmpty());
  EXPECT_EQ(rows[0].location, QStringLiteral("CA  San Francisco "));
  EXPECT_TRUE(rows[1].fax.isEmpty());
  EXPECT_EQ(rows[2].fax, QStringLiteral("1-303-555-0101"));
  EXPECT_EQ(rows[2].date, QStringLiteral("2024-01-02 10:00:00"));
  EXPECT_EQ(rows[2].search, QStringLiteral("roofers"));
  EXPECT_TRUE(rows[3].fax.isEmpty());
  EXPECT_TRUE(db.ReadFaxRows({}).isEmpty());
}

TEST_F(FaxReads, EveryRowIsStreamedUntilTheReaderStops) {
  QStringList seen;
  EXPECT_TRUE(db.ForEachFax({}, [&](const FaxRow& row) {
    seen << row.fax.right(4);
    return true;
  }));
  EXPECT_EQ(seen, QStringList({"0101", "0100", "0102", "0103", "0104", "0105"}));
  EXPECT_EQ(db.ReadAllFaxes().size(), 6);
  seen.clear();
  EXPECT_FALSE(db.ForEachFax({}, [&](const FaxRow& row) {
    seen << row.fax.right(4);
    return seen.size() < 2;
  }));
  EXPECT_EQ(seen, QStringList({"0101", "0100"}));
}

TEST_F(FaxReads, SortingByATextColumnIndexesItOnce) {
  FaxListing byRegion;
  byRegion.sortField = FaxField::kLocation;
  const QStringList sorted = numbers(byRegion);
  SpiderProbe probe(path);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT name FROM sqlite_master WHERE name LIKE "
                                        "'faxes_location%'")),
            QStringList({"faxes_location_nocase"}));
  const QString plan =
      probe
          .rows(QStringLiteral(
              "EXPLAIN QUERY PLAN SELECT rowid FROM faxes ORDER BY location COLLATE NOCASE, rowid"))
          .value(0)
          .value(3)
          .toString();
  EXPECT_TRUE(plan.contains(QStringLiteral("faxes_location_nocase"))) << plan.toStdString();

  FaxListing bySearch;
  bySearch.sortField = FaxField::kSearch;
  bySearch.descending = true;
  QStringList searches;
  for (const FaxRow& row : db.ReadFaxRows(db.FaxRowIds(bySearch))) searches << row.search;
  EXPECT_EQ(searches,
            QStringList({"roofers", "plumbers", "plumbers", "plumbers", "dentists", "dentists"}));
  EXPECT_EQ(numbers(byRegion), sorted);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE "
                                        "'faxes_%_nocase'")),
            QStringList({"3"}));
}

}  // namespace
}  // namespace norvane
