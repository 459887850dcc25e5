#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// An attribute of a start tag: its name in lower case, its value with character references
// decoded. An attribute written without a value has an empty one.
struct HtmlAttribute {
  std::string name;
  std::string value;
};

enum class HtmlTokenKind {
  StartTag,  // name, attributes, selfClosing
  EndTag,    // name
  Text,      // text, references decoded: what a reader of the page sees (or a title's words)
  RawText,   // text as written: the contents of a script, style, iframe, xmp... named by `name`
};

// One token. Its views point into the page or into the tokenizer and stay valid until the next
// call of HtmlTokenizer::next().
struct HtmlToken {
  HtmlTokenKind kind = HtmlTokenKind::Text;
  // A tag's name in lower case; for RawText, and for the Text of a title or textarea, the
  // element whose contents it is (empty for other text).
  std::string_view name;
  std::string_view text;
  // In the order written; an attribute named again in the same tag is dropped, as browsers do.
  std::span<const HtmlAttribute> attributes;
  bool selfClosing = false;  // "<br/>"
  std::size_t offset = 0;    // where the token begins in the page

  // The tag's attribute of that lower-case name, or null.
  const HtmlAttribute* attribute(std::string_view attributeName) const;
};

// Reads a page (bytes, Windows-1252 or UTF-8) into tags and text as an HTML5 browser's
// tokenizer does, without building a tree: comments, doctypes, processing instructions and
// CDATA sections are skipped; script, style, iframe, xmp, noembed and noframes hold raw text
// (markup inside them is no markup); title and textarea hold text in which references are
// decoded but tags are not read; after plaintext everything is raw text. Inside svg and math a
// CDATA section is text and script and style are ordinary elements. Noscript is read as markup,
// as a browser without scripts reads it. Broken markup never stops it: a tag cut off by the end
// of the page is dropped, a stray "<" is text.
//
// Not done: the tree builder's corrections (implied and misnested tags) and the escaped states
// of old scripts that hide "</script>" inside "<!-- -->".
class HtmlTokenizer {
 public:
  explicit HtmlTokenizer(std::string_view page);

  // Start tags of elements the filter turns down come without their attributes, which spares
  // a caller that reads only some elements (the links of a page) copying all the others'.
  using ElementFilter = bool (*)(std::string_view name);
  void keepAttributesOnlyOf(ElementFilter wanted) { m_keepAttributesOf = wanted; }

  // The next token into token(); false at the end of the page.
  bool next();
  const HtmlToken& token() const { return m_token; }

 private:
  bool readMarkup();
  bool readTag(bool end);
  void readAttributes(bool keep);
  void skipBogusComment();
  void skipComment();
  void emitText(std::size_t from, std::size_t to, bool decode);
  bool readSpecialContents();

  std::string_view m_page;
  std::size_t m_pos = 0;
  HtmlToken m_token;
  std::string m_name;
  std::string m_text;
  std::vector<HtmlAttribute> m_attributes;  // reused from tag to tag
  std::size_t m_attributeCount = 0;
  // After the start tag of an element with raw or escaped contents: its name, until they are read.
  std::string m_specialElement;
  int m_foreignDepth = 0;  // open svg and math elements
  ElementFilter m_keepAttributesOf = nullptr;
};

// Decodes the character references of a text as HTML5 does: "&amp;", "&#38;", "&#x26;" and the
// Latin-1 names, the numeric and the Latin-1 ones also without ";". In an attribute value
// (inAttribute) a name without ";" followed by a letter, digit or "=" stays as written, so that
// "?a=1&copy=2" keeps its query. Codes up to 255 give their byte, higher ones their UTF-8 bytes.
std::string DecodeCharacterReferences(std::string_view text, bool inAttribute);
void AppendDecodedCharacterReferences(std::string_view text, bool inAttribute, std::string& out);

// Whether an element (lower-case name) starts a new block of text on the screen, such as p, div,
// li, td or br; inline ones (a, span, b) run on in the same line.
bool IsBlockElement(std::string_view name);

}  // namespace norvane
