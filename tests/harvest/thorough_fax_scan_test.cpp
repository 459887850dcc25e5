#include "harvest/faxes/thorough_fax_scan.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "areacodes/area_code_directory.h"
#include "found_faxes.h"
#include "harvest/faxes/fax_labels.h"
#include "harvest/faxes/fax_scan_page.h"
#include "harvest/faxes/phone_numbers.h"

namespace norvane {
namespace {

using Faxes = std::vector<std::string>;

// One way of writing a fax number (or of not writing one), and what each scan stores from it.
struct SnippetCase {
  const char* name;
  std::string body;
  Faxes thorough;
  Faxes classic;
  const char* page = "";  // the page's website, for its country
  friend void PrintTo(const SnippetCase& c, std::ostream* os) { *os << c.name; }
};

class SnippetTest : public ::testing::TestWithParam<SnippetCase> {};

TEST_P(SnippetTest, EachScanStoresWhatThePageSaysIsAFax) {
  const SnippetCase& c = GetParam();
  const std::string body = "<html><body>" + c.body + "</body></html>";
  EXPECT_EQ(FaxesOf(FindFaxesThoroughly(body, c.page, true)), c.thorough) << "thorough";
  EXPECT_EQ(FaxesOf(FindFaxesInPage(body, true)), c.classic) << "classic";
}

INSTANTIATE_TEST_SUITE_P(
    Labels, SnippetTest,
    ::testing::Values(
        SnippetCase{"SameLine",
                    "<p>Phone: (614) 292-6446 Fax: (614) 292-6447</p>",
                    {"1-614-292-6447"},
                    {"1-614-292-6447"}},
        SnippetCase{
            "UpperCaseNoColon", "<p>FAX 614.292.6447</p>", {"1-614-292-6447"}, {"1-614-292-6447"}},
        SnippetCase{"Facsimile",
                    "<p>Telephone 416 979 2144 Facsimile 416 979 2145</p>",
                    {"1-416-979-2145"},
                    {}},
        SnippetCase{"FrenchAbbreviation",
                    "<p>T\xc3\xa9l. : 418 692-1200 T\xc3\xa9l\xc3\xa9"
                    "c. : 418 692-1201</p>",
                    {"1-418-692-1201"},
                    {}},
        SnippetCase{"FrenchInWindows1252",
                    "<p>T\xe9l\xe9"
                    "copieur : 450 922-3342</p>",
                    {"1-450-922-3342"},
                    {}},
        SnippetCase{"GermanTelefaxWithZeroInBrackets",
                    "<p>Telefax: +49 (0)30 2045 6789</p>",
                    {"+49-30-20456789"},
                    {"+49-030-2045-6789"}},
        SnippetCase{"GermanNationalFormOnGermanSite",
                    "<p>Fax-Nr.: 030 2045 6789</p>",
                    {"+49-30-20456789"},
                    {"+030-2045-6789"},
                    "www.beispiel.de"},
        SnippetCase{"ItalianNationalForm",
                    "<p>Tel. 06 6982 1000 - Fax 06 6982 1001</p>",
                    {"+39-06-6982-1001"},
                    {"+06-6982-1001"},
                    "www.esempio.it"},
        SnippetCase{"SpanishLabel",
                    "<p>Tel\xc3\xa9"
                    "fono 915 55 12 34, Fax 915 55 12 35</p>",
                    {"+34-915-55-12-35"},
                    {"+915-55-12-35"},
                    "www.ejemplo.es"},
        SnippetCase{"TrunkZeroOnBritishSite",
                    "<p>Fax: 020 7946 0958</p>",
                    {"+44-20-7946-0958"},
                    {"+020-7946-0958"},
                    "www.example.co.uk"},
        SnippetCase{"InternationalPrefixZeroZero",
                    "<p>Fax: 0031 43 343 5788</p>",
                    {"+31-43-343-5788"},
                    {"+0031-43-343-5788"}},
        SnippetCase{
            "LongLabel", "<p>Fax number (EU): +46 8 501 096 47</p>", {"+46-8-501-096-47"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Blocks, SnippetTest,
    ::testing::Values(
        SnippetCase{"TableCellBefore",
                    "<table><tr><td>Fax</td><td>(614) 555-2101</td></tr></table>",
                    {"1-614-555-2101"},
                    {"1-614-555-2101"}},
        SnippetCase{"DefinitionList",
                    "<dl><dt>Phone:</dt><dd>(512) 463-1364</dd>"
                    "<dt>Fax:</dt><dd>(512) 463-1365</dd></dl>",
                    {"1-512-463-1365"},
                    {"1-512-463-1365"}},
        SnippetCase{"LabelsOnLinesOfTheirOwn",
                    "Fax:<br>1-602-333-5180<br>Sales fax:<br>1-602-333-5183",
                    {"1-602-333-5180", "1-602-333-5183"},
                    {}},
        SnippetCase{"LabelAfter", "<p>707.665.9184 (Fax)</p>", {"1-707-665-9184"}, {}},
        SnippetCase{
            "LabelAfterWithoutBrackets", "<li>707-665-9184 fax</li>", {"1-707-665-9184"}, {}},
        SnippetCase{"PhoneLabelWinsOverFaxAfter", "<p>Phone: 707.665.9183 fax</p>", {}, {}},
        SnippetCase{"PhoneAndFaxShared",
                    "<p>Tel/Fax: 613 562 5800</p>",
                    {"1-613-562-5800"},
                    {"1-613-562-5800"}},
        SnippetCase{"PhoneOrFax",
                    "<p>Phone or Fax: 613 562 5800</p>",
                    {"1-613-562-5800"},
                    {"1-613-562-5800"}},
        SnippetCase{"ShortLabelsBesidePhone",
                    "<p>P: 613.562.5800<br>F: 613.562.5801</p>",
                    {"1-613-562-5801"},
                    {}},
        SnippetCase{"LetterLabelsWithoutStops",
                    "<p>T 450 267.9335 | F 450 267.0907</p>",
                    {"1-450-267-0907"},
                    {}},
        SnippetCase{"ShortLabelWithoutPhoneLabel", "<p>F. Scott, 613.562.5801</p>", {}, {}},
        SnippetCase{"TwoNumbersUnderOneLabel",
                    "<p>Fax: 416-530-6050 or 416-530-6051</p>",
                    {"1-416-530-6050", "1-416-530-6051"},
                    {"1-416-530-6050"}},
        SnippetCase{"HeadingOverSeveralLines",
                    "<p>Phone: (413) 545-0722</p><p>Fax:<br>Admissions: (413) 577-0010<br>"
                    "Records: (413) 577-0386</p><p>Email:<br>Admissions: (413) 545-0723</p>",
                    {"1-413-577-0010", "1-413-577-0386"},
                    {}},
        SnippetCase{"OtherTextBetweenCellAndNumber",
                    "<table><tr><td>Fax</td><td>Hours</td><td>613-562-5801</td></tr></table>",
                    {},
                    {"1-613-562-5801"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Markup, SnippetTest,
    ::testing::Values(
        SnippetCase{
            "FaxLink", "<a href=\"fax:+16135625801\">send us a fax</a>", {"1-613-562-5801"}, {}},
        SnippetCase{"TelLinkSayingFax",
                    "<a href=\"tel:+1%20613%20562%205801\">Fax</a>",
                    {"1-613-562-5801"},
                    {}},
        SnippetCase{"TelLinkSayingCall", "<a href=\"tel:+16135625800\">Call</a>", {}, {}},
        SnippetCase{"JsonLd",
                    "<script type=\"application/ld+json\">{\"@type\":\"Organization\","
                    "\"telephone\":\"+1-613-562-5800\",\"faxNumber\" : \"+1-613-562-5801\"}"
                    "</script>",
                    {"1-613-562-5801"},
                    {}},
        SnippetCase{"Microdata",
                    "<span itemprop=\"telephone\">613-562-5800</span> "
                    "<span itemprop=\"faxNumber\">613-562-5801</span>",
                    {"1-613-562-5801"},
                    {}},
        SnippetCase{"OpenGraph",
                    "<meta property=\"og:fax_number\" content=\"+49 30 2045 6789\">",
                    {"+49-30-20456789"},
                    {}},
        SnippetCase{"HCard",
                    "<div class=\"tel\"><abbr class=\"type\" title=\"fax\">F</abbr> "
                    "<span class=\"value\">+1 613 562 5801</span></div>",
                    {"1-613-562-5801"},
                    {}},
        SnippetCase{"Icon", "<i class=\"fa fa-fax\"></i> 613-562-5801", {"1-613-562-5801"}, {}},
        SnippetCase{"IconFile",
                    "<a href=\"tel:6135625800\"><img src=\"i/phone.png\"> 613.562.5800</a> "
                    "<a href=\"tel:6135625801\"><img src=\"i/footer-fax.png\"> 613.562.5801</a>",
                    {"1-613-562-5801"},
                    {}},
        SnippetCase{"LinkClassOnly",
                    "<a class=\"contact--fax\" href=\"tel:+389 2 3217076\">+389 2 3217076</a>",
                    {"+389-2-321-7076"},
                    {}},
        SnippetCase{
            "CustomElementsAreNoIcons", "<wa-color class=\"fax\"></wa-color> 613-562-5801", {}, {}},
        SnippetCase{"ScriptStyleAndCommentAreNotText",
                    "<script>var fax = '613-562-5801';</script><style>.fax{}</style>"
                    "<!-- Fax: 613-562-5802 -->",
                    {},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Numbers, SnippetTest,
    ::testing::Values(
        SnippetCase{"NonBreakingSpacesAndDashes",
                    "<p>Fax:&nbsp;613&nbsp;562&ndash;5801</p>",
                    {"1-613-562-5801"},
                    {"+6135625801"}},
        SnippetCase{"ExtensionDropped",
                    "<p>Fax: 416-530-6000 x3536</p>",
                    {"1-416-530-6000"},
                    {"1-416-530-6000"}},
        SnippetCase{"TenDigitsWithoutSeparators",
                    "<p>Fax / 7057284322 / Address / 60 Worsley "
                    "Street</p>",
                    {"1-705-728-4322"},
                    {"+7057284322-60"}},
        SnippetCase{"PlusSetApart",
                    "<p>Tel : + 351 21 791 00 32<br>Fax : + 351 21 791 00 43</p>",
                    {"+351-21-791-0043"},
                    {"+-351-21-791-00-43"}},
        SnippetCase{"InvalidNumber", "<p>Fax: 123-456-7890</p>", {}, {"1-123-456-7890"}},
        SnippetCase{"TooFewDigits", "<p>Fax: 562-5801</p>", {}, {}},
        SnippetCase{"HalifaxIsNoLabel", "<p>Halifax 902-494-2211</p>", {}, {"1-902-494-2211"}},
        SnippetCase{"SameNumberTwice",
                    "<p>Fax: 613-562-5801</p><p>Fax (613) 562-5801</p>",
                    {"1-613-562-5801"},
                    {"1-613-562-5801"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThoroughFaxScanTest, AllowInternationalOffKeepsTheNorthAmericanNumbers) {
  const std::string body =
      "<p>Fax +44 20 7946 0958</p><p>Fax: 613-562-5801</p><p>Fax: +1 242 502 0000</p>";
  EXPECT_EQ(FaxesOf(FindFaxesThoroughly(body, "", true)),
            (Faxes{"+44-20-7946-0958", "1-613-562-5801", "1-242-502-0000"}));
  EXPECT_EQ(FaxesOf(FindFaxesThoroughly(body, "", false)),
            (Faxes{"1-613-562-5801", "1-242-502-0000"}));
}

TEST(ThoroughFaxScanTest, RegionsFromTheAreaCodeOrTheGeocoder) {
  const std::vector<FoundFax> found = FindFaxesThoroughly(
      "<p>Fax: 613-562-5801</p><p>Fax +44 20 7946 0958</p><p>Fax +800 8006 7890</p>", "", true);
  ASSERT_EQ(found.size(), 3u);
  std::string northAmerican = "613-562-5801";
  EXPECT_EQ(found[0].location, LookupAreaCode(northAmerican));
  EXPECT_EQ(found[1].location, "London, United Kingdom");
  // A number of no country (the universal freephone) has no place to name.
  EXPECT_EQ(found[2].location, kUnknownInternational);
}

TEST(ThoroughFaxScanTest, CountryOfThePageFromItsAddressItsOwnAddressOrItsLanguage) {
  const std::string number = "<p>Fax: 020 7946 0958</p>";
  const struct {
    const char* name;
    std::string head;
    const char* page;
    Faxes faxes;
  } cases[] = {
      {"address given", "", "https://www.example.co.uk/contact", {"+44-20-7946-0958"}},
      {"canonical link",
       "<link rel=\"canonical\" href=\"https://example.co.uk/\">",
       "",
       {"+44-20-7946-0958"}},
      {"og:url",
       "<meta property=\"og:url\" content=\"http://example.co.uk/x\">",
       "",
       {"+44-20-7946-0958"}},
      {"language with country", "", "", {"+44-20-7946-0958"}},
      {"address wins over the page's own",
       "<base href=\"http://example.de/\">",
       "www.example.co.uk",
       {"+44-20-7946-0958"}},
      {"North-American by default", "", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string lang =
        std::string(c.name) == "language with country" ? " lang=\"en-GB\"" : "";
    const std::string body = "<html" + lang + "><head>" + c.head + "</head><body>" + number;
    EXPECT_EQ(FaxesOf(FindFaxesThoroughly(body, c.page, true)), c.faxes);
  }
}

TEST(ThoroughFaxScanTest, NumbersWithoutTrunkPrefixAbroadAreNorthAmerican) {
  const std::string body =
      "<p>Fax 020 7946 0958</p><p>US office fax (201) 555-0123</p>"
      "<p>Fax 0031 43 343 5788</p>";
  EXPECT_EQ(FaxesOf(FindFaxesThoroughly(body, "www.example.co.uk", true)),
            (Faxes{"+44-20-7946-0958", "1-201-555-0123", "+31-43-343-5788"}));
  EXPECT_TRUE(LacksTrunkPrefix("(201) 555-0123", "GB"));
  EXPECT_FALSE(LacksTrunkPrefix("(020) 7946 0958", "GB"));
  EXPECT_FALSE(LacksTrunkPrefix("+1 201 555 0123", "GB"));
  EXPECT_FALSE(LacksTrunkPrefix("915 55 12 34", "ES"));  // Spain dials no trunk prefix
}

TEST(ThoroughFaxScanTest, PageRegion) {
  const struct {
    const char* host;
    const char* language;
    const char* region;
  } cases[] = {
      {"www.example.de", "", "DE"},   {"example.co.uk", "", "GB"},
      {"example.ca", "fr", "CA"},     {"example.com", "fr-CA", "CA"},
      {"example.com", "de", "DE"},    {"example.com", "en", "US"},
      {"example.tv", "", "US"},       {"", "", "US"},
      {"example.org", "it-it", "IT"}, {"example.com.", "en_AU", "AU"},
      {"example.xx", "", "US"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PageRegion(c.host, c.language), c.region) << c.host << " " << c.language;
  }
}

TEST(ThoroughFaxScanTest, LabelsOfTheFiveLanguages) {
  const struct {
    const char* before;
    NumberLabel label;
  } cases[] = {
      {"Fax: ", NumberLabel::Fax},
      {"FAX ", NumberLabel::Fax},
      {"Telefax ", NumberLabel::Fax},
      {"Faxnummer: ", NumberLabel::Fax},
      {"T\xc3\xa9l\xc3\xa9"
       "copie : ",
       NumberLabel::Fax},
      {"Fac-simile ", NumberLabel::Fax},
      {"Facs\xc3\xadmil: ", NumberLabel::Fax},
      {"Phone: ", NumberLabel::Phone},
      {"Telefono ", NumberLabel::Phone},
      {"Tel\xc3\xa9"
       "fono: ",
       NumberLabel::Phone},
      {"Tel. / Fax ", NumberLabel::Fax},
      {"Fax und Telefon: ", NumberLabel::Fax},
      {"Fax: 1 Tel: ", NumberLabel::Phone},
      {"Faxing services ", NumberLabel::None},
      {"Halifax, NS ", NumberLabel::None},
      {"Fairfax ", NumberLabel::None},
      {"Mon-Fri ", NumberLabel::None},
  };
  for (const auto& c : cases) EXPECT_EQ(LabelBefore(c.before, false), c.label) << c.before;
  EXPECT_EQ(LabelBefore("F: ", true), NumberLabel::Fax);
  EXPECT_EQ(LabelBefore("F: ", false), NumberLabel::None);
}

// Whether a block of text holds a fax label at all, which decides whether its numbers are read.
TEST(ThoroughFaxScanTest, MentionsOfFaxInABlock) {
  const struct {
    const char* text;
    FaxMention mention;
  } cases[] = {
      {"", FaxMention::None},
      {"Sales fax", FaxMention::Label},
      {"FAX", FaxMention::Label},
      {"tel. 030 1, Telefax 030 2", FaxMention::Label},
      {"T\xc3\xa9l\xc3\xa9"
       "c. 514",
       FaxMention::Label},
      {"Facsimile", FaxMention::Label},
      {"P. 555-0100 F. 555-0101", FaxMention::ShortLabel},
      {"call Fx 555-0101", FaxMention::ShortLabel},
      {"F: 555 and then fax", FaxMention::Label},
      // Letters of a label inside a word, or a word that only begins like one.
      {"Fairfax, Halifax and infax", FaxMention::None},
      {"t\xc3\xa9"
       "fax",
       FaxMention::None},
      {"for the free estimates of the team", FaxMention::None},
      {"Faxing telephones", FaxMention::None},
  };
  for (const auto& c : cases) EXPECT_EQ(MentionOfFax(c.text), c.mention) << c.text;
}

TEST(ThoroughFaxScanTest, NumberCandidatesAreRunsOfDigitsWithTheirSeparators) {
  const struct {
    const char* text;
    std::vector<std::string> candidates;
  } cases[] = {
      {"Fax: (614) 292-6447.", {"(614) 292-6447"}},
      {"Tel 030/12345678 ext. 12", {"030/12345678"}},
      {"416-530-6050 / 416-530-6000 x3536", {"416-530-6050", "416-530-6000"}},
      {"+ 351 21 791 00 43, Lisboa", {"+ 351 21 791 00 43"}},
      {"(+44) 20 7946 0958", {"(+44) 20 7946 0958"}},
      {"Suite 2052, zip 30303, 12-34", {}},
      {"ISBN978316148410abc 1234567890123456789", {}},
  };
  for (const auto& c : cases) {
    const std::string_view text = c.text;
    std::vector<std::string> found;
    for (const NumberCandidate& candidate : FindNumberCandidates(text))
      found.emplace_back(text.substr(candidate.start, candidate.end - candidate.start));
    EXPECT_EQ(found, c.candidates) << c.text;
  }
}

TEST(ThoroughFaxScanTest, DigitsRunOnAfterANumberAreCutOff) {
  const auto stored = [](const char* text) {
    const std::optional<PhoneNumber> number = ParsePhoneNumber(text, "CA");
    return number ? number->stored : std::string("invalid");
  };
  EXPECT_EQ(stored("7057284322 60"), "1-705-728-4322");
  EXPECT_EQ(stored("613-562-5801 613-562-5802"), "1-613-562-5801");
  EXPECT_EQ(stored("613-562"), "invalid");
  EXPECT_EQ(stored("0031 43 343 5788"), "+31-43-343-5788");
}

// The scan's labels reach across blocks ("Fax:" in one cell, the number in the next), so where
// one block of the page's text ends and the next begins decides what is a fax.
TEST(ThoroughFaxScanTest, PageTextIsReadBlockByBlock) {
  struct Case {
    const char* html;
    std::vector<std::string> blocks;
    std::vector<std::size_t> markedBefore;  // the block each marked number stands before
  };
  const Case cases[] = {
      {"<table><tr><td>Fax:</td><td>613-562-5801</td></tr></table>", {"Fax:", "613-562-5801"}, {}},
      {"<p>One</p><p>Two</p>", {"One", "Two"}, {}},
      {"Line one<br>Line two", {"Line one", "Line two"}, {}},
      {"<ul><li>a</li><li> </li><li></li><li>-</li><li>b</li></ul>", {"a", "-", "b"}, {}},
      {"<div>Call <b>us</b> today</div>", {"Call us today"}, {}},
      {"<p>A</p><p><a href=\"fax:+16135625801\">Send</a></p><p>B</p>", {"A", "Send", "B"}, {1}},
      {"<title>Fax</title>", {}, {}},
  };
  for (const Case& c : cases) {
    const FaxPageText page = ReadFaxPageText(c.html);
    std::vector<std::string> blocks;
    for (std::size_t k = 0; k < page.blockCount(); ++k) blocks.emplace_back(page.block(k));
    EXPECT_EQ(blocks, c.blocks) << c.html;
    std::vector<std::size_t> marked;
    for (const FaxPageText::MarkedFax& m : page.marked) marked.push_back(m.block);
    EXPECT_EQ(marked, c.markedBefore) << c.html;
  }
}

TEST(ThoroughFaxScanTest, PagesWithoutAnyFaxWordAreNotRead) {
  EXPECT_FALSE(MayMentionFax("<p>Call 613-562-5800</p><a href=\"f.html\">f</a>"));
  EXPECT_TRUE(MayMentionFax("<p>FaX</p>"));
  EXPECT_TRUE(MayMentionFax("<p>P: 1<br>F: 613</p>"));
  EXPECT_TRUE(MayMentionFax("<p>T&eacute;l&eacute;c.</p>"));
}

}  // namespace
}  // namespace norvane
