#include "support/test_http_server.h"

#include <sys/socket.h>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace norvane::testing {
namespace {

// Hands out sockets that start the server side of the handshake at once; the scripted
// responses then go through them like through plain ones, encrypted.
class TlsServer : public QTcpServer {
 public:
  explicit TlsServer(const ServerIdentity& identity) : m_identity(identity) {}

 protected:
  void incomingConnection(qintptr descriptor) override {
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
      delete socket;
      return;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(m_identity.certificate);
    configuration.setPrivateKey(m_identity.key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setSslConfiguration(configuration);
    socket->startServerEncryption();
    addPendingConnection(socket);
  }

 private:
  ServerIdentity m_identity;
};

QByteArray ReasonOf(int status) {
  switch (status) {
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    default:
      return "Redirect";
  }
}

}  // namespace

TestHttpServer::TestHttpServer() : m_server(std::make_unique<QTcpServer>()) {
  m_clock.start();
  connect(m_server.get(), &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
  m_server->listen(QHostAddress::LocalHost, 0);
}

TestHttpServer::TestHttpServer(const ServerIdentity& tlsIdentity)
    : m_server(std::make_unique<TlsServer>(tlsIdentity)), m_secure(true) {
  m_clock.start();
  connect(m_server.get(), &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
  m_server->listen(QHostAddress::LocalHost, 0);
}

TestHttpServer::~TestHttpServer() {
  m_server->close();
  for (QTcpSocket* socket : m_server->findChildren<QTcpSocket*>()) socket->abort();
}

quint16 TestHttpServer::port() const {
  return m_server->serverPort();
}

void TestHttpServer::setPage(const QString& hostAndPath, const QByteArray& body) {
  QByteArray raw = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                   QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  setResponse(hostAndPath, raw);
}

void TestHttpServer::setResponse(const QString& hostAndPath, const QByteArray& raw) {
  m_responses.insert(hostAndPath.toLower(), raw);
}

void TestHttpServer::setFirstResponse(const QString& hostAndPath, const QByteArray& raw) {
  m_firstResponses.insert(hostAndPath.toLower(), raw);
}

void TestHttpServer::setRedirect(const QString& hostAndPath, int status,
                                 const QByteArray& location) {
  setResponse(hostAndPath, "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonOf(status) +
                               "\r\nLocation: " + location +
                               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
}

void TestHttpServer::setChunkedPage(const QString& hostAndPath, const QList<QByteArray>& chunks,
                                    const QList<QByteArray>& trailers) {
  QByteArray raw =
      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n"
      "Connection: close\r\n\r\n";
  for (const QByteArray& chunk : chunks)
    raw += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
  raw += "0\r\n";
  for (const QByteArray& trailer : trailers) raw += trailer + "\r\n";
  raw += "\r\n";
  setResponse(hostAndPath, raw);
}

void TestHttpServer::setPageMaker(const QString& host, PageMaker maker) {
  m_pageMakers.insert(host.toLower(), std::move(maker));
}

void TestHttpServer::setBehaviour(const QString& host, Behaviour behaviour) {
  m_behaviours.insert(host.toLower(), behaviour);
}

void TestHttpServer::onNewConnection() {
  while (QTcpSocket* socket = m_server->nextPendingConnection()) {
    socket->setParent(m_server.get());
    m_maxOpen = std::max(m_maxOpen, ++m_open);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      --m_open;
      const QString host = socket->property("countedHost").toString();
      if (!host.isEmpty()) --m_openByHost[host];
      socket->deleteLater();
    });
  }
}

void TestHttpServer::onReadyRead(QTcpSocket* socket) {
  QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
  socket->setProperty("buffer", buffer);
  const qsizetype end = buffer.indexOf("\r\n\r\n");
  if (end < 0 || socket->property("answered").toBool()) return;
  socket->setProperty("answered", true);

  Request request;
  request.raw = buffer.left(end + 4);
  const QList<QByteArray> lines = buffer.left(end).split('\n');
  const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
  request.path = QString::fromLatin1(first.value(1));
  for (const QByteArray& line : lines) {
    if (line.toLower().startsWith("host:"))
      request.host = QString::fromLatin1(line.mid(5).trimmed());
  }
  request.atMs = m_clock.elapsed();
  m_requests << request;
  const QString host = request.host.toLower();
  socket->setProperty("countedHost", host);
  m_maxOpenByHost[host] = std::max(m_maxOpenByHost.value(host), ++m_openByHost[host]);
  if (m_delayMs > 0) {
    QTimer::singleShot(m_delayMs, socket, [this, socket, request] { respond(socket, request); });
    return;
  }
  respond(socket, request);
}

QByteArray TestHttpServer::usualResponse(const Request& request) {
  const QString key = (request.host + request.path).toLower();
  if (m_firstResponses.contains(key)) return m_firstResponses.take(key);
  if (m_responses.contains(key)) return m_responses.value(key);
  if (m_pageMakers.contains(request.host.toLower())) {
    if (const std::optional<QByteArray> made =
            m_pageMakers.value(request.host.toLower())(request.path))
      return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
             QByteArray::number(made->size()) + "\r\nConnection: close\r\n\r\n" + *made;
  }
  return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

void TestHttpServer::respond(QTcpSocket* socket, const Request& request) {
  const Behaviour behaviour = m_behaviours.value(request.host.toLower(), Behaviour::Normal);
  switch (behaviour) {
    case Behaviour::Normal:
      socket->write(usualResponse(request));
      closeLater(socket);
      return;
    case Behaviour::TrickleWhole: {
      auto* timer = new QTimer(socket);
      auto left = std::make_shared<QByteArray>(usualResponse(request));
      connect(timer, &QTimer::timeout, socket, [this, socket, timer, left] {
        socket->write(left->left(1));
        left->remove(0, 1);
        if (!left->isEmpty()) return;
        timer->stop();
        closeLater(socket);
      });
      timer->start(m_trickleMs);
      return;
    }
    case Behaviour::Silent:
      return;
    case Behaviour::HeadersThenStall:
      socket->write("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n");
      QTimer::singleShot(300, socket, [socket] { socket->write(QByteArray(250, 'b')); });
      return;
    case Behaviour::Trickle: {
      auto* timer = new QTimer(socket);
      connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
      socket->write("HTTP/1.1 200 OK\r\n\r\n");
      timer->start(m_trickleMs);
      return;
    }
    case Behaviour::Endless: {
      socket->write("HTTP/1.1 200 OK\r\n\r\n");
      auto feed = [this, socket] {
        if (socket->bytesToWrite() > 1024 * 1024) return;
        const QByteArray chunk(64 * 1024, 'a');
        m_endlessBytes += socket->write(chunk);
      };
      connect(socket, &QTcpSocket::bytesWritten, socket, feed);
      feed();
      return;
    }
    case Behaviour::Garbage: {
      QByteArray garbage;
      for (int i = 0; i < 4096; ++i) garbage.append(char((i * 7919) & 0xff));
      socket->write(garbage);
      closeLater(socket);
      return;
    }
    case Behaviour::CloseAtOnce:
      socket->disconnectFromHost();
      return;
    case Behaviour::Reset: {
      // A zero linger time makes the close a reset rather than an orderly end.
      const linger noLinger{1, 0};
      setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                 sizeof noLinger);
      socket->abort();
    }
      return;
  }
}

void TestHttpServer::closeLater(QTcpSocket* socket) {
  // Close once every byte is out, as a server with "Connection: close" does.
  if (socket->bytesToWrite() == 0) {
    socket->disconnectFromHost();
    return;
  }
  connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
    if (socket->bytesToWrite() == 0) socket->disconnectFromHost();
  });
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
  qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
  if (m_had) {
    qputenv(m_name, m_old);
  } else {
    qunsetenv(m_name);
  }
}

}  // namespace norvane::testing
