#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <string>

#include "harvest/prepared_page.h"
#include "harvest/url_rules.h"

namespace norvane {

// The crawl's page thread. The conversion, the link resolution and the fax scan of a page cost
// as much as all socket work together, and on one thread they held up the other nine sockets;
// here they run beside them. Pages are prepared one after the other in the order they were
// handed in, and each comes back, in that order, to the thread that created the worker.
class PageWorker {
 public:
  using Done = std::function<void(PreparedPage& page)>;

  PageWorker();
  // Waits for the page in hand; pages not begun and pages not handed back are dropped.
  ~PageWorker();
  PageWorker(const PageWorker&) = delete;
  PageWorker& operator=(const PageWorker&) = delete;

  void prepare(std::string body, const PageAddress& address, const UrlRules& rules,
               bool allowInternational, Done done);

 private:
  QThread m_thread;
  QObject m_onThread;  // lives in m_thread: what runs there is posted to it
  QObject m_back;      // lives with the caller: what comes back is posted to it
};

}  // namespace norvane
