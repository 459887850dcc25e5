#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "harvest/ascii_text.h"
#include "harvest/faxes/fax_labels.h"
#include "harvest/faxes/phone_numbers.h"
#include "harvest/faxes/thorough_fax_scan.h"
#include "text/html_tokenizer.h"

namespace norvane {

namespace {

// What markup alone says of a number: put into the text as a reader would read the icon.
constexpr std::string_view kFaxLabel = " Fax: ";
// Digits of the shortest number a link's text may show.
constexpr std::ptrdiff_t kShortestNumber = 7;

// Windows-1252 bytes 0x80 to 0x9F as code points (0 for the five unused ones).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = (lead & 0xE0) == 0xC0   ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0;
  if (length == 0 || lead == 0xC0 || lead == 0xC1 || at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

unsigned CodePointOf(std::string_view sequence) {
  unsigned code = static_cast<unsigned char>(sequence[0]) & (0x7Fu >> sequence.size());
  for (std::size_t k = 1; k < sequence.size(); ++k)
    code = (code << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3Fu);
  return code;
}

void AppendUtf8(unsigned code, std::string& out) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Appends one character, with the spaces and dashes of typesetting written as a plain space or
// hyphen, so that labels and numbers read the same whichever a page uses. Runs of white space
// become one space, as a browser shows them.
void AppendCharacter(unsigned code, std::string& out) {
  if (code == ' ' || code == 0xA0 || (code >= 0x2000 && code <= 0x200A) || code == 0x202F ||
      code == 0x3000 || code == '\t' || code == '\r' || code == '\n' || code == '\f') {
    if (!out.empty() && out.back() != ' ') out.push_back(' ');
  } else if ((code >= 0x2010 && code <= 0x2015) || code == 0x2212) {
    out.push_back('-');
  } else if (code == 0xAD || code == 0x200B || code == 0x200C || code == 0x200D || code == 0xFEFF) {
    // invisible
  } else {
    AppendUtf8(code, out);
  }
}

// The named references of typesetting's dashes and spaces, which the page's decoding (Latin-1
// names only) leaves as written.
std::size_t TypesettingReference(std::string_view text, std::size_t at, std::string& out) {
  static constexpr std::pair<std::string_view, char> kReferences[] = {
      {"&ndash;", '-'}, {"&mdash;", '-'},  {"&minus;", '-'},  {"&hyphen;", '-'},
      {"&dash;", '-'},  {"&thinsp;", ' '}, {"&ensp;", ' '},   {"&emsp;", ' '},
      {"&numsp;", ' '}, {"&puncsp;", ' '}, {"&hairsp;", ' '}, {"&NonBreakingSpace;", ' '}};
  for (const auto& [reference, character] : kReferences) {
    if (text.substr(at, reference.size()) == reference) {
      AppendCharacter(static_cast<unsigned char>(character), out);
      return reference.size();
    }
  }
  return 0;
}

// Page text is UTF-8 or Windows-1252, and a decoded reference gives its Latin-1 byte even in a
// UTF-8 page: each byte that opens no UTF-8 sequence is read as Windows-1252.
void AppendText(std::string_view text, std::string& out) {
  // Plain ASCII letters and signs, most of any page, go in as a run, single spaces between
  // words included: a character at a time cost a tenth of the crawl's CPU per page.
  static constexpr auto kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = '!'; c < 0x80; ++c) plain[c] = c != '&';
    return plain;
  }();
  const auto plainAt = [&text](std::size_t at) {
    return at < text.size() && kPlain[static_cast<unsigned char>(text[at])];
  };
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (kPlain[byte]) {
      std::size_t end = at + 1;
      while (true) {
        while (plainAt(end)) ++end;
        if (!(end < text.size() && text[end] == ' ' && plainAt(end + 1))) break;
        end += 2;
      }
      out.append(text, at, end - at);
      at = end;
    } else if (byte == ' ') {
      if (!out.empty() && out.back() != ' ') out.push_back(' ');
      ++at;
    } else if (byte == '&') {
      const std::size_t length = TypesettingReference(text, at, out);
      if (length == 0) out.push_back('&');
      at += length == 0 ? 1 : length;
    } else if (byte < 0x80) {
      AppendCharacter(byte, out);
      ++at;
    } else if (const std::size_t length = Utf8SequenceLength(text, at)) {
      AppendCharacter(CodePointOf(text.substr(at, length)), out);
      at += length;
    } else {
      const unsigned code = byte < 0xA0 ? kWindows1252[byte - 0x80] : byte;
      if (code != 0) AppendCharacter(code, out);
      ++at;
    }
  }
}

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
  if (word.size() > text.size()) return false;
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    if (ascii::EqualsIgnoringCase(text.substr(at, word.size()), word)) return true;
  }
  return false;
}

// "%20" and the like in a link's target.
std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    using ascii::HexValue;
    if (text[at] == '%' && at + 2 < text.size() && HexValue(text[at + 1]) >= 0 &&
        HexValue(text[at + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[at + 1]) * 16 + HexValue(text[at + 2])));
      at += 2;
    } else {
      out.push_back(text[at]);
    }
  }
  return out;
}

// The values of every "faxNumber" key of a JSON-LD script: a string, or an array of strings.
void ReadJsonFaxNumbers(std::string_view json, std::vector<std::string>& numbers) {
  constexpr std::string_view kKey = "faxnumber\"";
  for (std::size_t at = 0; at + kKey.size() <= json.size(); ++at) {
    if (!ascii::EqualsIgnoringCase(json.substr(at, kKey.size()), kKey)) continue;
    std::size_t pos = at + kKey.size();
    while (pos < json.size() && (ascii::IsBlank(json[pos]) || json[pos] == ':' ||
                                 json[pos] == '\n' || json[pos] == '\r'))
      ++pos;
    const bool list = pos < json.size() && json[pos] == '[';
    const std::size_t stop = list ? json.find(']', pos) : std::string_view::npos;
    while (pos < json.size() && (stop == std::string_view::npos || pos < stop)) {
      const std::size_t open = json.find('"', pos);
      if (open == std::string_view::npos || (stop != std::string_view::npos && open > stop)) break;
      if (!list &&
          json.substr(pos, open - pos).find_first_not_of(" \t\r\n:") != std::string_view::npos)
        break;
      const std::size_t close = json.find('"', open + 1);
      if (close == std::string_view::npos) break;
      numbers.emplace_back(json.substr(open + 1, close - open - 1));
      pos = close + 1;
      if (!list) break;
    }
    at = pos > at ? pos - 1 : at;
  }
}

bool NamesFax(std::string_view value) {
  std::string text;
  AppendText(value, text);
  return MentionOfFax(text) == FaxMention::Label;
}

// "fax" as a word or a part of a class name ("fax", "fa-fax", "icon-fax", "contact_fax").
bool ClassNamesFax(std::string_view classes) {
  return ContainsIgnoringCase(classes, "fax") && !ContainsIgnoringCase(classes, "fairfax") &&
         !ContainsIgnoringCase(classes, "halifax");
}

bool IsFaxProperty(std::string_view name) {
  // "faxNumber" (schema.org, also with a prefix "schema:"), "og:fax_number", vCard's "fax".
  const std::size_t colon = name.rfind(':');
  const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
  return ascii::EqualsIgnoringCase(local, "faxnumber") ||
         ascii::EqualsIgnoringCase(local, "fax_number") || ascii::EqualsIgnoringCase(local, "fax");
}

class PageTextReader {
 public:
  FaxPageText read(std::string_view html, const std::function<void(const HtmlToken&)>& alsoRead) {
    HtmlTokenizer tokenizer(html);
    while (tokenizer.next()) {
      const HtmlToken& token = tokenizer.token();
      if (alsoRead) alsoRead(token);
      switch (token.kind) {
        case HtmlTokenKind::Text:
          if (m_inTitle) break;
          AppendText(token.text, m_block);
          if (m_link) AppendText(token.text, m_link->text);
          break;
        case HtmlTokenKind::RawText:
          if (token.name == "script" && m_jsonLd) readJsonLd(token.text);
          break;
        case HtmlTokenKind::StartTag:
          startTag(token);
          break;
        case HtmlTokenKind::EndTag:
          endTag(token);
          break;
      }
    }
    endBlock();
    std::size_t votes = 0;
    for (const auto& [region, count] : m_linkedRegions) {
      if (count > votes) {
        votes = count;
        m_page.linkedRegion = region;
      }
    }
    return std::move(m_page);
  }

 private:
  struct TelLink {
    std::string number;
    bool labelledFax = false;
    std::string text;
  };

  void endBlock() {
    if (m_block.empty()) return;
    // Copied, not moved: the one buffer keeps its room, and the page's text grows in few steps.
    m_page.text += m_block;
    m_page.blockEnds.push_back(m_page.text.size());
    m_block.clear();
  }

  void mark(std::string_view number) {
    std::string text;
    AppendText(number, text);
    m_page.marked.push_back({m_page.blockCount(), std::move(text)});
  }

  void readJsonLd(std::string_view json) {
    std::vector<std::string> numbers;
    ReadJsonFaxNumbers(json, numbers);
    for (const std::string& number : numbers) mark(number);
  }

  void selfAddress(const HtmlAttribute* address) {
    if (address && m_page.selfAddress.empty()) m_page.selfAddress = address->value;
  }

  void startTag(const HtmlToken& token) {
    if (IsBlockElement(token.name)) endBlock();
    const std::string_view name = token.name;
    if (name == "title") m_inTitle = !token.selfClosing;
    if (name == "html" && m_page.language.empty()) {
      if (const HtmlAttribute* lang = token.attribute("lang")) m_page.language = lang->value;
    }
    if (name == "script") {
      const HtmlAttribute* type = token.attribute("type");
      m_jsonLd = type && ContainsIgnoringCase(type->value, "ld+json");
    }
    if (name == "link") {
      const HtmlAttribute* rel = token.attribute("rel");
      if (rel && ascii::EqualsIgnoringCase(rel->value, "canonical"))
        selfAddress(token.attribute("href"));
    }
    if (name == "base") selfAddress(token.attribute("href"));
    const HtmlAttribute* content = token.attribute("content");
    // string_views, not char pointers: a pointer's length would be counted at every tag.
    for (const std::string_view propertyName :
         {std::string_view("property"), std::string_view("itemprop"), std::string_view("name")}) {
      const HtmlAttribute* property = token.attribute(propertyName);
      if (!property) continue;
      if (name == "meta" && content && ascii::EqualsIgnoringCase(property->value, "og:url"))
        selfAddress(content);
      if (!IsFaxProperty(property->value)) continue;
      if (content) {
        mark(content->value);
      } else if (name != "meta") {
        m_block.append(kFaxLabel);
      }
    }
    labelFromMarkup(token);
    if (name == "a") startLink(token);
  }

  // An icon, an image or a vCard type that says fax without words on the screen. Elements of
  // HTML only: custom elements ("wa-color") are a script's or a tool's, not the page's.
  void labelFromMarkup(const HtmlToken& token) {
    if (token.name.find('-') != std::string_view::npos) return;
    const HtmlAttribute* classes = token.attribute("class");
    bool fax = classes && ClassNamesFax(classes->value);
    if (token.name == "img") {
      // An icon's file name: "footer-fax.png", "icon_fax.gif".
      const HtmlAttribute* source = token.attribute("src");
      if (source) {
        const std::string_view path = source->value;
        const std::size_t slash = path.find_last_of('/');
        fax = fax || ClassNamesFax(slash == std::string_view::npos ? path : path.substr(slash + 1));
      }
    }
    for (const char* labelName : {"title", "alt", "aria-label"}) {
      const HtmlAttribute* label = token.attribute(labelName);
      fax = fax || (label && NamesFax(label->value));
    }
    if (!fax) return;
    if (m_link) m_link->labelledFax = true;
    m_block.append(kFaxLabel);
  }

  void startLink(const HtmlToken& token) {
    m_link.reset();
    const HtmlAttribute* href = token.attribute("href");
    if (!href) return;
    std::string_view target = ascii::TrimBlanks(href->value);
    voteForRegion(target);
    if (ascii::StartsWithIgnoringCase(target, "fax:")) {
      mark(PercentDecoded(target.substr(4)));
      return;
    }
    if (!ascii::StartsWithIgnoringCase(target, "tel:") && !ascii::StartsWithIgnoringCase(target, "callto:"))
      return;
    TelLink link;
    link.number = PercentDecoded(target.substr(target.find(':') + 1));
    const HtmlAttribute* classes = token.attribute("class");
    link.labelledFax = classes && ClassNamesFax(classes->value);
    for (const char* labelName : {"title", "aria-label"}) {
      const HtmlAttribute* label = token.attribute(labelName);
      link.labelledFax = link.labelledFax || (label && NamesFax(label->value));
    }
    m_link = std::move(link);
  }

  // The host of a mail address or of an absolute link counts for the country of its domain.
  void voteForRegion(std::string_view target) {
    std::string host;
    if (ascii::StartsWithIgnoringCase(target, "mailto:")) {
      const std::string_view address = target.substr(0, target.find('?'));
      const std::size_t at = address.rfind('@');
      if (at == std::string_view::npos) return;
      host = address.substr(at + 1);
    } else if (ascii::StartsWithIgnoringCase(target, "http://") ||
               ascii::StartsWithIgnoringCase(target, "https://")) {
      host = AddressHost(target);
    } else {
      return;
    }
    std::string region = HostRegion(host);
    if (!region.empty()) ++m_linkedRegions[region];
  }

  void endTag(const HtmlToken& token) {
    if (token.name == "title") m_inTitle = false;
    if (token.name == "a" && m_link) {
      // A link that shows its number is read by its text, which the reader sees (a target
      // copied from the phone link beside it is not believed).
      const bool showsNumber = std::count_if(m_link->text.begin(), m_link->text.end(), [](char c) {
                                 return ascii::IsDigit(c);
                               }) >= kShortestNumber;
      if (!showsNumber && (m_link->labelledFax || MentionOfFax(m_link->text) == FaxMention::Label))
        mark(m_link->number);
      m_link.reset();
    }
    if (IsBlockElement(token.name)) endBlock();
  }

  FaxPageText m_page;
  std::string m_block;
  std::optional<TelLink> m_link;
  bool m_inTitle = false;
  bool m_jsonLd = false;
  std::map<std::string, std::size_t> m_linkedRegions;
};

}  // namespace

FaxPageText ReadFaxPageText(std::string_view html,
                            const std::function<void(const HtmlToken&)>& alsoRead) {
  return PageTextReader().read(html, alsoRead);
}

}  // namespace norvane
