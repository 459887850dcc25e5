#pragma once

#include <QDeadlineTimer>
#include <QTest>
#include <functional>

namespace norvane::testing {

// Runs the event loop until the condition holds or the time is up; the condition's last value.
// Assert on it with Google Test (ASSERT_TRUE(WaitFor(...))): Qt's QTRY_ macros only return from
// the function they fail in, which Google Test counts as a pass.
inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return condition();
    QTest::qWait(2);
  }
  return true;
}

}  // namespace norvane::testing
