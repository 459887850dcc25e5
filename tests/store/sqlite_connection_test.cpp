// The store's connection to SQLite on a real file: what a bound text stores, a kept statement
// used again after its rows, the result codes and log lines of failures, and the transaction
// that rolls back unless committed.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "store/sqlite_connection.h"
#include "store/store_transaction.h"
#include "support/log_capture.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

class SqliteConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db.open(folder.file(QStringLiteral("t.db")), false));
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE t (a TEXT, n INTEGER)")));
  }

  qint64 count(const QString& where) {
    return db.integer(QStringLiteral("SELECT count(*) FROM t WHERE ") + where);
  }

  testing::TempAppFolder folder;
  SqliteConnection db;
};

TEST_F(SqliteConnectionTest, BindsNullEmptyAndOtherTextsAsTheyAre) {
  SqliteStatement* insert = db.kept(QStringLiteral("INSERT INTO t (a) VALUES (?)"));
  ASSERT_TRUE(insert);
  const QString texts[] = {QString(), QStringLiteral(""),
                           QStringLiteral("Ünïcödé ☎ 1-201-555-0100")};
  for (const QString& text : texts) EXPECT_TRUE(insert->bind(1, text).run());
  EXPECT_EQ(count(QStringLiteral("a IS NULL")), 1);
  EXPECT_EQ(count(QStringLiteral("a = ''")), 1);
  SqliteStatement read = db.prepare(QStringLiteral("SELECT a FROM t ORDER BY rowid"));
  QStringList back;
  while (read.step()) back << read.text(0);
  EXPECT_TRUE(read.ok());
  ASSERT_EQ(back.size(), 3);
  EXPECT_TRUE(back[0].isNull());
  EXPECT_FALSE(back[1].isNull());
  EXPECT_EQ(back[2], texts[2]);
}

TEST_F(SqliteConnectionTest, KeptStatementIsBoundAgainAfterARowWasRead) {
  for (qint64 n : {1, 2, 3})
    db.kept(QStringLiteral("INSERT INTO t (n) VALUES (?)"))->bind(1, n).run();
  SqliteStatement* find = db.kept(QStringLiteral("SELECT n FROM t WHERE n >= ? ORDER BY n"));
  ASSERT_TRUE(find->bind(1, qint64(1)).step());  // rows 2 and 3 left unread
  EXPECT_EQ(find->integer(0), 1);
  ASSERT_TRUE(find->bind(1, qint64(3)).step());
  EXPECT_EQ(find->integer(0), 3);
  EXPECT_FALSE(find->step());
  EXPECT_TRUE(find->ok());
  EXPECT_EQ(db.kept(QStringLiteral("SELECT n FROM t WHERE n >= ? ORDER BY n")), find);
}

TEST_F(SqliteConnectionTest, FailuresGiveTheirResultCodeAndALogLine) {
  const testing::LogCapture log("norvane.store");
  EXPECT_FALSE(db.prepare(QStringLiteral("SELECT * FROM missing")));
  EXPECT_EQ(db.error(), SQLITE_ERROR);
  EXPECT_TRUE(log.has({QStringLiteral("SELECT * FROM missing"), QStringLiteral("no such table")}));

  ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE u (k TEXT UNIQUE)")));
  SqliteStatement* insert = db.kept(QStringLiteral("INSERT INTO u VALUES (?)"));
  EXPECT_TRUE(insert->bind(1, QStringLiteral("x")).run());
  EXPECT_FALSE(insert->bind(1, QStringLiteral("x")).run());
  EXPECT_EQ(insert->error(), SQLITE_CONSTRAINT);
  EXPECT_TRUE(insert->bind(1, QStringLiteral("y")).run());
  EXPECT_EQ(insert->error(), 0);

  SqliteConnection none;
  EXPECT_FALSE(none.open(folder.file(QStringLiteral("no/such/folder/t.db")), false));
  EXPECT_EQ(none.error(), SQLITE_CANTOPEN);
  EXPECT_FALSE(none.isOpen());
}

TEST_F(SqliteConnectionTest, TransactionRollsBackUnlessCommitted) {
  {
    StoreTransaction transaction(db);
    ASSERT_TRUE(transaction.begun());
    EXPECT_TRUE(db.inTransaction());
    db.exec(QStringLiteral("INSERT INTO t (n) VALUES (1)"));
  }
  EXPECT_FALSE(db.inTransaction());
  EXPECT_EQ(count(QStringLiteral("n = 1")), 0);
  StoreTransaction transaction(db);
  db.exec(QStringLiteral("INSERT INTO t (n) VALUES (2)"));
  EXPECT_TRUE(transaction.commit());
  EXPECT_FALSE(transaction.commit());  // nothing left to commit
  EXPECT_EQ(count(QStringLiteral("n = 2")), 1);
}

}  // namespace
}  // namespace norvane
