#include "harvest/prepared_page.h"

#include <string_view>

#include "common/rewritten_files.h"
#include "common/text_file.h"
#include "harvest/fax_scan.h"
#include "harvest/fax_scan_page.h"
#include "harvest/link_extraction.h"
#include "harvest/thorough_fax_scan.h"

namespace norvane {

namespace {

void PrepareLinks(PreparedPage& page, std::string_view body, const PageAddress& address,
                  const UrlRules& rules) {
  // The lines of html<n>.txt as the file holds them (the body and a closing CR LF): a line ends
  // at CR or CR LF, a lone LF stays in it.
  for (std::size_t from = 0; from < body.size(); ++page.bodyLines) {
    std::size_t end = body.find('\r', from);
    if (end == std::string::npos) end = body.size();
    const std::string_view line = body.substr(from, end - from);
    from = end + ((end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1);
    const auto link = ExtractLineLink(line);
    if (!link) continue;
    std::optional<QString> resolved = ResolveLink(QString::fromLatin1(*link), address, rules);
    if (!resolved) continue;
    QString read = PageAddressUrl(*resolved, rules);
    page.links.push_back({page.bodyLines, std::move(*resolved), std::move(read)});
  }
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

// The thorough scan reads the body itself; its numbers are stored after the converted text's
// last line, in the order they stand on the page, each asked of the store first as the classic
// scan does.
void PrepareThoroughFaxes(PreparedPage& page, std::string_view body, std::string_view converted,
                          const PageAddress& address, bool allowInternational) {
  ForEachTextLine(converted, [&page](std::string_view) { ++page.textLines; });
  const std::size_t lastLine = page.textLines > 0 ? page.textLines - 1 : 0;
  const std::string host = address.host.toStdString();
  for (FoundFax& found : FindFaxesThoroughly(body, host, allowInternational))
    page.faxes.push_back({lastLine, std::move(found.fax), std::move(found.location), true});
}

}  // namespace

PreparedPage PreparePage(PageJob job) {
  // The body and the converted text stay here: the page steps need neither, and freeing them
  // here spares the crawl's thread.
  PreparedPage page;
  const std::string body = std::move(job.body);
  const auto write = [&job](const std::string& path, std::string_view head, std::string_view tail) {
    return job.files ? job.files->write(path, head, tail) : WriteFileBytes(path, head, tail);
  };
  write(job.htmlFile, body, "\r\n");
  page.withoutBreaks = RemoveLineBreaks(body);
  PrepareLinks(page, body, job.address, job.rules);
  const std::string converted =
      ConvertUnbrokenPageForFaxScan(page.withoutBreaks, [&page] { ++page.conversionYields; });
  page.convertedWritten = write(job.textFile, converted, {});
  if (job.thoroughFaxScan) {
    PrepareThoroughFaxes(page, body, converted, job.address, job.allowInternational);
  } else {
    PrepareFaxes(page, converted, job.allowInternational);
  }
  return page;
}

}  // namespace norvane
