#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvane {

// Reading a response's status line and header fields, for the answers the polite crawl acts on
// (robots.txt, 429 and 503). A header block is the text before the blank line, status line
// first, as HeaderEndPosition finds it; lines end at CR LF (a lone LF is taken as well).

// The three-digit status code of a status line "HTTP/<digit>.<digit> <code>", if the data
// begins with one.
std::optional<int> StatusCodeOf(std::string_view received);

// The value of the first header field named `name` (letter case ignored) in the header block,
// without the spaces and tabs around it. The status line is never taken for a field.
std::optional<std::string_view> HeaderFieldValue(std::string_view headerBlock,
                                                 std::string_view name);

// Whether the header block's Transfer-Encoding ends with "chunked" (letter case ignored).
bool IsChunked(std::string_view headerBlock);

// A body sent with "Transfer-Encoding: chunked" turned back into its bytes. Decoding stops at
// the last chunk, at a malformed size line or where the data ends; what came before is kept.
std::string DecodeChunkedBody(std::string_view body);

}  // namespace norvane
