#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "harvest/fetch/chunked_body.h"
#include "harvest/fetch/redirect_response.h"

namespace norvane {

// Reading a response's status line and header fields, for the answers the polite crawl acts on
// (robots.txt, 429 and 503). A header block is the text before the blank line, status line
// first, as HeaderEndPosition finds it; lines end at CR LF (a lone LF is taken as well).

// The value of the first header field named `name` (letter case ignored) in the header block,
// without the spaces and tabs around it. The status line is never taken for a field.
std::optional<std::string_view> HeaderFieldValue(std::string_view headerBlock,
                                                 std::string_view name);

// Whether the header block's Transfer-Encoding ends with "chunked" (letter case ignored).
inline bool IsChunked(std::string_view headerBlock) {
  return IsChunkedTransfer(headerBlock);
}

}  // namespace norvane
