#include "harvest/link_extraction.h"

#include <array>

namespace norvane {
namespace {

constexpr std::string_view kHref = "href=";

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// The first occurrence of a lower-case pattern at or after `from`, letter case ignored.
std::size_t FindIgnoringCase(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.empty() || text.size() < pattern.size()) return std::string_view::npos;
  const char first = pattern.front();
  const char firstUpper = static_cast<char>(first - 'a' + 'A');
  const bool letter = first >= 'a' && first <= 'z';
  for (std::size_t at = from; at + pattern.size() <= text.size(); ++at) {
    if (text[at] != first && !(letter && text[at] == firstUpper)) continue;
    std::size_t k = 1;
    while (k < pattern.size() && AsciiLower(text[at + k]) == pattern[k]) ++k;
    if (k == pattern.size()) return at;
  }
  return std::string_view::npos;
}

// Replaces every occurrence of a lower-case pattern, letter case ignored, in one pass.
std::string ReplaceAllIgnoringCase(std::string_view text, std::string_view pattern,
                                   std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t hit = FindIgnoringCase(text, pattern, 0); hit != std::string::npos;
       hit = FindIgnoringCase(text, pattern, copied)) {
    out.append(text.substr(copied, hit - copied));
    out.append(replacement);
    copied = hit + pattern.size();
  }
  out.append(text.substr(copied));
  return out;
}

// The stretch from "href=" as the two quote removals leave it, up to the link's end.
std::string RemoveQuotesAfterHref(std::string_view text) {
  return ReplaceAllIgnoringCase(ReplaceAllIgnoringCase(text, "href=\"", kHref), "href='", kHref);
}

}  // namespace

bool LinkFilterDrops(std::string_view link) {
  static constexpr std::array<std::string_view, 19> kDropped = {
      "javascript", "mailto", ".mpg", ".js",  ".mpeg", ".swf", ".avi", ".jpg", ".jpeg", ".gif",
      ".bmp",       ".mov",   ".rm",  ".mp3", ".wav",  ".ra",  ".pdf", ".css", "#"};
  const std::string lower = Lower(link);
  for (std::string_view text : kDropped)
    if (lower.find(text) != std::string::npos) return true;
  return false;
}

// The first "href=" in any letter case, without copying the line: most lines have none. The
// search is for the "=" (memchr, far rarer in a page than an "h") and looks back from it; the
// first "=" with "href" before it ends the first "href=".
std::size_t FindHref(std::string_view line) {
  constexpr std::size_t kName = kHref.size() - 1;
  for (std::size_t at = line.find('=', kName); at != std::string_view::npos;
       at = line.find('=', at + 1)) {
    bool match = true;
    for (std::size_t k = 0; k < kName && match; ++k)
      match = AsciiLower(line[at - kName + k]) == kHref[k];
    if (match) return at - kName;
  }
  return std::string_view::npos;
}

std::optional<std::string> ExtractLineLink(std::string_view line) {
  const std::size_t start = FindHref(line);
  if (start == std::string_view::npos) return std::nullopt;
  // A quote or an apostrophe right after "href=" is dropped. Each removal takes the last
  // character of its pattern, so removing over a head of the line gives a head of what removing
  // over the whole line gives: once the link's end is inside it, the rest of a long line (a
  // page on one line) need not be looked at.
  const std::string_view tail = line.substr(start);
  std::string rest;
  std::size_t end = std::string::npos;
  for (std::size_t head = 256;; head *= 2) {
    rest = RemoveQuotesAfterHref(tail.substr(0, head));
    end = rest.find_first_of("'\">", kHref.size());
    if (end != std::string::npos || head >= tail.size()) break;
  }
  std::string link =
      rest.substr(kHref.size(), end == std::string::npos ? std::string::npos : end - kHref.size());
  link = ReplaceAllIgnoringCase(link, kHref, "");
  if (LinkFilterDrops(link)) return std::nullopt;
  return link;
}

}  // namespace norvane
