#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace norvane {

// The classic crawl runs on this many sockets side by side; a socket index (0 to the count
// minus 1) names one socket, its two timers, its slot and its two page files.
constexpr int kSocketCount = 10;
constexpr int kMaxSocketCount = 200;  // the most "Web" > "Connections" offers

// The download record of one socket, reset by every fetch.
struct FetchSlot {
  QString strHost;        // host for the connection and the Host header; never contains "/"
  QString strPath;        // request path; never empty, always begins with "/"
  std::string strData;    // everything received on the current connection, one byte a character
  int32_t lReceived = 0;  // bytes received; once the header block is seen, body bytes only
  int32_t lContentLength = 0;  // the Content-Length header, 0 when none was seen
  bool bHeaderDone = false;    // the end of the header block has been seen
  int32_t iIdleTicks = 0;      // ticks since the last data arrival or the start
  int32_t iTotalTicks = 0;     // ticks since the start of the fetch
  // Where the search for the header end goes on when more data arrives, so that strData is
  // not searched again from its start on every arrival.
  std::size_t lHeaderSearchFrom = 0;
};

}  // namespace norvane
