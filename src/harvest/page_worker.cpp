#include "harvest/page_worker.h"

#include <memory>

namespace norvane {

PageWorker::PageWorker() {
  m_thread.setObjectName(QStringLiteral("crawl pages"));
  m_onThread.moveToThread(&m_thread);
  m_thread.start();
}

PageWorker::~PageWorker() {
  m_thread.quit();
  m_thread.wait();
}

void PageWorker::prepare(std::string body, const PageAddress& address, const UrlRules& rules,
                         bool allowInternational, Done done) {
  auto job = std::make_shared<std::string>(std::move(body));
  QObject* back = &m_back;
  QMetaObject::invokeMethod(
      &m_onThread,
      [job, address, rules, allowInternational, back, done = std::move(done)] {
        auto page = std::make_shared<PreparedPage>(
            PreparePage(std::move(*job), address, rules, allowInternational));
        QMetaObject::invokeMethod(
            back, [page, done] { done(*page); }, Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

}  // namespace norvane
