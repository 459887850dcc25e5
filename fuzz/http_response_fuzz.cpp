// Any bytes a server sends: the header end, Content-Length, the status and Location, and the body
// handed to the page steps.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/fetch/http_response.h"
#include "harvest/fetch/redirect_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view response(reinterpret_cast<const char*>(data), size);
  const auto end = norvane::FindHeaderEnd(response);
  const std::string body = norvane::ResponseBody(response);
  if (const auto status = norvane::StatusCodeOf(response)) {
    FUZZ_CHECK(*status >= 0 && *status <= 999);
  }
  if (const auto location = norvane::LocationOf(response)) {
    FUZZ_CHECK(!location->empty() && location->find("\r\n") == std::string::npos);
    FUZZ_CHECK(location->front() != ' ' && location->back() != ' ');
  }

  // Arrivals of the size the first byte names find the same end as one look at the whole.
  const std::size_t piece = size > 0 ? std::size_t(data[0] % 17) + 1 : 1;
  std::size_t resumeFrom = 0;
  std::optional<norvane::HeaderEnd> resumed;
  for (std::size_t got = std::min(piece, size); !resumed; got = std::min(got + piece, size)) {
    resumed = norvane::FindHeaderEndResuming(response.substr(0, got), resumeFrom);
    FUZZ_CHECK(resumeFrom <= got);
    if (got == size) break;
  }
  FUZZ_CHECK(resumed == end);

  if (!end) {
    FUZZ_CHECK(body == response);
    return 0;
  }
  FUZZ_CHECK(end->position >= 1 && end->blockSize <= size);
  FUZZ_CHECK(end->blockSize == end->position + 3 || end->blockSize == end->position + 1);
  FUZZ_CHECK(norvane::HeaderEndPosition(response) == end->position);
  (void)norvane::ContentLengthOf(response.substr(0, end->position - 1));
  // The body is the response less whole copies of the header block, the first at the front.
  const std::size_t header = end->blockSize;
  FUZZ_CHECK(body.size() + header <= size);
  FUZZ_CHECK((size - body.size()) % header == 0);
  return 0;
}
