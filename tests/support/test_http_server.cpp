#include "support/test_http_server.h"

#include <sys/socket.h>
#include <QTcpSocket>
#include <QTimer>

namespace norvane::testing {

TestHttpServer::TestHttpServer() {
  connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
  m_server.listen(QHostAddress::LocalHost, 0);
}

TestHttpServer::~TestHttpServer() {
  m_server.close();
  for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>()) socket->abort();
}

quint16 TestHttpServer::port() const {
  return m_server.serverPort();
}

void TestHttpServer::setPage(const QString& hostAndPath, const QByteArray& body) {
  QByteArray raw = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                   QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  setResponse(hostAndPath, raw);
}

void TestHttpServer::setResponse(const QString& hostAndPath, const QByteArray& raw) {
  m_responses.insert(hostAndPath.toLower(), raw);
}

void TestHttpServer::setBehaviour(const QString& host, Behaviour behaviour) {
  m_behaviours.insert(host.toLower(), behaviour);
}

void TestHttpServer::onNewConnection() {
  while (QTcpSocket* socket = m_server.nextPendingConnection()) {
    socket->setParent(&m_server);
    m_maxOpen = std::max(m_maxOpen, ++m_open);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      --m_open;
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
  m_requests << request;
  respond(socket, request);
}

void TestHttpServer::respond(QTcpSocket* socket, const Request& request) {
  const Behaviour behaviour = m_behaviours.value(request.host.toLower(), Behaviour::Normal);
  switch (behaviour) {
    case Behaviour::Normal: {
      const QString key = (request.host + request.path).toLower();
      QByteArray raw = m_responses.value(key);
      if (!m_responses.contains(key))
        raw = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
      socket->write(raw);
      closeLater(socket);
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
