#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/rewritten_files.h"
#include "harvest/prepared_page.h"
#include "harvest/url_rules.h"

namespace norvane {

class HarvestHost;
class PageFetcher;
class PageWorker;

// What the crawl does with each page a socket received: saves it to the socket's two page
// files, queues its links, and stores the fax numbers on it, then hands the socket back to the
// controller. The work runs on the page in memory; the files are written for the user to open
// and do not have to be readable for the crawl to go on.
class PageSteps {
 public:
  PageSteps(HarvestHost& host, const PageFetcher& fetcher);
  ~PageSteps();

  // Works on the page at once.
  void SavePage(const std::string& page, int16_t n);
  // Prepares the page on the page thread and works on it when it comes back; the page keeps
  // the address and search string it has now. The crawl's way: the other sockets go on
  // meanwhile.
  void SavePageLater(std::string page, int16_t n);
  // A page a socket received: a small one is worked on at once while no page is on its way
  // through the page thread, any other goes there (SavePageLater). Either way pages are worked
  // on in the order they came.
  void SaveReceivedPage(std::string page, int16_t n);
  // The largest page worked on at once: about a tenth of a millisecond of work on the window's
  // thread, less than the two thread wakes of the way through the page thread.
  static constexpr std::size_t kAtOnceBytes = 32 * 1024;

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
  PageJob jobOf(const Page& page, std::string body) const;
  // Prepares the page on this thread and works on it.
  void saveNow(std::string body, int16_t n);
  void applyPage(const Page& page, const PreparedPage& prepared);
  void GetLinks(const Page& page, const PreparedPage& prepared);
  // False when it did not write html2<n>.txt (stopped before, or the file would not take it).
  bool GetFaxes(const Page& page, const PreparedPage& prepared);
  void storeFax(const Page& page, const std::string& fax, const std::string& location);
  // A yield of the page steps: the page's store transaction is committed before other events
  // run and a new one begins after them.
  void yieldOutsideBatch();

  HarvestHost& m_host;
  const PageFetcher& m_fetcher;
  // The sockets' page files, open from one page to the next; the page thread writes them too,
  // so they go after it.
  mutable RewrittenFiles m_pageFiles;
  std::unique_ptr<PageWorker> m_worker;
};

// The page file of a socket in the application folder: "html<n>.txt" or "html2<n>.txt".
std::string PageFilePath(const char* stem, int16_t n);

}  // namespace norvane
