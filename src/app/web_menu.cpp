#include "app/web_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <limits>

#include "common/settings_store.h"

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

}  // namespace norvane
