#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvane {

// What a response's header block says: its status, where it sends the crawl, a field's value.
// The readers of the status and the Location take the header block or the whole response: they
// stop at the first empty line.

// The status code of the status line, "HTTP/" (any case), a version, a space and three digits
// followed by a space or the line's end. Nothing when the first line is no such line.
std::optional<int> StatusCodeOf(std::string_view header);

// The value of the first "Location" header (name in any letter case), spaces and tabs trimmed.
// Nothing when there is none or its value is empty.
std::optional<std::string> LocationOf(std::string_view header);

// The codes the crawl follows: 301, 302, 303, 307 and 308.
bool IsFollowedRedirect(int status);

// The value of the first header field named `name` (letter case ignored) in a header block (the
// text before the blank line, status line first), without the spaces and tabs around it. The
// status line is never taken for a field; lines end at CR LF, a lone LF is taken as well.
std::optional<std::string_view> HeaderFieldValue(std::string_view headerBlock,
                                                 std::string_view name);

}  // namespace norvane
