#include "text/entity_decoder.h"

#include <cstdint>

namespace norvane {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct NamedEntity {
  std::string_view name;  // lower case
  std::uint8_t lowerCode;
  // The code for a name written with any capital letter; equal to lowerCode where the case of
  // the name does not matter.
  std::uint8_t capitalCode;
};

constexpr NamedEntity kNamedEntities[] = {
    {"nbsp", 160, 160},   {"iexcl", 161, 161},  {"cent", 162, 162},   {"pound", 163, 163},
    {"curren", 164, 164}, {"yen", 165, 165},    {"brvbar", 166, 166}, {"sect", 167, 167},
    {"uml", 168, 168},    {"copy", 169, 169},   {"ordf", 170, 170},   {"laquo", 171, 171},
    {"not", 172, 172},    {"shy", 173, 173},    {"reg", 174, 174},    {"macr", 175, 175},
    {"deg", 176, 176},    {"plusmn", 177, 177}, {"sup2", 178, 178},   {"sup3", 179, 179},
    {"acute", 180, 180},  {"micro", 181, 181},  {"para", 182, 182},   {"middot", 183, 183},
    {"cedil", 184, 184},  {"sup1", 185, 185},   {"ordm", 186, 186},   {"raquo", 187, 187},
    {"frac14", 188, 188}, {"frac12", 189, 189}, {"frac34", 190, 190}, {"iquest", 191, 191},
    {"times", 215, 215},  {"szlig", 223, 223},  {"divide", 247, 247}, {"yuml", 255, 255},
    {"agrave", 224, 192}, {"aacute", 225, 193}, {"acirc", 226, 194},  {"atilde", 227, 195},
    {"auml", 228, 196},   {"aring", 229, 197},  {"aelig", 230, 198},  {"ccedil", 231, 199},
    {"egrave", 232, 200}, {"eacute", 233, 201}, {"ecirc", 234, 202},  {"euml", 235, 203},
    {"igrave", 236, 204}, {"iacute", 237, 205}, {"icirc", 238, 206},  {"iuml", 239, 207},
    {"eth", 240, 208},    {"ntilde", 241, 209}, {"ograve", 242, 210}, {"oacute", 243, 211},
    {"ocirc", 244, 212},  {"otilde", 245, 213}, {"ouml", 246, 214},   {"oslash", 248, 216},
    {"ugrave", 249, 217}, {"uacute", 250, 218}, {"ucirc", 251, 219},  {"uuml", 252, 220},
    {"yacute", 253, 221}, {"thorn", 254, 222},
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads text such as "65", "0065", "-3" or "65.5" as a number rounded to the nearest integer,
// halves going to the even neighbour. Returns false for anything else, hexadecimal forms
// included. Values far outside 0..255 are clamped, which keeps them outside.
bool ParseRoundedDecimal(std::string_view text, long& value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  long magnitude = 0;
  for (char c : whole) {
    if (!IsDigit(c)) return false;
    magnitude = magnitude > 100000 ? magnitude : magnitude * 10 + (c - '0');
  }
  // Compare the fraction with one half: below, exactly, or above.
  int againstHalf = -1;
  for (std::size_t k = 0; k < fraction.size(); ++k) {
    const char c = fraction[k];
    if (!IsDigit(c)) return false;
    if (k == 0) {
      againstHalf = c < '5' ? -1 : (c > '5' ? 1 : 0);
    } else if (againstHalf == 0 && c != '0') {
      againstHalf = 1;
    }
  }
  if (againstHalf > 0 || (againstHalf == 0 && magnitude % 2 == 1)) ++magnitude;
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

std::string DecodeEntity(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = LowerAscii(c);
  std::string_view key = lower;
  if (!key.empty() && key.front() == '#') key.remove_prefix(1);

  long code = 0;
  if (ParseRoundedDecimal(key, code)) {
    // A code without a character (such as a typographic quote above 255) gives an empty text
    // rather than spoiling the whole page.
    if (code < 0 || code > 255) return {};
    return std::string(1, static_cast<char>(code));
  }

  if (key == "quot") return {};
  if (key == "amp") return "&";
  if (key == "lt") return "<";
  if (key == "gt") return ">";
  for (const NamedEntity& entity : kNamedEntities) {
    if (entity.name == key) {
      // The comparison is with the lower-case copy as it stands after the "#" was dropped.
      const bool allLower = name == key;
      return std::string(1, static_cast<char>(allLower ? entity.lowerCode : entity.capitalCode));
    }
  }
  return {};
}

}  // namespace norvane
