#include "harvest/fetch/chunked_body.h"

#include "harvest/ascii_text.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace norvane {
namespace {

using ascii::EqualsIgnoringCase;
using ascii::HexValue;
using ascii::TrimBlanks;

// The last non-empty item of a comma-separated list, trimmed.
std::string_view LastListItem(std::string_view list) {
  std::string_view last;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view item = TrimBlanks(list.substr(0, comma));
    if (!item.empty()) last = item;
    if (comma == std::string_view::npos) return last;
    list.remove_prefix(comma + 1);
  }
}

// The size of a chunk-size line (without its line break): hex digits, optional blanks, then the
// end or a ";" extension. Nothing when it is no such line or the number does not fit 64 bits.
std::optional<std::uint64_t> ChunkSizeOf(std::string_view line) {
  std::uint64_t size = 0;
  std::size_t i = 0;
  for (; i < line.size() && HexValue(line[i]) >= 0; ++i) {
    if (size > (UINT64_MAX >> 4)) return std::nullopt;
    size = (size << 4) | std::uint64_t(HexValue(line[i]));
  }
  if (i == 0) return std::nullopt;
  const std::string_view rest = TrimBlanks(line.substr(i));
  if (!rest.empty() && rest.front() != ';') return std::nullopt;
  return size;
}

}  // namespace

bool IsChunkedTransfer(std::string_view headerBlock) {
  constexpr std::string_view kName = "transfer-encoding";
  bool chunked = false;
  bool statusLine = true;
  while (!headerBlock.empty()) {
    const std::string_view line = ascii::TakeCrLfLine(headerBlock);
    if (std::exchange(statusLine, false)) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (!EqualsIgnoringCase(TrimBlanks(line.substr(0, colon)), kName)) continue;
    chunked = EqualsIgnoringCase(LastListItem(line.substr(colon + 1)), "chunked");
  }
  return chunked;
}

std::string DecodeChunkedBody(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  std::size_t pos = 0;
  while (pos < body.size()) {
    // Servers that end lines with a bare LF are read too.
    const std::size_t lf = body.find('\n', pos);
    if (lf == std::string_view::npos) break;  // a size line cut short: kept as received
    std::string_view line = body.substr(pos, lf - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::optional<std::uint64_t> size = ChunkSizeOf(line);
    if (!size) break;
    if (*size == 0) return out;  // the last chunk: trailers, if any, are dropped
    const std::size_t dataStart = lf + 1;
    const std::size_t available = body.size() - dataStart;
    if (*size >= available) {
      out.append(body.substr(dataStart));  // the close cut this chunk short
      return out;
    }
    out.append(body.substr(dataStart, std::size_t(*size)));
    pos = dataStart + std::size_t(*size);
    if (body.compare(pos, 2, "\r\n") == 0) {
      pos += 2;
    } else if (body[pos] == '\n') {
      pos += 1;
    } else {
      break;  // the size was wrong: what follows is kept as it came
    }
  }
  out.append(body.substr(pos));
  return out;
}

}  // namespace norvane
