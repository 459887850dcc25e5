// A child process for the crash tests, writing into the file named on its command line until it
// is killed:
//   spider_writer FILE          stores rows one operation at a time and prints the number of each
//                               finished round;
//   spider_writer FILE fax      queues a few websites in the crawl's batch, stores one number,
//                               prints "STORED" once AddFax returned, then only waits;
//   spider_writer FILE spill    commits one transaction larger than the page cache that changes
//                               its spilled pages again, prints "COMMITTED <rows> <spills>" once
//                               COMMIT returned, then only waits.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <sqlite3.h>

#include "store/spider_database.h"

namespace {

[[noreturn]] void WaitToBeKilled() {
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

int StoreRounds(norvane::SpiderDatabase& db) {
  for (int round = 0; round < 1000000; ++round) {
    QString fax = QStringLiteral("1-212-%1").arg(round, 8, 10, QLatin1Char('0'));
    QString search = QStringLiteral("search %1").arg(round);
    QString site = QStringLiteral("site%1.example").arg(round);
    db.AddFax(fax, site, search, QStringLiteral("New York"));
    db.AddWebsite(site);
    db.AddSearch(search);
    std::printf("%d\n", round);
    std::fflush(stdout);
  }
  return 0;
}

void StoreOneNumber(norvane::SpiderDatabase& db) {
  db.setCrawlBatch(true);
  db.beginBatch();
  for (int k = 0; k < 5; ++k) {
    QString site = QStringLiteral("queued%1.example").arg(k);
    db.AddWebsite(site);
  }
  QString fax = QStringLiteral("1-973-555-0199");
  QString search = QStringLiteral("plumbers");
  db.AddFax(fax, QStringLiteral("queued0.example"), search, QStringLiteral("New Jersey"));
  std::printf("STORED %s\n", db.lastChangeStored() ? "yes" : "no");
  std::fflush(stdout);
  WaitToBeKilled();
}

// On a connection of SQLite's own, opened after the store (and whatever it sets up for every
// connection) and with the store's journal settings, as the store's statements would run.
int CommitSpillingTransaction(const QString& path) {
  sqlite3* db = nullptr;
  const std::string file = path.toStdString();
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 4;
  auto exec = [db](const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  };
  constexpr int kRows = 3000;
  // Ten pages of cache against about 400 pages of rows: the transaction spills to the WAL.
  if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=NORMAL") ||
      !exec("PRAGMA cache_size=10") || !exec("CREATE TABLE IF NOT EXISTS bulk (n INTEGER, v TEXT)"))
    return 5;
  if (!exec("BEGIN")) return 6;
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO bulk (n, v) VALUES (?, ?)", -1, &insert, nullptr);
  const std::string filler(500, 'x');
  for (int n = 0; n < kRows; ++n) {
    sqlite3_bind_int(insert, 1, n);
    sqlite3_bind_text(insert, 2, filler.c_str(), int(filler.size()), SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) return 7;
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  // Every page written to the WAL by the spills is changed again.
  if (!exec("UPDATE bulk SET v = upper(v)") || !exec("COMMIT")) return 8;
  int spills = 0;
  int highest = 0;
  sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_SPILL, &spills, &highest, 0);
  std::printf("COMMITTED %d %d\n", kRows, spills);
  std::fflush(stdout);
  WaitToBeKilled();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString path = QString::fromLocal8Bit(argv[1]);
  norvane::SpiderDatabase db(path);
  if (!db.open()) return 3;
  const char* mode = argc > 2 ? argv[2] : "";
  if (std::strcmp(mode, "fax") == 0) StoreOneNumber(db);
  if (std::strcmp(mode, "spill") == 0) return CommitSpillingTransaction(path);
  return StoreRounds(db);
}
