#pragma once

#include <cstdint>
#include <string>

#include "harvest/control/url_rules.h"
#include "harvest/page/prepared_page.h"

namespace norvane {

class HarvestHost;
class PageFetcher;

// What the crawl does with each page a socket received: saves it to the socket's two page
// files, queues its links, and stores the fax numbers on it, then hands the socket back to the
// controller. The work runs on the page in memory; the files are written for the user to open
// and do not have to be readable for the crawl to go on.
class PageSteps {
 public:
  PageSteps(HarvestHost& host, const PageFetcher& fetcher);
  ~PageSteps();

  // Works on a page the socket received, before it returns: PreparePage reads it (pure work:
  // the page files, the links, the text, the fax scan), then its links and numbers go to the
  // store with the yields, statuses and statistics of the classic steps. A page of today's size
  // takes a tenth of a millisecond to prepare; a trip through a thread of its own cost more
  // than that in wakes, and on the far web the sockets wait for the network, not for this.
  void SavePage(std::string page, int16_t n);

  // Faxes stored since the program started, shown in status panel 3.
  int32_t lFaxCount = 0;

 private:
  struct Page {
    int16_t n;
    PageAddress address;  // of the page, for its links
    QString website;      // strHost followed by strPath, for its numbers
    QString search;       // the search string the page was fetched for
  };
  Page pageOf(int16_t n) const;
  void GetLinks(const PreparedPage& prepared);
  // False when it did not write html2<n>.txt (stopped before, or the file would not take it).
  bool GetFaxes(const Page& page, const PreparedPage& prepared);
  void storeFax(const Page& page, const std::string& fax, const std::string& location);
  // A yield of the page steps: the page's store transaction is committed before other events
  // run and a new one begins after them.
  void yieldOutsideBatch();

  HarvestHost& m_host;
  const PageFetcher& m_fetcher;
};

// The page file of a socket in the application folder: "html<n>.txt" or "html2<n>.txt".
std::string PageFilePath(const char* stem, int16_t n);

}  // namespace norvane
