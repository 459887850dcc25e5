#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

namespace norvane {

// Folds the -wal file back into the database on a thread of its own, through a connection of
// its own, while the writer's connection goes on writing.
//
// SQLite otherwise does this inside the commit that takes the log past its limit: it copies the
// logged pages into the file and syncs both to disk, which on a slow disk holds the window (and
// with it every socket of the crawl) for many milliseconds, several times a second while the
// crawl stores its rows. A passive checkpoint never waits for the writer or blocks it, and
// nothing that a commit has made durable depends on when the log is folded back.
class WalCheckpointer {
 public:
  // The log's length in pages at which a checkpoint is asked for: SQLite's own default.
  static constexpr int kDefaultPages = 1000;

  // Takes over the writer's automatic checkpoints for the file at path; nothing when a
  // connection of its own cannot be opened (the writer then keeps checkpointing itself).
  static std::unique_ptr<WalCheckpointer> Start(sqlite3* writer, const std::string& path,
                                                int pages = kDefaultPages);
  // Stops the thread and closes its connection; the writer checkpoints itself again.
  ~WalCheckpointer();
  WalCheckpointer(const WalCheckpointer&) = delete;
  WalCheckpointer& operator=(const WalCheckpointer&) = delete;

  // Checkpoints completed so far (tests).
  int checkpointsDone() const;

 private:
  WalCheckpointer(sqlite3* writer, sqlite3* own, int pages);
  static int OnCommit(void* self, sqlite3* db, const char* name, int pages);
  void request();
  void run();

  sqlite3* m_writer;
  sqlite3* m_own;
  const int m_pages;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_requested = false;
  bool m_stopping = false;
  int m_done = 0;
  std::thread m_thread;
};

}  // namespace norvane
