#pragma once

#include <QString>
#include <QStringList>

namespace norvane {

// The folder that holds every file of the program: spider.mdb, the page files, Help.rtf and the
// sounds. Chosen once at start by ResolveAppFolder and read everywhere through AppFolder().
QString AppFolder();
void SetAppFolder(const QString& folder);

// Picks the application folder: "--app-dir DIR" on the command line, else NORVANE_APP_DIR, else
// the program file's folder when it is writable and the program is not installed, else the
// per-user data folder. The folder is created when missing.
QString ResolveAppFolder(const QStringList& arguments);

// The read-only data folder (Help.rtf, sounds) of an installed program, found relative to the
// program file's folder; empty when the program runs where it was built.
QString InstalledDataFolder();

// Copies the files an application folder reads (Help.rtf and the sounds) from an installed
// data folder into it, each only when it is missing there, so every file stays "application
// folder + name" whether the program is installed or not. Returns the names copied.
QStringList CopyMissingDataFiles(const QString& dataFolder, const QString& appFolder);

// AppFolder() joined with a fixed file name such as "spider.mdb" or "sounds/foundfax.wav".
QString AppFile(const QString& name);

}  // namespace norvane
