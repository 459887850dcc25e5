// main() for the search window's tests: one local web serves the engines' result pages to the
// embedded browser (as its proxy) and the crawled sites to the crawl, for the whole process.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "local_web.h"

namespace norvane::testing {
namespace {
LocalWeb* g_web = nullptr;
}  // namespace

LocalWeb& TestWeb() {
  return *g_web;
}

}  // namespace norvane::testing

int main(int argc, char** argv) {
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  auto web = std::make_unique<norvane::testing::LocalWeb>();
  norvane::testing::g_web = web.get();
  // Set before the first browser starts; nothing in these tests may reach past this machine.
  qputenv("NORVANE_BROWSER_PROXY", web->hostPort().toLatin1());
  // The local web's https pages carry a certificate of its own.
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
          flags + (flags.isEmpty() ? "" : " ") + "--ignore-certificate-errors");
  qputenv("NORVANE_CONNECT_TO", web->hostPort().toLatin1());
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  web.reset();
  return result;
}
