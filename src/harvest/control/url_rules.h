#pragma once

#include <QString>
#include <optional>

namespace norvane {

// Websites are stored, queued and compared as host and path without a scheme ("host/dir/page").
// These rules produce and read that form; none touches the network or the database.
//
// With the secure option on, a website served over TLS keeps its scheme: "https://host/path".
// Plain websites keep the form without a scheme in both modes.
struct UrlRules {
  bool secure = false;
};

// The scheme a secure website keeps in front of its host.
inline constexpr QLatin1String kSecureScheme{"https://"};

// Whether TakeNextWebsite takes a queued entry: an entry with "www." is taken only when the
// text after its first "." holds another "." ("www.example" is dropped). Letter case ignored.
// "https://" holds no "." and no "www.", so a secure entry is judged exactly as its host and path.
bool AcceptQueuedEntry(const QString& entry);

// The address of a page about to be fetched, split as the fetcher needs it.
// A secure address keeps "https://" in front of url, curUrl and curDir; host and path never hold
// a scheme.
struct PageAddress {
  QString url;          // the website without its trailing "/" and without "http://"
  QString curUrl;       // the page address
  QString curDir;       // its directory, always ending with "/"
  QString host;         // never contains "/"
  QString path;         // never empty, always begins with "/"
  bool secure = false;  // fetched over TLS

  quint16 port() const { return secure ? 443 : 80; }
};
// With rules.secure on, a website beginning with "https://" (any letter case) is secure: the rest
// is split as a plain website is. Off, "https://" is no scheme the split knows.
PageAddress DecomposePageAddress(const QString& website, const UrlRules& rules = {});
// Its url alone, as DecomposePageAddress gives it, without the work of the rest of the split.
QString PageAddressUrl(const QString& website, const UrlRules& rules = {});

// The directory of an address: "H" gives "H/", "H/a/b" gives "H/a/", "http://H/a" gives
// "http://H/"; a scheme without a slash after the host is lost ("http://H" gives "H/").
// With rules.secure on, an address beginning with "https://" keeps it: "https://H" gives
// "https://H/", "https://H/a/b" gives "https://H/a/".
QString UrlDirectory(const QString& address, const UrlRules& rules = {});

// A link found on the page at `page` in stored form. "http://" links are absolute; texts naming
// a host (".com", "www.", ".net", ".edu", ".gov", "ww2.") stay as they are; "/x" is placed under
// the page's host; "../x" climbs the page's own directories (never above the host); any other
// link is placed under the page's directory. Double slashes collapse.
//
// Nothing when the crawl does not queue the link: a link beginning with "https://" (any case)
// when the secure option is off. With it on, an "https://" link stays secure, links placed under
// the page (relative, "/x", "../x") take the page's scheme, "//host/path" takes the page's
// scheme, and "http://" links and texts naming a host are plain.
std::optional<QString> ResolveLink(const QString& link, const PageAddress& page,
                                   const UrlRules& rules);
// The classic rules, which the form above applies with the secure option off: an "https://"
// link is not recognised and comes back as a mangled text ("https:/g.com/a").
QString ResolveLink(const QString& link, const PageAddress& page);

// The website a redirect's Location sends the crawl to, in stored form, against the address it
// came from: "http://" and "https://" addresses as they stand (a host alone gets "/"), "//host/x"
// with the scheme of `from`, "/x" under the host's root, "?q" on the page itself, and any other
// text under the directory of `from` ("../x" climbs it, never above the host). A fragment is
// dropped. Nothing for an empty Location, another scheme ("ftp:", "mailto:"), or an "https://"
// one while the secure option is off.
std::optional<QString> ResolveRedirect(const QString& location, const PageAddress& from,
                                       const UrlRules& rules = {});

}  // namespace norvane
