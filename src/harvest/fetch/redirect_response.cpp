#include "harvest/fetch/redirect_response.h"

#include "harvest/ascii_text.h"

namespace norvane {
namespace {

using ascii::IsDigit;
using ascii::LineAt;
using ascii::StartsWithIgnoringCase;
using ascii::TakeCrLfLine;
using ascii::TrimBlanks;

}  // namespace

std::optional<int> StatusCodeOf(std::string_view header) {
  const std::string_view line = TakeCrLfLine(header);
  if (!StartsWithIgnoringCase(line, "HTTP/")) return std::nullopt;
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || space == 5) return std::nullopt;
  const std::string_view code = line.substr(space + 1, 3);
  if (code.size() != 3 || !IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2]))
    return std::nullopt;
  if (line.size() > space + 4 && line[space + 4] != ' ') return std::nullopt;
  return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

std::optional<std::string> LocationOf(std::string_view header) {
  TakeCrLfLine(header);  // the status line
  while (!header.empty()) {
    const std::string_view line = TakeCrLfLine(header);
    if (line.empty()) break;  // the end of the header block
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = TrimBlanks(line.substr(0, colon));
    if (name.size() != 8 || !StartsWithIgnoringCase(name, "location")) continue;
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (value.empty()) return std::nullopt;
    return std::string(value);
  }
  return std::nullopt;
}

bool IsFollowedRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::string_view> HeaderFieldValue(std::string_view headerBlock,
                                                 std::string_view name) {
  std::size_t next = 0;
  LineAt(headerBlock, 0, next);  // the status line
  while (next <= headerBlock.size()) {
    const std::string_view line = LineAt(headerBlock, next, next);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    // No blank is allowed between a field name and its colon, so "Retry-After :" is no field.
    if (ascii::EqualsIgnoringCase(line.substr(0, colon), name))
      return TrimBlanks(line.substr(colon + 1));
  }
  return std::nullopt;
}

}  // namespace norvane
