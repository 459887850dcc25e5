#include "desktop/column_fit.h"

#include <algorithm>
#include <numeric>

namespace norvane {

QList<int> FitColumnWidths(const QList<int>& needed, int available, int minimum) {
  QList<int> widths = needed;
  if (std::accumulate(needed.begin(), needed.end(), 0) <= available) return widths;
  // The common width of the cut columns: the widest columns share what the narrow ones leave.
  QList<int> sorted = needed;
  std::sort(sorted.begin(), sorted.end());
  int left = available;
  int cap = minimum;
  for (qsizetype i = 0; i < sorted.size(); ++i) {
    const int share = left / int(sorted.size() - i);
    if (sorted[i] > share) {
      cap = std::max(minimum, share);
      break;
    }
    left -= sorted[i];
  }
  for (int& width : widths) width = std::max(minimum, std::min(width, cap));
  return widths;
}

}  // namespace norvane
