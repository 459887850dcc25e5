// The rows read ahead of the queue table: grouped by site, the choice among them the same as a
// walk of the queue in order, and the row the next read starts after.
#include <gtest/gtest.h>

#include "harvest/polite/polite_scheduler.h"
#include "harvest/polite/queue_ahead.h"
#include "support/qt_printers.h"

namespace norvane {
namespace {

using Action = PoliteScheduler::Action;
const PoliteScheduler::TimePoint kNow = PoliteScheduler::Clock::now();

std::string Answer200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Hosts in every state a take meets: a and b fetch at their limit of two, c's robots.txt allows
// everything, d's refuses /private and d fetches at its limit, e is new, f's robots.txt is on
// its way, g's robots.txt asks for 10 s between fetches and g fetched just now.
void SetUpHosts(PoliteScheduler& polite) {
  polite.setUrlRules(UrlRules{true});
  int16_t socket = 0;
  const auto readRobots = [&](const char* site, const std::string& answer) {
    polite.robotsStarted(socket, QString::fromLatin1(site), kNow);
    ASSERT_TRUE(polite.takeRobotsResponse(socket, answer));
  };
  readRobots("a.test/", Answer200(""));
  readRobots("b.test/", Answer200(""));
  readRobots("c.test/", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
  readRobots("d.test/", Answer200("User-agent: *\nDisallow: /private\n"));
  readRobots("g.test/", Answer200("User-agent: *\nCrawl-delay: 10\n"));
  for (const char* busy :
       {"a.test/1", "a.test/2", "b.test/1", "b.test/2", "d.test/1", "d.test/2", "g.test/1"})
    polite.pageStarted(++socket, QString::fromLatin1(busy), kNow);
  polite.robotsStarted(++socket, QStringLiteral("f.test/"), kNow);
}

struct ChoiceCase {
  const char* name;
  QStringList queue;
  bool readsRobots;
  const char* website;  // nullptr: nothing to take
  Action action;
  bool waits;  // with nothing to take: a wake time (g's Crawl-delay)
};

class ChooseAheadTest : public ::testing::TestWithParam<ChoiceCase> {};

// Websites held back (a result site whose robots.txt is on its way) are passed over by both
// walks, whatever their hosts' state.
TEST(ChooseHeldBack, BothWalksPassOverTheWebsitesHeldBack) {
  PoliteScheduler polite;
  SetUpHosts(polite);
  const QStringList queue = {"c.test/x", "c.test/y", "e.test/x", "a.test/3"};
  QueueAhead ahead;
  qint64 row = 1;
  for (const QString& website : queue) {
    const PoliteScheduler::Site site = polite.splitSite(website);
    ahead.add(row++, website, site.host, site.origin, site.path);
  }
  const struct {
    const char* heldPrefix;  // websites beginning with it are held back
    const char* website;     // nullptr: nothing to take
  } cases[] = {{"", "c.test/x"}, {"c.test", "e.test/x"}, {"a", "c.test/x"}};
  for (const auto& c : cases) {
    const QString prefix = QString::fromLatin1(c.heldPrefix);
    const PoliteScheduler::HeldBack heldBack = [&prefix](const QString& website) {
      return !prefix.isEmpty() && website.startsWith(prefix);
    };
    const auto walk = polite.choose(queue, kNow, heldBack);
    const auto further = polite.chooseAhead(ahead, kNow, heldBack);
    ASSERT_TRUE(walk.choice && further.choice) << c.heldPrefix;
    EXPECT_EQ(queue[walk.choice->index], QString::fromLatin1(c.website)) << c.heldPrefix;
    EXPECT_EQ(further.choice->website, QString::fromLatin1(c.website)) << c.heldPrefix;
  }
  const PoliteScheduler::HeldBack all = [](const QString&) { return true; };
  EXPECT_FALSE(polite.choose(queue, kNow, all).choice);
  EXPECT_FALSE(polite.chooseAhead(ahead, kNow, all).choice);
}

TEST_P(ChooseAheadTest, PicksWhatAWalkOfTheQueueWould) {
  const ChoiceCase& c = GetParam();
  PoliteScheduler polite;
  SetUpHosts(polite);
  polite.setReadsRobots(c.readsRobots);
  QueueAhead ahead;
  qint64 row = 10;
  for (const QString& website : c.queue) {
    const PoliteScheduler::Site site = polite.splitSite(website);
    ahead.add(row, website, site.host, site.origin, site.path);
    row += 3;  // ids with gaps, as deleted rows leave them
  }
  const PoliteScheduler::AheadAnswer answer = polite.chooseAhead(ahead, kNow);
  const PoliteScheduler::Answer walk = polite.choose(c.queue, kNow);
  ASSERT_EQ(answer.choice.has_value(), c.website != nullptr);
  ASSERT_EQ(walk.choice.has_value(), c.website != nullptr);
  if (c.website) {
    EXPECT_EQ(answer.choice->website, QString::fromLatin1(c.website));
    EXPECT_EQ(int(answer.choice->action), int(c.action));
    EXPECT_EQ(c.queue[walk.choice->index], answer.choice->website);
    EXPECT_EQ(int(walk.choice->action), int(answer.choice->action));
    EXPECT_FALSE(answer.wakeAt);
  } else {
    EXPECT_EQ(answer.wakeAt.has_value(), c.waits);
    EXPECT_EQ(answer.wakeAt, walk.wakeAt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PoliteCrawl, ChooseAheadTest,
    ::testing::Values(ChoiceCase{"PastBusyHosts",
                                 {"a.test/3", "b.test/3", "a.test/4", "c.test/x"},
                                 true,
                                 "c.test/x",
                                 Action::Fetch,
                                 false},
                      ChoiceCase{"NewHostReadsRobotsFirst",
                                 {"a.test/3", "e.test/x", "c.test/x"},
                                 true,
                                 "e.test/x",
                                 Action::FetchRobots,
                                 false},
                      ChoiceCase{"RefusedRowOfABusyHostGoesFirst",
                                 {"a.test/3", "d.test/open", "d.test/private/y", "c.test/x"},
                                 true,
                                 "d.test/private/y",
                                 Action::Drop,
                                 false},
                      ChoiceCase{"RefusedRowAfterTheTakeableWaits",
                                 {"d.test/3", "c.test/x", "d.test/private/y"},
                                 true,
                                 "c.test/x",
                                 Action::Fetch,
                                 false},
                      ChoiceCase{"PendingRobotsAndBusyHostsGiveNothing",
                                 {"f.test/x", "a.test/3", "b.test/3"},
                                 true,
                                 nullptr,
                                 Action::Fetch,
                                 false},
                      ChoiceCase{"CrawlDelayGivesAWakeTime",
                                 {"g.test/2", "a.test/3"},
                                 true,
                                 nullptr,
                                 Action::Fetch,
                                 true},
                      ChoiceCase{"WithoutRobotsNothingIsDropped",
                                 {"d.test/private/y", "a.test/3", "e.test/x"},
                                 false,
                                 "e.test/x",
                                 Action::Fetch,
                                 false},
                      ChoiceCase{"SchemesAreSitesOfTheirOwn",
                                 {"a.test/3", "https://c.test/x", "c.test/y"},
                                 true,
                                 "https://c.test/x",
                                 Action::FetchRobots,
                                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueueAheadTest, RemovesRowsAndReadsOnAfterTheLastHeld) {
  QueueAhead ahead;
  ahead.add(1, "a.test/1", "a.test", "a.test", "/1");
  ahead.add(2, "b.test/1", "b.test", "b.test", "/1");
  ahead.add(3, "a.test/1", "a.test", "a.test", "/1");         // queued twice
  ahead.add(2, "late.test/", "late.test", "late.test", "/");  // not after the rows held
  ahead.readUpTo(5);                                          // rows 4 and 5 passed over
  ASSERT_EQ(ahead.size(), 3);
  EXPECT_EQ(ahead.lastRead(), 5);
  EXPECT_FALSE(ahead.sites().contains("late.test"));

  // The first of the two rows of a.test/1 goes.
  ASSERT_TRUE(ahead.remove("a.test/1"));
  ASSERT_EQ(ahead.sites()["a.test"].rows.size(), 1);
  EXPECT_EQ(ahead.sites()["a.test"].rows[0].row, 3);
  EXPECT_EQ(ahead.lastRead(), 5);

  // Once the last row held goes, a new row could take its id: the next read starts after the
  // last row still held.
  ASSERT_TRUE(ahead.remove("a.test/1"));
  EXPECT_FALSE(ahead.sites().contains("a.test"));
  EXPECT_EQ(ahead.lastRead(), 2);
  EXPECT_FALSE(ahead.remove("a.test/1"));
  ASSERT_TRUE(ahead.remove("b.test/1"));
  EXPECT_TRUE(ahead.isEmpty());
  EXPECT_EQ(ahead.lastRead(), 0);
}

TEST(QueueAheadTest, RowsMatchedByRobotsStayMatchedAsRowsGo) {
  PoliteScheduler polite;
  SetUpHosts(polite);
  QueueAhead ahead;
  qint64 row = 0;
  for (const char* website : {"d.test/a", "d.test/b", "d.test/private/1", "c.test/x"}) {
    const PoliteScheduler::Site site = polite.splitSite(QString::fromLatin1(website));
    ahead.add(++row, QString::fromLatin1(website), site.host, site.origin, site.path);
  }
  ASSERT_EQ(polite.chooseAhead(ahead, kNow).choice->website, "d.test/private/1");
  EXPECT_EQ(ahead.sites()["d.test"].allowedRows, 2);
  ASSERT_TRUE(ahead.remove("d.test/a"));
  EXPECT_EQ(ahead.sites()["d.test"].allowedRows, 1);
  ASSERT_TRUE(ahead.remove("d.test/private/1"));
  ASSERT_EQ(polite.chooseAhead(ahead, kNow).choice->website, "c.test/x");
}

}  // namespace
}  // namespace norvane
