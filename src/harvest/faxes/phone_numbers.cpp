#include "harvest/faxes/phone_numbers.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <mutex>
#include <unordered_map>

#include <QString>
#include <QThreadPool>

#include "areacodes/area_code_directory.h"
#include "harvest/ascii_text.h"

namespace norvane {

namespace {

using i18n::phonenumbers::PhoneNumberUtil;
using LibraryNumber = i18n::phonenumbers::PhoneNumber;

constexpr int kNorthAmericanCode = 1;

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

// The text as the library reads it: a "+" set apart from its digits ("+ 351 21 ...") joined to
// them, and for a North-American reader "00" before a country code written as "+".
std::string ForParsing(std::string_view text, bool northAmerican) {
  std::string out;
  std::size_t at = 0;
  if (!text.empty() && text[0] == '+') {
    out.push_back('+');
    at = text.find_first_not_of(' ', 1);
    if (at == std::string_view::npos) at = text.size();
  } else if (northAmerican && text.substr(0, 2) == "00") {
    std::size_t next = text.find_first_not_of(" -", 2);
    if (next != std::string_view::npos && text[next] >= '1' && text[next] <= '9') {
      out.push_back('+');
      at = next;
    }
  }
  out.append(text.substr(at));
  return out;
}

std::optional<LibraryNumber> ParseValid(const std::string& text, const std::string& region) {
  LibraryNumber number;
  if (Util().Parse(text, region, &number) != PhoneNumberUtil::NO_PARSING_ERROR) return {};
  if (!Util().IsValidNumber(number)) return {};
  return number;
}

bool IsSeparator(char c) {
  return c == ' ' || c == '-' || c == '.' || c == '/' || c == '(' || c == ')';
}

std::size_t CountDigits(std::string_view text) {
  std::size_t digits = 0;
  for (char c : text) digits += ascii::IsDigit(c) ? 1 : 0;
  return digits;
}

constexpr std::size_t kMinDigits = 7;
constexpr std::size_t kMaxDigits = 17;
// How often a number with digits run on after it is cut back by a group and asked again.
constexpr int kMaxCutBacks = 3;
constexpr std::size_t kRememberedNumbers = 4096;

std::optional<PhoneNumber> ParseUncached(std::string_view utf8, const std::string& region) {
  std::string text = ForParsing(ascii::TrimBlanks(utf8), IsNorthAmericanRegion(region));
  for (int cut = 0; cut <= kMaxCutBacks; ++cut) {
    if (std::optional<LibraryNumber> number = ParseValid(text, region)) return StoredForm(*number);
    // Drop the last group of digits and the separators before it.
    std::size_t end = text.size();
    while (end > 0 && ascii::IsDigit(text[end - 1])) --end;
    while (end > 0 && !ascii::IsDigit(text[end - 1])) --end;
    if (end == 0 || CountDigits(std::string_view(text).substr(0, end)) < kMinDigits) break;
    text.resize(end);
  }
  return {};
}

}  // namespace

bool IsNorthAmericanRegion(const std::string& region) {
  return Util().GetCountryCodeForRegion(region) == kNorthAmericanCode;
}

bool LacksTrunkPrefix(std::string_view written, const std::string& region) {
  std::string trunk;
  Util().GetNddPrefixForRegion(region, true, &trunk);
  const std::size_t first = written.find_first_not_of(" ()");
  if (trunk.empty() || first == std::string_view::npos || written[first] == '+') return false;
  return !written.substr(first).starts_with(trunk);
}

std::vector<NumberCandidate> FindNumberCandidates(std::string_view text) {
  std::vector<NumberCandidate> found;
  std::size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    const bool opens = ascii::IsDigit(c) || c == '+' || c == '(';
    if (!opens || (at > 0 && ascii::IsAlnum(text[at - 1]))) {
      ++at;
      continue;
    }
    std::size_t end = at + 1;
    std::size_t lastDigit = ascii::IsDigit(c) ? at + 1 : 0;
    while (end < text.size()) {
      const char d = text[end];
      if (ascii::IsDigit(d)) {
        lastDigit = end + 1;
      } else if (d == '+' && end == at + 1 && c == '(') {
        // "(+44) ..."
      } else if (!IsSeparator(d)) {
        break;
      } else if (d == '/' && end > 0 &&
                 (text[end - 1] == ' ' || (end + 1 < text.size() && text[end + 1] == ' '))) {
        break;  // " / " between two numbers; "080/5019521" is one
      }
      ++end;
    }
    // A letter glued to the digits ("12345abc") makes no number.
    const bool gluedLetter = end < text.size() && lastDigit == end && ascii::IsAlpha(text[end]);
    const std::size_t digits = lastDigit > at ? CountDigits(text.substr(at, lastDigit - at)) : 0;
    if (!gluedLetter && digits >= kMinDigits && digits <= kMaxDigits)
      found.push_back({at, lastDigit});
    at = std::max(end, at + 1);
  }
  return found;
}

std::optional<PhoneNumber> ParsePhoneNumber(std::string_view utf8, const std::string& region) {
  // A site writes its numbers on every page (a footer, a header), and the library's checks
  // cost a fifth of a page's work: the answers of the thread's last few thousand numbers are
  // kept. Per thread, as pages are prepared on the crawl's threads side by side.
  static thread_local std::unordered_map<std::string, std::optional<PhoneNumber>> answers;
  std::string key = region;
  key.push_back('\n');
  key.append(utf8);
  if (const auto known = answers.find(key); known != answers.end()) return known->second;
  if (answers.size() >= kRememberedNumbers) answers.clear();
  std::optional<PhoneNumber> answer = ParseUncached(utf8, region);
  answers.emplace(std::move(key), answer);
  return answer;
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

void LoadPhoneNumberTablesAhead() {
  static std::once_flag once;
  std::call_once(once, [] { QThreadPool::globalInstance()->start([] { Util(); }); });
}

}  // namespace norvane
