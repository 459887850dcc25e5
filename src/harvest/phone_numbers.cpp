#include "harvest/phone_numbers.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <QString>

#include "areacodes/area_code_directory.h"
#include "harvest/ascii_text.h"

namespace norvane {

namespace {

using i18n::phonenumbers::PhoneNumberMatch;
using i18n::phonenumbers::PhoneNumberMatcher;
using i18n::phonenumbers::PhoneNumberUtil;
using LibraryNumber = i18n::phonenumbers::PhoneNumber;

constexpr int kNorthAmericanCode = 1;
// The matcher gives up on a text after this many candidates that fail; one block of a page
// holds a few numbers at most.
constexpr int kMaxTries = 64;

const PhoneNumberUtil& Util() {
  return *PhoneNumberUtil::GetInstance();
}

// The geocoder loads its tables on first use; one for the program, asked from any thread.
const i18n::phonenumbers::PhoneNumberOfflineGeocoder& Geocoder() {
  static const i18n::phonenumbers::PhoneNumberOfflineGeocoder geocoder;
  return geocoder;
}

// The fax table's texts are Windows-1252; a letter outside it becomes "?".
std::string ToLatin1(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
      .toLatin1()
      .toStdString();
}

std::string CountryName(const std::string& region) {
  if (region.size() != 2 || !ascii::IsAlpha(region[0])) return {};
  icu::UnicodeString name;
  icu::Locale(nullptr, region.c_str()).getDisplayCountry(icu::Locale::getEnglish(), name);
  std::string out;
  name.toUTF8String(out);
  return out == region ? std::string() : out;
}

std::string InternationalLocation(const LibraryNumber& number) {
  std::string region;
  Util().GetRegionCodeForNumber(number, &region);
  const std::string country = CountryName(region);
  const std::string place =
      Geocoder().GetDescriptionForValidNumber(number, icu::Locale::getEnglish());
  if (country.empty()) return std::string(kUnknownInternational);
  if (place.empty() || place == country) return ToLatin1(country);
  return ToLatin1(place + ", " + country);
}

PhoneNumber StoredForm(LibraryNumber number) {
  number.clear_extension();
  PhoneNumber out;
  if (number.country_code() == kNorthAmericanCode) {
    std::string national;
    Util().GetNationalSignificantNumber(number, &national);
    out.northAmerican = true;
    out.stored = national.substr(0, 3) + '-' + national.substr(3, 3) + '-' + national.substr(6);
    std::string lookup = out.stored;
    out.location = LookupAreaCode(lookup);
    out.stored.insert(0, "1-");
    return out;
  }
  std::string grouped;
  Util().Format(number, PhoneNumberUtil::INTERNATIONAL, &grouped);
  // The grouping's spaces (and any other separator) become single dashes.
  for (char c : grouped) {
    if (ascii::IsDigit(c) || c == '+') {
      out.stored.push_back(c);
    } else if (!out.stored.empty() && out.stored.back() != '-' && out.stored.back() != '+') {
      out.stored.push_back('-');
    }
  }
  if (!out.stored.empty() && out.stored.back() == '-') out.stored.pop_back();
  out.location = InternationalLocation(number);
  return out;
}

// "00" that opens a run of digits, rewritten as " +" of the same length, for a North-American
// reader.
std::string WithInternationalPrefix(std::string_view text) {
  std::string out(text);
  for (std::size_t at = 0; at + 2 < out.size(); ++at) {
    if (out[at] != '0' || out[at + 1] != '0') continue;
    const bool opens = at == 0 || !(ascii::IsAlnum(out[at - 1]) || out[at - 1] == '.' ||
                                    out[at - 1] == ',' || out[at - 1] == '-');
    std::size_t next = at + 2;
    while (next < out.size() && (out[next] == ' ' || out[next] == '-')) ++next;
    if (opens && next < out.size() && out[next] >= '1' && out[next] <= '9') {
      out[at] = ' ';
      out[at + 1] = '+';
    }
  }
  return out;
}

}  // namespace

bool IsNorthAmericanRegion(const std::string& region) {
  return Util().GetCountryCodeForRegion(region) == kNorthAmericanCode;
}

std::vector<PhoneNumberInText> FindPhoneNumbers(std::string_view utf8, const std::string& region) {
  std::vector<PhoneNumberInText> found;
  const std::string text =
      IsNorthAmericanRegion(region) ? WithInternationalPrefix(utf8) : std::string(utf8);
  PhoneNumberMatcher matcher(Util(), text, region, PhoneNumberMatcher::VALID, kMaxTries);
  PhoneNumberMatch match;
  while (matcher.HasNext() && matcher.Next(&match)) {
    const auto start = static_cast<std::size_t>(match.start());
    found.push_back(
        {start, start + static_cast<std::size_t>(match.length()), StoredForm(match.number())});
  }
  return found;
}

std::optional<PhoneNumber> ParsePhoneNumber(std::string_view utf8, const std::string& region) {
  const std::string text =
      IsNorthAmericanRegion(region) ? WithInternationalPrefix(utf8) : std::string(utf8);
  LibraryNumber number;
  if (Util().Parse(text, region, &number) != PhoneNumberUtil::NO_PARSING_ERROR) return {};
  if (!Util().IsValidNumber(number)) return {};
  return StoredForm(number);
}

namespace {

bool IsKnownRegion(const std::string& region) {
  return region.size() == 2 && Util().GetCountryCodeForRegion(region) != 0;
}

// Languages spoken mostly in one country with its own numbering; others (English, Spanish,
// Portuguese, Arabic) leave the choice to the domain or to the North-American default.
std::string RegionOfLanguage(std::string_view language) {
  static constexpr std::pair<std::string_view, std::string_view> kCountries[] = {
      {"de", "DE"}, {"fr", "FR"}, {"it", "IT"}, {"nl", "NL"}, {"sv", "SE"}, {"da", "DK"},
      {"nb", "NO"}, {"no", "NO"}, {"fi", "FI"}, {"pl", "PL"}, {"cs", "CZ"}, {"hu", "HU"},
      {"el", "GR"}, {"tr", "TR"}, {"ja", "JP"}, {"ko", "KR"}, {"ru", "RU"}, {"uk", "UA"},
      {"he", "IL"}, {"is", "IS"}, {"ro", "RO"}, {"bg", "BG"}, {"hr", "HR"}, {"sk", "SK"},
      {"sl", "SI"}, {"et", "EE"}, {"lv", "LV"}, {"lt", "LT"}};
  std::string lower;
  for (char c : language) lower.push_back(ascii::Lower(c == '_' ? '-' : c));
  const std::size_t dash = lower.find('-');
  if (dash != std::string::npos) {
    std::string country;
    for (char c : lower.substr(dash + 1, 2)) country.push_back(ascii::Upper(c));
    if (lower.size() >= dash + 3 && (lower.size() == dash + 3 || lower[dash + 3] == '-') &&
        IsKnownRegion(country))
      return country;
  }
  const std::string_view base = std::string_view(lower).substr(0, dash);
  for (const auto& [code, country] : kCountries) {
    if (base == code) return std::string(country);
  }
  return {};
}

}  // namespace

std::string HostRegion(std::string_view host) {
  while (!host.empty() && host.back() == '.') host.remove_suffix(1);
  const std::size_t dot = host.rfind('.');
  if (dot == std::string_view::npos || host.size() - dot != 3) return {};
  std::string region;
  for (char c : host.substr(dot + 1)) region.push_back(ascii::Upper(c));
  if (region == "UK") return "GB";
  // Top-level domains sold to anyone, which say nothing of a country.
  static constexpr std::string_view kOpen[] = {"AI", "CC", "CO", "FM", "IO", "ME",
                                               "LY", "TV", "WS", "GG", "SH", "AC"};
  for (std::string_view open : kOpen) {
    if (region == open) return {};
  }
  return IsKnownRegion(region) ? region : std::string();
}

std::string PageRegion(std::string_view host, std::string_view language,
                       std::string_view linkedRegion) {
  std::string region = HostRegion(host);
  if (region.empty()) region = RegionOfLanguage(language);
  if (region.empty()) region = linkedRegion;
  return region.empty() ? std::string("US") : region;
}

}  // namespace norvane
