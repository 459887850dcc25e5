#pragma once

#include <QStringList>

#include "store/store_host.h"

namespace norvane::testing {

// The main-window side of the store in plain containers. The session counters start non-zero so
// that zeroing them is visible.
class RecordingStoreHost : public StoreHost {
 public:
  QStringList list1;  // search strings
  QStringList list2;  // queued websites
  QStringList list3;  // newest faxes
  bool resumeEnabled = true;
  int sessionScanned = 11;
  int sessionFound = 22;
  int sessionFaxes = 33;

  void appendSearchList(const QString& search) override { list1 << search; }
  QStringList websiteList() const override { return list2; }
  void setWebsiteList(const QStringList& websites) override { list2 = websites; }
  void clearWebsiteList() override { list2.clear(); }
  void setFaxList(const QStringList& entries) override { list3 = entries; }
  void clearFaxList() override { list3.clear(); }
  void disableResume() override { resumeEnabled = false; }
  void zeroSessionFaxes() override { sessionFaxes = 0; }
  void zeroSessionFoundAndScanned() override {
    sessionFound = 0;
    sessionScanned = 0;
  }
};

}  // namespace norvane::testing
