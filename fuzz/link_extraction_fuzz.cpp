// Any line of a page: the link taken from it passes the filter and holds no quote or ">".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/link_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto link = norvane::ExtractLineLink(line);
  if (!link) return 0;
  FUZZ_CHECK(link->size() <= size);
  FUZZ_CHECK(!norvane::LinkFilterDrops(*link));
  FUZZ_CHECK(link->find_first_of("\"'>") == std::string_view::npos);
  return 0;
}
