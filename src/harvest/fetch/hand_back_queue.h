#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace norvane {

// What a thread of the crawl hands back to the thread that created the queue. One posted call
// delivers every item waiting, one after the other in the order they came; an item's handler
// that yields to events does not see the next item before it returns. Qt's cross-thread events
// would cost a posted event and a wake for every item.
template <class T>
class HandBackQueue {
 public:
  explicit HandBackQueue(std::function<void(T& item)> deliver) : m_deliver(std::move(deliver)) {}
  HandBackQueue(const HandBackQueue&) = delete;
  HandBackQueue& operator=(const HandBackQueue&) = delete;

  // From any thread.
  void push(T item) {
    std::lock_guard lock(m_mutex);
    m_items.push_back(std::move(item));
    if (!std::exchange(m_posted, true))
      QMetaObject::invokeMethod(
          &m_back, [this] { deliverAll(); }, Qt::QueuedConnection);
  }
  // The items not delivered yet, for an owner that goes away with them.
  std::deque<T> takeAll() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_items, {});
  }

 private:
  void deliverAll() {
    while (true) {
      T item;
      {
        std::lock_guard lock(m_mutex);
        if (m_items.empty()) {
          m_posted = false;
          return;
        }
        item = std::move(m_items.front());
        m_items.pop_front();
      }
      m_deliver(item);
    }
  }

  std::function<void(T& item)> m_deliver;
  std::mutex m_mutex;
  std::deque<T> m_items;
  bool m_posted = false;  // a call to deliverAll is on its way to the creating thread
  QObject m_back;         // lives with the creating thread: deliverAll is posted to it
};

}  // namespace norvane
