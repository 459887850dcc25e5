#include "search/form3.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "common/log_categories.h"
#include "desktop/twips.h"
#include "search/browser_proxy.h"
#include "search/engine_page_check.h"
#include "search/result_extraction.h"
#include "search/search_host.h"
#include "search/search_query.h"
#include "search/secure_result_extraction.h"

namespace norvane {
namespace {

// A pass with this many domains or fewer is not worth a crawl.
constexpr qint32 kEnoughResults = 20;

}  // namespace

Form3::Form3(SearchHost& host, const QString& previousEngine, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      strEngine(previousEngine),
      m_host(host) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("List Builder - Finding matching websites..."));
  setFixedSize(TwipsToPixels(11100), TwipsToPixels(8610));

  // The proxy hook must be in place before the first browser starts the browser engine.
  ApplyBrowserProxyHook();
  WebBrowser1 = new QWebEngineView(this);
  WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
  WebBrowser1->setToolTip(QStringLiteral("Searching for unique .com, .net and .org domain names."));
  WebBrowser1->setGeometry(0, 0, TwipsToPixels(11115), TwipsToPixels(8175));

  Text1 = new QLineEdit(QStringLiteral("Status..."), this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setToolTip(
      QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));
  Text1->setReadOnly(true);
  Text1->setGeometry(0, TwipsToPixels(8280), TwipsToPixels(11115), TwipsToPixels(315));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }

  // The end of every load, with the reason of a failure. A load cut short by the next one (a
  // page that sends the browser on at once) holds no document: the next load's end does.
  connect(WebBrowser1->page(), &QWebEnginePage::loadingChanged, this,
          [this](const QWebEngineLoadingInfo& info) {
            switch (info.status()) {
              case QWebEngineLoadingInfo::LoadStartedStatus:
              case QWebEngineLoadingInfo::LoadStoppedStatus:
                return;
              case QWebEngineLoadingInfo::LoadSucceededStatus:
                m_lastLoadOk = true;
                m_lastLoadError.clear();
                break;
              case QWebEngineLoadingInfo::LoadFailedStatus:
                m_lastLoadOk = false;
                m_lastLoadError =
                    info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain
                        ? QStringLiteral("it answered with HTTP status %1").arg(info.errorCode())
                        : info.errorString();
                break;
            }
            WebBrowser1_DocumentComplete();
          });
}

Form3::~Form3() = default;

void Form3::Form_Load() {
  bFinished = false;
  lExtracted = 0;
  strFound.clear();
  strQuery = BuildSearchQuery(m_host.currentSearchText(), m_host.addFaxToSearches());
  lWanted = WantedDomains(m_host.resultCountIndex());
  strEngine = EngineFromSearchType(m_host.searchTypeText(), strEngine);
  bSecure = m_host.secureWeb();
  bWaiting = false;
  lStart = 1;
  StartSearch();
}

void Form3::StartSearch() {
  m_host.deleteAllWebsites();
  navigate();
}

void Form3::navigate() {
  WebBrowser1->load(QUrl(ResultPageUrl(strEngine, strQuery, lStart, bSecure)));
}

void Form3::WebBrowser1_DocumentComplete() {
  if (m_processing || bFinished || m_unloaded) return;
  if (WebBrowser1->url().toString().size() <= 8) return;
  m_processing = true;
  QPointer<Form3> self(this);
  const QUrl location = WebBrowser1->url();
  const bool loaded = m_lastLoadOk;
  // A failed load shows the browser's own error page: nothing on it is the engine's.
  if (!loaded) {
    QTimer::singleShot(0, this,
                       [this, reason = EngineUnreachedReason(false, m_lastLoadError, location)] {
                         Busy busy(*this);
                         EngineUnreached(reason);
                         m_processing = false;
                       });
    return;
  }
  // The body is read in a world of its own, so the page's scripts cannot change what is read.
  WebBrowser1->page()->runJavaScript(
      QStringLiteral("document.body ? document.body.innerHTML : null"),
      QWebEngineScript::ApplicationWorld, [self, location, loaded](const QVariant& body) {
        if (self) self->bodyArrived(body, location, loaded);
      });
}

void Form3::bodyArrived(const QVariant& body, const QUrl& location, bool loaded) {
  // No document or no body: this notification is dropped and the window waits.
  if (m_unloaded || bFinished || body.typeId() != QMetaType::QString) {
    m_processing = false;
    return;
  }
  // The page is read from the event loop rather than inside the browser's callback: the pass may
  // end in a crawl or in a new search window, which must not run inside the browser's own call.
  QTimer::singleShot(0, this, [this, html = body.toString(), location, loaded] {
    Busy busy(*this);
    const QString unreached = EngineUnreachedReason(loaded, m_lastLoadError, location);
    if (bSecure && loaded && ShowsEnginePrompt(strEngine, location, html)) {
      waitForUser();
    } else if (!unreached.isEmpty()) {
      EngineUnreached(unreached);
    } else {
      bWaiting = false;
      ExtractResults(html);
    }
    m_processing = false;
  });
}

void Form3::waitForUser() {
  bWaiting = true;
  Text1->setText(QStringLiteral("Waiting for you to answer the search engine's page..."));
  show();
  raise();
}

Form3::Busy::~Busy() {
  if (--m_form.m_busyDepth == 0 && m_form.m_deletePending) m_form.deleteLater();
}

void Form3::ExtractResults(const QString& html) {
  lPageNew = 0;
  for (const QString& line : bSecure ? SplitSecureResultLines(html) : SplitResultLines(html)) {
    const QString domain =
        bSecure ? SecureAcceptedDomain(line, strFound) : AcceptedDomain(line, strFound);
    if (!domain.isEmpty()) {
      ++lPageNew;
      strFound += domain;
      m_host.addWebsite(bSecure ? QueuedWebsite(domain, line) : domain);
      m_host.recordStatistic(Statistics::kWebsiteFound);
      ++lExtracted;
    }
    Text1->setText(QStringLiteral("Extracted %1 unique results.").arg(lExtracted));
    QCoreApplication::processEvents();
    // Closed or replaced meanwhile: the pass ends here.
    if (m_unloaded) return;
  }
  qCDebug(lcSearch).noquote() << "results page read:" << strEngine << "from result" << lStart
                              << "new results:" << lPageNew << "in all:" << lExtracted;
  NextResultsPage();
}

void Form3::NextResultsPage() {
  if (lExtracted < lWanted && lPageNew > 0) {
    lStart += ResultsPageStep(strEngine, bSecure);
    navigate();
    return;
  }
  bFinished = true;
  strFound.clear();
  Text1->setText(QStringLiteral("Finished! Extracted %1 results.").arg(lExtracted));
  WebBrowser1->stop();
  hide();
  if (lExtracted > kEnoughResults) {
    m_host.startSearch();
    Unload();
    return;
  }
  m_host.setStatusPanel(1, QStringLiteral("Stopped"));
  m_host.setStatusPanel(2, QStringLiteral("Not enough results"));
  if (m_host.searchStringCount() > 1) {
    m_host.removeCurrentSearchString();
    m_host.setStatusPanel(3, QStringLiteral("Trying next search"));
    m_host.startNextSearch();
  } else {
    m_host.setStatusPanel(3, QStringLiteral("Add more search terms"));
    Unload();
  }
}

// The pass ends without reading anything: the search string stays where it is, in the list
// and in the table, and nothing moves on to the next one.
void Form3::EngineUnreached(const QString& reason) {
  if (bFinished || m_unloaded) return;
  bFinished = true;
  strFound.clear();
  Text1->setText(QStringLiteral("The search engine could not be reached."));
  WebBrowser1->stop();
  hide();
  m_host.setStatusPanel(1, QStringLiteral("Stopped"));
  m_host.setStatusPanel(2, QStringLiteral("Engine not reached"));
  m_host.setStatusPanel(3, QString());
  m_host.searchEngineUnreached(EngineUnreachedMessage(reason));
  Unload();
}

void Form3::Unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  bFinished = true;
  WebBrowser1->stop();
  hide();
  m_host.searchPassEnded();
  if (m_busyDepth > 0) {
    m_deletePending = true;
  } else {
    deleteLater();
  }
}

void Form3::closeEvent(QCloseEvent* event) {
  event->accept();
  Unload();
}

}  // namespace norvane
