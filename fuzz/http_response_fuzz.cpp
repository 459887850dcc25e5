// Any bytes a server sends: the header end, Content-Length, the status and Location, and the body
// handed to the page steps.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/http_response.h"
#include "harvest/redirect_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view response(reinterpret_cast<const char*>(data), size);
  const auto end = norvane::HeaderEndPosition(response);
  const std::string body = norvane::ResponseBody(response);
  if (const auto status = norvane::StatusCodeOf(response)) {
    FUZZ_CHECK(*status >= 0 && *status <= 999);
  }
  if (const auto location = norvane::LocationOf(response)) {
    FUZZ_CHECK(!location->empty() && location->find("\r\n") == std::string::npos);
    FUZZ_CHECK(location->front() != ' ' && location->back() != ' ');
  }
  if (!end) {
    FUZZ_CHECK(body == response);
    return 0;
  }
  FUZZ_CHECK(*end >= 1 && *end + 3 <= size);
  (void)norvane::ContentLengthOf(response.substr(0, *end - 1));
  // The body is the response less whole copies of the header block, the first at the front.
  const std::size_t header = *end + 3;
  FUZZ_CHECK(body.size() + header <= size);
  FUZZ_CHECK((size - body.size()) % header == 0);
  return 0;
}
