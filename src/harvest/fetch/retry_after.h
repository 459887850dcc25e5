#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace norvane {

// The longest a server's Retry-After keeps its host off the sockets.
inline constexpr std::chrono::seconds kMaxRetryAfter{600};

// The moment an HTTP-date names: the IMF-fixdate "Sun, 06 Nov 1994 08:49:37 GMT", the obsolete
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994". Names are compared without
// letter case; the day name is not checked against the date. A two-digit year is read as the
// latest year with those digits that is not more than 50 years after `now`.
// Whole seconds, since a date may lie beyond what the clock's own resolution can hold.
std::optional<std::chrono::sys_seconds> ParseHttpDate(std::string_view text,
                                                      std::chrono::system_clock::time_point now);

// The wait a Retry-After value asks for, from `now`: delta-seconds or an HTTP-date, spaces and
// tabs around it ignored, the result within [0, kMaxRetryAfter] (a date already past gives 0,
// part of a second counts as a whole one). Anything else gives nothing.
std::optional<std::chrono::seconds> RetryAfterWait(std::string_view value,
                                                   std::chrono::system_clock::time_point now);

// The wait a response asks for with a 429 or 503 status and a Retry-After field; nothing for
// any other status, a missing field or a value RetryAfterWait cannot read. `headerBlock` is
// the text before the blank line, status line first.
std::optional<std::chrono::seconds> RetryAfterOfResponse(std::string_view headerBlock,
                                                         std::chrono::system_clock::time_point now);

}  // namespace norvane
