#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

namespace norvane {

// What a page shows of the link whose tag begins at `tagOffset`: the text after the tag up to
// its "</a" (tags inside left out, white space run together, at most kAnchorTextMax
// characters), or the tag's title when it holds no text. Read as UTF-8 when the bytes are
// UTF-8, else one byte a character. Empty for a tag that does not end.
QString AnchorTextAt(std::string_view page, std::size_t tagOffset);

inline constexpr std::size_t kAnchorTextMax = 80;

}  // namespace norvane
