#pragma once

#include <chrono>

namespace norvane {

// Lets pending window, socket and timer events run: the yield points of the crawl (each socket
// handler, each take, each line of a page). One pass over the event queue costs microseconds
// even when it is empty, and a page has hundreds of lines, so a yield that comes sooner than
// the yield interval after the last one that ran is skipped; the window still answers within
// that interval.
void YieldToEvents();
// Whether YieldToEvents would let the events run now (the interval since the last one is over):
// work that must not span other events (the store's page transaction) ends itself first.
bool YieldDue();

// The shortest time between two yields that run; zero makes every yield run (tests that need
// an event at one exact point).
void SetYieldInterval(std::chrono::microseconds interval);
std::chrono::microseconds YieldInterval();

}  // namespace norvane
