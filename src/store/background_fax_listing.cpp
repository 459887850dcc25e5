#include "store/background_fax_listing.h"

#include <QElapsedTimer>
#include <QThread>
#include <memory>

#include "store/spider_database.h"

namespace norvane {

// The connection of the listing thread: made, used and closed on that thread only, as a
// connection opened without SQLite's own mutexes must be.
class BackgroundFaxListing::Reader : public QObject {
 public:
  explicit Reader(QString filePath) : m_filePath(std::move(filePath)) {}

  SpiderDatabase& store() {
    if (!m_store) m_store = std::make_unique<SpiderDatabase>(m_filePath);
    return *m_store;
  }

 private:
  QString m_filePath;
  std::unique_ptr<SpiderDatabase> m_store;
};

BackgroundFaxListing::BackgroundFaxListing(QString filePath, QObject* parent)
    : QObject(parent), m_thread(new QThread(this)), m_reader(new Reader(std::move(filePath))) {
  m_thread->setObjectName(QStringLiteral("fax listing"));
  m_reader->moveToThread(m_thread);
  Reader* reader = m_reader;
  // Deleted on its own thread as that ends, which closes the connection there.
  connect(
      m_thread, &QThread::finished, reader, [reader] { delete reader; }, Qt::DirectConnection);
  m_thread->start(QThread::LowPriority);
}

BackgroundFaxListing::~BackgroundFaxListing() {
  ++m_latest;  // abandons the listing running
  m_thread->quit();
  m_thread->wait();
}

void BackgroundFaxListing::start(const FaxListing& listing) {
  const quint64 number = ++m_latest;
  m_busy = true;
  QMetaObject::invokeMethod(
      m_reader,
      [this, listing, number] {
        // Runs on the listing thread; a listing started meanwhile makes this one pointless.
        if (m_latest != number) return;
        QElapsedTimer took;
        took.start();
        FaxListingProgress progress;
        progress.keepGoing = [this, number] { return m_latest == number; };
        progress.firstRows = kFirstRows;
        progress.first = [this, number](const QList<qint64>& ids) {
          QMetaObject::invokeMethod(
              this,
              [this, ids, number] {
                if (m_latest == number) emit firstRows(ids);
              },
              Qt::QueuedConnection);
        };
        SpiderDatabase& store = m_reader->store();
        QList<qint64> ids = store.FaxRowIds(listing, progress);
        if (m_latest != number) return;
        // Filtered, the listing does not tell how many numbers are stored.
        const int stored = listing.filter.isEmpty() ? int(ids.size()) : store.CountFaxes();
        const qint64 ms = took.elapsed();
        QMetaObject::invokeMethod(
            this,
            [this, ids = std::move(ids), stored, ms, number] {
              if (m_latest != number) return;
              m_busy = false;
              emit listed(ids, stored, ms);
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

}  // namespace norvane
