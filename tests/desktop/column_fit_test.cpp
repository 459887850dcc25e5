// Fitting a table's columns to the room the window gives them.
#include <gtest/gtest.h>

#include <numeric>

#include "desktop/column_fit.h"

namespace norvane {
namespace {

TEST(ColumnFitTest, NarrowColumnsKeepTheirWidthAndTheWidestShareTheRest) {
  const struct {
    QList<int> needed;
    int available;
    QList<int> widths;
  } cases[] = {
      {{100, 200, 300}, 600, {100, 200, 300}},                    // fits: unchanged
      {{100, 200, 300}, 1000, {100, 200, 300}},                   // room to spare: unchanged
      {{110, 840, 200, 90, 150}, 700, {110, 175, 175, 90, 150}},  // the long region is cut
      {{100, 400, 400}, 500, {100, 200, 200}},                    // two wide ones share alike
      {{100, 100, 100}, 120, {60, 60, 60}},                       // not even the narrowest fits
      {{}, 100, {}},
  };
  for (const auto& c : cases) {
    const QList<int> widths = FitColumnWidths(c.needed, c.available, 60);
    EXPECT_EQ(widths, c.widths) << c.available;
    const int sum = std::accumulate(widths.begin(), widths.end(), 0);
    if (c.available >= 60 * int(c.needed.size())) {
      EXPECT_LE(sum, c.available);
    }
  }
}

}  // namespace
}  // namespace norvane
