#include "store/store_statements.h"

#include "common/log_categories.h"

namespace norvane {

namespace {

bool Logged(bool ran, const QSqlQuery& query, const QString& sql) {
  if (!ran)
    qCDebug(lcStore).noquote() << "failed:" << sql << "-" << query.lastError().databaseText();
  return ran;
}

}  // namespace

bool Exec(QSqlQuery& query) {
  return Logged(query.exec(), query, query.lastQuery());
}

bool Exec(QSqlQuery& query, const QString& sql) {
  return Logged(query.exec(sql), query, sql);
}

bool Prepare(QSqlQuery& query, const QString& sql) {
  return Logged(query.prepare(sql), query, sql);
}

StoreTransaction::StoreTransaction(const QSqlDatabase& db)
    : m_db(db), m_query(db), m_open(Exec(m_query, QStringLiteral("BEGIN IMMEDIATE"))) {}

StoreTransaction::~StoreTransaction() {
  rollBack();
}

bool StoreTransaction::commit() {
  if (!m_open) return false;
  if (Exec(m_query, QStringLiteral("COMMIT"))) {
    m_open = false;
    return true;
  }
  // The error stays readable: the rollback runs on a query of its own.
  rollBack();
  return false;
}

void StoreTransaction::rollBack() {
  if (!m_open) return;
  m_open = false;
  QSqlQuery rollback(m_db);
  Exec(rollback, QStringLiteral("ROLLBACK"));
}

}  // namespace norvane
