#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace norvane {

// Called now and then during a long conversion so the caller can let window events run. It
// runs at least every few milliseconds of work, not once per character.
using YieldFn = std::function<void()>;

// Turns the bytes of a web page (Windows-1252, one byte a character) into plain text with CR LF
// line breaks. When filePath is not empty the text and one more CR LF are written to that file,
// replacing it; a failure to write is ignored. Returns the text without that last CR LF.
std::string HtmlToText(std::string_view html, const std::string& filePath,
                       const YieldFn& yield = {});

// How much looking ahead one conversion did, beyond its single pass over the page. Lets a
// caller check that hostile pages (many rows, endless comments) cost time in proportion to
// their length.
struct HtmlToTextWork {
  // Positions examined by every look-ahead together (row measurements, comment ends,
  // white space after tags, entities).
  std::size_t lookAheadPositions = 0;
  // The share of lookAheadPositions spent measuring table rows.
  std::size_t rowMeasurePositions = 0;
};

// As above, and adds the work done to *work when work is not null.
std::string HtmlToText(std::string_view html, const std::string& filePath, const YieldFn& yield,
                       HtmlToTextWork* work);

// The text with every " " removed.
std::string RemoveSpaces(std::string_view text);

}  // namespace norvane
