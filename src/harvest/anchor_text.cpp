#include "harvest/anchor_text.h"

#include <QByteArray>
#include <QUtf8StringView>
#include <algorithm>
#include <string>

namespace norvane {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool ClosesAnchor(std::string_view page, std::size_t at) {
  return at + 3 <= page.size() && page[at] == '<' && page[at + 1] == '/' &&
         Lower(page[at + 2]) == 'a' &&
         (at + 3 == page.size() || page[at + 3] == '>' || IsSpace(page[at + 3]));
}

// The value of title="..." in a tag, if it has one.
std::string TitleOf(std::string_view tag) {
  std::string lower(tag);
  for (char& c : lower) c = Lower(c);
  const std::size_t at = lower.find("title=");
  if (at == std::string::npos || at + 6 >= tag.size()) return {};
  const char quote = tag[at + 6];
  if (quote != '"' && quote != '\'') return {};
  const std::size_t end = tag.find(quote, at + 7);
  return std::string(tag.substr(at + 7, end == std::string_view::npos ? 0 : end - at - 7));
}

QString Decoded(const std::string& bytes) {
  const QByteArray raw = QByteArray::fromStdString(bytes);
  return QUtf8StringView(raw).isValidUtf8() ? QString::fromUtf8(raw) : QString::fromLatin1(raw);
}

}  // namespace

QString AnchorTextAt(std::string_view page, std::size_t tagOffset) {
  const std::size_t tagEnd = page.find('>', tagOffset);
  if (tagEnd == std::string_view::npos) return QString();
  std::string text;
  bool inTag = false;
  bool space = false;
  // The text of a link is short; a link never closed stops here rather than at the page's end.
  const std::size_t stop = std::min(page.size(), tagEnd + 1 + 16 * kAnchorTextMax);
  for (std::size_t at = tagEnd + 1; at < stop && text.size() < kAnchorTextMax; ++at) {
    const char c = page[at];
    if (!inTag && ClosesAnchor(page, at)) break;
    if (c == '<') inTag = true;
    if (inTag) {
      if (c == '>') inTag = false;
      space = true;
      continue;
    }
    if (IsSpace(c)) {
      space = true;
      continue;
    }
    if (space && !text.empty()) text += ' ';
    space = false;
    text += c;
  }
  if (text.empty()) text = TitleOf(page.substr(tagOffset, tagEnd - tagOffset));
  return Decoded(text);
}

}  // namespace norvane
