#include "store/wal_checkpointer.h"

#include <sqlite3.h>

namespace norvane {

std::unique_ptr<WalCheckpointer> WalCheckpointer::Start(sqlite3* writer, const std::string& path,
                                                        int pages) {
  if (!writer || pages <= 0) return nullptr;
  sqlite3* own = nullptr;
  if (sqlite3_open_v2(path.c_str(), &own, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(own);
    return nullptr;
  }
  // A checkpoint that meets another program's lock is simply tried at the next request.
  sqlite3_busy_timeout(own, 0);
  // A connection knows the file is in WAL mode only once it has read it; until then a
  // checkpoint does nothing.
  if (sqlite3_exec(own, "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(own);
    return nullptr;
  }
  return std::unique_ptr<WalCheckpointer>(new WalCheckpointer(writer, own, pages));
}

WalCheckpointer::WalCheckpointer(sqlite3* writer, sqlite3* own, int pages)
    : m_writer(writer), m_own(own), m_pages(pages) {
  m_thread = std::thread([this] { run(); });
  // The hook replaces the writer's automatic checkpoint, which is a hook of the same kind.
  sqlite3_wal_hook(m_writer, &WalCheckpointer::OnCommit, this);
}

WalCheckpointer::~WalCheckpointer() {
  sqlite3_wal_autocheckpoint(m_writer, kDefaultPages);
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_one();
  m_thread.join();
  sqlite3_close(m_own);
}

int WalCheckpointer::checkpointsDone() const {
  std::lock_guard lock(m_mutex);
  return m_done;
}

int WalCheckpointer::OnCommit(void* self, sqlite3*, const char*, int pages) {
  auto* checkpointer = static_cast<WalCheckpointer*>(self);
  if (pages >= checkpointer->m_pages) checkpointer->request();
  return SQLITE_OK;
}

void WalCheckpointer::request() {
  {
    std::lock_guard lock(m_mutex);
    if (m_requested) return;
    m_requested = true;
  }
  m_wake.notify_one();
}

void WalCheckpointer::run() {
  std::unique_lock lock(m_mutex);
  while (true) {
    m_wake.wait(lock, [this] { return m_requested || m_stopping; });
    if (m_stopping) return;
    m_requested = false;
    lock.unlock();
    int logged = 0;
    int folded = 0;
    const int rc =
        sqlite3_wal_checkpoint_v2(m_own, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged, &folded);
    lock.lock();
    if (rc == SQLITE_OK && logged >= 0) ++m_done;
  }
}

}  // namespace norvane
