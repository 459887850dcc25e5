#pragma once

#include <QString>

// Where the save dialogs of the exports start: the folder the user last wrote an export to,
// else the user's documents folder, else the home folder. The application folder, where the
// database lives, is hidden for an installed program.
namespace norvane {

QString ExportFolder();
// Remembers the folder of a file just written, for the next export.
void RememberExportFolder(const QString& writtenFile);

}  // namespace norvane
