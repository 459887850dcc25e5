#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "harvest/fetch/fetch_slot.h"

namespace norvane {

// Opens the crawl's plain connections on a thread of its own and closes them there again.
//
// On a fast network, and on loopback most of all, the kernel runs the whole TCP handshake, the
// delivery of the request and the teardown inside the calling thread's connect, write and close.
// On the window's thread these calls took more than a sixth of its time, and that thread sets the
// pace of all ten sockets. Here a connection is opened and its request sent beside it; the
// window's thread receives a connected descriptor and reads the response from it.
//
// The opener keeps a duplicate of every descriptor it hands out until the socket's connection is
// released, so that the close which tears the connection down is this thread's and not the
// reader's. Reading stays on the window's thread: handing every response across as well cost
// more in thread wakes than it saved there.
class ConnectionOpener {
 public:
  struct Opened {
    int16_t socket = 0;
    quint64 generation = 0;
    int descriptor = -1;  // connected, with the request sent; -1 when `error` is set
    int error = 0;        // errno of the failed connect or send
  };
  using Done = std::function<void(const Opened& opened)>;

  // Every answer comes back through done, on the thread that created the opener, by a queued
  // call of its own: a handler that yields to events may see the next answer inside it.
  explicit ConnectionOpener(Done done);
  // Closes every descriptor it opened or holds, and those of answers not handed back yet.
  ~ConnectionOpener();
  ConnectionOpener(const ConnectionOpener&) = delete;
  ConnectionOpener& operator=(const ConnectionOpener&) = delete;

  // Connects socket's next connection to address:port and sends the request on it. Whatever the
  // socket had opened before is released first.
  void open(int16_t socket, quint64 generation, const QHostAddress& address, quint16 port,
            QByteArray request);
  // The socket's connection is over: its duplicate (or a connect still in progress) is closed
  // when the opener next has work, which keeps a thread wake out of every page.
  void release(int16_t socket);
  // The releases queued without a wake happen now.
  void flush();

 private:
  struct Request {
    enum class Kind { Open, Release } kind = Kind::Open;
    int16_t socket = 0;
    quint64 generation = 0;
    QHostAddress address;
    quint16 port = 0;
    QByteArray request;
  };
  struct Slot {
    int descriptor = -1;  // the connection in progress, or the duplicate held after it
    bool connecting = false;
    quint64 generation = 0;
    QByteArray request;  // sent once connected
  };

  void run();
  void push(Request request, bool wakeNow);
  void wake();
  void start(const Request& request);
  void finishConnect(int16_t socket);
  void closeSlot(Slot& slot);
  void answer(const Opened& opened);

  int m_wake = -1;  // an eventfd the thread polls beside its connects

  std::mutex m_mutex;
  std::deque<Request> m_requests;
  bool m_sleeping = false;  // the thread waits in poll and needs a wake
  bool m_stopping = false;

  std::array<Slot, kMaxSocketCount> m_slots{};  // the thread's own
  Done m_done;
  // Lives with the creating thread: the answers are queued calls to it, and the calls still
  // queued when it goes are dropped with it.
  QObject m_back;
  std::thread m_thread;
};

}  // namespace norvane
