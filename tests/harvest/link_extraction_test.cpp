// The links the crawl queues from a page, read the classic way (a link a CR-ended line) and with
// "All Links of a Page" on (every link as a browser reads the page), through the page work itself.
#include "harvest/page/link_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "harvest/page/prepared_page.h"
#include "support/temp_app_folder.h"

#include <QDir>

namespace norvane {
namespace {

// The websites the page work queues from `body`, found on h.test/dir/page.html, one a line.
std::string Queued(const std::string& body, LinkReading reading, bool secure = false,
                   bool thorough = false) {
  static const std::string folder = [] {
    const auto path = std::filesystem::temp_directory_path() / "norvane_link_extraction_test";
    std::filesystem::create_directories(path);
    return path.string();
  }();
  const UrlRules rules{secure};
  const QString page = secure ? QStringLiteral("https://h.test/dir/page.html")
                              : QStringLiteral("h.test/dir/page.html");
  PageJob job{body,
              DecomposePageAddress(page, rules),
              rules,
              true,
              thorough,
              folder + "/html0.txt",
              folder + "/html20.txt",
              reading};
  std::string out;
  for (const PreparedPage::Link& link : PreparePage(std::move(job)).links)
    out += link.website.toStdString() + "\n";
  return out;
}

constexpr LinkReading kClassic{false, true};
constexpr LinkReading kAllLinks{true, true};

TEST(PageLinksTest, BothReadingsWhereTheyDiffer) {
  const struct {
    const char* what;
    std::string body;
    std::string classic;
    std::string all;
  } cases[] = {
      {"lines ending in LF", "<a href=\"a.html\">a</a>\n<a href=\"b.html\">b</a>\n",
       "h.test/dir/a.html\n", "h.test/dir/a.html\nh.test/dir/b.html\n"},
      {"a menu on one line", "<li><a href=/x.html>x</a><li><a href=/y.html>y</a>\r\n",
       "h.test/x.html\n", "h.test/x.html\nh.test/y.html\n"},
      {"both quotes and none", "<a href='q1.html'><a href=\"q2.html\"><a href=q3.html>",
       "h.test/dir/q1.html\n", "h.test/dir/q1.html\nh.test/dir/q2.html\nh.test/dir/q3.html\n"},
      {"references", "<a href=\"p.html?a=1&amp;b=2&copy=4\">\r\n<a href=\"q.html?x&#38;y\">",
       "h.test/dir/p.html?a=1&amp;b=2&copy=4\n",  // the "#" of "&#38;" drops the second
       "h.test/dir/p.html?a=1&b=2&copy=4\nh.test/dir/q.html?x&y\n"},
      {"spaces and line breaks in a value", "<a href=\"  s.html\n \">\r\n<a href=\"t.html #x\">",
       "h.test/dir/  s.html\n \n", "h.test/dir/s.html\nh.test/dir/t.html\n"},
      {"base", "<base href=\"http://o.test/x/\"><a href=\"y.html\"><a href=\"/z.html\">",
       "o.test/x/\n", "o.test/x/y.html\no.test/z.html\n"},
      {"protocol-relative", "<a href=\"//cdn.test/p.html\">", "h.test/cdn.test/p.html\n",
       "cdn.test/p.html\n"},
      {"a link in a comment", "<!-- <a href=\"old.html\"> --><a href=\"new.html\">",
       "h.test/dir/old.html\n", "h.test/dir/new.html\n"},
      {"href= in a script", "<script>location.href='s.html'</script><a href=\"t.html\">",
       "h.test/dir/s.html\n", "h.test/dir/t.html\n"},
      {"href= in a style and a text", "<style>a[href=\"u\"]{}</style><p>href=v</p>",
       "h.test/dir/u\n", ""},
      {"upper case", "<A HREF=\"UP.html\"><AREA HREF=AR.html>", "h.test/dir/UP.html\n",
       "h.test/dir/UP.html\nh.test/dir/AR.html\n"},
      {"no tag after a lone <", "< a href=\"no.html\"> <a href=\"yes.html\">",
       "h.test/dir/no.html\n", "h.test/dir/yes.html\n"},
      {"a tag cut off by the end", "<a href=\"ok.html\">\r\n<a href=\"cut.html",
       "h.test/dir/ok.html\nh.test/dir/cut.html\n", "h.test/dir/ok.html\n"},
      {"an attribute run into the next tag", "<a href=\"a.html\"<a href=b.html>",
       "h.test/dir/a.html\n", "h.test/dir/a.html\n"},
      {"fragments", "<a href=\"#top\">\r\n<a href=\"f.html#part\">", "", "h.test/dir/f.html\n"},
      {"frames", "<frame src=\"f1.html\"><iframe src=\"f2.html\"></iframe>", "",
       "h.test/dir/f1.html\nh.test/dir/f2.html\n"},
      {"a template", "<template><a href=\"t.html\"></a></template>", "h.test/dir/t.html\n", ""},
      {"a website linked twice", "<a href=\"d.html\">1</a><a href=\"d.html\">2</a>",
       "h.test/dir/d.html\n", "h.test/dir/d.html\n"},
      {"kept by the new filter", "<a href=shop.jsp><a href=d.json><a href=http://www.radio.ra/>",
       "", "h.test/dir/shop.jsp\nh.test/dir/d.json\nwww.radio.ra/\n"},
      {"a nofollow link", "<a rel=\"nofollow\" href=\"n.html\">", "h.test/dir/n.html\n",
       "h.test/dir/n.html\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Queued(c.body, kClassic), c.classic);
    EXPECT_EQ(Queued(c.body, kAllLinks), c.all);
  }
}

TEST(PageLinksTest, PoliteReadingLeavesNofollowOut) {
  const std::string body =
      "<a rel=\"nofollow\" href=\"n1.html\"><a rel='external NoFollow' href=n2.html>"
      "<a rel=\"nofollowing\" href=\"k1.html\"><a href=\"k2.html\" rel=\"\">";
  EXPECT_EQ(Queued(body, LinkReading{true, false}), "h.test/dir/k1.html\nh.test/dir/k2.html\n");
}

TEST(PageLinksTest, SchemesOfTheSecureCrawl) {
  const std::string body =
      "<a href=\"//cdn.test/p.html\"><a href=\"https://s.test/q\"><a href=\"r.html\">";
  EXPECT_EQ(Queued(body, kAllLinks, true),
            "https://cdn.test/p.html\nhttps://s.test/q\nhttps://h.test/dir/r.html\n");
  // The plain crawl reads "//host" as http and does not queue https.
  EXPECT_EQ(Queued(body, kAllLinks), "cdn.test/p.html\nh.test/dir/r.html\n");
}

// The page steps replay the links line by line with their yields: each link keeps the CR-ended
// line its tag begins on.
TEST(PageLinksTest, LinksKeepTheirLines) {
  const std::string body =
      "top\r\n<a href=a.html>\r\n<p><a href=b.html><a href=c.html>\r<a\nhref=d.html>";
  const std::string folder = std::filesystem::temp_directory_path().string();
  PageJob job{body,
              DecomposePageAddress(QStringLiteral("h.test/")),
              {},
              true,
              false,
              folder + "/norvane_lines_html0.txt",
              folder + "/norvane_lines_html20.txt",
              kAllLinks};
  const PreparedPage page = PreparePage(std::move(job));
  std::vector<std::size_t> lines;
  for (const PreparedPage::Link& link : page.links) lines.push_back(link.line);
  EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 2, 3}));
  EXPECT_EQ(page.bodyLines, 4u);
}

TEST(PageLinksTest, FilterLooksAtSchemeAndPath) {
  const struct {
    const char* link;
    bool dropped;
  } cases[] = {
      {"javascript:void(0)", true},
      {"JavaScript:go()", true},
      {"mailto:a@b.test", true},
      {"tel:+12015550123", true},
      {"fax:+12015550123", true},
      {"data:text/html,hi", true},
      {"ftp://f.test/", true},
      {"photo.JPG", true},
      {"/img/a.png?w=10", true},
      {"http://h.test/app.js", true},
      {"style.css", true},
      {"movie.mp4", true},
      {"files.zip", true},
      {"setup.exe", true},
      {"report.pdf", true},
      {"page.html", false},
      {"shop.jsp", false},
      {"data.json", false},
      {"http://www.radio.ra/", false},
      {"http://img.jpg.test/", false},         // the host is not looked at
      {"https://h.test/p?file=a.jpg", false},  // nor the query
      {"dir.gif/page", false},
      {"page:2", true},  // a scheme of its own
      {"/a:b/page.html", false},
      {"", false},
      {"page.", false},            // an empty extension
      {"font.WOFF2", true},        // the longest extension, in capitals
      {"font.woff22", false},      // longer than any
      {"clip.3gp", true},          // the first in sorted order
      {"slides.pptx", true},       // the last
      {"site.tar.gz", true},       // only the last extension counts
      {"noextension", false},
  };
  for (const auto& c : cases) EXPECT_EQ(PageLinkFilterDrops(c.link), c.dropped) << c.link;
}

TEST(PageLinksTest, LinksAsWrittenInPageOrder) {
  const PageLinks links = ExtractPageLinks(
      "<base href=' b/ '><base href=c/><a href=1>x</a><area href=\"2#x\"><a href='#'>"
      "<iframe src=3></iframe><a name=n><frame src=4>",
      true);
  EXPECT_EQ(links.base, "b/");
  std::vector<std::string> written;
  std::vector<std::size_t> offsets;
  for (const PageLink& link : links.links) {
    written.push_back(link.link);
    offsets.push_back(link.offset);
  }
  EXPECT_EQ(written, (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_TRUE(std::is_sorted(offsets.begin(), offsets.end()));
}

// With the thorough fax scan on, one pass of the tokenizer reads the links and the scan's text
// (every attribute kept): the links must be those the link reading alone finds.
TEST(PageLinksTest, TheThoroughScansPassQueuesTheSameLinks) {
  const std::string fax = "<p>Fax: (201) 555-0100</p>\r\n";
  const std::string bodies[] = {
      "<a href=a.html title=\"Fax\">a</a><template><a href=t.html>t</a></template><a href=b>",
      "<base href=/x/><a class=fa-fax href=c.html>c</a>\r\n<area href=d.html alt=fax>",
      "<a rel=nofollow href=n.html>n</a><script>var a='<a href=s.html>';</script><a href=e>",
      "<iframe src=f.html></iframe><a href=\"tel:+12015550100\">call</a><a href=g.html#x>",
  };
  for (const std::string& body : bodies) {
    for (const LinkReading reading : {kAllLinks, LinkReading{true, false}, kClassic})
      EXPECT_EQ(Queued(fax + body, reading, false, true), Queued(fax + body, reading)) << body;
  }
  const QString corpus = testing::CorpusDir();
  if (corpus.isEmpty()) GTEST_SKIP() << "no corpus folder";
  for (const char* folder : {"/faxpages", "/pages"}) {
    const QDir dir(corpus + folder);
    for (const QString& name : dir.entryList({"*.html"}, QDir::Files)) {
      std::string body;
      ASSERT_TRUE(ReadFileBytes(dir.filePath(name).toStdString(), body));
      EXPECT_EQ(Queued(body, kAllLinks, true, true), Queued(body, kAllLinks, true))
          << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace norvane
