#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvane {

// The request the crawl sends for one page: GET with the Host, "Connection: close" and
// "Accept: */*" headers in this order and nothing else.
QByteArray BuildPageRequest(const QString& host, const QString& path);

// The 1-based position of the first CR LF CR LF in the received data, if any.
std::optional<std::size_t> HeaderEndPosition(std::string_view data);

// The Content-Length of a header block (the text before its blank line): the first line that
// holds "Content-Length" (exact case) gives the number after its first space. 0 when no line
// holds it or its value is no whole number in the 32-bit range.
int32_t ContentLengthOf(std::string_view headerBlock);

// The page handed on when the server closes: the received data with every occurrence of its
// header block (status line, header lines and blank line, compared without letter case)
// removed. Data without a blank line is handed on whole.
std::string ResponseBody(std::string_view data);

// The page the close handler hands to the page steps: ResponseBody, then decoded from its chunks
// when the header block says "Transfer-Encoding: chunked" (see chunked_body.h). Byte for byte
// ResponseBody for every other response.
std::string PageBody(std::string_view data);

}  // namespace norvane
