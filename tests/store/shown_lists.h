#pragma once

#include <QStringList>

namespace norvane::testing {

// The three previews as a window shows them, for the store operations that fill them.
struct ShownLists {
  QStringList list1;  // search strings
  QStringList list2;  // queued websites
  QStringList list3;  // newest faxes
};

}  // namespace norvane::testing
