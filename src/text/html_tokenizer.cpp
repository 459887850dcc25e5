#include "text/html_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "text/entity_decoder.h"
#include "text/packed_name.h"

namespace norvane {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAsciiAlphanumeric(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c);
}

bool IsHexDigit(char c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The white space of HTML: tab, line feed, form feed, carriage return, space.
bool IsHtmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t k = 0; k < text.size(); ++k)
    if (LowerAscii(text[k]) != lower[k]) return false;
  return true;
}

void AppendCodePoint(unsigned long code, std::string& out) {
  if (code < 0x100) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The text a named reference stands for, or an empty text for a name it does not know. The
// project's decoder knows the Latin-1 names, which are also the ones HTML5 reads without ";".
std::string NamedReference(std::string_view name) {
  if (name.empty() || !IsAsciiLetter(name.front())) return {};
  // The text converter leaves quotation marks out on purpose; here they are the character.
  if (EqualsIgnoringCase(name, "quot")) return "\"";
  return DecodeEntity(name);
}

// The longest name the decoder knows is six letters ("plusmn"); longer runs are looked up only
// when a ";" ends them.
constexpr std::size_t kLongestBareName = 6;

// Decodes the reference at text[at] == '&' into out; returns where reading goes on.
std::size_t DecodeReferenceAt(std::string_view text, std::size_t at, bool inAttribute,
                              std::string& out) {
  std::size_t p = at + 1;
  if (p < text.size() && text[p] == '#') {
    ++p;
    const bool hex = p < text.size() && (text[p] == 'x' || text[p] == 'X');
    if (hex) ++p;
    const std::size_t digits = p;
    unsigned long code = 0;
    while (p < text.size() && (hex ? IsHexDigit(text[p]) : IsAsciiDigit(text[p]))) {
      const char c = text[p];
      const unsigned digit =
          IsAsciiDigit(c) ? unsigned(c - '0') : unsigned(LowerAscii(c) - 'a' + 10);
      code = std::min(code * (hex ? 16 : 10) + digit, 0x110000ul);  // beyond stays beyond
      ++p;
    }
    if (p == digits) {  // "&#" or "&#x" without digits is no reference
      out += '&';
      return at + 1;
    }
    if (p < text.size() && text[p] == ';') ++p;
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    AppendCodePoint(code, out);
    return p;
  }
  std::size_t end = p;
  while (end < text.size() && end - p < 32 && IsAsciiAlphanumeric(text[end])) ++end;
  const std::string_view run = text.substr(p, end - p);
  if (end < text.size() && text[end] == ';') {
    std::string decoded = NamedReference(run);
    if (EqualsIgnoringCase(run, "apos")) decoded = "'";
    if (!decoded.empty()) {
      out += decoded;
      return end + 1;
    }
  } else if (inAttribute) {
    // Only the whole run, and not before "=": "&copy=2" in a link is a query, not a sign.
    const bool followedByEquals = end < text.size() && text[end] == '=';
    if (!followedByEquals && run.size() <= kLongestBareName) {
      const std::string decoded = NamedReference(run);
      if (!decoded.empty()) {
        out += decoded;
        return end;
      }
    }
  } else {
    for (std::size_t size = std::min(run.size(), kLongestBareName); size >= 2; --size) {
      const std::string decoded = NamedReference(run.substr(0, size));
      if (!decoded.empty()) {
        out += decoded;
        return p + size;
      }
    }
  }
  out += '&';
  return at + 1;
}

// Elements whose contents the tokenizer does not read as markup.
enum class Contents { Markup, RawText, EscapedText, Plaintext };

Contents ContentsOf(std::string_view name) {
  static constexpr std::array<std::string_view, 6> kRaw = {"script", "style",   "xmp",
                                                           "iframe", "noembed", "noframes"};
  if (std::find(kRaw.begin(), kRaw.end(), name) != kRaw.end()) return Contents::RawText;
  if (name == "title" || name == "textarea") return Contents::EscapedText;
  if (name == "plaintext") return Contents::Plaintext;
  return Contents::Markup;
}

bool IsForeignRoot(std::string_view name) {
  return name == "svg" || name == "math";
}

}  // namespace

const HtmlAttribute* HtmlToken::attribute(std::string_view attributeName) const {
  for (const HtmlAttribute& a : attributes)
    if (a.name == attributeName) return &a;
  return nullptr;
}

void AppendDecodedCharacterReferences(std::string_view text, bool inAttribute, std::string& out) {
  std::size_t from = 0;
  for (std::size_t amp = text.find('&'); amp != kNone; amp = text.find('&', from)) {
    out.append(text.substr(from, amp - from));
    from = DecodeReferenceAt(text, amp, inAttribute, out);
  }
  out.append(text.substr(from));
}

std::string DecodeCharacterReferences(std::string_view text, bool inAttribute) {
  std::string out;
  out.reserve(text.size());
  AppendDecodedCharacterReferences(text, inAttribute, out);
  return out;
}

namespace {

}  // namespace

bool IsBlockElement(std::string_view name) {
  // Asked of every tag of a page, twice: the short names are searched as numbers.
  static constexpr auto kPacked = [] {
    constexpr std::string_view kBlocks[] = {
        "address", "article", "aside",  "body", "br",     "caption", "center",  "dd",
        "details", "dialog",  "dir",    "div",  "dl",     "dt",      "figure",  "footer",
        "form",    "h1",      "h2",     "h3",   "h4",     "h5",      "h6",      "head",
        "header",  "hgroup",  "hr",     "html", "legend", "li",      "main",    "menu",
        "nav",     "ol",      "option", "p",    "pre",    "section", "summary", "table",
        "tbody",   "td",      "tfoot",  "th",   "thead",  "title",   "tr",      "ul"};
    std::array<std::uint64_t, std::size(kBlocks)> packed{};
    for (std::size_t k = 0; k < packed.size(); ++k) packed[k] = PackedName(kBlocks[k]);
    std::sort(packed.begin(), packed.end());
    return packed;
  }();
  if (name.size() > 7)
    return name == "blockquote" || name == "fieldset" || name == "figcaption" || name == "frameset";
  return std::binary_search(kPacked.begin(), kPacked.end(), PackedName(name));
}

HtmlTokenizer::HtmlTokenizer(std::string_view page) : m_page(page) {}

bool HtmlTokenizer::next() {
  m_token = HtmlToken{};
  if (!m_specialElement.empty() && readSpecialContents()) return true;
  while (m_pos < m_page.size()) {
    const std::size_t lt = m_page.find('<', m_pos);
    if (lt != m_pos) {
      emitText(m_pos, lt == kNone ? m_page.size() : lt, true);
      return true;
    }
    if (readMarkup()) return true;
  }
  return false;
}

void HtmlTokenizer::emitText(std::size_t from, std::size_t to, bool decode) {
  const std::string_view raw = m_page.substr(from, to - from);
  m_token.kind = HtmlTokenKind::Text;
  m_token.offset = from;
  m_pos = to;
  if (!decode || raw.find('&') == kNone) {
    m_token.text = raw;
    return;
  }
  m_text.clear();
  AppendDecodedCharacterReferences(raw, false, m_text);
  m_token.text = m_text;
}

// At a "<": a tag, a comment or the like, or a "<" that is text. True when a token was made.
bool HtmlTokenizer::readMarkup() {
  const std::size_t at = m_pos;
  const char c = at + 1 < m_page.size() ? m_page[at + 1] : '\0';
  if (IsAsciiLetter(c)) return readTag(false);
  if (c == '/') {
    const char d = at + 2 < m_page.size() ? m_page[at + 2] : '\0';
    if (IsAsciiLetter(d)) return readTag(true);
    if (d == '>') {  // "</>" is dropped
      m_pos = at + 3;
      return false;
    }
    if (at + 2 >= m_page.size()) {
      emitText(at, m_page.size(), false);
      return true;
    }
    skipBogusComment();
    return false;
  }
  if (c == '!') {
    if (m_page.compare(at + 2, 2, "--") == 0) {
      skipComment();
      return false;
    }
    if (m_foreignDepth > 0 && m_page.compare(at + 2, 7, "[CDATA[") == 0) {
      const std::size_t from = at + 9;
      const std::size_t end = m_page.find("]]>", from);
      emitText(from, end == kNone ? m_page.size() : end, false);
      m_token.offset = at;
      m_pos = end == kNone ? m_page.size() : end + 3;
      return !m_token.text.empty();
    }
    skipBogusComment();
    return false;
  }
  if (c == '?') {
    skipBogusComment();
    return false;
  }
  // A "<" that opens nothing is text, with whatever follows up to the next "<".
  const std::size_t next = m_page.find('<', at + 1);
  emitText(at, next == kNone ? m_page.size() : next, true);
  return true;
}

void HtmlTokenizer::skipBogusComment() {
  const std::size_t gt = m_page.find('>', m_pos);
  m_pos = gt == kNone ? m_page.size() : gt + 1;
}

// "<!--" up to "-->" or "--!>"; "<!-->" and "<!--->" are whole comments.
void HtmlTokenizer::skipComment() {
  std::size_t p = m_pos + 4;
  if (m_page.compare(p, 1, ">") == 0) {
    m_pos = p + 1;
    return;
  }
  if (m_page.compare(p, 2, "->") == 0) {
    m_pos = p + 2;
    return;
  }
  for (p = m_page.find("--", p); p != kNone; p = m_page.find("--", p + 1)) {
    if (m_page.compare(p + 2, 1, ">") == 0) {
      m_pos = p + 3;
      return;
    }
    if (m_page.compare(p + 2, 2, "!>") == 0) {
      m_pos = p + 4;
      return;
    }
  }
  m_pos = m_page.size();
}

bool HtmlTokenizer::readTag(bool end) {
  const std::size_t at = m_pos;
  std::size_t p = at + (end ? 2 : 1);
  m_name.clear();
  while (p < m_page.size() && !IsHtmlSpace(m_page[p]) && m_page[p] != '/' && m_page[p] != '>')
    m_name += LowerAscii(m_page[p++]);
  m_pos = p;
  m_attributeCount = 0;
  m_token.selfClosing = false;
  readAttributes(!end && (!m_keepAttributesOf || m_keepAttributesOf(m_name)));
  if (m_pos > m_page.size()) {  // cut off by the end of the page: dropped
    m_pos = m_page.size();
    return false;
  }
  m_token.kind = end ? HtmlTokenKind::EndTag : HtmlTokenKind::StartTag;
  m_token.name = m_name;
  m_token.offset = at;
  if (end) {
    if (m_foreignDepth > 0 && IsForeignRoot(m_name)) --m_foreignDepth;
    return true;
  }
  m_token.attributes = std::span<const HtmlAttribute>(m_attributes.data(), m_attributeCount);
  if (m_foreignDepth > 0 || IsForeignRoot(m_name)) {
    if (IsForeignRoot(m_name) && !m_token.selfClosing) ++m_foreignDepth;
  } else if (ContentsOf(m_name) != Contents::Markup) {
    m_specialElement = m_name;
  }
  return true;
}

// The attributes from m_pos to the tag's ">", which m_pos ends after; beyond the page's end when
// the page ends first. Kept only when `keep`.
void HtmlTokenizer::readAttributes(bool keep) {
  const std::string_view page = m_page;
  std::size_t p = m_pos;
  for (;;) {
    while (p < page.size() && IsHtmlSpace(page[p])) ++p;
    if (p >= page.size()) break;
    if (page[p] == '>') {
      m_pos = p + 1;
      return;
    }
    if (page[p] == '/') {
      ++p;
      if (p < page.size() && page[p] == '>') {
        m_token.selfClosing = true;
        m_pos = p + 1;
        return;
      }
      continue;
    }
    // The name: a first "=" belongs to it, as do quotes and "<".
    const std::size_t nameStart = p++;
    while (p < page.size() && !IsHtmlSpace(page[p]) && page[p] != '/' && page[p] != '>' &&
           page[p] != '=')
      ++p;
    const std::string_view name = page.substr(nameStart, p - nameStart);
    while (p < page.size() && IsHtmlSpace(page[p])) ++p;
    std::string_view value;
    bool hasValue = false;
    if (p < page.size() && page[p] == '=') {
      ++p;
      while (p < page.size() && IsHtmlSpace(page[p])) ++p;
      if (p >= page.size()) break;
      if (page[p] == '"' || page[p] == '\'') {
        const std::size_t close = page.find(page[p], p + 1);
        if (close == kNone) break;
        value = page.substr(p + 1, close - p - 1);
        p = close + 1;
      } else if (page[p] != '>') {
        const std::size_t valueStart = p;
        while (p < page.size() && !IsHtmlSpace(page[p]) && page[p] != '>') ++p;
        value = page.substr(valueStart, p - valueStart);
      }
      hasValue = true;
    }
    if (!keep) continue;
    if (m_attributeCount == m_attributes.size()) m_attributes.emplace_back();
    HtmlAttribute& attribute = m_attributes[m_attributeCount];
    attribute.name.assign(name);
    for (char& c : attribute.name) c = LowerAscii(c);
    bool repeated = false;
    for (std::size_t k = 0; k < m_attributeCount && !repeated; ++k)
      repeated = m_attributes[k].name == attribute.name;
    if (repeated) continue;
    attribute.value.clear();
    if (hasValue) AppendDecodedCharacterReferences(value, true, attribute.value);
    ++m_attributeCount;
  }
  m_pos = page.size() + 1;
}

// The contents of the element m_specialElement, up to its end tag, as one token; false when
// they are empty.
bool HtmlTokenizer::readSpecialContents() {
  const std::string element = std::move(m_specialElement);
  m_specialElement.clear();
  const Contents contents = ContentsOf(element);
  const std::size_t from = m_pos;
  std::size_t end = m_page.size();
  if (contents != Contents::Plaintext) {
    for (std::size_t lt = m_page.find("</", from); lt != kNone; lt = m_page.find("</", lt + 1)) {
      const std::size_t after = lt + 2 + element.size();
      if (after >= m_page.size()) break;
      if (!EqualsIgnoringCase(m_page.substr(lt + 2, element.size()), element)) continue;
      const char c = m_page[after];
      if (IsHtmlSpace(c) || c == '/' || c == '>') {
        end = lt;
        break;
      }
    }
  }
  if (end == from) return false;
  if (contents == Contents::EscapedText) {
    emitText(from, end, true);
  } else {
    emitText(from, end, false);
    m_token.kind = HtmlTokenKind::RawText;
  }
  m_name = element;
  m_token.name = m_name;
  return true;
}

}  // namespace norvane
