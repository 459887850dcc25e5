#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// The product token the polite crawl looks for in robots.txt.
inline constexpr std::string_view kRobotsAgent = "Norvane";

// Only this much of a robots.txt is read; rules beyond it are ignored.
inline constexpr std::size_t kRobotsMaxBytes = 500 * 1024;

// The longest Crawl-delay honoured; a longer one is cut to this.
inline constexpr std::chrono::milliseconds kMaxCrawlDelay{10'000};

// What one host's robots.txt says to our agent: the Allow and Disallow rules of the group chosen
// for it, and its Crawl-delay. A value type, cheap to keep per host for a whole search string.
class RobotsRules {
 public:
  // No rules: every path is allowed (a 4xx answer, an empty or unreadable file).
  RobotsRules() = default;
  static RobotsRules AllowAll() { return {}; }
  // Every path but "/robots.txt" refused (a 5xx answer, a time-out, an unreachable host).
  static RobotsRules DisallowAll();

  // Whether the path (with its query, beginning with "/") may be fetched: the longest matching
  // pattern decides, Allow winning a tie; no match allows. "/robots.txt" is always allowed.
  // Octets are compared after both sides are brought to one percent-encoding: %xx of letters,
  // digits and "-._~" is decoded, other %xx is upper-cased, and bytes outside printable ASCII
  // are encoded. The time taken grows with the path's length times the rules' total length
  // at worst, whatever "*" the patterns hold.
  bool allows(std::string_view pathAndQuery) const;

  // The chosen group's Crawl-delay (the largest when it gives several), at most kMaxCrawlDelay.
  std::optional<std::chrono::milliseconds> crawlDelay() const { return m_crawlDelay; }

  bool hasRules() const { return !m_rules.empty(); }

  friend RobotsRules ParseRobotsTxt(std::string_view body, std::string_view agent);

 private:
  struct Rule {
    std::string pattern;  // normalised, without a final "$"
    bool endAnchored = false;
    bool allow = false;
    std::size_t priority = 0;  // octets of the normalised pattern as written, "$" included
  };
  std::vector<Rule> m_rules;  // highest priority first, Allow before Disallow on a tie
  std::optional<std::chrono::milliseconds> m_crawlDelay;
};

// The rules of a robots.txt for the agent: the groups whose user-agent line names the agent
// (product token compared without letter case, merged when there are several), else the groups
// of "*", else none. A user-agent line after a rule starts a new group; consecutive user-agent
// lines share one. Lines end at CR, LF or CR LF; "#" starts a comment; a UTF-8 BOM, blank lines,
// lines without a colon, unknown keys and patterns not starting with "/" or "*" are ignored; an
// empty Allow or Disallow is no rule. Only the first kRobotsMaxBytes are read, and the line
// that limit cuts through is dropped.
RobotsRules ParseRobotsTxt(std::string_view body, std::string_view agent = kRobotsAgent);

// The rules that follow from a robots.txt request the server answered with this status and
// body: 2xx parses the body; 3xx (redirects are not followed, so they count as unavailable)
// and 4xx allow everything; 5xx and anything else (no status line) refuse everything.
RobotsRules RobotsRulesForStatus(int status, std::string_view body,
                                 std::string_view agent = kRobotsAgent);

// The same from the bytes received before the server closed: status line, header block and
// body, a chunked body decoded. Received bytes without a status line and header end refuse
// everything, as an unreachable host does. A time-out or a failed connection is DisallowAll().
RobotsRules RobotsRulesForResponse(std::string_view received,
                                   std::string_view agent = kRobotsAgent);

// A robots.txt path or a request path in the one percent-encoding the matching compares.
std::string NormaliseRobotsPath(std::string_view path);

}  // namespace norvane
