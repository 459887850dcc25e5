// A website and a link, split at the first NUL: the decomposition, UrlDirectory and ResolveLink
// keep the promises the fetcher and the queue rely on.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/url_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find('\0');
  const QString website = QString::fromLatin1(input.substr(0, cut));
  const QString link =
      cut == std::string_view::npos ? QString() : QString::fromLatin1(input.substr(cut + 1));

  const norvane::PageAddress page = norvane::DecomposePageAddress(website);
  FUZZ_CHECK(!page.host.contains(QLatin1Char('/')));
  FUZZ_CHECK(page.path.startsWith(QLatin1Char('/')));
  FUZZ_CHECK(page.curDir.endsWith(QLatin1Char('/')));
  FUZZ_CHECK(norvane::UrlDirectory(website).endsWith(QLatin1Char('/')));
  (void)norvane::AcceptQueuedEntry(website);

  const QString resolved = norvane::ResolveLink(link, page);
  FUZZ_CHECK(resolved.contains(QLatin1Char('/')));
  // Links that climb or start at the root stay on the page's host.
  QString bare = link;
  bare.remove(QStringLiteral("http://"), Qt::CaseInsensitive);
  if (link.size() == bare.size() && (bare.startsWith(QLatin1String("..")))) {
    FUZZ_CHECK(resolved.startsWith(page.host));
  }
  return 0;
}
