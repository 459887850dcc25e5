#include "store/spider_schema.h"

#include <QDateTime>

#include "store/store_transaction.h"

namespace norvane {

bool CreateSpiderTables(SqliteConnection& db) {
  static const char* const kTables[] = {
      "CREATE TABLE faxes (fax TEXT, Date TEXT, website TEXT, search TEXT, location TEXT)",
      "CREATE TABLE websites (website TEXT, Date TEXT)",
      "CREATE TABLE searches (search TEXT)",
  };
  StoreTransaction transaction(db);
  if (!transaction.begun()) return false;
  for (const char* statement : kTables) {
    // A failed statement's tables are rolled back as the transaction goes.
    if (!db.exec(QString::fromLatin1(statement))) return false;
  }
  return transaction.commit();
}

void AddLookupIndexes(SqliteConnection& db) {
  static const char* const kIndexes[] = {
      "CREATE INDEX IF NOT EXISTS faxes_fax_nocase ON faxes (fax COLLATE NOCASE)",
      "CREATE INDEX IF NOT EXISTS websites_website_nocase ON websites (website COLLATE NOCASE)",
      "CREATE INDEX IF NOT EXISTS searches_search_nocase ON searches (search COLLATE NOCASE)",
      // The previews' newest rows, without sorting the whole table at every start.
      "CREATE INDEX IF NOT EXISTS websites_date ON websites (Date)",
      "CREATE INDEX IF NOT EXISTS faxes_date ON faxes (Date)",
  };
  for (const char* statement : kIndexes) db.exec(QString::fromLatin1(statement));
}

bool AddVisitedTable(SqliteConnection& db) {
  if (!db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS visited (website TEXT, search TEXT)")))
    return false;
  db.exec(
      QStringLiteral("CREATE INDEX IF NOT EXISTS visited_website_nocase ON visited "
                     "(website COLLATE NOCASE, search)"));
  return true;
}

bool AddResultSitesTable(SqliteConnection& db) {
  if (!db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS result_sites (site TEXT, search TEXT, "
                              "queued INTEGER, taken INTEGER)")))
    return false;
  // A site's counts change at nearly every page: found by index, not by reading every row.
  db.exec(QStringLiteral(
      "CREATE INDEX IF NOT EXISTS result_sites_site ON result_sites (site, search)"));
  return true;
}

QString StoredNow() {
  // Asked for every queued link: the local time is formatted once a second, not every time.
  thread_local qint64 second = -1;
  thread_local QString text;
  const qint64 now = QDateTime::currentSecsSinceEpoch();
  if (now != second) {
    second = now;
    text = QDateTime::fromSecsSinceEpoch(now).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  }
  return text;
}

}  // namespace norvane
