#include "areacodes/area_code_directory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "areacodes/area_code_table.h"

namespace norvane {
namespace {

std::string Lookup(std::string number) {
  return LookupAreaCode(number);
}

// The texts users already have in their fax lists; they must stay byte for byte the same.
struct KnownText {
  std::string_view number;
  std::string_view text;
};

// Short names in test listings instead of the raw bytes of the record.
void PrintTo(const KnownText& known, std::ostream* os) {
  *os << known.number;
}

class KnownTextTest : public testing::TestWithParam<KnownText> {};

TEST_P(KnownTextTest, GivesTheStoredTextExactly) {
  EXPECT_EQ(Lookup(std::string(GetParam().number)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    AreaCodeDirectory, KnownTextTest,
    testing::Values(
        KnownText{"201-555-0123",
                  "NJ  N New Jersey: Jersey City, Hackensack (see split 973, overlay 551)  "},
        KnownText{"202-555-0123", "DC  Washington, D.C. "},
        KnownText{"204-555-0123", "MB  Canada: Manitoba "},
        KnownText{"212-555-0123", "NY  New York City, New York (Manhattan; see 646, 718) "},
        KnownText{"242-555-0123", "--  Bahamas "}, KnownText{"473-555-0123", "--  Grenada"},
        KnownText{"555-555-0123", "--  Reserved for directory assistance applications  "},
        KnownText{"670-555-0123",
                  "MP  Commonwealth of the Northern Mariana Islands (CNMI, US Commonwealth) "},
        KnownText{"787-555-0123", "PR  Puerto Rico (see overlay 939, perm 8/1/01)  "},
        KnownText{"800-555-0123",
                  "--  US/Canada toll free (see 888, 877, 866, 855, 844, 833, 822) "},
        KnownText{"900-555-0123", "--  US toll calls -- prices vary with the number called "},
        KnownText{"911-555-0123", "--  Emergency "},
        KnownText{"985-555-0123",
                  "LA  E Louisiana: SE/N shore of Lake Pontchartrain: Hammond, Slidell, Covington, "
                  "Amite, Kentwood, area SW of New Orleans, Houma, Thibodaux, Morgan City (split "
                  "from 504; perm 02/12/2001; mand 10/22/01) "},
        KnownText{"999-555-0123",
                  "--  Often used by carriers to indicate that the area code information is "
                  "unavailable for CNID, even though the rest of the number is present "}),
    [](const testing::TestParamInfo<KnownText>& info) {
      return "Code" + std::string(info.param.number.substr(0, 3));
    });

// How the number is cut into an area code, and what the caller's variable looks like after.
struct LookupCase {
  std::string_view name;
  std::string_view number;
  std::string_view expected_text;  // empty: the text of key 201
  std::string_view number_after;
};

void PrintTo(const LookupCase& lookup, std::ostream* os) {
  *os << '"' << lookup.number << '"';
}

class LookupCaseTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LookupCaseTest, FindsTheRegionAndTrimsTheCallersNumber) {
  const LookupCase& c = GetParam();
  std::string number(c.number);
  const std::string text = LookupAreaCode(number);
  const std::string_view expected = c.expected_text.empty() ? FindAreaCode(201) : c.expected_text;
  EXPECT_EQ(text, expected);
  EXPECT_EQ(number, c.number_after);
}

constexpr std::string_view kDefault = kUnknownInternational;

INSTANTIATE_TEST_SUITE_P(
    AreaCodeDirectory, LookupCaseTest,
    testing::Values(
        LookupCase{"Plain", "201-555-0123", "", "201-555-0123"},
        LookupCase{"CountryPrefixRemoved", "1-201-555-0123", "", "201-555-0123"},
        LookupCase{"OnlyOnePrefixRemoved", "1-1-201-555-0123", kDefault, "1-201-555-0123"},
        LookupCase{"International", "+44-20-7946-0958", kDefault, "+44-20-7946-0958"},
        LookupCase{"PlusOneIsNoPrefix", "+1-201-555-0123", kDefault, "+1-201-555-0123"},
        LookupCase{"NoDash", "2015550123", kDefault, "2015550123"},
        LookupCase{"NoDashAfterPrefix", "1-2015550123", kDefault, "2015550123"},
        LookupCase{"Empty", "", kDefault, ""}, LookupCase{"OnlyDash", "-", kDefault, "-"},
        LookupCase{"OnlyPrefix", "1-", kDefault, ""},
        LookupCase{"Letters", "abc-def", kDefault, "abc-def"},
        LookupCase{"TooBigForSixteenBits", "99999-1", kDefault, "99999-1"},
        LookupCase{"WrapsToAKeyIn16Bits", "65737-555-0123", kDefault, "65737-555-0123"},
        LookupCase{"LeadingBlank", " 201-555-0123", "", " 201-555-0123"},
        LookupCase{"TrailingBlank", "201 -555-0123", "", "201 -555-0123"},
        LookupCase{"LeadingZeros", "0201-555-0123", "", "0201-555-0123"},
        LookupCase{"PlusSign", "+201-555-0123", "", "+201-555-0123"},
        LookupCase{"BlankInsideDigits", "2 01-555-0123", kDefault, "2 01-555-0123"},
        LookupCase{"DecimalPoint", "201.5-555-0123", kDefault, "201.5-555-0123"},
        LookupCase{"OnlyTheFirstGroupCounts", "555-201-0123",
                   "--  Reserved for directory assistance applications  ", "555-201-0123"},
        LookupCase{"CarrierNote", "999-555-0123",
                   "--  Often used by carriers to indicate that the area code information is "
                   "unavailable for CNID, even though the rest of the number is present ",
                   "999-555-0123"},
        LookupCase{"GapCode220", "220-555-0123", kDefault, "220-555-0123"},
        LookupCase{"GapCode221", "221-555-0123", kDefault, "221-555-0123"},
        LookupCase{"GapCode222", "222-555-0123", kDefault, "222-555-0123"},
        LookupCase{"GapCode223", "223-555-0123", kDefault, "223-555-0123"},
        LookupCase{"BelowFirstKey", "200-555-0123", kDefault, "200-555-0123"},
        LookupCase{"AboveLastKey", "1000-555-0123", kDefault, "1000-555-0123"}),
    [](const testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

TEST(AreaCodeTable, HoldsExactly393AscendingKeysFrom201To999) {
  const auto table = AreaCodeTable();
  ASSERT_EQ(table.size(), 393u);
  EXPECT_EQ(table.front().code, 201);
  EXPECT_EQ(table.back().code, 999);
  for (std::size_t i = 1; i < table.size(); ++i) {
    EXPECT_LT(table[i - 1].code, table[i].code) << "after " << table[i - 1].code;
  }
}

TEST(AreaCodeTable, EveryKeyIsFoundThroughTheLookup) {
  for (const AreaCodeEntry& entry : AreaCodeTable()) {
    std::string number = "1-" + std::to_string(entry.code) + "-555-0123";
    EXPECT_EQ(LookupAreaCode(number), entry.text) << entry.code;
  }
}

TEST(AreaCodeTable, CodesBetweenKeysGiveTheDefault) {
  std::set<int> keys;
  for (const AreaCodeEntry& entry : AreaCodeTable()) keys.insert(entry.code);
  int misses = 0;
  // From 2: a leading "1-" is the country prefix, not area code 1.
  for (int code = 2; code <= 1100; ++code) {
    if (keys.contains(code)) continue;
    std::string number = std::to_string(code) + "-555-0123";
    EXPECT_EQ(LookupAreaCode(number), kUnknownInternational) << code;
    ++misses;
  }
  EXPECT_EQ(misses, 1099 - 393);
}

TEST(AreaCodeTable, TextsArePrintableAsciiWithDescription) {
  for (const AreaCodeEntry& entry : AreaCodeTable()) {
    SCOPED_TRACE(entry.code);
    ASSERT_GT(entry.text.size(), 4u);
    for (char c : entry.text) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7f) << static_cast<int>(static_cast<unsigned char>(c));
    }
    EXPECT_NE(entry.text[4], ' ') << "description starts right after the two spaces";
    const std::size_t double_space = entry.text.find("  ", 4);
    if (double_space != std::string_view::npos) {
      EXPECT_EQ(entry.text.find_first_not_of(' ', double_space), std::string_view::npos)
          << "two spaces only after the region code and at the end: [" << entry.text << "]";
    }
  }
}

// Every key with the region code its text begins with, as the directory was published.
// clang-format off
constexpr std::string_view kKeysWithRegion =
    "201 NJ, 202 DC, 203 CT, 204 MB, 205 AL, 206 WA, 207 ME, 208 ID, 209 CA, 210 TX, 211 --, 212 NY, 213 CA, 214 TX, 215 PA, 216 OH, 217 IL, 218 MN, 219 IN, 224 IL, 225 LA, 228 MS, 229 GA, 231 MI, 234 OH, 236 VA, 239 FL, 240 MD, 242 --, 246 --, 248 MI, 249 MD, 250 BC, 251 AL, 252 NC, 253 WA, 254 TX, 256 AL, 260 IN, 262 WI, 264 --, 267 PA, 268 --, 269 MI, 270 KY, 276 VA, 278 MI, 280 MD, 281 TX, 282 IL, 283 OH, 284 --, 289 ON, "
    "301 MD, 302 DE, 303 CO, 304 WV, 305 FL, 306 SK, 307 WY, 308 NE, 309 IL, 310 CA, 311 --, 312 IL, 313 MI, 314 MO, 315 NY, 316 KS, 317 IN, 318 LA, 319 IA, 320 MN, 321 FL, 323 CA, 325 TX, 327 KY, 330 OH, 331 IL, 334 AL, 336 NC, 337 LA, 339 MA, 340 --, 341 CA, 345 --, 347 NY, 351 MA, 352 FL, 353 WI, 354 --, 358 PA, 360 WA, 361 TX, 369 CA, 380 OH, 381 VA, 383 ME, 385 UT, 386 FL, "
    "401 RI, 402 NE, 403 AB, 404 GA, 405 OK, 406 MT, 407 FL, 408 CA, 409 TX, 410 MD, 411 --, 412 PA, 413 MA, 414 WI, 415 CA, 416 ON, 417 MO, 418 QC, 419 OH, 420 WI, 423 TN, 424 CA, 425 WA, 430 TX, 432 TX, 434 VA, 435 UT, 438 QC, 440 OH, 441 --, 442 CA, 443 MD, 445 PA, 450 QC, 456 --, 464 IL, 469 TX, 470 GA, 473 --, 475 CT, 478 GA, 479 AR, 480 AZ, 484 PA, "
    "500 --, 501 AR, 502 KY, 503 OR, 504 LA, 505 NM, 506 NB, 507 MN, 508 MA, 509 WA, 510 CA, 511 --, 512 TX, 513 OH, 514 QC, 515 IA, 516 NY, 517 MI, 518 NY, 519 ON, 520 AZ, 530 CA, 540 VA, 541 OR, 546 MI, 551 NJ, 555 --, 557 MO, 559 CA, 561 FL, 562 CA, 563 IA, 564 WA, 567 OH, 570 PA, 571 VA, 573 MO, 574 IN, 580 OK, 585 NY, 586 MI, 590 --, "
    "600 --, 601 MS, 602 AZ, 603 NH, 604 BC, 605 SD, 606 KY, 607 NY, 608 WI, 609 NJ, 610 PA, 611 --, 612 MN, 613 ON, 614 OH, 615 TN, 616 MI, 617 MA, 618 IL, 619 CA, 620 KS, 623 AZ, 626 CA, 627 CA, 628 CA, 630 IL, 631 NY, 636 MO, 641 IA, 646 NY, 647 ON, 649 --, 650 CA, 651 MN, 657 CA, 660 MO, 661 CA, 662 MS, 664 --, 669 CA, 670 MP, 671 GU, 678 GA, 679 MI, 682 TX, 684 --, 689 FL, "
    "700 --, 701 ND, 702 NV, 703 VA, 704 NC, 705 ON, 706 GA, 707 CA, 708 IL, 709 NF, 710 --, 711 --, 712 IA, 713 TX, 714 CA, 715 WI, 716 NY, 717 PA, 718 NY, 719 CO, 720 CO, 724 PA, 727 FL, 731 TN, 732 NJ, 734 MI, 737 TX, 740 OH, 747 CA, 752 CA, 754 FL, 757 VA, 758 --, 760 CA, 763 MN, 764 CA, 765 IN, 767 --, 770 GA, 772 FL, 773 IL, 774 MA, 775 NV, 778 BC, 780 AB, 781 MA, 784 --, 785 KS, 786 FL, 787 PR, "
    "800 --, 801 UT, 802 VT, 803 SC, 804 VA, 805 CA, 806 TX, 807 ON, 808 HI, 809 --, 810 MI, 811 --, 812 IN, 813 FL, 814 PA, 815 IL, 816 MO, 817 TX, 818 CA, 819 QC, 822 --, 828 NC, 830 TX, 831 CA, 832 TX, 833 --, 835 PA, 836 FL, 843 SC, 844 --, 845 NY, 847 IL, 848 NJ, 850 FL, 855 --, 856 NJ, 857 MA, 858 CA, 859 KY, 860 CT, 861 FL, 862 NJ, 863 FL, 864 SC, 865 TN, 866 --, 867 YT, 868 --, 869 --, 870 AR, 872 IL, 876 --, 877 --, 878 PA, 880 --, 881 --, 882 --, 888 --, "
    "900 --, 901 TN, 902 NS, 903 TX, 904 FL, 905 ON, 906 MI, 907 AK, 908 NJ, 909 CA, 910 NC, 911 --, 912 GA, 913 KS, 914 NY, 915 TX, 916 CA, 917 NY, 918 OK, 919 NC, 920 WI, 925 CA, 928 AZ, 931 TN, 935 CA, 936 TX, 937 OH, 939 PR, 940 TX, 941 FL, 947 MI, 949 CA, 951 CA, 952 MN, 954 FL, 956 TX, 957 NM, 959 CT, 969 MD, 970 CO, 971 OR, 972 TX, 973 NJ, 975 MO, 976 --, 978 MA, 979 TX, 980 NC, 984 NC, 985 LA, 989 MI, 999 --, ";
// clang-format on

struct KeyWithRegion {
  int code;
  std::string region;
};

std::vector<KeyWithRegion> PublishedKeys() {
  std::vector<KeyWithRegion> keys;
  std::string_view rest = kKeysWithRegion;
  while (!rest.empty()) {
    const auto end = rest.find(", ");
    const std::string_view item = rest.substr(0, end);
    keys.push_back({std::stoi(std::string(item.substr(0, 3))), std::string(item.substr(4, 2))});
    rest.remove_prefix(end + 2);
  }
  return keys;
}

TEST(AreaCodeTable, KeysAndRegionCodesMatchThePublishedList) {
  const std::vector<KeyWithRegion> published = PublishedKeys();
  ASSERT_EQ(published.size(), 393u);
  const auto table = AreaCodeTable();
  ASSERT_EQ(table.size(), published.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(published[i].code);
    EXPECT_EQ(table[i].code, published[i].code);
    EXPECT_EQ(table[i].text.substr(0, 4), published[i].region + "  ");
  }
}

TEST(AreaCodeTable, TextsEndInOneOrTwoSpacesExceptGrenada) {
  for (const AreaCodeEntry& entry : AreaCodeTable()) {
    const std::size_t last = entry.text.find_last_not_of(' ');
    const std::size_t trailing = entry.text.size() - 1 - last;
    if (entry.code == 473) {
      EXPECT_EQ(trailing, 0u);
    } else {
      EXPECT_TRUE(trailing == 1 || trailing == 2) << entry.code << ": " << trailing;
    }
  }
}

}  // namespace
}  // namespace norvane
