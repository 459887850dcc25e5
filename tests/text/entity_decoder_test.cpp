#include "text/entity_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvane {
namespace {

std::string Code(int code) {
  return std::string(1, static_cast<char>(code));
}

struct DecodeCase {
  std::string name;
  std::string expected;
};

void ExpectDecodes(const std::vector<DecodeCase>& cases) {
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE("entity \"" + c.name + "\"");
    EXPECT_EQ(DecodeEntity(c.name), c.expected);
  }
}

TEST(DecodeEntity, NumbersGiveTheCharacterOfTheirCode) {
  ExpectDecodes({
      {"#65", "A"},
      {"#0065", "A"},
      {"#160", Code(160)},
      {"#149", Code(149)},
      {"#255", Code(255)},
      {"#0", Code(0)},
      {"65", "A"},  // the "#" is optional
      {"#+66", "B"},
  });
}

TEST(DecodeEntity, DecimalFractionsRoundHalvesToEven) {
  ExpectDecodes({
      {"#65.4", "A"},
      {"#65.5", "B"},  // 66 is even
      {"#66.5", "B"},  // 66 is even
      {"#65.51", "B"},
      {"#66.50", "B"},
      {"#66.6", "C"},
      {"#255.5", ""},  // 256: no character
      {"#254.5", Code(254)},
  });
}

TEST(DecodeEntity, CodesWithoutACharacterGiveAnEmptyText) {
  ExpectDecodes({
      {"#8217", ""},
      {"#256", ""},
      {"#-1", ""},
      {"#99999999999999999999", ""},
  });
}

TEST(DecodeEntity, HexadecimalAndMalformedNumbersAreUnknownNames) {
  ExpectDecodes({
      {"#x41", ""},
      {"#X41", ""},
      {"#", ""},
      {"", ""},
      {"#6 5", ""},
      {"#6a", ""},
      {"#.", ""},
  });
}

TEST(DecodeEntity, MarkupNamesIgnoreCaseAndQuotIsEmpty) {
  ExpectDecodes({
      {"amp", "&"},
      {"Amp", "&"},
      {"AMP", "&"},
      {"lt", "<"},
      {"LT", "<"},
      {"gt", ">"},
      {"Gt", ">"},
      {"quot", ""},
      {"QUOT", ""},
  });
}

TEST(DecodeEntity, LetterNamesTakeTheCapitalCodeForAnyCapital) {
  ExpectDecodes({
      {"eacute", Code(233)},
      {"Eacute", Code(201)},
      {"EACUTE", Code(201)},
      {"eAcute", Code(201)},
      {"agrave", Code(224)},
      {"Agrave", Code(192)},
      {"AGRAVE", Code(192)},
      {"szlig", Code(223)},  // one code whatever the case
      {"SZLIG", Code(223)},
      {"yuml", Code(255)},
      {"Yuml", Code(255)},
      {"NBSP", Code(160)},
  });
}

TEST(DecodeEntity, NamesOutsideTheTableGiveAnEmptyText) {
  ExpectDecodes({
      {"hellip", ""},
      {"mdash", ""},
      {"ndash", ""},
      {"rsquo", ""},
      {"euro", ""},
      {"apos", ""},
      {"amp ", ""},
      {" amp", ""},
      {"nbs", ""},
  });
}

// The whole name table, as the converter's users rely on it for byte-exact text.
TEST(DecodeEntity, EveryNameOfTheTable) {
  const std::vector<std::pair<std::string, int>> single = {
      {"nbsp", 160},   {"iexcl", 161},  {"cent", 162},   {"pound", 163},  {"curren", 164},
      {"yen", 165},    {"brvbar", 166}, {"sect", 167},   {"uml", 168},    {"copy", 169},
      {"ordf", 170},   {"laquo", 171},  {"not", 172},    {"shy", 173},    {"reg", 174},
      {"macr", 175},   {"deg", 176},    {"plusmn", 177}, {"sup2", 178},   {"sup3", 179},
      {"acute", 180},  {"micro", 181},  {"para", 182},   {"middot", 183}, {"cedil", 184},
      {"sup1", 185},   {"ordm", 186},   {"raquo", 187},  {"frac14", 188}, {"frac12", 189},
      {"frac34", 190}, {"iquest", 191}, {"times", 215},  {"szlig", 223},  {"divide", 247},
      {"yuml", 255},
  };
  for (const auto& [name, code] : single) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DecodeEntity(name), Code(code));
    std::string capitalised = name;
    capitalised[0] = static_cast<char>(capitalised[0] - 'a' + 'A');
    EXPECT_EQ(DecodeEntity(capitalised), Code(code));
  }
  const std::vector<std::tuple<std::string, int, int>> letters = {
      {"agrave", 224, 192}, {"aacute", 225, 193}, {"acirc", 226, 194},  {"atilde", 227, 195},
      {"auml", 228, 196},   {"aring", 229, 197},  {"aelig", 230, 198},  {"ccedil", 231, 199},
      {"egrave", 232, 200}, {"eacute", 233, 201}, {"ecirc", 234, 202},  {"euml", 235, 203},
      {"igrave", 236, 204}, {"iacute", 237, 205}, {"icirc", 238, 206},  {"iuml", 239, 207},
      {"eth", 240, 208},    {"ntilde", 241, 209}, {"ograve", 242, 210}, {"oacute", 243, 211},
      {"ocirc", 244, 212},  {"otilde", 245, 213}, {"ouml", 246, 214},   {"oslash", 248, 216},
      {"ugrave", 249, 217}, {"uacute", 250, 218}, {"ucirc", 251, 219},  {"uuml", 252, 220},
      {"yacute", 253, 221}, {"thorn", 254, 222},
  };
  for (const auto& [name, lower, capital] : letters) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DecodeEntity(name), Code(lower));
    std::string capitalised = name;
    capitalised[0] = static_cast<char>(capitalised[0] - 'a' + 'A');
    EXPECT_EQ(DecodeEntity(capitalised), Code(capital));
  }
}

}  // namespace
}  // namespace norvane
