#include "harvest/prepared_page.h"

#include <string_view>

#include "common/text_file.h"
#include "harvest/fax_scan.h"
#include "harvest/fax_scan_page.h"
#include "harvest/link_extraction.h"

namespace norvane {

namespace {

void PrepareLinks(PreparedPage& page, const PageAddress& address, const UrlRules& rules) {
  const std::string& body = page.body;
  // The lines of html<n>.txt as the file holds them (the body and a closing CR LF): a line ends
  // at CR or CR LF, a lone LF stays in it.
  for (std::size_t from = 0; from < body.size(); ++page.bodyLines) {
    std::size_t end = body.find('\r', from);
    if (end == std::string::npos) end = body.size();
    const std::string_view line = std::string_view(body).substr(from, end - from);
    from = end + ((end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1);
    const auto link = ExtractLineLink(line);
    if (!link) continue;
    std::optional<QString> resolved = ResolveLink(QString::fromLatin1(*link), address, rules);
    if (!resolved) continue;
    QString read = PageAddressUrl(*resolved, rules);
    page.links.push_back({page.bodyLines, std::move(*resolved), std::move(read)});
  }
}

void PrepareFaxes(PreparedPage& page, bool allowInternational) {
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
  ScanFaxText(page.converted, allowInternational, hooks);
}

}  // namespace

PreparedPage PreparePage(PageJob job) {
  PreparedPage page;
  page.body = std::move(job.body);
  WriteFileBytes(job.htmlFile, page.body + "\r\n");
  page.withoutBreaks = RemoveLineBreaks(page.body);
  PrepareLinks(page, job.address, job.rules);
  page.converted =
      ConvertUnbrokenPageForFaxScan(page.withoutBreaks, [&page] { ++page.conversionYields; });
  page.convertedWritten = WriteFileBytes(job.textFile, page.converted);
  PrepareFaxes(page, job.allowInternational);
  return page;
}

}  // namespace norvane
