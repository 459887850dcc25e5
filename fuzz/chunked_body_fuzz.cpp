// Any bytes as a chunk stream, and any bytes cut into chunks and put back together: the decoder
// never grows its input, and gives back exactly what was chunked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/fetch/chunked_body.h"
#include "harvest/fetch/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(norvane::DecodeChunkedBody(input).size() <= size);
  FUZZ_CHECK(norvane::PageBody(input).size() <= size);

  // Each chunk is as long as its first byte says (1 to 16), odd ones with an extension.
  std::string stream;
  for (std::size_t at = 0, n = 0; at < size; ++n) {
    const std::size_t length = std::min<std::size_t>(size - at, (data[at] & 15) + 1);
    char line[32];
    if (n % 2) {
      std::snprintf(line, sizeof line, "%zx;n=%zu\r\n", length, n);
    } else {
      std::snprintf(line, sizeof line, "%zX\r\n", length);
    }
    stream += line;
    stream.append(input.substr(at, length));
    stream += "\r\n";
    at += length;
  }
  stream += "0\r\nTrailer: x\r\n\r\n";
  FUZZ_CHECK(norvane::DecodeChunkedBody(stream) == input);
  // Behind a header block, unless the page repeats that block (ResponseBody removes copies).
  std::string lower(input);
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  if (lower.find("http/1.1 200 ok") == std::string::npos) {
    FUZZ_CHECK(norvane::PageBody("HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n" +
                                 stream) == input);
  }
  return 0;
}
