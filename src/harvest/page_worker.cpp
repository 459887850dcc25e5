#include "harvest/page_worker.h"

#include <utility>

namespace norvane {

PageWorker::PageWorker() : m_thread([this] { run(); }) {}

PageWorker::~PageWorker() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_jobsWaiting.notify_one();
  m_thread.join();
  // Pages still on their way back go with m_results.
}

void PageWorker::prepare(PageJob job, Done done) {
  ++m_outstanding;
  bool wasIdle = false;
  {
    std::lock_guard lock(m_mutex);
    wasIdle = m_jobs.empty();
    m_jobs.push_back({std::move(job), std::move(done)});
  }
  // A thread with work queued is not waiting.
  if (wasIdle) m_jobsWaiting.notify_one();
}

void PageWorker::run() {
  std::unique_lock lock(m_mutex);
  while (true) {
    m_jobsWaiting.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_stopping) return;
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    lock.unlock();
    PreparedPage page = PreparePage(std::move(job.page));
    m_results.push({std::move(page), std::move(job.done)});
    lock.lock();
  }
}

}  // namespace norvane
