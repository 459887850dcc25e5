#include "harvest/control/url_rules.h"

#include <QStringList>
#include <QStringMatcher>
#include <array>

#include "common/remove_every.h"

namespace norvane {
namespace {

const QString kScheme = QStringLiteral("http://");

// "http://" in any letter case and as written. A matcher finds the scheme in a link several
// times faster than QString::indexOf ignoring case does, and is built once.
const QStringMatcher kSchemeAnyCase(kScheme, Qt::CaseInsensitive);
const QStringMatcher kSchemeAsWritten(kScheme, Qt::CaseSensitive);

// Whether text holds "//". Asked several times for every link: the search for one character is
// far cheaper than Qt's search for a text.
bool HasDoubleSlash(QStringView text) {
  for (qsizetype at = text.indexOf(QChar(u'/')); at >= 0 && at + 1 < text.size();
       at = text.indexOf(QChar(u'/'), at + 1))
    if (text[at + 1] == u'/') return true;
  return false;
}

// Whether "http://" stands anywhere in text, any letter case.
bool ContainsScheme(QStringView text) {
  return kSchemeAnyCase.indexIn(text) >= 0;
}

// One pass of replacing "//" by "/": "///" becomes "//", which is why the rules run it more
// than once.
QString CollapseSlashesOnce(const QString& text) {
  // Most links hold no doubled slash: they are passed on shared, without building a matcher.
  if (!HasDoubleSlash(text)) return text;
  QString out = text;
  return out.replace(QLatin1String("//"), QLatin1String("/"));
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

bool StartsSecure(const QString& text) {
  // Asked several times for every link: most texts fail on the ":" that "https" ends with.
  return text.size() >= kSecureScheme.size() && text[5] == QLatin1Char(':') &&
         text.startsWith(kSecureScheme, Qt::CaseInsensitive);
}

// The two steps every resolved link ends with: a "/" when there is none, then four passes of
// collapsing doubled slashes.
QString FinishLink(QString out) {
  if (!out.contains(QLatin1Char('/'))) out += QLatin1Char('/');
  // A pass that finds no "//" leaves the text as it is for the passes after it too.
  for (int pass = 0; pass < 4 && HasDoubleSlash(out); ++pass) out = CollapseSlashesOnce(out);
  return out;
}

// The same address without its secure scheme, for the rules that know only the plain form.
PageAddress PlainView(const PageAddress& page) {
  if (!page.secure) return page;
  PageAddress plain = page;
  for (QString* text : {&plain.url, &plain.curUrl, &plain.curDir})
    if (StartsSecure(*text)) text->remove(0, kSecureScheme.size());
  plain.secure = false;
  return plain;
}

// A Location that names a scheme other than the two the crawl speaks ("ftp://", "mailto:"):
// letters, digits, "+", "-" or "." from a letter up to a ":" before any "/", "?" or "#".
bool NamesOtherScheme(const QString& location) {
  const qsizetype colon = location.indexOf(QLatin1Char(':'));
  if (colon <= 0 || !location.at(0).isLetter()) return false;
  for (qsizetype i = 0; i < colon; ++i) {
    const QChar c = location.at(i);
    if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
      return false;
  }
  const QStringView scheme = QStringView(location).left(colon);
  return scheme.compare(u"http", Qt::CaseInsensitive) != 0 &&
         scheme.compare(u"https", Qt::CaseInsensitive) != 0;
}

QString PlainPageAddressUrl(const QString& website) {
  const QStringView view =
      website.endsWith(QLatin1Char('/')) ? QStringView(website).chopped(1) : QStringView(website);
  // Most websites are stored without a scheme: nothing to remove, nothing to copy.
  if (!ContainsScheme(view)) return view.size() == website.size() ? website : view.toString();
  return RemoveEveryOccurrence(view.toString(), kSchemeAnyCase);
}

}  // namespace

bool AcceptQueuedEntry(const QString& entry) {
  if (!entry.contains(QLatin1String("www."), Qt::CaseInsensitive)) return true;
  const qsizetype dot = entry.indexOf(QLatin1Char('.'));
  return entry.indexOf(QLatin1Char('.'), dot + 1) >= 0;
}

QString PageAddressUrl(const QString& website, const UrlRules& rules) {
  if (rules.secure && StartsSecure(website))
    return kSecureScheme + PlainPageAddressUrl(website.mid(kSecureScheme.size()));
  return PlainPageAddressUrl(website);
}

PageAddress DecomposePageAddress(const QString& website, const UrlRules& rules) {
  if (rules.secure && StartsSecure(website)) {
    PageAddress a = DecomposePageAddress(website.mid(kSecureScheme.size()));
    for (QString* text : {&a.url, &a.curUrl, &a.curDir}) text->prepend(kSecureScheme);
    a.secure = true;
    return a;
  }
  PageAddress a;
  a.url = PlainPageAddressUrl(website);
  a.curUrl = a.url;
  a.curDir = a.url.endsWith(QLatin1Char('/')) ? a.url + QLatin1Char('/') : UrlDirectory(a.url);
  // The host with its slash, removed from the address wherever it stands, leaves the path.
  const qsizetype slash = a.url.indexOf(QLatin1Char('/'));
  a.host = slash < 0 ? a.url : a.url.left(slash + 1);
  if (slash >= 0) a.path = RemoveEveryOccurrence(a.url, QStringMatcher(a.host));
  a.host.remove(QLatin1Char('/'));
  if (a.path.isEmpty()) a.path = QStringLiteral("/");
  if (!a.path.startsWith(QLatin1Char('/'))) a.path.prepend(QLatin1Char('/'));
  return a;
}

QString UrlDirectory(const QString& address, const UrlRules& rules) {
  if (rules.secure && StartsSecure(address))
    return kSecureScheme + UrlDirectory(address.mid(kSecureScheme.size()));
  QString s = address;
  const bool hadScheme = ContainsScheme(s);
  if (hadScheme) s = RemoveEveryOccurrence(s, kSchemeAsWritten);
  if (!s.isEmpty() && s.endsWith(QLatin1Char('/'))) s.chop(1);
  QString d = s.left(s.lastIndexOf(QLatin1Char('/')) + 1);
  if (hadScheme) d.prepend(kScheme);
  if (!d.isEmpty() && d != kScheme) return d;
  return s + QLatin1Char('/');
}

QString ResolveLink(const QString& link, const PageAddress& page) {
  QString out = link;
  const bool absolute = ContainsScheme(out);
  if (absolute) out = RemoveEveryOccurrence(out, kSchemeAnyCase);

  if (out.startsWith(QLatin1Char('/'))) {
    out = CollapseSlashesOnce(page.host + out);
  } else if (out.startsWith(QLatin1String(".."))) {
    out = ClimbFromDirectory(out, page);
  } else if (!absolute && !NamesAHost(out)) {
    out = page.curDir + QLatin1Char('/') + out;
  }

  return FinishLink(out);
}

std::optional<QString> ResolveLink(const QString& link, const PageAddress& page,
                                   const UrlRules& rules) {
  if (StartsSecure(link)) {
    if (!rules.secure) return std::nullopt;  // the plain crawl cannot fetch it
    const QString rest = RemoveEveryOccurrence(link.mid(kSecureScheme.size()), kSchemeAnyCase);
    if (rest.isEmpty() || rest.startsWith(QLatin1Char('/'))) return std::nullopt;  // no host
    return kSecureScheme + FinishLink(rest);
  }
  if (!rules.secure) return ResolveLink(link, page);
  if (link.startsWith(QLatin1String("//"))) {
    return ResolveLink((page.secure ? QStringLiteral("https:") : QStringLiteral("http:")) + link,
                       page, rules);
  }
  // A page read over plain HTTP is its own plain view: not copied for every link.
  std::optional<PageAddress> plainCopy;
  const QString resolved =
      ResolveLink(link, page.secure ? plainCopy.emplace(PlainView(page)) : page);
  const bool absolute = ContainsScheme(link);
  const bool underThePage =
      !absolute && (link.startsWith(QLatin1Char('/')) || link.startsWith(QLatin1String("..")) ||
                    !NamesAHost(link));
  return page.secure && underThePage ? kSecureScheme + resolved : resolved;
}

std::optional<QString> ResolveRedirect(const QString& location, const PageAddress& from,
                                       const UrlRules& rules) {
  QString target = location.left(location.indexOf(QLatin1Char('#')));
  if (target.isEmpty() || NamesOtherScheme(target)) return std::nullopt;
  if (target.startsWith(QLatin1String("//")))
    target.prepend(from.secure ? QStringLiteral("https:") : QStringLiteral("http:"));

  QString scheme;  // what the result keeps in front: "https://" or nothing
  QString rest;    // host and path
  const bool secure = StartsSecure(target);
  if (secure || target.startsWith(kScheme, Qt::CaseInsensitive)) {
    if (secure && !rules.secure) return std::nullopt;
    if (secure) scheme = kSecureScheme;
    rest = target.mid(secure ? kSecureScheme.size() : kScheme.size());
    // No host, or one with an empty port such as the "https:" of "http://https://x".
    const QStringView host = QStringView(rest).left(rest.indexOf(QLatin1Char('/')));
    if (host.isEmpty() || host.endsWith(QLatin1Char(':'))) return std::nullopt;
  } else {
    const PageAddress plain = PlainView(from);
    if (from.secure) scheme = kSecureScheme;
    if (target.startsWith(QLatin1Char('/'))) {
      rest = plain.host + target;
    } else if (target.startsWith(QLatin1Char('?'))) {
      rest = plain.curUrl.left(plain.curUrl.indexOf(QLatin1Char('?')));
      if (!rest.contains(QLatin1Char('/'))) rest += QLatin1Char('/');
      rest += target;
    } else if (target.startsWith(QLatin1String(".."))) {
      rest = ClimbFromDirectory(target, plain);
    } else {
      rest = plain.curDir + target;
    }
    // Off, a page whose address reads as a secure one only once its "http://" is taken out
    // ("hhttp://ttps://x") gives no secure target.
    if (!rules.secure && StartsSecure(rest)) return std::nullopt;
  }
  if (!rest.contains(QLatin1Char('/'))) rest += QLatin1Char('/');
  return scheme + rest;
}

}  // namespace norvane
