// What a host's robots.txt lets the polite crawl fetch: the group chosen for our agent, longest
// match, "*" and "$", percent-encoding, Crawl-delay, the size limit and the answer statuses.
#include <gtest/gtest.h>

#include "harvest/fetch/chunked_body.h"
#include "harvest/fetch/redirect_response.h"
#include "harvest/polite/robots_rules.h"

namespace norvane {
namespace {

// The examples a robots.txt reader is measured against: one file, several agents.
constexpr std::string_view kSimpleExample =
    "User-Agent: *\nDisallow: *.gif$\nDisallow: /example/\nAllow: /publications/\n\n"
    "User-Agent: foobot\nDisallow:/\nAllow:/example/page.html\nAllow:/example/allowed.gif\n\n"
    "User-Agent: barbot\nUser-Agent: bazbot\nDisallow: /example/page.html\n\n"
    "User-Agent: quxbot\n\nEOF\n";

TEST(RobotsRulesTest, StandardExamples) {
  const struct {
    std::string_view body, agent, path;
    bool allowed;
  } cases[] = {
      {kSimpleExample, "Norvane", "/index.html", true},  // no group of its own: "*"
      {kSimpleExample, "Norvane", "/pics/a.gif", false},
      {kSimpleExample, "Norvane", "/pics/a.gif?x=1", true},
      {kSimpleExample, "Norvane", "/example/", false},
      {kSimpleExample, "Norvane", "/publications/", true},
      {kSimpleExample, "foobot", "/", false},
      {kSimpleExample, "FooBot", "/index.html", false},
      {kSimpleExample, "foobot", "/example/page.html", true},
      {kSimpleExample, "foobot", "/example/allowed.gif", true},
      {kSimpleExample, "foobot", "/example/other.gif", false},
      {kSimpleExample, "barbot", "/example/page.html", false},
      {kSimpleExample, "bazbot", "/example/page.html", false},
      {kSimpleExample, "bazbot", "/example/page.htm", true},
      {kSimpleExample, "quxbot", "/example/", true},  // its group is empty: everything
      {kSimpleExample, "quxbot", "/a.gif", true},
      {"User-Agent: foobot\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif\n",
       "foobot", "/example/page/disallowed.gif", false},
      {"User-Agent: foobot\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif\n",
       "foobot", "/example/page/", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseRobotsTxt(c.body, c.agent).allows(c.path), c.allowed)
        << c.agent << " " << c.path << "\n"
        << c.body;
}

TEST(RobotsRulesTest, GroupForNorvane) {
  const struct {
    std::string_view body, path;
    bool allowed;
  } cases[] = {
      {"User-agent: Norvane/2.3\nDisallow: /n\nUser-agent: *\nDisallow: /\n", "/x", true},
      {"User-agent: Norvane/2.3\nDisallow: /n\nUser-agent: *\nDisallow: /\n", "/n", false},
      // Groups naming the agent are merged; a group for another agent in between is not.
      {"User-agent: Norvane\nDisallow: /a\n\nUser-agent: other\nDisallow: /b\n\n"
       "User-agent: NORVANE\nDisallow: /c\n",
       "/c", false},
      {"User-agent: Norvane\nDisallow: /a\n\nUser-agent: other\nDisallow: /b\n", "/b", true},
      {"User-agent: NorvaneBot\nDisallow: /\n", "/x", true},  // another product token
      {"User-agent: Norvane-News\nDisallow: /\n", "/x", true},
      {"User-agent: x\nUser-agent: Norvane\nDisallow: /p\n", "/p", false},  // one run
      {"User-agent: Norvane\nDisallow: /p\nUser-agent: x\nDisallow: /q\n", "/q", true},
      {"User-agent: *\nDisallow: /\n\nUser-agent: Norvane\n", "/x", true},  // empty group
      {"Disallow: /\nUser-agent: *\nDisallow: /q\n", "/x", true},  // a rule before any group
      {"User-agent: Norvane\nSitemap: http://h/s.xml\nUser-agent: x\nDisallow: /s\n", "/s", false},
      // Line ends, BOM, comments, blanks, letter case of keys, lines without a colon.
      {"User-agent: *\rDisallow: /cr\r", "/cr", false},
      {"\xEF\xBB\xBFUser-agent: *\r\nDisallow: /bom\r\n", "/bom", false},
      {"User-agent: * # all\nDisallow: /c # not /\n# Disallow: /\n", "/d", true},
      {"User-agent: * # all\nDisallow: /c # not /\n# Disallow: /\n", "/c", false},
      {"  user-AGENT :  *  \n\tdisallow\t:\t/t \n", "/t", false},
      {"User-agent *\nDisallow /\n", "/x", true},
      {"User-agent: *\nDisallow /x\nDisallow: /y\n", "/x", true},
      {"User-agent: *\nDisallow:\n", "/", true},
      {"User-agent: *\nDisallow: private\n", "/private", true},  // no "/": no rule
      {"<html><body>Not found</body></html>", "/x", true},
      {"User-agent: *\nDisallow: /\n", "/robots.txt", true},
      {"User-agent: *\nDisallow: /robots.txt\n", "/robots.txt", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseRobotsTxt(c.body).allows(c.path), c.allowed) << c.body;
}

TEST(RobotsRulesTest, PatternMatching) {
  const struct {
    std::string_view rules;
    std::string path;  // owned: one is made at run time
    bool allowed;
  } cases[] = {
      {"Disallow: /fish", "/fish.html", false},
      {"Disallow: /fish", "/Fish", true},  // letter case counts in paths
      {"Disallow: /fish", "/catfish", true},
      {"Disallow: /fish*.php", "/fishheads/cat.php?p=1", false},
      {"Disallow: /fish*.php", "/fish.PHP", true},
      {"Disallow: /*.php$", "/a/file.php", false},
      {"Disallow: /*.php$", "/a/file.php?x", true},
      {"Disallow: /*.php$", "/a.php/", true},
      {"Disallow: /fish$", "/fish", false},
      {"Disallow: /fish$", "/fishy", true},
      {"Disallow: /a$b", "/a$b", false},  // "$" inside a pattern is an octet
      {"Disallow: /a$b", "/a", true},
      {"Disallow: /**x", "/yx", false},
      {"Disallow: /*", "/anything", false},
      {"Allow: /p\nDisallow: /", "/page", true},  // the longer pattern wins
      {"Allow: /folder\nDisallow: /folder/page", "/folder/page", false},
      {"Allow: /folder\nDisallow: /folder/page", "/folder/other", true},
      {"Allow: /page\nDisallow: /page", "/page", true},  // Allow wins a tie
      {"Disallow: /page\nAllow: /page", "/page", true},
      {"Disallow: /*.htm\nAllow: /a.htm", "/a.htm", true},
      {"Allow: /$\nDisallow: /", "/", true},
      {"Allow: /$\nDisallow: /", "/x", false},
      // Both sides in one percent-encoding.
      {"Disallow: /%7Ejoe", "/~joe/index.html", false},
      {"Disallow: /~joe", "/%7ejoe/", false},
      {"Disallow: /a%3cd", "/a%3Cd.html", false},
      {"Disallow: /a%2fb", "/a/b", true},
      {"Disallow: /a/b", "/a%2Fb", true},
      {"Disallow: /foo/bar/\xE3\x83\x84", "/foo/bar/%E3%83%84", false},
      {"Disallow: /foo/bar/%62%61%7A", "/foo/bar/baz", false},
      {"Disallow: /caf%E9", "/caf\xE9", false},
      {"Disallow: /a%2A", "/ab", true},  // an encoded "*" is no wildcard
      {"Disallow: /*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", "/" + std::string(20000, 'a'),
       true},
  };
  for (const auto& c : cases) {
    const std::string body = "User-agent: *\n" + std::string(c.rules) + "\n";
    EXPECT_EQ(ParseRobotsTxt(body).allows(c.path), c.allowed) << c.rules << " " << c.path;
  }
}

TEST(RobotsRulesTest, CrawlDelay) {
  using std::chrono::milliseconds;
  const struct {
    std::string_view body;
    std::optional<milliseconds> delay;
  } cases[] = {
      {"User-agent: *\nCrawl-delay: 2\n", milliseconds(2000)},
      {"User-agent: *\ncrawl-DELAY: 0.5\n", milliseconds(500)},
      {"User-agent: *\nCrawl-delay: 1.2345\n", milliseconds(1234)},
      {"User-agent: *\nCrawl-delay: 15\n", milliseconds(10000)},
      {"User-agent: *\nCrawl-delay: 99999999999999999999999\n", milliseconds(10000)},
      {"User-agent: *\nCrawl-delay: 0\n", milliseconds(0)},
      {"User-agent: *\nCrawl-delay: -1\n", std::nullopt},
      {"User-agent: *\nCrawl-delay: 1e3\n", std::nullopt},
      {"User-agent: *\nCrawl-delay: soon\n", std::nullopt},
      {"User-agent: *\nCrawl-delay:\n", std::nullopt},
      {"User-agent: *\nCrawl-delay: .\n", std::nullopt},
      {"Crawl-delay: 5\nUser-agent: *\n", std::nullopt},
      {"User-agent: x\nCrawl-delay: 5\nUser-agent: Norvane\nDisallow: /x\n", std::nullopt},
      {"User-agent: *\nCrawl-delay: 3\n\nUser-agent: *\nCrawl-delay: 4\n", milliseconds(4000)},
      {"User-agent: *\nCrawl-delay: 9\nUser-agent: Norvane\nCrawl-delay: 1\n", milliseconds(1000)},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseRobotsTxt(c.body).crawlDelay(), c.delay) << c.body;
}

TEST(RobotsRulesTest, SizeLimit) {
  const std::string head = "User-agent: *\nDisallow: /early\n";
  std::string filler = "# " + std::string(kRobotsMaxBytes - head.size() - 30, 'x') + "\n";
  const std::string body = head + filler;  // the limit falls 27 bytes after this
  const struct {
    std::string tail;
    std::string path;
    bool allowed;
  } cases[] = {
      {"", "/early", false},
      {"Disallow: /late\n", "/late", false},                          // ends before the limit
      {std::string(40, '#') + "\nDisallow: /late\n", "/late", true},  // begins after it
      {"Disallow: /cut-here-by-the-limit-abcdefgh\n", "/cut-here-by-the-limit",
       true},  // cut: dropped
      {"Disallow: /cut-here-by-the-limit-abcdefgh\n", "/cut-here-by-the-limit-abcdefgh", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseRobotsTxt(body + c.tail).allows(c.path), c.allowed) << c.tail;
}

TEST(RobotsRulesTest, AnswerStatus) {
  const std::string_view disallowX = "User-agent: *\nDisallow: /x\n";
  const struct {
    int status;
    bool xAllowed, otherAllowed;
  } cases[] = {
      {200, false, true},  {204, false, true},  {301, true, true},   {404, true, true},
      {403, true, true},   {500, false, false}, {503, false, false}, {0, false, false},
      {100, false, false}, {600, false, false},
  };
  for (const auto& c : cases) {
    const RobotsRules rules = RobotsRulesForStatus(c.status, disallowX);
    EXPECT_EQ(rules.allows("/x"), c.xAllowed) << c.status;
    EXPECT_EQ(rules.allows("/other"), c.otherAllowed) << c.status;
    EXPECT_TRUE(rules.allows("/robots.txt")) << c.status;
  }
}

TEST(RobotsRulesTest, AnswerBytes) {
  const struct {
    std::string_view received;
    bool xAllowed, otherAllowed;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 27\r\n\r\nUser-agent: *\nDisallow: /x\n", false, true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "10\r\nUser-agent: *\nDi\r\nb;ext=1\r\nsallow: /x\n\r\n0\r\n\r\n",
       false, true},
      {"HTTP/1.1 404 Not Found\r\n\r\nUser-agent: *\nDisallow: /\n", true, true},
      {"HTTP/1.0 503 Busy\r\n\r\n", false, false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 27\r\n", false, false},  // closed inside the header
      {"User-agent: *\nDisallow: /x\n", false, false},              // no status line
      {"", false, false},
  };
  for (const auto& c : cases) {
    const RobotsRules rules = RobotsRulesForResponse(c.received);
    EXPECT_EQ(rules.allows("/x"), c.xAllowed) << c.received;
    EXPECT_EQ(rules.allows("/other"), c.otherAllowed) << c.received;
  }
}

TEST(HttpHeaderFieldsTest, StatusFieldsAndChunks) {
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 429 Too Many Requests\r\n"), 429);
  EXPECT_EQ(StatusCodeOf("HTTP/1.0 200"), 200);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 20 OK\r\n"), std::nullopt);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 2000 OK\r\n"), std::nullopt);
  EXPECT_EQ(StatusCodeOf("http/1.1 200 OK\r\n"), 200);  // the fetcher ignores the name's case
  const std::string_view block =
      "HTTP/1.1 503 Retry-After: 1\r\nX-Retry-After: 2\r\nretry-after:  \t30 \r\n"
      "Retry-After : 4\r\nRetry-After: 5";
  EXPECT_EQ(HeaderFieldValue(block, "Retry-After"), "30");
  EXPECT_EQ(HeaderFieldValue("HTTP/1.1 200 OK\nA: 1\nB: 2", "b"), "2");  // lone LF ends too
  EXPECT_EQ(HeaderFieldValue("HTTP/1.1 200 OK\r\nA: 1", "B"), std::nullopt);
  EXPECT_TRUE(IsChunkedTransfer("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n"));
  EXPECT_FALSE(IsChunkedTransfer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip\r\n"));
  const struct {
    std::string_view chunked, plain;
  } chunks[] = {
      {"5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", "hello world"},
      {"5\nhello\n0\n", "hello"},
      {"A\r\n0123456789\r\n", "0123456789"},
      {"5\r\nhel", "hel"},  // the data ends inside a chunk
      // A broken stream keeps what was decoded and the rest as it came.
      {"5\r\nhelloXX6\r\n world\r\n", "helloXX6\r\n world\r\n"},  // no line end after a chunk
      {"zz\r\nhello\r\n", "zz\r\nhello\r\n"},
      {"ffffffffffffffff\r\nx\r\n", "x\r\n"},
  };
  for (const auto& c : chunks) EXPECT_EQ(DecodeChunkedBody(c.chunked), c.plain) << c.chunked;
}

}  // namespace
}  // namespace norvane
