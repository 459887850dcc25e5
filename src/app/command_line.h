#pragma once

#include <QString>
#include <QStringList>

namespace norvane {

// The program's own options: --help and --version (which print their text and end the program
// before any window opens) and --app-dir DIR. An unknown option is reported and ends it too.
// The options of the toolkit (-platform and the like) are taken off before this runs.
// Returns the arguments ResolveAppFolder reads: "--app-dir" and DIR, or none.
QStringList ParseCommandLine(const QStringList& arguments);

}  // namespace norvane
