#include "harvest/fetch/host_lookups.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QPointer>
#include <QThreadPool>

#include "harvest/fetch/fetch_slot.h"

namespace norvane {
namespace {

// Never destroyed: a lookup that hangs must not hold up the end of the program.
QThreadPool& LookupThreads() {
  static QThreadPool* const pool = [] {
    auto* threads = new QThreadPool;
    threads->setMaxThreadCount(kMaxSocketCount);
    return threads;
  }();
  return *pool;
}

}  // namespace

void SystemHostLookup(const QString& host, QObject* context,
                      std::function<void(const QList<QHostAddress>&)> done) {
  QPointer<QObject> guard(context);
  LookupThreads().start([host, guard, done = std::move(done)] {
    const QList<QHostAddress> addresses = QHostInfo::fromName(host).addresses();
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [guard, done, addresses] {
          if (guard) done(addresses);
        },
        Qt::QueuedConnection);
  });
}

void HostLookups::lookUp(const QString& host, QObject* context, Done done) {
  const QString key = host.toLower();
  if (const auto known = m_known.constFind(key); known != m_known.cend()) return done(*known);
  QList<Done>& waiting = m_waiting[key];
  waiting << std::move(done);
  if (waiting.size() > 1) return;  // asked already
  ++m_asked;
  m_lookup(host, context, [this, key, run = m_run](const QList<QHostAddress>& addresses) {
    if (run != m_run) return;
    if (m_known.size() >= kKeptAnswers) m_known.clear();
    m_known.insert(key, addresses);
    const QList<Done> waiting = m_waiting.take(key);
    for (const Done& answer : waiting) answer(addresses);
  });
}

void HostLookups::clear() {
  ++m_run;
  m_known.clear();
  m_waiting.clear();
}

}  // namespace norvane
