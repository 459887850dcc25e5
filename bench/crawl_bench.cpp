// Speed of the whole crawl: the real main window, offscreen, crawling a local web until it has
// completed a given number of page fetches. Prints pages per second, CPU milliseconds per page
// and peak memory for one run; bench/crawl_bench.sh serves the web, runs this once per table
// size (peak memory is per process) and compares with wget2.
//
//   crawl_bench --app-dir DIR (--root WEBSITE | --roots FILE) [--extra-rows N --extra-list FILE]
//               [--visited-rows N] [--seed-cache DIR] [--fetches 2000] [--stall-limit 30]
//               [--time-limit 600] [--hidden]
//               [--whole-web] [--connections N] [--lookup-delay MIN-MAX]
//   crawl_bench --free-port    prints a TCP port on 127.0.0.1 where nothing listens
//
// --roots names a file of websites, one a line, queued in that order (every host's root, as
// wget2 is given them). --whole-web turns "Skip Pages Already Read" on and runs until the queue
// runs dry (or a limit ends the run): RESULT then says ran_dry=1 when it did. --connections
// chooses "Web" > "Connections". --lookup-delay looks every name up through the crawl's lookup
// seam, answering after MIN to MAX milliseconds (the same for a host every time), as lookups
// cost on the web; RESULT then says how many lookups there were, how many ran at once at most,
// and how late (beyond their delay) they were answered on average.
//
// Every connection goes to NORVANE_CONNECT_TO (HOST:PORT), which must name 127.0.0.1: the run
// refuses to start otherwise, so a mistake never sends the crawl out to the hosts of the web.
//
// --extra-rows N queues N rows before the roots: the lines of --extra-list first, then, when it
// holds fewer, rows of websites the crawl never reaches (its takes do not get past the first
// few thousand rows), so that a table of ten million rows needs no list of ten million lines.
// --visited-rows N puts N such rows into the table of pages read. --seed-cache DIR keeps the
// seeded spider.mdb of each table size in DIR and copies it from there in later runs: seeding
// ten million rows takes minutes.
//
// This is one timed run rather than a Google Benchmark loop: a crawl cannot be repeated inside
// one process without the state of the previous iteration (database, slow hosts, peak memory).

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "app/form1.h"
#include "common/app_folder.h"
#include "common/version_info.h"
#include "desktop/message_box.h"
#include "harvest/fetch/page_fetcher.h"
#include "store/spider_database.h"

namespace {

using norvane::Form1;
using norvane::SpiderDatabase;

struct Options {
  QString appDir;
  QString root;
  QString rootList;
  int extraRows = 0;
  QString extraList;
  int visitedRows = 0;
  QString seedCache;
  int fetches = 2000;
  int stallLimitSeconds = 30;
  int timeLimitSeconds = 600;
  bool hidden = false;
  bool wholeWeb = false;
  int connections = 0;   // 0: as the settings say
  int lookupMinMs = -1;  // -1: no delayed lookups
  int lookupMaxMs = -1;
};

std::optional<Options> ParseOptions(const QStringList& args) {
  Options o;
  const std::pair<const char*, QString*> texts[] = {{"--app-dir", &o.appDir},
                                                    {"--root", &o.root},
                                                    {"--roots", &o.rootList},
                                                    {"--extra-list", &o.extraList},
                                                    {"--seed-cache", &o.seedCache}};
  const std::pair<const char*, int*> numbers[] = {{"--extra-rows", &o.extraRows},
                                                  {"--visited-rows", &o.visitedRows},
                                                  {"--fetches", &o.fetches},
                                                  {"--stall-limit", &o.stallLimitSeconds},
                                                  {"--time-limit", &o.timeLimitSeconds},
                                                  {"--connections", &o.connections}};
  for (qsizetype k = 1; k < args.size(); ++k) {
    const QString& a = args[k];
    if (a == QLatin1String("--hidden")) {
      o.hidden = true;
      continue;
    }
    if (a == QLatin1String("--whole-web")) {
      o.wholeWeb = true;
      continue;
    }
    if (k + 1 >= args.size()) return std::nullopt;
    const QString value = args[++k];
    if (a == QLatin1String("--lookup-delay")) {
      const QStringList range = value.split(QLatin1Char('-'));
      if (range.size() != 2) return std::nullopt;
      o.lookupMinMs = range[0].toInt();
      o.lookupMaxMs = range[1].toInt();
      if (o.lookupMinMs < 0 || o.lookupMaxMs < o.lookupMinMs) return std::nullopt;
      continue;
    }
    bool known = false;
    for (const auto& [name, field] : texts)
      if (a == QLatin1String(name)) *field = value, known = true;
    for (const auto& [name, field] : numbers) {
      if (a != QLatin1String(name)) continue;
      bool ok = false;
      *field = value.toInt(&ok);
      if (!ok) return std::nullopt;
      known = true;
    }
    if (!known) return std::nullopt;
  }
  if (o.appDir.isEmpty() || o.root.isEmpty() == o.rootList.isEmpty() || o.fetches <= 0 ||
      o.timeLimitSeconds <= 0 || o.stallLimitSeconds <= 0 || o.extraRows < 0 ||
      (o.extraRows > 0 && o.extraList.isEmpty()))
    return std::nullopt;
  return o;
}

// Only a local server may receive the crawl's connections.
bool ConnectsLocallyOnly() {
  const QString hook = qEnvironmentVariable("NORVANE_CONNECT_TO");
  return hook.startsWith(QLatin1String("127.0.0.1:")) && hook.mid(10).toUInt() > 0;
}

double Seconds(const timeval& t) {
  return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

struct Usage {
  double cpuSeconds;
  double systemSeconds;  // the kernel's part of cpuSeconds: sockets, files, the WAL
  long maxRssKb;
  double windowCpuSeconds;  // the window's thread alone, which sets the pace of all ten sockets
  std::pair<double, double> machine;  // idle and total jiffies of the whole machine
};

// The machine's idle and total jiffies so far, from /proc/stat.
std::pair<double, double> MachineJiffies() {
  std::FILE* f = std::fopen("/proc/stat", "r");
  if (!f) return {0, 0};
  double v[8] = {};
  const int n = std::fscanf(f, "cpu %lf %lf %lf %lf %lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3],
                            &v[4], &v[5], &v[6], &v[7]);
  std::fclose(f);
  if (n < 5) return {0, 0};
  double total = 0;
  for (double x : v) total += x;
  return {v[3] + v[4], total};
}

// Called on the window's thread.
Usage Now() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  rusage t{};
  getrusage(RUSAGE_THREAD, &t);
  return {Seconds(u.ru_utime) + Seconds(u.ru_stime), Seconds(u.ru_stime), u.ru_maxrss,
          Seconds(t.ru_utime) + Seconds(t.ru_stime), MachineJiffies()};
}

void StoreSetting(const char* key, const char* value) {
  QSettings settings(QStringLiteral("Norvane"), QStringLiteral("Norvane"));
  settings.setValue(QStringLiteral("Settings/") + QLatin1String(key), QLatin1String(value));
}

// No sound (the found-fax sound would block the loop), no help window, no automatic change of
// search string: the crawl runs on one search string until the bench stops it. The web is
// plain HTTP and wget2 is not polite either; "Skip Pages Already Read" only for the whole web.
void QuietSettings(bool skipRead) {
  for (const char* key : {"chkAudioEmail", "chkAudioNext", "chkAudioFinished", "chkAuto",
                          "mnuSecureWeb", "mnuPolite"})
    StoreSetting(key, "0");
  StoreSetting("mnuSkipRead", skipRead ? "1" : "0");
  // BENCH_SKIP_READ=1 skips the pages read already, as the window does by default: on a web whose
  // pages link to each other the crawl otherwise reads some of them again (wget2 never does).
  const QByteArray skip = qgetenv("BENCH_SKIP_READ");
  if (skip == "0" || skip == "1") StoreSetting("mnuSkipRead", skip.constData());
  StoreSetting("showHelp", "0");
  // BENCH_POLITE=1 turns "Polite Crawl" on, to measure what robots.txt and the rule of two cost.
  const QByteArray polite = qgetenv("BENCH_POLITE");
  if (polite == "0" || polite == "1") StoreSetting("mnuPolite", polite.constData());
  // BENCH_ALL_LINKS=0 reads a link a line, as the crawl did before "All Links of a Page".
  const QByteArray allLinks = qgetenv("BENCH_ALL_LINKS");
  if (allLinks == "0" || allLinks == "1") StoreSetting("mnuAllLinks", allLinks.constData());
  // BENCH_STAY=0 lets the crawl leave the roots' sites, as wget2 -H does.
  const QByteArray stay = qgetenv("BENCH_STAY");
  if (stay == "0" || stay == "1") StoreSetting("mnuStaySites", stay.constData());
  // BENCH_SITE_PAGES=N reads at most N pages of a site ("Pages per Site"; 0: no limit).
  const QByteArray sitePages = qgetenv("BENCH_SITE_PAGES");
  if (!sitePages.isEmpty()) StoreSetting("sitePageLimit", sitePages.constData());
  // BENCH_THOROUGH=0 runs the classic fax scan instead of "Thorough Fax Scan", the window's
  // default, to compare the two.
  StoreSetting("mnuThoroughScan", qgetenv("BENCH_THOROUGH") == "0" ? "0" : "1");
}

std::optional<QStringList> ReadLines(const QString& path, int limit) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QStringList lines;
  while (!file.atEnd() && lines.size() < limit) {
    const QString line = QString::fromLatin1(file.readLine()).trimmed();
    if (!line.isEmpty()) lines << line;
  }
  return lines;
}

// Rows of websites the crawl never reaches, queued and read, in the order of the website index
// so that ten million go in within a minute; none is a page of the local web or linked from one.
bool InsertFillerRows(QSqlDatabase& db, int queued, int visited) {
  const QString numbers = QStringLiteral(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ");
  QSqlQuery query(db);
  if (queued > 0 &&
      !query.exec(numbers.arg(queued) +
                  QStringLiteral("INSERT INTO websites (website, Date) SELECT 'filler' || "
                                 "substr('000000000' || i, -9) || '.invalid/', "
                                 "'2000-01-01 00:00:00' FROM n")))
    return false;
  return visited <= 0 ||
         query.exec(numbers.arg(visited) +
                    QStringLiteral("INSERT INTO visited (website, search) SELECT 'filler' || "
                                   "substr('000000000' || i, -9) || '.invalid/', 'plumbers' "
                                   "FROM n"));
}

// The queue before Start Search.
//
// Start Search moves the 20 newest rows (by Date) into List2 and every take then moves the
// first row of the table (insertion order) to the end of List2, so any row in the table is
// reached after a few dozen takes; there is no way to park rows where the crawl never comes
// without changing the program. The extra rows are therefore real pages of the local web:
// "hNNN.test/x/K/pMM.html" serves the same bytes as "hNNN.test/pMM.html" (the server rewrites
// it), the pages link only absolutely or from the root, so a copy finds exactly the links of
// its original, and no page links to an "/x/" address, so the rows never make a link look
// known. Each run thus fetches the same kind of pages with the same links; only the table is
// bigger: with 100,000 rows it still holds more than 98,000 when the 2,000th page is done.
//
// The extra rows go in first, with an old Date, in one transaction straight into the file;
// then the roots, newer, and the search string through the store. Start Search moves the 20
// newest rows into List2 and drops its entry 0 (the website handed out last), so a placeholder
// goes in as the 20th newest row: every root is fetched.
bool SeedDatabase(const Options& o, QString* error) {
  const QString file = norvane::AppFile(QStringLiteral("spider.mdb"));
  QFile::remove(file);
  const QString cached = o.seedCache.isEmpty() ? QString()
                                               : QStringLiteral("%1/spider-%2-%3.mdb")
                                                     .arg(o.seedCache)
                                                     .arg(o.extraRows)
                                                     .arg(o.visitedRows);
  if (!cached.isEmpty() && QFile::exists(cached)) return QFile::copy(cached, file);
  {
    SpiderDatabase db(file);
    if (!db.open() || (o.visitedRows > 0 && !db.AddVisitedTable())) {
      *error = QStringLiteral("cannot create ") + file;
      return false;
    }
  }
  QStringList roots{o.root};
  if (!o.rootList.isEmpty()) {
    const auto listed = ReadLines(o.rootList, INT32_MAX);
    if (!listed || listed->isEmpty()) {
      *error = QStringLiteral("no websites in ") + o.rootList;
      return false;
    }
    roots = *listed;
  }
  roots.insert(std::max<qsizetype>(0, roots.size() - 19), QStringLiteral("first.dropped"));
  QStringList rows;
  if (o.extraRows > 0) {
    const auto listed = ReadLines(o.extraList, o.extraRows);
    if (!listed) {
      *error = QStringLiteral("cannot read ") + o.extraList;
      return false;
    }
    rows = *listed;
  }
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bench-seed");
    db.setDatabaseName(file);
    if (!db.open() || !db.transaction()) {
      *error = QStringLiteral("cannot open ") + file;
      return false;
    }
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO websites (website, Date) VALUES (?, ?)"));
    const auto date = [&](qsizetype k) {
      return QLatin1String(k < rows.size() ? "2000-01-01 00:00:00" : "2001-01-01 00:00:00");
    };
    const QStringList all = rows + roots;
    for (qsizetype k = 0; k < all.size(); ++k) {
      if (k == rows.size() &&
          !InsertFillerRows(db, o.extraRows - int(rows.size()), o.visitedRows)) {
        *error = QStringLiteral("cannot insert the filler rows");
        return false;
      }
      insert.addBindValue(all[k]);
      insert.addBindValue(date(k));
      if (!insert.exec()) {
        *error = QStringLiteral("cannot insert the queue");
        return false;
      }
    }
    insert.finish();
    if (!db.commit()) {
      *error = QStringLiteral("cannot commit the queue");
      return false;
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("bench-seed"));
  {
    SpiderDatabase db(file);
    QString search = QStringLiteral("plumbers");
    db.AddSearch(search);
  }
  return cached.isEmpty() || QFile::copy(file, cached);
}

struct LookupFigures {
  int asked = 0;
  int inFlight = 0;
  int mostAtOnce = 0;
  double lateMsSum = 0;  // beyond each lookup's own delay
};

// Every name resolves, after a delay of its own between the bounds; the address it gives is
// never used, because every connection goes to NORVANE_CONNECT_TO.
void InstallDelayedLookups(Form1& form, const Options& o, LookupFigures& figures) {
  form.controller().fetcher().setHostLookup(
      [&figures, o](const QString& host, QObject* context,
                    std::function<void(const QList<QHostAddress>&)> done) {
        const int span = o.lookupMaxMs - o.lookupMinMs + 1;
        const int delay = o.lookupMinMs + int(qHash(host.toLower(), 7u) % uint(span));
        ++figures.asked;
        figures.mostAtOnce = std::max(figures.mostAtOnce, ++figures.inFlight);
        QElapsedTimer asked;
        asked.start();
        QTimer::singleShot(delay, context, [&figures, done, delay, asked] {
          --figures.inFlight;
          figures.lateMsSum += double(asked.elapsed() - delay);
          done({QHostAddress(QStringLiteral("192.0.2.1"))});
        });
      });
}

int FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 1;
  std::printf("%u\n", unsigned(probe.serverPort()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(norvane::version::kProductName));
  QApplication::setOrganizationName(QString::fromUtf8(norvane::version::kProductName));
  const QStringList args = QApplication::arguments();
  if (args.size() == 2 && args[1] == QLatin1String("--free-port")) return FreePort();

  const std::optional<Options> options = ParseOptions(args);
  if (!options) {
    std::fprintf(stderr,
                 "usage: crawl_bench --app-dir DIR (--root WEBSITE | --roots FILE) [--extra-rows N "
                 "--extra-list FILE] [--fetches N] [--stall-limit S] [--time-limit S] [--hidden] "
                 "[--whole-web]\n"
                 "       crawl_bench --free-port\n");
    return 64;
  }
  const Options& o = *options;
  if (!ConnectsLocallyOnly()) {
    std::fprintf(stderr, "crawl_bench: NORVANE_CONNECT_TO must be 127.0.0.1:PORT\n");
    return 64;
  }

  // The user's own settings stay untouched: this run keeps its options in a folder of its own.
  QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  norvane::SetAppFolder(o.appDir);
  norvane::MessageBox::setTestMode(true);
  QuietSettings(o.wholeWeb);
  if (o.connections > 0)
    StoreSetting("crawlConnections", qPrintable(QString::number(o.connections)));

  QString error;
  if (!SeedDatabase(o, &error)) {
    std::fprintf(stderr, "crawl_bench: %s\n", qPrintable(error));
    return 1;
  }

  Form1 form;
  // BENCH_HOST_LIMIT=10 lifts the polite crawl's rule of two (ten sockets is no limit), so
  // that the rule's cost can be told from robots.txt's.
  if (const int limit = qEnvironmentVariableIntValue("BENCH_HOST_LIMIT"); limit > 0)
    form.controller().setPoliteFetchesPerHost(limit);
  LookupFigures lookups;
  if (o.lookupMinMs >= 0) InstallDelayedLookups(form, o, lookups);
  form.Form_Load();
  if (!o.hidden) form.show();
  QApplication::processEvents();
  if (form.chkAudioEmail->isChecked() || form.chkAuto->isChecked()) {
    std::fprintf(stderr, "crawl_bench: the quiet options did not take\n");
    return 1;
  }
  const long rssBeforeKb = Now().maxRssKb;

  // The counter is polled: a check on every completed page would need a hook in the program.
  // 5 ms of polling granularity is far below the run's length.
  QElapsedTimer clock;
  std::optional<double> doneAt;
  Usage start{};
  Usage end{};
  int fetched = 0;
  qint64 lastProgressMs = 0;
  // How many of the ten sockets have a fetch in progress, sampled at every poll: far below ten
  // means the crawl waits for its own takes rather than for the server.
  qint64 busySamples = 0;
  qint64 busySum = 0;
  bool timedOut = false;
  bool ranDry = false;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (doneAt) return;
    for (int16_t i = 0; i < form.controller().fetcher().socketCount(); ++i)
      busySum += form.controller().fetcher().isFetching(i);
    ++busySamples;
    const int now = form.controller().statistics().lSessionScanned;
    if (now != fetched) lastProgressMs = clock.elapsed();
    fetched = now;
    const bool enough = !o.wholeWeb && fetched >= o.fetches;
    // A crawl that stops making progress, or runs far too long, ends the run.
    timedOut = clock.elapsed() - lastProgressMs > qint64(o.stallLimitSeconds) * 1000 ||
               clock.elapsed() > qint64(o.timeLimitSeconds) * 1000;
    const bool dry = !form.controller().bHarvesting;
    ranDry = dry && !timedOut;
    if (!enough && !timedOut && !dry) return;
    doneAt = double(clock.nsecsElapsed()) / 1e9;
    end = Now();
    poll.stop();
    // Stop unwinds every step that is still running nested in the yields.
    if (form.controller().bHarvesting) form.cmdStop_Click();
    loop.quit();
  });

  start = Now();
  clock.start();
  poll.start();
  // The crawl's steps yield to the event loop, so the whole run may take place inside this
  // click (it does when the queue starts long): the loop below is only for what is left.
  form.cmdDoSearch_Click();
  if (!doneAt) loop.exec();

  const double seconds = *doneAt;
  const double cpu = end.cpuSeconds - start.cpuSeconds;
  const double windowCpu = end.windowCpuSeconds - start.windowCpuSeconds;
  const double systemCpu = end.systemSeconds - start.systemSeconds;
  // How much of both cores nothing used while the crawl ran (the server and X included).
  const double machineTotal = end.machine.second - start.machine.second;
  const double idle =
      machineTotal > 0 ? (end.machine.first - start.machine.first) / machineTotal : 0.0;
  const qint32 tableRows = form.database().CountWebsites();
  std::printf(
      "RESULT window=%s extra_rows=%d fetches=%d seconds=%.3f pages_per_s=%.1f "
      "cpu_ms_per_page=%.3f system_ms_per_page=%.3f window_cpu_ms_per_page=%.3f "
      "wall_ms_per_page=%.3f peak_rss_mb=%.1f rss_before_start_mb=%.1f found=%d faxes=%d "
      "table_rows_at_end=%d busy_sockets=%.2f machine_idle=%.2f timed_out=%d whole_web=%d "
      "ran_dry=%d lookups=%d lookups_at_once=%d lookup_late_ms=%.1f\n",
      o.hidden ? "hidden" : "shown", o.extraRows, fetched, seconds, fetched / seconds,
      fetched ? cpu * 1000.0 / fetched : 0.0, fetched ? systemCpu * 1000.0 / fetched : 0.0,
      fetched ? windowCpu * 1000.0 / fetched : 0.0,
      fetched ? seconds * 1000.0 / fetched : 0.0, double(end.maxRssKb) / 1024.0,
      double(rssBeforeKb) / 1024.0, form.controller().statistics().lSessionFound,
      form.controller().statistics().lSessionFaxes, tableRows,
      busySamples ? double(busySum) / double(busySamples) : 0.0, idle, int(timedOut),
      int(o.wholeWeb), int(ranDry), lookups.asked, lookups.mostAtOnce,
      lookups.asked ? lookups.lateMsSum / lookups.asked : 0.0);
  if (o.wholeWeb) {
    if (!ranDry) std::fprintf(stderr, "crawl_bench: the whole web did not run dry\n");
    return ranDry ? 0 : 2;
  }
  if (fetched < o.fetches) {
    std::fprintf(stderr, "crawl_bench: only %d of %d fetches (%s)\n", fetched, o.fetches,
                 timedOut ? "time limit" : "queue ran dry");
    return 2;
  }
  return 0;
}
