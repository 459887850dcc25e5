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

#include "harvest/fetch_slot.h"
#include "harvest/url_rules.h"

class QTcpSocket;
class QTimer;

namespace norvane {

class HarvestHost;

// Downloads one page per socket over plain HTTP/1.1 on port 80, ten sockets side by side. A
// fetch is given up (and its host remembered as slow) after `timeout` ticks without data, after
// `timeout2` ticks in all, on a socket error, or when the response outgrows the memory limit.
// When the server closes the connection the body goes to the host's SavePage.
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
  // Ends whatever socket i is doing and disarms its timers.
  void CloseSocket(int16_t i);
  void CloseAll();

  const FetchSlot& slot(int16_t i) const { return m_slots[i]; }
  // The address of the page being fetched (or last fetched) on socket i.
  const PageAddress& pageAddress(int16_t i) const { return m_pages[i]; }
  bool isFetching(int16_t i) const { return m_state[i] != State::Idle; }
  bool isSlowHost(const QString& host) const;
  int slowHostCount() const { return int(m_slowHosts.size()); }
  bool timersArmed(int16_t i) const;

  // The address of the fetch started last on any socket.
  QString strCurUrl;
  QString strCurDir;

  void setTickLimits(int idleTicks, int totalTicks);
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
  enum class State { Idle, LookingUp, Connecting, Receiving };

  void connectSocket(int16_t i, quint64 generation);
  void connectToAddresses(int16_t i, const QList<QHostAddress>& addresses);
  // The host goes into the slow set, the socket is closed and takes its next website.
  void giveUp(int16_t i);
  void giveUpLater(int16_t i);
  void disarmTimers(int16_t i);
  bool current(int16_t i, quint64 generation) const { return m_generation[i] == generation; }

  HarvestHost& m_host;
  std::array<QTcpSocket*, kSocketCount> wscVersion{};
  std::array<QTimer*, kSocketCount> timTimeout{};
  std::array<QTimer*, kSocketCount> timTimeout2{};
  std::array<FetchSlot, kSocketCount> m_slots{};
  std::array<PageAddress, kSocketCount> m_pages{};
  std::array<State, kSocketCount> m_state{};
  // Raised by every start and close of a socket, so an event or answer that belongs to an
  // earlier fetch on the same socket is recognised and dropped.
  std::array<quint64, kSocketCount> m_generation{};
  QSet<QString> m_slowHosts;  // lower case
  int m_timeout = 10;
  int m_timeout2 = 30;
  QString m_connectHost;
  quint16 m_connectPort = 0;
  HostLookup m_lookup;
  qsizetype m_maxResponseBytes = kMaxResponseBytes;
};

}  // namespace norvane
