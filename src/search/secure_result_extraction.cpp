#include "search/secure_result_extraction.h"

#include <QLatin1StringView>
#include <QUrl>
#include <array>

#include "search/result_extraction.h"
#include "search/search_query.h"

namespace norvane {
namespace {

const QLatin1StringView kHttp("http://");
const QLatin1StringView kHttps("https://");

// The engines' own names, matched as whole labels of a host: each engine's domains in every
// country, and the hosts they serve static files, images, caches, ads, sign-in, translations
// and redirects from.
constexpr std::array kEngineLabels = {"google",
                                      "googleusercontent",
                                      "gstatic",
                                      "googleapis",
                                      "googleadservices",
                                      "googlesyndication",
                                      "googletagmanager",
                                      "doubleclick",
                                      "ggpht",
                                      "goog",
                                      "yahoo",
                                      "yimg",
                                      "yahooapis",
                                      "bing",
                                      "bingj",
                                      "microsoft",
                                      "microsofttranslator",
                                      "msn",
                                      "msftauth",
                                      "ytimg"};

// Engine hosts whose labels are too common to match alone.
constexpr std::array kEngineDomains = {"live.com"};

// The percent-encoded schemes the engines wrap their links in, and how they read.
constexpr std::array<std::pair<const char*, const char*>, 4> kEncodedSchemes = {{
    {"https%3a%2f%2f", "https://"},
    {"http%3a%2f%2f", "http://"},
    {"https%3a//", "https://"},
    {"http%3a//", "http://"},
}};

bool IsHostCharacter(QChar c) {
  return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ||
         c == QLatin1Char('_');
}

// "www.acme.com" -> "acme.com": hosts of three or more labels lose their first one.
QString ReducedHost(QString host) {
  const qsizetype firstDot = host.indexOf(QLatin1Char('.'));
  if (firstDot >= 0 && host.indexOf(QLatin1Char('.'), firstDot + 1) >= 0) {
    host.remove(0, firstDot + 1);
  }
  return host;
}

// The engine's label in the host of its result pages.
QLatin1StringView EngineLabel(const QString& engine) {
  if (engine == kYahoo) return QLatin1StringView("yahoo");
  if (engine == kBing) return QLatin1StringView("bing");
  return QLatin1StringView("google");
}

}  // namespace

QStringList SplitSecureResultLines(const QString& html) {
  QString text = html;
  for (const auto& [encoded, plain] : kEncodedSchemes) {
    text.replace(QLatin1StringView(encoded), QLatin1StringView(plain), Qt::CaseInsensitive);
  }
  QString split;
  split.reserve(text.size() + text.size() / 16);
  for (qsizetype i = 0; i < text.size();) {
    const QStringView rest = QStringView(text).mid(i);
    QLatin1StringView scheme;
    if (rest.startsWith(kHttps, Qt::CaseInsensitive)) {
      scheme = kHttps;
    } else if (rest.startsWith(kHttp, Qt::CaseInsensitive)) {
      scheme = kHttp;
    }
    if (scheme.isEmpty()) {
      split += text.at(i++);
      continue;
    }
    split += QLatin1StringView("\r\n");
    split += scheme;
    i += scheme.size();
  }
  split += QLatin1StringView("\r\n");
  return WorkFileLines(split);
}

QString LinkHost(const QString& line) {
  qsizetype from = 0;
  if (line.startsWith(kHttps)) {
    from = kHttps.size();
  } else if (line.startsWith(kHttp)) {
    from = kHttp.size();
  } else {
    return QString();
  }
  qsizetype to = from;
  while (to < line.size() && IsHostCharacter(line.at(to))) ++to;
  return line.mid(from, to - from);
}

bool IsEngineHost(const QString& host) {
  for (const char* domain : kEngineDomains) {
    const QLatin1StringView name(domain);
    if (host.compare(name, Qt::CaseInsensitive) == 0 ||
        (host.endsWith(name, Qt::CaseInsensitive) &&
         host.at(host.size() - name.size() - 1) == QLatin1Char('.'))) {
      return true;
    }
  }
  for (const QStringView label : QStringView(host).split(QLatin1Char('.'))) {
    for (const char* name : kEngineLabels) {
      if (label.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0) return true;
    }
  }
  return false;
}

bool SecureLineQualifies(const QString& line) {
  const QString host = LinkHost(line);
  if (host.isEmpty() || IsEngineHost(host)) return false;
  for (const char* label : {".org", ".net", ".com"}) {
    if (line.contains(QLatin1StringView(label), Qt::CaseInsensitive)) return true;
  }
  return false;
}

QString SecureAcceptedDomain(const QString& line, const QString& found) {
  if (!SecureLineQualifies(line)) return QString();
  return AcceptedCandidate(ReducedHost(LinkHost(line)), found);
}

QString QueuedWebsite(const QString& domain, const QString& line) {
  return line.startsWith(kHttps) ? kHttps + domain : domain;
}

QStringList ExtractSecureWebsites(const QString& html) {
  QStringList websites;
  QString found;
  for (const QString& line : SplitSecureResultLines(html)) {
    const QString domain = SecureAcceptedDomain(line, found);
    if (domain.isEmpty()) continue;
    found += domain;
    websites << QueuedWebsite(domain, line);
  }
  return websites;
}

bool ShowsEnginePrompt(const QString& engine, const QUrl& location, const QString& html) {
  const QString path = location.path();
  const bool resultPath =
      (path == QLatin1StringView("/search") || path.startsWith(QLatin1StringView("/search;"))) &&
      location.host().split(QLatin1Char('.')).contains(EngineLabel(engine), Qt::CaseInsensitive);
  if (!resultPath) return true;
  for (const QString& line : SplitSecureResultLines(html)) {
    if (!SecureAcceptedDomain(line, QString()).isEmpty()) return false;
  }
  return true;
}

}  // namespace norvane
