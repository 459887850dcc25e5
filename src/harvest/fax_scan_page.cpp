#include "harvest/fax_scan_page.h"

namespace norvane {

std::string ConvertPageForFaxScan(std::string_view body, const YieldFn& yield) {
  // The page saving writes the body without line breaks and a CR LF; reading that file line by
  // line and joining the lines gives back exactly the body without line breaks.
  std::string converted = HtmlToText(BreakBeforeFax(RemoveLineBreaks(body)), std::string(), yield);
  converted.append("\r\n");
  return converted;
}

std::vector<FoundFax> FindFaxesInPage(std::string_view body, bool allowInternational) {
  return FindFaxes(ConvertPageForFaxScan(body), allowInternational);
}

}  // namespace norvane
