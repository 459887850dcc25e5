#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace norvane {

// Repaints a window at most every `interval` milliseconds. While a crawl runs, every page
// changes the status panels, the counters, the queue preview and the progress bar, and
// repainting them after each of hundreds of events a second cost more than the pages did;
// ten frames a second still show the crawl moving.
class FrameCap : public QObject {
 public:
  FrameCap(QWidget* window, int interval);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_window;
  int m_interval;
  QElapsedTimer m_lastPaint;
  QTimer m_later;
};

}  // namespace norvane
