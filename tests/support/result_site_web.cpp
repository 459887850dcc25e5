#include "support/result_site_web.h"

#include <QSet>
#include <algorithm>
#include <array>

namespace norvane::testing {
namespace {

struct Contact {
  const char* path;
  const char* text;
};

// Contact pages as businesses name them; two are named only by their link text. None ends in
// "/": the crawl asks for a page without its closing slash.
constexpr std::array<Contact, 30> kContacts = {{
    {"/contact.html", "Contact"},
    {"/contact-us", "Contact us"},
    {"/kontakt.html", "Kontakt"},
    {"/impressum", "Impressum"},
    {"/contacto.htm", "Contacto"},
    {"/contatti.php", "Contatti"},
    {"/nous-contacter", "Nous contacter"},
    {"/index.php?page=contact", "Contact"},
    {"/about/locations.html", "Locations"},
    {"/our-offices", "Our offices"},
    {"/staff-directory.html", "Staff"},
    {"/ContactUs.aspx", "Contact Us"},
    {"/de/kontakt", "Kontakt"},
    {"/fr/contactez-nous.html", "Contactez-nous"},
    {"/es/contactenos",
     "Cont\xc3\xa1"
     "ctenos"},
    {"/standorte.html", "Standorte"},
    {"/mentions-legales", "Mentions l\xc3\xa9gales"},
    {"/imprint.html", "Imprint"},
    {"/kontakty", "Kontakty"},
    {"/get-in-touch", "Get in touch"},
    {"/team.html", "Team"},
    {"/yhteystiedot", "Yhteystiedot"},
    {"/contacts.html", "Contacts"},
    {"/info/contact-form.php", "Contact form"},
    {"/office.html", "Office"},
    {"/kontakt-oss", "Kontakt oss"},
    {"/p/9.html", "Contact"},
    {"/reach-us.html", "Reach us"},
    {"/page-10.html", "Kontakt"},
    {"/sedi.html", "Le nostre sedi"},
}};

// Result sites under public suffixes of several kinds: two under github.io, which are two sites.
constexpr std::array<const char*, 30> kHosts = {
    "smith-plumbing.co.uk",  "berger-sanitaer.de",     "rossi-idraulica.it",
    "martin-plomberie.fr",   "garcia-fontaneria.es",   "bianchi-plumbing.github.io",
    "keller-haustechnik.de", "jones-heating.co.uk",    "dupont-chauffage.fr",
    "novak-instalace.cz",    "silva-canalizacao.pt",   "brown-plumbers.com",
    "weber-bad.at",          "lambert-sanitaire.be",   "lopez-instalaciones.es",
    "fischer-heizung.de",    "moreau-plombier.fr",     "taylor-drains.co.uk",
    "kowalski-hydraulik.pl", "miller-pipes.com",       "jansen-loodgieter.nl",
    "virtanen-lvi.fi",       "wilson-plumbing.com.au", "ricci-termoidraulica.it",
    "olsen-vvs.dk",          "hansen-rorlegger.no",    "verdi-plumbing.github.io",
    "evans-boilers.co.uk",   "schulz-sanitaer.de",     "conti-impianti.it",
};

const QStringList kHubs = {QStringLiteral("friendbook.test"), QStringLiteral("mapsite.test"),
                           QStringLiteral("reviewhub.test"), QStringLiteral("encyclo.test"),
                           QStringLiteral("webagency.test")};
constexpr int kUnrelated = 40;

QString ResultFax(int k) {
  return QStringLiteral("1-201-555-%1").arg(1000 + k);
}
QString UnrelatedFax(int k) {
  return QStringLiteral("1-303-555-%1").arg(2000 + k);
}
// "1-201-555-1000" as a page writes it: "(201) 555-1000".
QByteArray Written(const QString& stored) {
  return ("(" + stored.mid(2, 3) + ") " + stored.mid(6)).toLatin1();
}

QByteArray Link(const QString& href, const QString& text) {
  return "<a href=\"" + href.toUtf8() + "\">" + text.toUtf8() + "</a>";
}

// A page of lines; each group of links (a menu) is one line or a line per link.
class Page {
 public:
  explicit Page(ResultSiteWeb::Layout layout) : m_layout(layout) {}
  void line(const QByteArray& text) { m_lines << text; }
  void menu(const QList<QByteArray>& links) {
    if (m_layout == ResultSiteWeb::Layout::OneLinkPerLine) {
      m_lines << links;
    } else {
      QByteArray joined = "<nav>";
      for (const QByteArray& link : links) joined += link + ' ';
      m_lines << joined + "</nav>";
    }
  }
  QByteArray body() const {
    const QByteArray end = m_layout == ResultSiteWeb::Layout::OneLinkPerLine ? "\r\n" : "\n";
    return "<html><body>" + end + m_lines.join(end) + end + "</body></html>" + end;
  }

 private:
  ResultSiteWeb::Layout m_layout;
  QList<QByteArray> m_lines;
};

QList<QByteArray> HubLinks(int seed) {
  QList<QByteArray> links;
  for (int h = 0; h < kHubs.size(); ++h)
    links << Link(QStringLiteral("http://%1/p/%2").arg(kHubs[h]).arg(seed * 7 + h), kHubs[h]);
  return links;
}

QByteArray HubPage(ResultSiteWeb::Layout layout, int hub, qint64 n) {
  Page page(layout);
  page.line("<h1>" + kHubs[hub].toUtf8() + " page " + QByteArray::number(n) + "</h1>");
  QList<QByteArray> links;
  for (int k = 1; k <= 6; ++k)
    links << Link(QStringLiteral("/p/%1").arg(n * 6 + k), QStringLiteral("More"));
  for (int k = 0; k < 3; ++k) {
    const int org = int((n * 3 + k + hub * 11) % kUnrelated);
    links << Link(QStringLiteral("http://org-%1.test/").arg(org), QStringLiteral("Member"));
  }
  links << Link(QStringLiteral("http://%1/p/%2").arg(kHubs[(hub + 1) % kHubs.size()]).arg(n + 1),
                QStringLiteral("Elsewhere"));
  page.menu(links);
  return page.body();
}

}  // namespace

QStringList ResultSiteWeb::queue() const {
  QStringList out;
  for (const Site& site : results) out << site.queued;
  return out;
}

int ResultSiteWeb::resultOfHost(const QString& host) const {
  const QString lower = host.toLower();
  for (qsizetype k = 0; k < results.size(); ++k) {
    const QString& base = results[k].host;
    if (lower == base || lower.endsWith(QLatin1Char('.') + base)) return int(k);
  }
  return -1;
}

ResultSiteWeb ServeResultSiteWeb(TestHttpServer& server, ResultSiteWeb::Layout layout, int sites,
                                 int pagesPerSite) {
  ResultSiteWeb web;
  web.hubs = kHubs;
  web.pagesPerSite = std::max(2, pagesPerSite);
  sites = std::clamp(sites, 0, int(kHosts.size()));
  for (int k = 0; k < sites; ++k) {
    ResultSiteWeb::Site site;
    site.host = QLatin1String(kHosts[k]);
    site.contactPath = QLatin1String(kContacts[k].path);
    site.contactText = QString::fromUtf8(kContacts[k].text);
    site.fax = ResultFax(k);
    // The search found sites as a host, with "www.", or with a path to their home page.
    const QString www = QStringLiteral("www.") + site.host;
    site.queued = k % 3 == 0 ? site.host : (k % 3 == 1 ? www : site.host + "/index.html");
    // Some sites link their own pages by absolute address on "www.", the rest relative.
    const QString base = k % 4 == 1 ? QStringLiteral("http://") + www : QString();
    QStringList others;
    for (int p = 1; others.size() < web.pagesPerSite - 2; ++p) {
      const QString path = QStringLiteral("/products/item-%1.html").arg(p);
      if (path != site.contactPath) others << path;
    }
    QList<QByteArray> menu{Link(base + "/", QStringLiteral("Home"))};
    for (const QString& path : others) menu << Link(base + path, QStringLiteral("Our work"));
    menu << Link(base + site.contactPath, site.contactText);

    const auto pageOf = [&](const QString& title, bool contact) {
      Page page(layout);
      page.menu(HubLinks(k));  // the header's icons come first
      page.line("<h1>" + title.toUtf8() + "</h1>");
      page.menu(menu);
      page.line(contact ? "<p>Phone (201) 555-7000</p><p>Fax: " + Written(site.fax) + "</p>"
                        : QByteArray("<p>Quality work since 1990.</p>"));
      page.menu(HubLinks(k + 1));
      return page.body();
    };
    const QStringList paths = QStringList{"/", "/index.html"} + others;
    for (const QString& host : {site.host, www}) {
      for (const QString& path : paths) server.setPage(host + path, pageOf(site.host, false));
      server.setPage(host + site.contactPath, pageOf(site.contactText, true));
    }
    web.results << site;
  }
  for (int h = 0; h < kHubs.size(); ++h) {
    server.setPageMaker(kHubs[h], [layout, h](const QString& path) -> std::optional<QByteArray> {
      if (path == QLatin1String("/")) return HubPage(layout, h, 0);
      if (!path.startsWith(QLatin1String("/p/"))) return std::nullopt;
      bool ok = false;
      const qint64 n = path.mid(3).toLongLong(&ok);
      if (!ok) return std::nullopt;
      return HubPage(layout, h, n);
    });
  }
  for (int k = 0; k < kUnrelated; ++k) {
    web.unrelatedFaxes << UnrelatedFax(k);
    Page page(layout);
    page.menu(HubLinks(k));
    page.line("<p>Association office. Fax: " + Written(UnrelatedFax(k)) + "</p>");
    server.setPage(QStringLiteral("org-%1.test/").arg(k), page.body());
  }
  return web;
}

ResultSiteFigures MeasureResultSiteCrawl(const ResultSiteWeb& web, const TestHttpServer& server,
                                         const QStringList& storedFaxes, int pageLimit) {
  ResultSiteFigures f;
  f.fetches = int(server.requests().size());
  QList<int> fetchesOf(web.results.size(), 0);
  QList<int> pagesOf(web.results.size(), 0);
  QList<int> contactAt(web.results.size(), 0);
  for (const auto& request : server.requests()) {
    const int k = web.resultOfHost(request.host);
    if (k < 0) continue;
    ++fetchesOf[k];
    if (request.path != QLatin1String("/robots.txt")) ++pagesOf[k];
    if (request.path == web.results[k].contactPath && contactAt[k] == 0)
      contactAt[k] = fetchesOf[k];
  }
  const QSet<QString> stored(storedFaxes.begin(), storedFaxes.end());
  f.stored = int(stored.size());
  for (qsizetype k = 0; k < web.results.size(); ++k) {
    if (stored.contains(web.results[k].fax)) {
      ++f.resultsStored;
      ++f.storedFromResults;
    }
    if (contactAt[k] > 0 && contactAt[k] <= 4) ++f.contactEarly;
    if (pageLimit > 0 && pagesOf[k] > pageLimit) ++f.sitesOverLimit;
  }
  return f;
}

}  // namespace norvane::testing
