#pragma once

#include <QString>
#include <QStringList>

// Result pages in the engines' old formats, with absolute http:// links, for the tests.
namespace norvane::testing {

// A Google web-search page: one result block per site, each with the engine's own cache link.
inline QString GoogleResultPage(const QStringList& sites) {
  QString html = QStringLiteral(
      "<html><head><title>Google Search</title></head><body bgcolor=#ffffff>"
      "<a href=\"http://www.google.com/\"><img src=\"/images/logo_sm.gif\" alt=Google></a>\n"
      "<form action=/search><input name=q value=\"plumbers fax\"></form>\n");
  for (const QString& site : sites) {
    html += QStringLiteral(
                "<p class=g><a href=\"http://%1/\">%1 - home</a><br><font size=-1>Call or fax "
                "us<br><font color=#008000>%1/ - 12k - </font><nobr><a class=fl "
                "href=\"http://www.google.com/search?q=cache:x1:%1/+plumbers&hl=en\">Cached</a> - "
                "<a class=fl href=\"/search?q=related:%1/\">Similar pages</a></nobr></font></p>\n")
                .arg(site);
  }
  return html + QStringLiteral("</body></html>");
}

// A Yahoo directory-search page: every site linked through the engine's redirector, with its
// images on the engine's image host.
inline QString YahooResultPage(const QStringList& sites) {
  QString html = QStringLiteral(
      "<html><head><title>Yahoo! Search Results</title></head><body>"
      "<center><a href=\"http://rd.yahoo.com/M=1/*http://www.yahoo.com/\"><img "
      "src=\"http://us.yimg.com/i/yahoo.gif\" alt=\"Yahoo!\"></a></center>\n<ul>\n");
  for (const QString& site : sites) {
    html += QStringLiteral(
                "<li><a href=\"http://rd.yahoo.com/dir/*http://%1/\">%1</a> - supplies and "
                "service, it's open all week.\n")
                .arg(site);
  }
  return html + QStringLiteral(
                    "</ul><a href=\"http://search.yahoo.com/search/dir?p=x&b=21\">Next 20</a>"
                    "</body></html>");
}

// A result page of today's engines, over https among links to the engine's own hosts: Google
// links each site directly and again through its redirect, Yahoo only through its
// percent-encoded redirect, Bing directly.
inline QString SecureResultPage(const QString& engine, const QStringList& sites) {
  QString html = QStringLiteral(
      "<div><a href=\"https://accounts.google.com/ServiceLogin\">Sign in</a><img "
      "src=\"https://s.yimg.com/pv/logo.png\"><a href=\"https://www.bing.com/images\">Images</a>"
      "</div>\n");
  for (const QString& site : sites) {
    if (engine == QLatin1String("Yahoo")) {
      html += QStringLiteral(
                  "<li><a href=\"https://r.search.yahoo.com/_ylt=Aw/RV=2/RE=1/RO=10/RU=https%3a%2f"
                  "%2f%1%2fhome/RK=2/RS=x-\">%1</a><span>%1 \xe2\x80\xba home</span></li>\n")
                  .arg(site);
    } else if (engine == QLatin1String("Bing")) {
      html += QStringLiteral(
                  "<li class=b_algo><h2><a href=\"https://%1/\" h=\"ID=SERP\">%1</a></h2><cite>"
                  "https://%1</cite><a href=\"https://www.microsofttranslator.com/t?u=x\">"
                  "Translate</a></li>\n")
                  .arg(site);
    } else {
      html += QStringLiteral(
                  "<div class=g><a href=\"https://%1/\" ping=\"/url?sa=t&amp;url=https://%1/"
                  "\"><h3>%1</h3></a><a href=\"https://webcache.googleusercontent.com/search?q="
                  "cache:x\">Cached</a><a href=\"/url?q=https://%1/&amp;sa=U\">more</a></div>\n")
                  .arg(site);
    }
  }
  return html;
}

// n distinct sites "www.firm001.com", ...; no name is part of another.
inline QStringList Firms(int n, int first = 1) {
  QStringList sites;
  for (int i = first; i < first + n; ++i) {
    sites << QStringLiteral("www.firm%1.com").arg(i, 3, 10, QLatin1Char('0'));
  }
  return sites;
}

// The domains the search pass makes of Firms(n, first).
inline QStringList FirmDomains(int n, int first = 1) {
  QStringList domains;
  for (const QString& site : Firms(n, first)) domains << site.mid(4);
  return domains;
}

// The websites a secure pass queues for Firms(n, first) linked over https.
inline QStringList SecureFirmWebsites(int n, int first = 1) {
  QStringList websites;
  for (const QString& domain : FirmDomains(n, first)) websites << "https://" + domain;
  return websites;
}

}  // namespace norvane::testing
