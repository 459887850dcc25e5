#include "harvest/page/prepared_page.h"

#include <QSet>
#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "common/text_file.h"
#include "harvest/faxes/fax_labels.h"
#include "harvest/faxes/fax_scan.h"
#include "harvest/faxes/fax_scan_page.h"
#include "harvest/faxes/thorough_fax_scan.h"
#include "harvest/page/link_extraction.h"

namespace norvane {

namespace {

void PrepareLinks(PreparedPage& page, std::string_view body, const PageAddress& address,
                  const UrlRules& rules) {
  // The lines of html<n>.txt as the file holds them (the body and a closing CR LF): a line ends
  // at CR or CR LF, a lone LF stays in it.
  ForEachTextLine(body, [&](std::string_view line) {
    const std::size_t at = page.bodyLines++;
    const auto link = ExtractLineLink(line);
    if (!link) return;
    std::optional<QString> resolved = ResolveLink(QString::fromLatin1(*link), address, rules);
    if (!resolved) return;
    QString read = PageAddressUrl(*resolved, rules);
    page.links.push_back({at, std::move(*resolved), std::move(read), QString()});
  });
}

// The address a page's links are resolved against: the page's own, or its <base href> read as a
// redirect from the page is (so "/x" goes to the host's root), keeping a directory it names.
PageAddress BaseAddress(const std::string& base, const PageAddress& page, const UrlRules& rules) {
  if (base.empty()) return page;
  const std::optional<QString> resolved = ResolveRedirect(QString::fromLatin1(base), page, rules);
  if (!resolved) return page;
  PageAddress address = DecomposePageAddress(*resolved, rules);
  if (resolved->endsWith(QLatin1Char('/'))) address.curDir = *resolved;
  return address;
}

// Every link of the page, each given the line of html<n>.txt its tag begins on, so that the
// page steps replay them where the classic reading would meet them. A website the page links to
// twice is looked up once: the second would be known by then.
void PrepareAllLinks(PreparedPage& page, std::string_view body, const PageLinks& found,
                     const PageAddress& address, const UrlRules& rules) {
  const PageAddress base = BaseAddress(found.base, address, rules);
  QSet<QString> queued;
  std::unordered_set<std::string_view> seen;  // links as written: each is resolved once
  std::size_t line = 0;
  std::size_t lineEnd = body.find('\r');
  for (const PageLink& link : found.links) {
    for (; lineEnd < link.offset; lineEnd = body.find('\r', lineEnd + 1)) {
      ++line;
      if (lineEnd + 1 < body.size() && body[lineEnd + 1] == '\n') ++lineEnd;
    }
    if (!seen.insert(link.link).second || PageLinkFilterDrops(link.link)) continue;
    QString text = QString::fromLatin1(link.link);
    // "//host/path" takes the scheme of the page.
    if (text.startsWith(QLatin1String("//")))
      text.prepend(base.secure ? QLatin1String("https:") : QLatin1String("http:"));
    std::optional<QString> resolved = ResolveLink(text, base, rules);
    if (!resolved || queued.contains(*resolved)) continue;
    queued.insert(*resolved);
    QString read = PageAddressUrl(*resolved, rules);
    page.links.push_back({line, std::move(*resolved), std::move(read), ShownLinkText(link.text)});
  }
  ForEachTextLine(body, [&page](std::string_view) { ++page.bodyLines; });
}

void PrepareFaxes(PreparedPage& page, std::string_view converted, bool allowInternational) {
  // The scan asks whether each number is stored before it weighs the letters around it, and
  // stores it only when both allow: the store's answer is left to the replay, the letters'
  // answer is kept here.
  FaxScanHooks hooks;
  hooks.yieldLine = [&page] { ++page.textLines; };
  hooks.faxKnown = [&page](std::string& fax) {
    page.faxes.push_back({page.textLines - 1, fax, std::string(), false});
    return false;
  };
  hooks.store = [&page](const FoundFax& found) {
    PreparedPage::Fax& last = page.faxes.back();
    last.location = found.location;
    last.storable = true;
  };
  ScanFaxText(converted, allowInternational, hooks);
}

// The thorough scan reads the body itself (`text`, none when no fax label can stand in it); its
// numbers are stored after the converted text's last line, in the order they stand on the page,
// each asked of the store first as the classic scan does.
void PrepareThoroughFaxes(PreparedPage& page, const std::optional<FaxPageText>& text,
                          std::string_view converted, const PageAddress& address,
                          bool allowInternational) {
  ForEachTextLine(converted, [&page](std::string_view) { ++page.textLines; });
  if (!text) return;
  const std::size_t lastLine = page.textLines > 0 ? page.textLines - 1 : 0;
  const std::string host = address.host.toStdString();
  for (FoundFax& found : FindFaxesThoroughly(*text, host, allowInternational))
    page.faxes.push_back({lastLine, std::move(found.fax), std::move(found.location), true});
}

}  // namespace

PreparedPage PreparePage(PageJob job) {
  // The body and the converted text stay here: the page steps need neither.
  PreparedPage page;
  const std::string body = std::move(job.body);
  WriteFileBytes(job.htmlFile, body, "\r\n");
  page.withoutBreaks = RemoveLineBreaks(body);
  // The thorough scan's text and every link of the page come from one pass of the tokenizer.
  std::optional<FaxPageText> faxText;
  const bool readsFaxText = job.thoroughFaxScan && MayMentionFax(body);
  if (job.reading.allLinks) {
    PageLinkReader links(job.reading.followNofollow);
    if (readsFaxText) {
      faxText = ReadFaxPageText(body, [&links](const HtmlToken& token) { links.read(token); });
    }
    PrepareAllLinks(
        page, body,
        readsFaxText ? links.finish() : ExtractPageLinks(body, job.reading.followNofollow),
        job.address, job.rules);
  } else {
    PrepareLinks(page, body, job.address, job.rules);
    if (readsFaxText) faxText = ReadFaxPageText(body);
  }
  const std::string converted =
      ConvertUnbrokenPageForFaxScan(page.withoutBreaks, [&page] { ++page.conversionYields; });
  page.convertedWritten = WriteFileBytes(job.textFile, converted);
  if (job.thoroughFaxScan) {
    PrepareThoroughFaxes(page, faxText, converted, job.address, job.allowInternational);
  } else {
    PrepareFaxes(page, converted, job.allowInternational);
  }
  return page;
}

}  // namespace norvane
