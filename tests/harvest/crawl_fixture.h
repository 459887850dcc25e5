#pragma once

#include <gtest/gtest.h>

#include <QTcpServer>
#include <memory>

#include "common/app_folder.h"
#include "harvest/control/harvest_controller.h"
#include "harvest/fetch/page_fetcher.h"
#include "harvest/page/page_steps.h"
#include "store/spider_database.h"
#include "support/qt_printers.h"
#include "support/temp_app_folder.h"
#include "support/test_http_server.h"
#include "support/wait_for.h"

namespace norvane::testing {

// The crawl controller on a temporary application folder, with its crawl pointed at a local
// test server; no window.
class CrawlTest : public ::testing::Test {
 protected:
  // Starts the controller as the program does; ticks of `tickMs`.
  std::unique_ptr<HarvestController> startCrawler(int tickMs = 1000) {
    auto crawl = std::make_unique<HarvestController>(AppFile(QStringLiteral("spider.mdb")));
    crawl->setOptions(options);
    crawl->LoadCounters();
    crawl->Load();
    crawl->fetcher().setConnectTo(QStringLiteral("127.0.0.1"), server.port());
    crawl->fetcher().setTickInterval(tickMs);
    QObject::connect(crawl.get(), &HarvestController::searchWindowLoadRequested,
                     [this] { ++searchWindowLoads; });
    return crawl;
  }

  // Fills spider.mdb before the controller starts.
  void seed(const QStringList& searches, const QStringList& websites) {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    db.setKeepSecureScheme(options.secureWeb);  // as the crawl's store keeps them
    for (QString s : searches) db.AddSearch(s);
    for (QString w : websites) db.AddWebsite(w);
  }
  // Start Search drops the preview's entry 0 (the website handed out last), so a queue seeded
  // for a crawl begins with one website that is never fetched.
  void seedQueue(const QStringList& websites, const QStringList& searches = {"plumbers"}) {
    seed(searches, QStringList{QStringLiteral("first.dropped")} + websites);
  }

  static bool dry(const HarvestController& crawl) {
    return !crawl.bHarvesting && crawl.panelText(2) == QLatin1String("No more websites queued");
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

  TempAppFolder folder;
  // What the window's widgets hold at a first start, with the "Web" menu's items off: tests turn
  // on what they are about.
  HarvestOptions options = [] {
    HarvestOptions classic;
    classic.turnWebMenuOff();
    return classic;
  }();
  int searchWindowLoads = 0;
  TestHttpServer server;
};

}  // namespace norvane::testing
