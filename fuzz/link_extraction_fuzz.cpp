// Any line of a page: the link taken from it passes the filter and holds no quote or ">".
// Any page read for all its links: each link passes its filter, holds no fragment, no line
// break or tab and no space at either end, and the links come in page order.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/page/link_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  if (const auto link = norvane::ExtractLineLink(line)) {
    FUZZ_CHECK(link->size() <= size);
    FUZZ_CHECK(!norvane::LinkFilterDrops(*link));
    FUZZ_CHECK(link->find_first_of("\"'>") == std::string_view::npos);
  }
  std::size_t last = 0;
  for (const norvane::PageLink& link : norvane::TakenPageLinks(line, size % 2 == 0)) {
    FUZZ_CHECK(!link.link.empty() && link.link.size() <= size);
    FUZZ_CHECK(!norvane::PageLinkFilterDrops(link.link));
    FUZZ_CHECK(link.link.find_first_of("#\t\r\n") == std::string::npos);
    FUZZ_CHECK(link.link.front() != ' ' && link.link.back() != ' ');
    FUZZ_CHECK(link.offset < size && link.offset >= last);
    last = link.offset;
  }
  return 0;
}
