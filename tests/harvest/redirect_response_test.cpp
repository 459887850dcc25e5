// What the crawl reads from a response that sends it elsewhere.
#include <gtest/gtest.h>

#include "harvest/fetch/redirect_response.h"

namespace norvane {
namespace {

TEST(RedirectResponseTest, StatusCode) {
  const struct {
    const char* header;
    std::optional<int> status;
  } cases[] = {
      {"HTTP/1.1 200 OK", 200},
      {"HTTP/1.1 301 Moved Permanently\r\nLocation: /x", 301},
      {"HTTP/1.0 302 Found\r\n\r\n", 302},
      {"http/1.1 404 Not Found", 404},
      {"HTTP/2 308", 308},  // no reason text
      {"HTTP/1.1 200\r\nX: y", 200},
      {"HTTP/1.1 20 OK", std::nullopt},
      {"HTTP/1.1 2000 OK", std::nullopt},
      {"HTTP/1.1 2x0 OK", std::nullopt},
      {"HTTP/ 200 OK", std::nullopt},
      {"HTTP/1.1", std::nullopt},
      {"ICY 200 OK", std::nullopt},
      {"<html>HTTP/1.1 301</html>", std::nullopt},
      {"\r\nHTTP/1.1 301 Moved", std::nullopt},  // only the first line is the status line
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(StatusCodeOf(c.header), c.status) << c.header;
}

TEST(RedirectResponseTest, Location) {
  const struct {
    const char* header;
    std::optional<std::string> location;
  } cases[] = {
      {"HTTP/1.1 301 Moved\r\nLocation: https://h.org/x", "https://h.org/x"},
      {"HTTP/1.1 301 Moved\r\nlocation:/x \t", "/x"},
      {"HTTP/1.1 301 Moved\r\nLOCATION :  page.html  \r\nX: y", "page.html"},
      {"HTTP/1.1 301 Moved\r\nLocation: /first\r\nLocation: /second", "/first"},
      {"HTTP/1.1 301 Moved\r\nContent-Location: /other", std::nullopt},
      {"HTTP/1.1 301 Moved\r\nX-Location: /other\r\nLocation: /x", "/x"},
      {"HTTP/1.1 301 Moved\r\nLocation:   ", std::nullopt},
      {"HTTP/1.1 301 Moved\r\nLocations: /x", std::nullopt},
      {"HTTP/1.1 301 Moved\r\nX-Note: Location: /x", std::nullopt},
      // The header block ends at its blank line; a body line is no header.
      {"HTTP/1.1 301 Moved\r\n\r\nLocation: /in-body", std::nullopt},
      {"Location: /x", std::nullopt},  // the first line is the status line
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(LocationOf(c.header), c.location) << c.header;
}

TEST(RedirectResponseTest, FollowedCodes) {
  const struct {
    int status;
    bool followed;
  } cases[] = {
      {301, true},  {302, true},   {303, true},   {307, true},  {308, true},
      {300, false},  // a choice for the user, not an address
      {304, false}, {305, false},  {306, false},  {309, false}, {200, false},
      {404, false}, {3010, false}, {-301, false}, {0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsFollowedRedirect(c.status), c.followed) << c.status;
}

}  // namespace
}  // namespace norvane
