// main() for tests that need a QApplication (widgets, event loop, sockets).
#include <gtest/gtest.h>
#include <QApplication>
#include <QTcpServer>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  // The embedded browser refuses to start as root unless its sandbox is off.
  if (qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  // The search window's browser must never reach past this machine: unless a test names its own
  // proxy, every page it asks for goes to a local server that accepts and never answers.
  QTcpServer browserSink;
  if (qgetenv("NORVANE_BROWSER_PROXY").isEmpty() &&
      browserSink.listen(QHostAddress::LocalHost, 0)) {
    qputenv("NORVANE_BROWSER_PROXY", "127.0.0.1:" + QByteArray::number(browserSink.serverPort()));
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
