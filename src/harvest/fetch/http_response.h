#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// The request the crawl sends for one page: GET with the Host, "Connection: close" and
// "Accept: */*" headers in this order, then a "User-Agent" line when `userAgent` is not empty
// (as the crawl that follows secure sites sends it in both schemes), and nothing else.
QByteArray BuildPageRequest(const QString& host, const QString& path,
                            const QByteArray& userAgent = {});
// "Norvane/<major>.<minor> (+<product web address>)".
QByteArray CrawlUserAgent();

// Where the header block of a response ends: at the first CR LF CR LF, or at the first LF LF
// for servers that end their lines with a bare line feed, whichever begins first.
struct HeaderEnd {
  std::size_t position = 0;   // 1-based position of the first byte of that CR LF CR LF or LF LF
  std::size_t blockSize = 0;  // status line, header lines and blank line: position + 3 or + 1
  friend bool operator==(const HeaderEnd&, const HeaderEnd&) = default;
};

// The header end in data, looking only at ends that begin at from (0-based) or later.
std::optional<HeaderEnd> FindHeaderEnd(std::string_view data, std::size_t from = 0);

// The same search for data that grows between calls: resumeFrom starts at 0 and is moved on
// by every call that finds nothing, to the first byte where an end could still begin once more
// data is appended. Each byte is thus looked at a bounded number of times, however the data
// arrives.
std::optional<HeaderEnd> FindHeaderEndResuming(std::string_view data, std::size_t& resumeFrom);

// The 1-based position of the header end in the received data, if any.
std::optional<std::size_t> HeaderEndPosition(std::string_view data);

// The Content-Length of a header block (the text before its blank line), whose lines end with
// CR LF or a bare LF: the first line that holds "Content-Length" (exact case) gives the number
// after its first space. 0 when no line holds it or its value is no whole number in the 32-bit
// range.
int32_t ContentLengthOf(std::string_view headerBlock);

// The page handed on when the server closes: the received data with every occurrence of its
// header block (status line, header lines and blank line, compared without letter case)
// removed. Data without a header end is handed on whole.
std::string ResponseBody(std::string_view data);

// Where pattern occurs in text, letter case ignored, without overlaps, left to right: the
// search behind ResponseBody. It skips through the text and stays linear for any text.
std::vector<std::size_t> FindAllIgnoringCase(std::string_view text, std::string_view pattern);

// The page the close handler hands to the page steps: ResponseBody, then decoded from its chunks
// when the header block says "Transfer-Encoding: chunked" (see chunked_body.h). Byte for byte
// ResponseBody for every other response.
std::string PageBody(std::string_view data);

}  // namespace norvane
