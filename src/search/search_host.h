#pragma once

#include <QString>

#include "common/statistics.h"

namespace norvane {

// What the search window reads and sets on the main window: the search choices, the search-string
// list, the status panels, the website queue and statistics, and the two ways to go on when a
// pass is over. The main window implements it, so the search window needs no main window.
class SearchHost {
 public:
  virtual ~SearchHost() = default;

  virtual QString currentSearchText() const = 0;  // txtSearch
  virtual bool addFaxToSearches() const = 0;      // chkAddFax ticked
  virtual int resultCountIndex() const = 0;       // Combo2, -1 when nothing is chosen
  virtual QString searchTypeText() const = 0;     // Combo1
  virtual bool secureWeb() const = 0;             // "Secure Sites and Redirects" is on

  virtual int searchStringCount() const = 0;  // List1
  // Removes entry 0 from List1 only; its row in searches stays for the next start.
  virtual void removeCurrentSearchString() = 0;

  virtual void setStatusPanel(int panel, const QString& text) = 0;  // panels 1 to 4

  virtual bool deleteAllWebsites() = 0;                     // DeleteAllWebsites
  virtual void addWebsite(const QString& website) = 0;      // AddWebsite
  virtual void recordStatistic(Statistics::Kind kind) = 0;  // RecordStatistic

  virtual void startSearch() = 0;      // cmdDoSearch_Click: crawl the queued websites
  virtual void startNextSearch() = 0;  // StartNextSearch: a pass for the next search string
  // The pass ended because no page of the engine could be read; `message` says why, for the
  // user. The search string stays in the list and in the table.
  virtual void searchEngineUnreached(const QString& message) = 0;
  // The search window has unloaded: its pass is over, whichever way it ended.
  virtual void searchPassEnded() {}
};

}  // namespace norvane
