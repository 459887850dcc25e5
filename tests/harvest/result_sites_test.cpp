// The rule of "Stay on Result Sites": which site a website is on, which links stay on the
// sites, and which pages of a site go first.
#include <gtest/gtest.h>

#include "harvest/page/link_extraction.h"
#include "harvest/sites/contact_pages.h"
#include "harvest/sites/result_sites.h"
#include "support/qt_printers.h"

namespace norvane {
namespace {

struct SiteCase {
  const char* website;
  const char* site;
};

class SiteOfWebsiteTest : public ::testing::TestWithParam<SiteCase> {};

TEST_P(SiteOfWebsiteTest, IsTheRegistrableDomainOfItsHost) {
  EXPECT_EQ(SiteOfWebsite(QString::fromUtf8(GetParam().website)),
            QString::fromUtf8(GetParam().site));
}

INSTANTIATE_TEST_SUITE_P(
    Sites, SiteOfWebsiteTest,
    ::testing::Values(SiteCase{"example.com", "example.com"},
                      SiteCase{"www.example.com/about/team.html", "example.com"},
                      SiteCase{"WWW.Example.COM/", "example.com"},
                      SiteCase{"http://shop.example.com:8080/a?b=c", "example.com"},
                      SiteCase{"https://a.b.example.co.uk/x", "example.co.uk"},
                      SiteCase{"example.co.uk", "example.co.uk"},
                      SiteCase{"me.github.io/project/", "me.github.io"},
                      SiteCase{"www.me.github.io", "me.github.io"},
                      SiteCase{"shop.example.com.au/", "example.com.au"},
                      SiteCase{"example.com./page", "example.com"},
                      SiteCase{"user@example.de/x", "example.de"},
                      SiteCase{"192.168.1.20/page", "192.168.1.20"}, SiteCase{"[::1]:80/x", "::1"},
                      SiteCase{"localhost/x", "localhost"}, SiteCase{"co.uk", "co.uk"},
                      SiteCase{"", ""}));

struct StayCase {
  const char* name;
  QStringList queued;  // the websites the search queued
  const char* link;
  bool onSites;
};

class ResultSitesTest : public ::testing::TestWithParam<StayCase> {};

TEST_P(ResultSitesTest, KeepsLinksOnTheQueuedSites) {
  ResultSites sites;
  sites.build(GetParam().queued);
  EXPECT_EQ(!sites.siteOf(QString::fromUtf8(GetParam().link)).isEmpty(), GetParam().onSites);
}

INSTANTIATE_TEST_SUITE_P(
    Links, ResultSitesTest,
    ::testing::Values(
        StayCase{"SameHost", {"example.com"}, "example.com/contact.html", true},
        StayCase{"Subdomain", {"example.com"}, "shop.eu.example.com/x", true},
        StayCase{"WwwQueuedBareLinked", {"www.example.com"}, "example.com/", true},
        StayCase{"SecureScheme", {"example.com"}, "https://www.example.com/kontakt", true},
        StayCase{"PlainSchemeOfSecureSite", {"https://example.com/"}, "http://example.com/a", true},
        StayCase{
            "SiteGivenWithPath", {"example.com/shop/index.html"}, "example.com/impressum", true},
        StayCase{"OtherDomain", {"example.com"}, "facebook.com/example", false},
        StayCase{"LookalikeSuffix", {"example.com"}, "notexample.com/", false},
        StayCase{"DomainInPath", {"example.com"}, "maps.test/example.com", false},
        StayCase{"SiblingUnderCoUk", {"smith.co.uk"}, "jones.co.uk/", false},
        StayCase{"TheSuffixItself", {"smith.co.uk"}, "co.uk/", false},
        StayCase{"SiblingUnderGithubIo", {"me.github.io"}, "you.github.io/", false},
        StayCase{"GithubIoItself", {"me.github.io"}, "github.io/", false},
        StayCase{"SubdomainOfGithubIoSite", {"me.github.io"}, "docs.me.github.io/", true},
        StayCase{"AnyOfSeveral", {"a.com", "b.de", "c.fr/x"}, "www.b.de/kontakt", true},
        StayCase{"NoSites", {}, "example.com/", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultSitesLimit, CountsPagesQueuedAndTakenPerSite) {
  ResultSites sites;
  sites.build({"a.com", "www.a.com/x", "b.com"});
  sites.setPageLimit(3);
  EXPECT_EQ(sites.count(), 2);
  EXPECT_EQ(sites.counts("a.com").queued, 2);
  EXPECT_TRUE(sites.mayQueue("a.com", false));
  EXPECT_EQ(sites.addQueued("a.com").queued, 3);
  // Other pages stop at the limit; contact and home pages go on to twice that.
  EXPECT_FALSE(sites.mayQueue("a.com", false));
  EXPECT_TRUE(sites.mayQueue("a.com", true));
  for (int k = 0; k < 3; ++k) sites.addQueued("a.com");
  EXPECT_FALSE(sites.mayQueue("a.com", true));
  EXPECT_TRUE(sites.mayQueue("b.com", false));
  EXPECT_FALSE(sites.mayQueue("c.com", true));
  // At most the limit is taken.
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(sites.mayTake("a.com"));
    sites.addTaken("a.com");
  }
  EXPECT_FALSE(sites.mayTake("a.com"));
  EXPECT_TRUE(sites.mayTake("b.com"));
  EXPECT_FALSE(sites.mayTake("elsewhere.com"));
  sites.setPageLimit(0);  // no limit
  EXPECT_TRUE(sites.mayQueue("a.com", false));
  EXPECT_TRUE(sites.mayTake("a.com"));
  // What the store keeps comes back in its order, with its counts.
  ResultSites again;
  again.restore(sites.sites());
  EXPECT_EQ(again.sites(), sites.sites());
}

struct RankCase {
  const char* website;
  const char* linkText;
  PageRank rank;
};

class PageRankTest : public ::testing::TestWithParam<RankCase> {};

TEST_P(PageRankTest, PutsContactPagesFirstThenTheHomePage) {
  EXPECT_EQ(int(RankOfPage(QString::fromUtf8(GetParam().website),
                           QString::fromUtf8(GetParam().linkText))),
            int(GetParam().rank))
      << GetParam().website;
}

INSTANTIATE_TEST_SUITE_P(
    Order, PageRankTest,
    ::testing::Values(RankCase{"a.com/contact.html", "", PageRank::Contact},
                      RankCase{"a.com/Contact-Us/", "", PageRank::Contact},
                      RankCase{"https://a.com/ContactUs.aspx", "", PageRank::Contact},
                      RankCase{"a.de/kontakt", "", PageRank::Contact},
                      RankCase{"a.de/de/impressum.php", "", PageRank::Contact},
                      RankCase{"a.de/standorte", "", PageRank::Contact},
                      RankCase{"a.es/contacto.htm", "", PageRank::Contact},
                      RankCase{"a.it/contatti", "", PageRank::Contact},
                      RankCase{"a.fr/nous-contacter", "", PageRank::Contact},
                      RankCase{"a.fr/mentions-legales", "", PageRank::Contact},
                      RankCase{"a.com/index.php?page=contact", "", PageRank::Contact},
                      RankCase{"a.com/about/locations", "", PageRank::Contact},
                      RankCase{"a.com/our-offices", "", PageRank::Contact},
                      RankCase{"a.com/staff-directory", "", PageRank::Contact},
                      RankCase{"a.com/es/contact%C3%A1", "", PageRank::Contact},
                      RankCase{"a.com/p/9.html", "Contact", PageRank::Contact},
                      RankCase{"a.com/p/9.html",
                               "Cont\xc3\xa1"
                               "ctenos",
                               PageRank::Contact},
                      RankCase{"a.com/p/9.html", "Mentions l\xc3\xa9gales", PageRank::Contact},
                      RankCase{"a.com/", "Contact", PageRank::Contact},
                      // Whole words in any case, a first letter with an accent.
                      RankCase{"a.com/p/9.html", "GET IN TOUCH", PageRank::Contact},
                      RankCase{"a.com/p/9.html", "\xc3\x89quipe", PageRank::Contact},
                      RankCase{"a.com/TEAM-1", "", PageRank::Contact},
                      RankCase{"a.com/teams", "", PageRank::Other},
                      RankCase{"a.com", "", PageRank::Home},
                      RankCase{"a.com/", "Home", PageRank::Home},
                      RankCase{"https://www.a.com/index.html", "", PageRank::Home},
                      RankCase{"a.com/default.aspx", "", PageRank::Home},
                      RankCase{"a.com/shop/index.html", "", PageRank::Other},
                      RankCase{"a.com/products/item-1.html", "Our work", PageRank::Other},
                      RankCase{"a.com/contractors", "", PageRank::Other},
                      RankCase{"contact.com/products", "", PageRank::Other},
                      RankCase{"a.com/?q=1", "", PageRank::Other}));

struct AnchorCase {
  const char* page;  // the link's tag begins at its first "<"
  const char* text;
};

class AnchorTextTest : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(AnchorTextTest, IsWhatThePageShowsOfTheLink) {
  const std::string page = GetParam().page;
  const std::vector<PageLink> links = ExtractPageLinks(page, true).links;
  const QString shown = links.empty() ? QString() : ShownLinkText(links.front().text);
  EXPECT_EQ(shown, QString::fromUtf8(GetParam().text)) << page;
}

INSTANTIATE_TEST_SUITE_P(
    Links, AnchorTextTest,
    ::testing::Values(AnchorCase{"<a href=\"/k\">Kontakt</a> <a href=\"/x\">Other</a>", "Kontakt"},
                      AnchorCase{"<A HREF=/k>\r\n  Get <b>in</b>\n touch  </A >", "Get in touch"},
                      AnchorCase{"<a href=\"/k\"><img src=\"i.png\"></a>", ""},
                      AnchorCase{"<a href=\"/k\" title=\"Contact us\"><img src=i.png></a>",
                                 "Contact us"},
                      AnchorCase{"<a href=\"/k\">Cont\xc3\xa1"
                                 "ctenos</a>",
                                 "Cont\xc3\xa1"
                                 "ctenos"},
                      AnchorCase{"<a href=\"/k\">Cont\xe1"
                                 "ctenos</a>",
                                 "Cont\xc3\xa1"
                                 "ctenos"},
                      AnchorCase{"<a href=\"/k\">Home</abbr> page</a>", "Home page"},
                      AnchorCase{"<a href=\"/k\"", ""},
                      AnchorCase{"<a href=\"/k\">Never closed and ever so long a text that goes "
                                 "on past the eighty characters a link text may hold here",
                                 "Never closed and ever so long a text that goes on past the "
                                 "eighty characters a l"}));

}  // namespace
}  // namespace norvane
