#pragma once

#include <QString>

namespace norvane {

// Websites are stored, queued and compared as host and path without a scheme ("host/dir/page").
// These rules produce and read that form; none touches the network or the database.

// Whether TakeNextWebsite takes a queued entry: an entry with "www." is taken only when the
// text after its first "." holds another "." ("www.example" is dropped). Letter case ignored.
bool AcceptQueuedEntry(const QString& entry);

// The address of a page about to be fetched, split as the fetcher needs it.
struct PageAddress {
  QString url;     // the website without its trailing "/" and without "http://"
  QString curUrl;  // the page address
  QString curDir;  // its directory, always ending with "/"
  QString host;    // never contains "/"
  QString path;    // never empty, always begins with "/"
};
PageAddress DecomposePageAddress(const QString& website);

// The directory of an address: "H" gives "H/", "H/a/b" gives "H/a/", "http://H/a" gives
// "http://H/"; a scheme without a slash after the host is lost ("http://H" gives "H/").
QString UrlDirectory(const QString& address);

// A link found on the page at `page` in stored form. "http://" links are absolute; texts naming
// a host (".com", "www.", ".net", ".edu", ".gov", "ww2.") stay as they are; "/x" is placed under
// the page's host; "../x" climbs the page's own directories (never above the host); any other
// link is placed under the page's directory. Double slashes collapse.
QString ResolveLink(const QString& link, const PageAddress& page);

}  // namespace norvane
