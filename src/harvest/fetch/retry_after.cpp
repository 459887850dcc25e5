#include "harvest/fetch/retry_after.h"

#include "harvest/ascii_text.h"

#include <algorithm>
#include <array>

#include "harvest/fetch/redirect_response.h"

namespace norvane {
namespace {

using ascii::EqualsIgnoringCase;
using ascii::TrimBlanks;

using std::chrono::system_clock;

constexpr std::array<std::string_view, 7> kDays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 7> kLongDays = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Which of the names it is, counted from 1 (a month's number); 0 for none of them.
template <std::size_t N>
int NumberIn(std::string_view name, const std::array<std::string_view, N>& names) {
  for (std::size_t i = 0; i < N; ++i)
    if (EqualsIgnoringCase(name, names[i])) return static_cast<int>(i) + 1;
  return 0;
}

// Reads a date left to right; any step that does not find what it expects fails the cursor.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : m_text(text) {}
  bool ok() const { return m_ok; }
  bool atEnd() const { return m_at == m_text.size(); }
  char peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }

  std::string_view letters() {
    const std::size_t from = m_at;
    while (ascii::IsAlpha(peek())) ++m_at;
    if (m_at == from) m_ok = false;
    return m_text.substr(from, m_at - from);
  }
  void expect(char c) {
    if (peek() == c && m_at < m_text.size()) {
      ++m_at;
    } else {
      m_ok = false;
    }
  }
  int digits(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
      const char c = peek();
      if (!ascii::IsDigit(c)) {  // the end peeks as '\0'
        m_ok = false;
        return 0;
      }
      value = value * 10 + (c - '0');
      ++m_at;
    }
    return value;
  }

 private:
  std::string_view m_text;
  std::size_t m_at = 0;
  bool m_ok = true;
};

struct Clock {
  int hour = 0, minute = 0, second = 0;
};

Clock TimeOfDay(Cursor& in) {
  Clock t;
  t.hour = in.digits(2);
  in.expect(':');
  t.minute = in.digits(2);
  in.expect(':');
  t.second = in.digits(2);
  return t;
}

std::optional<std::chrono::sys_seconds> Moment(int year, int month, int day, Clock t) {
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{year},
                            std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  // A leap second (60) is allowed by the grammar of the time of day.
  if (!date.ok() || t.hour > 23 || t.minute > 59 || t.second > 60) return std::nullopt;
  return sys_seconds{sys_days{date}} + hours{t.hour} + minutes{t.minute} + seconds{t.second};
}

}  // namespace

std::optional<std::chrono::sys_seconds> ParseHttpDate(std::string_view text,
                                                      system_clock::time_point now) {
  Cursor in(text);
  const std::string_view dayName = in.letters();
  if (!in.ok()) return std::nullopt;
  int year = 0, month = 0, day = 0;
  Clock t;
  if (in.peek() == ',') {
    in.expect(',');
    in.expect(' ');
    day = in.digits(2);
    if (in.peek() == ' ' && NumberIn(dayName, kDays) > 0) {  // Sun, 06 Nov 1994 08:49:37 GMT
      in.expect(' ');
      month = NumberIn(in.letters(), kMonths);
      in.expect(' ');
      year = in.digits(4);
    } else if (in.peek() == '-' && NumberIn(dayName, kLongDays) > 0) {  // Sunday, 06-Nov-94 ...
      in.expect('-');
      month = NumberIn(in.letters(), kMonths);
      in.expect('-');
      const int yy = in.digits(2);
      using namespace std::chrono;
      const int nowYear = static_cast<int>(year_month_day{floor<days>(now)}.year());
      year = nowYear - nowYear % 100 + yy;
      if (year > nowYear + 50) year -= 100;
    } else {
      return std::nullopt;
    }
    in.expect(' ');
    t = TimeOfDay(in);
    in.expect(' ');
    if (!EqualsIgnoringCase(in.letters(), "GMT")) return std::nullopt;
  } else if (NumberIn(dayName, kDays) > 0) {  // Sun Nov  6 08:49:37 1994
    in.expect(' ');
    month = NumberIn(in.letters(), kMonths);
    in.expect(' ');
    const bool padded = in.peek() == ' ';  // " 6" for the 6th
    if (padded) in.expect(' ');
    day = in.digits(padded ? 1 : 2);
    in.expect(' ');
    t = TimeOfDay(in);
    in.expect(' ');
    year = in.digits(4);
  } else {
    return std::nullopt;
  }
  if (!in.ok() || !in.atEnd() || month == 0) return std::nullopt;
  return Moment(year, month, day, t);
}

std::optional<std::chrono::seconds> RetryAfterWait(std::string_view value,
                                                   system_clock::time_point now) {
  using std::chrono::seconds;
  value = TrimBlanks(value);
  if (value.empty()) return std::nullopt;
  if (value.front() >= '0' && value.front() <= '9') {
    long long wait = 0;
    for (char c : value) {
      if (c < '0' || c > '9') return std::nullopt;
      wait = std::min<long long>(wait * 10 + (c - '0'), kMaxRetryAfter.count());
    }
    return seconds(wait);
  }
  const auto when = ParseHttpDate(value, now);
  if (!when) return std::nullopt;
  // In whole seconds: what is left of the current second counts as a whole one.
  const seconds wait = *when - std::chrono::floor<seconds>(now);
  return std::clamp(wait, seconds(0), kMaxRetryAfter);
}

std::optional<std::chrono::seconds> RetryAfterOfResponse(std::string_view headerBlock,
                                                         system_clock::time_point now) {
  const auto status = StatusCodeOf(headerBlock);
  if (status != 429 && status != 503) return std::nullopt;
  const auto value = HeaderFieldValue(headerBlock, "Retry-After");
  if (!value) return std::nullopt;
  return RetryAfterWait(*value, now);
}

}  // namespace norvane
