#include "text/html_to_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvane {
namespace {

const std::string kBullet = "\x95";
const std::string kNbsp = "\xA0";

// The converter ignores the last character of a page and the rule of a tag that ends near it,
// so test pages end with closing tags that write nothing.
std::string Body(const std::string& content) {
  return "<html><body>" + content + "</body></html>";
}

std::string Convert(const std::string& page) {
  return HtmlToText(page, "");
}

std::string Repeat(const std::string& text, int times) {
  std::string result;
  for (int k = 0; k < times; ++k) result += text;
  return result;
}

struct PageCase {
  std::string what;
  std::string page;
  std::string expected;
};

void ExpectConverts(const std::vector<PageCase>& cases) {
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Convert(c.page), c.expected);
  }
}

// The page of the worked example: title, a paragraph with two lines, and a short table row.
TEST(HtmlToText, WorkedExamplePage) {
  const std::string page =
      "<html><head><title>Acme</title></head><body><p>Tel 555-0100<br>Fax 555-0101</p>"
      "<table><tr><td>A</td><td>B</td></tr></table></body></html>";
  // Title and its blank line; the P before any text writes nothing; BR breaks the line; TABLE
  // and TR give one line break each; the short row puts three spaces between its cells.
  const std::string expected =
      "Acme\r\n"
      "\r\n"
      "Tel 555-0100\r\n"
      "Fax 555-0101\r\n"
      "\r\n"
      "A   B";
  EXPECT_EQ(Convert(page), expected);
}

TEST(HtmlToTextTags, ParagraphsAndLineBreaks) {
  ExpectConverts({
      {"P gives a blank line", Body("one<p>two"), "one\r\n\r\ntwo"},
      {"P with attributes", Body("one<P class=x>two"), "one\r\n\r\ntwo"},
      {"two P give one blank line", Body("one<p><p>two"), "one\r\n\r\ntwo"},
      {"PRE is not P", Body("one<pre>two"), "onetwo"},
      {"closing P writes nothing", Body("one</p>two"), "onetwo"},
      {"BR", Body("a<br>b"), "a\r\nb"},
      {"BR in capitals", Body("a<BR>b"), "a\r\nb"},
      {"BR with spaces inside", Body("a< br >b"), "a\r\nb"},
      {"BR with a slash", Body("a<br/>b"), "ab"},
      {"BR with a spaced slash", Body("a<br />b"), "ab"},
      {"BR with attributes", Body("a<br clear=all>b"), "ab"},
      {"two BR give one break", Body("a<br><br>b"), "a\r\nb"},
      {"P after BR still gives a blank line", Body("a<br><p>b"), "a\r\n\r\n\r\nb"},
      {"BR after P breaks once more", Body("a<p><br>b"), "a\r\n\r\n\r\nb"},
      {"TABLE breaks the line", Body("a<table>b"), "a\r\nb"},
      {"TABLE with attributes", Body("a<table border=0>b"), "a\r\nb"},
      {"tags without rules", Body("<div><a href=x><font>a</font></a></div><img src=y>b"), "ab"},
  });
}

TEST(HtmlToTextTags, OptionsAndLists) {
  ExpectConverts({
      {"options", Body("<select><option>One<option value=2>Two</select>"), "\r\n\tOne\r\n\tTwo"},
      {"unordered list", Body("x<ul><li>a<li class=y>b</ul>z"),
       "x\r\n\r\n"
       "\r\n" +
           kBullet +
           " a"
           "\r\n" +
           kBullet +
           " b"
           "\r\n\r\n"
           "z"},
      {"item outside any list", Body("x<li>a"), "x\r\n" + kBullet + " a"},
      {"ordered lists number from 1 again after /OL",
       Body("x<ol><li>a<li>b<li>c</ol><ol><li>d</ol><ul><li>e</ul>"),
       "x"
       "\r\n\r\n"
       "\r\n1. a"
       "\r\n2. b"
       "\r\n3. c"
       "\r\n\r\n"
       "\r\n\r\n"
       "\r\n1. d"
       "\r\n\r\n"
       "\r\n\r\n"
       "\r\n" +
           kBullet +
           " e"
           "\r\n\r\n"},
      {"a second OL without /OL goes on counting", Body("x<ol><li>a<ol><li>b"),
       "x"
       "\r\n\r\n"
       "\r\n1. a"
       "\r\n\r\n"
       "\r\n2. b"},
      {"/OL before any text keeps the count",
       "<html></ol><ol><li>a</ol><body>x<ol><li>b</body></html>",
       "\r\n\r\n"
       "\r\n1. "
       "x"
       "\r\n\r\n"
       "\r\n2. b"},
  });
}

TEST(HtmlToTextTags, ScriptHidesTextButNotDashesOrTags) {
  ExpectConverts({
      {"text and spaces hidden, dash written", Body("x<script>var a = b - c;</script>y"), "x-y"},
      {"BR inside script", Body("x<script>a<br>b</script>y"), "x\r\ny"},
      {"entities inside script", Body("x<script>&amp;&#65;</script>y"), "xy"},
      {"closing tag with spaces", Body("x<script type=a>b</ script>y"), "xy"},
      {"SCRIPT tag with attributes", Body("x<SCRIPT language=js>b</SCRIPT>y"), "xy"},
      {"BODY inside script does not open the body",
       "<html><script><body></script>hidden<body>shown</body></html>", "shown"},
  });
}

TEST(HtmlToTextTags, TextOutsideTheBody) {
  // Only the title and the rules that ignore the body write anything.
  const std::string page =
      "<html><head><title>T</title></head>text<p>more<ul><li>one</ul>"
      "<table><tr><td>c</td></tr></table><select><option>o</select></html>";
  const std::string expected =
      "T\r\n\r\n"
      "\r\n\r\n"
      "\r\n" +
      kBullet +
      " "
      "\r\n"
      "\r\n\t";
  EXPECT_EQ(Convert(page), expected);
}

TEST(HtmlToTextTags, TitleIsCopiedAsItStands) {
  ExpectConverts({
      {"entities and line breaks kept", "<title>A &amp; B\r\n</title><body>x</body></html>",
       "A &amp; B\r\n\r\n\r\nx"},
      {"title in the body resets the paragraph", Body("x<title>T</title><p>y"), "xT\r\n\r\ny"},
      {"title that runs to the end of the page", "<title>abc", "ab\r\n\r\n"},
      {"title inside a script has no blank line", "<script><title>T</title></script>x", "T"},
  });
}

TEST(HtmlToTextRows, SixtyFourCharactersFitOnOneLine) {
  const std::string a32(32, 'a');
  const std::string b32(32, 'b');
  const std::string a33(33, 'a');
  ExpectConverts({
      {"64 characters: short",
       Body("x<table><tr><td>" + a32 + "</td><td>" + b32 + "</td></tr></table>"),
       "x\r\n\r\n" + a32 + "   " + b32},
      {"65 characters: long",
       Body("x<table><tr><td>" + a33 + "</td><td>" + b32 + "</td></tr></table>"),
       "x\r\n\r\n\r\n" + a33 + "\r\n" + b32},
      {"white space inside cells counts",
       Body("x<table><tr><td> " + a32 + " </td><td>" + std::string(31, 'b') + "</td></tr></table>"),
       "x\r\n\r\n\r\n " + a32 + " \r\n" + std::string(31, 'b')},
      {"tags inside cells do not count",
       Body("x<table><tr><td><b>" + a32 + "</b></td><td><i>" + b32 + "</i></td></tr></table>"),
       "x\r\n\r\n" + a32 + "   " + b32},
      {"TH cells", Body("x<table><tr><th>a</td><th>b</td></tr></table>"), "x\r\n\r\na   b"},
  });
}

TEST(HtmlToTextRows, BreaksInsideCellsMakeTheRowLong) {
  ExpectConverts({
      {"BR in a cell", Body("<table><tr><td>a<br>b</td><td>c</td></tr></table>"),
       "\r\n\r\na\r\nb\r\nc"},
      {"P in a cell", Body("<table><tr><td>a<p>b</td><td>c</td></tr></table>"),
       "\r\n\r\na\r\n\r\nb\r\nc"},
      {"BR with a slash in a cell is no break",
       Body("<table><tr><td>a<br/>b</td><td>c</td></tr></table>"), "\r\nab   c"},
  });
}

TEST(HtmlToTextRows, RowEnds) {
  ExpectConverts({
      {"/TABLE ends the row", Body("x<table><tr><td>a</td><td>b</td></table>y"), "x\r\n\r\na   by"},
      {"a nested TABLE makes the row long",
       Body("x<table><tr><table><td>a</td><td>b</td></tr></table>"), "x\r\n\r\n\r\na\r\nb"},
      {"cells before any TR are each on a line", Body("x<td>a</td><td>b</td>"), "x\r\na\r\nb"},
      {"TR breaks the line even after a line break", Body("x<br><tr>y"), "x\r\n\r\ny"},
  });
}

// A row whose measurement reaches the end of the page is long, and the page goes on.
TEST(HtmlToTextRows, MeasurementReachingTheEndCountsTheRowAsLong) {
  ExpectConverts({
      {"row without /TR", Body("x<table><tr><td>a</td><td>b</td>rest"), "x\r\n\r\n\r\na\r\nbrest"},
      {"the same row closed is short", Body("x<table><tr><td>a</td><td>b</td></tr>rest"),
       "x\r\n\r\na   brest"},
      {"cell without /TD scanned to the end", Body("x<table><tr><td>a<td>b</tr></table>after"),
       "x\r\n\r\n\r\na\r\nbafter"},
      {"cell without /TD ended later by BR", Body("x<table><tr><td>a<td>b</tr></table>after<br>z"),
       "x\r\n\r\n\r\na\r\nbafter\r\nz"},
      {"TH cells closed by /TH only", Body("x<table><tr><th>a</th><th>b</th></tr></table>y"),
       "x\r\n\r\n\r\na\r\nby"},
      {"TR tag at the very end", Body("x<table><tr>"), "x\r\n\r\n"},
  });
}

// One measurement looks at most 65,536 characters ahead; a row longer than that is long.
TEST(HtmlToTextRows, OverlongRowMarkupMakesTheRowLong) {
  const std::string cells = "<td>a</td><td>b</td>";
  const std::string nearLimit = Repeat("<b></b>", 9000);  // 63,000 characters, no text
  const std::string pastLimit = Repeat("<b></b>", 10000);
  EXPECT_EQ(Convert(Body("x<table><tr>" + nearLimit + cells + "</tr></table>")), "x\r\n\r\na   b");
  EXPECT_EQ(Convert(Body("x<table><tr>" + pastLimit + cells + "</tr></table>")),
            "x\r\n\r\n\r\na\r\nb");
}

TEST(HtmlToTextEntities, EntitiesInText) {
  ExpectConverts({
      {"amp", Body("a&amp;b"), "a&b"},
      {"AMP", Body("a&AMP;b"), "a&b"},
      {"nbsp", Body("a&nbsp;b"), "a" + kNbsp + "b"},
      {"quot vanishes", Body("say &quot;hi&quot;"), "say hi"},
      {"letter names", Body("&eacute;&Eacute;x&yuml;xx&Yuml;"), "\xE9\xC9x\xFFxx\xFF"},
      {"numeric", Body("&#65;"), "A"},
      {"numeric with zeros", Body("&#0066;"), "B"},
      {"numeric non-breaking space", Body("x&#160;"), "x" + kNbsp},
      {"unknown name", Body("a&hellip;b"), "ab"},
      {"& and a space", Body("Tom & Jerry"), "Tom & Jerry"},
      {"& and eight letters", Body("a&abcdefgh;b"), "a&abcdefgh;b"},
      {"& and six letters", Body("a&abcdef;b"), "ab"},
      {"& at the end of the text", Body("a&"), "a&"},
      {"an & among the next seven", Body("a&amp;&amp;b"), "a&amp;&b"},
      {"a ; within seven after a space", Body("x & y; z"), "x  z"},
      {"entity inside a comment", Body("x<!-- &amp; -->y"), "xy"},
      {"entity before the body", "<html>&amp;<body>x</body></html>", "x"},
  });
}

// A code above 255 has no character: it vanishes and the rest of the page is still converted.
TEST(HtmlToTextEntities, CodesAbove255VanishAndThePageGoesOn) {
  ExpectConverts({
      {"typographic quote", Body("it&#8217;s fax 555-0100"), "its fax 555-0100"},
      {"negative", Body("a&#-5;b"), "ab"},
  });
}

TEST(HtmlToTextWrap, LinesBreakAfterTheFirstSpaceFromColumn75) {
  // Fifteen words of four letters and their spaces reach column 75 at the fifteenth space.
  const std::string words20 = Repeat("word ", 19) + "word";
  ExpectConverts({
      {"plain words", Body(words20), Repeat("word ", 15) + "\r\n" + Repeat("word ", 4) + "word"},
      {"a longer word: first space past column 75", Body("words " + Repeat("word ", 18) + "word"),
       "words " + Repeat("word ", 14) + "\r\n" + Repeat("word ", 4) + "word"},
      {"quot takes no column", Body("wor&quot; " + Repeat("word ", 18) + "word"),
       "wor " + Repeat("word ", 15) + "\r\n" + Repeat("word ", 3) + "word"},
      {"amp takes one column", Body("wor&amp; " + Repeat("word ", 18) + "word"),
       "wor& " + Repeat("word ", 14) + "\r\n" + Repeat("word ", 4) + "word"},
      {"a list item starts at column 2", Body("<li>" + std::string(72, 'a') + " b c"),
       "\r\n" + kBullet + " " + std::string(72, 'a') + " \r\nb c"},
      {"a long word is not broken", Body(std::string(100, 'a') + " b"),
       std::string(100, 'a') + " \r\nb"},
      {"line breaks reset the column", Body(std::string(70, 'a') + "<br>" + words20),
       std::string(70, 'a') + "\r\n" + Repeat("word ", 15) + "\r\n" + Repeat("word ", 4) + "word"},
      {"a tab at column 75 wraps as a space does", Body(Repeat("word ", 14) + "word\tword"),
       Repeat("word ", 15) + "\r\nword"},
      {"two spaces at column 75 wrap once", Body(Repeat("word ", 14) + "word  word"),
       Repeat("word ", 15) + "\r\nword"},
      {"a space after the wrap is dropped", Body(Repeat("word ", 15) + " word"),
       Repeat("word ", 15) + "\r\nword"},
  });
}

TEST(HtmlToTextComments, CommentsHideTextAndTags) {
  ExpectConverts({
      {"comment", Body("x<!-- hidden -->y"), "xy"},
      {"tags inside", Body("x<!-- <br> <p> -->y"), "xy"},
      {"dashes inside", Body("x<!-- a - b -- c -->y"), "xy"},
      {"spaces before the closing >", Body("x<!-- a -- >y"), "xy"},
      {"empty comment lasts until a later -->", Body("x<!---->y<br>z-->w"), "xw"},
      {"comment before any text lasts past its -->", Body("<!-- -->y<!-- -->z"), "z"},
      {"comment marks before the body are no comment", "<html><!-- <body> -->x</body></html>",
       " >x"},
      {"comment ending on the last character", "<body>x<!-- a -->", "x->"},
      {"comments that all end on the last character", "<body>x<!--a-<!--b-<!--c-->", "x->"},
      {"a comment start inside the last -->", "<body>x<!--a-<!---->", "x"},
  });
}

TEST(HtmlToTextWhiteSpace, RunsGiveOneSpace) {
  ExpectConverts({
      {"spaces, tabs and line breaks", Body("a  \r\n\t b"), "a b"},
      {"tab alone", Body("a\tb"), "a b"},
      {"control character 31 is nothing",
       Body("a\x1f"
            "b"),
       "ab"},
      {"line break after a closing tag", Body("<b>Bold</b>\r\nword"), "Boldword"},
      {"space after a closing tag", Body("<b>Bold</b> word"), "Bold word"},
      {"tab right after a tag", Body("<b>Bold</b>\t word"), "Boldword"},
      {"space then line break after a tag", Body("<b>Bold</b> \r\nword"), "Boldword"},
      {"line break inside text", Body("Bold \r\nword"), "Bold word"},
      {"space between two tags", Body("<b>a</b> <i>b</i>"), "ab"},
  });
}

TEST(HtmlToTextWhiteSpace, NoLeadingBlankLines) {
  ExpectConverts({
      {"P and BR before any text", Body("<p><br><p>Hello"), "Hello"},
      {"with spaces between", Body(" <p> <br> Hello"), "Hello"},
      {"dashes and entities are not text", Body("-&amp;<p>Hello"), "&Hello"},
      // A line break is a character other than space, dash, "<" and "&": it counts as text.
      {"a line break counts as text", Body("\r\n<p>Hello"), "\r\n\r\nHello"},
  });
}

TEST(HtmlToTextPageEnd, TheLastCharactersEndTheConversion) {
  ExpectConverts({
      {"empty page", "", ""},
      {"text to the last character", "<body>abc", "abc"},
      {"unclosed tag", "<body>abc<b", "abc"},
      {"tag closing on the last character", "<body>abc<br>", "abc"},
      {"tag closing next to the last character", "<body>abc<br>x", "abc"},
      {"white space after a tag up to the end", "<body>abc<br>  \r\n", "abc"},
      {"comment whose end never comes", "<body>x<!-- a - b <p> c", "x"},
  });
}

TEST(HtmlToText, WritesTheTextAndALineBreakToTheFile) {
  const std::string path = ::testing::TempDir() + "html_to_text_output.txt";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string old(1000, 'z');
    std::fwrite(old.data(), 1, old.size(), f);
    std::fclose(f);
  }
  const std::string text = HtmlToText(Body("a<br>b"), path);
  EXPECT_EQ(text, "a\r\nb");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buffer[2048];
  const std::size_t read = std::fread(buffer, 1, sizeof buffer, f);
  std::fclose(f);
  std::remove(path.c_str());
  EXPECT_EQ(std::string(buffer, read), "a\r\nb\r\n");
}

TEST(HtmlToText, AFileThatCannotBeWrittenIsIgnored) {
  const std::string path = ::testing::TempDir() + "no_such_folder_for_text/out.txt";
  EXPECT_EQ(HtmlToText(Body("a<br>b"), path), "a\r\nb");
}

TEST(HtmlToText, YieldsNowAndThenButNotPerCharacter) {
  // About 1 MB each: tags every few characters, and long stretches of text without a tag, which
  // the converter takes in runs and must still break for the yield.
  const std::string pages[] = {
      Body(Repeat("word <b>bold</b> &amp; ", 40000)),
      Body(Repeat("words and spaces ", 60000)),
      Body("x" + Repeat(" \r\n\t ", 200000)),
  };
  for (const std::string& page : pages) {
    int calls = 0;
    HtmlToText(page, "", [&calls] { ++calls; });
    EXPECT_GE(calls, static_cast<int>(page.size() / 8192));
    EXPECT_LE(calls, static_cast<int>(page.size() / 1000));
  }
}

TEST(RemoveSpaces, DropsEverySpaceOnly) {
  EXPECT_EQ(RemoveSpaces(" / t d "), "/td");
  EXPECT_EQ(RemoveSpaces("   "), "");
  EXPECT_EQ(RemoveSpaces(""), "");
  EXPECT_EQ(RemoveSpaces("a\tb\r\n"), "a\tb\r\n");
}

}  // namespace
}  // namespace norvane
