// Any result page: every domain a pass takes from it has an accepted label, holds no tag or mail
// address, is named in the page (once spaces and quotes are dropped, as the pass drops them), and
// is no part of a domain taken before it.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "search/result_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString html =
      QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList domains = norvane::ExtractDomains(html);
  QString bare = html;
  bare.remove(QLatin1Char(' ')).remove(QLatin1Char('"')).remove(QLatin1Char('\''));
  for (qsizetype i = 0; i < domains.size(); ++i) {
    const QString& domain = domains[i];
    FUZZ_CHECK(norvane::HasAcceptedLabel(domain));
    FUZZ_CHECK(!domain.contains(QLatin1Char('<')) && !domain.contains(QLatin1Char('>')));
    FUZZ_CHECK(!domain.contains(QLatin1String("mailto:"), Qt::CaseInsensitive));
    FUZZ_CHECK(bare.contains(domain, Qt::CaseInsensitive));
    for (qsizetype j = 0; j < i; ++j) {
      FUZZ_CHECK(!domains[j].contains(domain, Qt::CaseInsensitive));
    }
  }
  return 0;
}
