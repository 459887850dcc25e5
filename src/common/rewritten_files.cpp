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
  // The file is taken out of the map while it is written: no other file waits for this one.
  Open file = take(path);
  if (file.fd >= 0 && !(exists && info.st_dev == file.device && info.st_ino == file.inode)) {
    ::close(file.fd);
    file = Open{};
  }
  if (file.fd < 0) {
    file.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (file.fd < 0) return false;
    if (::fstat(file.fd, &info) != 0) {
      // Not held: without its identity a later replacement of the file would go unnoticed.
      const bool ok = RewriteOpenFile(file.fd, -1, head, tail);
      return ::close(file.fd) == 0 && ok;
    }
    file.device = info.st_dev;
    file.inode = info.st_ino;
  }
  if (!RewriteOpenFile(file.fd, info.st_size, head, tail)) {
    // A file that failed once is opened again next time.
    ::close(file.fd);
    return false;
  }
  giveBack(path, file);
  return true;
}

RewrittenFiles::Open RewrittenFiles::take(const std::string& path) {
  std::lock_guard lock(m_mutex);
  const auto held = m_files.find(path);
  if (held == m_files.end()) return Open{};
  const Open file = held->second;
  m_files.erase(held);
  return file;
}

void RewrittenFiles::giveBack(const std::string& path, const Open& file) {
  std::lock_guard lock(m_mutex);
  // Another thread wrote the same file meanwhile and kept its own descriptor: one is enough.
  if (!m_files.try_emplace(path, file).second) ::close(file.fd);
}

}  // namespace norvane
