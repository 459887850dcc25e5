#include "harvest/polite/robots_rules.h"

#include "harvest/ascii_text.h"

#include <algorithm>

#include "harvest/fetch/chunked_body.h"
#include "harvest/fetch/redirect_response.h"

namespace norvane {
namespace {

using ascii::EqualsIgnoringCase;
using ascii::HexValue;
using ascii::TrimBlanks;

constexpr std::string_view kRobotsPath = "/robots.txt";

bool IsUnreserved(unsigned char c) {
  return ascii::IsAlnum(char(c)) || c == '-' || c == '.' || c == '_' || c == '~';
}

void AppendEncoded(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// The product token of a user-agent value: its leading letters, "-" and "_" ("Norvane/2.3"
// names "Norvane").
std::string_view ProductToken(std::string_view value) {
  const auto end = std::find_if_not(value.begin(), value.end(), [](char c) {
    return ascii::IsAlpha(c) || c == '-' || c == '_';
  });
  return value.substr(0, std::size_t(end - value.begin()));
}

// "2", "0.5", "1.25": whole milliseconds, cut to kMaxCrawlDelay. Signs, exponents and any
// other text make no delay.
std::optional<std::chrono::milliseconds> ParseCrawlDelay(std::string_view value) {
  const std::size_t dot = value.find('.');
  const std::string_view whole = value.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : value.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  const auto allDigits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), ascii::IsDigit);
  };
  if (!allDigits(whole) || !allDigits(fraction)) return std::nullopt;
  const long long limit = kMaxCrawlDelay.count();
  long long ms = 0;
  for (char c : whole) {
    ms = ms * 10 + (c - '0') * 1000;
    if (ms >= limit) return kMaxCrawlDelay;
  }
  long long scale = 100;
  for (std::size_t i = 0; i < fraction.size() && scale > 0; ++i, scale /= 10)
    ms += (fraction[i] - '0') * scale;
  return std::chrono::milliseconds(std::min(ms, limit));
}

// Where `needle` first occurs in `text` at or after `from` (Knuth-Morris-Pratt, so a pattern of
// many "*" cannot make the match quadratic in the path).
std::size_t FindFrom(std::string_view text, std::size_t from, std::string_view needle,
                     std::vector<std::size_t>& border) {
  const std::size_t m = needle.size();
  if (m == 0) return from;
  if (text.size() < from + m) return std::string_view::npos;
  border.assign(m, 0);
  for (std::size_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && needle[i] != needle[k]) k = border[k - 1];
    if (needle[i] == needle[k]) ++k;
    border[i] = k;
  }
  for (std::size_t i = from, k = 0; i < text.size(); ++i) {
    while (k > 0 && text[i] != needle[k]) k = border[k - 1];
    if (text[i] == needle[k]) ++k;
    if (k == m) return i + 1 - m;
  }
  return std::string_view::npos;
}

// A pattern "s0*s1*...*sk" matches when s0 begins the path and the other pieces follow in order,
// each at its leftmost place; with "$" the last piece must also end the path. Taking the leftmost
// place is never worse for the pieces after it, so one pass decides.
bool PatternMatches(std::string_view path, std::string_view pattern, bool endAnchored,
                    std::vector<std::size_t>& border) {
  std::size_t star = pattern.find('*');
  const std::string_view first = pattern.substr(0, star);
  if (path.substr(0, first.size()) != first) return false;
  if (star == std::string_view::npos) return !endAnchored || path.size() == first.size();
  std::size_t at = first.size();
  while (true) {
    const std::size_t begin = star + 1;
    star = pattern.find('*', begin);
    const std::string_view piece = pattern.substr(begin, star - begin);
    if (star == std::string_view::npos && endAnchored) {
      return path.size() >= at + piece.size() && path.substr(path.size() - piece.size()) == piece;
    }
    const std::size_t hit = FindFrom(path, at, piece, border);
    if (hit == std::string_view::npos) return false;
    at = hit + piece.size();
    if (star == std::string_view::npos) return true;
  }
}

// The rules of every group that names one agent, and their Crawl-delay.
struct Collected {
  bool seen = false;
  std::vector<std::pair<bool, std::string_view>> rules;  // allow?, pattern as written
  std::optional<std::chrono::milliseconds> crawlDelay;
};

// Calls line(text) for each line of the body; lines end at CR, LF or CR LF.
template <typename LineHandler>
void ForEachLine(std::string_view body, LineHandler&& line) {
  std::size_t at = 0;
  while (at < body.size()) {
    std::size_t end = body.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = body.size();
    line(body.substr(at, end - at));
    at = end + 1;
    if (end < body.size() && body[end] == '\r' && at < body.size() && body[at] == '\n') ++at;
  }
}

}  // namespace

std::string NormaliseRobotsPath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c == '%' && i + 2 < path.size() && HexValue(path[i + 1]) >= 0 &&
        HexValue(path[i + 2]) >= 0) {
      const auto octet =
          static_cast<unsigned char>(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
      if (IsUnreserved(octet)) {
        out += static_cast<char>(octet);
      } else {
        AppendEncoded(out, octet);
      }
      i += 2;
    } else if (c <= 0x20 || c >= 0x7F) {
      AppendEncoded(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

RobotsRules RobotsRules::DisallowAll() {
  RobotsRules rules;
  rules.m_rules.push_back(Rule{"/", false, false, 1});
  return rules;
}

bool RobotsRules::allows(std::string_view pathAndQuery) const {
  if (m_rules.empty()) return true;
  std::string path = NormaliseRobotsPath(pathAndQuery);
  if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
  if (path == kRobotsPath) return true;
  std::vector<std::size_t> border;
  for (const Rule& rule : m_rules)
    if (PatternMatches(path, rule.pattern, rule.endAnchored, border)) return rule.allow;
  return true;
}

RobotsRules ParseRobotsTxt(std::string_view body, std::string_view agent) {
  if (body.size() > kRobotsMaxBytes) {
    body = body.substr(0, kRobotsMaxBytes);
    // The line the limit cuts through could read as a shorter, different pattern.
    const std::size_t lastEnd = body.find_last_of("\r\n");
    body = body.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd);
  }
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (body.substr(0, kBom.size()) == kBom) body.remove_prefix(kBom.size());

  Collected specific, global;
  bool groupNamesAgent = false, groupIsGlobal = false;
  bool inGroup = false, afterRule = false;
  ForEachLine(body, [&](std::string_view line) {
    line = line.substr(0, line.find('#'));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string_view key = TrimBlanks(line.substr(0, colon));
    const std::string_view value = TrimBlanks(line.substr(colon + 1));

    if (EqualsIgnoringCase(key, "user-agent")) {
      if (afterRule || !inGroup) groupNamesAgent = groupIsGlobal = false;
      inGroup = true;
      afterRule = false;
      if (!value.empty() && value.front() == '*') {
        groupIsGlobal = true;
        global.seen = true;
      } else if (!agent.empty() && EqualsIgnoringCase(ProductToken(value), agent)) {
        groupNamesAgent = true;
        specific.seen = true;
      }
      return;
    }
    const bool allow = EqualsIgnoringCase(key, "allow");
    const bool isRule = allow || EqualsIgnoringCase(key, "disallow");
    const bool isDelay = EqualsIgnoringCase(key, "crawl-delay");
    if (!(isRule || isDelay) || !inGroup) return;  // sitemap, unknown keys, rules before a group
    afterRule = true;
    for (Collected* c :
         {groupNamesAgent ? &specific : nullptr, groupIsGlobal ? &global : nullptr}) {
      if (c == nullptr) continue;
      if (isDelay) {
        const auto delay = ParseCrawlDelay(value);
        if (delay && (!c->crawlDelay || *delay > *c->crawlDelay)) c->crawlDelay = delay;
      } else if (!value.empty() && (value.front() == '/' || value.front() == '*')) {
        c->rules.emplace_back(allow, value);
      }
    }
  });

  const Collected& chosen = specific.seen ? specific : global;
  RobotsRules rules;
  rules.m_crawlDelay = chosen.crawlDelay;
  for (const auto& [allow, written] : chosen.rules) {
    RobotsRules::Rule rule;
    rule.allow = allow;
    std::string pattern = NormaliseRobotsPath(written);
    rule.priority = pattern.size();
    if (!pattern.empty() && pattern.back() == '$') {
      rule.endAnchored = true;
      pattern.pop_back();
    }
    // "**" matches what "*" matches; one star is enough for the matching.
    pattern.erase(std::unique(pattern.begin(), pattern.end(),
                              [](char a, char b) { return a == '*' && b == '*'; }),
                  pattern.end());
    rule.pattern = std::move(pattern);
    rules.m_rules.push_back(std::move(rule));
  }
  std::stable_sort(rules.m_rules.begin(), rules.m_rules.end(),
                   [](const RobotsRules::Rule& a, const RobotsRules::Rule& b) {
                     if (a.priority != b.priority) return a.priority > b.priority;
                     return a.allow && !b.allow;
                   });
  return rules;
}

RobotsRules RobotsRulesForStatus(int status, std::string_view body, std::string_view agent) {
  if (status >= 200 && status <= 299) return ParseRobotsTxt(body, agent);
  if (status >= 300 && status <= 499) return RobotsRules::AllowAll();
  return RobotsRules::DisallowAll();
}

RobotsRules RobotsRulesForResponse(std::string_view received, std::string_view agent) {
  const auto status = StatusCodeOf(received);
  const std::size_t headerEnd = received.find("\r\n\r\n");
  if (!status || headerEnd == std::string_view::npos) return RobotsRules::DisallowAll();
  const std::string_view header = received.substr(0, headerEnd);
  const std::string_view body = received.substr(headerEnd + 4);
  if (IsChunkedTransfer(header)) return RobotsRulesForStatus(*status, DecodeChunkedBody(body), agent);
  return RobotsRulesForStatus(*status, body, agent);
}

}  // namespace norvane
