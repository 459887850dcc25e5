#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <atomic>

#include "store/fax_listing.h"

class QThread;

namespace norvane {

// Lists the row ids of a fax listing on a thread of its own, over a connection of its own to
// spider.mdb, so that a listing of a million numbers (a filter that SQLite can answer only by
// reading every row takes seconds) never stops the window. One listing runs at a time: a new
// one abandons the one running, which then ends within a few thousand steps of SQLite and
// reports nothing. The signals arrive on the thread that owns this object.
class BackgroundFaxListing : public QObject {
  Q_OBJECT

 public:
  // The ids read before the first report (firstRows).
  static constexpr int kFirstRows = 256;

  explicit BackgroundFaxListing(QString filePath, QObject* parent = nullptr);
  // Abandons the listing running and waits for the thread to end.
  ~BackgroundFaxListing() override;

  // Starts listing; the listing started before it is abandoned.
  void start(const FaxListing& listing);
  // A listing started has not reported listed() yet.
  bool busy() const { return m_busy; }

 signals:
  // The first kFirstRows ids of the listing started last (fewer, or none, when the listing
  // holds fewer), as soon as they are read.
  void firstRows(const QList<qint64>& ids);
  // Every id of the listing started last (an empty list when the file cannot be read), with
  // the count of every stored number and how long the listing took.
  void listed(const QList<qint64>& ids, int storedCount, qint64 milliseconds);

 private:
  class Reader;

  QThread* m_thread = nullptr;
  Reader* m_reader = nullptr;  // lives on m_thread
  // The number of the listing started last: a listing with an older number is abandoned.
  std::atomic<quint64> m_latest{0};
  bool m_busy = false;
};

}  // namespace norvane
