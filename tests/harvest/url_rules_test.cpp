// The website text rules of the crawl: which queued entries are taken, how a website splits into
// host and path, directories, and how links resolve against their page.
#include <gtest/gtest.h>

#include "harvest/url_rules.h"

namespace norvane {
namespace {

TEST(UrlRulesTest, AcceptQueuedEntry) {
  const struct {
    const char* entry;
    bool taken;
  } cases[] = {
      {"", true},
      {"example", true},
      {"example.com", true},
      {"www.example", false},  // "www." and a single further label
      {"WWW.Example", false},
      {"www.example.com", true},
      {"www.example/page.html", true},  // the dot in the path counts
      {"shop.www.example", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AcceptQueuedEntry(QString::fromLatin1(c.entry)), c.taken) << c.entry;
}

TEST(UrlRulesTest, DecomposePageAddress) {
  const struct {
    const char* website;
    const char* url;
    const char* curDir;
    const char* host;
    const char* path;
  } cases[] = {
      {"h.com/dir/page.html", "h.com/dir/page.html", "h.com/dir/", "h.com", "/dir/page.html"},
      {"http://h.com/", "h.com", "h.com/", "h.com", "/"},
      {"HTTP://h.com/", "h.com", "h.com/", "h.com", "/"},
      {"h.com/dir/", "h.com/dir", "h.com/", "h.com", "/dir"},
      {"h.com", "h.com", "h.com/", "h.com", "/"},
      {"h.com//", "h.com/", "h.com//", "h.com", "/"},  // two slashes: one more "/" on the dir
      // The host text is removed from the path wherever it stands.
      {"h.com/a/h.com/b", "h.com/a/h.com/b", "h.com/a/h.com/", "h.com", "/a/b"},
  };
  for (const auto& c : cases) {
    const PageAddress a = DecomposePageAddress(QString::fromLatin1(c.website));
    EXPECT_EQ(a.url, QLatin1String(c.url)) << c.website;
    EXPECT_EQ(a.curUrl, QLatin1String(c.url)) << c.website;
    EXPECT_EQ(a.curDir, QLatin1String(c.curDir)) << c.website;
    EXPECT_EQ(a.host, QLatin1String(c.host)) << c.website;
    EXPECT_EQ(a.path, QLatin1String(c.path)) << c.website;
  }
}

TEST(UrlRulesTest, UrlDirectory) {
  const struct {
    const char* address;
    const char* directory;
  } cases[] = {
      {"H", "H/"},        {"H/a/b", "H/a/"}, {"http://H/a", "http://H/"},
      {"http://H", "H/"}, {"H/a/", "H/"},    {"", "/"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UrlDirectory(QString::fromLatin1(c.address)), QLatin1String(c.directory))
        << c.address;
}

TEST(UrlRulesTest, ResolveLinkAgainstItsPage) {
  const struct {
    const char* page;
    const char* link;
    const char* resolved;
  } cases[] = {
      {"h.org/dir/index.html", "page.html", "h.org/dir/page.html"},
      {"h.org/dir/index.html", "sub/page.html", "h.org/dir/sub/page.html"},
      {"h.org/dir/index.html", "http://g.org/x.html", "g.org/x.html"},
      {"h.org/dir/index.html", "HTTP://g.org", "g.org/"},
      {"h.org/dir/index.html", "x.com.html", "x.com.html/"},  // ".com" names a host
      {"h.org/dir/index.html", "www.g.org", "www.g.org/"},
      {"h.org/dir/index.html", "https://g.com/a", "https:/g.com/a"},  // other schemes kept
      // Root-relative links go under the host, not the page's directory.
      {"h.org/dir/index.html", "/about.html", "h.org/about.html"},
      {"h.org/dir/index.html", "/", "h.org/"},
      {"h.org", "/a/b.html", "h.org/a/b.html"},
      // ".." climbs the page's own directories, never above the host.
      {"h.org/a/b/c.html", "../x.html", "h.org/a/x.html"},
      {"h.org/a/b/c.html", "../../x/y.html", "h.org/x/y.html"},
      {"h.org/a/b/c.html", "../../../../x.html", "h.org/x.html"},
      {"h.org/a/b/c.html", "../", "h.org/a/"},
      {"h.org/a/b/c.html", "..", "h.org/a"},
      {"h.org", "../x.html", "h.org/x.html"},
      // Plain relative links; four passes collapse the doubled slashes.
      {"h.org/dir/", "page.html", "h.org/page.html"},
      {"h.org/a/b.html", "c////d.html", "h.org/a/c/d.html"},
  };
  for (const auto& c : cases) {
    const PageAddress page = DecomposePageAddress(QString::fromLatin1(c.page));
    EXPECT_EQ(ResolveLink(QString::fromLatin1(c.link), page), QLatin1String(c.resolved))
        << c.page << " + " << c.link;
  }
}

TEST(UrlRulesTest, EachPageResolvesAgainstItsOwnAddress) {
  // Two sockets' pages on different hosts: a link resolves against the page it was found on,
  // whatever was fetched last.
  const PageAddress first = DecomposePageAddress(QStringLiteral("one.org/a/p.html"));
  const PageAddress last = DecomposePageAddress(QStringLiteral("two.org/b/q.html"));
  EXPECT_EQ(ResolveLink(QStringLiteral("x.html"), first), QStringLiteral("one.org/a/x.html"));
  EXPECT_EQ(ResolveLink(QStringLiteral("x.html"), last), QStringLiteral("two.org/b/x.html"));
}

}  // namespace
}  // namespace norvane
