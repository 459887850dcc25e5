#include "store/spider_schema.h"

#include "store/store_statements.h"

#include <QDateTime>
#include <QSqlQuery>

namespace norvane {

bool CreateSpiderTables(QSqlDatabase& db) {
  static const char* const kTables[] = {
      "CREATE TABLE faxes (fax TEXT, Date TEXT, website TEXT, search TEXT, location TEXT)",
      "CREATE TABLE websites (website TEXT, Date TEXT)",
      "CREATE TABLE searches (search TEXT)",
  };
  StoreTransaction transaction(db);
  if (!transaction.begun()) return false;
  // Goes before the transaction: a failed statement's tables are rolled back as it goes.
  QSqlQuery query(db);
  for (const char* statement : kTables) {
    if (!Exec(query, QString::fromLatin1(statement))) return false;
  }
  query.finish();
  return transaction.commit();
}

void AddLookupIndexes(QSqlDatabase& db) {
  static const char* const kIndexes[] = {
      "CREATE INDEX IF NOT EXISTS faxes_fax_nocase ON faxes (fax COLLATE NOCASE)",
      "CREATE INDEX IF NOT EXISTS websites_website_nocase ON websites (website COLLATE NOCASE)",
      "CREATE INDEX IF NOT EXISTS searches_search_nocase ON searches (search COLLATE NOCASE)",
      // The previews' newest rows, without sorting the whole table at every start.
      "CREATE INDEX IF NOT EXISTS websites_date ON websites (Date)",
      "CREATE INDEX IF NOT EXISTS faxes_date ON faxes (Date)",
  };
  QSqlQuery query(db);
  for (const char* statement : kIndexes) Exec(query, QString::fromLatin1(statement));
}

bool AddVisitedTable(QSqlDatabase& db) {
  QSqlQuery query(db);
  if (!Exec(query,
            QStringLiteral("CREATE TABLE IF NOT EXISTS visited (website TEXT, search TEXT)")))
    return false;
  Exec(query, QStringLiteral("CREATE INDEX IF NOT EXISTS visited_website_nocase ON visited "
                             "(website COLLATE NOCASE, search)"));
  return true;
}

bool AddResultSitesTable(QSqlDatabase& db) {
  QSqlQuery query(db);
  if (!Exec(query,
            QStringLiteral("CREATE TABLE IF NOT EXISTS result_sites (site TEXT, search TEXT, "
                           "queued INTEGER, taken INTEGER)")))
    return false;
  // A site's counts change at nearly every page: found by index, not by reading every row.
  Exec(query, QStringLiteral(
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
