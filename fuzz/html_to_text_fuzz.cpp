// Any page bytes: the converter ends, and its look-aheads stay in proportion to the page (the
// bounds the linear-work test asserts for large hostile pages, with room for small ones).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "text/html_to_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  norvane::HtmlToTextWork work;
  norvane::HtmlToText(
      page, std::string(), [] {}, &work);
  FUZZ_CHECK(work.rowMeasurePositions <= work.lookAheadPositions);
  FUZZ_CHECK(work.rowMeasurePositions <= 4 * size + 2 * 65536);
  FUZZ_CHECK(work.lookAheadPositions <= 12 * size + 4 * 65536);
  return 0;
}
