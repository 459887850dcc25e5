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

// A number found in a text, with the byte range of what was written.
struct PhoneNumberInText {
  std::size_t start = 0;
  std::size_t end = 0;
  PhoneNumber number;
};

// The valid numbers written in a UTF-8 text, read in `region` (two letters, such as "US") when
// they carry no country code. An international prefix "00" is read as such also in the
// North-American plan, whose own prefix is "011", as people abroad write it.
std::vector<PhoneNumberInText> FindPhoneNumbers(std::string_view utf8, const std::string& region);

// One number written alone (the target of a "fax:" link, a site's faxNumber), if it is valid.
std::optional<PhoneNumber> ParsePhoneNumber(std::string_view utf8, const std::string& region);

// The region whose numbers a page gives without country code: the country of its host's
// top-level domain, else of its language ("de", "fr-CA"), else `linkedRegion` (the country its
// links and mail addresses mostly go to), else the North-American plan ("US").
std::string PageRegion(std::string_view host, std::string_view language,
                       std::string_view linkedRegion = {});

// The country of a host's top-level domain ("www.example.co.uk" -> "GB"); empty for generic
// domains and those sold to anyone (".com", ".tv").
std::string HostRegion(std::string_view host);

// True when numbers read in `region` belong to the North-American plan.
bool IsNorthAmericanRegion(const std::string& region);

}  // namespace norvane
