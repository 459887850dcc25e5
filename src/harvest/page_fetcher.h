#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "harvest/fetch_connection.h"
#include "harvest/fetch_slot.h"
#include "harvest/url_rules.h"

class QTcpSocket;
class QTimer;

namespace norvane {

class HarvestHost;

// Downloads one page per socket over plain HTTP/1.1 on port 80, ten sockets side by side. A
// fetch is given up (and its host remembered as slow) after `timeout` ticks without data, after
// `timeout2` ticks in all, on a socket error, or when the response outgrows the memory limit;
// the socket then asks its controller (the host) for its next website. When the server closes
// the connection the body goes to the host's SavePage.
class PageFetcher : public QObject {
  Q_OBJECT

 public:
  // Looks a host name up and calls done with its addresses (none when the lookup failed). The
  // answer may come later through the event loop; context ends it early when destroyed.
  using HostLookup = std::function<void(const QString& host, QObject* context,
                                        std::function<void(const QList<QHostAddress>&)> done)>;

  explicit PageFetcher(HarvestHost& host, QObject* parent = nullptr);
  ~PageFetcher() override;

  // Starts fetching strURL on socket i; strURL loses its trailing "/" and "http://".
  void StartFetch(int16_t i, QString& strURL);
  // The same, but reading stops once `limit` bytes have arrived and the response then counts as
  // complete (the polite crawl's robots.txt).
  void StartFetchReading(int16_t i, QString& strURL, qsizetype limit);
  // Ends whatever socket i is doing and disarms its timers.
  void CloseSocket(int16_t i);
  void CloseAll();

  const FetchSlot& slot(int16_t i) const { return m_connections[i].slot; }
  // The address of the page being fetched (or last fetched) on socket i.
  const PageAddress& pageAddress(int16_t i) const { return m_connections[i].page; }
  bool isFetching(int16_t i) const { return m_connections[i].busy(); }
  bool isSlowHost(const QString& host) const;
  int slowHostCount() const { return int(m_slowHosts.size()); }
  bool timersArmed(int16_t i) const { return m_connections[i].timersArmed(); }

  // The socket and timers of index i under their fixed names.
  QTcpSocket* wscVersion(int16_t i) const { return m_connections[i].socket; }
  QTimer* timTimeout(int16_t i) const { return m_connections[i].idleTimer; }
  QTimer* timTimeout2(int16_t i) const { return m_connections[i].totalTimer; }

  // The address of the fetch started last on any socket.
  QString strCurUrl;
  QString strCurDir;

  void setTickLimits(int idleTicks, int totalTicks);
  int idleTickLimit() const { return m_timeout; }    // timeout
  int totalTickLimit() const { return m_timeout2; }  // timeout2
  void setTickInterval(int milliseconds);
  // Sends every connection to host:port instead of the website's host on port 80; the request
  // stays as it would be. Read from NORVANE_CONNECT_TO=HOST:PORT at construction. Only this
  // address escapes the rule that keeps the crawl out of local and private addresses.
  void setConnectTo(const QString& host, quint16 port);
  void setHostLookup(HostLookup lookup);
  void setMaxResponseBytes(qsizetype bytes) { m_maxResponseBytes = bytes; }

  // The socket and timer events; public so the fixed names stay visible to tests.
  void wscVersion_Connect(int16_t i);
  void wscVersion_DataArrival(int16_t i, qint64 bytesTotal);
  void wscVersion_Close(int16_t i);
  void wscVersion_Error(int16_t i, QAbstractSocket::SocketError error);
  void timTimeout_Timer(int16_t i);
  void timTimeout2_Timer(int16_t i);

  // A response may grow to this size; past it the fetch is given up like a time-out.
  static constexpr qsizetype kMaxResponseBytes = 16 * 1024 * 1024;

 private:
  using State = FetchConnection::State;

  FetchTicket ticket(int16_t i) const { return {i, m_connections[i].generation}; }
  bool current(const FetchTicket& t) const {
    return m_connections[t.socket].generation == t.generation;
  }
  // Yields to the event loop once; true when the ticket's fetch is still the socket's and busy.
  bool yieldKeeps(const FetchTicket& t);
  // Every start and close of a socket raises its generation, so an event or answer that belongs
  // to an earlier fetch on the same socket is recognised and dropped.
  void endFetch(FetchConnection& c);

  void connectSocket(const FetchTicket& t);
  void connectToAddresses(int16_t i, const QList<QHostAddress>& addresses);
  // The host goes into the slow set, the socket is closed and takes its next website.
  void giveUp(int16_t i);
  void giveUpLater(int16_t i);

  HarvestHost& m_host;
  std::array<FetchConnection, kSocketCount> m_connections{};
  QSet<QString> m_slowHosts;  // lower case
  int m_timeout = 10;
  int m_timeout2 = 30;
  QString m_connectHost;
  quint16 m_connectPort = 0;
  HostLookup m_lookup;
  qsizetype m_maxResponseBytes = kMaxResponseBytes;
  // Per socket: where reading stops for the current fetch (0: only the memory limit).
  std::array<qsizetype, kSocketCount> m_readLimit{};
  qsizetype m_nextReadLimit = 0;
};

}  // namespace norvane
