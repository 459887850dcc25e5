#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

// Text files of the program are 8-bit (Windows-1252, one byte a character) and are kept as bytes.
namespace norvane {

// Splits file bytes into lines: a line ends at CR or at a CR LF pair, which is not part of the
// line; a lone LF stays in the line. Text after the last line end is a line of its own.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// The same lines, handed to `visit` one by one as views into `bytes`: nothing is copied, which
// matters to the fax scan, where most lines are passed over at a glance.
template <typename Visit>
void ForEachTextLine(std::string_view bytes, Visit&& visit) {
  std::size_t start = 0;
  for (std::size_t end = bytes.find('\r'); end != std::string_view::npos;
       end = bytes.find('\r', start)) {
    visit(bytes.substr(start, end - start));
    start = end + 1;
    if (start < bytes.size() && bytes[start] == '\n') ++start;
  }
  if (start < bytes.size()) visit(bytes.substr(start));
}

// Whole-file reads and writes; both return false when the file cannot be opened or written.
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// The file takes head and then tail, as if they were one text.
bool WriteFileBytes(const std::string& path, std::string_view head, std::string_view tail);
// The same for a file open for writing that held oldSize bytes (-1: not known): head and tail
// are written from its start and the file is cut to their length.
bool RewriteOpenFile(int fd, off_t oldSize, std::string_view head, std::string_view tail);

}  // namespace norvane
