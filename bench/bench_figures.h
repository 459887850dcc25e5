#pragma once

// What the benchmarks that print one figure a line share.
#include <QByteArray>
#include <QFile>
#include <cstdio>

namespace norvane::bench {

// The process's resident memory (VmRSS) in MiB; -1 when it cannot be read.
inline double ResidentMiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
  return -1;
}

inline void Print(const char* what, double value, const char* unit) {
  std::printf("%-46s %12.3f %s\n", what, value, unit);
  std::fflush(stdout);
}

}  // namespace norvane::bench
