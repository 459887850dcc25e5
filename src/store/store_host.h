#pragma once

#include <QString>
#include <QStringList>

namespace norvane {

// What the store operations touch on the main window besides the database: the three preview
// lists, the Resume button and the session counters. The main window implements it; the store
// holds no widget of its own.
class StoreHost {
 public:
  virtual ~StoreHost() = default;

  virtual void appendSearchList(const QString& search) = 0;  // List1

  virtual QStringList websiteList() const = 0;                   // List2
  virtual void setWebsiteList(const QStringList& websites) = 0;  // List2, cleared first
  virtual void clearWebsiteList() = 0;

  virtual void setFaxList(const QStringList& entries) = 0;  // List3, cleared first
  virtual void clearFaxList() = 0;

  virtual void disableResume() = 0;  // cmdResume

  virtual void zeroSessionFaxes() = 0;            // lSessionFaxes
  virtual void zeroSessionFoundAndScanned() = 0;  // lSessionFound, lSessionScanned
};

}  // namespace norvane
