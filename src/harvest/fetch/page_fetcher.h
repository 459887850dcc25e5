#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "harvest/control/url_rules.h"
#include "harvest/fetch/connection_opener.h"
#include "harvest/fetch/fetch_connection.h"
#include "harvest/fetch/fetch_slot.h"
#include "harvest/fetch/host_lookups.h"

class QTcpSocket;
class QTimer;

namespace norvane {

class HarvestHost;

// Downloads one page per socket over plain HTTP/1.1 on port 80, ten sockets side by side (or as
// many as "Web" > "Connections" chooses). With
// the secure option on, "https://" websites are fetched over TLS on port 443 (certificates
// checked against the system's authorities and NORVANE_CA_FILE), redirects are followed on the
// same socket, and the request names the crawl in a User-Agent line. A
// fetch is given up (and its host remembered as slow) after `timeout` ticks without data, after
// `timeout2` ticks in all, on a socket error, or when the response outgrows the memory limit;
// the socket then asks its controller (the host) for its next website. When the server closes
// the connection the body goes to the host's SavePage.
class PageFetcher : public QObject {
  Q_OBJECT

 public:
  explicit PageFetcher(HarvestHost& host, QObject* parent = nullptr);
  ~PageFetcher() override;

  // Starts fetching strURL on socket i; strURL loses its trailing "/" and "http://". With a
  // `readLimit`, reading stops once that many bytes have arrived and the response then counts as
  // complete (the polite crawl's robots.txt).
  void StartFetch(int16_t i, QString& strURL, qsizetype readLimit = 0);
  // Ends whatever socket i is doing and disarms its timers.
  void CloseSocket(int16_t i);
  void CloseAll();
  // Sockets 0 to count - 1 take websites from now on (1 to kMaxSocketCount); set between runs.
  void setSocketCount(int count);
  int socketCount() const { return m_socketCount; }
  // A new run looks every name up again.
  void forgetLookups() { m_lookups.clear(); }

  const FetchSlot& slot(int16_t i) const { return m_connections[i]->slot; }
  // The address of the page being fetched (or last fetched) on socket i.
  const PageAddress& pageAddress(int16_t i) const { return m_connections[i]->page; }
  bool isFetching(int16_t i) const { return m_connections[i]->busy(); }
  bool isSlowHost(const QString& host) const;
  int slowHostCount() const { return int(m_slowHosts.size()); }
  bool timersArmed(int16_t i) const { return m_connections[i]->timersArmed(); }

  // The socket and timers of index i under their fixed names; the socket is the one its fetch
  // uses (or last used): the plain one for http pages, the TLS one for https pages.
  QTcpSocket* wscVersion(int16_t i) const { return m_connections[i]->socket; }

  // The address of the fetch started last on any socket.
  QString strCurUrl;
  QString strCurDir;

  void setTickLimits(int idleTicks, int totalTicks) {
    m_timeout = idleTicks;
    m_timeout2 = totalTicks;
  }
  int idleTickLimit() const { return m_timeout; }    // timeout
  int totalTickLimit() const { return m_timeout2; }  // timeout2
  void setTickInterval(int milliseconds);
  // Sends every connection to host:port instead of the website's host on port 80; the request
  // stays as it would be. Read from NORVANE_CONNECT_TO=HOST:PORT at construction. Only this
  // address escapes the rule that keeps the crawl out of local and private addresses.
  void setConnectTo(const QString& host, quint16 port) { m_hooks[0] = {host, port}; }
  // The same for TLS connections: NORVANE_CONNECT_TO_TLS=HOST:PORT. The server name sent and
  // checked stays the website's host.
  void setConnectToTls(const QString& host, quint16 port) { m_hooks[1] = {host, port}; }
  // Authorities trusted besides the system's, for every TLS connection; the PEM file named by
  // NORVANE_CA_FILE is read at construction.
  void addCaCertificates(const QList<QSslCertificate>& authorities);
  // "Secure Sites and Redirects".
  void setSecureWeb(bool on) { m_secureWeb = on; }
  UrlRules urlRules() const { return UrlRules{m_secureWeb}; }
  // Replaces the system's resolver (nothing: back to it). A lookup set here runs also when the
  // connect-to hook is set; the hook then takes the connection of every name that resolves.
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
  // What all sockets together hold of their responses: past it, a response larger than its
  // socket's share of it leaves its next piece in the socket (the server then waits) until another
  // fetch ends, unless it is the largest of all, which goes on to its end or its limit. The sockets
  // thus hold at most this plus one response's limit. A waiting socket's idle time-out still runs.
  static constexpr qsizetype kMaxBufferedBytes = 64 * 1024 * 1024;
  // What a socket reads ahead of the crawl, so that unread data stays with the server.
  static constexpr qsizetype kReadAheadBytes = 256 * 1024;
  // The response bytes all sockets hold now.
  qsizetype bufferedBytes() const;
  // Redirects followed for one website; the next one ends the fetch like a time-out.
  static constexpr int kMaxRedirects = 5;

 private:
  using State = FetchConnection::State;

  FetchTicket ticket(int16_t i) const { return {i, m_connections[i]->generation}; }
  bool current(const FetchTicket& t) const {
    return m_connections[t.socket]->generation == t.generation;
  }
  // Yields to the event loop once; true when the ticket's fetch is still the socket's and busy.
  bool yieldKeeps(const FetchTicket& t);
  // Every start and close of a socket raises its generation, so an event or answer that belongs
  // to an earlier fetch on the same socket is recognised and dropped.
  void endFetch(FetchConnection& c);

  void connectSocket(const FetchTicket& t);
  void connectToAddresses(int16_t i, const QList<QHostAddress>& addresses);
  void connectTo(FetchConnection& c, const QString& hostOrAddress, quint16 port);
  // The connect-to hook for the fetch's scheme; its host is empty when none is set.
  const std::pair<QString, quint16>& hookOf(const FetchConnection& c) const;
  QByteArray requestOf(const FetchConnection& c) const;
  // The opener's answer for a plain connection: the plain socket reads it, or the fetch fails.
  void connectionOpened(const ConnectionOpener::Opened& opened);
  // A connection from the opener is over; its teardown happens on the opener's thread, at its
  // next piece of work.
  void releaseOpened(int16_t i);
  // The response on socket i is a redirect: its next hop, or the end of the fetch.
  void followRedirect(int16_t i, const std::optional<std::string>& location);
  // Ends the fetch on socket i without reading a page and without marking its host slow.
  void skipFetch(int16_t i);
  void setPage(FetchConnection& c, const PageAddress& address);
  void showDownloading(const FetchConnection& c);
  // The host goes into the slow set, the socket is closed and takes its next website.
  // The reason goes to the crawl's log line.
  void giveUp(int16_t i, const QString& reason);
  void giveUpLater(int16_t i, const QString& reason);
  // Sockets that left data unread for the memory budget read it now that a fetch has ended.
  void wakeWaitingForBudget();
  // Whether socket i holds the largest response of the busy sockets (the lowest index of equals).
  bool holdsMost(int16_t i) const;
  // Reads, through the event loop, what socket i holds unread after its data handler.
  void readRestLater(int16_t i);
  // Runs the data handler for the ticket's fetch through the event loop, if it is still on.
  void readLater(const FetchTicket& t);

  HarvestHost& m_host;
  std::vector<FetchConnection*> m_connections;  // children of the fetcher
  int m_socketCount = 0;
  QSet<QString> m_slowHosts;  // lower case
  int m_timeout = 10;
  int m_timeout2 = 30;
  std::pair<QString, quint16> m_hooks[2];  // plain, TLS; an empty host for none
  bool m_secureWeb = false;
  QSslConfiguration m_tls;
  HostLookups m_lookups;
  bool m_ownLookup = false;  // set by setHostLookup
  int m_tickMs = 1000;
  qsizetype m_maxResponseBytes = kMaxResponseBytes;
  // Last, so that it goes first: its answers refer to the connections above.
  ConnectionOpener m_opener;
};

}  // namespace norvane
