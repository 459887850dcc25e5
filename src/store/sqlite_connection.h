#pragma once

#include <QHash>  // std::hash<QString>, before unordered_map uses it
#include <QString>
#include <memory>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace norvane {

// A statement prepared on a SqliteConnection: values bound by position (from 1), rows stepped
// through, read by column. A statement that fails writes its text and SQLite's message to the
// store's log ("norvane.store"). It must not outlive its connection.
class SqliteStatement {
 public:
  SqliteStatement() = default;
  explicit operator bool() const { return bool(m_statement); }

  // Binding starts the statement afresh. A null text binds NULL, an empty one "".
  SqliteStatement& bind(int position, const QString& text);
  SqliteStatement& bind(int position, qint64 number);
  // The next row: true while there is one to read. After the last row, or a failure, false;
  // ok() then tells which.
  bool step();
  // Runs the statement to its end (a change, or rows nobody reads); true when it succeeded.
  bool run();
  bool ok() const { return m_ok; }
  // SQLite's primary result code of the failure; 0 when the last run went well.
  int error() const { return m_error; }
  QString text(int column) const;
  qint64 integer(int column) const;
  // Rows the last change inserted, updated or deleted.
  int changes() const;
  // Ends the run, so that it holds no read transaction open on the file.
  void reset();

 private:
  friend class SqliteConnection;
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  explicit SqliteStatement(sqlite3_stmt* statement) : m_statement(statement) {}

  std::unique_ptr<sqlite3_stmt, Finalize> m_statement;
  bool m_stepped = false;
  bool m_ok = true;
  int m_error = 0;
};

// The store's one way to reach SQLite: a connection it opens, owns and closes itself, with the
// statements it keeps prepared. Statements that fail are logged with SQLite's message; the
// primary result code of the last failure is kept for the store to tell its faults apart.
class SqliteConnection {
 public:
  SqliteConnection() = default;
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // Opens (creating when missing) the file read-write, or, when `immutable`, read-only without
  // locks and without -wal and -shm files. False when SQLite refused; error() tells why.
  bool open(const QString& path, bool immutable);
  // Finalizes every statement kept and closes the connection, which folds the WAL back into
  // the file when this was its last connection.
  void close();
  bool isOpen() const { return m_db != nullptr; }
  sqlite3* handle() const { return m_db; }

  SqliteStatement prepare(const QString& sql);
  // The statement for sql, prepared once and kept until close: preparing costs more than
  // running the short statements the crawl makes for every link. Null when it cannot be
  // prepared.
  SqliteStatement* kept(const QString& sql);
  // Runs sql (one statement) to its end.
  bool exec(const QString& sql);
  // The first column of the first row of sql, or -1 when it fails or has no row.
  qint64 integer(const QString& sql);

  int error() const { return m_error; }
  // SQLite opened the file read-only (it does so by itself for a file it cannot write).
  bool readOnly() const;
  // A transaction is open (BEGIN has run without its COMMIT or ROLLBACK).
  bool inTransaction() const;

 private:
  sqlite3* m_db = nullptr;
  std::unordered_map<QString, SqliteStatement> m_kept;
  int m_error = 0;
};

}  // namespace norvane
