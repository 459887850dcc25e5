#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "harvest/fetch_slot.h"

namespace norvane {

// Runs the crawl's plain connections on a thread of their own: it connects, sends the request,
// reads the response and closes the connection, and hands what it read to the window's thread.
//
// On a fast network, and on loopback most of all, the kernel runs the TCP handshake, the
// delivery of the request and the teardown inside the calling thread's connect, write and close,
// and every socket the window's thread watches costs it a notifier and several calls a page.
// That thread sets the pace of all ten sockets, so it gets the bytes alone.
//
// A socket's connection never reads more than `readAhead` bytes that the window's thread has not
// taken yet: a response waits at the server, as it would in a socket's own read buffer, while the
// crawl holds back its data.
class PlainConnectionThread {
 public:
  struct Event {
    int16_t socket = 0;
    quint64 generation = 0;
    std::string data;     // bytes of the response, in order; the first event also says connected
    bool closed = false;  // the server closed the connection after `data`
    int error = 0;        // errno of a failed connect, send or read; no data and no close then
  };
  using Deliver = std::function<void(Event& event)>;

  // Every event comes back through deliver, on the thread that created this object.
  PlainConnectionThread(Deliver deliver, qsizetype readAhead);
  // Closes every connection; events not handed back are dropped.
  ~PlainConnectionThread();
  PlainConnectionThread(const PlainConnectionThread&) = delete;
  PlainConnectionThread& operator=(const PlainConnectionThread&) = delete;

  // Connects the socket's next connection to address:port and sends the request on it; whatever
  // the socket had open before is closed first.
  void open(int16_t socket, quint64 generation, const QHostAddress& address, quint16 port,
            QByteArray request);
  // The socket's connection is over. Without wakeNow the close waits until the thread next has
  // work, which keeps a thread wake out of every page.
  void close(int16_t socket, bool wakeNow = false);
  // The window's thread took `bytes` of what was handed back for the socket's connection.
  void taken(int16_t socket, qsizetype bytes);
  // The closes queued without a wake happen now.
  void flush();

 private:
  struct Request {
    enum class Kind { Open, Close } kind = Kind::Open;
    int16_t socket = 0;
    quint64 generation = 0;
    QHostAddress address;
    quint16 port = 0;
    QByteArray request;
  };
  struct Connection {
    int descriptor = -1;
    bool connecting = false;
    quint64 generation = 0;
    QByteArray request;  // sent once connected
  };

  void run();
  void push(Request request, bool wakeNow);
  void wake();
  void start(const Request& request);
  void finishConnect(int16_t socket);
  void readFrom(int16_t socket);
  bool mayRead(int16_t socket);
  void closeConnection(Connection& connection);
  void fail(int16_t socket, quint64 generation, int error);
  void answer(Event event);
  void handBack();

  Deliver m_deliver;
  const qsizetype m_readAhead;
  int m_wake = -1;  // an eventfd the thread polls beside its connections

  std::mutex m_mutex;
  std::deque<Request> m_requests;
  std::deque<Event> m_events;
  // Per socket: bytes handed back and not taken yet, and whether reading waits for them.
  std::array<qsizetype, kSocketCount> m_untaken{};
  std::array<bool, kSocketCount> m_heldBack{};
  std::array<quint64, kSocketCount> m_current{};  // the generation opened last, 0 once closed
  bool m_sleeping = false;                        // the thread waits in poll and needs a wake
  bool m_handBackPosted = false;  // a call to handBack is on its way to the creating thread
  bool m_stopping = false;

  std::array<Connection, kSocketCount> m_connections{};  // the thread's own
  QObject m_back;  // lives with the creator: handBack is posted to it
  std::thread m_thread;
};

}  // namespace norvane
