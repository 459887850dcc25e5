#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <functional>
#include <memory>
#include <optional>

#include "support/test_certificates.h"

class QTcpSocket;
class QTimer;

namespace norvane::testing {

// A web server for one test on 127.0.0.1 (a free port), serving many host names: the crawl
// reaches it through its connect-to hook, and the Host header picks the site. It records every
// request, and it can misbehave per host the way real servers do. Given a server identity it
// speaks TLS instead, presenting that certificate to every client (see TestCertificates).
class TestHttpServer : public QObject {
  Q_OBJECT

 public:
  enum class Behaviour {
    Normal,            // the whole response, then close
    Silent,            // accept and never send
    HeadersThenStall,  // a header block with Content-Length 500, a moment later 250
                       // body bytes, then nothing
    Trickle,           // one byte per trickle interval, never ending
    TrickleWhole,      // the usual response one byte per trickle interval, then close
    Endless,           // a body that never ends, as fast as the socket takes it
    Garbage,           // binary bytes with NULs, then close
    CloseAtOnce,       // close as soon as the request arrived
    Reset,             // reset the connection as soon as the request arrived
  };

  struct Request {
    QByteArray raw;  // every byte of the request
    QString host;    // its Host header
    QString path;
    qint64 atMs = 0;  // when it arrived, milliseconds since the server started
  };

  TestHttpServer();
  explicit TestHttpServer(const ServerIdentity& tlsIdentity);
  ~TestHttpServer() override;

  quint16 port() const;
  bool secure() const { return m_secure; }

  // A page for "host/path" (path with its leading "/"): a 200 response with this body,
  // Content-Length and "Connection: close". setResponse gives the raw bytes instead.
  void setPage(const QString& hostAndPath, const QByteArray& body);
  void setResponse(const QString& hostAndPath, const QByteArray& raw);
  // Raw bytes for the first request of "host/path" only; later ones get the usual response.
  void setFirstResponse(const QString& hostAndPath, const QByteArray& raw);
  // Normal responses are sent this long after their request arrived, so that fetches overlap.
  void setResponseDelay(int milliseconds) { m_delayMs = milliseconds; }
  // A redirect for "host/path": the status (301, 302, ...) with its reason and this Location,
  // an empty body. Chains are set up one address at a time.
  void setRedirect(const QString& hostAndPath, int status, const QByteArray& location);
  // A 200 response with "Transfer-Encoding: chunked": each chunk with its hex size, then the
  // last chunk and the trailer lines given (each without its CR LF). An empty chunk ends the
  // stream early, as a last chunk.
  void setChunkedPage(const QString& hostAndPath, const QList<QByteArray>& chunks,
                      const QList<QByteArray>& trailers = {});
  // Pages of a host made on request: the body for a path, or nothing for a 404. Pages set for
  // the host by address go first. Serves endless webs.
  using PageMaker = std::function<std::optional<QByteArray>(const QString& path)>;
  void setPageMaker(const QString& host, PageMaker maker);
  void setBehaviour(const QString& host, Behaviour behaviour);
  void setTrickleInterval(int milliseconds) { m_trickleMs = milliseconds; }

  const QList<Request>& requests() const { return m_requests; }
  void clearRequests() { m_requests.clear(); }
  int openConnections() const { return m_open; }
  int maxOpenConnections() const { return m_maxOpen; }
  // The most connections open at once whose request named this host (counted from the request
  // until the connection closes).
  int maxOpenConnections(const QString& host) const {
    return m_maxOpenByHost.value(host.toLower());
  }
  // Bytes written by Endless responses, to check that a client stopped reading them.
  qint64 endlessBytesSent() const { return m_endlessBytes; }

 private:
  void onNewConnection();
  void onReadyRead(QTcpSocket* socket);
  // The response set for the request's address (the first-time one first), or a 404.
  QByteArray usualResponse(const Request& request);
  void respond(QTcpSocket* socket, const Request& request);
  void closeLater(QTcpSocket* socket);

  std::unique_ptr<QTcpServer> m_server;
  bool m_secure = false;
  QHash<QString, QByteArray> m_responses;       // lower-case host + path
  QHash<QString, Behaviour> m_behaviours;       // lower-case host
  QHash<QString, PageMaker> m_pageMakers;       // lower-case host
  QHash<QString, QByteArray> m_firstResponses;  // lower-case host + path, until asked once
  QHash<QString, int> m_openByHost;             // lower-case host
  QHash<QString, int> m_maxOpenByHost;
  QElapsedTimer m_clock;
  int m_delayMs = 0;
  QList<Request> m_requests;
  int m_trickleMs = 50;
  int m_open = 0;
  int m_maxOpen = 0;
  qint64 m_endlessBytes = 0;
};

// Sets an environment variable for as long as the object lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value);
  ~ScopedEnv();

 private:
  const char* m_name;
  QByteArray m_old;
  bool m_had;
};

}  // namespace norvane::testing
