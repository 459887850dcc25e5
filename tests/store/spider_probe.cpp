#include "store/spider_probe.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace norvane::testing {

namespace {

const QString kProbeConnection = QStringLiteral("norvane-test-probe");

}  // namespace

QList<QVariantList> SpiderProbe::rows(const QString& sql) {
  QList<QVariantList> result;
  m_failed = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kProbeConnection);
    db.setDatabaseName(m_filePath);
    if (db.open()) {
      QSqlQuery query(db);
      if (query.exec(sql)) {
        m_failed = false;
        while (query.next()) {
          QVariantList row;
          for (int i = 0; i < query.record().count(); ++i) row << query.value(i);
          result << row;
        }
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(kProbeConnection);
  return result;
}

QStringList SpiderProbe::column(const QString& sql) {
  QStringList values;
  for (const QVariantList& row : rows(sql)) values << row.value(0).toString();
  return values;
}

bool SpiderProbe::exec(const QStringList& statements) {
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kProbeConnection);
    db.setDatabaseName(m_filePath);
    if (db.open()) {
      QSqlQuery query(db);
      ok = true;
      for (const QString& statement : statements) {
        if (!query.exec(statement)) {
          ok = false;
          break;
        }
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(kProbeConnection);
  m_failed = !ok;
  return ok;
}

QStringList SpiderProbe::tableSchema() {
  QStringList schema;
  for (const QVariantList& row :
       rows(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' "
                           "ORDER BY name")))
    schema << row.value(0).toString() + QStringLiteral(": ") + row.value(1).toString();
  return schema;
}

}  // namespace norvane::testing
