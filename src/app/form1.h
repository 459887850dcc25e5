#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QRectF>
#include <array>
#include <memory>

#include "app/statistics.h"
#include "harvest/fetch_slot.h"
#include "harvest/harvest_host.h"
#include "search/search_host.h"
#include "store/spider_database.h"
#include "store/store_host.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QStatusBar;
class QToolButton;

namespace norvane {

class Form3;
class Form8;
class frmAbout;
class frmExport;

// The main window. It owns the option widgets, the preview lists, the harvest buttons and the
// status bar; the other windows and the harvest read and set them by these names. Handlers stay
// short and forward to the logic in the other libraries.
class PageFetcher;
class PageSteps;

class Form1 : public QMainWindow, public StoreHost, public HarvestHost, public SearchHost {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // The start sequence: settings, statistics, icon and title, status panels, help, time-out
  // limits and the three preview lists filled from spider.mdb.
  void Form_Load();

  // Lays the window out for its current outer size; run on every resize.
  void ArrangeControls();

  // Counts a statistics event (0 page scanned, 1 website queued, 2 fax stored) and shows it.
  void RecordStatistic(int kind) override;
  // Writes the five counters into LblStats(0) to LblStats(4).
  void StatsD();

  SpiderDatabase& database() override { return *m_database; }
  Statistics& statistics() { return m_stats; }
  QStatusBar* statusBar1() const { return StatusBar1; }
  QString panelText(int panel) const;  // panel 1 to 4
  void setPanelText(int panel, const QString& text) override;

  // The harvest controller. The click handlers are public so other windows (the search window)
  // and tests can run them as a click would.
  void Command1_Click();       // "Start"
  void StartNextSearch();      // Start for an automatic change of search string
  void cmdDoSearch_Click();    // Start Search: crawl the queued websites
  void cmdStop_Click();        // "Stop"
  void cmdResume_Click();      // "Resume"
  void cmdNextSearch_Click();  // "Next"
  void TakeNextWebsite(int16_t i) override;
  QString NextQueuedWebsite();
  void StopQueueEmpty();

  // The crawl's sockets and page steps.
  PageFetcher& fetcher() { return *m_fetcher; }
  PageSteps& pageSteps() { return *m_pageSteps; }

  // HarvestHost: what the crawl reads and sets on this window.
  bool harvesting() const override { return bHarvesting; }
  void setProgressValue(int value) override;
  void SavePage(const std::string& body, int16_t i) override;
  QString currentSearch() const override;
  bool allowInternational() const override;
  bool foundFaxSoundOn() const override;
  int faxPreviewCount() const override;
  void removeFirstFaxPreview() override;
  void appendFaxPreview(const QString& entry) override;
  void playWave(const QString& path) override;

  // The search window for txtSearch: loaded and shown modeless by Start, unloaded by
  // StartNextSearch before it loads the window again. A load unloads a window still loaded, so
  // a pass always runs for the current txtSearch.
  void LoadSearchWindow();
  void UnloadSearchWindow();
  int searchWindowLoads() const { return m_searchWindowLoads; }
  Form3* searchWindow() const;  // the loaded search window, or null

  // The search-string list: "Add", Enter in the entry box, "Delete".
  void cmdAdd_Click();
  void Text1_KeyPress(int KeyAscii);
  void cmbDel_Click();

  // SearchHost: what the search window reads and sets here.
  QString currentSearchText() const override;
  bool addFaxToSearches() const override;
  int resultCountIndex() const override;
  QString searchTypeText() const override;
  bool secureWeb() const override;
  int searchStringCount() const override;
  void removeCurrentSearchString() override;
  void setStatusPanel(int panel, const QString& text) override;
  bool deleteAllWebsites() override;
  void addWebsite(const QString& website) override;
  void recordStatistic(int kind) override;
  void startSearch() override;
  void startNextSearch() override;

  // The fax-number buttons: the export window, deleting every number, the folder of the
  // database in the file manager.
  void Command2_Click();         // "Export Fax Numbers"
  void Command3_Click();         // "Delete All Fax Numbers"
  void cmdViewDatabase_Click();  // "View Fax Database"

  // The windows around this one, while they are loaded.
  Form8* helpWindow() const;
  frmAbout* aboutWindow() const;
  frmExport* exportWindow() const;
  // The splash that loaded this window; it is closed when this window unloads.
  void setSplashWindow(QWidget* splash) { m_splash = splash; }

  // StoreHost: the store's side effects on this window.
  void appendSearchList(const QString& search) override;
  QStringList websiteList() const override;
  void setWebsiteList(const QStringList& websites) override;
  void clearWebsiteList() override;
  void setFaxList(const QStringList& entries) override;
  void clearFaxList() override;
  void disableResume() override;
  void zeroSessionFaxes() override;
  void zeroSessionFoundAndScanned() override;

  // Top row.
  QComboBox* Combo1 = nullptr;
  QComboBox* Combo2 = nullptr;
  QToolButton* Command1 = nullptr;
  QToolButton* cmdNextSearch = nullptr;
  QToolButton* cmdStop = nullptr;
  QToolButton* cmdResume = nullptr;
  QToolButton* cmdWebsite = nullptr;
  QLineEdit* txtSearch = nullptr;
  QToolButton* cmdDoSearch = nullptr;

  // "Searches".
  QGroupBox* Frame1 = nullptr;
  QToolButton* cmdAdd = nullptr;
  QToolButton* cmbDel = nullptr;
  QLineEdit* Text1 = nullptr;
  QListWidget* List1 = nullptr;
  QListWidget* List2 = nullptr;

  // "Emails": the fax-number data.
  QGroupBox* Frame2 = nullptr;
  QToolButton* cmdViewDatabase = nullptr;
  QToolButton* Command2 = nullptr;
  QToolButton* Command3 = nullptr;
  QListWidget* List3 = nullptr;

  // "Options".
  QGroupBox* Frame4 = nullptr;
  QCheckBox* chkAuto = nullptr;
  QComboBox* cmbAdvance = nullptr;
  QComboBox* cmbLastSearch = nullptr;
  QCheckBox* chkAudioEmail = nullptr;
  QCheckBox* chkAudioNext = nullptr;
  QCheckBox* chkAudioFinished = nullptr;
  QCheckBox* chkAddFax = nullptr;
  QCheckBox* chkNonUS = nullptr;

  // "Statistics".
  QGroupBox* Frame3 = nullptr;
  std::array<QLabel*, 5> LblStats{};

  QStatusBar* StatusBar1 = nullptr;
  QProgressBar* pb1 = nullptr;

  QAction* mnuFileItem = nullptr;
  QAction* mnuHelpItem = nullptr;
  QAction* mnuAboutItem = nullptr;
  QAction* mnuSecureWeb = nullptr;  // "Web" > "Secure Sites and Redirects"

  // Harvest state shared with the crawl.
  bool bHarvesting = false;
  int timeout = 10;   // idle ticks before a fetch is given up
  int timeout2 = 30;  // total ticks before a fetch is given up
  int32_t lAdvanceAfter = 10000;
  int32_t lAdvanceCount = 0;
  QString strURL;  // the website just taken for a socket

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void cmdWebsite_Click();
  void mnuFileItem_Click();
  void mnuHelpItem_Click();
  void mnuAboutItem_Click();
  void Combo1_Click(int index);
  void Combo2_Click(int index);
  void cmbAdvance_Click(int index);
  void cmbLastSearch_Change();
  void cmbLastSearch_Click(int index);

 private:
  void LoadSettings();
  void Form_Unload();
  void buildWidgets();
  void buildMenus();
  void connectOptionHandlers();
  void connectSearchHandlers();
  void showHelpWindow();
  void addStatusPanel();

  // Design geometry in twips; ArrangeControls changes it and applies it in pixels.
  void place(QWidget* widget, double left, double top, double width, double height);
  QRectF& twips(QWidget* widget) { return m_twips[widget]; }
  void applyGeometry(QWidget* widget);

  QHash<QWidget*, QRectF> m_twips;
  std::array<QLabel*, 4> m_panels{};
  Statistics m_stats;
  std::unique_ptr<SpiderDatabase> m_database;
  int m_searchWindowLoads = 0;
  QPointer<Form3> m_searchWindow;
  QString m_searchEngine;  // the engine of the last pass, for a search type the window cannot read

  // The crawl. A socket is parked when its last take found nothing to fetch; a parked socket
  // is woken when websites are queued again, and when every socket is parked the queue has
  // run dry.
  void playSound(const char* name);
  void stopHarvest(const QString& panel2, const QString& panel3);
  void applyNextButtonRule();
  void moveNextQueuedWebsite();
  void parkSocket(int16_t i);
  void wakeParkedSockets();
  bool StartChecks();
  std::unique_ptr<PageFetcher> m_fetcher;
  std::unique_ptr<PageSteps> m_pageSteps;
  std::array<bool, kSocketCount> m_parked{};
  QPointer<Form8> m_help;
  QPointer<frmAbout> m_about;
  QPointer<frmExport> m_export;
  QPointer<QWidget> m_splash;
};

}  // namespace norvane
