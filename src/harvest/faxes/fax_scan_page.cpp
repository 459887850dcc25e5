#include "harvest/faxes/fax_scan_page.h"

namespace norvane {

std::string ConvertPageForFaxScan(std::string_view body, const YieldFn& yield) {
  // The page saving writes the body without line breaks and a CR LF; reading that file line by
  // line and joining the lines gives back exactly the body without line breaks.
  return ConvertUnbrokenPageForFaxScan(RemoveLineBreaks(body), yield);
}

std::string ConvertUnbrokenPageForFaxScan(std::string_view bodyWithoutBreaks,
                                          const YieldFn& yield) {
  std::string converted = HtmlToText(BreakBeforeFax(bodyWithoutBreaks), std::string(), yield);
  converted.append("\r\n");
  return converted;
}

std::vector<FoundFax> FindFaxesInPage(std::string_view body, bool allowInternational) {
  return FindFaxes(ConvertPageForFaxScan(body), allowInternational);
}

}  // namespace norvane
