#include "local_web.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>

namespace norvane::testing {
namespace {

QByteArray ReadDataFile(const char* name) {
  QFile file(QStringLiteral(NORVANE_SEARCH_TEST_DATA "/") + QLatin1String(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

void LocalWeb::Server::incomingConnection(qintptr descriptor) {
  auto* socket = new QSslSocket(this);
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    return;
  }
  if (onConnection) onConnection(socket);
}

LocalWeb::LocalWeb() {
  m_server.onConnection = [this](QSslSocket* socket) {
    m_open << socket;
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  };
  m_server.listen(QHostAddress::LocalHost, 0);
}

LocalWeb::~LocalWeb() {
  release();
}

QString LocalWeb::hostPort() const {
  return QStringLiteral("127.0.0.1:%1").arg(port());
}

QStringList LocalWeb::takeRequests() {
  QStringList requests;
  requests.swap(m_requests);
  return requests;
}

QStringList LocalWeb::takeProxiedRequests() {
  QStringList requests;
  requests.swap(m_proxied);
  return requests;
}

void LocalWeb::release() {
  for (const QPointer<QSslSocket>& socket : m_open) {
    if (socket) socket->abort();
  }
  m_open.clear();
}

void LocalWeb::onReadyRead(QSslSocket* socket) {
  if (socket->property("answered").toBool()) return;
  QByteArray request = socket->property("request").toByteArray() + socket->readAll();
  socket->setProperty("request", request);
  const qsizetype headerEnd = request.indexOf("\r\n\r\n");
  if (headerEnd < 0) return;

  const QList<QByteArray> lines = request.left(headerEnd).split('\n');
  const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
  const QByteArray method = requestLine.value(0);
  QByteArray target = requestLine.value(1);
  if (method == "CONNECT" && !socket->isEncrypted()) {
    // The tunnel's end is here: the browser's TLS handshake follows on this connection.
    socket->setProperty("request", QByteArray());
    socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
    static const QSslCertificate kCertificate(ReadDataFile("local_web_cert.pem"));
    static const QSslKey kKey(ReadDataFile("local_web_key.pem"), QSsl::Rsa);
    socket->setLocalCertificate(kCertificate);
    socket->setPrivateKey(kKey);
    socket->startServerEncryption();
    return;
  }
  socket->setProperty("answered", true);
  const bool proxied = !target.startsWith('/');
  if (!proxied) {
    QByteArray host;
    for (const QByteArray& line : lines) {
      if (line.toLower().startsWith("host:")) host = line.mid(5).trimmed();
    }
    // Inside a tunnel the port is the https one; the address is written without it.
    if (socket->isEncrypted()) {
      if (host.endsWith(":443")) host.chop(4);
      target = "https://" + host + target;
    } else {
      target = "http://" + host + target;
    }
  }
  const QUrl url = QUrl::fromEncoded(target);
  Reply reply;
  // Only plain GETs are served: anything else is refused.
  if (method == "GET" &&
      (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))) {
    if (!url.path().endsWith(QLatin1String("favicon.ico"))) {
      m_requests << QString::fromLatin1(target);
      if (proxied) m_proxied << QString::fromLatin1(target);
      if (m_handler) reply = m_handler(url);
    }
  } else {
    reply.status = 405;
  }
  if (reply.hold) return;
  const QByteArray reason = reply.status == 200 ? "OK" : "Error";
  const QByteArray location =
      reply.location.isEmpty() ? QByteArray() : "\r\nLocation: " + reply.location;
  socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason + location +
                "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                reply.body);
  socket->disconnectFromHost();
}

}  // namespace norvane::testing
