#include <gtest/gtest.h>
#include <ostream>

#include "store/spider_database.h"

namespace norvane {
namespace {

struct NormalisationCase {
  const char* input;
  const char* expected;
};

// Readable test names: the input with control characters written as escapes.
void PrintTo(const NormalisationCase& c, std::ostream* os) {
  *os << '[';
  for (const char* p = c.input; *p; ++p) {
    if (*p == '\t')
      *os << "\\t";
    else
      *os << *p;
  }
  *os << ']';
}

class WebsiteNormalisation : public ::testing::TestWithParam<NormalisationCase> {};

TEST_P(WebsiteNormalisation, RemovesSchemeFragmentsThenSpaces) {
  EXPECT_EQ(SpiderDatabase::NormaliseWebsite(QString::fromUtf8(GetParam().input)),
            QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebsiteNormalisation,
    ::testing::Values(
        NormalisationCase{"  HTTP://Example.COM  ", "Example.COM"},
        NormalisationCase{"HtTp://www.a.com/x", "www.a.com/x"},
        // Fragments go wherever they stand, not only at the start.
        NormalisationCase{"www.a.com/go?u=http://b.org", "www.a.com/go?u=b.org"},
        NormalisationCase{"a.com/TTP://b/p://c", "a.com/b/c"},
        // Other schemes lose only what the five fragments cover: "https" keeps its name, while
        // "ftp://" contains the fragment "tp://" and keeps only its "f".
        NormalisationCase{"https://secure.org", "httpssecure.org"},
        NormalisationCase{"news://group.net", "newsgroup.net"},
        NormalisationCase{"ftp://files.org", "ffiles.org"},
        // Each pass is one left-to-right sweep: text joined by a removal stays for the next pass.
        NormalisationCase{"hthttp://tp://x.com", "hx.com"},
        // One "http://" whose removal joins a new "://": the later passes remove that too.
        NormalisationCase{"a:http:////b", "ab"},
        // Only the space character is trimmed.
        NormalisationCase{"\thttp://a.com\t", "\ta.com\t"},
        NormalisationCase{"http:// a b.com ", "a b.com"}, NormalisationCase{"", ""},
        NormalisationCase{"   ", ""}));

TEST(WebsiteNormalisation, KeepsTheSecureSchemeWhenAsked) {
  const struct {
    const char* input;
    const char* kept;   // with keepSecureScheme
    const char* plain;  // without it, as always
  } cases[] = {
      {"https://secure.org/a", "https://secure.org/a", "httpssecure.org/a"},
      {"  HTTPS://Secure.org  ", "https://Secure.org", "HTTPSSecure.org"},
      // Only a leading secure scheme is kept; the rest loses its fragments as ever.
      {"https://a.com/go?u=https://b.org", "https://a.com/go?u=httpsb.org",
       "httpsa.com/go?u=httpsb.org"},
      {"https://http://x.com", "https://x.com", "httpsx.com"},
      {"a.com/https://b.org", "a.com/httpsb.org", "a.com/httpsb.org"},
      {"http://plain.org", "plain.org", "plain.org"},
      {"https://", "https://", "https"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpiderDatabase::NormaliseWebsite(QString::fromUtf8(c.input), true),
              QString::fromUtf8(c.kept))
        << c.input;
    EXPECT_EQ(SpiderDatabase::NormaliseWebsite(QString::fromUtf8(c.input)),
              QString::fromUtf8(c.plain))
        << c.input;
  }
}

class FaxNormalisation : public ::testing::TestWithParam<NormalisationCase> {};

TEST_P(FaxNormalisation, DropsOneTrailingDotThenSpaces) {
  EXPECT_EQ(SpiderDatabase::NormaliseFax(QString::fromUtf8(GetParam().input)),
            QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, FaxNormalisation,
                         ::testing::Values(NormalisationCase{"1-800-555-0100.", "1-800-555-0100"},
                                           NormalisationCase{"1-800-555-0100..", "1-800-555-0100."},
                                           NormalisationCase{" +44-20-7946-0000 .",
                                                             "+44-20-7946-0000"},
                                           // The dot counts only as the very last character.
                                           NormalisationCase{"1-800-555-0100. ", "1-800-555-0100."},
                                           NormalisationCase{".", ""}, NormalisationCase{"", ""}));

TEST(TrimSpaces, TrimsOnlyTheSpaceCharacter) {
  EXPECT_EQ(SpiderDatabase::TrimSpaces(QStringLiteral("  fax  numbers ")), "fax  numbers");
  EXPECT_EQ(SpiderDatabase::TrimSpaces(QStringLiteral("\tfax\r\n")), "\tfax\r\n");
  EXPECT_EQ(SpiderDatabase::TrimSpaces(QStringLiteral("    ")), "");
}

}  // namespace
}  // namespace norvane
