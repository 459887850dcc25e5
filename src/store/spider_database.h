#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include "store/fax_row.h"
#include "store/store_host.h"

namespace norvane {

// The harvest data in spider.mdb (an SQLite file): tables faxes, websites and searches, and
// the fourteen operations the rest of the program uses. Texts marked in/out are normalised in
// the caller's variable. Every value is bound as a parameter, and every change is on disk when
// the operation returns. Failures follow the "skip the failing step" rule: an operation that
// cannot reach the file has no effect on it and still returns its usual result, except
// DeleteAllWebsites, which reports failure. Lookups compare whole texts and ignore the letter
// case of the ASCII letters (SQLite's NOCASE), so "Example.COM" finds "example.com".
class SpiderDatabase {
 public:
  // host may be null for callers without a window (tools, tests of the file alone).
  SpiderDatabase(QString filePath, StoreHost* host);
  ~SpiderDatabase();
  SpiderDatabase(const SpiderDatabase&) = delete;
  SpiderDatabase& operator=(const SpiderDatabase&) = delete;

  // Opens the file, creating it with the three tables when it is missing (or empty). False when
  // the file cannot be opened, is locked beyond the busy timeout or is no database; the
  // operations then take their failure outcomes, and the file is left exactly as it was. Every
  // operation on a store that is not open tries to open it again first, so a file that was
  // locked at start is used once it is free. The connection then stays open until the object
  // is destroyed.
  //
  // The file is kept in WAL journal mode with synchronous=NORMAL: a change is in the file (or
  // its -wal beside it) when the operation returns, so it survives the program being killed.
  // A file that cannot be written (read-only file or folder) is still opened for reading, in
  // its own journal mode, or as an immutable file when its folder cannot hold the WAL files.
  bool open();
  bool isOpen() const;
  // Closes the connection, which folds the WAL back into the file; the next operation opens
  // it again. The program runs it as it ends, so spider.mdb is whole on its own.
  void close();
  QString filePath() const { return m_filePath; }

  // How long a statement waits for another program's lock before it fails, for every store
  // opened afterwards. A few seconds by default; tests shorten it.
  static void setBusyTimeout(int milliseconds);
  static int busyTimeout();

  bool AddWebsite(QString& site);
  bool AddSearch(QString& search);
  bool DeleteAllFaxes();
  bool DeleteWebsite(QString& site);
  bool DeleteAllWebsites();
  bool DeleteSearch(QString& search);
  qint32 CountFaxes();
  qint32 CountWebsites();
  bool FaxExists(QString& fax);
  bool WebsiteKnown(QString& site);
  bool LoadFaxList();
  bool LoadWebsiteList();
  bool LoadSearchList();
  bool AddFax(QString& fax, const QString& website, QString& search, const QString& location);

  // Direct reads for the harvest controller and the export. Both give nothing (an empty text,
  // an empty list) when the table cannot be read.
  // The website of the first queued row, in insertion order.
  QString FirstQueuedWebsite();
  // Every row of faxes, in insertion order.
  QList<FaxRow> ReadAllFaxes();

  // The normalisations the operations apply to their arguments.
  static QString NormaliseWebsite(const QString& site);
  static QString NormaliseFax(const QString& fax);
  // Removes leading and trailing space characters (only " ", not tabs or line breaks).
  static QString TrimSpaces(const QString& text);

 private:
  bool ready();
  QSqlDatabase connection() const;
  // The statement for sql, prepared on the open connection once and kept: preparing costs more
  // than running the short statements the crawl makes for every link. Null when it cannot be
  // prepared. Callers bind every value and finish() the statement when done with it.
  QSqlQuery* prepared(const QString& sql);
  // Opens the connection on the file (or, when immutable, read-only without locks) and reads
  // its table count: -1 when that fails.
  qint64 openAndCountTables(bool immutable);
  void closeConnection();
  // WAL journal and synchronous=NORMAL when the file can take them; rollback journal otherwise.
  void chooseJournal();
  // Lookup of one text in one column, letter case ignored. False when the lookup failed.
  bool lookup(const QString& table, const QString& column, const QString& text, bool& found);
  // Deletes the first row whose column equals text (letter case ignored), one row at most.
  void deleteFirstMatch(const QString& table, const QString& column, const QString& text);
  // The given columns of the newest rows of a table by Date (ties by insertion order), oldest
  // of them first. False when the query failed.
  bool newestRows(const QString& table, const QString& columns, int limit,
                  QList<QStringList>& rows);

  QString m_filePath;
  StoreHost* m_host;
  QString m_connectionName;
  QHash<QString, QSqlQuery> m_statements;
  bool m_open = false;
};

}  // namespace norvane
