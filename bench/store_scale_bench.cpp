// What a big spider.mdb costs the store: builds (once) a file with many queued websites, pages
// read under the current search string and stored numbers, then measures in a fresh process
// what the program does with it at start and during a crawl, and prints one figure per line.
//
//   store_scale_bench --dir DIR --websites N --visited N --faxes N
//
// DIR/spider.mdb is built when it does not hold exactly these counts yet (the build's time is
// printed too). Figures: the open and the start's three previews (time, and the resident
// memory they add), the first WebsiteKnown and VisitedKnown (which may read a table into
// memory) and their cost per call afterwards, for texts known and not, and the resident memory
// then; the fax table's listings (sorted, filtered) and pages, and the exports of every number.
// Resident memory is the process's VmRSS; the program's window adds its own on top.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <string>

#include <sqlite3.h>

#include "bench_figures.h"
#include "export/stored_fax_export.h"
#include "store/spider_database.h"

namespace {

using norvane::bench::Print;
using norvane::bench::ResidentMiB;

using norvane::SpiderDatabase;

constexpr char kSearch[] = "plumbers";

std::string Website(long long n) {
  return "host" + std::to_string(n % 1000003) + ".example/page" + std::to_string(n) + ".html";
}

long long Count(sqlite3* db, const char* table) {
  sqlite3_stmt* statement = nullptr;
  long long count = -1;
  const std::string sql = std::string("SELECT count(*) FROM ") + table;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW)
    count = sqlite3_column_int64(statement, 0);
  sqlite3_finalize(statement);
  return count;
}

// Rows straight into the file, in one transaction per table, with the store's own schema.
bool Build(const QString& path, long long websites, long long visited, long long faxes) {
  QFile::remove(path);
  for (const char* suffix : {"-wal", "-shm"}) QFile::remove(path + QLatin1String(suffix));
  {
    SpiderDatabase store(path);
    if (!store.open() || !store.AddVisitedTable()) return false;
    QString search = QString::fromLatin1(kSearch);
    store.AddSearch(search);
  }
  sqlite3* db = nullptr;
  if (sqlite3_open(path.toLocal8Bit().constData(), &db) != SQLITE_OK) return false;
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144",
               nullptr, nullptr, nullptr);
  auto fill = [db](const char* sql, long long rows, auto bind) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &insert, nullptr);
    for (long long n = 0; n < rows; ++n) {
      bind(insert, n);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  };
  auto text = [](sqlite3_stmt* s, int column, const std::string& value) {
    sqlite3_bind_text(s, column, value.c_str(), int(value.size()), SQLITE_TRANSIENT);
  };
  const bool built =
      fill("INSERT INTO websites (website, Date) VALUES (?, '2020-01-01 00:00:00')", websites,
           [&](sqlite3_stmt* s, long long n) { text(s, 1, Website(n)); }) &&
      fill("INSERT INTO visited (website, search) VALUES (?, ?)", visited,
           [&](sqlite3_stmt* s, long long n) {
             text(s, 1, Website(n + websites));
             text(s, 2, kSearch);
           }) &&
      fill("INSERT INTO faxes (fax, Date, website, search, location) VALUES (?, ?, ?, ?, ?)", faxes,
           [&](sqlite3_stmt* s, long long n) {
             char fax[32];
             std::snprintf(fax, sizeof fax, "1-%03lld-%03lld-%04lld", 201 + n % 700,
                           200 + (n / 10000) % 800, n % 10000);
             text(s, 1, fax);
             text(s, 2, "2020-01-01 00:00:00");
             text(s, 3, Website(n));
             text(s, 4, kSearch);
             text(s, 5, "New Jersey");
           });
  sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return built;
}

bool HoldsCounts(const QString& path, long long websites, long long visited, long long faxes) {
  if (!QFileInfo::exists(path)) return false;
  sqlite3* db = nullptr;
  const bool open = sqlite3_open_v2(path.toLocal8Bit().constData(), &db, SQLITE_OPEN_READONLY,
                                    nullptr) == SQLITE_OK;
  const bool same = open && Count(db, "websites") == websites && Count(db, "visited") == visited &&
                    Count(db, "faxes") == faxes;
  sqlite3_close(db);
  return same;
}

// Microseconds per call of `lookup` over `calls` texts made by `text(k)`.
template <typename Lookup, typename Text>
double PerCall(int calls, Lookup lookup, Text text) {
  QElapsedTimer clock;
  clock.start();
  int found = 0;
  for (int k = 0; k < calls; ++k) found += lookup(text(k)) ? 1 : 0;
  const double us = double(clock.nsecsElapsed()) / 1000.0 / calls;
  if (found < 0) std::printf("%d\n", found);  // keeps the calls
  return us;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString dir;
  long long websites = 0, visited = 0, faxes = 0;
  for (int k = 1; k + 1 < argc; k += 2) {
    const QByteArray name = argv[k];
    const QByteArray value = argv[k + 1];
    if (name == "--dir") dir = QString::fromLocal8Bit(value);
    if (name == "--websites") websites = value.toLongLong();
    if (name == "--visited") visited = value.toLongLong();
    if (name == "--faxes") faxes = value.toLongLong();
  }
  if (dir.isEmpty()) {
    std::fprintf(stderr, "usage: store_scale_bench --dir DIR --websites N --visited N --faxes N\n");
    return 2;
  }
  QDir().mkpath(dir);
  const QString path = dir + QStringLiteral("/spider.mdb");
  QElapsedTimer clock;
  if (!HoldsCounts(path, websites, visited, faxes)) {
    clock.start();
    if (!Build(path, websites, visited, faxes)) {
      std::fprintf(stderr, "could not build %s\n", qPrintable(path));
      return 1;
    }
    Print("build the file (s)", clock.elapsed() / 1000.0, "s");
    // The figures come from a fresh process, without the build's memory.
    return QProcess::execute(QCoreApplication::applicationFilePath(), app.arguments().mid(1));
  }
  std::printf("file: %lld websites, %lld visited, %lld numbers, %.1f MiB\n", websites, visited,
              faxes, QFileInfo(path).size() / 1048576.0);
  const double base = ResidentMiB();
  Print("resident before the store", base, "MiB");

  SpiderDatabase store(path);
  clock.start();
  if (!store.open()) return 1;
  Print("open", clock.nsecsElapsed() / 1e6, "ms");
  QStringList shownFaxes, shownSearches, shownWebsites;
  clock.start();
  store.LoadFaxList(shownFaxes);
  store.LoadSearchList(shownSearches);
  Print("the start's number and search previews", clock.nsecsElapsed() / 1e6, "ms");
  clock.start();
  // The start moves the newest 20 websites into its preview; they go back so that a second run
  // finds the same file.
  store.LoadWebsiteList(shownWebsites);
  Print("the start's website preview", clock.nsecsElapsed() / 1e6, "ms");
  clock.start();
  store.CountWebsites();
  Print("CountWebsites (every queued row)", clock.nsecsElapsed() / 1e6, "ms");
  // What the stop of a harvest asks: more queued than the (here 1,000) websites kept?
  clock.start();
  store.CountWebsitesUpTo(1001);
  Print("CountWebsitesUpTo 1,001 (Resume's test)", clock.nsecsElapsed() / 1e6, "ms");
  Print("resident added by the start", ResidentMiB() - base, "MiB");
  for (QString website : shownWebsites) store.AddWebsite(website);
  // The crawl asks inside its shared transaction.
  store.setCrawlBatch(true);
  store.beginBatch();

  clock.start();
  QString first = QString::fromStdString(Website(1));
  store.WebsiteKnown(first);
  Print("first WebsiteKnown", clock.nsecsElapsed() / 1e6, "ms");
  clock.start();
  store.VisitedKnown(QString::fromStdString(Website(websites + 1)), QString::fromLatin1(kSearch));
  Print("first VisitedKnown", clock.nsecsElapsed() / 1e6, "ms");
  constexpr int kCalls = 200000;
  const long long span = std::max<long long>(websites, 1);
  Print("WebsiteKnown, known (per call)",
        PerCall(
            kCalls, [&](QString site) { return store.WebsiteKnown(site); },
            [&](int k) { return QString::fromStdString(Website((k * 7919LL) % span)); }),
        "us");
  Print("WebsiteKnown, new (per call)",
        PerCall(
            kCalls, [&](QString site) { return store.WebsiteKnown(site); },
            [&](int k) { return QStringLiteral("new%1.example/x").arg(k); }),
        "us");
  const long long visitedSpan = std::max<long long>(visited, 1);
  Print("VisitedKnown, read (per call)",
        PerCall(
            kCalls,
            [&](const QString& a) { return store.VisitedKnown(a, QString::fromLatin1(kSearch)); },
            [&](int k) {
              return QString::fromStdString(Website(websites + (k * 7919LL) % visitedSpan));
            }),
        "us");
  Print("VisitedKnown, not read (per call)",
        PerCall(
            kCalls,
            [&](const QString& a) { return store.VisitedKnown(a, QString::fromLatin1(kSearch)); },
            [&](int k) { return QStringLiteral("new%1.example/x").arg(k); }),
        "us");
  Print("resident after the crawl's lookups", ResidentMiB() - base, "MiB added");
  store.endBatch();
  store.setCrawlBatch(false);

  // The fax table: the ids of its listing (the first one newest first), then its first page.
  using norvane::FaxField;
  struct Listing {
    const char* what;
    norvane::FaxListing listing;
  };
  const Listing listings[] = {
      {"fax table: list, newest first", {{}, FaxField::kDate, true}},
      {"fax table: list, by number", {{}, FaxField::kFax, false}},
      {"fax table: list, by region", {{}, FaxField::kLocation, false}},
      {"fax table: list, by website, descending", {{}, FaxField::kWebsite, true}},
      {"fax table: list, filtered \"555-12\"", {QStringLiteral("555-12"), FaxField::kDate, true}},
      {"fax table: list, filtered \"jersey\"", {QStringLiteral("jersey"), FaxField::kDate, true}},
  };
  for (const Listing& l : listings) {
    clock.start();
    const QList<qint64> ids = store.FaxRowIds(l.listing);
    Print(l.what, clock.nsecsElapsed() / 1e6, "ms");
    if (&l == &listings[0]) {
      clock.start();
      store.ReadFaxRows(ids.mid(0, 256));
      Print("fax table: its first page of rows", clock.nsecsElapsed() / 1e6, "ms");
      clock.start();
      store.ReadFaxRows(ids.mid(ids.size() / 2, 256));
      Print("fax table: a page in the middle", clock.nsecsElapsed() / 1e6, "ms");
      Print("resident with the listing", ResidentMiB() - base, "MiB added");
    }
  }
  const QString target = dir + QStringLiteral("/export.txt");
  clock.start();
  const auto written = norvane::ExportStoredFaxes(store, {}, target, {false, QStringLiteral(";")});
  Print("export every number, separated", clock.nsecsElapsed() / 1e6, "ms");
  clock.start();
  norvane::ExportStoredFaxes(store, {}, target, {true, {}});
  Print("export every number, CSV", clock.nsecsElapsed() / 1e6, "ms");
  Print("resident after the exports", ResidentMiB() - base, "MiB added");
  if (written.value_or(-1) != faxes) std::fprintf(stderr, "the export missed numbers\n");
  QFile::remove(target);
  return 0;
}
