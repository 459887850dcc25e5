// The layout rule and the counters, without a window.
#include <gtest/gtest.h>

#include <limits>

#include "app/arrange_controls.h"
#include "common/statistics.h"

namespace norvane {
namespace {

LayoutInput DesignInput(double W, double H) {
  LayoutInput in;
  in.W = W;
  in.H = H;
  in.S = 375;
  in.frame3Top = 4980;
  in.frame3Width = 2595;
  in.frame4Height = 4095;
  in.list1Left = 120;
  in.list2Top = 3720;
  in.list3Top = 3720;
  in.cmdWebsiteLeft = 6600;
  return in;
}

TEST(ComputeLayout, FollowsTheTenStepsForTheDesignSize) {
  const LayoutResult r = ComputeLayout(DesignInput(11355, 8280));
  EXPECT_DOUBLE_EQ(r.panel1Width, 5677.5);
  EXPECT_DOUBLE_EQ(r.panel2Width, 1892.5);
  EXPECT_DOUBLE_EQ(r.pb1Left, 5677.5 + 2 * 1892.5 + 25);
  EXPECT_DOUBLE_EQ(r.pb1Width, 1892.5 - 50);
  EXPECT_DOUBLE_EQ(r.pb1Top, 8280 - 375 - 450);
  EXPECT_DOUBLE_EQ(r.frame3Height, 8280 - 375 - 4980);
  EXPECT_DOUBLE_EQ(r.frame2Height, 4095 + r.frame3Height);
  EXPECT_DOUBLE_EQ(r.frame1Height, r.frame2Height);
  EXPECT_DOUBLE_EQ(r.frame3Left, 11355 - 2595 - 175);
  EXPECT_DOUBLE_EQ(r.frame4Left, r.frame3Left);
  EXPECT_DOUBLE_EQ(r.frame2Width, r.frame3Left / 2 - 80);
  EXPECT_DOUBLE_EQ(r.frame2Left, r.frame3Left - r.frame2Width - 50);
  EXPECT_DOUBLE_EQ(r.listWidth, r.frame1Width - 240);
  EXPECT_DOUBLE_EQ(r.cmdWebsiteWidth, 11355 - 6600 - 200);
  EXPECT_DOUBLE_EQ(r.list2Height, r.frame1Height - 3720 - 100);
}

TEST(ComputeLayout, WideningBy600WidensTheLeftFramesBy300AndMovesTheRightOnes) {
  const LayoutResult before = ComputeLayout(DesignInput(11355, 8280));
  const LayoutResult after = ComputeLayout(DesignInput(11955, 8280));
  EXPECT_DOUBLE_EQ(after.frame1Width - before.frame1Width, 300);
  EXPECT_DOUBLE_EQ(after.frame2Width - before.frame2Width, 300);
  EXPECT_DOUBLE_EQ(after.frame3Left - before.frame3Left, 600);
  EXPECT_DOUBLE_EQ(after.frame4Left - before.frame4Left, 600);
  EXPECT_DOUBLE_EQ(after.panel1Width, 3 * after.panel4Width);
}

TEST(ComputeLayout, TinyWindowGivesNegativeSizesWithoutFailing) {
  const LayoutResult r = ComputeLayout(DesignInput(0, 0));
  EXPECT_LT(r.frame3Height, 0);
  EXPECT_LT(r.listWidth, 0);
  EXPECT_LT(r.cmdWebsiteWidth, 0);
}

TEST(Statistics, EachKindRaisesItsOwnCounters) {
  Statistics s;
  s.record(Statistics::kPageScanned);
  s.record(Statistics::kWebsiteFound);
  s.record(Statistics::kWebsiteFound);
  s.record(Statistics::kFaxStored);
  s.record(7);
  s.record(-1);
  EXPECT_EQ(s.lSessionScanned, 1);
  EXPECT_EQ(s.lHistWebScanned, 1);
  EXPECT_EQ(s.lSessionFound, 2);
  EXPECT_EQ(s.lSessionFaxes, 1);
  EXPECT_EQ(s.lHistEmailFound, 1);
}

TEST(Statistics, CountersStopAtTheLimitInsteadOfTurningNegative) {
  Statistics s;
  s.lHistWebScanned = std::numeric_limits<int32_t>::max();
  s.record(Statistics::kPageScanned);
  EXPECT_EQ(s.lHistWebScanned, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(s.lSessionScanned, 1);
}

TEST(AdvanceAfter, MapsEveryListIndexAndKeepsTheValueOutsideTheList) {
  const int32_t expected[] = {1000, 5000, 10000, 20000, 50000, 100000, 200000, 500000};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(AdvanceAfterForIndex(i, 7), expected[i]) << i;
  EXPECT_EQ(AdvanceAfterForIndex(-1, 7), 7);
  EXPECT_EQ(AdvanceAfterForIndex(8, 7), 7);
}

}  // namespace
}  // namespace norvane
