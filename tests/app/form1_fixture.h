#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/form1.h"
#include "store/spider_database.h"
#include "support/qt_printers.h"
#include "support/temp_app_folder.h"

namespace norvane::testing {

// A temporary application folder and settings store, and a way to start the main window on
// them as the program does, as often as a test needs to restart it.
class Form1Test : public ::testing::Test {
 protected:
  // The main window's tests were written for the classic pass over plain http: they run with
  // "Secure Sites and Redirects" off unless a test stores it on.
  // The classic crawl and search pass unless a test turns the "Web" menu's items on.
  Form1Test() {
    for (const char* item : {"mnuSecureWeb", "mnuSkipRead", "mnuPolite", "mnuAllLinks",
                             "mnuStaySites", "mnuThoroughScan"})
      store(QLatin1String(item), QStringLiteral("0"));
  }

  std::unique_ptr<Form1> start() {
    auto form = std::make_unique<Form1>();
    form->Form_Load();
    return form;
  }

  // Fills spider.mdb before the window starts.
  void seed(const QStringList& searches, const QStringList& websites, int faxes = 0) {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    for (QString s : searches) db.AddSearch(s);
    for (QString w : websites) db.AddWebsite(w);
    for (int i = 0; i < faxes; ++i) {
      QString fax = QStringLiteral("1-201-555-%1").arg(i, 4, 10, QLatin1Char('0'));
      QString search = QStringLiteral("plumbers");
      db.AddFax(fax, QStringLiteral("example.com"), search, QStringLiteral("NJ  test "));
    }
  }

  static QString stored(const QString& key) {
    QSettings settings(QStringLiteral("Norvane"), QStringLiteral("Norvane"));
    return settings.value(QStringLiteral("Settings/") + key).toString();
  }
  static void store(const QString& key, const QString& value) {
    QSettings settings(QStringLiteral("Norvane"), QStringLiteral("Norvane"));
    settings.setValue(QStringLiteral("Settings/") + key, value);
  }

  static QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }

  TempAppFolder folder;
};

}  // namespace norvane::testing
