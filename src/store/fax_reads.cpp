// The reads of the faxes table that may cover a million rows: the fax table's listing and the
// export. They step SQLite's statements themselves: Qt's driver makes a QVariant of every value
// it hands over, which tripled the time of listing a million row ids.
#include <memory>

#include "store/spider_database.h"
#include "store/sqlite_handle.h"

namespace norvane {
namespace {

struct StatementEnd {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementEnd>;

Statement Prepare(sqlite3* db, const QString& sql) {
  sqlite3_stmt* statement = nullptr;
  if (!db || sqlite3_prepare16_v2(db, sql.utf16(), -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  return Statement(statement);
}

QString Text(sqlite3_stmt* statement, int column) {
  const void* text = sqlite3_column_text16(statement, column);
  if (!text) return {};
  return QString(static_cast<const QChar*>(text), sqlite3_column_bytes16(statement, column) / 2);
}

constexpr char kRowColumns[] = "fax, Date, website, search, location";

FaxRow RowOf(sqlite3_stmt* statement, int first) {
  return FaxRow{Text(statement, first), Text(statement, first + 1), Text(statement, first + 2),
                Text(statement, first + 3), Text(statement, first + 4)};
}

QString ColumnOf(FaxField field) {
  switch (field) {
    case FaxField::kFax:
      return QStringLiteral("fax");
    case FaxField::kLocation:
      return QStringLiteral("location");
    case FaxField::kWebsite:
      return QStringLiteral("website");
    case FaxField::kSearch:
      return QStringLiteral("search");
    case FaxField::kDate:
      return QStringLiteral("Date");
  }
  return QStringLiteral("rowid");
}

// The WHERE and ORDER BY of a listing. The filter is parameter 1, a LIKE pattern (LIKE ignores
// the case of ASCII letters, as the lookups do). The orders match the indexes on fax and Date,
// ties by rowid in the same direction, so that SQLite walks an index instead of sorting (see
// AddSortIndex for the other columns).
QString ListingClauses(const FaxListing& listing) {
  QString sql;
  if (!listing.filter.isEmpty()) {
    QStringList any;
    for (FaxField field : {FaxField::kFax, FaxField::kLocation, FaxField::kWebsite,
                           FaxField::kSearch, FaxField::kDate})
      any << ColumnOf(field) + QStringLiteral(" LIKE ?1 ESCAPE '\\'");
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

Statement PrepareListing(sqlite3* db, const QString& columns, const FaxListing& listing) {
  Statement statement = Prepare(db, QStringLiteral("SELECT ") + columns +
                                        QStringLiteral(" FROM faxes") + ListingClauses(listing));
  if (statement && !listing.filter.isEmpty()) {
    const QString pattern = LikePattern(listing.filter);
    sqlite3_bind_text16(statement.get(), 1, pattern.utf16(), int(pattern.size() * 2),
                        SQLITE_TRANSIENT);
  }
  return statement;
}

// The index a sort by a text column walks. Made when the table is first sorted by that column
// rather than at every open, where it would cost a file of a million numbers a second for each
// column before the window shows; without it (a read-only file) SQLite sorts instead.
void AddSortIndex(sqlite3* db, const FaxListing& listing) {
  if (!db || !listing.sortField || *listing.sortField == FaxField::kFax ||
      *listing.sortField == FaxField::kDate)
    return;  // indexed from the start
  const QString sql = QStringLiteral(
                          "CREATE INDEX IF NOT EXISTS faxes_%1_nocase ON faxes "
                          "(%1 COLLATE NOCASE)")
                          .arg(ColumnOf(*listing.sortField));
  sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

}  // namespace

QList<qint64> SpiderDatabase::FaxRowIds(const FaxListing& listing,
                                        const FaxListingProgress& progress) {
  QList<qint64> ids;
  if (!ready()) return ids;
  sqlite3* db = SqliteHandle(connection());
  AddSortIndex(db, listing);
  Statement statement = PrepareListing(db, QStringLiteral("rowid"), listing);
  if (!statement) return ids;
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
  int step;
  bool firstHanded = !progress.first;
  while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
    ids.append(sqlite3_column_int64(statement.get(), 0));
    if (!firstHanded && ids.size() >= progress.firstRows) {
      firstHanded = true;
      progress.first(ids);
    }
  }
  if (progress.keepGoing) sqlite3_progress_handler(db, 0, nullptr, nullptr);
  if (step != SQLITE_DONE) ids.clear();
  return ids;
}

QList<FaxRow> SpiderDatabase::ReadFaxRows(const QList<qint64>& ids) {
  QList<FaxRow> rows;
  if (ids.isEmpty() || !ready()) return QList<FaxRow>(ids.size());
  Statement statement =
      Prepare(SqliteHandle(connection()), QStringLiteral("SELECT ") + QLatin1String(kRowColumns) +
                                              QStringLiteral(" FROM faxes "
                                                             "WHERE rowid = ?"));
  rows.reserve(ids.size());
  for (qint64 id : ids) {
    FaxRow row;
    if (statement) {
      sqlite3_bind_int64(statement.get(), 1, id);
      if (sqlite3_step(statement.get()) == SQLITE_ROW) row = RowOf(statement.get(), 0);
      sqlite3_reset(statement.get());
    }
    rows.append(row);
  }
  return rows;
}

bool SpiderDatabase::ForEachFax(const FaxListing& listing,
                                const std::function<bool(const FaxRow&)>& row) {
  if (!ready()) return false;
  Statement statement =
      PrepareListing(SqliteHandle(connection()), QLatin1String(kRowColumns), listing);
  if (!statement) return false;
  int step;
  while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
    if (!row(RowOf(statement.get(), 0))) return false;
  return step == SQLITE_DONE;
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
