// Bodies that come in chunks: which header blocks announce them, and what the crawl makes of
// whole, odd and broken chunk streams.
#include <gtest/gtest.h>

#include "harvest/faxes/fax_scan_page.h"
#include "harvest/fetch/chunked_body.h"
#include "harvest/fetch/http_response.h"

namespace norvane {
namespace {

TEST(ChunkedBodyTest, WhichHeaderBlocksAnnounceChunks) {
  const struct {
    const char* header;
    bool chunked;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked", true},
      {"HTTP/1.1 200 OK\r\ntransfer-encoding: CHUNKED", true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding:chunked  ", true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked", true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip", false},  // not the last coding
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nTransfer-Encoding: chunked", true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTransfer-Encoding: gzip", false},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunkedx", false},
      {"HTTP/1.1 200 OK\r\nX-Transfer-Encoding: chunked", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 5", false},
      {"HTTP/1.1 200 OK\r\nX-Note: Transfer-Encoding: chunked", false},
      {"Transfer-Encoding: chunked", false},  // the status line is no header
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsChunkedTransfer(c.header), c.chunked) << c.header;
}

TEST(ChunkedBodyTest, DecodesChunkStreams) {
  const struct {
    std::string stream;
    std::string page;
  } cases[] = {
      {"5\r\nhello\r\n0\r\n\r\n", "hello"},
      {"5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", "hello world"},
      {"A\r\n0123456789\r\n0\r\n\r\n", "0123456789"},  // hex sizes, any case
      {"a\r\n0123456789\r\n0\r\n\r\n", "0123456789"},
      {"0\r\n\r\n", ""},
      {"", ""},
      // Extensions and trailers are dropped.
      {"5;name=value\r\nhello\r\n0;last\r\n\r\n", "hello"},
      {"5 ;x\r\nhello\r\n0\r\nExpires: never\r\nX-Fax: 555\r\n\r\n", "hello"},
      {"5\r\nhello\r\n0\r\n\r\nafter the end", "hello"},
      {"5\nhello\n0\n\n", "hello"},  // bare LF line ends
      // Cut short by the close: the data that came is kept.
      {"5\r\nhello\r\n8\r\nwor", "hellowor"},
      {"5\r\nhello\r\n", "hello"},
      {"5\r\nhello", "hello"},
      {"5\r\nhel", "hel"},
      {"5\r\nhello\r\n6", "hello6"},  // a size line without its end stays as it came
      // Broken streams keep what was decoded, then the rest as received.
      {"zz\r\nhello\r\n0\r\n\r\n", "zz\r\nhello\r\n0\r\n\r\n"},
      {"5\r\nhello\r\n1g\r\nabc\r\n", "hello1g\r\nabc\r\n"},
      {"\r\nhello", "\r\nhello"},
      {"<html>not chunked at all</html>", "<html>not chunked at all</html>"},
      {"3\r\nhello\r\n0\r\n\r\n", "hello\r\n0\r\n\r\n"},  // size too small: no line break after it
      // A size beyond 64 bits is no size; one beyond the data is a chunk cut short.
      {"10000000000000000\r\nabc", "10000000000000000\r\nabc"},
      {"ffffffffffffffff\r\nabc", "abc"},
      {"FFFFFFFF\r\nabc\r\n0\r\n\r\n", "abc\r\n0\r\n\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeChunkedBody(c.stream), c.page) << c.stream;
}

TEST(ChunkedBodyTest, PageBodyDecodesOnlyChunkedResponses) {
  const struct {
    std::string response;
    std::string page;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n<p>x\r\n4\r\n</p>\r\n0\r\n\r\n",
       "<p>x</p>"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n4\r\n<p>x\r\n0\r\n\r\n",
       "4\r\n<p>x\r\n0\r\n\r\n"},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip\r\n\r\n3\r\nabc\r\n", "3\r\nabc\r\n"},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", ""},
      {"Transfer-Encoding: chunked but no blank line",
       "Transfer-Encoding: chunked but no blank line"},
  };
  for (const auto& c : cases) EXPECT_EQ(PageBody(c.response), c.page) << c.response;
  // Without chunks PageBody is ResponseBody, header copies in the body included.
  for (const std::string response :
       {"HTTP/1.1 200 OK\r\n\r\nab http/1.1 200 ok\r\n\r\ncd", "no header", "",
        "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc"})
    EXPECT_EQ(PageBody(response), ResponseBody(response)) << response;
}

TEST(ChunkedBodyTest, NumberSplitAcrossChunksIsFound) {
  const std::string response =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
      "13\r\n<body>Fax: (201) 55\r\nd;part=2\r\n5-0001</body>\r\n0\r\n\r\n";
  EXPECT_EQ(PageBody(response), "<body>Fax: (201) 555-0001</body>");
  const std::vector<FoundFax> found = FindFaxesInPage(PageBody(response), true);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].fax, "1-201-555-0001");
}

TEST(ChunkedBodyTest, ManySmallChunksTakeLinearTime) {
  // A million one-byte chunks: a decoder that rescans from the start would not finish.
  std::string stream;
  for (int i = 0; i < 1000000; ++i) stream += "1\r\nx\r\n";
  EXPECT_EQ(DecodeChunkedBody(stream), std::string(1000000, 'x'));
  const std::string broken(2000000, '1');
  EXPECT_EQ(DecodeChunkedBody(broken), broken);
}

}  // namespace
}  // namespace norvane
