#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

#include "app/web_menu.h"
#include "desktop/deferred_call.h"
#include "desktop/status_panels.h"
#include "desktop/twips.h"
#include "harvest/control/harvest_controller.h"

class QAction;
class QActionGroup;
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
class SpiderDatabase;

// The main window. It owns the option widgets, the preview lists, the harvest buttons and the
// status bar, and shows what the harvest controller tells it; its handlers forward to the
// controller.
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // The start sequence: settings, statistics, icon and title, status panels, help, and the
  // three preview lists filled from spider.mdb.
  void Form_Load();

  // Lays the window out for its current outer size; run on every resize.
  void ArrangeControls();

  // Writes the five counters into LblStats(0) to LblStats(4).
  void StatsD();

  HarvestController& controller() { return *m_controller; }
  SpiderDatabase& database() { return m_controller->database(); }
  QStatusBar* statusBar1() const { return StatusBar1; }
  QString panelText(int panel) const;  // panel 1 to 4
  void setPanelText(int panel, const QString& text);

  // The harvest buttons. Public so tests can run them as a click would.
  void Command1_Click();       // "Start"
  void cmdDoSearch_Click();    // Start Search: crawl the queued websites
  void cmdStop_Click();        // "Stop"
  void cmdResume_Click();      // "Resume"
  void cmdNextSearch_Click();  // "Next"

  // The search window for txtSearch: loaded and shown modeless when the controller asks. A load
  // unloads a window still loaded, so a pass always runs for the current txtSearch.
  void LoadSearchWindow();
  void UnloadSearchWindow();
  int searchWindowLoads() const { return m_searchWindowLoads; }
  Form3* searchWindow() const;  // the loaded search window, or null

  // The search-string list: "Add", Enter in the entry box, "Delete".
  void cmdAdd_Click();
  void Text1_KeyPress(int KeyAscii);
  void cmbDel_Click();

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
  WebMenu m_webMenu;

  int32_t lAdvanceAfter = 10000;  // from cmbAdvance

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
  void connectController();
  // The options the controller reads, as the widgets hold them now.
  void pushOptions();
  void applyButtons(const HarvestButtons& buttons);
  void showHelpWindow();

  TwipsGeometry m_twips;  // the design geometry; ArrangeControls changes it
  std::unique_ptr<StatusPanels> m_panels;
  DeferredCall* m_statsLater = nullptr;  // StatsD, deferred while the harvest runs
  std::unique_ptr<HarvestController> m_controller;
  int m_searchWindowLoads = 0;
  QPointer<Form3> m_searchWindow;
  QString m_searchEngine;  // the engine of the last pass, for a search type the window cannot read
  QPointer<Form8> m_help;
  QPointer<frmAbout> m_about;
  QPointer<frmExport> m_export;
  QPointer<QWidget> m_splash;
};

}  // namespace norvane
