// Status panels while the crawl runs: their texts are read at once, shown at most an interval
// late, and shown at once when the crawl stops.
#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "desktop/status_panels.h"

namespace norvane {
namespace {

TEST(StatusPanelsTest, DeferredTextsAreReadAtOnceAndShownLate) {
  enum class Then { Nothing, WaitTheInterval, StopDeferring };
  const struct {
    const char* name;
    bool deferred;
    Then then;
    bool shown;  // the label shows the last text
  } cases[] = {
      {"not deferred", false, Then::Nothing, true},
      {"deferred, at once", true, Then::Nothing, false},
      {"deferred, after the interval", true, Then::WaitTheInterval, true},
      {"deferred, then the crawl stops", true, Then::StopDeferring, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QStatusBar bar;
    StatusPanels panels(&bar);
    panels.add();
    panels.add();
    panels.setDeferred(c.deferred);
    for (const char* text : {"Saving to HTML", "Getting Links", "Getting Faxes"})
      panels.setText(2, QLatin1String(text));
    if (c.then == Then::WaitTheInterval) QTest::qWait(DeferredCall::kDefaultIntervalMs * 3);
    if (c.then == Then::StopDeferring) panels.setDeferred(false);
    EXPECT_EQ(panels.text(2), QStringLiteral("Getting Faxes"));
    const auto* label = bar.findChild<QLabel*>(QStringLiteral("Panel2"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), c.shown ? QStringLiteral("Getting Faxes") : QString());
    EXPECT_EQ(panels.text(5), QString());
  }
}

}  // namespace
}  // namespace norvane
