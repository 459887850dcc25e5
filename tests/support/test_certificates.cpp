#include "support/test_certificates.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>

namespace norvane::testing {
namespace {

// Elliptic-curve keys: made in milliseconds, where RSA keys would slow every test down.
const QStringList kNewKey = {
    QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
    QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TestCertificates::TestCertificates() {
  if (!m_dir.isValid()) {
    m_error = QStringLiteral("no temporary folder");
    return;
  }
  if (!run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
           QStringList{
               QStringLiteral("-keyout"), file(QStringLiteral("ca.key")), QStringLiteral("-out"),
               file(QStringLiteral("ca.pem")), QStringLiteral("-days"), QStringLiteral("2"),
               QStringLiteral("-subj"), QStringLiteral("/CN=Norvane Test Authority"),
               QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
               QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")}))
    return;
  const QList<QSslCertificate> ca = QSslCertificate::fromData(ReadAll(caFile()), QSsl::Pem);
  if (ca.isEmpty()) {
    m_error = QStringLiteral("openssl wrote no readable authority certificate");
    return;
  }
  m_ca = ca.first();
  m_ok = true;
}

QString TestCertificates::caFile() const {
  return file(QStringLiteral("ca.pem"));
}

std::optional<ServerIdentity> TestCertificates::issue(const QStringList& names) {
  if (!m_ok || names.isEmpty()) return std::nullopt;
  const QString base = QStringLiteral("server%1").arg(++m_issued);
  QStringList altNames;
  for (const QString& name : names) {
    const bool address = !QHostAddress(name).isNull();
    altNames << (address ? QStringLiteral("IP:") : QStringLiteral("DNS:")) + name;
  }
  QFile extensions(file(base + QStringLiteral(".ext")));
  if (!extensions.open(QIODevice::WriteOnly)) return std::nullopt;
  extensions.write(
      "basicConstraints=CA:FALSE\n"
      "keyUsage=critical,digitalSignature,keyEncipherment\n"
      "extendedKeyUsage=serverAuth\n"
      "subjectAltName=" +
      altNames.join(QLatin1Char(',')).toLatin1() + "\n");
  extensions.close();

  const QString key = file(base + QStringLiteral(".key"));
  const QString request = file(base + QStringLiteral(".csr"));
  const QString certificate = file(base + QStringLiteral(".pem"));
  if (!run(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + kNewKey +
           QStringList{QStringLiteral("-keyout"), key, QStringLiteral("-out"), request,
                       QStringLiteral("-subj"), QStringLiteral("/CN=") + names.first()}))
    return std::nullopt;
  if (!run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
            QStringLiteral("-CA"), caFile(), QStringLiteral("-CAkey"),
            file(QStringLiteral("ca.key")), QStringLiteral("-set_serial"),
            QString::number(1000 + m_issued), QStringLiteral("-days"), QStringLiteral("2"),
            QStringLiteral("-extfile"), extensions.fileName(), QStringLiteral("-out"),
            certificate}))
    return std::nullopt;

  ServerIdentity identity;
  const QList<QSslCertificate> issued = QSslCertificate::fromData(ReadAll(certificate), QSsl::Pem);
  if (!issued.isEmpty()) identity.certificate = issued.first();
  identity.key = QSslKey(ReadAll(key), QSsl::Ec, QSsl::Pem);
  if (identity.certificate.isNull() || identity.key.isNull()) {
    m_error = QStringLiteral("cannot read the certificate or key openssl wrote for ") +
              names.join(QLatin1Char(','));
    return std::nullopt;
  }
  return identity;
}

bool TestCertificates::run(const QStringList& arguments) {
  QProcess openssl;
  openssl.setProcessChannelMode(QProcess::MergedChannels);
  openssl.start(QStringLiteral("openssl"), arguments);
  if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
      openssl.exitCode() != 0) {
    m_error = QStringLiteral("openssl ") + arguments.join(QLatin1Char(' ')) +
              QStringLiteral(" failed: ") + openssl.errorString() + QLatin1Char(' ') +
              QString::fromLocal8Bit(openssl.readAll());
    return false;
  }
  return true;
}

}  // namespace norvane::testing
