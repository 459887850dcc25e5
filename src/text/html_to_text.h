#pragma once

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

// The text with every " " removed.
std::string RemoveSpaces(std::string_view text);

}  // namespace norvane
