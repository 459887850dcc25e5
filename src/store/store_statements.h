#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

namespace norvane {

// Runs a statement on the store's connection: the prepared one, or the text given. A failure
// writes the statement and SQLite's message to the store's log ("norvane.store").
bool Exec(QSqlQuery& query);
bool Exec(QSqlQuery& query, const QString& sql);
bool Prepare(QSqlQuery& query, const QString& sql);

// A write transaction on one connection: it begins when made (IMMEDIATE, so that the write lock
// is taken at once), ends with commit(), and is rolled back when it goes without a commit.
class StoreTransaction {
 public:
  explicit StoreTransaction(const QSqlDatabase& db);
  ~StoreTransaction();
  StoreTransaction(const StoreTransaction&) = delete;
  StoreTransaction& operator=(const StoreTransaction&) = delete;

  // False when BEGIN failed (the file is locked or read-only): then there is nothing to commit.
  bool begun() const { return m_open; }
  // False when it was not begun or COMMIT failed; what it held is rolled back then.
  bool commit();
  // What made BEGIN or COMMIT fail.
  QSqlError error() const { return m_query.lastError(); }

 private:
  void rollBack();

  QSqlDatabase m_db;
  QSqlQuery m_query;
  bool m_open = false;
};

}  // namespace norvane
