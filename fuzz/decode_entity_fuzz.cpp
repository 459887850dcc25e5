// Any entity name: the decoder gives one byte or nothing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "text/entity_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(norvane::DecodeEntity(name).size() <= 1);
  return 0;
}
