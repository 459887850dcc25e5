#include "common/rewritten_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/text_file.h"

namespace norvane {

RewrittenFiles::~RewrittenFiles() {
  for (const auto& [path, file] : m_files) ::close(file.fd);
}

bool RewrittenFiles::write(const std::string& path, std::string_view head, std::string_view tail) {
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  Open& file = m_files[path];  // fd -1 when none is held
  if (file.fd >= 0 && !(exists && info.st_dev == file.device && info.st_ino == file.inode)) {
    ::close(file.fd);
    file = Open{};
  }
  if (file.fd < 0) {
    file.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (file.fd < 0) return drop(path);
    if (::fstat(file.fd, &info) != 0) {
      // Not held: without its identity a later replacement of the file would go unnoticed.
      const bool ok = RewriteOpenFile(file.fd, -1, head, tail);
      drop(path);
      return ok;
    }
    file.device = info.st_dev;
    file.inode = info.st_ino;
  }
  if (RewriteOpenFile(file.fd, info.st_size, head, tail)) return true;
  // A file that failed once is opened again next time.
  return drop(path);
}

bool RewrittenFiles::drop(const std::string& path) {
  const auto held = m_files.find(path);
  if (held != m_files.end()) {
    if (held->second.fd >= 0) ::close(held->second.fd);
    m_files.erase(held);
  }
  return false;
}

}  // namespace norvane
