#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "harvest/faxes/fax_scan.h"
#include "text/html_to_text.h"

namespace norvane {

// The bytes the fax scan reads back from a page's html2<n>.txt: the received body without its
// line breaks, a line break put before every "fax", converted to plain text, with the CR LF the
// converter ends its file with.
std::string ConvertPageForFaxScan(std::string_view body, const YieldFn& yield = {});
// The same for a body whose line breaks are already removed.
std::string ConvertUnbrokenPageForFaxScan(std::string_view bodyWithoutBreaks,
                                          const YieldFn& yield = {});

// The numbers the page steps would store into an empty database for one received page body.
std::vector<FoundFax> FindFaxesInPage(std::string_view body, bool allowInternational);

}  // namespace norvane
