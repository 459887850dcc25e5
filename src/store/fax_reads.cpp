// The reads of the faxes table that may cover a million rows: the fax table's listing and the
// export.
#include <sqlite3.h>

#include "store/spider_database.h"

namespace norvane {
namespace {

constexpr char kRowColumns[] = "fax, Date, website, search, location";

FaxRow RowOf(const SqliteStatement& statement) {
  return FaxRow{statement.text(0), statement.text(1), statement.text(2), statement.text(3),
                statement.text(4)};
}

// The columns in the order of FaxField.
constexpr const char* kColumnOf[] = {"fax", "location", "website", "search", "Date"};

QString ColumnOf(FaxField field) {
  return QLatin1String(kColumnOf[int(field)]);
}

// The WHERE and ORDER BY of a listing. The filter is parameter 1, a LIKE pattern (LIKE ignores
// the case of ASCII letters, as the lookups do). The orders match the indexes on fax and Date,
// ties by rowid in the same direction, so that SQLite walks an index instead of sorting (see
// AddSortIndex for the other columns).
QString ListingClauses(const FaxListing& listing) {
  QString sql;
  if (!listing.filter.isEmpty()) {
    QStringList any;
    for (const char* column : kColumnOf)
      any << QLatin1String(column) + QStringLiteral(" LIKE ?1 ESCAPE '\\'");
    sql += QStringLiteral(" WHERE ") + any.join(QStringLiteral(" OR "));
  }
  const QString direction = listing.descending ? QStringLiteral(" DESC") : QString();
  sql += QStringLiteral(" ORDER BY ");
  if (listing.sortField) {
    sql += ColumnOf(*listing.sortField);
    // Dates are digits: their index keeps SQLite's plain order.
    if (*listing.sortField != FaxField::kDate) sql += QStringLiteral(" COLLATE NOCASE");
    sql += direction + QStringLiteral(", ");
  }
  return sql + QStringLiteral("rowid") + direction;
}

// The filter as a LIKE pattern that matches it anywhere, its own % and _ taken literally.
QString LikePattern(QString filter) {
  filter.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  filter.replace(QLatin1Char('%'), QLatin1String("\\%"));
  filter.replace(QLatin1Char('_'), QLatin1String("\\_"));
  return QLatin1Char('%') + filter + QLatin1Char('%');
}

SqliteStatement PrepareListing(SqliteConnection& db, const QString& columns,
                               const FaxListing& listing) {
  SqliteStatement statement = db.prepare(QStringLiteral("SELECT ") + columns +
                                         QStringLiteral(" FROM faxes") + ListingClauses(listing));
  if (statement && !listing.filter.isEmpty()) statement.bind(1, LikePattern(listing.filter));
  return statement;
}

// The index a sort by a text column walks. Made when the table is first sorted by that column
// rather than at every open, where it would cost a file of a million numbers a second for each
// column before the window shows; without it (a read-only file) SQLite sorts instead.
void AddSortIndex(SqliteConnection& db, const FaxListing& listing) {
  if (!listing.sortField || *listing.sortField == FaxField::kFax ||
      *listing.sortField == FaxField::kDate)
    return;  // indexed from the start
  const QString sql = QStringLiteral(
                          "CREATE INDEX IF NOT EXISTS faxes_%1_nocase ON faxes "
                          "(%1 COLLATE NOCASE)")
                          .arg(ColumnOf(*listing.sortField));
  db.exec(sql);
}

}  // namespace

QList<qint64> SpiderDatabase::FaxRowIds(const FaxListing& listing,
                                        const FaxListingProgress& progress) {
  QList<qint64> ids;
  if (!ready()) return ids;
  AddSortIndex(m_db, listing);
  SqliteStatement statement = PrepareListing(m_db, QStringLiteral("rowid"), listing);
  if (!statement) return ids;
  sqlite3* db = m_db.handle();
  // A filter that few rows match reads the whole table between two ids: SQLite asks this
  // between its steps, so that an abandoned listing ends at once.
  constexpr int kStepsBetweenQuestions = 10000;
  if (progress.keepGoing)
    sqlite3_progress_handler(
        db, kStepsBetweenQuestions,
        [](void* keepGoing) {
          return (*static_cast<const std::function<bool()>*>(keepGoing))() ? 0 : 1;
        },
        const_cast<std::function<bool()>*>(&progress.keepGoing));
  bool firstHanded = !progress.first;
  while (statement.step()) {
    ids.append(statement.integer(0));
    if (!firstHanded && ids.size() >= progress.firstRows) {
      firstHanded = true;
      progress.first(ids);
    }
  }
  if (progress.keepGoing) sqlite3_progress_handler(db, 0, nullptr, nullptr);
  if (!statement.ok()) ids.clear();
  return ids;
}

QList<FaxRow> SpiderDatabase::ReadFaxRows(const QList<qint64>& ids) {
  QList<FaxRow> rows;
  if (ids.isEmpty() || !ready()) return QList<FaxRow>(ids.size());
  SqliteStatement statement = m_db.prepare(QStringLiteral("SELECT ") + QLatin1String(kRowColumns) +
                                           QStringLiteral(" FROM faxes WHERE rowid = ?"));
  rows.reserve(ids.size());
  for (qint64 id : ids) {
    FaxRow row;
    if (statement && statement.bind(1, id).step()) row = RowOf(statement);
    rows.append(row);
  }
  return rows;
}

bool SpiderDatabase::ForEachFax(const FaxListing& listing,
                                const std::function<bool(const FaxRow&)>& row) {
  if (!ready()) return false;
  SqliteStatement statement = PrepareListing(m_db, QLatin1String(kRowColumns), listing);
  if (!statement) return false;
  while (statement.step())
    if (!row(RowOf(statement))) return false;
  return statement.ok();
}

QList<FaxRow> SpiderDatabase::ReadAllFaxes() {
  QList<FaxRow> rows;
  if (!ForEachFax({}, [&rows](const FaxRow& row) {
        rows.append(row);
        return true;
      }))
    rows.clear();
  return rows;
}

}  // namespace norvane
