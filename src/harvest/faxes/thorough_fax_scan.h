#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/faxes/fax_scan.h"
#include "text/html_tokenizer.h"

namespace norvane {

// A page as the thorough fax scan reads it: the text a reader sees, block by block, and the
// numbers that the page's links and site data name as fax.
struct FaxPageText {
  struct MarkedFax {
    std::size_t block = 0;  // the number stands before this block
    std::string number;     // as written (UTF-8)
  };
  // Visible text in UTF-8, block after block of the screen (a table cell, a list item, a
  // paragraph, a line ended by <br>): block k ends at blockEnds[k]. One string rather than one a
  // block, which cost an allocation for each of the hundreds of blocks of a page.
  std::string text;
  std::vector<std::size_t> blockEnds;
  std::size_t blockCount() const { return blockEnds.size(); }
  std::string_view block(std::size_t k) const {
    const std::size_t begin = k == 0 ? 0 : blockEnds[k - 1];
    return std::string_view(text).substr(begin, blockEnds[k] - begin);
  }
  std::vector<MarkedFax> marked;
  std::string selfAddress;  // the address the page names for itself, if any
  std::string language;     // the page's language ("en", "fr-CA"), if given
  // The country most of the page's mail addresses and links to other sites name by their
  // top-level domain ("IT"), if any.
  std::string linkedRegion;
};

// Reads a received page body (HTML, Windows-1252 or UTF-8) into its visible text blocks, the
// numbers of its "fax:" links, of "tel:" links labelled fax, of schema.org faxNumber
// (JSON-LD, microdata, RDFa), og:fax_number and vCard fax types. Labels that only markup gives
// (an icon's class "fa-fax", an image's alt "Fax", itemprop="faxNumber") are put into the text
// as the word "Fax:" where they stand.
// `alsoRead` is given every token of the page as well, for a reader that shares the pass.
FaxPageText ReadFaxPageText(std::string_view html,
                            const std::function<void(const HtmlToken&)>& alsoRead = {});

// The fax numbers of a page in the order they stand, each once, validated by the phone-number
// library and in stored form. Numbers without country code are read in `region` ("US", "DE");
// North-American ones are also tried when the region has other numbering. A number is a fax
// when a fax label stands before it on its line (or alone on the block before), "(Fax)" follows
// it, "Phone/Fax" labels it, or the page's links or site data say so; a phone label before a
// number makes it no fax.
std::vector<FoundFax> ThoroughFaxScan(const FaxPageText& page, const std::string& region,
                                      bool allowInternational);

// The host of an address ("https://www.example.de/x" -> "www.example.de"); empty for none.
std::string AddressHost(std::string_view address);

// The whole thorough scan of a received page body; `pageAddress` (a website as the crawl
// stores it, or a URL) gives the page's country, else the address the page names for itself,
// else its language.
std::vector<FoundFax> FindFaxesThoroughly(std::string_view body, std::string_view pageAddress,
                                          bool allowInternational);
// The same scan of a page already read.
std::vector<FoundFax> FindFaxesThoroughly(const FaxPageText& page, std::string_view pageAddress,
                                          bool allowInternational);

}  // namespace norvane
