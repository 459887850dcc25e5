#include "harvest/fetch/http_response.h"

#include "harvest/ascii_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "common/version_info.h"
#include "harvest/fetch/chunked_body.h"

namespace norvane {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kBareHeaderEnd = "\n\n";

// Knuth-Morris-Pratt from `from` on: linear however the text repeats the pattern.
void FindAllKmp(std::string_view text, const std::string& p, std::size_t from,
                std::vector<std::size_t>& hits) {
  const std::size_t m = p.size();
  std::vector<std::size_t> border(m, 0);
  for (std::size_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && p[i] != p[k]) k = border[k - 1];
    if (p[i] == p[k]) ++k;
    border[i] = k;
  }
  for (std::size_t i = from, k = 0; i < text.size(); ++i) {
    const char c = ascii::Lower(text[i]);
    while (k > 0 && c != p[k]) k = border[k - 1];
    if (c == p[k]) ++k;
    if (k == m) {
      hits.push_back(i + 1 - m);
      k = 0;  // occurrences do not overlap
    }
  }
}

}  // namespace

// Every non-overlapping occurrence of pattern in text, letter case ignored, left to right.
// Boyer-Moore-Horspool: a header block is a few hundred bytes, so most steps skip that far
// and a page body is not read byte by byte. A text made to defeat the skips (near copies of
// the block) would make it quadratic; after a few comparisons per text byte the search goes on
// with Knuth-Morris-Pratt, which stays linear.
std::vector<std::size_t> FindAllIgnoringCase(std::string_view text, std::string_view pattern) {
  std::vector<std::size_t> hits;
  const std::size_t m = pattern.size();
  if (m == 0 || text.size() < m) return hits;
  std::string p(m, '\0');
  for (std::size_t i = 0; i < m; ++i) p[i] = ascii::Lower(pattern[i]);
  std::array<std::size_t, 256> skip;
  skip.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) skip[static_cast<unsigned char>(p[i])] = m - 1 - i;
  const std::size_t budget = 4 * text.size() + 64;
  std::size_t work = 0;
  std::size_t at = 0;
  while (at + m <= text.size()) {
    std::size_t j = m;
    while (j > 0 && ascii::Lower(text[at + j - 1]) == p[j - 1]) --j;
    work += m - j + 1;
    if (j == 0) {
      hits.push_back(at);
      at += m;
      continue;
    }
    at += skip[static_cast<unsigned char>(ascii::Lower(text[at + m - 1]))];
    if (work > budget) {
      FindAllKmp(text, p, at, hits);
      break;
    }
  }
  return hits;
}

QByteArray BuildPageRequest(const QString& host, const QString& path, const QByteArray& userAgent) {
  // Website texts come from page bytes read one byte a character, so Latin-1 gives the bytes
  // back exactly.
  QByteArray request;
  request.reserve(80 + host.size() + path.size() + userAgent.size());
  request += "GET ";
  request += path.toLatin1();
  request += " HTTP/1.1\r\nHost: ";
  request += host.toLatin1();
  request += "\r\nConnection: close\r\nAccept: */*\r\n";
  if (!userAgent.isEmpty()) request += "User-Agent: " + userAgent + "\r\n";
  return request + "\r\n";
}

QByteArray CrawlUserAgent() {
  // The web address as the product page opens it: with a scheme.
  QByteArray address = version::kComments;
  if (!address.startsWith("http://") && !address.startsWith("https://")) address.prepend("http://");
  return QByteArray(version::kProductName) + '/' + QByteArray::number(version::kMajor) + '.' +
         QByteArray::number(version::kMinor) + " (+" + address + ')';
}

std::optional<HeaderEnd> FindHeaderEnd(std::string_view data, std::size_t from) {
  if (from >= data.size()) return std::nullopt;
  const std::size_t crlf = data.find(kHeaderEnd, from);
  // An LF LF beyond a CR LF CR LF already found cannot come first; the bound keeps a normal
  // response from being scanned to its end for one.
  const std::size_t lfUntil = crlf == std::string_view::npos ? data.size() : crlf;
  const std::size_t lf = data.substr(0, lfUntil).find(kBareHeaderEnd, from);
  if (lf != std::string_view::npos) return HeaderEnd{lf + 1, lf + kBareHeaderEnd.size()};
  if (crlf != std::string_view::npos) return HeaderEnd{crlf + 1, crlf + kHeaderEnd.size()};
  return std::nullopt;
}

std::optional<HeaderEnd> FindHeaderEndResuming(std::string_view data, std::size_t& resumeFrom) {
  const auto end = FindHeaderEnd(data, resumeFrom);
  // The last three bytes may be the start of a CR LF CR LF that the next arrival completes.
  if (!end) resumeFrom = std::max(resumeFrom, data.size() - std::min<std::size_t>(data.size(), 3));
  return end;
}

std::optional<std::size_t> HeaderEndPosition(std::string_view data) {
  const auto end = FindHeaderEnd(data);
  if (!end) return std::nullopt;
  return end->position;
}

int32_t ContentLengthOf(std::string_view headerBlock) {
  std::size_t next = 0;
  while (next <= headerBlock.size()) {
    const std::string_view line = ascii::LineAt(headerBlock, next, next);
    if (line.find("Content-Length") != std::string_view::npos) {
      const std::size_t space = line.find(' ');
      if (space == std::string_view::npos) return 0;
      std::string_view value = ascii::TrimBlanks(line.substr(space + 1));
      if (!value.empty() && value.front() == '+') value.remove_prefix(1);
      int32_t number = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
      if (error != std::errc() || end != value.data() + value.size() || value.empty()) return 0;
      return number;
    }
  }
  return 0;
}

std::string ResponseBody(std::string_view data) {
  const auto end = FindHeaderEnd(data);
  if (!end) return std::string(data);
  const std::string_view header = data.substr(0, end->blockSize);
  std::string body;
  body.reserve(data.size() - header.size());
  std::size_t copied = 0;
  for (std::size_t hit : FindAllIgnoringCase(data, header)) {
    body.append(data.substr(copied, hit - copied));
    copied = hit + header.size();
  }
  body.append(data.substr(copied));
  return body;
}

std::string PageBody(std::string_view data) {
  const auto end = HeaderEndPosition(data);
  if (!end || !IsChunkedTransfer(data.substr(0, *end - 1))) return ResponseBody(data);
  return DecodeChunkedBody(ResponseBody(data));
}

}  // namespace norvane
