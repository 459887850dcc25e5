#include "app/frame_cap.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace norvane {

FrameCap::FrameCap(QWidget* window, int interval)
    : QObject(window), m_window(window), m_interval(interval) {
  m_later.setSingleShot(true);
  // The request held back is sent again when the interval is over; until then the window
  // asks for no other, so nothing is lost, only put together.
  connect(&m_later, &QTimer::timeout, this, [this] {
    QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest),
                                Qt::LowEventPriority);
  });
  window->installEventFilter(this);
}

bool FrameCap::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_window || event->type() != QEvent::UpdateRequest) return false;
  if (m_lastPaint.isValid() && m_lastPaint.elapsed() < m_interval) {
    if (!m_later.isActive()) m_later.start(int(m_interval - m_lastPaint.elapsed()));
    return true;
  }
  m_lastPaint.start();
  return false;
}

}  // namespace norvane
