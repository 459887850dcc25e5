#include "harvest/faxes/fax_scan.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "areacodes/area_code_directory.h"

namespace norvane {
namespace {

std::string RegionOf(std::string number) {
  return LookupAreaCode(number);
}

const std::string kInternational(kUnknownInternational);

// --- The candidate scan -------------------------------------------------------------------

struct ScanCase {
  const char* name;
  std::string afterFax;
  std::string candidate;
  int digits;
  int letters;
  friend void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }
};

class CandidateScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(CandidateScanTest, GathersCandidateAndCounts) {
  const ScanCase& c = GetParam();
  FaxCandidate scan = ScanFaxCandidate(c.afterFax);
  EXPECT_EQ(scan.text, c.candidate);
  EXPECT_EQ(scan.digitCount, c.digits);
  EXPECT_EQ(scan.letterCount, c.letters);
}

INSTANTIATE_TEST_SUITE_P(
    ScanTable, CandidateScanTest,
    ::testing::Values(
        // The worked examples.
        ScanCase{"Brackets", ": (201) 555-0123", "201-555-0123", 10, 0},
        ScanCase{"LeadingOne", " 1-800-555-0199", "1-800-555-0199", 10, 0},
        ScanCase{"SecondNumberTaken", ": 201.555.0123 phone 201 555 0188", "201-555-0123-201", 13,
                 0},
        ScanCase{"PlusSpaces", " +44 20 7946 0958", "+44-20-7946 0958", 12, 0},
        ScanCase{"Spaces", " 44 20 7946 0958", "44-20-7946 0958", 12, 0},
        ScanCase{"PlusOne", " +1 201 555 0123", "+1-201-555 0123", 10, 0},
        ScanCase{"SevenDigits", ": 555-0123", "555-0123", 7, 0},
        ScanCase{"WordsFirst", " number available on request: 201-555-0123", "", 0, 7},
        // Separators.
        ScanCase{"SeparatorsBeforeDigitsIgnored", " - . -5", "5", 1, 0},
        ScanCase{"DotThenSpaceGivesOneDash", "201. 555", "201-555", 6, 0},
        ScanCase{"SpaceThenDashGivesOneDash", "201 -555", "201-555", 6, 0},
        ScanCase{"TrailingSeparatorKept", "201.", "201.", 3, 0},
        ScanCase{"SeparatorAfterPlus", "+ 44", "+ 44", 2, 0},
        // Plus signs, other characters.
        ScanCase{"SecondPlusIgnored", "+1+2+3", "+123", 2, 0},
        ScanCase{"BracketsColonsTabsIgnored", "(201)\t555:0123/", "2015550123", 10, 0},
        ScanCase{"NonBreakingSpaceAndDashCodes",
                 "201\xA0"
                 "555\x96"
                 "01\x97"
                 "23",
                 "2015550123", 10, 0},
        ScanCase{"LineFeedIgnored", "201\n555", "201555", 6, 0},
        // Counting.
        ScanCase{"OnesBeforeAnyCountedDigit", "111", "111", 0, 0},
        ScanCase{"OneAfterCountedDigit", "21", "21", 2, 0},
        ScanCase{"UncountedOnesWithSeparators", "1.1.1 201 555 0123", "1-1-1-201-555 0123", 10, 0},
        ScanCase{"StopsAtThirteenDigits", "12345678901234567", "12345678901234", 13, 0},
        ScanCase{"LettersCountedBelowTenDigits", "201 x 555 y 0123 abc", "201-555-0123 ", 10, 2},
        ScanCase{"LettersAfterTenDigitsNotCounted", "2015550123 abcdefghijk 4", "2015550123-4", 11,
                 0},
        ScanCase{"StopsAtSevenLetters", "abcdefg 201", "", 0, 7},
        ScanCase{"NonAsciiLettersNotCounted", "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9 201", "201", 3, 0},
        ScanCase{"Empty", "", "", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CandidateScan, PositionCountsThePassesMade) {
  // Pass 0 reads nothing; seven letters stop the scan after the pass that read the seventh.
  EXPECT_EQ(ScanFaxCandidate("").position, 1u);
  EXPECT_EQ(ScanFaxCandidate("abc").position, 4u);
  EXPECT_EQ(ScanFaxCandidate(" abcdefgh").position, 9u);
  EXPECT_EQ(ScanFaxCandidate("12345678901234567").position, 15u);
}

TEST(CandidateScan, LineLongerThanSixteenBitPositionIsReadToItsEnd) {
  for (std::size_t filler : {32767u, 32768u, 70000u}) {
    std::string text(filler, '_');
    text += "201-555-0123";
    FaxCandidate scan = ScanFaxCandidate(text);
    EXPECT_EQ(scan.text, "201-555-0123") << filler;
    EXPECT_EQ(scan.position, text.size() + 1) << filler;
  }
}

// --- Normalising and classifying -------------------------------------------------------------

struct ClassifyCase {
  const char* name;
  std::string candidate;
  std::string fax;     // empty: nothing to store
  std::string areaOf;  // number whose region is expected; empty for international
  bool allowInternational;
  friend void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.name; }
};

class ClassifyTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyTest, GivesStoredFormAndRegion) {
  const ClassifyCase& c = GetParam();
  auto found = ClassifyFaxCandidate(c.candidate, c.allowInternational);
  if (c.fax.empty()) {
    EXPECT_FALSE(found.has_value()) << found->fax;
    return;
  }
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->fax, c.fax);
  EXPECT_EQ(found->location, c.areaOf.empty() ? kInternational : RegionOf(c.areaOf));
}

INSTANTIATE_TEST_SUITE_P(
    Normalising, ClassifyTest,
    ::testing::Values(
        ClassifyCase{"UsGetsPrefix", "201-555-0123", "1-201-555-0123", "201-555-0123", true},
        ClassifyCase{"UsKeepsPrefix", "1-800-555-0199", "1-800-555-0199", "800-555-0199", true},
        ClassifyCase{"ExtraDigitsCut", "201-555-0123-201", "1-201-555-0123", "201-555-0123", true},
        ClassifyCase{"ExtraDigitsCutKeepsPrefix", "1-201-555-01234", "1-201-555-0123",
                     "201-555-0123", true},
        ClassifyCase{"PlusOneCutBecomesUs", "+1-201-555-01234", "1-201-555-0123", "201-555-0123",
                     true},
        ClassifyCase{"PlusOneTwelveIsInternational", "+1-201-555 0123", "+1-201-555-0123", "",
                     true},
        ClassifyCase{"SpacesAndDotsBecomeDashes", "201 555.0123", "1-201-555-0123", "201-555-0123",
                     true},
        ClassifyCase{"TrailingSeparatorDropped", "201-555-0123.", "1-201-555-0123", "201-555-0123",
                     true},
        ClassifyCase{"DashRunsFolded", "201----555--0123", "1-201-555-0123", "201-555-0123", true},
        ClassifyCase{"InternationalWithPlus", "+44-20-7946 0958", "+44-20-7946-0958", "", true},
        ClassifyCase{"InternationalGetsPlus", "44-20-7946 0958", "+44-20-7946-0958", "", true},
        ClassifyCase{"TenDigitsUnbroken", "2015550123", "+2015550123", "", true},
        ClassifyCase{"NineDigits", "201-555-012", "+201-555-012", "", true},
        ClassifyCase{"SeparatorAfterPlusKept", "+ 44 20", "+-44-20", "", true},
        // The cut keeps only the shape: a dash in the twelfth place stays.
        ClassifyCase{"CutShapeOnly", "201-555-012-34", "1-201-555-012-", "201-555-012-", true},
        ClassifyCase{"InternationalDropped", "+44-20-7946 0958", "", "", false},
        ClassifyCase{"TenDigitsUnbrokenDropped", "2015550123", "", "", false},
        ClassifyCase{"UsKeptWithoutInternational", "201-555-0123", "1-201-555-0123", "201-555-0123",
                     false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Classify, NorthAmericanRegionComesFromTheAreaCode) {
  auto found = ClassifyFaxCandidate("201-555-0123", true);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->location.substr(0, 4), "NJ  ");
  auto other = ClassifyFaxCandidate("212-555-0123", true);
  ASSERT_TRUE(other.has_value());
  EXPECT_EQ(other->location.substr(0, 4), "NY  ");
}

// --- IsUsNumber -------------------------------------------------------------------------------

TEST(IsUsNumber, ChecksDashPlacesAndLengthOnly) {
  struct Case {
    std::string text;
    bool us;
  };
  const std::vector<Case> cases = {
      {"201-555-0123", true},
      {"1-201-555-0123", true},
      {"abc-def-ghij", true},
      {"201-555-012-", true},
      {"201-555-01234", false},
      {"201-555-012", false},
      {"2015-55-0123", false},
      {"201-5550-123", false},
      {"201--55-0123", false},
      {"1-1-201-555-0123", false},
      {"+1-201-555-0123", false},
      {"201-555-0123 ", false},
      {"2015550123", false},
      {"", false},
      {"1-", false},
      {"201-", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsUsNumber(c.text), c.us) << '"' << c.text << '"';
}

// --- Whole lines: the worked examples and the edge cases -----------------------------------

struct LineCase {
  const char* name;
  std::string text;
  bool allowInternational;
  std::vector<std::string> faxes;
  friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

class FindFaxesTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(FindFaxesTest, StoresExpectedNumbers) {
  const LineCase& c = GetParam();
  std::vector<std::string> faxes;
  for (const FoundFax& found : FindFaxes(c.text, c.allowInternational)) {
    faxes.push_back(found.fax);
  }
  EXPECT_EQ(faxes, c.faxes);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, FindFaxesTest,
    ::testing::Values(
        LineCase{"Brackets", "Fax: (201) 555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"LeadingOne", "fax 1-800-555-0199\r\n", true, {"1-800-555-0199"}},
        LineCase{"SecondNumberCutBack",
                 "fax: 201.555.0123 phone 201 555 0188\r\n",
                 true,
                 {"1-201-555-0123"}},
        LineCase{"PlusInternational", "fax +44 20 7946 0958\r\n", true, {"+44-20-7946-0958"}},
        LineCase{"International", "fax 44 20 7946 0958\r\n", true, {"+44-20-7946-0958"}},
        LineCase{"PlusOne", "fax +1 201 555 0123\r\n", true, {"+1-201-555-0123"}},
        LineCase{"SevenDigits", "fax: 555-0123\r\n", true, {}},
        LineCase{"WordsFirst", "fax number available on request: 201-555-0123\r\n", true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, FindFaxesTest,
    ::testing::Values(
        LineCase{"NoFax", "Phone 201-555-0123\r\n", true, {}},
        LineCase{"CapitalFax", "FAX 201-555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"MixedCaseFax", "fAx 201-555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"InsideWord", "Telefax 201-555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"MoreDigitsAfter", "Fax 201-555-0123 4567 8901\r\n", true, {"1-201-555-0123"}},
        LineCase{"UnbrokenTen", "Fax 2015550123\r\n", true, {"+2015550123"}},
        LineCase{"UnbrokenTenNoInternational", "Fax 2015550123\r\n", false, {}},
        LineCase{"LeadingOneSpaced", "Fax 1 201 555 0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"NineDigits", "Fax 201-555-012\r\n", true, {"+201-555-012"}},
        LineCase{"NonBreakingSpaces",
                 "Fax 201\xA0"
                 "555\xA0"
                 "0123\r\n",
                 true,
                 {"+2015550123"}},
        LineCase{"DashCodes",
                 "Fax 201\x96"
                 "555\x97"
                 "0123\r\n",
                 true,
                 {"+2015550123"}},
        LineCase{"DashCodesNoInternational",
                 "Fax 201\x96"
                 "555\x97"
                 "0123\r\n",
                 false,
                 {}},
        LineCase{"InternationalOff",
                 "Fax +44 20 7946 0958\r\nFax 201-555-0123\r\n",
                 false,
                 {"1-201-555-0123"}},
        LineCase{"NineDigitsThenSevenLetters", "Fax 201-555-012 abcdefg\r\n", true, {}},
        // Only the first "fax" of a line is read; what follows it is part of its text.
        LineCase{"FirstFaxOfLineOnly",
                 "Fax 201-555-0123 fax 202-555-0199\r\n",
                 true,
                 {"1-201-555-0123"}},
        LineCase{"OrderAcrossLines",
                 "fax 202-555-0199\r\nfax 201-555-0123\r\n",
                 true,
                 {"1-202-555-0199", "1-201-555-0123"}},
        LineCase{"DuplicateStoredOnce",
                 "Fax 201-555-0123\r\nFAX: 201.555.0123\r\n",
                 true,
                 {"1-201-555-0123"}},
        // Found by the fuzzer: a second number's "+" joins the candidate, which then is no
        // North-American number and is not cut back.
        LineCase{"PlusOfASecondNumberJoins",
                 "Fax 201-555-0123 or +44 20 7946 0958\r\n",
                 true,
                 {"201-555-0123-+44-2"}},
        LineCase{"PlusOfASecondNumberJoinsNoInternational",
                 "Fax 201-555-0123 or +44 20 7946 0958\r\n",
                 false,
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RepeatRule, FindFaxesTest,
    ::testing::Values(
        // Seven letters end the scan; the rest of the line is read again only where removing
        // "fax" joined a new one ("ffaxax" becomes "fax").
        LineCase{
            "JoinedFaxReadAgain", "fax abcdefgh ffaxax 201-555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"NoJoinNoRepeat", "fax abcdefgh and 201-555-0123\r\n", true, {}},
        // The rest starts one past the seventh letter's pass, so the joined word's "f" is lost.
        LineCase{"RepeatDropsPositionCharacters", "fax abcdefgffaxax 201-555-0123\r\n", true, {}},
        LineCase{"RepeatAfterOneMoreCharacter",
                 "fax abcdefg1ffaxax 201-555-0123\r\n",
                 true,
                 {"1-201-555-0123"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    LinesAndReplacements, FindFaxesTest,
    ::testing::Values(
        LineCase{"LoneLineFeedStaysInLine", "Fax\n201-555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"CarriageReturnEndsLine", "Fax\r201-555-0123\r\n", true, {}},
        LineCase{"CrLfEndsLine", "Fax\r\n201-555-0123\r\n", true, {}},
        LineCase{"LastLineWithoutBreak", "x\r\nFax 201-555-0123", true, {"1-201-555-0123"}},
        LineCase{"EncodedSpaces", "Fax:%20201%20555%200123\r\n", true, {"1-201-555-0123"}},
        // Without the "@" the digits of "%40" would lead the number.
        LineCase{"EncodedAt", "Fax%40201-555-0123\r\n", true, {"1-201-555-0123"}},
        // Eight letters of "&lt;" would end the scan; "<" is no letter.
        LineCase{
            "EscapedBrackets", "Fax &lt;&lt;&gt;&gt; 201-555-0123\r\n", true, {"1-201-555-0123"}},
        LineCase{"ReplacementsMatchCase", "Fax &LT;&LT;&GT;&GT; 201-555-0123\r\n", true, {}},
        LineCase{"OtherPercentCodesKept", "Fax:%2F201-555-0123\r\n", true, {"+2201-555-0123"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindFaxes, LongLinePastSixteenBitPosition) {
  const std::string line =
      "Fax " + std::string(40000, '.') + std::string(40000, '#') + " 201 555 0123\r\n";
  std::vector<FoundFax> found = FindFaxes(line, true);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].fax, "1-201-555-0123");
}

TEST(FindFaxes, WorkedExampleRegions) {
  std::vector<FoundFax> found =
      FindFaxes("Fax: (201) 555-0123\r\nfax +44 20 7946 0958\r\nfax 1-800-555-0199\r\n", true);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].location, RegionOf("201-555-0123"));
  EXPECT_EQ(found[1].location, kInternational);
  EXPECT_EQ(found[2].location, RegionOf("1-800-555-0199"));
  EXPECT_NE(found[0].location, kInternational);
}

// --- Hooks ------------------------------------------------------------------------------------

TEST(ScanFaxTextHooks, KnownNumberIsSkippedAndOthersKeepOrder) {
  std::vector<std::string> asked;
  std::vector<FoundFax> stored;
  FaxScanHooks hooks;
  hooks.faxKnown = [&](std::string& fax) {
    asked.push_back(fax);
    return fax == "1-202-555-0199";
  };
  hooks.store = [&](const FoundFax& fax) { stored.push_back(fax); };
  ScanFaxText("fax 201-555-0123\r\nfax 202-555-0199\r\nfax +44 20 7946 0958\r\n", true, hooks);
  EXPECT_EQ(asked,
            (std::vector<std::string>{"1-201-555-0123", "1-202-555-0199", "+44-20-7946-0958"}));
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].fax, "1-201-555-0123");
  EXPECT_EQ(stored[1].fax, "+44-20-7946-0958");
  EXPECT_EQ(stored[1].location, kInternational);
}

TEST(ScanFaxTextHooks, LookupMayNormaliseTheNumberItStores) {
  std::vector<std::string> stored;
  FaxScanHooks hooks;
  hooks.faxKnown = [](std::string& fax) {
    fax += "!";
    return false;
  };
  hooks.store = [&](const FoundFax& fax) { stored.push_back(fax.fax); };
  ScanFaxText("fax 201-555-0123\r\n", true, hooks);
  EXPECT_EQ(stored, std::vector<std::string>{"1-201-555-0123!"});
}

TEST(ScanFaxTextHooks, LookupAskedEvenWhenSevenLettersForbidStoring) {
  int asked = 0;
  int stored = 0;
  FaxScanHooks hooks;
  hooks.faxKnown = [&](std::string&) {
    ++asked;
    return false;
  };
  hooks.store = [&](const FoundFax&) { ++stored; };
  ScanFaxText("fax 201-555-012 abcdefg\r\n", true, hooks);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(stored, 0);
}

TEST(ScanFaxTextHooks, DroppedInternationalIsNotLookedUp) {
  int asked = 0;
  FaxScanHooks hooks;
  hooks.faxKnown = [&](std::string&) {
    ++asked;
    return false;
  };
  ScanFaxText("fax +44 20 7946 0958\r\n", false, hooks);
  EXPECT_EQ(asked, 0);
}

TEST(ScanFaxTextHooks, YieldsOncePerLine) {
  int yields = 0;
  FaxScanHooks hooks;
  hooks.yieldLine = [&] { ++yields; };
  ScanFaxText("a\r\nb\rc\nd\r\n\r\nfax 201-555-0123", true, hooks);
  EXPECT_EQ(yields, 5);
}

TEST(ScanFaxTextHooks, EmptyHooksAreAllowed) {
  ScanFaxText("fax 201-555-0123\r\n", true, FaxScanHooks{});
}

// --- The page steps before the scan ------------------------------------------------------------

TEST(RemoveLineBreaks, RemovesEveryCrAndLf) {
  EXPECT_EQ(RemoveLineBreaks("a\r\nb\rc\nd"), "abcd");
  EXPECT_EQ(RemoveLineBreaks("\n\r\r\n\n"), "");
  EXPECT_EQ(RemoveLineBreaks(""), "");
  EXPECT_EQ(RemoveLineBreaks(std::string("a\0b\tc", 5)), std::string("a\0b\tc", 5));
}

TEST(BreakBeforeFax, PutsLineBreakBeforeEveryFaxInLowerCase) {
  EXPECT_EQ(BreakBeforeFax("Tel 1 Fax 2 FAX 3"), "Tel 1 \r\nfax 2 \r\nfax 3");
  EXPECT_EQ(BreakBeforeFax("faxfax"), "\r\nfax\r\nfax");
  EXPECT_EQ(BreakBeforeFax("ffaxax"), "f\r\nfaxax");
  EXPECT_EQ(BreakBeforeFax("no such word fa x"), "no such word fa x");
  EXPECT_EQ(BreakBeforeFax(""), "");
  EXPECT_EQ(BreakBeforeFax("fa"), "fa");
}

// The literal definitions, step by step, to hold the fast versions against.
std::string ReplaceEvery(std::string text, const std::string& from, const std::string& to,
                         bool anyCase) {
  auto lower = [](std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  const std::string haystack = anyCase ? lower(text) : text;
  const std::string needle = anyCase ? lower(from) : from;
  std::string out;
  std::size_t done = 0;
  for (std::size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, done)) {
    out += text.substr(done, at - done) + to;
    done = at + needle.size();
  }
  return out + text.substr(done);
}

TEST(PageSteps, FastVersionsAgreeWithTheLiteralSteps) {
  const std::string alphabet = "fFaAxX\r\n -";
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 24, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    std::string removed = ReplaceEvery(text, "\r\n", "", false);
    removed = ReplaceEvery(removed, "\r", "", false);
    removed = ReplaceEvery(removed, "\n", "", false);
    ASSERT_EQ(RemoveLineBreaks(text), removed) << text;
    ASSERT_EQ(BreakBeforeFax(text), ReplaceEvery(text, "fax", "\r\nfax", true)) << text;
  }
}

// Generous margins: only a cost that grows with the square of the length can fail these.
TEST(CandidateScan, WorkGrowsLinearlyWithUncountedOnes) {
  auto timeFor = [](std::size_t pairs) {
    std::string line = "Fax ";
    for (std::size_t i = 0; i < pairs; ++i) line += (i % 2 == 0) ? "1." : "1 ";
    line += "201\r\n";
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(FindFaxes(line, true).empty());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  timeFor(2000);  // warm up
  double small = timeFor(20000);
  double large = timeFor(160000);
  EXPECT_LT(large, small * 30 + 0.05) << small << " s against " << large << " s";
}

TEST(PageSteps, WorkGrowsLinearlyWithLineLength) {
  auto timeFor = [](std::size_t units) {
    std::string text;
    for (std::size_t i = 0; i < units; ++i) text += "Fax abcdefgh 201 ";
    auto start = std::chrono::steady_clock::now();
    std::string line = BreakBeforeFax(RemoveLineBreaks(text));
    // One long line as the scan would see it if the converter had failed.
    std::vector<FoundFax> found = FindFaxes(RemoveLineBreaks(line), true);
    EXPECT_TRUE(found.empty());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  timeFor(2000);  // warm up
  double small = timeFor(10000);
  double large = timeFor(80000);
  EXPECT_LT(large, small * 30 + 0.05) << small << " s against " << large << " s";
}

}  // namespace
}  // namespace norvane
