#include "app/web_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <limits>

namespace norvane {

QAction* AddMenuWithItem(QMenuBar* bar, const char* name, const char* title, const char* itemName,
                         const char* itemText) {
  QMenu* menu = bar->addMenu(QString::fromUtf8(title));
  menu->setObjectName(QLatin1String(name));
  QAction* item = menu->addAction(QString::fromUtf8(itemText));
  item->setObjectName(QLatin1String(itemName));
  return item;
}

QMenu* AddWebMenu(QMenuBar* bar) {
  auto* menu = new QMenu(QStringLiteral("&Web"), bar);
  menu->setObjectName(QStringLiteral("mnuWeb"));
  const QList<QAction*> menus = bar->actions();
  if (menus.size() > 1) {
    bar->insertMenu(menus.at(1), menu);
  } else {
    bar->addMenu(menu);
  }
  return menu;
}

QAction* AddMenuOption(QMenu* menu, const SettingKey& key, const QString& text) {
  QAction* item = menu->addAction(text);
  item->setObjectName(key.key());
  item->setCheckable(true);
  item->setChecked(key.readChecked());
  QObject::connect(item, &QAction::toggled, item,
                   [key](bool checked) { key.write(checked ? 1 : 0); });
  return item;
}

QActionGroup* AddMenuChoice(QMenu* menu, const QString& name, const QString& title,
                            const SettingKey& key, std::initializer_list<MenuChoice> choices) {
  QMenu* submenu = menu->addMenu(title);
  submenu->setObjectName(name);
  auto* group = new QActionGroup(submenu);
  group->setExclusive(true);
  const int stored = key.read(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  bool known = false;
  for (const MenuChoice& choice : choices) known = known || choice.value == stored;
  const int checked = known ? stored : key.defaultValue;
  for (const MenuChoice& choice : choices) {
    // The first character is the item's mnemonic; numbers may share one, as Alt and the key then
    // steps through them.
    QAction* item = submenu->addAction(QLatin1Char('&') + QString::fromUtf8(choice.text));
    item->setObjectName(name + QString::number(choice.value));
    item->setCheckable(true);
    item->setData(choice.value);
    item->setChecked(choice.value == checked);
    group->addAction(item);
  }
  QObject::connect(group, &QActionGroup::triggered, group,
                   [key](QAction* item) { key.write(item->data().toInt()); });
  return group;
}

int CheckedChoice(const QActionGroup* group) {
  const QAction* item = group->checkedAction();
  return item ? item->data().toInt() : 0;
}

void WebMenu::readInto(HarvestOptions& options) const {
  options.secureWeb = mnuSecureWeb->isChecked();
  options.skipPagesRead = mnuSkipRead->isChecked();
  options.politeCrawl = mnuPolite->isChecked();
  options.connections = CheckedChoice(mnuConnections);
  options.allLinks = mnuAllLinks->isChecked();
  options.staySites = mnuStaySites->isChecked();
  options.sitePageLimit = CheckedChoice(mnuSitePages);
  options.thoroughFaxScan = mnuThoroughScan->isChecked();
}

WebMenu BuildWebMenu(QMenuBar* bar, QObject* receiver, const std::function<void()>& changed) {
  QMenu* web = AddWebMenu(bar);
  WebMenu m;
  m.mnuSecureWeb =
      AddMenuOption(web, settings::mnuSecureWeb, QStringLiteral("&Secure Sites and Redirects"));
  m.mnuSkipRead =
      AddMenuOption(web, settings::mnuSkipRead, QStringLiteral("S&kip Pages Already Read"));
  m.mnuPolite = AddMenuOption(web, settings::mnuPolite, QStringLiteral("&Polite Crawl"));
  m.mnuAllLinks = AddMenuOption(web, settings::mnuAllLinks, QStringLiteral("&All Links of a Page"));
  m.mnuStaySites =
      AddMenuOption(web, settings::mnuStaySites, QStringLiteral("Stay on &Result Sites"));
  m.mnuSitePages = AddMenuChoice(web, QStringLiteral("mnuSitePages"),
                                 QStringLiteral("Pa&ges per Site"), settings::sitePageLimit,
                                 {{"20", 20}, {"50", 50}, {"200", 200}, {"No Limit", 0}});
  m.mnuThoroughScan =
      AddMenuOption(web, settings::mnuThoroughScan, QStringLiteral("&Thorough Fax Scan"));
  m.mnuConnections = AddMenuChoice(
      web, QStringLiteral("mnuConnections"), QStringLiteral("&Connections"),
      settings::crawlConnections, {{"10", 10}, {"25", 25}, {"50", 50}, {"100", 100}, {"200", 200}});
  for (QAction* item : {m.mnuSecureWeb, m.mnuSkipRead, m.mnuPolite, m.mnuAllLinks, m.mnuStaySites,
                        m.mnuThoroughScan})
    QObject::connect(item, &QAction::toggled, receiver, changed);
  for (QActionGroup* group : {m.mnuSitePages, m.mnuConnections})
    QObject::connect(group, &QActionGroup::triggered, receiver, changed);
  return m;
}

}  // namespace norvane
