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
  // A handBack still on its way goes with m_back.
}

void PageWorker::prepare(PageJob job, Done done) {
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
    lock.lock();
    m_results.push_back({std::move(page), std::move(job.done)});
    if (!std::exchange(m_handBackPosted, true))
      QMetaObject::invokeMethod(
          &m_back, [this] { handBack(); }, Qt::QueuedConnection);
  }
}

void PageWorker::handBack() {
  while (true) {
    Result result;
    {
      std::lock_guard lock(m_mutex);
      if (m_results.empty()) {
        m_handBackPosted = false;
        return;
      }
      result = std::move(m_results.front());
      m_results.pop_front();
    }
    // The page's work yields to events; pages prepared meanwhile wait in the queue, handed back
    // by this loop in their turn.
    result.done(result.page);
  }
}

}  // namespace norvane
