#pragma once

#include "store/sqlite_connection.h"

namespace norvane {

// A write transaction on one connection: it begins when made (IMMEDIATE, so that the write lock
// is taken at once), ends with commit(), and is rolled back when it goes without a commit.
class StoreTransaction {
 public:
  explicit StoreTransaction(SqliteConnection& db)
      : m_db(db),
        m_open(db.exec(QStringLiteral("BEGIN IMMEDIATE"))),
        m_error(m_open ? 0 : db.error()) {}
  ~StoreTransaction() { rollBack(); }
  StoreTransaction(const StoreTransaction&) = delete;
  StoreTransaction& operator=(const StoreTransaction&) = delete;

  // False when BEGIN failed (the file is locked or read-only): then there is nothing to commit.
  bool begun() const { return m_open; }
  // False when it was not begun or COMMIT failed; what it held is rolled back then.
  bool commit() {
    if (!m_open) return false;
    m_open = false;
    if (m_db.exec(QStringLiteral("COMMIT"))) return true;
    m_error = m_db.error();
    m_open = true;
    rollBack();
    return false;
  }
  // SQLite's primary result code of what made BEGIN or COMMIT fail.
  int error() const { return m_error; }

 private:
  void rollBack() {
    if (!m_open) return;
    m_open = false;
    m_db.exec(QStringLiteral("ROLLBACK"));
  }

  SqliteConnection& m_db;
  bool m_open = false;
  int m_error = 0;
};

}  // namespace norvane
