#include "search/search_query.h"

#include <QByteArray>

namespace norvane {

QString BuildSearchQuery(const QString& search, bool addFax) {
  QString text = search;
  if (addFax) text += QStringLiteral(" fax");
  // Spaces become "+"; everything outside the unreserved characters is percent-encoded.
  const QByteArray encoded = text.toUtf8().toPercentEncoding(QByteArray(" "));
  QString query = QString::fromLatin1(encoded);
  query.replace(QLatin1Char(' '), QLatin1Char('+'));
  return query;
}

qint32 WantedDomains(int resultCountIndex) {
  switch (resultCountIndex) {
    case 1:
      return 200;
    case 2:
      return 500;
    case 3:
      return 1000;
    case 4:
      return 5000;
    case 5:
      return 10000;
    default:
      return 100;
  }
}

QString EngineFromSearchType(const QString& searchTypeText, const QString& previousEngine) {
  if (searchTypeText == QLatin1String("Yahoo Search")) return kYahoo;
  if (searchTypeText == QLatin1String("Google Search")) return kGoogle;
  if (searchTypeText == QLatin1String("Bing Search")) return kBing;
  return previousEngine.isEmpty() ? kGoogle : previousEngine;
}

QString ResultPageUrl(const QString& engine, const QString& query, qint32 lStart, bool secure) {
  const QString scheme = secure ? QStringLiteral("https://") : QStringLiteral("http://");
  if (engine == kBing) {
    return scheme + QStringLiteral("www.bing.com/search?q=") + query + QStringLiteral("&first=") +
           QString::number(lStart);
  }
  if (engine == kYahoo) {
    if (secure) {
      return QStringLiteral("https://search.yahoo.com/search?p=") + query + QStringLiteral("&b=") +
             QString::number(lStart);
    }
    return QStringLiteral("http://search.yahoo.com/search/dir?h=s&xargs=0&p=") + query +
           QStringLiteral("&b=") + QString::number(lStart);
  }
  return scheme +
         QStringLiteral(
             "www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0"
             "&start=") +
         QString::number(lStart - 1) + QStringLiteral("&sa=N&q=") + query;
}

qint32 ResultsPageStep(const QString& engine, bool secure) {
  // Bing, and Yahoo's web search, show ten results a page.
  if (engine == kBing) return 10;
  if (engine == kYahoo) return secure ? 10 : 20;
  return 100;
}

}  // namespace norvane
