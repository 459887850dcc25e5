#pragma once

#include <cstdint>
#include <string_view>

namespace norvane {

// A name of at most seven bytes as one number, its length in the top byte: names compare as
// numbers, so that a sorted table of them is searched in a handful of integer compares. Used for
// what is asked of every tag or every link of a page (block elements, file extensions).
constexpr std::uint64_t PackedName(std::string_view name) {
  std::uint64_t packed = std::uint64_t(name.size()) << 56;
  for (std::size_t k = 0; k < name.size(); ++k)
    packed |= std::uint64_t(static_cast<unsigned char>(name[k])) << (8 * k);
  return packed;
}

}  // namespace norvane
