#pragma once

#include <QString>

class QAction;
class QMenu;
class QMenuBar;

// The main window's "Web" menu: options about today's web (secure sites, engine redirects) that
// the search pass and the crawl read. Each item is a check mark kept in the settings store.
namespace norvane {

// A menu `title` named `name` at the end of the bar, holding one item `itemText` named `itemName`.
QAction* AddMenuWithItem(QMenuBar* bar, const char* name, const char* title, const char* itemName,
                         const char* itemText);

// Puts the menu "Web" (object name "mnuWeb") right after the bar's first menu, "File".
QMenu* AddWebMenu(QMenuBar* bar);

// A checkable item of `menu` named `name`, checked as the setting `name` says ("1" or "0"), and
// `checkedByDefault` while it holds no usable value; every toggle is stored at once.
QAction* AddMenuOption(QMenu* menu, const QString& name, const QString& text,
                       bool checkedByDefault);

// "Connections" (object name "mnuConnections") at the end of `web`: one exclusive item for each
// count of sockets the crawl offers (named "mnuConnections" and the count), checked as the
// setting "crawlConnections" says (10 while it holds no offered count); a choice is stored at
// once.
QMenu* AddConnectionsMenu(QMenu* web);
// The count checked in that menu.
int CheckedConnections(const QMenu* connections);

}  // namespace norvane
