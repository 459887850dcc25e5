#include "harvest/http_header_fields.h"

#include <cstdint>

namespace norvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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

std::optional<int> StatusCodeOf(std::string_view received) {
  constexpr std::string_view kPrefix = "HTTP/";
  if (received.size() < 12 || received.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  const auto digit = [&](std::size_t i) { return received[i] >= '0' && received[i] <= '9'; };
  if (!digit(5) || received[6] != '.' || !digit(7) || received[8] != ' ') return std::nullopt;
  if (!digit(9) || !digit(10) || !digit(11)) return std::nullopt;
  if (received.size() > 12 && received[12] != ' ' && received[12] != '\r' && received[12] != '\n')
    return std::nullopt;
  return (received[9] - '0') * 100 + (received[10] - '0') * 10 + (received[11] - '0');
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
    if (EqualsIgnoringCase(line.substr(0, colon), name)) return TrimBlanks(line.substr(colon + 1));
  }
  return std::nullopt;
}

bool IsChunked(std::string_view headerBlock) {
  const auto value = HeaderFieldValue(headerBlock, "Transfer-Encoding");
  if (!value) return false;
  // The codings are a list; chunked, when present, is the last one.
  std::string_view last = *value;
  const std::size_t comma = last.rfind(',');
  if (comma != std::string_view::npos) last = TrimBlanks(last.substr(comma + 1));
  return EqualsIgnoringCase(last, "chunked");
}

std::string DecodeChunkedBody(std::string_view body) {
  std::string out;
  std::size_t at = 0;
  while (at < body.size()) {
    std::size_t next = 0;
    const std::string_view sizeLine = LineAt(body, at, next);
    if (next > body.size()) break;  // the size line itself was cut off
    std::uint64_t size = 0;
    std::size_t digits = 0;
    for (char c : sizeLine) {
      const int v = HexValue(c);
      if (v < 0) break;
      if (++digits > 15) return out;  // no chunk is that large; the data is not chunked
      size = size * 16 + static_cast<std::uint64_t>(v);
    }
    if (digits == 0) break;
    const std::string_view rest = TrimBlanks(sizeLine.substr(digits));
    if (!rest.empty() && rest.front() != ';') break;  // a chunk extension is the only extra
    if (size == 0) break;
    const std::size_t available = body.size() - next;
    out.append(body.substr(next, static_cast<std::size_t>(size < available ? size : available)));
    if (size >= available) break;
    at = next + static_cast<std::size_t>(size);
    if (body.substr(at, 2) == "\r\n") {
      at += 2;
    } else if (body.substr(at, 1) == "\n") {
      at += 1;
    } else {
      break;
    }
  }
  return out;
}

}  // namespace norvane
