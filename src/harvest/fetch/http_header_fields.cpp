#include "harvest/fetch/http_header_fields.h"

#include "harvest/ascii_text.h"

#include <cstdint>

namespace norvane {
namespace {

using ascii::EqualsIgnoringCase;
using ascii::TrimBlanks;

// The line starting at `from` without its CR LF (or LF), and where the next line starts.
std::string_view LineAt(std::string_view text, std::size_t from, std::size_t& next) {
  std::size_t end = text.find('\n', from);
  if (end == std::string_view::npos) {
    next = text.size() + 1;
    end = text.size();
  } else {
    next = end + 1;
  }
  std::string_view line = text.substr(from, end - from);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

std::optional<std::string_view> HeaderFieldValue(std::string_view headerBlock,
                                                 std::string_view name) {
  std::size_t next = 0;
  LineAt(headerBlock, 0, next);  // the status line
  while (next <= headerBlock.size()) {
    const std::string_view line = LineAt(headerBlock, next, next);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    // No blank is allowed between a field name and its colon, so "Retry-After :" is no field.
    if (EqualsIgnoringCase(line.substr(0, colon), name)) return TrimBlanks(line.substr(colon + 1));
  }
  return std::nullopt;
}

}  // namespace norvane
