// The product page's scheme rule, the desktop hand-off and keeping a window on top.
#include <gtest/gtest.h>

#include <QWidget>

#include "common/version_info.h"
#include "desktop/open_url.h"
#include "desktop/product_page.h"
#include "desktop/set_top_most.h"

namespace norvane {
namespace {

TEST(ProductPageTest, PutsHttpInFrontOnlyWithoutAScheme) {
  struct Case {
    const char* address;
    const char* opened;
  };
  const Case cases[] = {
      {"www.norvane.example", "http://www.norvane.example"},
      {"norvane.example/download", "http://norvane.example/download"},
      {"http://norvane.example", "http://norvane.example"},
      {"https://norvane.example", "https://norvane.example"},
      {"HTTP://NORVANE.EXAMPLE", "HTTP://NORVANE.EXAMPLE"},
      {"HtTpS://norvane.example", "HtTpS://norvane.example"},
      // The scheme is searched anywhere in the text, as the desktop version did.
      {"see http://norvane.example", "see http://norvane.example"},
      {"ftp://norvane.example", "http://ftp://norvane.example"},
      {"", "http://"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProductPageAddress(QLatin1String(c.address)), QLatin1String(c.opened)) << c.address;
  }
}

TEST(ProductPageTest, OpensTheAddressFromTheVersionInformation) {
  QList<QUrl> opened;
  SetUrlOpener([&](const QUrl& url) {
    opened << url;
    return true;
  });
  OpenProductPage();
  SetUrlOpener({});
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toString(),
            ProductPageAddress(QString::fromUtf8(version::kComments)).toLower());
}

TEST(SetTopMostTest, KeepsPositionSizeAndVisibility) {
  for (bool shown : {false, true}) {
    for (bool on : {true, false}) {
      QWidget window;
      window.setGeometry(100, 120, 300, 200);
      if (shown) window.show();
      if (!on) SetTopMost(&window, true);
      const QRect before = window.geometry();
      SetTopMost(&window, on);
      EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on) << shown << on;
      EXPECT_EQ(window.isVisible(), shown) << shown << on;
      EXPECT_EQ(window.geometry().size(), before.size()) << shown << on;
      EXPECT_EQ(window.geometry().topLeft(), before.topLeft()) << shown << on;
    }
  }
  SetTopMost(nullptr, true);  // no window: nothing happens
}

}  // namespace
}  // namespace norvane
