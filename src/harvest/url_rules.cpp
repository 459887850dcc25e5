#include "harvest/url_rules.h"

#include <QStringList>
#include <array>

namespace norvane {
namespace {

const QString kScheme = QStringLiteral("http://");

// Removes every occurrence in one left-to-right pass: text joined by a removal is not removed
// again by the same pass.
QString RemoveAll(const QString& text, const QString& fragment, Qt::CaseSensitivity cs) {
  QString out;
  out.reserve(text.size());
  qsizetype from = 0;
  for (qsizetype hit; (hit = text.indexOf(fragment, from, cs)) >= 0; from = hit + fragment.size())
    out += QStringView(text).mid(from, hit - from);
  out += QStringView(text).mid(from);
  return out;
}

// One pass of replacing "//" by "/": "///" becomes "//", which is why the rules run it more
// than once.
QString CollapseSlashesOnce(const QString& text) {
  QString out = text;
  return out.replace(QStringLiteral("//"), QStringLiteral("/"));
}

bool NamesAHost(const QString& link) {
  static const std::array<QString, 6> kHostTexts = {QStringLiteral(".com"), QStringLiteral("www."),
                                                    QStringLiteral(".net"), QStringLiteral(".edu"),
                                                    QStringLiteral(".gov"), QStringLiteral("ww2.")};
  for (const QString& text : kHostTexts)
    if (link.contains(text, Qt::CaseInsensitive)) return true;
  return false;
}

// "../x" against the page's own directories: each ".." removes one directory (never the host,
// extra ones are ignored); every other segment is appended as it is.
QString ClimbFromDirectory(const QString& link, const PageAddress& page) {
  QStringList dirs = page.curDir.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  if (!dirs.isEmpty()) dirs.removeFirst();  // the host
  for (const QString& segment : link.split(QLatin1Char('/'))) {
    if (segment == QLatin1String("..")) {
      if (!dirs.isEmpty()) dirs.removeLast();
    } else {
      dirs << segment;
    }
  }
  dirs.prepend(page.host);
  return dirs.join(QLatin1Char('/'));
}

}  // namespace

bool AcceptQueuedEntry(const QString& entry) {
  if (!entry.contains(QLatin1String("www."), Qt::CaseInsensitive)) return true;
  const qsizetype dot = entry.indexOf(QLatin1Char('.'));
  return entry.indexOf(QLatin1Char('.'), dot + 1) >= 0;
}

PageAddress DecomposePageAddress(const QString& website) {
  PageAddress a;
  a.url = website;
  if (a.url.endsWith(QLatin1Char('/'))) a.url.chop(1);
  a.url = RemoveAll(a.url, kScheme, Qt::CaseInsensitive);
  a.curUrl = a.url;
  a.curDir = a.url;
  if (!a.curDir.endsWith(QLatin1Char('/'))) {
    a.curDir = UrlDirectory(a.curDir);
  } else {
    a.curDir += QLatin1Char('/');
  }

  const qsizetype slash = a.curUrl.indexOf(QLatin1Char('/'));
  QString hostPart;
  if (slash < 0) {
    hostPart = a.curUrl;
    a.path = QStringLiteral("/");
  } else {
    hostPart = a.curUrl.left(slash + 1);
    a.path = RemoveAll(a.url, hostPart, Qt::CaseSensitive);
  }
  a.host = hostPart;
  a.host.remove(QLatin1Char('/'));
  if (a.path.isEmpty()) a.path = QStringLiteral("/");
  if (!a.path.startsWith(QLatin1Char('/'))) a.path.prepend(QLatin1Char('/'));
  return a;
}

QString UrlDirectory(const QString& address) {
  QString s = address;
  const bool hadScheme = s.contains(kScheme, Qt::CaseInsensitive);
  if (hadScheme) s = RemoveAll(s, kScheme, Qt::CaseSensitive);
  if (!s.isEmpty() && s.endsWith(QLatin1Char('/'))) s.chop(1);
  QString d = s.left(s.lastIndexOf(QLatin1Char('/')) + 1);
  if (hadScheme) d.prepend(kScheme);
  if (!d.isEmpty() && d != kScheme) return d;
  return s + QLatin1Char('/');
}

QString ResolveLink(const QString& link, const PageAddress& page) {
  QString out = link;
  const bool absolute = out.contains(kScheme, Qt::CaseInsensitive);
  if (absolute) out = RemoveAll(out, kScheme, Qt::CaseInsensitive);

  if (out.startsWith(QLatin1Char('/'))) {
    out = CollapseSlashesOnce(page.host + out);
  } else if (out.startsWith(QLatin1String(".."))) {
    out = ClimbFromDirectory(out, page);
  } else if (!absolute && !NamesAHost(out)) {
    out = page.curDir + QLatin1Char('/') + out;
  }

  if (!out.contains(QLatin1Char('/'))) out += QLatin1Char('/');
  for (int pass = 0; pass < 4; ++pass) out = CollapseSlashesOnce(out);
  return out;
}

}  // namespace norvane
