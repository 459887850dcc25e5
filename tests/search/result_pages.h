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

}  // namespace norvane::testing
