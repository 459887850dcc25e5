#include "harvest/sites/result_sites.h"

#include <libpsl.h>
#include <QHostAddress>

namespace norvane {
namespace {

// The list the system keeps up to date (Debian's publicsuffix package) when it is newer than the
// one built into libpsl, the built-in one otherwise; read once.
const psl_ctx_t* SuffixList() {
  static const psl_ctx_t* const list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest ? latest : psl_builtin();
  }();
  return list;
}

}  // namespace

QString WebsiteHost(const QString& website) {
  QStringView rest = QStringView(website).trimmed();
  // A scheme is letters before "://" at the very start; "://" further on is part of a path.
  const qsizetype scheme = rest.indexOf(u"://");
  bool letters = scheme > 0;
  for (qsizetype k = 0; letters && k < scheme; ++k)
    letters = rest[k].isLetter() && rest[k].unicode() < 128;
  if (letters) rest = rest.mid(scheme + 3);
  qsizetype end = 0;
  while (end < rest.size() && rest[end] != QLatin1Char('/') && rest[end] != QLatin1Char('?') &&
         rest[end] != QLatin1Char('#') && rest[end] != QLatin1Char('\\'))
    ++end;
  QStringView host = rest.left(end);
  if (const qsizetype at = host.lastIndexOf(QLatin1Char('@')); at >= 0) host = host.mid(at + 1);
  if (host.startsWith(QLatin1Char('['))) {
    const qsizetype close = host.indexOf(QLatin1Char(']'));
    host = close > 0 ? host.mid(1, close - 1) : host.mid(1);
  } else if (host.count(QLatin1Char(':')) == 1) {
    host = host.left(host.indexOf(QLatin1Char(':')));
  }
  while (host.endsWith(QLatin1Char('.'))) host.chop(1);
  return host.toString().toLower();
}

QString RegistrableDomain(const QString& host) {
  const QString lower = host.toLower();
  if (lower.isEmpty() || !QHostAddress(lower).isNull()) return lower;
  const QByteArray utf8 = lower.toUtf8();
  const char* domain = psl_registrable_domain(SuffixList(), utf8.constData());
  return domain ? QString::fromUtf8(domain) : lower;
}

QString SiteOfWebsite(const QString& website) {
  return RegistrableDomain(WebsiteHost(website));
}

void ResultSites::build(const QStringList& queued) {
  clear();
  for (const QString& website : queued) {
    const QString site = SiteOfWebsite(website);
    if (site.isEmpty()) continue;
    if (!m_sites.contains(site)) {
      m_order << site;
      m_sites.insert(site, Site{site});
    }
    ++m_sites[site].queued;
  }
}

void ResultSites::restore(const QList<Site>& sites) {
  clear();
  for (const Site& site : sites) {
    if (site.site.isEmpty() || m_sites.contains(site.site)) continue;
    m_order << site.site;
    m_sites.insert(site.site, site);
  }
}

QList<ResultSites::Site> ResultSites::sites() const {
  QList<Site> out;
  for (const QString& site : m_order) out << m_sites.value(site);
  return out;
}

void ResultSites::clear() {
  m_order.clear();
  m_sites.clear();
}

QString ResultSites::siteOf(const QString& website) const {
  // The host itself, then each parent domain: "a.b.example.com" is on "example.com".
  QString host = WebsiteHost(website);
  while (!host.isEmpty()) {
    if (m_sites.contains(host)) return host;
    const qsizetype dot = host.indexOf(QLatin1Char('.'));
    if (dot < 0) break;
    host.remove(0, dot + 1);  // in place: asked for every link of every page
  }
  return QString();
}

bool ResultSites::mayQueue(const QString& site, bool firstPage) const {
  const auto it = m_sites.constFind(site);
  if (it == m_sites.cend()) return false;
  return m_pageLimit <= 0 || it->queued < (firstPage ? 2 * m_pageLimit : m_pageLimit);
}

bool ResultSites::mayTake(const QString& site) const {
  const auto it = m_sites.constFind(site);
  return it != m_sites.cend() && (m_pageLimit <= 0 || it->taken < m_pageLimit);
}

const ResultSites::Site& ResultSites::addQueued(const QString& site) {
  Site& counts = m_sites[site];
  ++counts.queued;
  return counts;
}

const ResultSites::Site& ResultSites::addTaken(const QString& site) {
  Site& counts = m_sites[site];
  ++counts.taken;
  return counts;
}

}  // namespace norvane
