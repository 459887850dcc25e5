#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace norvane {

// Looks a host name up and calls done with its addresses (none when the lookup failed). The
// answer may come later through the event loop; context ends it early when destroyed.
using HostLookup = std::function<void(const QString& host, QObject* context,
                                      std::function<void(const QList<QHostAddress>&)> done)>;

// The system's resolver, every lookup on a thread of its own: Qt's own lookups share twenty
// threads, so that with more connections than that they would wait behind each other.
void SystemHostLookup(const QString& host, QObject* context,
                      std::function<void(const QList<QHostAddress>&)> done);

// The names a crawl run looked up. A name is asked once however many sockets want it at the
// same time, and its answer holds for the rest of the run.
class HostLookups {
 public:
  using Done = std::function<void(const QList<QHostAddress>&)>;

  explicit HostLookups(HostLookup lookup = SystemHostLookup) : m_lookup(std::move(lookup)) {}

  void setLookup(HostLookup lookup) { m_lookup = lookup ? std::move(lookup) : SystemHostLookup; }
  // done gets the answer for host: at once when it is known, else when it comes.
  void lookUp(const QString& host, QObject* context, Done done);
  // A new run asks again; answers still on their way are dropped.
  void clear();
  // Names sent to the resolver since the program started.
  int asked() const { return m_asked; }

 private:
  // Answers kept at most: a long run forgets them all and asks again.
  static constexpr qsizetype kKeptAnswers = 100000;

  HostLookup m_lookup;
  QHash<QString, QList<QHostAddress>> m_known;  // lower-case name
  QHash<QString, QList<Done>> m_waiting;
  quint64 m_run = 0;
  int m_asked = 0;
};

}  // namespace norvane
