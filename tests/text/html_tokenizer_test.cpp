#include "text/html_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvane {
namespace {

// The tokens of a page in a short written form: <a href=x> for a start tag (a lone attribute
// name for one without a value, "/>" when self-closing), </a> for an end tag, [text] for text
// and {script:raw} for raw contents.
std::string Tokens(std::string_view page) {
  std::string out;
  HtmlTokenizer tokenizer(page);
  while (tokenizer.next()) {
    const HtmlToken& t = tokenizer.token();
    switch (t.kind) {
      case HtmlTokenKind::StartTag:
        out += "<" + std::string(t.name);
        for (const HtmlAttribute& a : t.attributes)
          out += " " + a.name + (a.value.empty() ? "" : "=" + a.value);
        out += t.selfClosing ? "/>" : ">";
        break;
      case HtmlTokenKind::EndTag:
        out += "</" + std::string(t.name) + ">";
        break;
      case HtmlTokenKind::Text:
        out += "[" + std::string(t.text) + "]";
        break;
      case HtmlTokenKind::RawText:
        out += "{" + std::string(t.name) + ":" + std::string(t.text) + "}";
        break;
    }
  }
  return out;
}

struct TokenCase {
  std::string page;
  std::string expected;
};

void ExpectTokens(const std::vector<TokenCase>& cases) {
  for (const TokenCase& c : cases) {
    SCOPED_TRACE(c.page);
    EXPECT_EQ(Tokens(c.page), c.expected);
  }
}

TEST(HtmlTokenizer, TagsAndAttributesInEveryWayOfWriting) {
  ExpectTokens({
      {"<p>Hi</p>", "<p>[Hi]</p>"},
      {"<A HREF=\"One.html\">x</A>", "<a href=One.html>[x]</a>"},
      {"<a href='a b.html'>", "<a href=a b.html>"},
      {"<a href=plain.html>", "<a href=plain.html>"},
      {"<a href = \"spaced\" >", "<a href=spaced>"},
      {"<a\nhref=\"x\"\nclass=c>", "<a href=x class=c>"},
      {"<input checked disabled>", "<input checked disabled>"},
      {"<br/><br />", "<br/><br/>"},
      {"<a href=x/>", "<a href=x/>"},  // an unquoted value takes the slash
      {"<a href=\"x\"class=y>", "<a href=x class=y>"},
      {"<a href=\"1\" HREF=\"2\">", "<a href=1>"},  // the first of a repeated name wins
      {"<a href=>", "<a href>"},
      {"<a =x>", "<a =x>"},
      {"<img src=a.gif alt=\"a > b\">", "<img src=a.gif alt=a > b>"},
      {"</div class=x>", "</div>"},
  });
}

TEST(HtmlTokenizer, ReferencesAreDecodedInTextAndValues) {
  ExpectTokens({
      {"<a href=\"?a=1&amp;b=2\">", "<a href=?a=1&b=2>"},
      {"<a href=\"&#47;x&#x2F;y&#X2f;\">", "<a href=/x/y/>"},
      {"<a href=\"?a=1&copy=2&amp=3\">", "<a href=?a=1&copy=2&amp=3>"},
      {"<a href=\"&copy x\">", "<a href=\xA9 x>"},
      {"<a title=\"&quot;q&quot; &apos;\">", "<a title=\"q\" '>"},
      {"<a href=\"&#8211;\">", "<a href=\xE2\x80\x93>"},
      {"<a href=\"&#0;&#x110000;\">", "<a href=\xEF\xBF\xBD\xEF\xBF\xBD>"},
      {"<a href=\"&#;&#x;&unknown;&\">", "<a href=&#;&#x;&unknown;&>"},
      {"fish &amp; chips", "[fish & chips]"},
      {"&copy2026 &nbsp",
       "[\xA9"
       "2026 \xA0]"},
      {"a &lt;b&gt; c", "[a <b> c]"},
  });
}

TEST(HtmlTokenizer, CommentsDoctypesAndCdataAreSkipped) {
  ExpectTokens({
      {"<!DOCTYPE html><p>", "<p>"},
      {"a<!-- <a href=\"x\"> -->b", "[a][b]"},
      {"a<!-->b", "[a][b]"},
      {"a<!--->b", "[a][b]"},
      {"a<!-- x --!>b", "[a][b]"},
      {"a<!-- never closed <a href=x>", "[a]"},
      {"<?xml version=\"1.0\"?><p>", "<p>"},
      {"<![CDATA[<a href=x>]]>", "[]]>]"},  // a bogus comment up to the first ">" outside svg
      {"<svg><![CDATA[a<b]]></svg>", "<svg>[a<b]</svg>"},
      {"</ x>y", "[y]"},
      {"a</>b", "[a][b]"},
  });
}

TEST(HtmlTokenizer, ScriptsStylesAndTitlesHoldNoMarkup) {
  ExpectTokens({
      {"<script>var a = '<a href=\"x\">';</script><p>",
       "<script>{script:var a = '<a href=\"x\">';}</script><p>"},
      {"<SCRIPT>if (a</b) x()</Script >y", "<script>{script:if (a</b) x()}</script>[y]"},
      {"<script></scripts></script>", "<script>{script:</scripts>}</script>"},
      {"<style>a{x:1}</style>", "<style>{style:a{x:1}}</style>"},
      {"<title>A &amp; <b>B</b></title>", "<title>[A & <b>B</b>]</title>"},
      {"<textarea><a href=x></textarea>", "<textarea>[<a href=x>]</textarea>"},
      {"<iframe src=f.html><a href=x></iframe>", "<iframe src=f.html>{iframe:<a href=x>}</iframe>"},
      {"<script>never closed <a href=x>", "<script>{script:never closed <a href=x>}"},
      {"<plaintext></plaintext><a>", "<plaintext>{plaintext:</plaintext><a>}"},
      {"<noscript><a href=x>y</a></noscript>", "<noscript><a href=x>[y]</a></noscript>"},
      {"<script></script>", "<script></script>"},
      {"<svg><style>a</style><script>b</script></svg>",
       "<svg><style>[a]</style><script>[b]</script></svg>"},
  });
}

TEST(HtmlTokenizer, BrokenMarkupNeverStopsIt) {
  ExpectTokens({
      {"a < b and c<d", "[a ][< b and c]"},  // "<d" runs to the end: a cut-off tag is dropped
      {"1 <2", "[1 ][<2]"},
      {"<a href=\"x>y", ""},
      {"<a href='x'", ""},
      {"<p", ""},
      {"<", "[<]"},
      {"</", "[</]"},
      {"<a href=x><b>", "<a href=x><b>"},
      {"<a\thref=\"x\"/ class=y>", "<a href=x class=y>"},
      {"<a href=\"x\"<b>", "<a href=x <b>"},
  });
}

TEST(HtmlTokenizer, TokensKnowWhereTheyBeginAndReadTheirAttributes) {
  HtmlTokenizer tokenizer("ab<A Rel=NoFollow HREF=x>");
  ASSERT_TRUE(tokenizer.next());
  EXPECT_EQ(tokenizer.token().offset, 0u);
  ASSERT_TRUE(tokenizer.next());
  const HtmlToken& tag = tokenizer.token();
  EXPECT_EQ(tag.offset, 2u);
  ASSERT_TRUE(tag.attribute("href"));
  EXPECT_EQ(tag.attribute("href")->value, "x");
  EXPECT_EQ(tag.attribute("rel")->value, "NoFollow");
  EXPECT_EQ(tag.attribute("src"), nullptr);
  EXPECT_FALSE(tokenizer.next());
  EXPECT_FALSE(tokenizer.next());
}

TEST(HtmlTokenizer, RawScriptContentsCanBeRead) {
  // The JSON-LD of a page is read as written, references and all.
  const std::string page =
      "<script type=\"application/ld+json\">{\"faxNumber\":\"+1 555 0100 &amp;\"}</script>";
  HtmlTokenizer tokenizer(page);
  std::string type;
  std::string json;
  while (tokenizer.next()) {
    const HtmlToken& t = tokenizer.token();
    if (t.kind == HtmlTokenKind::StartTag && t.attribute("type")) type = t.attribute("type")->value;
    if (t.kind == HtmlTokenKind::RawText) json = t.text;
  }
  EXPECT_EQ(type, "application/ld+json");
  EXPECT_EQ(json, "{\"faxNumber\":\"+1 555 0100 &amp;\"}");
}

TEST(HtmlTokenizer, BlockElementsAreTold) {
  for (const char* block : {"p", "div", "li", "td", "br", "h3", "tr", "table", "address", "ul",
                            "fieldset", "frameset", "blockquote", "figcaption"})
    EXPECT_TRUE(IsBlockElement(block)) << block;
  // Names that share a block's first letters, or its letters in another length.
  for (const char* inLine : {"a", "span", "b", "strong", "img", "font", "", "pp", "d", "h7",
                             "addresses", "blockquot", "figcaptions", "tablex", "P"})
    EXPECT_FALSE(IsBlockElement(inLine)) << inLine;
  EXPECT_FALSE(IsBlockElement(std::string_view("p\0", 2)));
}

}  // namespace
}  // namespace norvane
