#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

// The few text steps that HTTP header lines and robots.txt need: bytes compared and trimmed as
// ASCII, whatever the locale, since both formats are ASCII on the wire.
namespace norvane::ascii {

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

constexpr char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr bool IsAlpha(char c) {
  // Setting bit 5 lowers an ASCII capital and leaves a small letter: one compare for both.
  return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

constexpr bool IsAlnum(char c) {
  return IsAlpha(c) || IsDigit(c);
}

// The value of a hex digit, -1 for any other byte.
constexpr int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

constexpr std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Takes the next CR LF line off the front of text: all of it when no CR LF follows.
constexpr std::string_view TakeCrLfLine(std::string_view& text) {
  const std::size_t end = text.find("\r\n");
  const std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
  return line;
}

// The line starting at `from` without its LF or CR LF, and where the next one starts: past the
// end of text after its last line.
constexpr std::string_view LineAt(std::string_view text, std::size_t from, std::size_t& next) {
  const std::size_t end = std::min(text.find('\n', from), text.size());
  next = end + 1;
  std::string_view line = text.substr(from, end - from);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace norvane::ascii
