#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

#include "store/spider_database.h"

namespace norvane::testing {

// Restores the process-wide busy timeout when a test ends.
class BusyTimeout {
 public:
  explicit BusyTimeout(int milliseconds) : m_previous(SpiderDatabase::busyTimeout()) {
    SpiderDatabase::setBusyTimeout(milliseconds);
  }
  ~BusyTimeout() { SpiderDatabase::setBusyTimeout(m_previous); }

 private:
  int m_previous;
};

// Restores the process-wide back-off period when a test ends.
class BackOffPeriod {
 public:
  explicit BackOffPeriod(int milliseconds) : m_previous(SpiderDatabase::backOffPeriod()) {
    SpiderDatabase::setBackOffPeriod(milliseconds);
  }
  ~BackOffPeriod() { SpiderDatabase::setBackOffPeriod(m_previous); }

 private:
  int m_previous;
};

// Another program holding spider.mdb on a thread of its own, with its own connection.
class LockHolder {
 public:
  // exclusive: no other connection may even read (locking_mode=EXCLUSIVE); otherwise a pending
  // write transaction, which blocks writers only.
  LockHolder(const QString& path, bool exclusive, int holdMilliseconds)
      : m_thread(
            [this, path, exclusive, holdMilliseconds] { run(path, exclusive, holdMilliseconds); }) {
    while (!m_locked && !m_failed) std::this_thread::yield();
  }
  ~LockHolder() {
    m_release = true;
    m_thread.join();
  }
  bool locked() const { return m_locked; }

 private:
  void run(const QString& path, bool exclusive, int holdMilliseconds) {
    const QString name = QStringLiteral("norvane-test-lock-holder");
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
      db.setDatabaseName(path);
      QSqlQuery query(db);
      const bool ok = db.open() &&
                      (!exclusive || (query.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")) &&
                                      query.next())) &&
                      query.exec(QStringLiteral("BEGIN EXCLUSIVE")) &&
                      query.exec(QStringLiteral("INSERT INTO searches (search) VALUES ('held')"));
      if (!ok) {
        m_failed = true;
      } else {
        m_locked = true;
        QElapsedTimer held;
        held.start();
        while (!m_release && (holdMilliseconds < 0 || held.elapsed() < holdMilliseconds))
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        query.exec(QStringLiteral("ROLLBACK"));
      }
      query.finish();
      db.close();
    }
    QSqlDatabase::removeDatabase(name);
  }

  std::atomic<bool> m_locked{false};
  std::atomic<bool> m_failed{false};
  std::atomic<bool> m_release{false};
  std::thread m_thread;
};

}  // namespace norvane::testing
