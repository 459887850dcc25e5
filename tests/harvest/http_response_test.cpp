// The bytes the crawl sends, and what it makes of the bytes a server sends back.
#include <gtest/gtest.h>

#include <algorithm>

#include "harvest/fetch/http_response.h"
#include "harvest/page/link_extraction.h"

namespace norvane {
namespace {

TEST(HttpResponseTest, RequestBytes) {
  EXPECT_EQ(BuildPageRequest(QStringLiteral("h.org"), QStringLiteral("/a/b.html")),
            QByteArray("GET /a/b.html HTTP/1.1\r\nHost: h.org\r\nConnection: close\r\n"
                       "Accept: */*\r\n\r\n"));
  // Page texts are one byte a character: a Latin-1 path goes out as the bytes it came from.
  EXPECT_EQ(BuildPageRequest(QStringLiteral("h.org"), QString::fromLatin1("/caf\xe9")),
            QByteArray("GET /caf\xe9 HTTP/1.1\r\nHost: h.org\r\nConnection: close\r\n"
                       "Accept: */*\r\n\r\n"));
}

TEST(HttpResponseTest, HeaderEndAndContentLength) {
  const struct {
    std::string data;
    std::optional<std::size_t> end;
    int32_t contentLength;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\nbody", 37, 500},
      {"HTTP/1.1 200 OK\r\ncontent-length: 500\r\n\r\n", 37, 0},  // exact case only
      {"HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\n", 37, 0},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n", 45, 0},
      {"HTTP/1.1 200 OK\r\nContent-Length:  7 \r\n\r\n", 37, 7},
      {"HTTP/1.1 200 OK\r\nX-Content-Length-Note: 3\r\nContent-Length: 9\r\n\r\n", 61, 3},
      {"HTTP/1.1 200 OK\r\nContent-Length: 5", std::nullopt, 0},
      {"no blank line at all", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    const auto end = HeaderEndPosition(c.data);
    EXPECT_EQ(end, c.end) << c.data;
    if (end) {
      EXPECT_EQ(ContentLengthOf(c.data.substr(0, *end - 1)), c.contentLength) << c.data;
    }
  }
  // A header block far beyond 32,767 bytes is still found.
  const std::string longHeader = "HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'a') + "\r\n\r\n";
  EXPECT_EQ(HeaderEndPosition(longHeader), longHeader.size() - 3);
}

// Both line endings, and the same answer however the response is cut into arrivals.
TEST(HttpResponseTest, HeaderEndFoundOnceAcrossArrivals) {
  const struct {
    std::string data;
    std::optional<HeaderEnd> end;
    int32_t contentLength;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody", HeaderEnd{35, 38}, 4},
      {"HTTP/1.0 200 OK\nContent-Length: 4\n\nbody", HeaderEnd{34, 35}, 4},
      {"HTTP/1.0 200 OK\nServer: x\nContent-Length:  12 \n\n", HeaderEnd{47, 48}, 12},
      // Line feeds in the body do not move the end of a normal header block.
      {"HTTP/1.1 200 OK\r\nA: b\r\n\r\nx\n\ny", HeaderEnd{22, 25}, 0},
      {"HTTP/1.1 200 OK\r\n\r\n\nx", HeaderEnd{16, 19}, 0},
      // Whichever begins first ends the block.
      {"HTTP/1.0 200 OK\n\n\r\n\r\n", HeaderEnd{16, 17}, 0},
      {"\n\n", HeaderEnd{1, 2}, 0},
      {"HTTP/1.1 200 OK\r\nA: b\r\n\r", std::nullopt, 0},
      {"HTTP/1.1 200 OK\n\rA: b\r\n", std::nullopt, 0},
      {"", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindHeaderEnd(c.data), c.end) << c.data;
    if (c.end) {
      EXPECT_EQ(ContentLengthOf(c.data.substr(0, c.end->position - 1)), c.contentLength) << c.data;
    }
    for (std::size_t piece : {1, 2, 3, 5, 64}) {
      std::size_t resumeFrom = 0;
      std::optional<HeaderEnd> found;
      for (std::size_t size = std::min(piece, c.data.size()); !found; size += piece) {
        found = FindHeaderEndResuming(std::string_view(c.data).substr(0, size), resumeFrom);
        EXPECT_LE(resumeFrom, c.data.size());
        if (size >= c.data.size()) break;
      }
      EXPECT_EQ(found, c.end) << c.data << " in pieces of " << piece;
    }
  }
}

TEST(HttpResponseTest, ResponseBody) {
  const struct {
    std::string data;
    std::string body;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nA: b\r\n\r\n<p>page</p>", "<p>page</p>"},
      {"HTTP/1.1 200 OK\r\n\r\n", ""},
      {"no header block", "no header block"},  // handed on whole
      {"", ""},
      // The header block is removed wherever it stands again, in any letter case.
      {"HTTP/1.1 200 OK\r\n\r\nab http/1.1 200 ok\r\n\r\ncd", "ab cd"},
      // Bare line feeds end the header block too; a normal block keeps the body's.
      {"HTTP/1.0 200 OK\nA: b\n\n<p>page</p>\n\n", "<p>page</p>\n\n"},
      {"HTTP/1.1 200 OK\r\nA: b\r\n\r\n<p>a</p>\n\n<p>b</p>", "<p>a</p>\n\n<p>b</p>"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResponseBody(c.data), c.body) << c.data;
}

// The search behind it finds what a plain search finds, also where skipping cannot help (a
// pattern whose tail the text repeats at every position) and it goes on without skips.
TEST(HttpResponseTest, FindAllIgnoringCaseFindsEveryCopyWithoutOverlaps) {
  const std::string many(30000, 'a');
  const struct {
    std::string text;
    std::string pattern;
    std::vector<std::size_t> hits;
  } cases[] = {
      {"abcABCabc", "abc", {0, 3, 6}},
      {"aaaa", "aa", {0, 2}},
      {"xyz", "xyzw", {}},
      {"", "a", {}},
      {"abc", "", {}},
      {many + "B" + std::string(40, 'a'), "b" + std::string(40, 'A'), {30000}},
      {"b" + std::string(40, 'a') + many + "b" + std::string(40, 'a'),
       "B" + std::string(40, 'a'),
       {0, 30041}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindAllIgnoringCase(c.text, c.pattern), c.hits) << c.pattern.substr(0, 5);
}

// Every copy of the header block is removed however the body is made, also a body built to
// defeat a skipping search (near copies of the block, overlapping copies, copies at the end).
TEST(HttpResponseTest, ResponseBodyRemovesEveryCopyOfTheHeaderBlock) {
  const std::string header = "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n";
  const auto naive = [&](const std::string& data) {
    std::string lower = data;
    std::string block = header;
    for (std::string* t : {&lower, &block})
      std::transform(t->begin(), t->end(), t->begin(),
                     [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    std::string body;
    std::size_t copied = 0;
    for (std::size_t hit = lower.find(block); hit != std::string::npos;
         hit = lower.find(block, copied)) {
      body += data.substr(copied, hit - copied);
      copied = hit + block.size();
    }
    return body + data.substr(copied);
  };
  const std::string nearCopy = header.substr(1);
  std::string upper = header;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; });
  const struct {
    const char* what;
    std::string body;
  } cases[] = {
      {"no copy", std::string(5000, 'a')},
      {"copy in the middle", std::string(3000, 'b') + header + "tail"},
      {"copy at the very end", "x" + header},
      {"copies back to back", header + header + header},
      {"upper-case copy", "<p>" + upper + "</p>"},
      {"near copies only",
       [&] {
         std::string b;
         for (int i = 0; i < 400; ++i) b += nearCopy;
         return b;
       }()},
      {"near copies, then a copy",
       [&] {
         std::string b;
         for (int i = 0; i < 400; ++i) b += "\n\r\n" + nearCopy;
         return b + header + "end";
       }()},
      {"line ends only", std::string(20000, '\n')},
  };
  for (const auto& c : cases) {
    const std::string data = header + c.body;
    EXPECT_EQ(ResponseBody(data), naive(data)) << c.what;
  }
}

TEST(LinkExtractionTest, OneLinkALine) {
  const struct {
    const char* line;
    std::optional<std::string> link;
  } cases[] = {
      {"<a href=\"contact.html\">Contact</a>", "contact.html"},
      {"<a href='contact.html'>", "contact.html"},
      {"<a HREF=contact.html>", "contact.html"},
      {"<a href=\"one.html\"> <a href=\"two.html\">", "one.html"},  // the first only
      {"<a href=rest of the line", "rest of the line"},
      {"<a href=\"\">", ""},
      {"no link here", std::nullopt},
      {"<a href=\"javascript:go()\">", std::nullopt},
      {"<a href=\"mailto:a@b.org\">", std::nullopt},
      {"<a href=\"shop.jsp\">", std::nullopt},  // ".js"
      {"<a href=\"p.html#top\">", std::nullopt},
      {"<img href=\"a.GIF\">", std::nullopt},
      {"<a href=\"www.radio.org\">", std::nullopt},  // ".ra" in the host name
      {"<a href=\"a.css\">", std::nullopt},
      {"<a href=\"x.PDF\">", std::nullopt},
      // A lone LF stays in the line, and in the link when no quote came first.
      {"<a href=a.html\nb.html>", "a.html\nb.html"},
      // The first "href=" counts, whatever "=" and "href" stand before it.
      {"<a class=x href=\"c.html\">", "c.html"},
      {"<p>href = no, HrEf=\"d.html\"", "d.html"},
      {"=href=e.html>", "e.html"},
      {"xhref=f.html>", "f.html"},
      {"href=", ""},
      {"ref=g.html href", std::nullopt},
      {"hre=f.html", std::nullopt},
      // The quote removals run again on the text they leave, and "href=" inside a link goes.
      {"<a href=\"'x.html'>", "x.html"},
      {"<a href=\"a.htmlhref=\"b.html\">", "a.htmlb.html"},
      {"<a href=\"a.html HREF='b.html'>", "a.html b.html"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractLineLink(c.line), c.link) << c.line;
}

// A page may stand on one line: the link is found however far into the line it ends, and an
// "href=" with its quote at any distance from the first is still taken apart.
TEST(LinkExtractionTest, LongLines) {
  const std::string far(246, 'b');
  const std::string text(100000, 't');
  const struct {
    const char* what;
    std::string line;
    std::optional<std::string> link;
  } cases[] = {
      {"link of 300 letters", "<a href=\"" + std::string(300, 'a') + "\">" + text,
       std::string(300, 'a')},
      {"link to the end of a long line", "<a href=" + text, text},
      {"inner quote just past 256", "href=" + far + "href=\"tail'" + text, far + "tail"},
      {"inner quote just before 256", "href=" + far.substr(1) + "href=\"tail'" + text,
       far.substr(1) + "tail"},
      {"inner apostrophe past 512", "href=" + std::string(505, 'c') + "href='d\"" + text,
       std::string(505, 'c') + "d"},
      {"far link dropped", "<a href=\"" + std::string(5000, 'a') + ".pdf\">" + text, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractLineLink(c.line), c.link) << c.what;
}

}  // namespace
}  // namespace norvane
