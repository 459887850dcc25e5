// Any header block or Retry-After value: the wait stays within its bounds, and the header
// helpers never read or give back more than they were given.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/fetch/chunked_body.h"
#include "harvest/fetch/redirect_response.h"
#include "harvest/fetch/retry_after.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto now = std::chrono::system_clock::time_point() + std::chrono::hours(24 * 365 * 56);

  for (const auto wait :
       {norvane::RetryAfterWait(input, now), norvane::RetryAfterOfResponse(input, now)}) {
    if (wait) FUZZ_CHECK(wait->count() >= 0 && *wait <= norvane::kMaxRetryAfter);
  }
  if (const auto when = norvane::ParseHttpDate(input, now)) {
    FUZZ_CHECK(input.size() >= 24 && input.size() <= 33);
  }
  if (const auto status = norvane::StatusCodeOf(input)) FUZZ_CHECK(*status >= 0 && *status <= 999);
  if (const auto value = norvane::HeaderFieldValue(input, "Retry-After")) {
    FUZZ_CHECK(value->data() >= input.data() &&
               value->data() + value->size() <= input.data() + input.size());
  }
  FUZZ_CHECK(norvane::DecodeChunkedBody(input).size() <= input.size());
  return 0;
}
