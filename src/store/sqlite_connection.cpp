#include "store/sqlite_connection.h"

#include <QUrl>

#include <sqlite3.h>

#include "common/log_categories.h"

namespace norvane {

namespace {

// The statement's text and SQLite's message, in the store's log.
void LogFailure(sqlite3* db, const QString& sql) {
  qCDebug(lcStore).noquote() << "failed:" << sql << "-"
                             << QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
}

}  // namespace

void SqliteStatement::Finalize::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

SqliteStatement& SqliteStatement::bind(int position, const QString& text) {
  if (m_stepped) reset();  // binding starts the statement afresh
  if (text.isNull())
    sqlite3_bind_null(m_statement.get(), position);
  else
    sqlite3_bind_text16(m_statement.get(), position, text.utf16(), int(text.size() * 2),
                        SQLITE_TRANSIENT);
  return *this;
}

SqliteStatement& SqliteStatement::bind(int position, qint64 number) {
  if (m_stepped) reset();  // binding starts the statement afresh
  sqlite3_bind_int64(m_statement.get(), position, number);
  return *this;
}

bool SqliteStatement::step() {
  m_stepped = true;
  const int result = sqlite3_step(m_statement.get());
  m_ok = result == SQLITE_ROW || result == SQLITE_DONE;
  m_error = m_ok ? 0 : result & 0xff;
  if (!m_ok) {
    sqlite3* db = sqlite3_db_handle(m_statement.get());
    LogFailure(db, QString::fromUtf8(sqlite3_sql(m_statement.get())));
  }
  return result == SQLITE_ROW;
}

bool SqliteStatement::run() {
  while (step()) {
  }
  reset();
  return m_ok;
}

QString SqliteStatement::text(int column) const {
  const void* text = sqlite3_column_text16(m_statement.get(), column);
  if (!text) return {};
  return QString(static_cast<const QChar*>(text),
                 sqlite3_column_bytes16(m_statement.get(), column) / 2);
}

qint64 SqliteStatement::integer(int column) const {
  return sqlite3_column_int64(m_statement.get(), column);
}

int SqliteStatement::changes() const {
  return sqlite3_changes(sqlite3_db_handle(m_statement.get()));
}

void SqliteStatement::reset() {
  // The result of the failed step, if any, was taken already: reset repeats it.
  sqlite3_reset(m_statement.get());
  m_stepped = false;
}

SqliteConnection::~SqliteConnection() {
  close();
}

bool SqliteConnection::open(const QString& path, bool immutable) {
  close();
  QByteArray name = path.toUtf8();
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (immutable) {
    // A URI, so that SQLite reads the file as it stands, with no locks and no -wal or -shm.
    name = (QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1"))
               .toUtf8();
    flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
  }
  const int result = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
  if (result == SQLITE_OK) {
    m_error = 0;
    return true;
  }
  m_error = result & 0xff;
  qCDebug(lcStore).noquote() << "open failed:" << path << "-"
                             << QString::fromUtf8(m_db ? sqlite3_errmsg(m_db)
                                                       : sqlite3_errstr(result));
  sqlite3_close(m_db);
  m_db = nullptr;
  return false;
}

void SqliteConnection::close() {
  m_kept.clear();
  // A statement a caller still holds keeps the connection until it is finalized.
  sqlite3_close_v2(m_db);
  m_db = nullptr;
}

SqliteStatement SqliteConnection::prepare(const QString& sql) {
  sqlite3_stmt* statement = nullptr;
  const int result =
      m_db ? sqlite3_prepare16_v2(m_db, sql.utf16(), int(sql.size() * 2), &statement, nullptr)
           : SQLITE_MISUSE;
  if (result != SQLITE_OK) {
    m_error = result & 0xff;
    LogFailure(m_db, sql);
    sqlite3_finalize(statement);
    return {};
  }
  return SqliteStatement(statement);
}

SqliteStatement* SqliteConnection::kept(const QString& sql) {
  auto it = m_kept.find(sql);
  if (it == m_kept.end()) {
    SqliteStatement statement = prepare(sql);
    if (!statement) return nullptr;
    it = m_kept.emplace(sql, std::move(statement)).first;
  }
  return &it->second;
}

bool SqliteConnection::exec(const QString& sql) {
  SqliteStatement statement = prepare(sql);
  if (!statement) return false;
  if (statement.run()) return true;
  m_error = statement.error();
  return false;
}

qint64 SqliteConnection::integer(const QString& sql) {
  SqliteStatement statement = prepare(sql);
  if (!statement) return -1;
  if (statement.step()) return statement.integer(0);
  m_error = statement.error();
  return -1;
}

bool SqliteConnection::readOnly() const {
  return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

bool SqliteConnection::inTransaction() const {
  return m_db && !sqlite3_get_autocommit(m_db);
}

}  // namespace norvane
