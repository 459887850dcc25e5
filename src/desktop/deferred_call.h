#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace norvane {

// A call that runs at once, or, while deferred, at most once per interval with whatever it
// shows then. The crawl changes the window's counters several times per page, thousands of
// times a second; nobody reads them faster than this. Ending the deferral runs a waiting call
// at once.
class DeferredCall : public QObject {
 public:
  static constexpr int kDefaultIntervalMs = 50;

  DeferredCall(QObject* parent, std::function<void()> call, int intervalMs = kDefaultIntervalMs)
      : QObject(parent), m_call(std::move(call)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_call(); });
  }

  void request() {
    if (!m_deferred) return m_call();
    if (!m_timer.isActive()) m_timer.start();
  }
  void setDeferred(bool deferred) {
    m_deferred = deferred;
    if (deferred || !m_timer.isActive()) return;
    m_timer.stop();
    m_call();
  }

 private:
  std::function<void()> m_call;
  bool m_deferred = false;
  QTimer m_timer;
};

}  // namespace norvane
