#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace norvane {

// Whole-file writes to files that are written again and again, as the crawl writes each socket's
// two page files for every page. Each file stays open between its writes: opening and closing it
// cost about half of writing a page file. Before every write the path is looked up again, so a
// file that was deleted, renamed or replaced meanwhile is opened anew at its path rather than
// written where nobody looks. For one thread: the crawl writes its page files on the window's.
class RewrittenFiles {
 public:
  RewrittenFiles() = default;
  ~RewrittenFiles();
  RewrittenFiles(const RewrittenFiles&) = delete;
  RewrittenFiles& operator=(const RewrittenFiles&) = delete;

  // As WriteFileBytes: the file takes head and then tail, and holds nothing else afterwards;
  // false when it cannot be opened or written.
  bool write(const std::string& path, std::string_view head, std::string_view tail = {});

 private:
  struct Open {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
  };
  // Forgets the path's held file, closing it; false, for a caller's return.
  bool drop(const std::string& path);

  std::unordered_map<std::string, Open> m_files;
};

}  // namespace norvane
