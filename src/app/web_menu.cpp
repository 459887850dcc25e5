#include "app/web_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "common/settings_keys.h"
#include "common/settings_store.h"
#include "harvest/fetch_slot.h"

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

QAction* AddMenuOption(QMenu* menu, const QString& name, const QString& text,
                       bool checkedByDefault) {
  QAction* item = menu->addAction(text);
  item->setObjectName(name);
  item->setCheckable(true);
  item->setChecked(GetIntSetting(name, checkedByDefault ? 1 : 0, 0, 1) == 1);
  QObject::connect(item, &QAction::toggled, item, [name](bool checked) {
    SaveSetting(name, checked ? QStringLiteral("1") : QStringLiteral("0"));
  });
  return item;
}

QMenu* AddConnectionsMenu(QMenu* web) {
  QMenu* menu = web->addMenu(QStringLiteral("Connections"));
  menu->setObjectName(QStringLiteral("mnuConnections"));
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  const int chosen = ConnectionsChoice(settings::crawlConnections.read(0, kMaxSocketCount));
  for (const int count : kConnectionChoices) {
    QAction* item = menu->addAction(QString::number(count));
    item->setObjectName(QStringLiteral("mnuConnections%1").arg(count));
    item->setCheckable(true);
    item->setChecked(count == chosen);
    group->addAction(item);
    QObject::connect(item, &QAction::triggered, item,
                     [count] { settings::crawlConnections.write(count); });
  }
  return menu;
}

int CheckedConnections(const QMenu* connections) {
  for (const QAction* item : connections->actions()) {
    if (item->isChecked()) return item->text().toInt();
  }
  return kSocketCount;
}

}  // namespace norvane
