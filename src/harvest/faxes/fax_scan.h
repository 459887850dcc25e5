#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// One number the fax scan would store, in its stored form, with its region text.
struct FoundFax {
  std::string fax;
  std::string location;
  bool operator==(const FoundFax&) const = default;
};

// What the scan asks of its caller while it runs over a page's converted text.
struct FaxScanHooks {
  // True when the number (in stored form) is already stored; the scan then skips it.
  std::function<bool(std::string& fax)> faxKnown;
  // Stores a new number; called in the order the numbers stand on the page.
  std::function<void(const FoundFax&)> store;
  // Called once per line so a long page does not hold up window events.
  std::function<void()> yieldLine;
};

// True for "NNN-NNN-NNNN" shapes (after an optional leading "1-"): first "-" at position 4,
// the next at position 8, twelve characters in all. The digits themselves are not examined.
bool IsUsNumber(std::string text);

// What the candidate scan gathered from the text that followed one "fax": the digits,
// separators and "+" taken, the counts, and the position the scan stopped at (the count of
// passes made, the first of which reads no character).
struct FaxCandidate {
  std::string text;
  int digitCount = 0;
  int letterCount = 0;
  std::size_t position = 0;
};
FaxCandidate ScanFaxCandidate(std::string_view afterFax);

// True when the scan took enough digits (9 to 13) for the candidate to be normalised.
bool HasFaxDigitCount(const FaxCandidate& candidate);

// Normalises a scanned candidate into one of the two stored forms and names its region:
// "1-NNN-NNN-NNNN" with the area code's region text, or "+" and digits with
// "Unknown/International". Nothing for an international number when those are not allowed.
std::optional<FoundFax> ClassifyFaxCandidate(std::string candidate, bool allowInternational);

// Scans the converted text of a page line by line for numbers after the word "fax".
void ScanFaxText(std::string_view convertedText, bool allowInternational,
                 const FaxScanHooks& hooks);

// The numbers that ScanFaxText would store into an empty database, in order.
std::vector<FoundFax> FindFaxes(std::string_view convertedText, bool allowInternational);

// The page steps before the scan: a received page body with every CR and LF removed, as the
// page saving writes it, and then every "fax" (any case) replaced by CR LF and "fax".
std::string RemoveLineBreaks(std::string_view body);
std::string BreakBeforeFax(std::string_view pageText);

}  // namespace norvane
