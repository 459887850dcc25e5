#pragma once

#include <QCoreApplication>
#include <QTcpServer>

#include "desktop/message_box.h"
#include "form1_fixture.h"
#include "harvest/fetch/page_fetcher.h"
#include "harvest/page/page_steps.h"
#include "support/test_http_server.h"
#include "support/wait_for.h"

namespace norvane::testing {

// The main window with its crawl pointed at a local test server, ticks of `tickMs`.
class CrawlTest : public Form1Test {
 protected:
  void SetUp() override {
    MessageBox::setTestMode(true);
    MessageBox::reset();
    store(QStringLiteral("showHelp"), QStringLiteral("0"));
  }
  void TearDown() override { MessageBox::setTestMode(false); }

  std::unique_ptr<Form1> startCrawler(int tickMs = 1000) {
    auto form = start();
    form->controller().fetcher().setConnectTo(QStringLiteral("127.0.0.1"), server.port());
    form->controller().fetcher().setTickInterval(tickMs);
    return form;
  }

  // Start Search drops List2's entry 0 (the website handed out last), so a queue seeded for a
  // crawl begins with one website that is never fetched.
  void seedQueue(const QStringList& websites, const QStringList& searches = {"plumbers"}) {
    seed(searches, QStringList{QStringLiteral("first.dropped")} + websites);
  }

  static bool dry(Form1& form) {
    return !form.controller().bHarvesting &&
           form.panelText(2) == QLatin1String("No more websites queued");
  }

  // A port on 127.0.0.1 where nothing listens.
  static quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
  }

  QStringList requested() const {
    QStringList out;
    for (const auto& r : server.requests()) out << r.host + r.path;
    return out;
  }

  TestHttpServer server;
};

}  // namespace norvane::testing
