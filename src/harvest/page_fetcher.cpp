#include "harvest/page_fetcher.h"

#include <QHostInfo>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <cmath>
#include <cstdlib>

#include "common/event_yield.h"
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
    auto* socket = new QTcpSocket(this);
    socket->setObjectName(QStringLiteral("wscVersion(%1)").arg(i));
    // The crawl always connects directly, whatever proxy the rest of the program uses.
    socket->setProxy(QNetworkProxy::NoProxy);
    wscVersion[i] = socket;
    connect(socket, &QTcpSocket::connected, this, [this, i] { wscVersion_Connect(i); });
    connect(socket, &QTcpSocket::readyRead, this,
            [this, i] { wscVersion_DataArrival(i, wscVersion[i]->bytesAvailable()); });
    connect(socket, &QTcpSocket::disconnected, this, [this, i] { wscVersion_Close(i); });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, i](QAbstractSocket::SocketError error) { wscVersion_Error(i, error); });

    for (const auto& entry : {std::pair{&timTimeout, &PageFetcher::timTimeout_Timer},
                              std::pair{&timTimeout2, &PageFetcher::timTimeout2_Timer}}) {
      auto* timer = new QTimer(this);
      timer->setInterval(kTickMilliseconds);
      const auto handler = entry.second;
      connect(timer, &QTimer::timeout, this, [this, i, handler] { (this->*handler)(i); });
      (*entry.first)[i] = timer;
    }
  }
  timTimeout[0]->setObjectName(QStringLiteral("timTimeout"));
  timTimeout2[0]->setObjectName(QStringLiteral("timTimeout2"));

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
  for (int16_t i = 0; i < kSocketCount; ++i) {
    ++m_generation[i];
    m_state[i] = State::Idle;
    wscVersion[i]->disconnect(this);
    wscVersion[i]->abort();
  }
}

bool PageFetcher::isSlowHost(const QString& host) const {
  return !host.isEmpty() && m_slowHosts.contains(host.toLower());
}

bool PageFetcher::timersArmed(int16_t i) const {
  return timTimeout[i]->isActive() || timTimeout2[i]->isActive();
}

void PageFetcher::setTickLimits(int idleTicks, int totalTicks) {
  m_timeout = idleTicks;
  m_timeout2 = totalTicks;
}

void PageFetcher::setTickInterval(int milliseconds) {
  for (int i = 0; i < kSocketCount; ++i) {
    timTimeout[i]->setInterval(milliseconds);
    timTimeout2[i]->setInterval(milliseconds);
  }
}

void PageFetcher::setConnectTo(const QString& host, quint16 port) {
  m_connectHost = host;
  m_connectPort = port;
}

void PageFetcher::setHostLookup(HostLookup lookup) {
  m_lookup = lookup ? std::move(lookup) : HostLookup(SystemLookup);
}

void PageFetcher::StartFetch(int16_t i, QString& strURL) {
  if (!m_host.harvesting()) return;

  const PageAddress address = DecomposePageAddress(strURL);
  strURL = address.url;
  strCurUrl = address.curUrl;
  strCurDir = address.curDir;
  m_pages[i] = address;
  FetchSlot& slot = m_slots[i];
  slot.strHost = address.host;
  slot.strPath = address.path;

  CloseSocket(i);
  const quint64 generation = m_generation[i];
  if (isSlowHost(slot.strHost)) {
    // Through the event loop rather than directly: a long run of slow hosts must not nest one
    // take inside the other.
    QMetaObject::invokeMethod(
        this,
        [this, i, generation] {
          if (current(i, generation)) m_host.TakeNextWebsite(i);
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
  m_state[i] = State::LookingUp;
  YieldToEvents();
  // A Stop, or another take for this socket, while the events ran: this fetch is over.
  if (!current(i, generation)) return;
  if (!m_host.harvesting()) {
    m_state[i] = State::Idle;
    return;
  }

  slot.iIdleTicks = 0;
  timTimeout[i]->start();
  slot.iTotalTicks = 0;
  timTimeout2[i]->start();
  connectSocket(i, generation);
}

void PageFetcher::connectSocket(int16_t i, quint64 generation) {
  QTcpSocket* socket = wscVersion[i];
  if (!m_connectHost.isEmpty()) {
    m_state[i] = State::Connecting;
    socket->connectToHost(m_connectHost, m_connectPort);
    return;
  }
  m_state[i] = State::LookingUp;
  m_lookup(m_slots[i].strHost, this, [this, i, generation](const QList<QHostAddress>& addresses) {
    if (current(i, generation) && m_state[i] == State::LookingUp) connectToAddresses(i, addresses);
  });
}

void PageFetcher::connectToAddresses(int16_t i, const QList<QHostAddress>& addresses) {
  // A page decides which hosts the crawl visits, so no host may lead it into the user's own
  // machine or network: such a host is treated as one that cannot be reached.
  for (const QHostAddress& address : addresses) {
    if (IsPrivateOrLocalAddress(address)) continue;
    m_state[i] = State::Connecting;
    wscVersion[i]->connectToHost(address, 80);
    return;
  }
  giveUpLater(i);
}

void PageFetcher::CloseSocket(int16_t i) {
  ++m_generation[i];
  m_state[i] = State::Idle;
  disarmTimers(i);
  wscVersion[i]->abort();
}

void PageFetcher::CloseAll() {
  for (int16_t i = 0; i < kSocketCount; ++i) CloseSocket(i);
}

void PageFetcher::disarmTimers(int16_t i) {
  timTimeout[i]->stop();
  timTimeout2[i]->stop();
}

void PageFetcher::wscVersion_Connect(int16_t i) {
  const quint64 generation = m_generation[i];
  YieldToEvents();
  if (!current(i, generation) || m_state[i] != State::Connecting) return;
  m_state[i] = State::Receiving;
  m_host.setProgressValue(0);
  wscVersion[i]->write(BuildPageRequest(m_slots[i].strHost, m_slots[i].strPath));
}

void PageFetcher::wscVersion_DataArrival(int16_t i, qint64 bytesTotal) {
  (void)bytesTotal;  // what is read below is what counts
  const quint64 generation = m_generation[i];
  YieldToEvents();
  if (!current(i, generation) || m_state[i] == State::Idle) return;
  if (!m_host.harvesting()) return;  // the data stays unread in the socket

  FetchSlot& slot = m_slots[i];
  slot.iIdleTicks = 0;
  const QByteArray data = wscVersion[i]->readAll();
  slot.strData.append(data.constData(), std::size_t(data.size()));
  if (qsizetype(slot.strData.size()) > m_maxResponseBytes) {
    giveUp(i);
    return;
  }
  slot.lReceived += int32_t(data.size());
  m_host.setPanelText(1, QStringLiteral("Downloading: ") + slot.strHost + slot.strPath +
                             QStringLiteral(" (") + QString::number(slot.lReceived) +
                             QLatin1Char(')'));
  if (slot.lContentLength >= 1) {
    const float percent =
        std::fabs(float(double(slot.lReceived) / double(slot.lContentLength) * 100.0));
    m_host.setProgressValue(int(std::lrint(percent)));
    YieldToEvents();
    if (!current(i, generation)) return;
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
  const quint64 generation = m_generation[i];
  YieldToEvents();
  // Our own closes and closes after a Stop end nothing.
  if (!current(i, generation) || m_state[i] == State::Idle) return;
  if (!m_host.harvesting()) return;

  FetchSlot& slot = m_slots[i];
  // Bytes that arrived with the close and were not read yet belong to the page.
  const QByteArray rest = wscVersion[i]->readAll();
  slot.strData.append(rest.constData(), std::size_t(rest.size()));
  if (qsizetype(slot.strData.size()) > m_maxResponseBytes) {
    giveUp(i);
    return;
  }
  ++m_generation[i];
  m_state[i] = State::Idle;
  disarmTimers(i);
  m_host.RecordStatistic(0);
  const std::string body = ResponseBody(slot.strData);
  slot.strData.clear();
  slot.strData.shrink_to_fit();
  m_host.setPanelText(1, QStringLiteral("Finished: ") + slot.strHost + slot.strPath);
  m_host.SavePage(body, i);
}

void PageFetcher::wscVersion_Error(int16_t i, QAbstractSocket::SocketError error) {
  // A server closing the connection is the normal end of a page; the close handler takes it.
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  if (m_state[i] == State::Idle) return;
  giveUpLater(i);
}

void PageFetcher::timTimeout_Timer(int16_t i) {
  if (m_state[i] == State::Idle) return disarmTimers(i);
  if (++m_slots[i].iIdleTicks >= m_timeout) giveUp(i);
}

void PageFetcher::timTimeout2_Timer(int16_t i) {
  if (m_state[i] == State::Idle) return disarmTimers(i);
  if (++m_slots[i].iTotalTicks >= m_timeout2) giveUp(i);
}

void PageFetcher::giveUp(int16_t i) {
  const QString host = m_slots[i].strHost;
  if (!host.isEmpty()) m_slowHosts.insert(host.toLower());
  CloseSocket(i);
  m_slots[i].strData.clear();
  m_slots[i].strData.shrink_to_fit();
  m_host.TakeNextWebsite(i);
}

void PageFetcher::giveUpLater(int16_t i) {
  // Errors can be raised from inside connectToHost; going through the event loop keeps the
  // next take from nesting inside this fetch's start.
  const quint64 generation = m_generation[i];
  QMetaObject::invokeMethod(
      this,
      [this, i, generation] {
        if (current(i, generation) && m_state[i] != State::Idle) giveUp(i);
      },
      Qt::QueuedConnection);
}

}  // namespace norvane
