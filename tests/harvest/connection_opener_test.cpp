#include "harvest/fetch/connection_opener.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "support/wait_for.h"

namespace norvane {
namespace {

using testing::WaitFor;

// A local server that keeps every connection it accepts and what each one sent.
struct Server {
  QTcpServer server;
  std::vector<QTcpSocket*> accepted;

  Server() {
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* s = server.nextPendingConnection()) accepted.push_back(s);
    });
  }
  quint16 port() const { return server.serverPort(); }
  bool closedByPeer(std::size_t k) const {
    return k < accepted.size() && accepted[k]->state() == QAbstractSocket::UnconnectedState;
  }
};

struct Answers {
  std::vector<ConnectionOpener::Opened> list;
  ~Answers() {
    for (const auto& opened : list)
      if (opened.descriptor >= 0) ::close(opened.descriptor);
  }
};

TEST(ConnectionOpenerTest, AnswersEachOpenWithAConnectedDescriptorOrItsError) {
  Server listening;
  quint16 refusedPort = 0;
  {
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost);
    refusedPort = gone.serverPort();
  }
  struct Case {
    const char* name;
    QHostAddress address;
    quint16 port;
    int error;  // 0: connected, and the server got the request
  };
  const Case cases[] = {
      {"listening", QHostAddress::LocalHost, listening.port(), 0},
      {"refused", QHostAddress::LocalHost, refusedPort, ECONNREFUSED},
      {"no address", QHostAddress(), 80, EAFNOSUPPORT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Answers answers;
    ConnectionOpener opener([&](const ConnectionOpener::Opened& o) { answers.list.push_back(o); });
    opener.open(3, 42, c.address, c.port, "GET / HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return !answers.list.empty(); }));
    const ConnectionOpener::Opened& opened = answers.list.front();
    EXPECT_EQ(opened.socket, 3);
    EXPECT_EQ(opened.generation, 42u);
    EXPECT_EQ(opened.error, c.error);
    EXPECT_EQ(opened.descriptor >= 0, c.error == 0);
    if (c.error != 0) continue;
    ASSERT_TRUE(WaitFor([&] {
      return !listening.accepted.empty() && listening.accepted.back()->bytesAvailable() >= 18;
    }));
    EXPECT_EQ(listening.accepted.back()->readAll(), QByteArray("GET / HTTP/1.1\r\n\r\n"));
  }
}

// The descriptor's owner closing it does not end the connection: the release does, on the
// opener's thread; and a new open on the same socket ends the connection it had before.
TEST(ConnectionOpenerTest, TheConnectionEndsWithItsReleaseOrTheSocketsNextOpen) {
  enum class End { Release, NextOpen, OpenerGone };
  for (const End end : {End::Release, End::NextOpen, End::OpenerGone}) {
    SCOPED_TRACE(int(end));
    Server server;
    Answers answers;
    auto opener = std::make_unique<ConnectionOpener>(
        [&](const ConnectionOpener::Opened& o) { answers.list.push_back(o); });
    opener->open(0, 1, QHostAddress::LocalHost, server.port(), "x");
    ASSERT_TRUE(WaitFor([&] { return answers.list.size() == 1 && !server.accepted.empty(); }));
    ASSERT_GE(answers.list[0].descriptor, 0);
    ::close(std::exchange(answers.list[0].descriptor, -1));
    QTest::qWait(50);
    EXPECT_FALSE(server.closedByPeer(0)) << "closed before its release";
    if (end == End::Release) {
      opener->release(0);
      opener->flush();  // as the fetcher does when it closes every socket
    }
    if (end == End::NextOpen) opener->open(0, 2, QHostAddress::LocalHost, server.port(), "y");
    if (end == End::OpenerGone) opener.reset();
    EXPECT_TRUE(WaitFor([&] { return server.closedByPeer(0); }));
  }
}

// An answer still queued when the opener goes is never handed out, and its connection ends: the
// descriptor on its way back is closed, not left open with nobody to close it.
TEST(ConnectionOpenerTest, AnAnswerQueuedWhenTheOpenerGoesClosesItsConnection) {
  Server server;
  Answers answers;
  auto opener = std::make_unique<ConnectionOpener>(
      [&](const ConnectionOpener::Opened& o) { answers.list.push_back(o); });
  opener->open(0, 1, QHostAddress::LocalHost, server.port(), "x");
  // No events run meanwhile, so the answer waits in this thread's queue.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  opener.reset();
  EXPECT_TRUE(WaitFor([&] { return server.closedByPeer(0); }));
  EXPECT_TRUE(answers.list.empty());
}

// A release without a wake waits for the opener's next work, or for a flush.
TEST(ConnectionOpenerTest, AReleaseWithoutAWakeHappensAtTheFlush) {
  Server server;
  Answers answers;
  ConnectionOpener opener([&](const ConnectionOpener::Opened& o) { answers.list.push_back(o); });
  opener.open(5, 1, QHostAddress::LocalHost, server.port(), "x");
  ASSERT_TRUE(WaitFor([&] { return answers.list.size() == 1 && !server.accepted.empty(); }));
  ::close(std::exchange(answers.list[0].descriptor, -1));
  opener.release(5);
  QTest::qWait(50);
  EXPECT_FALSE(server.closedByPeer(0));
  opener.flush();
  EXPECT_TRUE(WaitFor([&] { return server.closedByPeer(0); }));
}

}  // namespace
}  // namespace norvane
