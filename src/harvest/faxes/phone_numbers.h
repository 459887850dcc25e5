#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// A telephone number the phone-number library found valid, in the form the fax table stores:
// "1-NNN-NNN-NNNN" for the North-American plan, "+" and the international grouping joined by
// dashes for any other ("+44-20-7946-0958"). An extension is dropped.
struct PhoneNumber {
  std::string stored;
  std::string location;  // the area code's region text, or "City, Country" (Windows-1252)
  bool northAmerican = false;
};

// Where a text may hold a telephone number: a run of 7 to 17 digits with the separators people
// write between them (spaces, "-", ".", "/", brackets, a leading "+"), ended by a letter, by
// other punctuation or by " / " and the like between two numbers. Extensions ("x12", "ext. 12")
// stay outside. Cheap: the phone-number library is asked only about the runs that matter.
struct NumberCandidate {
  std::size_t start = 0;
  std::size_t end = 0;
};
std::vector<NumberCandidate> FindNumberCandidates(std::string_view text);

// A number as written (a candidate's text, the target of a "fax:" link, a site's faxNumber), if
// the phone-number library finds it valid, read in `region` (two letters, such as "US") when it
// carries no country code. An international prefix "00" is read as such also in the
// North-American plan, whose own prefix is "011", as people abroad write it. Digits run on after
// a number ("613-562-5801 60 Main St") are cut off group by group until it is valid.
std::optional<PhoneNumber> ParsePhoneNumber(std::string_view utf8, const std::string& region);

// Loads the phone-number library's tables on a thread of Qt's pool, once: the first page read
// with the thorough scan then does not wait for them (10 to 20 ms, paid by the crawl before).
void LoadPhoneNumberTablesAhead();

// The region whose numbers a page gives without country code: the country of its host's
// top-level domain, else of its language ("de", "fr-CA"), else `linkedRegion` (the country its
// links and mail addresses mostly go to), else the North-American plan ("US").
std::string PageRegion(std::string_view host, std::string_view language,
                       std::string_view linkedRegion = {});

// The country of a host's top-level domain ("www.example.co.uk" -> "GB"); empty for generic
// domains and those sold to anyone (".com", ".tv").
std::string HostRegion(std::string_view host);

// True when a number written without country code lacks the trunk prefix that `region` dials
// before its national numbers ("201 555 0123" on a British page, where people write "020 ..."):
// such a number is more likely North-American.
bool LacksTrunkPrefix(std::string_view written, const std::string& region);

// True when numbers read in `region` belong to the North-American plan.
bool IsNorthAmericanRegion(const std::string& region);

}  // namespace norvane
