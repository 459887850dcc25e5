#include "local_web.h"

#include <QTcpSocket>

namespace norvane::testing {

LocalWeb::LocalWeb() {
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
      m_open << socket;
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
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
  for (const QPointer<QTcpSocket>& socket : m_open) {
    if (socket) socket->abort();
  }
  m_open.clear();
}

void LocalWeb::onReadyRead(QTcpSocket* socket) {
  if (socket->property("answered").toBool()) return;
  QByteArray request = socket->property("request").toByteArray() + socket->readAll();
  socket->setProperty("request", request);
  const qsizetype headerEnd = request.indexOf("\r\n\r\n");
  if (headerEnd < 0) return;
  socket->setProperty("answered", true);

  const QList<QByteArray> lines = request.left(headerEnd).split('\n');
  const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
  const QByteArray method = requestLine.value(0);
  QByteArray target = requestLine.value(1);
  const bool proxied = !target.startsWith('/');
  if (!proxied) {
    QByteArray host;
    for (const QByteArray& line : lines) {
      if (line.toLower().startsWith("host:")) host = line.mid(5).trimmed();
    }
    target = "http://" + host + target;
  }
  const QUrl url = QUrl::fromEncoded(target);
  Reply reply;
  // Only plain GETs are served: a tunnel (CONNECT) or anything else is refused.
  if (method == "GET" && url.scheme() == QLatin1String("http")) {
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
  socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason +
                "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                reply.body);
  socket->disconnectFromHost();
}

}  // namespace norvane::testing
