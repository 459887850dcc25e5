#include "store/spider_schema.h"

#include <QDateTime>
#include <QSqlQuery>

namespace norvane {

bool CreateSpiderTables(QSqlDatabase& db) {
  static const char* const kTables[] = {
      "CREATE TABLE faxes (fax TEXT, Date TEXT, website TEXT, search TEXT, location TEXT)",
      "CREATE TABLE websites (website TEXT, Date TEXT)",
      "CREATE TABLE searches (search TEXT)",
  };
  if (!db.transaction()) return false;
  QSqlQuery query(db);
  for (const char* statement : kTables) {
    if (!query.exec(QString::fromLatin1(statement))) {
      query.finish();
      db.rollback();
      return false;
    }
  }
  return db.commit();
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
  for (const char* statement : kIndexes) query.exec(QString::fromLatin1(statement));
}

bool AddVisitedTable(QSqlDatabase& db) {
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS visited (website TEXT, search TEXT)")))
    return false;
  query.exec(
      QStringLiteral("CREATE INDEX IF NOT EXISTS visited_website_nocase ON visited "
                     "(website COLLATE NOCASE, search)"));
  return true;
}

bool AddResultSitesTable(QSqlDatabase& db) {
  QSqlQuery query(db);
  return query.exec(QStringLiteral(
      "CREATE TABLE IF NOT EXISTS result_sites (site TEXT, search TEXT, queued INTEGER, "
      "taken INTEGER)"));
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
