// main() for tests that need a QApplication (widgets, event loop, sockets).
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  // The embedded browser refuses to start as root unless its sandbox is off.
  if (qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
