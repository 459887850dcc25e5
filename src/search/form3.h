#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QUrl;
class QVariant;
class QWebEngineView;

namespace norvane {

class SearchHost;

// The search-engine window: drives the embedded browser through the result pages of the current
// search string and queues the domains they link to. The rules live in search_query.h and
// result_extraction.h; the window only moves pages between the browser and those rules.
class Form3 : public QWidget {
  Q_OBJECT

 public:
  // previousEngine: the engine of the last pass, kept when "Which Search Type?" names none.
  Form3(SearchHost& host, const QString& previousEngine, QWidget* parent = nullptr);
  ~Form3() override;

  // The load step: reads the choices from the host and opens the first result page.
  void Form_Load();
  // Ends the pass wherever it is, hides the window and deletes it once control returns to the
  // event loop. The host keeps the websites queued so far.
  void Unload();
  bool isUnloaded() const { return m_unloaded; }

  // The browser reported a finished document (public so tests can deliver a notification).
  void WebBrowser1_DocumentComplete();

  QWebEngineView* WebBrowser1 = nullptr;
  QLineEdit* Text1 = nullptr;

  // The pass, as the load step and the pages leave it.
  QString strQuery;
  QString strEngine;
  qint32 lWanted = 100;
  qint32 lStart = 1;
  qint32 lExtracted = 0;
  qint32 lPageNew = 0;
  QString strFound;
  bool bFinished = false;
  // "Secure Sites and Redirects", as the load step found it: today's engines, links and pages.
  bool bSecure = false;
  // The engine showed a page of its own (consent, robot check) and the window waits for the
  // user to answer it.
  bool bWaiting = false;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void StartSearch();
  void bodyArrived(const QVariant& body, const QUrl& location, bool loaded);
  void waitForUser();
  void ExtractResults(const QString& html);
  void NextResultsPage();
  void EngineUnreached(const QString& reason);
  void navigate();

  // Marks the window's own work on the call stack. The pass hands over to the crawl or to a new
  // search window from inside that work, and both let events run, so an unload can arrive there;
  // the window is then deleted only once its work has returned.
  class Busy {
   public:
    explicit Busy(Form3& form) : m_form(form) { ++m_form.m_busyDepth; }
    ~Busy();

   private:
    Form3& m_form;
  };

  SearchHost& m_host;
  bool m_processing = false;  // a page is being read; notifications meanwhile are ignored
  bool m_lastLoadOk = true;   // whether the browser's latest document loaded without an error
  QString m_lastLoadError;    // and why not, when the browser said
  bool m_unloaded = false;
  int m_busyDepth = 0;
  bool m_deletePending = false;
};

}  // namespace norvane
