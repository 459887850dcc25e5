#include "search/result_extraction.h"

#include <QLatin1StringView>

namespace norvane {
namespace {

const QLatin1StringView kScheme("http://");

}  // namespace

QStringList SplitResultLines(const QString& html) {
  QString text = html;
  text.replace(QLatin1StringView("http%3a//"), kScheme, Qt::CaseInsensitive);
  text.replace(kScheme, QLatin1StringView("\r\nhttp://"), Qt::CaseInsensitive);
  text += QLatin1StringView("\r\n");
  return WorkFileLines(text);
}

QStringList WorkFileLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) != QLatin1Char('\r')) continue;
    lines << text.mid(start, i - start);
    if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
    start = i + 1;
  }
  if (start < text.size()) lines << text.mid(start);
  return lines;
}

bool LineQualifies(const QString& line) {
  if (!line.startsWith(kScheme)) return false;
  for (const char* skipped : {"yahoo.com", "google.com", "yimg"}) {
    if (line.contains(QLatin1StringView(skipped), Qt::CaseInsensitive)) return false;
  }
  for (const char* label : {".org", ".net", ".com"}) {
    if (line.contains(QLatin1StringView(label), Qt::CaseInsensitive)) return true;
  }
  return false;
}

QString CandidateFromLine(const QString& line) {
  QString host = line;
  const qsizetype scheme = host.indexOf(kScheme);
  if (scheme >= 0) host.remove(scheme, kScheme.size());
  host.remove(QLatin1Char('"'));
  host.remove(QLatin1Char(' '));
  host.remove(QLatin1Char('\''));
  const qsizetype tagEnd = host.indexOf(QLatin1Char('>'));
  if (tagEnd >= 0) host.truncate(tagEnd);
  const qsizetype slash = host.indexOf(QLatin1Char('/'));
  if (slash >= 0) host.truncate(slash);
  // Only hosts of three or more labels lose their first one; a name with its top-level label
  // alone would otherwise be cut down to the label and lost.
  const qsizetype firstDot = host.indexOf(QLatin1Char('.'));
  if (firstDot >= 0 && host.indexOf(QLatin1Char('.'), firstDot + 1) >= 0) {
    host.remove(0, firstDot + 1);
  }
  return host;
}

bool HasAcceptedLabel(const QString& candidate) {
  const qsizetype dot = candidate.indexOf(QLatin1Char('.'));
  if (dot < 0) return false;
  const QString label = candidate.mid(dot + 1);
  static const QStringList kLabels = {
      QStringLiteral("com"), QStringLiteral("org"), QStringLiteral("net"), QStringLiteral("gov"),
      QStringLiteral("Com"), QStringLiteral("Org"), QStringLiteral("Net"), QStringLiteral("Gov"),
      QStringLiteral("COM"), QStringLiteral("ORG"), QStringLiteral("NET"), QStringLiteral("GOV")};
  return kLabels.contains(label);
}

QString AcceptedDomain(const QString& line, const QString& found) {
  if (!LineQualifies(line)) return QString();
  return AcceptedCandidate(CandidateFromLine(line), found);
}

QString AcceptedCandidate(const QString& candidate, const QString& found) {
  if (!HasAcceptedLabel(candidate)) return QString();
  if (candidate.contains(QLatin1Char('<')) || candidate.contains(QLatin1Char('>')) ||
      candidate.contains(QLatin1StringView("mailto:"), Qt::CaseInsensitive) ||
      candidate == QLatin1StringView("ttp:.com") ||
      found.contains(candidate, Qt::CaseInsensitive)) {
    return QString();
  }
  return candidate;
}

QStringList ExtractDomains(const QString& html) {
  QStringList domains;
  QString found;
  for (const QString& line : SplitResultLines(html)) {
    const QString domain = AcceptedDomain(line, found);
    if (domain.isEmpty()) continue;
    found += domain;
    domains << domain;
  }
  return domains;
}

}  // namespace norvane
