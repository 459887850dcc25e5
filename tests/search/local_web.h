#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>
#include <functional>

class QSslSocket;
class QTcpSocket;

namespace norvane::testing {

// A web on 127.0.0.1 for the search tests. It answers both as the HTTP proxy of the embedded
// browser (requests carry the whole address) and as every web server of the crawl (requests
// carry a path and a Host header), so pages are served under their real host names. A tunnel the
// browser asks for (CONNECT host:443) is answered on the same connection over TLS with a
// certificate of its own, so https pages are served too; the browser must be told to accept it.
class LocalWeb : public QObject {
 public:
  struct Reply {
    int status = 404;
    QByteArray body;
    bool hold = false;    // record the request but leave it unanswered until release()
    QByteArray location;  // when set: a redirect (302) to this address
  };
  using Handler = std::function<Reply(const QUrl&)>;

  LocalWeb();
  ~LocalWeb() override;
  quint16 port() const { return m_server.serverPort(); }
  QString hostPort() const;

  void setHandler(Handler handler) { m_handler = std::move(handler); }
  // Page requests so far, as whole addresses (requests for icons are left out); clears them.
  QStringList takeRequests();
  int requestCount() const { return m_requests.size(); }
  // Whole addresses of the requests that came as to a proxy (the request line held the whole
  // address rather than a path); clears them.
  QStringList takeProxiedRequests();
  // Answers held requests with 404 and closes every open connection.
  void release();

  static Reply page(const QByteArray& html) { return Reply{200, html, false, {}}; }
  static Reply redirect(const QByteArray& to) { return Reply{302, {}, false, to}; }

 private:
  // Every connection is a QSslSocket that starts in plain text, so a tunnel can turn into TLS.
  class Server : public QTcpServer {
   public:
    std::function<void(QSslSocket*)> onConnection;

   protected:
    void incomingConnection(qintptr descriptor) override;
  };

  void onReadyRead(QSslSocket* socket);

  Server m_server;
  Handler m_handler;
  QStringList m_requests;
  QStringList m_proxied;
  QList<QPointer<QSslSocket>> m_open;
};

// The process's one local web, made by the test main before the first browser starts.
LocalWeb& TestWeb();

}  // namespace norvane::testing
