#include "common/event_yield.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace norvane {
namespace {

std::chrono::microseconds g_interval{1000};

QElapsedTimer& LastYield() {
  static QElapsedTimer timer;
  return timer;
}

}  // namespace

bool YieldDue() {
  const QElapsedTimer& last = LastYield();
  return g_interval.count() <= 0 || !last.isValid() ||
         last.nsecsElapsed() >= std::chrono::nanoseconds(g_interval).count();
}

void YieldToEvents() {
  if (!YieldDue()) return;
  QElapsedTimer& last = LastYield();
  QCoreApplication::processEvents();
  last.start();
}

void SetYieldInterval(std::chrono::microseconds interval) {
  g_interval = interval;
}

std::chrono::microseconds YieldInterval() {
  return g_interval;
}

}  // namespace norvane
