// The rule of two fetches a host, the waits a host asks for (Crawl-delay, Retry-After), and
// which queued website a free socket takes.
#include <gtest/gtest.h>

#include "harvest/polite/host_limits.h"

namespace norvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
const HostLimits::TimePoint kT0 = HostLimits::TimePoint() + std::chrono::hours(1);

// One step of a script over one HostLimits: S started, F finished, D crawl delay (ms),
// H hold until, ? mayStart at that moment, N nextFreeTime at that moment.
struct Step {
  char op;
  const char* host;
  int atMs;          // from kT0; the delay for D
  int expected = 0;  // ?: 1 may start; N: ms from kT0, -1 for none
};

void RunScript(const char* name, std::initializer_list<Step> steps, int maxPerHost = 2) {
  HostLimits limits(maxPerHost);
  int n = 0;
  for (const Step& s : steps) {
    const HostLimits::TimePoint at = kT0 + milliseconds(s.atMs);
    const QString host = QString::fromLatin1(s.host);
    SCOPED_TRACE(testing::Message() << name << " step " << n++ << " " << s.op << " " << s.host);
    switch (s.op) {
      case 'S':
        limits.started(host, at);
        break;
      case 'F':
        limits.finished(host);
        break;
      case 'D':
        limits.setCrawlDelay(host, milliseconds(s.atMs));
        break;
      case 'H':
        limits.holdUntil(host, at);
        break;
      case '?':
        EXPECT_EQ(limits.mayStart(host, at), s.expected == 1);
        break;
      case 'N': {
        const auto next = limits.nextFreeTime(at);
        if (s.expected < 0) {
          EXPECT_EQ(next, std::nullopt);
        } else {
          EXPECT_EQ(next, kT0 + milliseconds(s.expected));
        }
        break;
      }
    }
  }
}

TEST(HostLimitsTest, Scripts) {
  RunScript("two a host", {{'?', "a.com", 0, 1},
                           {'S', "a.com", 0},
                           {'?', "a.com", 0, 1},
                           {'S', "A.COM", 0},
                           {'?', "a.com", 0, 0},
                           {'?', "b.com", 0, 1},
                           {'N', "", 0, -1},  // only running fetches: no timer
                           {'F', "a.com", 5},
                           {'?', "a.com", 5, 1},
                           {'F', "a.com", 5},
                           {'F', "a.com", 5},  // one finish too many is ignored
                           {'S', "a.com", 6},
                           {'S', "a.com", 6},
                           {'?', "a.com", 6, 0}});
  RunScript("one a host", {{'S', "a.com", 0}, {'?', "a.com", 0, 0}}, 1);
  RunScript("crawl delay", {{'D', "a.com", 2000},
                            {'?', "a.com", 0, 1},  // nothing started yet
                            {'S', "a.com", 0},
                            {'F', "a.com", 100},
                            {'?', "a.com", 1999, 0},
                            {'N', "", 1000, 2000},
                            {'?', "a.com", 2000, 1},
                            {'N', "", 2000, -1},
                            {'S', "a.com", 2500},
                            {'?', "a.com", 4499, 0},
                            {'?', "b.com", 2500, 1}});
  RunScript("retry after", {{'H', "a.com", 60000},
                            {'H', "a.com", 30000},  // an earlier end does not shorten it
                            {'?', "a.com", 59999, 0},
                            {'N', "", 0, 60000},
                            {'?', "a.com", 60000, 1},
                            {'D', "b.com", 5000},
                            {'S', "b.com", 0},
                            {'N', "", 0, 5000},
                            {'H', "b.com", 1000},  // the delay ends later
                            {'?', "b.com", 4999, 0},
                            {'N', "", 5000, 60000}});
}

TEST(HostLimitsTest, PickStartable) {
  HostLimits limits;
  limits.started(QStringLiteral("busy.com"), kT0);
  limits.started(QStringLiteral("busy.com"), kT0);
  limits.holdUntil(QStringLiteral("held.com"), kT0 + seconds(30));
  limits.setCrawlDelay(QStringLiteral("slow.com"), seconds(4));
  limits.started(QStringLiteral("slow.com"), kT0);
  const struct {
    QStringList queue;
    std::optional<qsizetype> index;
    std::optional<int> wakeAfterSeconds;
  } cases[] = {
      {{"free.com/a", "busy.com/b"}, 0, std::nullopt},
      {{"busy.com/a", "BUSY.com/b", "free.com/c", "free.com/d"}, 2, std::nullopt},
      {{"http://busy.com/a", "held.com/", "slow.com/x", "other.org"}, 3, std::nullopt},
      {{"busy.com/a", "held.com/", "slow.com/x"}, std::nullopt, 4},
      {{"busy.com/a", "held.com/"}, std::nullopt, 30},
      {{"busy.com/a", "busy.com/b"}, std::nullopt, std::nullopt},  // woken when one finishes
      {{}, std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    const QueuePick pick = PickStartable(c.queue, limits, kT0);
    EXPECT_EQ(pick.index, c.index) << c.queue.join(u' ').toStdString();
    if (c.wakeAfterSeconds) {
      EXPECT_EQ(pick.wakeAt, kT0 + seconds(*c.wakeAfterSeconds))
          << c.queue.join(u' ').toStdString();
    } else {
      EXPECT_EQ(pick.wakeAt, std::nullopt) << c.queue.join(u' ').toStdString();
    }
  }
  // Later, the held and the slow host are free again, in queue order.
  EXPECT_EQ(
      PickStartable({"busy.com/a", "held.com/", "slow.com/x"}, limits, kT0 + seconds(30)).index, 1);
}

}  // namespace
}  // namespace norvane
