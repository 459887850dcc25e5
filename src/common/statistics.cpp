#include "common/statistics.h"

#include <array>
#include <cstddef>
#include <limits>

namespace norvane {
namespace {
void Increment(int32_t& counter) {
  if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}
}  // namespace

void Statistics::record(int kind) {
  switch (kind) {
    case kPageScanned:
      Increment(lSessionScanned);
      Increment(lHistWebScanned);
      break;
    case kWebsiteFound:
      Increment(lSessionFound);
      break;
    case kFaxStored:
      Increment(lSessionFaxes);
      Increment(lHistEmailFound);
      break;
    default:
      break;
  }
}

int32_t AdvanceAfterForIndex(int index, int32_t current) {
  static constexpr std::array<int32_t, 8> kAfter = {1000,  5000,   10000,  20000,
                                                    50000, 100000, 200000, 500000};
  if (index < 0 || index >= static_cast<int>(kAfter.size())) return current;
  return kAfter[static_cast<std::size_t>(index)];
}

}  // namespace norvane
