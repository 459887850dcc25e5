#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace norvane {

// One row of the compiled-in directory: the area code and its region text. The text begins with
// a two-character region code (postal abbreviation, or "--" for codes of no single region), two
// spaces and an English description; trailing spaces belong to the text.
struct AreaCodeEntry {
  std::int16_t code;
  std::string_view text;
};

// Every row of the directory, ascending by code, one row per code.
std::span<const AreaCodeEntry> AreaCodeTable();

// The text of the row with this code, or an empty view when the code has no row.
std::string_view FindAreaCode(std::int16_t code);

}  // namespace norvane
