#pragma once

#include <QString>
#include <QStringList>

namespace norvane {

// The folder that holds every file of the program: spider.mdb, the page files, Help.rtf and the
// sounds. Chosen once at start by ResolveAppFolder and read everywhere through AppFolder().
QString AppFolder();
void SetAppFolder(const QString& folder);

// Picks the application folder: "--app-dir DIR" on the command line, else NORVANE_APP_DIR, else
// the program file's folder when it is writable, else the per-user data folder. The folder is
// created when missing.
QString ResolveAppFolder(const QStringList& arguments);

// AppFolder() joined with a fixed file name such as "spider.mdb" or "sounds/foundfax.wav".
QString AppFile(const QString& name);

}  // namespace norvane
