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
  std::lock_guard lock(m_mutex);
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  auto held = m_files.find(path);
  if (held != m_files.end() &&
      !(exists && info.st_dev == held->second.device && info.st_ino == held->second.inode)) {
    close(path);
    held = m_files.end();
  }
  if (held == m_files.end()) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (::fstat(fd, &info) != 0) {
      // Not held: without its identity a later replacement of the file would go unnoticed.
      const bool ok = RewriteOpenFile(fd, -1, head, tail);
      return ::close(fd) == 0 && ok;
    }
    held = m_files.emplace(path, Open{fd, info.st_dev, info.st_ino}).first;
  }
  if (RewriteOpenFile(held->second.fd, info.st_size, head, tail)) return true;
  // A file that failed once is opened again next time.
  close(path);
  return false;
}

void RewrittenFiles::close(const std::string& path) {
  const auto held = m_files.find(path);
  if (held == m_files.end()) return;
  ::close(held->second.fd);
  m_files.erase(held);
}

}  // namespace norvane
