#include "harvest/plain_connection_thread.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace norvane {
namespace {

// What one read asks for at most; a page of the usual size comes in one.
constexpr qsizetype kReadPiece = 64 * 1024;

// The socket address of address:port; false for an address that is neither IPv4 nor IPv6.
bool SocketAddressOf(const QHostAddress& address, quint16 port, sockaddr_storage& out,
                     socklen_t& length) {
  std::memset(&out, 0, sizeof out);
  if (address.protocol() == QAbstractSocket::IPv4Protocol) {
    auto& v4 = reinterpret_cast<sockaddr_in&>(out);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(port);
    v4.sin_addr.s_addr = htonl(address.toIPv4Address());
    length = sizeof v4;
    return true;
  }
  if (address.protocol() == QAbstractSocket::IPv6Protocol) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(out);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&v6.sin6_addr, bytes.c, sizeof bytes.c);
    length = sizeof v6;
    return true;
  }
  return false;
}

}  // namespace

PlainConnectionThread::PlainConnectionThread(Deliver deliver, qsizetype readAhead)
    : m_deliver(std::move(deliver)),
      m_readAhead(std::max<qsizetype>(readAhead, 1)),
      m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  m_thread = std::thread([this] { run(); });
}

PlainConnectionThread::~PlainConnectionThread() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  wake();
  m_thread.join();
  ::close(m_wake);
}

void PlainConnectionThread::open(int16_t socket, quint64 generation, const QHostAddress& address,
                                 quint16 port, QByteArray request) {
  push({Request::Kind::Open, socket, generation, address, port, std::move(request)}, true);
}

void PlainConnectionThread::close(int16_t socket, bool wakeNow) {
  Request request;
  request.kind = Request::Kind::Close;
  request.socket = socket;
  push(std::move(request), wakeNow);
}

void PlainConnectionThread::taken(int16_t socket, qsizetype bytes) {
  bool resume = false;
  {
    std::lock_guard lock(m_mutex);
    m_untaken[socket] = std::max<qsizetype>(m_untaken[socket] - bytes, 0);
    if (m_heldBack[socket] && m_untaken[socket] < m_readAhead) {
      m_heldBack[socket] = false;
      resume = std::exchange(m_sleeping, false);
    }
  }
  if (resume) wake();
}

void PlainConnectionThread::flush() {
  bool sleeping = false;
  {
    std::lock_guard lock(m_mutex);
    sleeping = !m_requests.empty() && std::exchange(m_sleeping, false);
  }
  if (sleeping) wake();
}

void PlainConnectionThread::push(Request request, bool wakeNow) {
  bool sleeping = false;
  {
    std::lock_guard lock(m_mutex);
    // A new connection starts with nothing handed back; what the last one handed back is
    // dropped by the window's thread.
    m_untaken[request.socket] = 0;
    m_heldBack[request.socket] = false;
    m_current[request.socket] = request.kind == Request::Kind::Open ? request.generation : 0;
    m_requests.push_back(std::move(request));
    sleeping = wakeNow && std::exchange(m_sleeping, false);
  }
  // A thread that is not asleep finds the request before it sleeps again.
  if (sleeping) wake();
}

void PlainConnectionThread::wake() {
  const uint64_t one = 1;
  (void)!::write(m_wake, &one, sizeof one);
}

void PlainConnectionThread::run() {
  std::deque<Request> requests;
  std::vector<pollfd> polls;
  std::vector<int16_t> polled;
  while (true) {
    {
      std::lock_guard lock(m_mutex);
      if (m_stopping) break;
      requests.swap(m_requests);
    }
    for (const Request& request : requests) {
      if (request.kind == Request::Kind::Close)
        closeConnection(m_connections[request.socket]);
      else
        start(request);
    }
    requests.clear();

    polls.assign(1, pollfd{m_wake, POLLIN, 0});
    polled.clear();
    for (int16_t i = 0; i < kSocketCount; ++i) {
      const Connection& c = m_connections[i];
      if (c.descriptor < 0) continue;
      if (!c.connecting && !mayRead(i)) continue;
      polls.push_back(pollfd{c.descriptor, short(c.connecting ? POLLOUT : POLLIN), 0});
      polled.push_back(i);
    }
    {
      std::lock_guard lock(m_mutex);
      if (m_stopping) break;
      if (!m_requests.empty()) continue;
      m_sleeping = true;
    }
    const int ready = ::poll(polls.data(), nfds_t(polls.size()), -1);
    {
      std::lock_guard lock(m_mutex);
      m_sleeping = false;
    }
    if (ready <= 0) continue;  // EINTR
    if (polls[0].revents) {
      uint64_t count = 0;
      (void)!::read(m_wake, &count, sizeof count);
    }
    // The connections are as they were when polled: requests are only taken at the top.
    for (std::size_t k = 0; k < polled.size(); ++k) {
      if (!polls[k + 1].revents) continue;
      if (m_connections[polled[k]].connecting)
        finishConnect(polled[k]);
      else
        readFrom(polled[k]);
    }
  }
  for (Connection& c : m_connections) closeConnection(c);
}

void PlainConnectionThread::start(const Request& request) {
  Connection& c = m_connections[request.socket];
  closeConnection(c);
  sockaddr_storage address{};
  socklen_t length = 0;
  if (!SocketAddressOf(request.address, request.port, address, length))
    return fail(request.socket, request.generation, EAFNOSUPPORT);
  const int descriptor =
      ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (descriptor < 0) return fail(request.socket, request.generation, errno);
  c.descriptor = descriptor;
  c.generation = request.generation;
  c.request = request.request;
  c.connecting = true;
  if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), length) == 0)
    return finishConnect(request.socket);
  if (errno == EINPROGRESS || errno == EINTR) return;  // the poll tells when it is done
  fail(request.socket, request.generation, errno);
}

void PlainConnectionThread::finishConnect(int16_t socket) {
  Connection& c = m_connections[socket];
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(c.descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  if (error == 0) {
    // A fresh connection's send buffer takes a request many times over; anything it does not
    // take ends the connection like a failed connect.
    const ssize_t sent =
        ::send(c.descriptor, c.request.constData(), std::size_t(c.request.size()), MSG_NOSIGNAL);
    if (sent != ssize_t(c.request.size())) error = sent < 0 ? errno : EAGAIN;
  }
  if (error != 0) return fail(socket, c.generation, error);
  c.connecting = false;
  c.request = QByteArray();
}

bool PlainConnectionThread::mayRead(int16_t socket) {
  std::lock_guard lock(m_mutex);
  if (m_untaken[socket] < m_readAhead) return true;
  m_heldBack[socket] = true;
  return false;
}

void PlainConnectionThread::readFrom(int16_t socket) {
  Connection& c = m_connections[socket];
  qsizetype room = 0;
  {
    std::lock_guard lock(m_mutex);
    room = m_readAhead - m_untaken[socket];
  }
  Event event;
  event.socket = socket;
  event.generation = c.generation;
  int error = 0;
  while (room > 0) {
    const qsizetype piece = std::min(room, kReadPiece);
    const std::size_t had = event.data.size();
    event.data.resize(had + std::size_t(piece));
    const ssize_t read = ::read(c.descriptor, event.data.data() + had, std::size_t(piece));
    event.data.resize(had + std::size_t(std::max<ssize_t>(read, 0)));
    if (read > 0) {
      room -= read;
      continue;
    }
    if (read == 0) {
      event.closed = true;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == ECONNRESET || errno == EPIPE) {
      // A reset after the response ends the page as a close does.
      event.closed = true;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
      error = errno;
    }
    break;
  }
  const quint64 generation = c.generation;
  if (event.closed || error != 0) closeConnection(c);
  if (!event.data.empty() || event.closed) answer(std::move(event));
  if (error != 0) fail(socket, generation, error);
}

void PlainConnectionThread::closeConnection(Connection& c) {
  if (c.descriptor >= 0) ::close(c.descriptor);
  c = Connection{};
}

void PlainConnectionThread::fail(int16_t socket, quint64 generation, int error) {
  closeConnection(m_connections[socket]);
  Event event;
  event.socket = socket;
  event.generation = generation;
  event.error = error;
  answer(std::move(event));
}

void PlainConnectionThread::answer(Event event) {
  std::lock_guard lock(m_mutex);
  // What a connection that is over still hands back is dropped unread.
  if (event.generation == m_current[event.socket] && m_current[event.socket] != 0)
    m_untaken[event.socket] += qsizetype(event.data.size());
  m_events.push_back(std::move(event));
  if (!std::exchange(m_handBackPosted, true))
    QMetaObject::invokeMethod(
        &m_back, [this] { handBack(); }, Qt::QueuedConnection);
}

void PlainConnectionThread::handBack() {
  while (true) {
    Event event;
    {
      std::lock_guard lock(m_mutex);
      if (m_events.empty()) {
        m_handBackPosted = false;
        return;
      }
      event = std::move(m_events.front());
      m_events.pop_front();
    }
    // The handler yields to events; events that come meanwhile wait their turn here.
    m_deliver(event);
  }
}

}  // namespace norvane
