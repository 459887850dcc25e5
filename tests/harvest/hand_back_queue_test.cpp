#include "harvest/fetch/hand_back_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <deque>
#include <thread>
#include <vector>

#include "support/wait_for.h"

namespace norvane {
namespace {

// Items from another thread come back in order, one handler at a time: a handler that yields to
// events does not see the next item begin inside it (the opener's answers come back so, one
// connect handler at a time).
TEST(HandBackQueueTest, ItemsComeBackInOrderAndNeverInsideAnotherItemsYield) {
  for (const int items : {1, 3, 200}) {
    SCOPED_TRACE(items);
    std::vector<int> delivered;
    int depth = 0;
    int deepest = 0;
    HandBackQueue<int> queue([&](int& item) {
      deepest = std::max(deepest, ++depth);
      delivered.push_back(item);
      QCoreApplication::processEvents();  // as the page steps' yields do
      --depth;
    });
    std::thread worker([&] {
      for (int k = 0; k < items; ++k) queue.push(k);
    });
    worker.join();
    ASSERT_TRUE(testing::WaitFor([&] { return int(delivered.size()) == items; }));
    for (int k = 0; k < items; ++k) EXPECT_EQ(delivered[std::size_t(k)], k);
    EXPECT_EQ(deepest, 1);
    EXPECT_TRUE(queue.takeAll().empty());
  }
}

// What was never delivered is handed to an owner that goes away.
TEST(HandBackQueueTest, TakeAllHandsOverWhatWasNotDelivered) {
  int delivered = 0;
  HandBackQueue<int> queue([&](int&) { ++delivered; });
  queue.push(7);
  queue.push(8);
  const std::deque<int> left = queue.takeAll();
  EXPECT_EQ(left, (std::deque<int>{7, 8}));
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace norvane
