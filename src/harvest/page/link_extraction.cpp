#include "harvest/page/link_extraction.h"

#include <QByteArrayView>
#include <QUtf8StringView>

#include <algorithm>
#include <array>
#include <cstdint>

#include "harvest/ascii_text.h"
#include "text/html_tokenizer.h"
#include "text/packed_name.h"

namespace norvane {
namespace {

constexpr std::string_view kHref = "href=";

using ascii::Lower;

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

// The first occurrence of a lower-case pattern at or after `from`, letter case ignored.
std::size_t FindIgnoringCase(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.empty() || text.size() < pattern.size()) return std::string_view::npos;
  const char first = pattern.front();
  const char firstUpper = ascii::Upper(first);
  for (std::size_t at = from; at + pattern.size() <= text.size(); ++at) {
    if (text[at] != first && text[at] != firstUpper) continue;
    std::size_t k = 1;
    while (k < pattern.size() && Lower(text[at + k]) == pattern[k]) ++k;
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

bool IsUrlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// As a browser reads a link's text: tabs and line breaks inside it removed, the fragment cut off,
// and spaces around what is left trimmed (a space before the "#" is not sent either).
std::string LinkAsRead(std::string_view value) {
  value = value.substr(0, value.find('#'));
  while (!value.empty() && IsUrlSpace(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsUrlSpace(value.back())) value.remove_suffix(1);
  std::string link;
  link.reserve(value.size());
  for (std::size_t from = 0; from < value.size();) {
    std::size_t to = from;
    while (to < value.size() && value[to] != '\t' && value[to] != '\n' && value[to] != '\r') ++to;
    link.append(value.substr(from, to - from));
    from = to + 1;
  }
  return link;
}

// Whether a rel attribute's space-separated words hold "nofollow", letter case ignored.
bool SaysNofollow(std::string_view rel) {
  const std::string lower = Lowered(rel);
  for (std::size_t at = lower.find("nofollow"); at != std::string::npos;
       at = lower.find("nofollow", at + 1)) {
    const bool startsWord = at == 0 || IsUrlSpace(lower[at - 1]);
    const std::size_t end = at + 8;
    if (startsWord && (end == lower.size() || IsUrlSpace(lower[end]))) return true;
  }
  return false;
}

// The attribute holding the link of an element, or null for an element that has none.
const char* LinkAttributeOf(std::string_view element) {
  if (element == "a" || element == "area" || element == "base") return "href";
  if (element == "frame" || element == "iframe") return "src";
  return nullptr;
}

// The scheme of a link in lower case ("http", "mailto"), empty when it names none: a letter,
// then letters, digits, "+", "-" or "." up to a ":".
std::string SchemeOf(std::string_view link) {
  if (link.empty() || !ascii::IsAlpha(link[0])) return {};
  for (std::size_t k = 1; k < link.size(); ++k) {
    const char c = link[k];
    if (c == ':') return Lowered(link.substr(0, k));
    if (!ascii::IsAlnum(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return {};
}

// The path of a link: without its scheme and host when it names them, up to its query.
std::string_view PathOf(std::string_view link, bool hasScheme) {
  link = link.substr(0, std::find_if(link.begin(), link.end(), [](char c) {
                          return c == '?' || c == '#';
                        }) - link.begin());
  if (hasScheme) link.remove_prefix(link.find(':') + 1);
  if (link.starts_with("//")) {
    const std::size_t slash = link.find('/', 2);
    return slash == std::string_view::npos ? std::string_view{} : link.substr(slash);
  }
  return link;
}

bool NamesAFileThatIsNoPage(std::string_view path) {
  // Sorted numbers, so that each link's extension is found in a few compares: asked of every link
  // of every page, a walk through the list of texts cost more than resolving the link.
  static constexpr auto kExtensions = [] {
    constexpr std::string_view kNames[] = {
        // images
        "jpg", "jpeg", "png", "gif", "bmp", "webp", "svg", "svgz", "ico", "tif", "tiff", "avif",
        "heic",
        // style sheets and scripts
        "css", "js", "mjs",
        // media
        "mp3", "mp4", "m4a", "m4v", "wav", "avi", "mov", "mpg", "mpeg", "wmv", "wma", "flv", "swf",
        "ogg", "ogv", "oga", "webm", "mkv", "aac", "flac", "ra", "rm", "ram", "mid", "midi", "3gp",
        // fonts
        "woff", "woff2", "ttf", "otf", "eot",
        // archives and programs
        "zip", "rar", "7z", "gz", "tgz", "tar", "bz2", "xz", "exe", "msi", "dmg", "apk", "deb",
        "rpm", "iso", "jar",
        // documents
        "pdf", "doc", "docx", "xls", "xlsx", "ppt", "pptx"};
    std::array<std::uint64_t, std::size(kNames)> packed{};
    for (std::size_t k = 0; k < packed.size(); ++k) packed[k] = PackedName(kNames[k]);
    std::sort(packed.begin(), packed.end());
    return packed;
  }();
  constexpr std::size_t kLongest = 5;
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot - 1 > kLongest) return false;
  char lower[kLongest];
  const std::size_t length = name.size() - dot - 1;
  for (std::size_t k = 0; k < length; ++k) lower[k] = Lower(name[dot + 1 + k]);
  return std::binary_search(kExtensions.begin(), kExtensions.end(),
                            PackedName(std::string_view(lower, length)));
}

}  // namespace

bool LinkFilterDrops(std::string_view link) {
  static constexpr std::array<std::string_view, 19> kDropped = {
      "javascript", "mailto", ".mpg", ".js",  ".mpeg", ".swf", ".avi", ".jpg", ".jpeg", ".gif",
      ".bmp",       ".mov",   ".rm",  ".mp3", ".wav",  ".ra",  ".pdf", ".css", "#"};
  const std::string lower = Lowered(link);
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
      match = Lower(line[at - kName + k]) == kHref[k];
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

PageLinks ExtractPageLinks(std::string_view page, bool followNofollow) {
  PageLinkReader reader(followNofollow);
  HtmlTokenizer tokenizer(page);
  tokenizer.keepAttributesOnlyOf(
      [](std::string_view element) { return LinkAttributeOf(element) != nullptr; });
  while (tokenizer.next()) reader.read(tokenizer.token());
  return reader.finish();
}

void PageLinkReader::endAnchor() {
  if (m_anchor != kNone && m_out.links[m_anchor].text.empty())
    m_out.links[m_anchor].text = m_anchorTitle.substr(0, kLinkTextMax);
  m_anchor = kNone;
}

void PageLinkReader::readAnchorText(std::string_view tokenText) {
  std::string& text = m_out.links[m_anchor].text;
  for (const char c : tokenText) {
    if (text.size() >= kLinkTextMax) break;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
      m_spaceDue = true;
    } else {
      if (m_spaceDue && !text.empty()) text += ' ';
      m_spaceDue = false;
      text += c;
    }
  }
}

void PageLinkReader::read(const HtmlToken& token) {
  if (token.name == "template") {
    if (token.kind == HtmlTokenKind::StartTag) ++m_templateDepth;
    if (token.kind == HtmlTokenKind::EndTag && m_templateDepth > 0) --m_templateDepth;
    return;
  }
  if (m_templateDepth > 0) return;
  if (token.kind == HtmlTokenKind::Text && token.name.empty() && m_anchor != kNone)
    return readAnchorText(token.text);
  if (token.name == "a" && token.kind != HtmlTokenKind::Text) endAnchor();
  if (token.kind == HtmlTokenKind::StartTag || token.kind == HtmlTokenKind::EndTag)
    m_spaceDue = true;  // the words either side of a tag inside a link stay apart
  if (token.kind != HtmlTokenKind::StartTag) return;
  const char* attributeName = LinkAttributeOf(token.name);
  if (!attributeName) return;
  const HtmlAttribute* attribute = token.attribute(attributeName);
  if (!attribute) return;
  if (token.name == "base") {
    if (!m_baseSeen) m_out.base = LinkAsRead(attribute->value);
    m_baseSeen = true;
    return;
  }
  if (!m_followNofollow) {
    const HtmlAttribute* rel = token.attribute("rel");
    if (rel && SaysNofollow(rel->value)) return;
  }
  std::string link = LinkAsRead(attribute->value);
  if (link.empty()) return;
  m_out.links.push_back({std::move(link), token.offset, {}});
  if (token.name == "a") {
    m_anchor = m_out.links.size() - 1;
    const HtmlAttribute* title = token.attribute("title");
    m_anchorTitle = title ? title->value : std::string();
    m_spaceDue = false;
  }
}

PageLinks PageLinkReader::finish() {
  endAnchor();
  return std::move(m_out);
}

QString ShownLinkText(const std::string& bytes) {
  const QByteArrayView raw(bytes.data(), qsizetype(bytes.size()));
  return QUtf8StringView(raw).isValidUtf8() ? QString::fromUtf8(raw) : QString::fromLatin1(raw);
}

bool PageLinkFilterDrops(std::string_view link) {
  const std::string scheme = SchemeOf(link);
  if (!scheme.empty() && scheme != "http" && scheme != "https") return true;
  return NamesAFileThatIsNoPage(PathOf(link, !scheme.empty()));
}

std::vector<PageLink> TakenPageLinks(std::string_view page, bool followNofollow) {
  std::vector<PageLink> links = ExtractPageLinks(page, followNofollow).links;
  std::erase_if(links, [](const PageLink& l) { return PageLinkFilterDrops(l.link); });
  return links;
}

}  // namespace norvane
