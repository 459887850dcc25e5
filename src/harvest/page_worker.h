#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "harvest/hand_back_queue.h"
#include "harvest/prepared_page.h"
#include "harvest/url_rules.h"

namespace norvane {

// The crawl's page thread. The conversion, the link resolution and the fax scan of a page cost
// as much as all socket work together, and on one thread they held up the other nine sockets;
// here they run beside them. Pages are prepared one after the other in the order they were
// handed in, and each comes back, in that order, to the thread that created the worker.
//
// A queue of its own rather than Qt's cross-thread events: those took a lock shared with every
// event of the window's thread and woke the other thread for every page, which cost a dozen
// system calls a page; here a wake is sent only to a thread that waits.
class PageWorker {
 public:
  using Done = std::function<void(PreparedPage& page)>;

  PageWorker();
  // Waits for the page in hand; pages not begun and pages not handed back are dropped.
  ~PageWorker();
  PageWorker(const PageWorker&) = delete;
  PageWorker& operator=(const PageWorker&) = delete;

  void prepare(PageJob job, Done done);
  // No page handed in is waiting to be prepared or to come back. On the creating thread.
  bool idle() const { return m_outstanding == 0; }

 private:
  struct Job {
    PageJob page;
    Done done;
  };
  struct Result {
    PreparedPage page;
    Done done;
  };
  void run();

  std::mutex m_mutex;
  std::condition_variable m_jobsWaiting;
  std::deque<Job> m_jobs;
  bool m_stopping = false;
  // The page's work yields to events; pages prepared meanwhile wait in the queue, handed back in
  // their turn.
  HandBackQueue<Result> m_results{[this](Result& result) {
    --m_outstanding;
    result.done(result.page);
  }};
  int m_outstanding = 0;  // pages handed in and not yet handed back; the creating thread's
  std::thread m_thread;
};

}  // namespace norvane
