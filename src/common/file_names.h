#pragma once

#include <QString>

namespace norvane {

// The text after the last path separator ("/" or "\"); the whole text when there is none.
QString FileNameOf(const QString& path);

// True when a normal file (not a folder) of that name exists at the path. The name is compared
// without regard to letter case, as the desktop the program was made for does; any failure of
// the lookup gives false.
bool FileExists(const QString& path);

}  // namespace norvane
