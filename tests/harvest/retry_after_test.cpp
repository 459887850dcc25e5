// How long a 429 or 503 answer keeps a host off the sockets: Retry-After as seconds or as any
// of the three date forms, clamped to ten minutes, and nothing for text it cannot read.
#include <gtest/gtest.h>

#include "harvest/fetch/retry_after.h"

namespace norvane {
namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

std::chrono::sys_seconds At(int y, unsigned m, unsigned d, int hh, int mm, int ss) {
  using namespace std::chrono;
  return sys_days{year{y} / month{m} / day{d}} + hours{hh} + minutes{mm} + seconds{ss};
}

TEST(RetryAfterTest, Wait) {
  const system_clock::time_point now = At(1994, 11, 6, 8, 49, 0);
  const struct {
    std::string_view value;
    std::optional<seconds> wait;
  } cases[] = {
      {"37", seconds(37)},
      {"0", seconds(0)},
      {" \t5 ", seconds(5)},
      {"600", seconds(600)},
      {"601", seconds(600)},
      {"99999999999999999999999", seconds(600)},
      {"Sun, 06 Nov 1994 08:49:37 GMT", seconds(37)},
      {"sun, 06 NOV 1994 08:49:37 gmt", seconds(37)},
      {"Sunday, 06-Nov-94 08:49:37 GMT", seconds(37)},
      {"Sun Nov  6 08:49:37 1994", seconds(37)},
      {"Sun Nov 16 08:49:37 1994", seconds(600)},
      {"Sun, 06 Nov 1994 08:48:00 GMT", seconds(0)},  // already past
      {"Sun, 06 Nov 1994 09:49:37 GMT", seconds(600)},
      {"Mon, 07 Nov 1994 08:49:37 GMT", seconds(600)},  // the day name is not checked
      {"Wed, 09 Dec 4052 00:01:00 GMT", seconds(600)},  // beyond the clock's range
      {"Wed, 09 Dec 0052 00:01:00 GMT", seconds(0)},
      {"", std::nullopt},
      {"soon", std::nullopt},
      {"-5", std::nullopt},
      {"1.5", std::nullopt},
      {"5s", std::nullopt},
      {"Sun, 06 Nov 1994 08:49:37", std::nullopt},
      {"Sun, 06 Nov 1994 08:49:37 GMT x", std::nullopt},
      {"Sun, 31 Feb 1994 08:49:37 GMT", std::nullopt},
      {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
      {"Sun, 06 Nov 1994 08:61:00 GMT", std::nullopt},
      {"Sun, 6 Nov 1994 08:49:37 GMT", std::nullopt},
      {"Sunday, 06 Nov 1994 08:49:37 GMT", std::nullopt},
      {"Sun, 06-Nov-94 08:49:37 GMT", std::nullopt},
      {"Sun Nov 6 08:49:37 1994", std::nullopt},
      {"Xyz, 06 Nov 1994 08:49:37 GMT", std::nullopt},
      {"Sun, 06 Nox 1994 08:49:37 GMT", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RetryAfterWait(c.value, now), c.wait) << c.value;
  // Part of a second still to wait counts as a whole one.
  EXPECT_EQ(RetryAfterWait("Sun, 06 Nov 1994 08:49:37 GMT", now + std::chrono::milliseconds(500)),
            seconds(37));
}

TEST(RetryAfterTest, TwoDigitYears) {
  const system_clock::time_point now = At(2026, 12, 9, 0, 0, 0);
  const struct {
    std::string_view date;
    std::chrono::sys_seconds when;
  } cases[] = {
      {"Thursday, 01-Jan-76 00:00:00 GMT", At(2076, 1, 1, 0, 0, 0)},  // 50 years ahead at most
      {"Friday, 01-Jan-77 00:00:00 GMT", At(1977, 1, 1, 0, 0, 0)},
      {"Wednesday, 09-Dec-26 12:00:00 GMT", At(2026, 12, 9, 12, 0, 0)},
      {"Sunday, 06-Nov-94 08:49:37 GMT", At(1994, 11, 6, 8, 49, 37)},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseHttpDate(c.date, now), c.when) << c.date;
}

TEST(RetryAfterTest, FromResponse) {
  const system_clock::time_point now = At(2026, 12, 9, 0, 0, 0);
  const struct {
    std::string_view header;
    std::optional<seconds> wait;
  } cases[] = {
      {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 20", seconds(20)},
      {"HTTP/1.1 503 Service Unavailable\r\nDate: x\r\nretry-after: 20", seconds(20)},
      {"HTTP/1.1 503 Service Unavailable\r\nRetry-After: Wed, 09 Dec 2026 00:01:00 GMT",
       seconds(60)},
      {"HTTP/1.1 200 OK\r\nRetry-After: 20", std::nullopt},
      {"HTTP/1.1 500 Error\r\nRetry-After: 20", std::nullopt},
      {"HTTP/1.1 429 Too Many Requests\r\nContent-Length: 0", std::nullopt},
      {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: later", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RetryAfterOfResponse(c.header, now), c.wait) << c.header;
}

}  // namespace
}  // namespace norvane
