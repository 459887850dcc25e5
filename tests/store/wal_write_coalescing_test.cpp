// Commits made through the WAL write layer are in the file when they return: a connection that
// reads the file through SQLite's own layer sees exactly the committed rows after every step,
// through spills of large transactions, rollbacks and checkpoints of every kind.
#include "store/wal_write_coalescing.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <string>

namespace norvane {
namespace {

class Connection {
 public:
  Connection(const std::string& path, const char* vfs) {
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, vfs),
              SQLITE_OK);
  }
  ~Connection() { sqlite3_close(m_db); }
  int exec(const std::string& sql) {
    return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  std::string text(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::string out = "(error)";
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      out = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return out;
  }

 private:
  sqlite3* m_db = nullptr;
};

TEST(WalWriteCoalescingTest, EveryCommitIsInTheFileWhenItReturns) {
  ASSERT_TRUE(InstallWalWriteCoalescing());
  ASSERT_STREQ(sqlite3_vfs_find(nullptr)->zName, "norvane-wal-coalescing");
  enum class Checkpoint { None, Passive, Restart, Truncate };
  const struct {
    const char* name;
    int rows;
    int bytes;  // per row
    bool commit;
    Checkpoint before;
  } steps[] = {
      {"one small row", 1, 10, true, Checkpoint::None},
      {"another", 1, 3000, true, Checkpoint::None},
      {"a transaction that spills", 2000, 500, true, Checkpoint::None},
      {"rolled back after a spill", 2000, 500, false, Checkpoint::None},
      {"after a passive checkpoint", 3, 100, true, Checkpoint::Passive},
      {"after a restart checkpoint", 5, 100, true, Checkpoint::Restart},
      {"after a truncate checkpoint", 7, 100, true, Checkpoint::Truncate},
      {"over a megabyte", 300, 8000, true, Checkpoint::None},
      {"small again", 1, 1, true, Checkpoint::None},
  };
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("spider.mdb")).toStdString();
  Connection writer(path, nullptr);
  ASSERT_EQ(writer.text("PRAGMA journal_mode=WAL"), "wal");
  ASSERT_EQ(writer.exec("PRAGMA synchronous=NORMAL; PRAGMA cache_size=10;"
                        "CREATE TABLE t (v TEXT)"),
            SQLITE_OK);
  // Reads the file through SQLite's own layer: only what reached the kernel.
  Connection reader(path, "unix");
  long long rows = 0;
  long long bytes = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const char* checkpoints[] = {"", "PASSIVE", "RESTART", "TRUNCATE"};
    if (step.before != Checkpoint::None) {
      ASSERT_EQ(
          writer.exec(std::string("PRAGMA wal_checkpoint(") + checkpoints[int(step.before)] + ")"),
          SQLITE_OK);
    }
    ASSERT_EQ(writer.exec("BEGIN"), SQLITE_OK);
    for (int k = 0; k < step.rows; ++k)
      ASSERT_EQ(writer.exec("INSERT INTO t VALUES (printf('%.*c', " + std::to_string(step.bytes) +
                            ", 'x'))"),
                SQLITE_OK);
    ASSERT_EQ(writer.exec(step.commit ? "COMMIT" : "ROLLBACK"), SQLITE_OK);
    if (step.commit) {
      rows += step.rows;
      bytes += static_cast<long long>(step.rows) * step.bytes;
    }
    EXPECT_EQ(reader.text("SELECT count(*) || ' ' || total(length(v)) FROM t"),
              std::to_string(rows) + " " + std::to_string(bytes) + ".0");
  }
  EXPECT_EQ(reader.text("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(writer.text("PRAGMA integrity_check"), "ok");
}

}  // namespace
}  // namespace norvane
