#pragma once

#include <string>
#include <string_view>

namespace norvane {

// Whether a header block (the text before its blank line) says the body comes in chunks: a
// "Transfer-Encoding" header, name and value in any letter case, whose last listed coding is
// "chunked" ("gzip, chunked" is; "chunked, gzip" is not). With several such headers, the last
// coding of the last one counts.
bool IsChunkedTransfer(std::string_view headerBlock);

// The page bytes of a chunked body: the chunks' data joined, chunk extensions (";name=value")
// and everything after the last chunk (trailers) dropped. The crawl keeps whatever it can read:
// a chunk cut short by the close keeps the data that came; a size line that is no hex number
// (or does not fit 64 bits), or a chunk not followed by its line break, keeps the bytes decoded
// so far followed by the rest exactly as received. Never longer than its input; linear time.
std::string DecodeChunkedBody(std::string_view body);

}  // namespace norvane
