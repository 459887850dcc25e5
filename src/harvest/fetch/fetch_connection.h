#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstdint>

#include "harvest/control/url_rules.h"
#include "harvest/fetch/fetch_slot.h"

class QSslConfiguration;
class QSslSocket;
class QTcpSocket;

namespace norvane {

// One of the crawl's sockets with everything that belongs to it: the socket, its idle and total
// timers, its download record, the address of its page, where it is in a fetch, and the
// generation that every start and close raises. A fetch that follows redirects keeps its
// connection, its timers and its total ticks from hop to hop.
//
// Plain pages go over a plain TCP socket and secure ones over a TLS socket: a TLS socket in
// plain mode relays every byte and signal through a TCP socket of its own, which costs the
// crawl's one thread dearly. `socket` is the one the fetch uses; the other one is always
// unconnected, because a fetch changes sockets only when it connects, after its previous
// connection was aborted.
//
// It owns its sockets and timers and passes on their events by its signals; what a
// fetch makes of them (the page, a redirect, a give-up) is the fetcher's, whose rules span the
// sockets (the shared budget, the slow hosts).
class FetchConnection : public QObject {
  Q_OBJECT

 public:
  // Redirecting: between the close of one hop and the connection of the next.
  enum class State { Idle, LookingUp, Connecting, Receiving, Redirecting };

  // Socket `index` of the crawl: its sockets read at most `readAhead` bytes ahead, its TLS socket
  // trusts `tls`, its timers tick every `tickMs`.
  FetchConnection(int16_t index, qint64 readAhead, const QSslConfiguration& tls, int tickMs,
                  QObject* parent);

  const int16_t index;
  QTcpSocket* socket = nullptr;        // wscVersion(i): plainSocket or secureSocket
  QTcpSocket* plainSocket = nullptr;   // http pages
  QSslSocket* secureSocket = nullptr;  // https pages
  QTimer* idleTimer = nullptr;         // timTimeout(i)
  QTimer* totalTimer = nullptr;        // timTimeout2(i)
  FetchSlot slot;
  PageAddress page;
  State state = State::Idle;
  quint64 generation = 0;
  bool waitingForBudget = false;  // data left unread until the sockets hold less
  // The connection came from the opener, which sent its request and holds a duplicate of it
  // until it is released; the plain socket reads it.
  bool opened = false;
  int hops = 0;             // redirects followed in this fetch
  qsizetype readLimit = 0;  // where reading stops for this fetch (0: only the memory limit)
  QStringList chain;        // the addresses this fetch was sent to, the asked one first

  bool busy() const { return state != State::Idle; }
  bool timersArmed() const { return idleTimer->isActive() || totalTimer->isActive(); }
  void armTimers() {
    slot.iIdleTicks = 0;
    idleTimer->start();
    slot.iTotalTicks = 0;
    totalTimer->start();
  }
  void disarmTimers() {
    idleTimer->stop();
    totalTimer->stop();
  }
  // A new page on this connection (a fetch or a redirect's next hop): nothing received yet.
  void clearResponse() {
    slot.strData.clear();
    slot.bHeaderDone = false;
    slot.lHeaderSearchFrom = 0;
    slot.lContentLength = 0;
    slot.lReceived = 0;
  }

 signals:
  void connected();  // the plain connection is up, or a secure one finished its handshake
  void dataArrived();
  void closed();  // by the server
  void failed(QAbstractSocket::SocketError error);
  void idleTick();   // timTimeout
  void totalTick();  // timTimeout2
};

// A fetch as it stood when a handler began. The crawl yields to the event loop inside its
// handlers, and a Stop, a Resume or another take for the same socket may run meanwhile; a
// ticket taken before the yield tells afterwards whether the handler's fetch is still the one
// on the socket.
struct FetchTicket {
  int16_t socket = 0;
  quint64 generation = 0;
};

}  // namespace norvane
