// The test support for secure sites: a certificate authority made at test time, and the test
// server speaking TLS with its certificates, scripted redirects and chunked pages included.
#include <gtest/gtest.h>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include "harvest/fetch/http_response.h"
#include "harvest/fetch/redirect_response.h"
#include "support/qt_printers.h"
#include "support/test_certificates.h"
#include "support/test_http_server.h"
#include "support/wait_for.h"

namespace norvane {
namespace {

using testing::ServerIdentity;
using testing::TestCertificates;
using testing::TestHttpServer;
using testing::WaitFor;

struct Fetched {
  bool encrypted = false;
  QList<QSslError::SslError> errors;
  QByteArray response;
};

// One GET over TLS to the local server, checking its certificate for `peerName` against the
// authorities given (none: only the system's).
Fetched FetchSecure(quint16 port, const QString& peerName, const QList<QSslCertificate>& trusted,
                    const QByteArray& path = "/") {
  QSslSocket socket;
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  for (const QSslCertificate& ca : trusted) configuration.addCaCertificate(ca);
  socket.setSslConfiguration(configuration);
  Fetched fetched;
  QObject::connect(&socket, &QSslSocket::sslErrors, [&](const QList<QSslError>& errors) {
    for (const QSslError& error : errors) fetched.errors << error.error();
  });
  bool done = false;
  QObject::connect(&socket, &QSslSocket::encrypted, [&] {
    fetched.encrypted = true;
    socket.write("GET " + path + " HTTP/1.1\r\nHost: " + peerName.toLatin1() +
                 "\r\nConnection: close\r\n\r\n");
  });
  QObject::connect(&socket, &QSslSocket::readyRead, [&] { fetched.response += socket.readAll(); });
  QObject::connect(&socket, &QSslSocket::disconnected, [&] { done = true; });
  QObject::connect(&socket, &QSslSocket::errorOccurred, [&] { done = true; });
  socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port, peerName);
  WaitFor([&] { return done; });
  fetched.response += socket.readAll();
  return fetched;
}

// The same GET without TLS.
QByteArray FetchPlain(quint16 port, const QByteArray& host, const QByteArray& path) {
  QTcpSocket socket;
  QByteArray response;
  bool done = false;
  QObject::connect(&socket, &QTcpSocket::connected, [&] {
    socket.write("GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
  });
  QObject::connect(&socket, &QTcpSocket::readyRead, [&] { response += socket.readAll(); });
  QObject::connect(&socket, &QTcpSocket::disconnected, [&] { done = true; });
  QObject::connect(&socket, &QTcpSocket::errorOccurred, [&] { done = true; });
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  WaitFor([&] { return done; });
  return response + socket.readAll();
}

class TlsTestServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QSslSocket::supportsSsl()) GTEST_SKIP() << "no TLS backend";
    ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
  }
  TestCertificates certificates;
};

TEST_F(TlsTestServerTest, VerifiesAgainstTheTestAuthorityOnly) {
  const auto good = certificates.issue(
      {QStringLiteral("127.0.0.1"), QStringLiteral("localhost"), QStringLiteral("www.site.test")});
  const auto wrong = certificates.issueForWrongHost();
  ASSERT_TRUE(good && wrong) << certificates.error().toStdString();
  // The authority as the crawl reads it from NORVANE_CA_FILE.
  const QList<QSslCertificate> fromFile = QSslCertificate::fromPath(certificates.caFile());
  ASSERT_EQ(fromFile.size(), 1);
  EXPECT_EQ(fromFile.first(), certificates.caCertificate());

  const struct {
    const char* label;
    const ServerIdentity* identity;
    const char* peerName;
    bool trustTheAuthority;
    std::optional<QSslError::SslError> error;
  } cases[] = {
      {"address", &*good, "127.0.0.1", true, std::nullopt},
      {"localhost", &*good, "localhost", true, std::nullopt},
      {"host name", &*good, "www.site.test", true, std::nullopt},
      {"name not in the certificate", &*good, "other.site.test", true, QSslError::HostNameMismatch},
      {"certificate for the wrong host", &*wrong, "www.site.test", true,
       QSslError::HostNameMismatch},
      {"authority not trusted", &*good, "www.site.test", false,
       QSslError::UnableToGetLocalIssuerCertificate},
  };
  for (const auto& c : cases) {
    TestHttpServer server(*c.identity);
    EXPECT_TRUE(server.secure());
    server.setPage(QLatin1String(c.peerName) + QStringLiteral("/"), "<p>secure page</p>");
    const Fetched fetched = FetchSecure(server.port(), QLatin1String(c.peerName),
                                        c.trustTheAuthority ? fromFile : QList<QSslCertificate>{});
    if (!c.error) {
      EXPECT_TRUE(fetched.encrypted) << c.label;
      EXPECT_TRUE(fetched.errors.isEmpty()) << c.label;
      EXPECT_EQ(PageBody(fetched.response.toStdString()), "<p>secure page</p>") << c.label;
      ASSERT_EQ(server.requests().size(), 1) << c.label;
      EXPECT_EQ(server.requests().first().host, QLatin1String(c.peerName)) << c.label;
    } else {
      EXPECT_FALSE(fetched.encrypted) << c.label;
      EXPECT_TRUE(fetched.errors.contains(*c.error)) << c.label;
      EXPECT_TRUE(fetched.response.isEmpty()) << c.label;
      EXPECT_TRUE(server.requests().isEmpty()) << c.label;
    }
  }
}

TEST_F(TlsTestServerTest, ServesScriptedRedirectsAndChunkedPages) {
  const auto identity = certificates.issue({QStringLiteral("www.site.test")});
  ASSERT_TRUE(identity) << certificates.error().toStdString();
  TestHttpServer server(*identity);
  TestHttpServer plainServer;
  for (TestHttpServer* each : {&server, &plainServer}) {
    each->setRedirect(QStringLiteral("www.site.test/old"), 301, "https://www.site.test/new");
    each->setRedirect(QStringLiteral("www.site.test/new"), 307, "/chunked");
    each->setChunkedPage(QStringLiteral("www.site.test/chunked"),
                         {"<body>Fax: (201) 55", "5-0001</body>"}, {"X-Trailer: yes"});
  }

  const struct {
    const char* path;
    int status;
    std::optional<std::string> location;
    std::string page;
  } cases[] = {
      {"/old", 301, "https://www.site.test/new", ""},
      {"/new", 307, "/chunked", ""},
      {"/chunked", 200, std::nullopt, "<body>Fax: (201) 555-0001</body>"},
      {"/missing", 404, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const Fetched fetched = FetchSecure(server.port(), QStringLiteral("www.site.test"),
                                        {certificates.caCertificate()}, c.path);
    ASSERT_TRUE(fetched.encrypted) << c.path;
    const QByteArray plain = FetchPlain(plainServer.port(), "www.site.test", c.path);
    EXPECT_EQ(fetched.response, plain) << c.path;  // the same bytes, with and without TLS
    const std::string response = fetched.response.toStdString();
    EXPECT_EQ(StatusCodeOf(response), c.status) << c.path;
    EXPECT_EQ(LocationOf(response), c.location) << c.path;
    EXPECT_EQ(PageBody(response), c.page) << c.path;
  }
  // The chunks go out as scripted: sizes in hex, the trailer after the last chunk.
  const Fetched chunked = FetchSecure(server.port(), QStringLiteral("www.site.test"),
                                      {certificates.caCertificate()}, "/chunked");
  EXPECT_TRUE(chunked.response.endsWith(
      "\r\n\r\n13\r\n<body>Fax: (201) 55\r\nd\r\n5-0001</body>\r\n0\r\nX-Trailer: yes\r\n\r\n"));
}

TEST_F(TlsTestServerTest, EachIssuedCertificateNamesItsHosts) {
  const struct {
    QStringList names;
    QStringList dnsNames;
    int addresses;
  } cases[] = {
      {{QStringLiteral("www.site.test")}, {QStringLiteral("www.site.test")}, 0},
      {{QStringLiteral("127.0.0.1"), QStringLiteral("localhost")},
       {QStringLiteral("localhost")},
       1},
      {{QStringLiteral("a.test"), QStringLiteral("b.test"), QStringLiteral("::1")},
       {QStringLiteral("a.test"), QStringLiteral("b.test")},
       1},
  };
  for (const auto& c : cases) {
    const auto identity = certificates.issue(c.names);
    ASSERT_TRUE(identity) << certificates.error().toStdString();
    const auto alternates = identity->certificate.subjectAlternativeNames();
    QStringList dnsNames = alternates.values(QSsl::DnsEntry);
    dnsNames.sort();
    EXPECT_EQ(dnsNames, c.dnsNames) << c.names.join(',').toStdString();
    EXPECT_EQ(alternates.values(QSsl::IpAddressEntry).size(), c.addresses)
        << c.names.join(',').toStdString();
    EXPECT_EQ(identity->certificate.issuerInfo(QSslCertificate::CommonName),
              certificates.caCertificate().subjectInfo(QSslCertificate::CommonName));
  }
  EXPECT_FALSE(certificates.issue({}));
}

}  // namespace
}  // namespace norvane
