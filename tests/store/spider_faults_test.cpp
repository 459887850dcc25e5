// spider.mdb under faults from outside: another program's locks, and the program being killed.
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <chrono>
#include <memory>
#include <thread>

#include "store/lock_holder.h"
#include "store/shown_lists.h"
#include "store/spider_database.h"
#include "store/spider_probe.h"
#include "support/log_capture.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

using testing::BackOffPeriod;
using testing::BusyTimeout;
using testing::LockHolder;
using testing::ShownLists;
using testing::SpiderProbe;

class SpiderFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    SpiderDatabase db(path);
    ASSERT_TRUE(db.open());
    for (QString s : {QStringLiteral("plumbers"), QStringLiteral("roofers")}) db.AddSearch(s);
    QString fax = QStringLiteral("1-201-555-0100");
    QString search = QStringLiteral("plumbers");
    db.AddFax(fax, QStringLiteral("a.com"), search, QStringLiteral("NJ"));
  }

  norvane::testing::TempAppFolder folder;
  QString path = folder.file(QStringLiteral("spider.mdb"));
  ShownLists host;
  SpiderProbe probe{path};
};

TEST_F(SpiderFaults, FileIsKeptInWalModeWithNormalSync) {
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  EXPECT_EQ(probe.column(QStringLiteral("PRAGMA journal_mode")), QStringList{"wal"});
  // synchronous belongs to the connection: ask the store's own.
  EXPECT_EQ(db.connectionForTests().integer(QStringLiteral("PRAGMA synchronous")), 1);  // NORMAL
}

// A lock held briefly makes an operation wait; a lock held longer makes it fail in the ways the
// operations promise, and once the lock is gone the same store works again.
TEST_F(SpiderFaults, LockedFileWaitsBrieflyThenTakesTheFailureOutcomes) {
  struct Case {
    const char* what;
    bool exclusive;
    bool readable;
    const char* fax;  // not yet stored
  };
  const Case cases[] = {{"another write transaction", false, true, "1-201-555-0198"},
                        {"an exclusive lock", true, false, "1-201-555-0199"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      // Released after 150 ms, well inside the wait.
      BusyTimeout wait(3000);
      SpiderDatabase db(path);
      LockHolder holder(path, c.exclusive, 150);
      ASSERT_TRUE(holder.locked());
      const qint32 before = db.CountFaxes();
      QString fax = QStringLiteral("1-201-555-0111");
      QString search = QStringLiteral("plumbers");
      db.AddFax(fax, QStringLiteral("b.com"), search, QString());
      EXPECT_EQ(db.CountFaxes(), before + 1);
    }
    BusyTimeout wait(100);
    // Every operation meets the lock afresh here; the back-off has a test of its own.
    BackOffPeriod noBackOff(0);
    {
      SpiderDatabase filler(path);
      ASSERT_TRUE(filler.DeleteAllWebsites());
      for (int i = 0; i < 20; ++i) {
        QString queued = QStringLiteral("queued%1.example").arg(i);
        filler.AddWebsite(queued);
      }
    }
    host.list2.clear();
    const qint32 stored = qint32(probe.column(QStringLiteral("SELECT fax FROM faxes")).size());
    SpiderDatabase db(path);
    auto holder = std::make_unique<LockHolder>(path, c.exclusive, -1);
    ASSERT_TRUE(holder->locked());
    EXPECT_EQ(db.CountFaxes(), c.readable ? stored : 0);
    EXPECT_EQ(db.isOpen(), c.readable);
    QString fax = QString::fromLatin1(c.fax);
    EXPECT_EQ(db.FaxExists(fax), !c.readable);
    QString search = QStringLiteral("plumbers");
    EXPECT_TRUE(db.AddFax(fax, QStringLiteral("c.com"), search, QString()));
    QString site = QStringLiteral("new.com");
    EXPECT_TRUE(db.AddWebsite(site));
    EXPECT_EQ(db.WebsiteKnown(site), !c.readable);
    EXPECT_FALSE(db.DeleteAllWebsites());
    host.list1.clear();
    db.LoadSearchList(host.list1);
    EXPECT_EQ(host.list1.size(), c.readable ? 2 : 0);
    // The queue is read but stays in the table; the lock is waited for once, not per website.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(db.LoadWebsiteList(host.list2), c.readable);
    EXPECT_LT(clock.elapsed(), 10 * SpiderDatabase::busyTimeout());
    EXPECT_EQ(host.list2.size(), c.readable ? 20 : 0);

    holder.reset();
    EXPECT_EQ(db.CountWebsites(), 20);
    EXPECT_FALSE(db.FaxExists(fax));
    db.AddFax(fax, QStringLiteral("c.com"), search, QString());
    EXPECT_TRUE(db.FaxExists(fax));
    EXPECT_TRUE(db.isOpen());
    EXPECT_TRUE(db.DeleteAllWebsites());
    EXPECT_EQ(probe.column(QStringLiteral("SELECT search FROM searches ORDER BY rowid")),
              (QStringList{"plumbers", "roofers"}));
  }
}

// While another program holds the lock, one operation waits the busy timeout and the next ones
// fail at once, instead of each link of a page freezing the window; storing resumes without a
// restart once the lock is gone.
TEST_F(SpiderFaults, LockedFileBacksOffInsteadOfWaitingForEveryOperation) {
  struct Case {
    const char* what;
    bool openFirst;
    bool exclusive;
    bool readable;
  };
  // (No other program can take an exclusive lock while the store has the file open.)
  const Case cases[] = {{"exclusive lock before the store opens", false, true, false},
                        {"write lock while the store is open", true, false, true}};
  constexpr int kBusyMs = 300;
  constexpr int kBackOffMs = 700;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BusyTimeout wait(kBusyMs);
    BackOffPeriod backOff(kBackOffMs);
    SpiderDatabase db(path);
    if (c.openFirst) {
      ASSERT_TRUE(db.open());
    }
    auto holder = std::make_unique<LockHolder>(path, c.exclusive, -1);
    ASSERT_TRUE(holder->locked());
    // What the crawl does for every link: is it known, and if not, queue it.
    const auto link = [&](int n) {
      QString site = QStringLiteral("link%1.example").arg(n);
      if (db.WebsiteKnown(site)) return true;
      db.AddWebsite(site);
      return false;
    };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(link(0), !c.readable);
    EXPECT_GE(clock.elapsed(), kBusyMs - 50) << "the first operation waits for the lock";
    EXPECT_TRUE(db.backingOff());
    clock.restart();
    for (int n = 1; n <= 100; ++n) EXPECT_EQ(link(n), !c.readable) << n;
    QString fax = QStringLiteral("1-201-555-0177");
    QString search = QStringLiteral("plumbers");
    EXPECT_TRUE(db.AddFax(fax, QStringLiteral("a.com"), search, QString()));
    EXPECT_EQ(db.FaxExists(fax), !c.readable);
    EXPECT_LT(clock.elapsed(), kBusyMs) << "a hundred links while the store backs off";

    // Past the back-off with the lock still held: an open is tried again without waiting; an
    // open store waits for the lock once more.
    std::this_thread::sleep_for(std::chrono::milliseconds(kBackOffMs + 100));
    clock.restart();
    EXPECT_EQ(link(101), !c.readable);
    if (c.openFirst) {
      EXPECT_GE(clock.elapsed(), kBusyMs - 50);
    } else {
      EXPECT_LT(clock.elapsed(), kBusyMs - 50);
    }

    holder.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(kBackOffMs + 100));
    EXPECT_FALSE(link(200));
    QString stored = QStringLiteral("link200.example");
    EXPECT_TRUE(db.WebsiteKnown(stored));
    EXPECT_TRUE(db.isOpen());
    EXPECT_FALSE(db.backingOff());
    ASSERT_TRUE(db.DeleteAllWebsites());
  }
}

// The program killed right after operations returned: every row it stored is in the file, and
// the file opens cleanly.
TEST_F(SpiderFaults, KilledWriterLosesNoStoredRow) {
  QProcess writer;
  writer.setProgram(QStringLiteral(NORVANE_SPIDER_WRITER));
  writer.setArguments({path});
  writer.start();
  ASSERT_TRUE(writer.waitForStarted(10000));
  int lastRound = -1;
  QElapsedTimer clock;
  clock.start();
  while (lastRound < 40 && clock.elapsed() < 20000) {
    if (!writer.waitForReadyRead(1000) && writer.state() != QProcess::Running) break;
    while (writer.canReadLine()) lastRound = writer.readLine().trimmed().toInt();
  }
  // SIGKILL: nothing of the writer runs after this, no close, no checkpoint.
  writer.kill();
  ASSERT_TRUE(writer.waitForFinished(10000));
  ASSERT_GE(lastRound, 40) << writer.readAllStandardError().toStdString();
  while (writer.canReadLine()) lastRound = writer.readLine().trimmed().toInt();

  EXPECT_EQ(probe.column(QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
  const QStringList faxes = probe.column(QStringLiteral("SELECT fax FROM faxes ORDER BY rowid"));
  const QStringList sites = probe.column(QStringLiteral("SELECT website FROM websites"));
  const QStringList searches = probe.column(QStringLiteral("SELECT search FROM searches"));
  ASSERT_GE(faxes.size(), lastRound + 2);  // the one from SetUp, then one per round
  for (int round = 0; round <= lastRound; ++round) {
    EXPECT_EQ(faxes.at(round + 1), QStringLiteral("1-212-%1").arg(round, 8, 10, QLatin1Char('0')));
    EXPECT_TRUE(sites.contains(QStringLiteral("site%1.example").arg(round))) << round;
    EXPECT_TRUE(searches.contains(QStringLiteral("search %1").arg(round))) << round;
  }

  // The next start opens the file and sees the same rows.
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  EXPECT_EQ(db.CountFaxes(), faxes.size());
  EXPECT_EQ(db.CountWebsites(), sites.size());
}

// SQLITE_FULL, made here by capping the file's pages (the crawl's test fills a real disk): a
// full disk is told as such, not as a file that cannot be written, each time it keeps a change
// out, and storing goes on once there is room.
TEST_F(SpiderFaults, FullDiskIsToldAsSuchUntilThereIsRoom) {
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  int faultsHeard = 0;
  db.setFaultListener([&](StoreFault fault) { faultsHeard += fault == StoreFault::DiskFull; });
  SqliteConnection& cap = db.connectionForTests();
  const qint64 pages = cap.integer(QStringLiteral("PRAGMA page_count"));
  ASSERT_GT(pages, 0);
  ASSERT_EQ(cap.integer(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)), pages);
  const QString big(8000, QLatin1Char('x'));  // a row that needs pages of its own
  for (int attempt = 1; attempt <= 2; ++attempt) {
    QString fax = QStringLiteral("1-201-555-010%1").arg(attempt);
    QString search = QStringLiteral("plumbers");
    db.AddFax(fax, big, search, QStringLiteral("NJ"));
    EXPECT_FALSE(db.lastChangeStored());
    EXPECT_EQ(db.fault(), StoreFault::DiskFull);
    EXPECT_EQ(faultsHeard, attempt);
  }
  EXPECT_TRUE(StoreFaultMessage(db.fault(), path)
                  .startsWith(QStringLiteral("The disk of ") +
                              QDir::toNativeSeparators(QFileInfo(path).absolutePath()) +
                              QStringLiteral(" is full")));
  EXPECT_EQ(StoreFaultPanelText(db.fault()), QStringLiteral("disk full"));

  ASSERT_TRUE(cap.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages * 100)));
  QString fax = QStringLiteral("1-201-555-0109");
  QString search = QStringLiteral("plumbers");
  db.AddFax(fax, big, search, QStringLiteral("NJ"));
  EXPECT_TRUE(db.lastChangeStored());
  EXPECT_EQ(db.fault(), StoreFault::None);
  EXPECT_EQ(probe.column(QStringLiteral("SELECT fax FROM faxes ORDER BY rowid")),
            (QStringList{"1-201-555-0100", "1-201-555-0109"}));
}

// Starts the writer in a mode, waits for its line that begins with `prefix` and kills it
// (SIGKILL) at once: the line's words after the prefix.
QStringList KillWriterAfter(const QString& path, const QString& mode, const QByteArray& prefix) {
  QProcess writer;
  writer.start(QStringLiteral(NORVANE_SPIDER_WRITER), {path, mode});
  if (!writer.waitForStarted(10000)) return {QStringLiteral("not started")};
  QByteArray line;
  QElapsedTimer clock;
  clock.start();
  while (!line.startsWith(prefix) && clock.elapsed() < 60000) {
    if (writer.canReadLine()) {
      line = writer.readLine().trimmed();
    } else if (!writer.waitForReadyRead(1000) && writer.state() != QProcess::Running) {
      break;
    }
  }
  writer.kill();
  writer.waitForFinished(10000);
  if (!line.startsWith(prefix)) return {QString::fromLocal8Bit(writer.readAllStandardError())};
  return QString::fromLatin1(line.mid(prefix.size())).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A transaction larger than the page cache is written to the WAL before its commit, and changing
// those pages again makes SQLite rewrite frames behind the commit frame: killed right after
// COMMIT returned, every row of it is there.
TEST_F(SpiderFaults, KilledRightAfterASpillingCommitKeepsEveryRow) {
  const QStringList words = KillWriterAfter(path, QStringLiteral("spill"), "COMMITTED ");
  ASSERT_EQ(words.size(), 2) << words.join(' ').toStdString();
  EXPECT_GT(words.at(1).toInt(), 0) << "the transaction did not spill";
  EXPECT_EQ(probe.column(QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
  EXPECT_EQ(probe.column(QStringLiteral("SELECT count(*) FROM bulk WHERE v GLOB 'X*'")),
            QStringList{words.at(0)});
  EXPECT_EQ(probe.column(QStringLiteral("SELECT count(*) FROM bulk")), QStringList{words.at(0)});
}

// Killed right after AddFax returned: the number is in the file, and so are the websites the
// crawl's batch queued before it.
TEST_F(SpiderFaults, KilledRightAfterAddFaxKeepsTheNumber) {
  const QStringList words = KillWriterAfter(path, QStringLiteral("fax"), "STORED ");
  ASSERT_EQ(words, QStringList{"yes"});
  EXPECT_EQ(probe.column(QStringLiteral("SELECT fax FROM faxes ORDER BY rowid")),
            (QStringList{"1-201-555-0100", "1-973-555-0199"}));
  EXPECT_EQ(probe.column(QStringLiteral("SELECT count(*) FROM websites WHERE website GLOB "
                                        "'queued*'")),
            QStringList{"5"});
  SpiderDatabase db(path);
  ASSERT_TRUE(db.open());
  QString fax = QStringLiteral("1-973-555-0199");
  EXPECT_TRUE(db.FaxExists(fax));
}

// Every store operation that fails writes its statement and SQLite's message to the store's log;
// one that succeeds writes nothing.
TEST_F(SpiderFaults, FailedOperationsAreLoggedWithSqliteMessage) {
  enum class Fault { None, TableDropped, WriteLocked };
  const struct {
    const char* name;
    Fault fault;
    const char* statement;  // empty: no line
    const char* message;
  } cases[] = {
      {"stored", Fault::None, "", ""},
      {"write locked", Fault::WriteLocked, "INSERT INTO faxes", "database is locked"},
      {"table dropped", Fault::TableDropped, "INSERT INTO faxes", "no such table: faxes"},
  };
  const BusyTimeout shortWait(50);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SpiderDatabase db(path);
    ASSERT_TRUE(db.open());
    std::unique_ptr<LockHolder> holder;
    if (c.fault == Fault::TableDropped)
      SpiderProbe(path).exec({QStringLiteral("DROP TABLE faxes")});
    if (c.fault == Fault::WriteLocked) holder = std::make_unique<LockHolder>(path, false, -1);
    const norvane::testing::LogCapture log("norvane.store");
    QString fax = QStringLiteral("1-201-555-0177");
    QString search = QStringLiteral("plumbers");
    db.AddFax(fax, QStringLiteral("a.com"), search, QStringLiteral("NJ"));
    EXPECT_EQ(db.lastChangeStored(), c.fault == Fault::None);
    if (c.fault == Fault::None) {
      EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
    } else {
      EXPECT_TRUE(log.has({QLatin1String(c.statement), QLatin1String(c.message)}))
          << log.lines().join(QLatin1Char('\n')).toStdString();
    }
  }
}

}  // namespace
}  // namespace norvane
