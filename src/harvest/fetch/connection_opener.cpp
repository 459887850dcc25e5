#include "harvest/fetch/connection_opener.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

namespace norvane {
namespace {

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

ConnectionOpener::ConnectionOpener(Done done)
    : m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_done(std::move(done)) {
  m_thread = std::thread([this] { run(); });
}

ConnectionOpener::~ConnectionOpener() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  wake();
  m_thread.join();
  ::close(m_wake);
}

void ConnectionOpener::open(int16_t socket, quint64 generation, const QHostAddress& address,
                            quint16 port, QByteArray request) {
  push({Request::Kind::Open, socket, generation, address, port, std::move(request)}, true);
}

void ConnectionOpener::release(int16_t socket) {
  Request request;
  request.kind = Request::Kind::Release;
  request.socket = socket;
  push(std::move(request), false);
}

void ConnectionOpener::flush() {
  bool sleeping = false;
  {
    std::lock_guard lock(m_mutex);
    sleeping = !m_requests.empty() && std::exchange(m_sleeping, false);
  }
  if (sleeping) wake();
}

void ConnectionOpener::push(Request request, bool wakeNow) {
  bool sleeping = false;
  {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(std::move(request));
    sleeping = wakeNow && std::exchange(m_sleeping, false);
  }
  // A thread that is not asleep finds the request before it sleeps again.
  if (sleeping) wake();
}

void ConnectionOpener::wake() {
  const uint64_t one = 1;
  (void)!::write(m_wake, &one, sizeof one);
}

void ConnectionOpener::run() {
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
      if (request.kind == Request::Kind::Release)
        closeSlot(m_slots[request.socket]);
      else
        start(request);
    }
    requests.clear();

    polls.assign(1, pollfd{m_wake, POLLIN, 0});
    polled.clear();
    for (int16_t i = 0; i < kMaxSocketCount; ++i) {
      if (!m_slots[i].connecting) continue;
      polls.push_back(pollfd{m_slots[i].descriptor, POLLOUT, 0});
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
    for (std::size_t k = 0; k < polled.size(); ++k) {
      if (polls[k + 1].revents) finishConnect(polled[k]);
    }
  }
  for (Slot& slot : m_slots) closeSlot(slot);
}

void ConnectionOpener::start(const Request& request) {
  Slot& slot = m_slots[request.socket];
  closeSlot(slot);
  const auto fail = [&](int error) {
    closeSlot(slot);
    answer(Opened{request.socket, request.generation, -1, error});
  };
  sockaddr_storage address{};
  socklen_t length = 0;
  if (!SocketAddressOf(request.address, request.port, address, length)) return fail(EAFNOSUPPORT);
  const int descriptor =
      ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (descriptor < 0) return fail(errno);
  slot.descriptor = descriptor;
  slot.generation = request.generation;
  slot.request = request.request;
  slot.connecting = true;
  if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), length) == 0)
    return finishConnect(request.socket);
  if (errno == EINPROGRESS || errno == EINTR) return;  // the poll tells when it is done
  fail(errno);
}

void ConnectionOpener::finishConnect(int16_t socket) {
  Slot& slot = m_slots[socket];
  Opened answer{socket, slot.generation, -1, 0};
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(slot.descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  if (error == 0) {
    // A fresh connection's send buffer takes a request many times over; anything it does not
    // take ends the connection like a failed connect.
    const ssize_t sent = ::send(slot.descriptor, slot.request.constData(),
                                std::size_t(slot.request.size()), MSG_NOSIGNAL);
    if (sent != ssize_t(slot.request.size())) error = sent < 0 ? errno : EAGAIN;
  }
  if (error == 0) {
    const int handed = ::fcntl(slot.descriptor, F_DUPFD_CLOEXEC, 0);
    if (handed < 0) error = errno;
    answer.descriptor = handed;
  }
  if (error != 0) {
    answer.error = error;
    closeSlot(slot);
  } else {
    slot.connecting = false;
    slot.request = QByteArray();
  }
  this->answer(answer);
}

void ConnectionOpener::closeSlot(Slot& slot) {
  if (slot.descriptor >= 0) ::close(slot.descriptor);
  slot = Slot{};
}

void ConnectionOpener::answer(const Opened& opened) {
  // A descriptor on its way back belongs to the call: if the call is dropped, because the opener
  // went first, the descriptor closes with it.
  std::shared_ptr<Opened> held(new Opened(opened), [](Opened* o) {
    if (o->descriptor >= 0) ::close(o->descriptor);
    delete o;
  });
  QMetaObject::invokeMethod(
      &m_back,
      [this, held] {
        const Opened answer = *held;
        held->descriptor = -1;  // the handler's now
        m_done(answer);
      },
      Qt::QueuedConnection);
}

}  // namespace norvane
