#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <utility>

namespace norvane::testing {

// Another program's view of a database file: each call opens a connection of its own, runs its
// statements and closes it again, so it sees only what has reached the file.
class SpiderProbe {
 public:
  explicit SpiderProbe(QString filePath) : m_filePath(std::move(filePath)) {}

  // Every row of a SELECT; an empty list when it fails (failed() tells).
  QList<QVariantList> rows(const QString& sql);
  // The first column of every row.
  QStringList column(const QString& sql);
  // Runs statements in order; false at the first that fails.
  bool exec(const QStringList& statements);
  bool failed() const { return m_failed; }

  // "name: CREATE ..." for every table, the schema a file must keep.
  QStringList tableSchema();

 private:
  QString m_filePath;
  bool m_failed = false;
};

}  // namespace norvane::testing
