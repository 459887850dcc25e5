#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text files of the program are 8-bit (Windows-1252, one byte a character) and are kept as bytes.
namespace norvane {

// Splits file bytes into lines: a line ends at CR or at a CR LF pair, which is not part of the
// line; a lone LF stays in the line. Text after the last line end is a line of its own.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// Whole-file reads and writes; both return false when the file cannot be opened or written.
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace norvane
