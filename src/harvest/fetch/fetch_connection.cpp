#include "harvest/fetch/fetch_connection.h"

#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

namespace norvane {

FetchConnection::FetchConnection(int16_t index, qint64 readAhead, const QSslConfiguration& tls,
                                 int tickMs, QObject* parent)
    : QObject(parent), index(index) {
  plainSocket = new QTcpSocket(this);
  secureSocket = new QSslSocket(this);
  socket = plainSocket;
  for (QTcpSocket* s : {plainSocket, static_cast<QTcpSocket*>(secureSocket)}) {
    // Both carry the fetch's name: which one it uses depends on its page.
    s->setObjectName(QStringLiteral("wscVersion(%1)").arg(index));
    // The crawl always connects directly, whatever proxy the rest of the program uses.
    s->setProxy(QNetworkProxy::NoProxy);
    s->setReadBufferSize(readAhead);
    connect(s, &QTcpSocket::readyRead, this, &FetchConnection::dataArrived);
    connect(s, &QTcpSocket::disconnected, this, &FetchConnection::closed);
    connect(s, &QTcpSocket::errorOccurred, this, &FetchConnection::failed);
  }
  connect(plainSocket, &QTcpSocket::connected, this, [this] {
    if (!page.secure) emit connected();
  });
  // A secure page's request waits for the handshake.
  connect(secureSocket, &QSslSocket::encrypted, this, &FetchConnection::connected);
  secureSocket->setSslConfiguration(tls);

  idleTimer = new QTimer(this);
  totalTimer = new QTimer(this);
  for (QTimer* timer : {idleTimer, totalTimer}) timer->setInterval(tickMs);
  connect(idleTimer, &QTimer::timeout, this, &FetchConnection::idleTick);
  connect(totalTimer, &QTimer::timeout, this, &FetchConnection::totalTick);
  if (index == 0) {
    idleTimer->setObjectName(QStringLiteral("timTimeout"));
    totalTimer->setObjectName(QStringLiteral("timTimeout2"));
  }
}

}  // namespace norvane
