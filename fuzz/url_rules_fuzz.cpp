// A website and a link, split at the first NUL: the decomposition, UrlDirectory and ResolveLink
// keep the promises the fetcher and the queue rely on.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/control/url_rules.h"

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

  // The secure rules: the same promises, a secure link never queued with the option off, and a
  // secure result only with it on.
  const norvane::UrlRules plainRules{false};
  const norvane::UrlRules secureRules{true};
  const norvane::PageAddress securePage = norvane::DecomposePageAddress(website, secureRules);
  FUZZ_CHECK(!securePage.host.contains(QLatin1Char('/')));
  FUZZ_CHECK(securePage.path.startsWith(QLatin1Char('/')));
  FUZZ_CHECK(securePage.curDir.endsWith(QLatin1Char('/')));
  FUZZ_CHECK(norvane::UrlDirectory(website, secureRules).endsWith(QLatin1Char('/')));
  const bool secureLink = link.startsWith(norvane::kSecureScheme, Qt::CaseInsensitive);
  const auto plainLink = norvane::ResolveLink(link, page, plainRules);
  FUZZ_CHECK(secureLink ? !plainLink : plainLink == norvane::ResolveLink(link, page));
  if (const auto resolved = norvane::ResolveLink(link, securePage, secureRules)) {
    FUZZ_CHECK(resolved->contains(QLatin1Char('/')));
  }
  if (const auto target = norvane::ResolveRedirect(link, page, plainRules)) {
    FUZZ_CHECK(target->contains(QLatin1Char('/')));
    // Off, only an address that was already written with the scheme's text can carry it on.
    FUZZ_CHECK(!target->startsWith(norvane::kSecureScheme) ||
               website.contains(QLatin1String("https:"), Qt::CaseInsensitive));
  }
  if (const auto target = norvane::ResolveRedirect(link, securePage, secureRules)) {
    FUZZ_CHECK(target->contains(QLatin1Char('/')));
  }
  return 0;
}
