#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvane {

// True when a link is one the crawl never follows: scripts, mail, media, images, style sheets,
// PDF files and anything with a fragment. A plain substring test in any letter case, so
// ".jsp" pages (".js") and fragments ("#") are dropped too.
bool LinkFilterDrops(std::string_view link);

// The link of one line of a page: the value of the line's first "href=" (any case), with a
// quote or apostrophe right after it dropped, up to the first apostrophe, double quote or ">",
// or to the end of the line. Nothing when the line has no "href=" or the filter drops the link.
std::optional<std::string> ExtractLineLink(std::string_view line);

}  // namespace norvane
