#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "support/test_http_server.h"

namespace norvane::testing {

// A local web made the way small businesses' sites are: result sites (what a search found),
// each with a home page, a contact page carrying its fax number at an address of its own
// ("/kontakt.html", "/impressum", "/index.php?page=contact", one named only by its link text,
// ...) and other pages, every page linking first to hub sites (a social network, maps, reviews,
// an encyclopaedia, the web agency) whose pages go on without end and link to unrelated
// organisations that carry fax numbers of their own.
struct ResultSiteWeb {
  enum class Layout {
    OneLinkPerLine,  // every link on a line of its own, lines ending in CR LF
    MenusOnOneLine,  // lines ending in LF, each menu one line, as today's servers send pages
  };
  struct Site {
    QString queued;       // the website the search queued for it
    QString host;         // its registrable domain; pages are served there and on "www."
    QString contactPath;  // with its leading "/"
    QString contactText;  // the link text of the contact page
    QString fax;          // the number in stored form
  };
  QList<Site> results;
  QStringList unrelatedFaxes;  // in stored form
  QStringList hubs;
  int pagesPerSite = 0;

  QStringList queue() const;
  // Which result site a host is on (the site or a subdomain of it); -1 for none.
  int resultOfHost(const QString& host) const;
};

// Serves the web on the server: `sites` result sites (at most 30, each of `pagesPerSite` pages,
// at least 2), five hubs and forty unrelated organisations.
ResultSiteWeb ServeResultSiteWeb(TestHttpServer& server, ResultSiteWeb::Layout layout,
                                 int sites = 30, int pagesPerSite = 11);

// What a crawl of the web did, from the server's requests and the numbers stored.
struct ResultSiteFigures {
  int fetches = 0;            // requests of any kind, robots.txt included
  int resultsStored = 0;      // result sites whose number was stored
  int stored = 0;             // numbers stored in all
  int storedFromResults = 0;  // of them, result sites' numbers
  int contactEarly = 0;       // sites whose contact page was among their first 4 fetches
  int sitesOverLimit = 0;     // sites with more page fetches than the limit given
};
ResultSiteFigures MeasureResultSiteCrawl(const ResultSiteWeb& web, const TestHttpServer& server,
                                         const QStringList& storedFaxes, int pageLimit = 0);

}  // namespace norvane::testing
