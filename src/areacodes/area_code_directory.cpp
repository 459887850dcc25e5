#include "areacodes/area_code_directory.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "areacodes/area_code_table.h"

namespace norvane {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads the code text the way a 16-bit integer conversion of text does: blanks around the
// number, an optional "+", decimal digits ("-" never reaches here, the caller removed them).
// Anything else, and any value beyond 16 bits, is no number at all: it gives no code rather
// than a wrapped or clipped one that could match a key by accident.
std::optional<std::int16_t> ToInt16(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > INT16_MAX) return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace

std::string LookupAreaCode(std::string& number) {
  if (number.starts_with("1-")) number.erase(0, 2);

  // The code is what stands before the first "-"; without a "-" there is no code at all.
  std::string_view code_text;
  if (const auto dash = number.find('-'); dash != std::string::npos) {
    code_text = std::string_view(number).substr(0, dash);
  }

  std::string result(kUnknownInternational);
  if (const auto code = ToInt16(code_text)) {
    if (const std::string_view text = FindAreaCode(*code); !text.empty()) result = text;
  }
  return result;
}

}  // namespace norvane
