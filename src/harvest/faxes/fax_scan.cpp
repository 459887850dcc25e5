#include "harvest/faxes/fax_scan.h"

#include "harvest/ascii_text.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "areacodes/area_code_directory.h"
#include "common/text_file.h"

namespace norvane {

namespace {

constexpr std::string_view kFaxWord = "fax";
constexpr int kMaxDigits = 13;
constexpr int kMaxLetters = 7;
constexpr int kMinStoredDigits = 9;
constexpr int kLettersCountedBelowDigits = 10;
constexpr std::size_t kUsLength = 12;  // "NNN-NNN-NNNN"

// Letter case is folded for ASCII letters only: the page bytes are Windows-1252 and the word
// looked for is plain ASCII.
using ascii::IsAlpha;
using ascii::IsDigit;

bool FaxWordAt(std::string_view text, std::size_t at) {
  return at + kFaxWord.size() <= text.size() && ascii::Lower(text[at]) == 'f' &&
         ascii::Lower(text[at + 1]) == 'a' && ascii::Lower(text[at + 2]) == 'x';
}

// The index of the next `c` at or after `from`, or the text's size when there is none. The page
// steps run over whole received bodies, where memchr is several times faster than a byte loop.
std::size_t NextByte(std::string_view text, char c, std::size_t from) {
  if (from >= text.size()) return text.size();
  const void* found = std::memchr(text.data() + from, c, text.size() - from);
  return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
               : text.size();
}

// The index of the first "fax" in any letter case at or after `from`; the size for none.
std::size_t NextFaxWord(std::string_view text, std::size_t from) {
  std::size_t lower = NextByte(text, 'f', from);
  std::size_t upper = NextByte(text, 'F', from);
  while (true) {
    const std::size_t at = std::min(lower, upper);
    if (at >= text.size() || FaxWordAt(text, at)) return at;
    if (lower == at) lower = NextByte(text, 'f', at + 1);
    if (upper == at) upper = NextByte(text, 'F', at + 1);
  }
}

// One left-to-right pass; letters joined by a removal are not looked at again.
std::string RemoveFaxWords(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    if (FaxWordAt(text, at))
      at += kFaxWord.size();
    else
      out.push_back(text[at++]);
  }
  return out;
}

// Replaces every occurrence in one left-to-right pass (replacements are not searched again).
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::size_t at = text.find(from);
  if (at == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  while (at != std::string::npos) {
    out.append(text, done, at - done);
    out.append(to);
    done = at + from.size();
    at = text.find(from, done);
  }
  out.append(text, done, std::string::npos);
  text = std::move(out);
}

// "NNN-NNN...": the first dash after three characters, the next after seven.
bool HasUsDashes(std::string_view text) {
  return text.find('-') == 3 && text.find('-', 4) == 7;
}

void ApplyLineReplacements(std::string& line) {
  ReplaceAll(line, "%40", "@");
  ReplaceAll(line, "%20", " ");
  ReplaceAll(line, "&lt;", "<");
  ReplaceAll(line, "&gt;", ">");
}

void StoreIfNew(const FoundFax& found, int letterCount, const FaxScanHooks& hooks) {
  FoundFax stored = found;
  // The lookup runs even when the letter count rules the number out, as the store is asked
  // before the count is weighed.
  bool known = hooks.faxKnown ? hooks.faxKnown(stored.fax) : false;
  if (known || letterCount >= kMaxLetters) return;
  if (hooks.store) hooks.store(stored);
}

void ScanLine(std::string_view text, bool allowInternational, const FaxScanHooks& hooks) {
  // The replacements neither make nor break a "fax" (they touch no letter of it), so a line
  // without the word can be passed over before them, and before it is copied.
  if (NextFaxWord(text, 0) == text.size()) return;
  std::string line(text);
  ApplyLineReplacements(line);
  while (true) {
    std::size_t at = NextFaxWord(line, 0);
    if (at == line.size()) return;
    std::string afterFax = RemoveFaxWords(std::string_view(line).substr(at));
    FaxCandidate candidate = ScanFaxCandidate(afterFax);
    if (HasFaxDigitCount(candidate)) {
      if (auto found = ClassifyFaxCandidate(std::move(candidate.text), allowInternational)) {
        StoreIfNew(*found, candidate.letterCount, hooks);
      }
      return;
    }
    // Only a "fax" that the removal above joined from surrounding letters can be found again.
    if (afterFax.size() <= candidate.position) return;
    line = afterFax.substr(candidate.position);
  }
}

}  // namespace

bool IsUsNumber(std::string text) {
  if (text.starts_with("1-")) text.erase(0, 2);
  return HasUsDashes(text) && text.size() == kUsLength;
}

FaxCandidate ScanFaxCandidate(std::string_view afterFax) {
  FaxCandidate scan;
  std::string& candidate = scan.text;
  // Every separator turns each " " and "." already taken into "-", so at most one of them is
  // in the candidate at a time: the last separator appended. Keeping its place (and whether a
  // "+" was taken) makes each pass constant work, also for a long run of leading ones, which
  // are taken without being counted.
  std::size_t pendingSeparator = std::string::npos;
  bool hasPlus = false;
  // The position is as wide as the text, so a line of any length is read to its end or until
  // a count is reached; the first pass (position 0) reads no character.
  for (scan.position = 0; scan.position <= afterFax.size() && scan.digitCount < kMaxDigits &&
                          scan.letterCount < kMaxLetters;
       ++scan.position) {
    if (scan.position == 0) continue;
    char c = afterFax[scan.position - 1];
    if (IsDigit(c)) {
      candidate.push_back(c);
      if (!(c == '1' && scan.digitCount == 0)) ++scan.digitCount;
    } else if (c == ' ' || c == '-' || c == '.') {
      if (!candidate.empty()) {
        if (pendingSeparator != std::string::npos) candidate[pendingSeparator] = '-';
        pendingSeparator = std::string::npos;
        if (candidate.back() != '-') {
          if (c != '-') pendingSeparator = candidate.size();
          candidate.push_back(c);
        }
      }
    } else if (c == '+') {
      if (!hasPlus) candidate.push_back('+');
      hasPlus = true;
    } else if (IsAlpha(c)) {
      if (scan.digitCount < kLettersCountedBelowDigits) ++scan.letterCount;
    }
  }
  return scan;
}

bool HasFaxDigitCount(const FaxCandidate& candidate) {
  return candidate.digitCount >= kMinStoredDigits && candidate.digitCount <= kMaxDigits;
}

std::optional<FoundFax> ClassifyFaxCandidate(std::string candidate, bool allowInternational) {
  std::replace_if(
      candidate.begin(), candidate.end(), [](char c) { return c == ' ' || c == '.'; }, '-');
  // The scan itself never leaves a run of dashes; six halving passes fold runs of up to 64.
  for (int pass = 0; pass < 6; ++pass) ReplaceAll(candidate, "--", "-");
  if (!candidate.empty() && candidate.back() == '-') candidate.pop_back();
  if (!candidate.empty() && candidate.front() == '-') candidate.erase(0, 1);

  const std::size_t prefix = candidate.starts_with("1-") ? 2 : candidate.starts_with("+1-") ? 3 : 0;
  std::string working = candidate.substr(prefix);
  // Cuts off digits taken after a ten-digit number.
  if (HasUsDashes(working) && working.find('+') == std::string::npos &&
      working.size() != kUsLength) {
    working.resize(std::min(working.size(), kUsLength));
    candidate = prefix > 0 ? "1-" + working : working;
  }

  FoundFax found;
  if (IsUsNumber(candidate)) {
    std::string number = candidate;
    found.location = LookupAreaCode(number);
    if (!candidate.starts_with("1-")) candidate = "1-" + candidate;
  } else {
    if (!allowInternational) return std::nullopt;
    found.location = std::string(kUnknownInternational);
    if (candidate.find('+') == std::string::npos) candidate = "+" + candidate;
  }
  found.fax = std::move(candidate);
  return found;
}

void ScanFaxText(std::string_view convertedText, bool allowInternational,
                 const FaxScanHooks& hooks) {
  ForEachTextLine(convertedText, [&](std::string_view line) {
    if (hooks.yieldLine) hooks.yieldLine();
    ScanLine(line, allowInternational, hooks);
  });
}

std::vector<FoundFax> FindFaxes(std::string_view convertedText, bool allowInternational) {
  std::vector<FoundFax> found;
  std::unordered_set<std::string> stored;
  FaxScanHooks hooks;
  hooks.faxKnown = [&stored](std::string& fax) { return stored.count(fax) > 0; };
  hooks.store = [&](const FoundFax& fax) {
    stored.insert(fax.fax);
    found.push_back(fax);
  };
  ScanFaxText(convertedText, allowInternational, hooks);
  return found;
}

std::string RemoveLineBreaks(std::string_view body) {
  // Removing CR LF pairs, then lone CRs, then lone LFs leaves exactly the other bytes.
  std::string out;
  out.reserve(body.size());
  std::size_t copied = 0;
  std::size_t lineFeed = NextByte(body, '\n', 0);
  std::size_t carriageReturn = NextByte(body, '\r', 0);
  while (true) {
    const std::size_t at = std::min(lineFeed, carriageReturn);
    out.append(body.substr(copied, at - copied));
    if (at >= body.size()) break;
    copied = at + 1;
    if (lineFeed == at) lineFeed = NextByte(body, '\n', copied);
    if (carriageReturn == at) carriageReturn = NextByte(body, '\r', copied);
  }
  return out;
}

std::string BreakBeforeFax(std::string_view pageText) {
  std::string out;
  out.reserve(pageText.size() + pageText.size() / 64);
  std::size_t copied = 0;
  for (std::size_t at = NextFaxWord(pageText, 0); at < pageText.size();
       at = NextFaxWord(pageText, copied)) {
    out.append(pageText.substr(copied, at - copied));
    out.append("\r\nfax");
    copied = at + kFaxWord.size();
  }
  out.append(pageText.substr(copied));
  return out;
}

}  // namespace norvane
