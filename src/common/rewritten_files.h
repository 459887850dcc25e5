#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace norvane {

// Whole-file writes to files that are written again and again, as the crawl writes each socket's
// two page files for every page. Each file stays open between its writes: opening and closing it
// cost about half of writing a page file. Before every write the path is looked up again, so a
// file that was deleted, renamed or replaced meanwhile is opened anew at its path rather than
// written where nobody looks. Safe to use from several threads: writes of different files never
// wait for each other (one file written by two threads at the same moment holds no certain text).
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
  // The held file of the path, out of the map (fd -1: none), and back into it.
  Open take(const std::string& path);
  void giveBack(const std::string& path, const Open& file);

  std::mutex m_mutex;  // guards the map only, never a write
  std::unordered_map<std::string, Open> m_files;
};

}  // namespace norvane
