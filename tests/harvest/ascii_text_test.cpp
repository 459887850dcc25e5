// The ASCII steps the header, robots.txt, date, link and fax readers share: only the 52 ASCII
// letters and 10 digits count, whatever the bytes around them (Windows-1252 or UTF-8 pages).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harvest/ascii_text.h"

namespace norvane::ascii {
namespace {

TEST(AsciiTextTest, LettersDigitsAndHexDigitsAtTheirBorders) {
  const struct {
    char c;
    bool alpha;
    bool digit;
    int hex;
  } cases[] = {
      {'a', true, false, 10},
      {'f', true, false, 15},
      {'g', true, false, -1},
      {'z', true, false, -1},
      {'A', true, false, 10},
      {'F', true, false, 15},
      {'G', true, false, -1},
      {'Z', true, false, -1},
      {'0', false, true, 0},
      {'9', false, true, 9},
      {'/', false, false, -1},
      {':', false, false, -1},
      {'@', false, false, -1},
      {'[', false, false, -1},
      {'`', false, false, -1},
      {'{', false, false, -1},
      {' ', false, false, -1},
      {'\0', false, false, -1},
      // Bytes above 0x7f that one bit away look like ASCII letters or digits.
      {'\xc1', false, false, -1},
      {'\xe1', false, false, -1},
      {'\xb0', false, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(static_cast<unsigned char>(c.c)));
    EXPECT_EQ(IsAlpha(c.c), c.alpha);
    EXPECT_EQ(IsDigit(c.c), c.digit);
    EXPECT_EQ(IsAlnum(c.c), c.alpha || c.digit);
    EXPECT_EQ(HexValue(c.c), c.hex);
  }
}

TEST(AsciiTextTest, TrimsAndComparesIgnoringAsciiCaseOnly) {
  EXPECT_EQ(TrimBlanks(" \t a b \t "), "a b");
  EXPECT_EQ(TrimBlanks("\r\na\r\n"), "\r\na\r\n");  // line breaks are no blanks
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_TRUE(EqualsIgnoringCase("Content-LENGTH", "content-length"));
  EXPECT_FALSE(EqualsIgnoringCase("\xc4", "\xe4"));  // Latin-1 capital and small A-umlaut
  EXPECT_FALSE(EqualsIgnoringCase("ab", "abc"));
  EXPECT_TRUE(StartsWithIgnoringCase("HTTP/1.1 200", "http/"));
  EXPECT_TRUE(StartsWithIgnoringCase("tel:", ""));
  EXPECT_FALSE(StartsWithIgnoringCase("fax", "fax:"));  // a prefix longer than the text
  EXPECT_FALSE(StartsWithIgnoringCase("[ttp://", "http://"));
}

// Both line readers as the header readers loop over them: every line once, the last one also
// without a line end, and no line made up past the end.
TEST(AsciiTextTest, LineReadersGiveEveryLineOnce) {
  const struct {
    std::string_view text;
    std::vector<std::string_view> lfLines;    // LineAt, LF or CR LF ends
    std::vector<std::string_view> crLfLines;  // TakeCrLfLine, CR LF ends only
  } cases[] = {
      {"", {""}, {}},
      {"a", {"a"}, {"a"}},
      {"a\r\nb", {"a", "b"}, {"a", "b"}},
      {"a\r\n", {"a", ""}, {"a"}},
      {"a\nb\r\n\r\nc", {"a", "b", "", "c"}, {"a\nb", "", "c"}},
      {"a\rb", {"a\rb"}, {"a\rb"}},  // a bare CR ends no line
      {"\r\n", {"", ""}, {""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    std::vector<std::string_view> lines;
    for (std::size_t next = 0; next <= c.text.size();) lines.push_back(LineAt(c.text, next, next));
    EXPECT_EQ(lines, c.lfLines);
    lines.clear();
    for (std::string_view rest = c.text; !rest.empty();) lines.push_back(TakeCrLfLine(rest));
    EXPECT_EQ(lines, c.crLfLines);
  }
}

}  // namespace
}  // namespace norvane::ascii
