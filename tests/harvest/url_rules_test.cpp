// The website text rules of the crawl: which queued entries are taken, how a website splits into
// host and path, directories, and how links resolve against their page.
#include <gtest/gtest.h>

#include "harvest/control/url_rules.h"
#include "support/qt_printers.h"

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
    EXPECT_EQ(PageAddressUrl(QString::fromLatin1(c.website)), QLatin1String(c.url)) << c.website;
    EXPECT_EQ(a.curUrl, QLatin1String(c.url)) << c.website;
    EXPECT_EQ(a.curDir, QLatin1String(c.curDir)) << c.website;
    EXPECT_EQ(a.host, QLatin1String(c.host)) << c.website;
    EXPECT_EQ(a.path, QLatin1String(c.path)) << c.website;
  }
}

// The url alone, on the texts the split tables above leave out: every "http://" goes wherever
// it stands, one trailing "/" at most, nothing at all.
TEST(UrlRulesTest, PageAddressUrl) {
  const struct {
    UrlRules rules;
    const char* website;
    const char* url;
  } cases[] = {
      {{}, "http://h.com/http://x/", "h.com/x"},
      {{}, "Http://h.com/a//", "h.com/a/"},
      {{}, "h.com/ahTTp://b", "h.com/ab"},
      {{}, "hthttp://tp://h.com", "http://h.com"},  // one pass: the joined text stays
      {{}, "", ""},
      {{}, "/", ""},
      {{true}, "https://http://h.com/", "https://h.com"},
      {{true}, "https:/h.com/", "https:/h.com"},
      {{}, "https://h.com/", "https://h.com"},
  };
  for (const auto& c : cases) {
    const QString website = QString::fromLatin1(c.website);
    EXPECT_EQ(PageAddressUrl(website, c.rules), QLatin1String(c.url)) << c.website;
    EXPECT_EQ(DecomposePageAddress(website, c.rules).url, QLatin1String(c.url)) << c.website;
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
      // Every "http://" in any case goes, in one pass: text it joins stays.
      {"h.org/d/i.html", "http://g.org/go?u=HtTp://x.org/", "g.org/go?u=x.org/"},
      {"h.org/d/i.html", "hthttp://tp://x.com", "http:/x.com"},
      {"h.org/d/i.html", "http:/g.org", "h.org/d/http:/g.org"},
      {"h.org/dir/index.html", "x.com.html", "x.com.html/"},  // ".com" names a host
      {"h.org/dir/index.html", "www.g.org", "www.g.org/"},
      {"h.org/dir/index.html", "WWW.OTHER.COM/x", "WWW.OTHER.COM/x"},  // any case names a host
      {"h.org/dir/index.html", "https://g.com/a", "https:/g.com/a"},   // other schemes kept
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

constexpr UrlRules kPlain{false};
constexpr UrlRules kSecure{true};

TEST(SecureUrlRulesTest, AcceptQueuedEntryJudgesTheHost) {
  const struct {
    const char* entry;
    bool taken;
  } cases[] = {
      {"https://www.example", false},          {"HTTPS://www.example", false},
      {"https://www.example.com", true},       {"https://example", true},
      {"https://www.example/page.html", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AcceptQueuedEntry(QString::fromLatin1(c.entry)), c.taken) << c.entry;
}

TEST(SecureUrlRulesTest, DecomposePageAddress) {
  const struct {
    UrlRules rules;
    const char* website;
    const char* url;
    const char* curDir;
    const char* host;
    const char* path;
    bool secure;
  } cases[] = {
      {kSecure, "https://h.com/dir/page.html", "https://h.com/dir/page.html", "https://h.com/dir/",
       "h.com", "/dir/page.html", true},
      {kSecure, "HTTPS://h.com/", "https://h.com", "https://h.com/", "h.com", "/", true},
      {kSecure, "https://h.com", "https://h.com", "https://h.com/", "h.com", "/", true},
      {kSecure, "https://h.com/dir/", "https://h.com/dir", "https://h.com/", "h.com", "/dir", true},
      // Plain websites keep today's form with the option on.
      {kSecure, "h.com/dir/page.html", "h.com/dir/page.html", "h.com/dir/", "h.com",
       "/dir/page.html", false},
      {kSecure, "http://h.com/", "h.com", "h.com/", "h.com", "/", false},
      // Off, "https://" is no scheme: its text stays in the address as it always did.
      {kPlain, "https://h.com/x", "https://h.com/x", "https://h.com/", "https:", "/h.com/x", false},
  };
  for (const auto& c : cases) {
    const PageAddress a = DecomposePageAddress(QString::fromLatin1(c.website), c.rules);
    EXPECT_EQ(a.url, QLatin1String(c.url)) << c.website;
    EXPECT_EQ(PageAddressUrl(QString::fromLatin1(c.website), c.rules), QLatin1String(c.url))
        << c.website;
    EXPECT_EQ(a.curUrl, QLatin1String(c.url)) << c.website;
    EXPECT_EQ(a.curDir, QLatin1String(c.curDir)) << c.website;
    EXPECT_EQ(a.host, QLatin1String(c.host)) << c.website;
    EXPECT_EQ(a.path, QLatin1String(c.path)) << c.website;
    EXPECT_EQ(a.secure, c.secure) << c.website;
    EXPECT_EQ(a.port(), c.secure ? 443 : 80) << c.website;
  }
}

TEST(SecureUrlRulesTest, UrlDirectory) {
  const struct {
    UrlRules rules;
    const char* address;
    const char* directory;
  } cases[] = {
      {kSecure, "https://H", "https://H/"},  // the secure scheme is never lost
      {kSecure, "https://H/a/b", "https://H/a/"}, {kSecure, "HTTPS://H/a", "https://H/"},
      {kSecure, "http://H/a", "http://H/"},       {kSecure, "http://H", "H/"},
      {kPlain, "https://H/a/b", "https://H/a/"},  {kPlain, "https://H", "https://"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UrlDirectory(QString::fromLatin1(c.address), c.rules), QLatin1String(c.directory))
        << c.address;
}

TEST(SecureUrlRulesTest, ResolveLink) {
  const struct {
    UrlRules rules;
    const char* page;
    const char* link;
    std::optional<const char*> resolved;
  } cases[] = {
      // Off: a secure link is not queued at all; every other link resolves as before.
      {kPlain, "h.org/dir/index.html", "https://g.com/a", std::nullopt},
      {kPlain, "h.org/dir/index.html", "HTTPS://g.org", std::nullopt},
      {kPlain, "h.org/dir/index.html", "page.html", "h.org/dir/page.html"},
      {kPlain, "h.org/dir/index.html", "http://g.org/x.html", "g.org/x.html"},
      {kPlain, "h.org/dir/index.html", "//g.org/x", "h.org/g.org/x"},
      {kPlain, "h.org/dir/index.html", "/about.html", "h.org/about.html"},
      // On: absolute secure links stay secure.
      {kSecure, "h.org/dir/index.html", "https://g.org/a", "https://g.org/a"},
      {kSecure, "h.org/dir/index.html", "HTTPS://g.org", "https://g.org/"},
      {kSecure, "h.org/dir/index.html", "https://g.org//a///b", "https://g.org/a/b"},
      {kSecure, "h.org/dir/index.html", "https:///a", std::nullopt},  // no host
      // Links under an https page take its scheme.
      {kSecure, "https://h.org/dir/index.html", "page.html", "https://h.org/dir/page.html"},
      {kSecure, "https://h.org/dir/index.html", "/about.html", "https://h.org/about.html"},
      {kSecure, "https://h.org/a/b/c.html", "../x.html", "https://h.org/a/x.html"},
      {kSecure, "https://h.org", "sub/", "https://h.org/sub/"},
      // "//host/path" takes the page's scheme.
      {kSecure, "https://h.org/dir/index.html", "//g.org/x", "https://g.org/x"},
      {kSecure, "h.org/dir/index.html", "//g.org/x", "g.org/x"},
      // Plain links and bare host names are plain, on a secure page too.
      {kSecure, "https://h.org/dir/index.html", "http://g.org/x.html", "g.org/x.html"},
      {kSecure, "https://h.org/dir/index.html", "www.g.org", "www.g.org/"},
      {kSecure, "h.org/dir/index.html", "page.html", "h.org/dir/page.html"},
  };
  for (const auto& c : cases) {
    const PageAddress page = DecomposePageAddress(QString::fromLatin1(c.page), c.rules);
    const std::optional<QString> resolved = ResolveLink(QString::fromLatin1(c.link), page, c.rules);
    const std::optional<QString> expected =
        c.resolved ? std::optional<QString>(QString::fromLatin1(*c.resolved)) : std::nullopt;
    EXPECT_EQ(resolved, expected) << c.page << " + " << c.link << " secure " << c.rules.secure;
  }
}

TEST(SecureUrlRulesTest, ResolveRedirect) {
  const struct {
    UrlRules rules;
    const char* from;
    const char* location;
    std::optional<const char*> website;
  } cases[] = {
      {kPlain, "h.org/a/b.html", "http://g.org/x", "g.org/x"},
      {kPlain, "h.org/a/b.html", "HTTP://g.org", "g.org/"},
      {kPlain, "h.org/a/b.html", "https://g.org/x", std::nullopt},  // off: cannot follow
      {kSecure, "h.org/a/b.html", "https://g.org/x", "https://g.org/x"},
      {kSecure, "h.org/a/b.html", "HTTPS://g.org", "https://g.org/"},
      {kSecure, "https://h.org/a/b.html", "http://h.org/", "h.org/"},
      // Scheme-relative: the scheme of the address it came from.
      {kPlain, "h.org/a/b.html", "//g.org/x", "g.org/x"},
      {kSecure, "https://h.org/a/b.html", "//g.org/x", "https://g.org/x"},
      // Root-relative goes under the host's root, not the page's directory.
      {kPlain, "h.org/a/b.html", "/x.html", "h.org/x.html"},
      {kSecure, "https://h.org/a/b.html", "/", "https://h.org/"},
      // Relative: under the page's directory.
      {kPlain, "h.org/a/b.html", "c.html", "h.org/a/c.html"},
      {kSecure, "https://h.org/a/b.html", "c/d.html", "https://h.org/a/c/d.html"},
      {kPlain, "h.org/a/b/c.html", "../x.html", "h.org/a/x.html"},
      {kPlain, "h.org/a/b.html?p=1", "?p=2", "h.org/a/b.html?p=2"},
      {kPlain, "h.org", "?p=2", "h.org/?p=2"},
      {kPlain, "h.org/a/b.html", "/x.html#part", "h.org/x.html"},
      // Nothing to follow.
      {kPlain, "h.org/a/b.html", "", std::nullopt},
      {kPlain, "h.org/a/b.html", "#top", std::nullopt},
      {kSecure, "h.org/a/b.html", "ftp://g.org/f", std::nullopt},
      {kSecure, "h.org/a/b.html", "mailto:a@g.org", std::nullopt},
      {kSecure, "h.org/a/b.html", "http://", std::nullopt},
      {kSecure, "h.org/a/b.html", "https:///x", std::nullopt},
      {kPlain, "h.org/a/b.html", "//https://x", std::nullopt},
      {kPlain, "h.org/a/b.html", "http://g.org:/x", std::nullopt},
      {kPlain, "h.org/a/b.html", "http://g.org:8080/x", "g.org:8080/x"},
      // Off, a page address that turns secure once its "http://" is taken out gives nothing.
      {kPlain, "hhttp://ttps://g.org/a/b.html", "c.html", std::nullopt},
  };
  for (const auto& c : cases) {
    const PageAddress from = DecomposePageAddress(QString::fromLatin1(c.from), c.rules);
    const std::optional<QString> website =
        ResolveRedirect(QString::fromLatin1(c.location), from, c.rules);
    const std::optional<QString> expected =
        c.website ? std::optional<QString>(QString::fromLatin1(*c.website)) : std::nullopt;
    EXPECT_EQ(website, expected) << c.from << " -> " << c.location << " secure " << c.rules.secure;
  }
}

}  // namespace
}  // namespace norvane
