// The rule of two fetches a host and the waits a host asks for (Crawl-delay, Retry-After).
#include <gtest/gtest.h>

#include "harvest/polite/host_limits.h"

namespace norvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
const HostLimits::TimePoint kT0 = HostLimits::TimePoint() + std::chrono::hours(1);

// One step of a script over one HostLimits: S started, F finished, D crawl delay (ms),
// H hold until, ? mayStart at that moment, N freeAt of the host.
struct Step {
  char op;
  const char* host;
  int atMs;          // from kT0; the delay for D
  int expected = 0;  // ?: 1 may start; N: ms from kT0, -1 for no wait at that moment
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
        const HostLimits::TimePoint free = limits.freeAt(host);
        if (s.expected < 0) {
          EXPECT_LE(free, at);
        } else {
          EXPECT_EQ(free, kT0 + milliseconds(s.expected));
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
                           {'N', "a.com", 0, -1},  // only running fetches: no timer
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
                            {'N', "a.com", 1000, 2000},
                            {'?', "a.com", 2000, 1},
                            {'N', "a.com", 2000, -1},
                            {'S', "a.com", 2500},
                            {'?', "a.com", 4499, 0},
                            {'?', "b.com", 2500, 1}});
  RunScript("retry after", {{'H', "a.com", 60000},
                            {'H', "a.com", 30000},  // an earlier end does not shorten it
                            {'?', "a.com", 59999, 0},
                            {'N', "a.com", 0, 60000},
                            {'?', "a.com", 60000, 1},
                            {'D', "b.com", 5000},
                            {'S', "b.com", 0},
                            {'N', "b.com", 0, 5000},
                            {'H', "b.com", 1000},  // the delay ends later
                            {'?', "b.com", 4999, 0},
                            {'N', "b.com", 5000, -1},
                            {'N', "a.com", 5000, 60000}});
}

}  // namespace
}  // namespace norvane
