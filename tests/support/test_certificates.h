#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

namespace norvane::testing {

// A certificate and its private key, as a TLS test server presents them.
struct ServerIdentity {
  QSslCertificate certificate;
  QSslKey key;
};

// A certificate authority made for one test by the openssl command in a temporary folder, and
// server certificates it signs for any names: host names ("www.site.test", "localhost") and
// IP addresses ("127.0.0.1"). Nothing is trusted outside the test: a client trusts these
// certificates only when it is given caFile() or caCertificate().
class TestCertificates {
 public:
  TestCertificates();

  // False when openssl could not make the authority; error() says why.
  bool ok() const { return m_ok; }
  QString error() const { return m_error; }

  // The authority's certificate as a PEM file, for NORVANE_CA_FILE.
  QString caFile() const;
  QSslCertificate caCertificate() const { return m_ca; }

  // A certificate signed by the authority whose subject names are `names`, each an IP address
  // or a DNS name. Nothing when openssl fails (error() says why).
  std::optional<ServerIdentity> issue(const QStringList& names);
  // A well-signed certificate that names only "wrong-host.test", to be presented for any other
  // host so that checking the host name fails.
  std::optional<ServerIdentity> issueForWrongHost() {
    return issue({QStringLiteral("wrong-host.test")});
  }

 private:
  bool run(const QStringList& arguments);
  QString file(const QString& name) const { return m_dir.filePath(name); }

  QTemporaryDir m_dir;
  QSslCertificate m_ca;
  bool m_ok = false;
  QString m_error;
  int m_issued = 0;
};

}  // namespace norvane::testing
