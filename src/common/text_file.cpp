#include "common/text_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace norvane {

std::vector<std::string> SplitTextLines(std::string_view bytes) {
  std::vector<std::string> lines;
  ForEachTextLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  return WriteFileBytes(path, bytes, std::string_view());
}

bool WriteFileBytes(const std::string& path, std::string_view head, std::string_view tail) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info {};
  // A file whose length is unknown is cut to the new length in any case.
  const off_t oldSize = ::fstat(fd, &info) == 0 ? info.st_size : -1;
  bool ok = RewriteOpenFile(fd, oldSize, head, tail);
  ok = ::close(fd) == 0 && ok;
  return ok;
}

bool RewriteOpenFile(int fd, off_t oldSize, std::string_view head, std::string_view tail) {
  // The old content is overwritten and the file cut to the new length afterwards, never
  // truncated to zero first: on ext4 a file truncated to zero and rewritten is flushed to disk
  // when it is closed (the "replace by truncate" safeguard), which costs a disk write for every
  // page file of every page.
  // Both parts in one call: a page and its closing line break are not joined into a copy first.
  iovec parts[2] = {{const_cast<char*>(head.data()), head.size()},
                    {const_cast<char*>(tail.data()), tail.size()}};
  iovec* part = parts;
  int left = 2;
  bool ok = true;
  std::size_t done = 0;
  while (ok) {
    while (left > 0 && part->iov_len == 0) {
      ++part;
      --left;
    }
    if (left == 0) break;
    const ssize_t n = ::pwritev(fd, part, left, off_t(done));
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (!ok) break;
    done += std::size_t(n);
    for (std::size_t taken = std::size_t(n); taken > 0;) {
      const std::size_t step = std::min(taken, part->iov_len);
      part->iov_base = static_cast<char*>(part->iov_base) + step;
      part->iov_len -= step;
      taken -= step;
      if (part->iov_len == 0 && taken > 0) {
        ++part;
        --left;
      }
    }
  }
  // After a failed write the file holds what was written, nothing of the old content. A file
  // that was no longer than the new content has nothing to cut.
  if (!ok || oldSize < 0 || oldSize > off_t(done)) ok = ::ftruncate(fd, off_t(done)) == 0 && ok;
  return ok;
}

}  // namespace norvane
