#pragma once

#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "search/form3.h"
#include "search/search_host.h"

namespace norvane::testing {

// The main window's side as the search window sees it, recording what the window does.
class RecordingSearchHost : public SearchHost {
 public:
  QString search = QStringLiteral("plumbers nj");
  bool addFax = true;
  int resultIndex = 0;
  QString searchType = QStringLiteral("Google Search");
  bool secure = false;
  QStringList searches = {QStringLiteral("plumbers nj")};

  QMap<int, QString> panels;
  QStringList websites;
  int found = 0;
  int websitesCleared = 0;
  int startSearchCalls = 0;
  int startNextSearchCalls = 0;
  QString statusAtHandOver;  // the window's status line when the pass handed over
  QPointer<Form3> form;
  std::function<void()> onAddWebsite;
  std::function<void()> onHandOver;  // run inside startSearch and startNextSearch

  QString currentSearchText() const override { return search; }
  bool addFaxToSearches() const override { return addFax; }
  int resultCountIndex() const override { return resultIndex; }
  QString searchTypeText() const override { return searchType; }
  bool secureWeb() const override { return secure; }
  int searchStringCount() const override { return searches.size(); }
  void removeCurrentSearchString() override { searches.removeFirst(); }
  void setStatusPanel(int panel, const QString& text) override {
    panels[panel] = text;
    noteStatus();
  }
  bool deleteAllWebsites() override {
    websites.clear();
    ++websitesCleared;
    return true;
  }
  void addWebsite(const QString& website) override {
    websites << website;
    if (onAddWebsite) onAddWebsite();
  }
  void recordStatistic(Statistics::Kind kind) override {
    if (kind == Statistics::kWebsiteFound) ++found;
  }
  QStringList unreached;  // the messages of passes that could not reach the engine
  void searchEngineUnreached(const QString& message) override { unreached << message; }
  void startSearch() override {
    ++startSearchCalls;
    noteStatus();
    if (onHandOver) onHandOver();
  }
  void startNextSearch() override {
    ++startNextSearchCalls;
    noteStatus();
    if (onHandOver) onHandOver();
  }

  bool handedOver() const {
    return startSearchCalls + startNextSearchCalls > 0 || !form || form->isUnloaded();
  }

 private:
  void noteStatus() {
    if (form) statusAtHandOver = form->Text1->text();
  }
};

}  // namespace norvane::testing
