#pragma once

#include <QString>
#include <functional>
#include <initializer_list>

#include "common/settings_keys.h"
#include "harvest/control/harvest_options.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QObject;

// The main window's "Web" menu: options about today's web (secure sites, engine redirects) that
// the search pass and the crawl read. Each item is a check mark kept in the settings store.
namespace norvane {

// A menu `title` named `name` at the end of the bar, holding one item `itemText` named `itemName`.
QAction* AddMenuWithItem(QMenuBar* bar, const char* name, const char* title, const char* itemName,
                         const char* itemText);

// Puts the menu "Web" (object name "mnuWeb") right after the bar's first menu, "File".
QMenu* AddWebMenu(QMenuBar* bar);

// A checkable item of `menu` named after its settings key, its `text` with "&" before the letter
// that picks it from the open menu (one not taken by another item of the menu), checked as the
// setting says ("1" or "0"), and as the key's default while it holds no usable value; every
// toggle is stored at once.
QAction* AddMenuOption(QMenu* menu, const SettingKey& key, const QString& text);

// A submenu `title` named `name` of exclusive items, one per choice (text and the number stored
// under the key), each named `name` followed by its number. The stored number is checked, the
// key's default while it holds none of them; every choice is stored at once.
struct MenuChoice {
  const char* text;
  int value;
};
QActionGroup* AddMenuChoice(QMenu* menu, const QString& name, const QString& title,
                            const SettingKey& key, std::initializer_list<MenuChoice> choices);
// The number of the checked item of a group AddMenuChoice made.
int CheckedChoice(const QActionGroup* group);

// The items of the "Web" menu, each named as its member.
struct WebMenu {
  QAction* mnuSecureWeb = nullptr;         // "Secure Sites and Redirects"
  QAction* mnuSkipRead = nullptr;          // "Skip Pages Already Read"
  QAction* mnuPolite = nullptr;            // "Polite Crawl"
  QAction* mnuAllLinks = nullptr;          // "All Links of a Page"
  QAction* mnuStaySites = nullptr;         // "Stay on Result Sites"
  QActionGroup* mnuSitePages = nullptr;    // "Pages per Site"
  QAction* mnuThoroughScan = nullptr;      // "Thorough Fax Scan"
  QActionGroup* mnuConnections = nullptr;  // "Connections"

  // Copies what the items hold into the crawl's options.
  void readInto(HarvestOptions& options) const;
};
// Builds the "Web" menu on the bar (AddWebMenu) with its items; every choice the user makes
// calls `changed` on `receiver`'s thread.
WebMenu BuildWebMenu(QMenuBar* bar, QObject* receiver, const std::function<void()>& changed);

}  // namespace norvane
