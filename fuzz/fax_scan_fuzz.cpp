// Any received page body through the page steps and the fax scan, with and without
// international numbers; also the scan over the raw bytes as converted text, and the thorough
// scan over the body.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "harvest/faxes/fax_scan.h"
#include "harvest/faxes/fax_scan_page.h"
#include "harvest/faxes/thorough_fax_scan.h"

namespace {

bool HasOnly(const std::string& text, std::string_view allowed) {
  return text.find_first_not_of(allowed) == std::string::npos;
}

// The stored forms as the scan makes them: "1-NNN-NNN-NNNN" (a dash may stand among the last
// four digits when a longer number is cut back), or one "+" with digits and single dashes,
// not ending in a dash. The "+" need not lead: a line with a second number after the first
// ("201-555-0123 or +44 20 ...") is taken as one international candidate.
bool IsStoredForm(const std::string& fax) {
  if (fax.starts_with("1-") && fax.size() == 14 && norvane::IsUsNumber(fax))
    return HasOnly(fax, "0123456789-+");
  return std::count(fax.begin(), fax.end(), '+') == 1 && HasOnly(fax, "0123456789-+") &&
         fax.find_first_of("0123456789") != std::string::npos &&
         fax.find("--") == std::string::npos && fax.back() != '-';
}

void CheckScan(std::string_view text) {
  const std::vector<norvane::FoundFax> all = norvane::FindFaxes(text, true);
  const std::vector<norvane::FoundFax> usOnly = norvane::FindFaxes(text, false);
  for (const norvane::FoundFax& found : all) {
    if (!IsStoredForm(found.fax)) std::fprintf(stderr, "stored as: %s\n", found.fax.c_str());
    FUZZ_CHECK(IsStoredForm(found.fax));
  }
  // Leaving out international numbers leaves the North-American ones, in the same order.
  auto next = all.begin();
  for (const norvane::FoundFax& found : usOnly) {
    FUZZ_CHECK(found.fax.starts_with("1-"));
    next = std::find(next, all.end(), found);
    FUZZ_CHECK(next != all.end());
    ++next;
  }
}

// The thorough scan stores exactly "1-NNN-NNN-NNNN" or "+" and digit groups joined by single
// dashes, each number once.
bool IsThoroughForm(const std::string& fax) {
  if (fax.starts_with("1-"))
    return fax.size() == 14 && norvane::IsUsNumber(fax) && HasOnly(fax, "0123456789-");
  return fax.size() > 2 && fax[0] == '+' && fax[1] != '1' &&
         HasOnly(fax.substr(1), "0123456789-") && fax.find("--") == std::string::npos &&
         fax.back() != '-' && fax[1] != '-';
}

void CheckThoroughScan(std::string_view body) {
  const std::vector<norvane::FoundFax> all = norvane::FindFaxesThoroughly(body, {}, true);
  for (std::size_t i = 0; i < all.size(); ++i) {
    FUZZ_CHECK(IsThoroughForm(all[i].fax));
    FUZZ_CHECK(!all[i].location.empty());
    for (std::size_t k = 0; k < i; ++k) FUZZ_CHECK(all[k].fax != all[i].fax);
  }
  std::vector<norvane::FoundFax> northAmerican;
  for (const norvane::FoundFax& found : all) {
    if (found.fax.starts_with("1-")) northAmerican.push_back(found);
  }
  FUZZ_CHECK(norvane::FindFaxesThoroughly(body, {}, false) == northAmerican);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  CheckScan(norvane::ConvertPageForFaxScan(body, [] {}));
  CheckScan(body);
  CheckThoroughScan(body);
  return 0;
}
