#include "harvest/page_fetcher.h"

#include <QHostInfo>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "common/event_yield.h"
#include "common/statistics.h"
#include "harvest/address_rules.h"
#include "harvest/harvest_host.h"
#include "harvest/http_response.h"

namespace norvane {
namespace {

constexpr int kTickMilliseconds = 1000;

void SystemLookup(const QString& host, QObject* context,
                  std::function<void(const QList<QHostAddress>&)> done) {
  QHostInfo::lookupHost(
      host, context, [done = std::move(done)](const QHostInfo& info) { done(info.addresses()); });
}

}  // namespace

PageFetcher::PageFetcher(HarvestHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_lookup(SystemLookup) {
  for (int16_t i = 0; i < kSocketCount; ++i) {
    FetchConnection& c = m_connections[i];
    auto* socket = new QTcpSocket(this);
    socket->setObjectName(QStringLiteral("wscVersion(%1)").arg(i));
    // The crawl always connects directly, whatever proxy the rest of the program uses.
    socket->setProxy(QNetworkProxy::NoProxy);
    c.socket = socket;
    connect(socket, &QTcpSocket::connected, this, [this, i] { wscVersion_Connect(i); });
    connect(socket, &QTcpSocket::readyRead, this,
            [this, i] { wscVersion_DataArrival(i, m_connections[i].socket->bytesAvailable()); });
    connect(socket, &QTcpSocket::disconnected, this, [this, i] { wscVersion_Close(i); });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, i](QAbstractSocket::SocketError error) { wscVersion_Error(i, error); });

    for (const auto& entry :
         {std::pair{&FetchConnection::idleTimer, &PageFetcher::timTimeout_Timer},
          std::pair{&FetchConnection::totalTimer, &PageFetcher::timTimeout2_Timer}}) {
      auto* timer = new QTimer(this);
      timer->setInterval(kTickMilliseconds);
      const auto handler = entry.second;
      connect(timer, &QTimer::timeout, this, [this, i, handler] { (this->*handler)(i); });
      c.*entry.first = timer;
    }
  }
  m_connections[0].idleTimer->setObjectName(QStringLiteral("timTimeout"));
  m_connections[0].totalTimer->setObjectName(QStringLiteral("timTimeout2"));

  const QString hook = qEnvironmentVariable("NORVANE_CONNECT_TO");
  const qsizetype colon = hook.lastIndexOf(QLatin1Char(':'));
  if (colon > 0) {
    bool ok = false;
    const uint port = hook.mid(colon + 1).toUInt(&ok);
    if (ok && port > 0 && port <= 65535) setConnectTo(hook.left(colon), quint16(port));
  }
}

PageFetcher::~PageFetcher() {
  // Closing here sends no events to a host that is going away.
  for (FetchConnection& c : m_connections) {
    endFetch(c);
    c.socket->disconnect(this);
    c.socket->abort();
  }
}

bool PageFetcher::isSlowHost(const QString& host) const {
  return !host.isEmpty() && m_slowHosts.contains(host.toLower());
}

void PageFetcher::setTickLimits(int idleTicks, int totalTicks) {
  m_timeout = idleTicks;
  m_timeout2 = totalTicks;
}

void PageFetcher::setTickInterval(int milliseconds) {
  for (FetchConnection& c : m_connections) {
    c.idleTimer->setInterval(milliseconds);
    c.totalTimer->setInterval(milliseconds);
  }
}

void PageFetcher::setConnectTo(const QString& host, quint16 port) {
  m_connectHost = host;
  m_connectPort = port;
}

void PageFetcher::setHostLookup(HostLookup lookup) {
  m_lookup = lookup ? std::move(lookup) : HostLookup(SystemLookup);
}

bool PageFetcher::yieldKeeps(const FetchTicket& t) {
  YieldToEvents();
  return current(t) && m_connections[t.socket].busy();
}

void PageFetcher::endFetch(FetchConnection& c) {
  ++c.generation;
  c.state = State::Idle;
  c.disarmTimers();
}

void PageFetcher::StartFetchReading(int16_t i, QString& strURL, qsizetype limit) {
  m_nextReadLimit = limit;
  StartFetch(i, strURL);
}

void PageFetcher::StartFetch(int16_t i, QString& strURL) {
  m_readLimit[i] = std::exchange(m_nextReadLimit, 0);
  if (!m_host.harvesting()) return;
  FetchConnection& c = m_connections[i];

  const PageAddress address = DecomposePageAddress(strURL);
  strURL = address.url;
  strCurUrl = address.curUrl;
  strCurDir = address.curDir;
  c.page = address;
  FetchSlot& slot = c.slot;
  slot.strHost = address.host;
  slot.strPath = address.path;

  CloseSocket(i);
  const FetchTicket t = ticket(i);
  if (isSlowHost(slot.strHost)) {
    // Through the event loop rather than directly: a long run of slow hosts must not nest one
    // take inside the other.
    QMetaObject::invokeMethod(
        this,
        [this, t] {
          if (current(t)) m_host.TakeNextWebsite(t.socket);
        },
        Qt::QueuedConnection);
    return;
  }

  slot.strData.clear();
  slot.bHeaderDone = false;
  slot.lHeaderSearchFrom = 0;
  slot.lContentLength = 0;
  slot.lReceived = 0;
  m_host.setPanelText(1, QStringLiteral("Downloading: http://") + slot.strHost + slot.strPath);
  c.state = State::LookingUp;
  // A Stop, or another take for this socket, while the events ran: this fetch is over.
  if (!yieldKeeps(t)) return;
  if (!m_host.harvesting()) {
    c.state = State::Idle;
    return;
  }

  c.armTimers();
  connectSocket(t);
}

void PageFetcher::connectSocket(const FetchTicket& t) {
  FetchConnection& c = m_connections[t.socket];
  if (!m_connectHost.isEmpty()) {
    c.state = State::Connecting;
    c.socket->connectToHost(m_connectHost, m_connectPort);
    return;
  }
  c.state = State::LookingUp;
  m_lookup(c.slot.strHost, this, [this, t](const QList<QHostAddress>& addresses) {
    if (current(t) && m_connections[t.socket].state == State::LookingUp)
      connectToAddresses(t.socket, addresses);
  });
}

void PageFetcher::connectToAddresses(int16_t i, const QList<QHostAddress>& addresses) {
  // A page decides which hosts the crawl visits, so no host may lead it into the user's own
  // machine or network: such a host is treated as one that cannot be reached.
  for (const QHostAddress& address : addresses) {
    if (IsPrivateOrLocalAddress(address)) continue;
    m_connections[i].state = State::Connecting;
    m_connections[i].socket->connectToHost(address, 80);
    return;
  }
  giveUpLater(i);
}

void PageFetcher::CloseSocket(int16_t i) {
  FetchConnection& c = m_connections[i];
  endFetch(c);
  c.socket->abort();
}

void PageFetcher::CloseAll() {
  for (int16_t i = 0; i < kSocketCount; ++i) CloseSocket(i);
}

void PageFetcher::wscVersion_Connect(int16_t i) {
  const FetchTicket t = ticket(i);
  if (!yieldKeeps(t) || m_connections[i].state != State::Connecting) return;
  FetchConnection& c = m_connections[i];
  c.state = State::Receiving;
  m_host.setProgressValue(0);
  c.socket->write(BuildPageRequest(c.slot.strHost, c.slot.strPath));
}

void PageFetcher::wscVersion_DataArrival(int16_t i, qint64 bytesTotal) {
  (void)bytesTotal;  // what is read below is what counts
  const FetchTicket t = ticket(i);
  if (!yieldKeeps(t)) return;
  if (!m_host.harvesting()) return;  // the data stays unread in the socket

  FetchConnection& c = m_connections[i];
  FetchSlot& slot = c.slot;
  slot.iIdleTicks = 0;
  const QByteArray data = c.socket->readAll();
  slot.strData.append(data.constData(), std::size_t(data.size()));
  if (qsizetype(slot.strData.size()) > m_maxResponseBytes) {
    giveUp(i);
    return;
  }
  if (m_readLimit[i] > 0 && qsizetype(slot.strData.size()) >= m_readLimit[i])
    return wscVersion_Close(i);
  slot.lReceived += int32_t(data.size());
  m_host.setPanelText(1, QStringLiteral("Downloading: ") + slot.strHost + slot.strPath +
                             QStringLiteral(" (") + QString::number(slot.lReceived) +
                             QLatin1Char(')'));
  if (slot.lContentLength >= 1) {
    const float percent =
        std::fabs(float(double(slot.lReceived) / double(slot.lContentLength) * 100.0));
    m_host.setProgressValue(int(std::lrint(percent)));
    if (!yieldKeeps(t)) return;
  }
  if (slot.bHeaderDone) return;
  const auto end = FindHeaderEndResuming(slot.strData, slot.lHeaderSearchFrom);
  if (!end) return;
  slot.bHeaderDone = true;
  slot.lReceived -= int32_t(end->blockSize);
  slot.lContentLength =
      ContentLengthOf(std::string_view(slot.strData).substr(0, end->position - 1));
}

void PageFetcher::wscVersion_Close(int16_t i) {
  const FetchTicket t = ticket(i);
  // Our own closes and closes after a Stop end nothing.
  if (!yieldKeeps(t)) return;
  if (!m_host.harvesting()) return;

  FetchConnection& c = m_connections[i];
  FetchSlot& slot = c.slot;
  // Bytes that arrived with the close and were not read yet belong to the page.
  const QByteArray rest = c.socket->readAll();
  slot.strData.append(rest.constData(), std::size_t(rest.size()));
  if (qsizetype(slot.strData.size()) > m_maxResponseBytes) {
    giveUp(i);
    return;
  }
  endFetch(c);
  if (m_host.TakeOverResponse(i, slot.strData)) return;
  m_host.RecordStatistic(Statistics::kPageScanned);
  const std::string body = ResponseBody(slot.strData);
  slot.strData.clear();
  slot.strData.shrink_to_fit();
  m_host.setPanelText(1, QStringLiteral("Finished: ") + slot.strHost + slot.strPath);
  m_host.SavePage(body, i);
}

void PageFetcher::wscVersion_Error(int16_t i, QAbstractSocket::SocketError error) {
  // A server closing the connection is the normal end of a page; the close handler takes it.
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  if (!m_connections[i].busy()) return;
  giveUpLater(i);
}

void PageFetcher::timTimeout_Timer(int16_t i) {
  FetchConnection& c = m_connections[i];
  if (!c.busy()) return c.disarmTimers();
  if (++c.slot.iIdleTicks >= m_timeout) giveUp(i);
}

void PageFetcher::timTimeout2_Timer(int16_t i) {
  FetchConnection& c = m_connections[i];
  if (!c.busy()) return c.disarmTimers();
  if (++c.slot.iTotalTicks >= m_timeout2) giveUp(i);
}

void PageFetcher::giveUp(int16_t i) {
  FetchSlot& slot = m_connections[i].slot;
  if (!slot.strHost.isEmpty()) m_slowHosts.insert(slot.strHost.toLower());
  CloseSocket(i);
  slot.strData.clear();
  slot.strData.shrink_to_fit();
  m_host.TakeNextWebsite(i);
}

void PageFetcher::giveUpLater(int16_t i) {
  // Errors can be raised from inside connectToHost; going through the event loop keeps the
  // next take from nesting inside this fetch's start.
  const FetchTicket t = ticket(i);
  QMetaObject::invokeMethod(
      this,
      [this, t] {
        if (current(t) && m_connections[t.socket].busy()) giveUp(t.socket);
      },
      Qt::QueuedConnection);
}

}  // namespace norvane
