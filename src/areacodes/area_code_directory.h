#pragma once

#include <string>
#include <string_view>

namespace norvane {

inline constexpr std::string_view kUnknownInternational = "Unknown/International";

// The region text of a North-American number such as "201-555-0123" or "1-201-555-0123",
// read from the area code before its first "-". A leading "1-" is removed from the caller's
// text. Every number without a known area code gives "Unknown/International".
std::string LookupAreaCode(std::string& number);

}  // namespace norvane
