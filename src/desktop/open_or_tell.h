#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace norvane {

// The text shown when the desktop has no program to open a folder or a web address (no
// xdg-open, no browser): it names the folder's path or the address, so the user can open it.
QString CannotOpenText(const QUrl& url);

// Opens the address like OpenUrl; when the desktop cannot, shows CannotOpenText in a message
// box. False when it could not be opened.
bool OpenOrTell(QWidget* parent, const QUrl& url);

}  // namespace norvane
