#include "store/wal_checkpointer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <string>
#include <thread>

#include "store/spider_database.h"

namespace norvane {
namespace {

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The log's length and how much of it is in the file, as another connection sees them.
std::pair<int, int> LogState(const std::string& path) {
  sqlite3* probe = nullptr;
  sqlite3_open_v2(path.c_str(), &probe, SQLITE_OPEN_READWRITE, nullptr);
  Exec(probe, "PRAGMA schema_version");  // reads the file, and so learns of its log
  int logged = -1;
  int folded = -1;
  // A passive checkpoint of nothing new reports the log as it stands.
  sqlite3_wal_checkpoint_v2(probe, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged, &folded);
  sqlite3_close(probe);
  return {logged, folded};
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (int k = 0; k < 500 && !condition(); ++k)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return condition();
}

TEST(WalCheckpointerTest, FoldsTheLogBackOnceItPassesItsLengthAndNotBefore) {
  struct Case {
    const char* name;
    int rows;  // rows of 4 KiB, a log page or more each, one commit each
    bool checkpointed;
  };
  const Case cases[] = {
      {"short log", 5, false},
      {"log past its length", 40, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("spider.mdb").toStdString();
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
    ASSERT_TRUE(Exec(writer, "PRAGMA journal_mode=WAL; CREATE TABLE t (v BLOB)"));
    auto checkpointer = WalCheckpointer::Start(writer, path, 20);
    ASSERT_NE(checkpointer, nullptr);
    for (int k = 0; k < c.rows; ++k)
      ASSERT_TRUE(Exec(writer, "INSERT INTO t VALUES (zeroblob(4096))"));
    if (c.checkpointed) {
      EXPECT_TRUE(WaitUntil([&] { return checkpointer->checkpointsDone() > 0; }));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EXPECT_EQ(checkpointer->checkpointsDone(), 0);
      const auto [logged, folded] = LogState(path);
      EXPECT_GT(logged, 0);
    }
    // The writer sees every row, whichever connection folded them back.
    checkpointer.reset();
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(writer, "SELECT count(*) FROM t", -1, &count, nullptr);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), c.rows);
    sqlite3_finalize(count);
    sqlite3_close(writer);
  }
}

// The store hands its checkpoints to the thread only where it keeps the file in WAL mode.
TEST(WalCheckpointerTest, TheStoreChecksPointsOnItsThreadOnlyInWalMode) {
  struct Case {
    const char* name;
    bool readOnlyFile;
    bool expected;
  };
  const Case cases[] = {
      {"writable file", false, true},
      {"read-only file", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("spider.mdb");
    {
      SpiderDatabase db(path);
      ASSERT_TRUE(db.open());
    }
    if (c.readOnlyFile) QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
    if (c.readOnlyFile && QFile(path).open(QIODevice::WriteOnly)) GTEST_SKIP() << "root writes";
    SpiderDatabase db(path);
    ASSERT_TRUE(db.open());
    EXPECT_EQ(db.checkpointer() != nullptr, c.expected);
  }
}

}  // namespace
}  // namespace norvane
