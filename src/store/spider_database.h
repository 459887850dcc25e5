#pragma once

#include <QString>

#include "store/store_host.h"

namespace norvane {

// The harvest data in spider.mdb (an SQLite file): tables faxes, websites and searches, and
// the fourteen operations the rest of the program uses. Texts marked in/out are normalised in
// the caller's variable. Every value is bound as a parameter, and every change is on disk when
// the operation returns. Failures follow the "skip the failing step" rule: an operation that
// cannot reach the file has no effect on it and still returns its usual result, except
// DeleteAllWebsites, which reports failure.
class SpiderDatabase {
 public:
  // host may be null for callers without a window (tools, tests of the file alone).
  SpiderDatabase(QString filePath, StoreHost* host);
  ~SpiderDatabase();
  SpiderDatabase(const SpiderDatabase&) = delete;
  SpiderDatabase& operator=(const SpiderDatabase&) = delete;

  // Opens the file, creating it with the three tables when it is missing. False when the file
  // cannot be opened or is no database; the operations then take their failure outcomes.
  bool open();
  bool isOpen() const;
  QString filePath() const { return m_filePath; }

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

  // The normalisations the operations apply to their arguments.
  static QString NormaliseWebsite(const QString& site);
  static QString NormaliseFax(const QString& fax);

 private:
  QString m_filePath;
  StoreHost* m_host;
  QString m_connectionName;
};

}  // namespace norvane
