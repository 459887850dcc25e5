#include "harvest/fetch/page_fetcher.h"

#include <unistd.h>
#include <QMetaEnum>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringBuilder>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/event_yield.h"
#include "common/log_categories.h"
#include "common/statistics.h"
#include "harvest/control/address_rules.h"
#include "harvest/control/harvest_host.h"
#include "harvest/fetch/http_response.h"
#include "harvest/fetch/redirect_response.h"

namespace norvane {
namespace {

// HOST:PORT from an environment variable; nothing when it is unset or malformed.
std::optional<std::pair<QString, quint16>> HostAndPortFrom(const char* variable) {
  const QString hook = qEnvironmentVariable(variable);
  const qsizetype colon = hook.lastIndexOf(QLatin1Char(':'));
  if (colon <= 0) return std::nullopt;
  bool ok = false;
  const uint port = hook.mid(colon + 1).toUInt(&ok);
  if (!ok || port == 0 || port > 65535) return std::nullopt;
  return std::pair{hook.left(colon), quint16(port)};
}

// Appends up to `bytes` of what the socket holds to the response, read straight into it rather
// than through a QByteArray of its own; returns what was read.
qint64 ReadInto(QIODevice& socket, std::string& response, qint64 bytes) {
  if (bytes <= 0) return 0;
  const std::size_t had = response.size();
  response.resize(had + std::size_t(bytes));
  const qint64 read = socket.read(response.data() + had, bytes);
  response.resize(had + std::size_t(std::max<qint64>(read, 0)));
  return std::max<qint64>(read, 0);
}

QString SocketErrorName(QAbstractSocket::SocketError error) {
  return QString::fromLatin1(QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(error));
}

// Once the response's header block has come whole: the body's length it announces, and the
// received count without the block.
void ReadHeaderBlock(FetchSlot& slot) {
  if (slot.bHeaderDone) return;
  const auto end = FindHeaderEndResuming(slot.strData, slot.lHeaderSearchFrom);
  if (!end) return;
  slot.bHeaderDone = true;
  slot.lReceived -= int32_t(end->blockSize);
  slot.lContentLength =
      ContentLengthOf(std::string_view(slot.strData).substr(0, end->position - 1));
}

// The log's reason for a failed connect or read of a connection from the opener.
QString RefusedReason(int error) {
  return QStringLiteral("refused (%1)").arg(QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace

PageFetcher::PageFetcher(HarvestHost& host, QObject* parent)
    : QObject(parent),
      m_host(host),
      m_opener([this](const ConnectionOpener::Opened& opened) { connectionOpened(opened); }) {
  m_tls = QSslConfiguration::defaultConfiguration();
  const QString caFile = qEnvironmentVariable("NORVANE_CA_FILE");
  if (!caFile.isEmpty()) m_tls.addCaCertificates(QSslCertificate::fromPath(caFile, QSsl::Pem));
  m_connections.reserve(kMaxSocketCount);
  setSocketCount(kSocketCount);

  if (const auto hook = HostAndPortFrom("NORVANE_CONNECT_TO"))
    setConnectTo(hook->first, hook->second);
  if (const auto hook = HostAndPortFrom("NORVANE_CONNECT_TO_TLS"))
    setConnectToTls(hook->first, hook->second);
}

void PageFetcher::setSocketCount(int count) {
  m_socketCount = std::clamp(count, 1, kMaxSocketCount);
  // Sockets once made stay for the program's life; only the first m_socketCount take websites.
  while (int(m_connections.size()) < m_socketCount) {
    const auto i = int16_t(m_connections.size());
    auto* c = new FetchConnection(i, kReadAheadBytes, m_tls, m_tickMs, this);
    m_connections.push_back(c);
    connect(c, &FetchConnection::connected, this, [this, i] { wscVersion_Connect(i); });
    connect(c, &FetchConnection::dataArrived, this, [this, i] {
      wscVersion_DataArrival(i, m_connections[i]->socket->bytesAvailable());
      readRestLater(i);
    });
    connect(c, &FetchConnection::closed, this, [this, i] { wscVersion_Close(i); });
    connect(c, &FetchConnection::failed, this,
            [this, i](QAbstractSocket::SocketError error) { wscVersion_Error(i, error); });
    connect(c, &FetchConnection::idleTick, this, [this, i] { timTimeout_Timer(i); });
    connect(c, &FetchConnection::totalTick, this, [this, i] { timTimeout2_Timer(i); });
  }
}

PageFetcher::~PageFetcher() {
  // Closing here sends no events to a host that is going away.
  for (int16_t i = 0; i < int16_t(m_connections.size()); ++i) {
    FetchConnection& c = *m_connections[i];
    endFetch(c);
    releaseOpened(i);
    c.disconnect(this);
    for (QTcpSocket* socket : {c.plainSocket, static_cast<QTcpSocket*>(c.secureSocket)})
      socket->abort();
  }
}

bool PageFetcher::isSlowHost(const QString& host) const {
  return !host.isEmpty() && m_slowHosts.contains(host.toLower());
}

void PageFetcher::setTickInterval(int milliseconds) {
  m_tickMs = milliseconds;
  for (FetchConnection* c : m_connections) {
    c->idleTimer->setInterval(milliseconds);
    c->totalTimer->setInterval(milliseconds);
  }
}

void PageFetcher::addCaCertificates(const QList<QSslCertificate>& authorities) {
  if (authorities.isEmpty()) return;
  m_tls.addCaCertificates(authorities);
  for (FetchConnection* c : m_connections) c->secureSocket->setSslConfiguration(m_tls);
}

void PageFetcher::setHostLookup(HostLookup lookup) {
  m_ownLookup = bool(lookup);
  m_lookups.setLookup(std::move(lookup));
}

bool PageFetcher::yieldKeeps(const FetchTicket& t) {
  YieldToEvents();
  return current(t) && m_connections[t.socket]->busy();
}

void PageFetcher::endFetch(FetchConnection& c) {
  ++c.generation;
  c.state = State::Idle;
  c.waitingForBudget = false;
  c.disarmTimers();
}

qsizetype PageFetcher::bufferedBytes() const {
  qsizetype total = 0;
  for (int16_t i = 0; i < m_socketCount; ++i)
    total += qsizetype(m_connections[i]->slot.strData.size());
  return total;
}

bool PageFetcher::holdsMost(int16_t i) const {
  const std::size_t mine = m_connections[i]->slot.strData.size();
  for (int16_t j = 0; j < m_socketCount; ++j) {
    const std::size_t other = m_connections[j]->slot.strData.size();
    if (j != i && m_connections[j]->busy() && (other > mine || (other == mine && j < i)))
      return false;
  }
  return true;
}

void PageFetcher::readRestLater(int16_t i) {
  // Data that came in during the handler's yields raised no readyRead of its own (the signal is
  // never sent from within its own slot), and a socket whose read-ahead is full reads no more
  // until that data is taken: it would sit there until the time-out.
  const FetchConnection& c = *m_connections[i];
  if (!c.busy() || c.waitingForBudget || !m_host.harvesting()) return;
  if (c.socket->bytesAvailable() > 0) readLater(ticket(i));
}

void PageFetcher::readLater(const FetchTicket& t) {
  QMetaObject::invokeMethod(
      this,
      [this, t] {
        if (!current(t) || !m_connections[t.socket]->busy()) return;
        const qint64 waiting = m_connections[t.socket]->socket->bytesAvailable();
        if (waiting > 0) wscVersion_DataArrival(t.socket, waiting);
        readRestLater(t.socket);
      },
      Qt::QueuedConnection);
}

void PageFetcher::wakeWaitingForBudget() {
  for (int16_t j = 0; j < m_socketCount; ++j) {
    FetchConnection& c = *m_connections[j];
    if (!c.waitingForBudget) continue;
    c.waitingForBudget = false;
    readLater(ticket(j));
  }
}

void PageFetcher::StartFetch(int16_t i, QString& strURL, qsizetype readLimit) {
  FetchConnection& c = *m_connections[i];
  c.readLimit = readLimit;
  // robots.txt (read up to a limit) is no page of the crawl: it is fetched once per host and
  // run, and neither skipped as read nor recorded as read.
  const bool robots = c.readLimit > 0;
  if (!m_host.harvesting()) return;

  const PageAddress address = DecomposePageAddress(strURL, urlRules());
  strURL = address.url;
  setPage(c, address);
  FetchSlot& slot = c.slot;

  CloseSocket(i);
  const FetchTicket t = ticket(i);
  // A page read already under this search string is not read again.
  if (isSlowHost(slot.strHost) || (!robots && m_host.alreadyRead(address.url))) {
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

  c.hops = 0;
  c.chain = QStringList{address.url};
  if (!robots) m_host.recordRead(address.url);
  c.clearResponse();
  showDownloading(c);
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

void PageFetcher::setPage(FetchConnection& c, const PageAddress& address) {
  strCurUrl = address.curUrl;
  strCurDir = address.curDir;
  c.page = address;
  c.slot.strHost = address.host;
  c.slot.strPath = address.path;
}

void PageFetcher::showDownloading(const FetchConnection& c) {
  m_host.setPanelText(1,
                      QStringLiteral("Downloading: ") +
                          (c.page.secure ? QStringLiteral("https://") : QStringLiteral("http://")) +
                          c.slot.strHost + c.slot.strPath);
}

void PageFetcher::connectTo(FetchConnection& c, const QString& hostOrAddress, quint16 port) {
  c.state = State::Connecting;
  // The socket the fetch used before was aborted when its last hop or fetch ended.
  if (c.page.secure) {
    c.socket = c.secureSocket;
    // The server name sent and checked is the website's host wherever the connection goes.
    c.secureSocket->connectToHostEncrypted(hostOrAddress, port, c.slot.strHost);
    return;
  }
  c.socket = c.plainSocket;
  const QHostAddress address(hostOrAddress);
  if (address.isNull()) {
    c.plainSocket->connectToHost(hostOrAddress, port);
    return;
  }
  // A plain connection to an address is opened, sent its request and finally torn down on the
  // opener's thread; the plain socket reads it in between. The socket connecting by itself cost
  // about a quarter of the pages per second on the loopback bench with pages of today's size
  // (0.76 times, and 1.16 times the CPU per page: medians of ten pairs of runs taken in turn).
  c.opened = true;
  m_opener.open(c.index, c.generation, address, port, requestOf(c));
}

const std::pair<QString, quint16>& PageFetcher::hookOf(const FetchConnection& c) const {
  return m_hooks[c.page.secure ? 1 : 0];
}

QByteArray PageFetcher::requestOf(const FetchConnection& c) const {
  return BuildPageRequest(c.slot.strHost, c.slot.strPath,
                          m_secureWeb ? CrawlUserAgent() : QByteArray());
}

void PageFetcher::connectionOpened(const ConnectionOpener::Opened& opened) {
  FetchConnection& c = *m_connections[opened.socket];
  // An answer for a fetch that ended or went on to another hop meanwhile.
  if (c.generation != opened.generation || c.state != State::Connecting || c.page.secure) {
    if (opened.descriptor >= 0) ::close(opened.descriptor);
    return;
  }
  if (opened.descriptor < 0) return giveUpLater(opened.socket, RefusedReason(opened.error));
  // The plain socket reads the connection; the opener keeps its duplicate until the release.
  if (!c.plainSocket->setSocketDescriptor(opened.descriptor)) {
    ::close(opened.descriptor);
    return giveUpLater(opened.socket,
                       QStringLiteral("refused (%1)").arg(c.plainSocket->errorString()));
  }
  wscVersion_Connect(opened.socket);
}

void PageFetcher::releaseOpened(int16_t i) {
  if (std::exchange(m_connections[i]->opened, false)) m_opener.release(i);
}

void PageFetcher::connectSocket(const FetchTicket& t) {
  FetchConnection& c = *m_connections[t.socket];
  // With the hook, a lookup set by hand still runs (a bench makes lookups cost what they cost on
  // the web), but the connection goes to the hook.
  if (const auto [hookHost, hookPort] = hookOf(c); !hookHost.isEmpty() && !m_ownLookup)
    return connectTo(c, hookHost, hookPort);
  c.state = State::LookingUp;
  m_lookups.lookUp(c.slot.strHost, this, [this, t](const QList<QHostAddress>& addresses) {
    if (current(t) && m_connections[t.socket]->state == State::LookingUp)
      connectToAddresses(t.socket, addresses);
  });
}

void PageFetcher::connectToAddresses(int16_t i, const QList<QHostAddress>& addresses) {
  FetchConnection& c = *m_connections[i];
  if (const auto [hookHost, hookPort] = hookOf(c); !hookHost.isEmpty()) {
    if (addresses.isEmpty()) return giveUpLater(i, QStringLiteral("no address"));
    return connectTo(c, hookHost, hookPort);
  }
  // A page decides which hosts the crawl visits, so no host may lead it into the user's own
  // machine or network: such a host is treated as one that cannot be reached.
  for (const QHostAddress& address : addresses)
    if (!IsPrivateOrLocalAddress(address)) return connectTo(c, address.toString(), c.page.port());
  giveUpLater(i, QStringLiteral("no public address"));
}

void PageFetcher::CloseSocket(int16_t i) {
  FetchConnection& c = *m_connections[i];
  endFetch(c);
  c.socket->abort();
  releaseOpened(i);
  // What was received of an ended fetch is never read again; its memory goes back at once.
  c.slot.strData.clear();
  c.slot.strData.shrink_to_fit();
}

void PageFetcher::CloseAll() {
  for (int16_t i = 0; i < int16_t(m_connections.size()); ++i) CloseSocket(i);
  // The closes queued above happen now, not at the next connection.
  m_opener.flush();
}

void PageFetcher::wscVersion_Connect(int16_t i) {
  const FetchTicket t = ticket(i);
  if (!yieldKeeps(t) || m_connections[i]->state != State::Connecting) return;
  FetchConnection& c = *m_connections[i];
  c.state = State::Receiving;
  m_host.setProgressValue(0);
  if (c.opened) return;  // the opener sent the request
  c.socket->write(requestOf(c));
}

void PageFetcher::wscVersion_DataArrival(int16_t i, qint64 bytesTotal) {
  (void)bytesTotal;  // what is read below is what counts
  const FetchTicket t = ticket(i);
  if (!yieldKeeps(t)) return;
  if (!m_host.harvesting()) return;  // the data stays unread in the socket

  FetchConnection& c = *m_connections[i];
  FetchSlot& slot = c.slot;
  const qint64 waiting = c.socket->bytesAvailable();
  if (waiting <= 0) return;
  // A response past its limit is given up before its bytes are copied.
  if (qsizetype(slot.strData.size()) + waiting > m_maxResponseBytes)
    return giveUp(i, QStringLiteral("size cap"));
  // A response within its share of the budget always goes on, so small pages never wait behind
  // large ones; a larger one grows while all sockets together stay within the budget, and the
  // largest always does, so that one of them finishes and frees its memory for the others.
  if (qsizetype(slot.strData.size()) + waiting > kMaxBufferedBytes / m_socketCount &&
      bufferedBytes() + waiting > kMaxBufferedBytes && !holdsMost(i)) {
    c.waitingForBudget = true;
    return;
  }
  slot.iIdleTicks = 0;
  const qint64 read = ReadInto(*c.socket, slot.strData, waiting);
  if (c.readLimit > 0 && qsizetype(slot.strData.size()) >= c.readLimit) return wscVersion_Close(i);
  slot.lReceived += int32_t(read);
  // Built in one allocation: this runs for every piece of every page.
  m_host.setPanelText(1, QStringLiteral("Downloading: ") % slot.strHost % slot.strPath %
                             QStringLiteral(" (") % QString::number(slot.lReceived) %
                             QLatin1Char(')'));
  if (slot.lContentLength >= 1) {
    const float percent =
        std::fabs(float(double(slot.lReceived) / double(slot.lContentLength) * 100.0));
    m_host.setProgressValue(int(std::lrint(percent)));
    if (!yieldKeeps(t)) return;
  }
  ReadHeaderBlock(slot);
}

void PageFetcher::wscVersion_Close(int16_t i) {
  const FetchTicket t = ticket(i);
  // Our own closes and closes after a Stop end nothing.
  if (!yieldKeeps(t)) return;
  if (!m_host.harvesting()) return;

  FetchConnection& c = *m_connections[i];
  if (c.state == State::Redirecting) return;  // the hop before this one
  // A secure connection that closes before its handshake is done holds no page.
  if (c.page.secure && c.state != State::Receiving)
    return giveUpLater(i, QStringLiteral("closed before the handshake"));
  FetchSlot& slot = c.slot;
  // Bytes that arrived with the close and were not read yet belong to the page. A close can come
  // inside the data handler's yield, before that handler read anything: the record of the
  // download is completed here then.
  slot.lReceived += int32_t(ReadInto(*c.socket, slot.strData, c.socket->bytesAvailable()));
  ReadHeaderBlock(slot);
  if (qsizetype(slot.strData.size()) > m_maxResponseBytes)
    return giveUp(i, QStringLiteral("size cap"));
  // A robots.txt answer is the crawl's own business: its redirects are not followed.
  if (m_secureWeb && c.readLimit == 0) {
    const std::string_view data(slot.strData);
    if (const auto status = StatusCodeOf(data); status && IsFollowedRedirect(*status))
      return followRedirect(i, LocationOf(data));
  }
  endFetch(c);
  releaseOpened(i);
  if (m_host.TakeOverResponse(i, slot.strData)) return;
  m_host.RecordStatistic(Statistics::kPageScanned);
  std::string body = PageBody(slot.strData);
  slot.strData.clear();
  slot.strData.shrink_to_fit();
  wakeWaitingForBudget();
  m_host.setPanelText(1, QStringLiteral("Finished: ") + slot.strHost + slot.strPath);
  m_host.SavePage(std::move(body), i);
}

void PageFetcher::followRedirect(int16_t i, const std::optional<std::string>& location) {
  FetchConnection& c = *m_connections[i];
  const UrlRules rules = urlRules();
  std::optional<QString> target;
  if (location) target = ResolveRedirect(QString::fromLatin1(*location), c.page, rules);
  // No Location, one the crawl cannot follow, a sixth hop, or a loop: given up like a time-out.
  if (!target) return giveUp(i, QStringLiteral("redirect without a followable Location"));
  if (c.hops >= kMaxRedirects) return giveUp(i, QStringLiteral("too many redirects"));
  const PageAddress next = DecomposePageAddress(*target, rules);
  if (c.chain.contains(next.url, Qt::CaseInsensitive))
    return giveUp(i, QStringLiteral("redirect loop"));
  if (m_host.alreadyRead(next.url) || isSlowHost(next.host)) return skipFetch(i);

  qCDebug(lcCrawl).noquote() << "redirect followed:" << c.page.url << "->" << next.url;
  ++c.hops;
  c.chain << next.url;
  m_host.recordRead(next.url);
  setPage(c, next);
  c.clearResponse();
  // The total time-out runs on over the whole chain; the idle one starts again.
  c.slot.iIdleTicks = 0;
  ++c.generation;
  c.waitingForBudget = false;
  wakeWaitingForBudget();
  c.state = State::Redirecting;
  c.socket->abort();
  releaseOpened(i);
  showDownloading(c);
  connectSocket(ticket(i));
}

void PageFetcher::skipFetch(int16_t i) {
  CloseSocket(i);
  wakeWaitingForBudget();
  m_host.TakeNextWebsite(i);
}

void PageFetcher::wscVersion_Error(int16_t i, QAbstractSocket::SocketError error) {
  // A server closing the connection is the normal end of a page; the close handler takes it.
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  FetchConnection& c = *m_connections[i];
  if (!c.busy() || c.state == State::Redirecting) return;
  const bool certificate = error == QAbstractSocket::SslHandshakeFailedError;
  if (certificate) m_host.setPanelText(1, QStringLiteral("Certificate error: ") + c.slot.strHost);
  giveUpLater(i, certificate ? QStringLiteral("certificate")
                             : QStringLiteral("refused (%1)").arg(SocketErrorName(error)));
}

void PageFetcher::timTimeout_Timer(int16_t i) {
  FetchConnection& c = *m_connections[i];
  if (!c.busy()) return c.disarmTimers();
  // A response held back for the memory budget idles too; the line tells the two apart.
  if (++c.slot.iIdleTicks >= m_timeout)
    giveUp(i, c.waitingForBudget ? QStringLiteral("budget") : QStringLiteral("idle"));
}

void PageFetcher::timTimeout2_Timer(int16_t i) {
  FetchConnection& c = *m_connections[i];
  if (!c.busy()) return c.disarmTimers();
  if (++c.slot.iTotalTicks >= m_timeout2) giveUp(i, QStringLiteral("total time"));
}

void PageFetcher::giveUp(int16_t i, const QString& reason) {
  FetchSlot& slot = m_connections[i]->slot;
  qCDebug(lcCrawl).noquote() << "fetch given up:" << slot.strHost + slot.strPath
                             << "reason:" << reason;
  if (!slot.strHost.isEmpty()) m_slowHosts.insert(slot.strHost.toLower());
  skipFetch(i);
}

void PageFetcher::giveUpLater(int16_t i, const QString& reason) {
  // Errors can be raised from inside connectToHost; going through the event loop keeps the
  // next take from nesting inside this fetch's start.
  const FetchTicket t = ticket(i);
  QMetaObject::invokeMethod(
      this,
      [this, t, reason] {
        if (current(t) && m_connections[t.socket]->busy()) giveUp(t.socket, reason);
      },
      Qt::QueuedConnection);
}

}  // namespace norvane
