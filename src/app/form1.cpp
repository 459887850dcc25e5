#include "app/form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "app/arrange_controls.h"
#include "app/frame_cap.h"
#include "app/web_menu.h"
#include "app/windows/combo_text_guard.h"
#include "app/windows/form8.h"
#include "app/windows/frm_about.h"
#include "app/windows/frm_fax_table.h"
#include "common/app_folder.h"
#include "common/settings_keys.h"
#include "common/version_info.h"
#include "desktop/design_fonts.h"
#include "desktop/design_widgets.h"
#include "desktop/option_settings.h"
#include "desktop/product_page.h"
#include "desktop/program_icon.h"
#include "desktop/window_geometry.h"
#include "export/frm_export.h"
#include "search/form3.h"

namespace norvane {
namespace {
constexpr double kStatusBarTwips = 375.0;
}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setFont(DesignFont(8.25));
  m_controller = std::make_unique<HarvestController>(AppFile(QStringLiteral("spider.mdb")));
  buildMenus();
  m_webMenu = BuildWebMenu(menuBar(), this, [this] { pushOptions(); });
  buildWidgets();
  connectOptionHandlers();
  connectSearchHandlers();
  resize(TwipsToPixels(11235),
         TwipsToPixels(7470) + menuBar()->sizeHint().height() + TwipsToPixels(kStatusBarTwips));
  // Smaller, captions would be cut and the statistics hidden.
  setMinimumSize(size());
  connectController();
  new FrameCap(this, 100);
  connect(Command1, &QToolButton::clicked, this, &Form1::Command1_Click);
  connect(cmdDoSearch, &QToolButton::clicked, this, &Form1::cmdDoSearch_Click);
  connect(cmdStop, &QToolButton::clicked, this, &Form1::cmdStop_Click);
  connect(cmdResume, &QToolButton::clicked, this, &Form1::cmdResume_Click);
  connect(cmdNextSearch, &QToolButton::clicked, this, &Form1::cmdNextSearch_Click);
  Text1->setFocus();  // typing starts a new search string; Return there adds it
}

Form1::~Form1() {
  // The search window reads the controller, and the crawl's sockets may not reach a window that
  // is half gone: both go first.
  delete m_searchWindow.data();
  m_controller.reset();
  FlushSettings();
}

void Form1::buildMenus() {
  QMenuBar* bar = menuBar();
  mnuFileItem = AddMenuWithItem(bar, "mnuFile", "&File", "mnuFileItem", "E&xit");
  mnuFileItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));  // the desktops' Quit
  connect(mnuFileItem, &QAction::triggered, this, &Form1::mnuFileItem_Click);
  // File > Fax Table, above "Exit": every stored number in a window of its own.
  auto* mnuFaxTable = new QAction(QStringLiteral("Fax &Table"), this);
  mnuFaxTable->setObjectName(QStringLiteral("mnuFaxTable"));
  menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"))->insertAction(mnuFileItem, mnuFaxTable);
  connect(mnuFaxTable, &QAction::triggered, this, [this] { ShowFaxTable(this, database()); });
  mnuHelpItem = AddMenuWithItem(bar, "mnuHelp", "&Help", "mnuHelpItem", "View &Help File");
  mnuHelpItem->setShortcut(QKeySequence::HelpContents);
  connect(mnuHelpItem, &QAction::triggered, this, &Form1::mnuHelpItem_Click);
  mnuAboutItem = AddMenuWithItem(bar, "mnuAbout", "&About", "mnuAboutItem", "&About this software");
  connect(mnuAboutItem, &QAction::triggered, this, &Form1::mnuAboutItem_Click);
}

void Form1::buildWidgets() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);

  const QFont buttonFont = DesignFont(8.25, true);
  const QFont frameFont = DesignFont(9.75, true);
  const QFont plainFont = DesignFont(8.25);
  auto button = [&](QWidget* parent, const char* name, const QString& caption, const QString& tip,
                    QStyle::StandardPixmap picture) {
    return PictureButton(parent, name, caption, tip, picture, buttonFont);
  };
  auto label = [&](QWidget* parent, const QString& text, bool bold) {
    return DesignLabel(parent, text, bold ? buttonFont : plainFont);
  };
  auto combo = [&](QWidget* parent, const char* name, const QStringList& items,
                   const QString& designText) {
    return DesignCombo(parent, name, items, designText, plainFont);
  };
  auto list = [&](QWidget* parent, const char* name) {
    return DesignList(parent, name, plainFont);
  };
  auto check = [&](QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    return DesignCheckBox(parent, name, caption, tip, plainFont);
  };
  auto frame = [&](const char* name, const QString& caption) {
    return DesignFrame(client, name, caption, frameFont);
  };
  auto place = [this](QWidget* w, double l, double t, double wd, double h) {
    m_twips.place(w, l, t, wd, h);
  };

  // Top row.
  Combo1 = combo(client, "Combo1",
                 {QStringLiteral("Google Search"), QStringLiteral("Yahoo Search"),
                  QStringLiteral("Bing Search")},
                 QStringLiteral("Which Search Type?"));
  place(Combo1, 60, 60, 2175, 315);
  Combo2 = combo(client, "Combo2",
                 {QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"),
                  QStringLiteral("~500 Domains"), QStringLiteral("~1000 Domains"),
                  QStringLiteral("~5000 Domains"), QStringLiteral("~10000 Domains")},
                 QStringLiteral("How Many Results?"));
  place(Combo2, 60, 480, 2175, 315);
  Command1 = button(client, "Command1", QStringLiteral("Start"),
                    QStringLiteral("Begin Harvesting Faxes"), QStyle::SP_MediaPlay);
  place(Command1, 2280, 60, 1035, 735);
  cmdNextSearch =
      button(client, "cmdNextSearch", QStringLiteral("Next"),
             QStringLiteral("Skip to your next search string"), QStyle::SP_MediaSeekForward);
  cmdNextSearch->setEnabled(false);
  place(cmdNextSearch, 3360, 60, 1035, 735);
  cmdStop = button(client, "cmdStop", QStringLiteral("Stop"),
                   QStringLiteral("Stop harvesting faxes"), QStyle::SP_MediaStop);
  cmdStop->setEnabled(false);
  place(cmdStop, 4440, 60, 1035, 735);
  cmdResume = button(client, "cmdResume", QStringLiteral("Resume"),
                     QStringLiteral("Resume harvesting emails"), QStyle::SP_MediaSkipForward);
  cmdResume->setEnabled(false);
  place(cmdResume, 5520, 60, 1035, 735);
  cmdWebsite = button(client, "cmdWebsite", QString(), QStringLiteral("Open Browser"),
                      QStyle::SP_DriveNetIcon);
  cmdWebsite->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  place(cmdWebsite, 6600, 60, 2055, 735);
  txtSearch = new QLineEdit(QStringLiteral("Google Search"), client);
  txtSearch->setObjectName(QStringLiteral("txtSearch"));
  txtSearch->setVisible(false);
  place(txtSearch, 9000, 120, 1875, 285);
  cmdDoSearch = button(client, "cmdDoSearch", QStringLiteral("Start Search"), QString(),
                       QStyle::SP_MediaPlay);
  cmdDoSearch->setVisible(false);
  place(cmdDoSearch, 2700, 240, 315, 315);

  // "Searches".
  Frame1 = frame("Frame1", QStringLiteral("Searches"));
  place(Frame1, 60, 840, 4275, 6255);
  place(label(Frame1, QStringLiteral("Search Strings"), true), 120, 300, 2500, 255);
  place(label(Frame1, QStringLiteral("Enter a new Search String:"), false), 120, 540, 2505, 315);
  cmdAdd = button(Frame1, "cmdAdd", QString(), QStringLiteral("Add"), QStyle::SP_ArrowRight);
  place(cmdAdd, 120, 780, 500, 500);
  cmbDel = button(Frame1, "cmbDel", QString(), QStringLiteral("Delete"), QStyle::SP_TrashIcon);
  place(cmbDel, 660, 780, 500, 500);
  Text1 = new QLineEdit(Frame1);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setFont(plainFont);
  place(Text1, 1200, 960, 2475, 315);
  List1 = list(Frame1, "List1");
  place(List1, 120, 1320, 4035, 2010);
  place(label(Frame1, QStringLiteral("Preview - Next 20 Sites Queued:"), true), 120, 3420, 4035,
        255);
  List2 = list(Frame1, "List2");
  place(List2, 120, 3720, 4035, 2400);

  // "Emails".
  Frame2 = frame("Frame2", QStringLiteral("Emails"));
  place(Frame2, 4380, 840, 4275, 6255);
  place(label(Frame2, QStringLiteral("Fax Number Data"), true), 120, 360, 2500, 255);
  cmdViewDatabase = button(Frame2, "cmdViewDatabase", QStringLiteral("View Fax Database"),
                           QStringLiteral("Spider.mdb stores all thefaxes you have found"),
                           QStyle::SP_DirOpenIcon);
  cmdViewDatabase->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  place(cmdViewDatabase, 120, 600, 4035, 855);
  Command2 =
      button(Frame2, "Command2", QStringLiteral("Export Fax Numbers"),
             QStringLiteral("Export all the faxes you have found"), QStyle::SP_DialogSaveButton);
  Command2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  place(Command2, 120, 1500, 4035, 855);
  Command3 = button(Frame2, "Command3", QStringLiteral("Delete All Fax Numbers"),
                    QStringLiteral("Delete all saved faxes"), QStyle::SP_DialogDiscardButton);
  Command3->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  place(Command3, 120, 2400, 4035, 855);
  place(label(Frame2, QStringLiteral("Preview - Last 20 Numbers Found:"), true), 180, 3420, 3975,
        255);
  List3 = list(Frame2, "List3");
  place(List3, 120, 3720, 4035, 2205);

  // "Options".
  Frame4 = frame("Frame4", QStringLiteral("Options"));
  place(Frame4, 8700, 840, 2595, 4095);
  place(label(Frame4, QStringLiteral("Auto Search Advance:"), true), 120, 300, 2175, 315);
  chkAuto = check(Frame4, "chkAuto", QStringLiteral("Enable"),
                  QStringLiteral("Click to enable Auto Search Advance"));
  place(chkAuto, 240, 540, 2235, 255);
  auto* advanceLabel =
      label(Frame4, QStringLiteral("Advancd after this many websites are scanned:"), false);
  advanceLabel->setWordWrap(true);
  place(advanceLabel, 180, 840, 2115, 555);
  cmbAdvance = combo(Frame4, "cmbAdvance",
                     {QStringLiteral("1,000"), QStringLiteral("5,000"), QStringLiteral("10,000"),
                      QStringLiteral("20,000"), QStringLiteral("50,000"), QStringLiteral("100,000"),
                      QStringLiteral("200,000"), QStringLiteral("500,000")},
                     QString());
  place(cmbAdvance, 240, 1260, 2235, 315);
  place(label(Frame4, QStringLiteral("After last search:"), false), 240, 1620, 2115, 255);
  cmbLastSearch = combo(
      Frame4, "cmbLastSearch",
      {QStringLiteral("Stop Immediately"), QStringLiteral("Continue Until Stopped")}, QString());
  place(cmbLastSearch, 240, 1860, 2235, 315);
  place(label(Frame4, QStringLiteral("Audio:"), true), 120, 2220, 2355, 255);
  chkAudioEmail = check(Frame4, "chkAudioEmail", QStringLiteral("On Fax Found"), QString());
  place(chkAudioEmail, 240, 2460, 2235, 255);
  chkAudioNext = check(Frame4, "chkAudioNext", QStringLiteral("On Next Search"), QString());
  place(chkAudioNext, 240, 2700, 2235, 255);
  chkAudioFinished = check(Frame4, "chkAudioFinished", QStringLiteral("On Finished"), QString());
  place(chkAudioFinished, 240, 2940, 2235, 255);
  place(label(Frame4, QStringLiteral("Other:"), true), 120, 3240, 2355, 255);
  chkAddFax = check(Frame4, "chkAddFax", QStringLiteral("Add \"fax\" to searches"),
                    QStringLiteral("Adds the word \"fax\" to all your searches"));
  place(chkAddFax, 240, 3480, 2175, 255);
  chkNonUS = check(Frame4, "chkNonUS", QStringLiteral("Allow International"),
                   QStringLiteral("Allows Non-US numbers"));
  place(chkNonUS, 240, 3720, 2295, 255);

  // "Statistics".
  Frame3 = frame("Frame3", QStringLiteral("Statistics"));
  place(Frame3, 8640, 4980, 2595, 2115);
  place(label(Frame3, QStringLiteral("This Session"), true), 120, 300, 2355, 255);
  place(label(Frame3, QStringLiteral("Historically"), true), 120, 1260, 2355, 255);
  const struct {
    const char* caption;
    double top;
  } rows[5] = {{"Sites Scanned:", 540},
               {"Sites Found:", 780},
               {"Numbers Found:", 1020},
               {"Sites Scanned:", 1500},
               {"Numbers Found:", 1740}};
  for (int i = 0; i < 5; ++i) {
    place(label(Frame3, QLatin1String(rows[i].caption), false), 120, rows[i].top, 1500, 255);
    LblStats[i] = label(Frame3, QStringLiteral("0"), false);
    LblStats[i]->setObjectName(QStringLiteral("LblStats(%1)").arg(i));
    LblStats[i]->setAlignment(Qt::AlignRight | Qt::AlignTop);  // in line with the captions
    place(LblStats[i], 1500, rows[i].top, 975, 255);           // right edge at 2475
  }

  // Status bar: the design holds one panel; the start sequence adds the other three.
  StatusBar1 = DesignStatusBar(this, "StatusBar1", TwipsToPixels(kStatusBarTwips));
  m_panels = std::make_unique<StatusPanels>(StatusBar1);
  m_panels->add();
  pb1 = DesignProgressBar(StatusBar1, "pb1");

  connect(cmdWebsite, &QToolButton::clicked, this, &Form1::cmdWebsite_Click);
  connect(Command2, &QToolButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QToolButton::clicked, this, &Form1::Command3_Click);
  connect(cmdViewDatabase, &QToolButton::clicked, this, &Form1::cmdViewDatabase_Click);
}

void Form1::connectOptionHandlers() {
  // Each check box writes its check value under its own name when the user clicks it.
  for (QCheckBox* box :
       {chkAuto, chkAddFax, chkNonUS, chkAudioEmail, chkAudioNext, chkAudioFinished}) {
    SaveCheckBoxOnClick(box);
    connect(box, &QCheckBox::toggled, this, &Form1::pushOptions);
  }
  for (QComboBox* combo : {Combo1, Combo2, cmbAdvance, cmbLastSearch})
    connect(combo, &QComboBox::currentIndexChanged, this, &Form1::pushOptions);
  connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
  connect(Combo2, &QComboBox::activated, this, &Form1::Combo2_Click);
  connect(cmbAdvance, &QComboBox::activated, this, &Form1::cmbAdvance_Click);
  connect(cmbLastSearch->lineEdit(), &QLineEdit::textEdited, this, &Form1::cmbLastSearch_Change);
  connect(cmbLastSearch, &QComboBox::activated, this, &Form1::cmbLastSearch_Click);
  for (QComboBox* combo : {Combo1, Combo2, cmbAdvance, cmbLastSearch}) KeepComboTextToItems(combo);
}

void Form1::Form_Load() {
  LoadSettings();
  m_controller->LoadCounters();
  setWindowIcon(ProgramIcon());
  setWindowTitle(QString::fromUtf8(version::kProductName) + QStringLiteral(" by ") +
                 QString::fromUtf8(version::kCompanyName));
  cmdWebsite->setText(QStringLiteral("Visit ") + QString::fromUtf8(version::kComments));
  RestoreWindowGeometry(this, settings::Form1Geometry);

  for (int i = 0; i < 3; ++i) m_panels->add();
  pb1->raise();
  ArrangeControls();

  if (GetSetting(settings::showHelp.key(), QStringLiteral("1")) == QLatin1String("1")) {
    showHelpWindow();
  }
  m_controller->Load();
}

void Form1::LoadSettings() {
  RestoreComboIndex(Combo1, settings::Combo1);
  RestoreComboIndex(Combo2, settings::Combo2);
  RestoreCheckBoxes(this);
  RestoreComboIndex(cmbAdvance, settings::cmbAdvance);
  lAdvanceAfter = AdvanceAfterForIndex(cmbAdvance->currentIndex(), lAdvanceAfter);
  RestoreComboIndex(cmbLastSearch, settings::cmbLastSearch);
  pushOptions();
}

void Form1::pushOptions() {
  HarvestOptions o;
  o.autoAdvance = chkAuto->isChecked();
  o.advanceAfter = lAdvanceAfter;
  const int last = cmbLastSearch->currentIndex();
  o.continueAfterLastSearch = last != 0 && last != -1;
  o.soundOnFax = chkAudioEmail->isChecked();
  o.soundOnNextSearch = chkAudioNext->isChecked();
  o.soundOnFinished = chkAudioFinished->isChecked();
  o.allowInternational = chkNonUS->isChecked();
  o.addFaxToSearches = chkAddFax->isChecked();
  o.searchTypeIndex = Combo1->currentIndex();
  o.searchTypeText = Combo1->currentText();
  o.resultCountIndex = Combo2->currentIndex();
  m_webMenu.readInto(o);
  m_controller->setOptions(o);
}

void Form1::StatsD() {
  const Statistics& s = m_controller->statistics();
  const int32_t values[5] = {s.lSessionScanned, s.lSessionFound, s.lSessionFaxes, s.lHistWebScanned,
                             s.lHistEmailFound};
  for (int i = 0; i < 5; ++i) LblStats[i]->setText(QString::number(values[i]));
}

void Form1::Combo1_Click(int index) {
  settings::Combo1.write(index);
}

void Form1::Combo2_Click(int index) {
  settings::Combo2.write(index);
}

void Form1::cmbAdvance_Click(int index) {
  settings::cmbAdvance.write(index);
  lAdvanceAfter = AdvanceAfterForIndex(index, lAdvanceAfter);
  pushOptions();
}

void Form1::cmbLastSearch_Change() {
  settings::cmbLastSearch.write(cmbLastSearch->currentIndex());
}

// A choice picked from the list is kept too, so it holds at the next start.
void Form1::cmbLastSearch_Click(int index) {
  settings::cmbLastSearch.write(index);
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ArrangeControls();
}

void Form1::ArrangeControls() {
  if (isMinimized()) return;
  LayoutInput in;
  // The room the frames have: the client area down to the status bar. The window's outer size
  // would count its title bar, menu bar and borders, and the frames' lower edges would then lie
  // under the status bar.
  const QSize client = centralWidget()->size();
  in.W = client.width() * kTwipsPerPixel;
  in.H = (client.height() + StatusBar1->height()) * kTwipsPerPixel;
  in.S = StatusBar1->height() * kTwipsPerPixel;
  in.frame3Top = m_twips[Frame3].top();
  in.frame3Width = m_twips[Frame3].width();
  in.frame4Height = m_twips[Frame4].height();
  in.list1Left = m_twips[List1].left();
  in.list2Top = m_twips[List2].top();
  in.list3Top = m_twips[List3].top();
  in.cmdWebsiteLeft = m_twips[cmdWebsite].left();
  const LayoutResult r = ComputeLayout(in);

  m_panels->setWidths({r.panel1Width, r.panel2Width, r.panel3Width, r.panel4Width});
  // The progress bar lies over panel 4 inside the status bar: the window's interior has no
  // title bar to allow for, so its top is taken from the status bar rather than from H.
  const int barInset = 2;
  pb1->setGeometry(TwipsToPixels(r.pb1Left), barInset, std::max(0, TwipsToPixels(r.pb1Width)),
                   std::max(0, StatusBar1->height() - 2 * barInset));

  m_twips[Frame3].setHeight(r.frame3Height);
  m_twips[Frame2].setHeight(r.frame2Height);
  m_twips[Frame1].setHeight(r.frame1Height);
  m_twips[Frame3].moveLeft(r.frame3Left);
  m_twips[Frame4].moveLeft(r.frame4Left);
  m_twips[Frame2].setWidth(r.frame2Width);
  m_twips[Frame1].setWidth(r.frame1Width);
  m_twips[Frame2].moveLeft(r.frame2Left);
  const std::initializer_list<QWidget*> listWidth = {List1,           List2,    List3,
                                                     cmdViewDatabase, Command2, Command3};
  for (QWidget* w : listWidth) m_twips[w].setWidth(r.listWidth);
  m_twips[cmdWebsite].setWidth(r.cmdWebsiteWidth);
  m_twips[List2].setHeight(r.list2Height);
  m_twips[List3].setHeight(r.list3Height);
  for (QWidget* w : listWidth) m_twips.apply(w);
  for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Frame2, Frame3, Frame4, cmdWebsite})
    m_twips.apply(w);
}

QString Form1::panelText(int panel) const {
  return m_panels->text(panel);
}

void Form1::setPanelText(int panel, const QString& text) {
  m_panels->setText(panel, text);
}

void Form1::cmdWebsite_Click() {
  OpenProductPage(this);
}

void Form1::mnuFileItem_Click() {
  close();
}

void Form1::mnuHelpItem_Click() {
  showHelpWindow();
}

void Form1::mnuAboutItem_Click() {
  if (!m_about) {
    m_about = new frmAbout(this);
    m_about->Form_Load();
  }
  m_about->show();
  m_about->raise();
}

Form8* Form1::helpWindow() const {
  return m_help.data();
}

frmAbout* Form1::aboutWindow() const {
  return m_about.data();
}

frmExport* Form1::exportWindow() const {
  return m_export.data();
}

// Loads the help window unless it is loaded, then shows it; without Help.rtf it stays hidden.
void Form1::showHelpWindow() {
  if (!m_help) {
    m_help = new Form8(this);
    m_help->Form_Load();
  }
  m_help->show();
  m_help->raise();
}

void Form1::closeEvent(QCloseEvent* event) {
  event->accept();
  Form_Unload();
}

void Form1::Form_Unload() {
  m_controller->Shutdown();
  SaveWindowGeometry(this, settings::Form1Geometry);
  FlushSettings();
  UnloadSearchWindow();
  for (QWidget* window :
       {static_cast<QWidget*>(m_help), static_cast<QWidget*>(m_export),
        static_cast<QWidget*>(m_about), static_cast<QWidget*>(FindFaxTable(this))}) {
    if (window) window->close();
  }
  // The splash owns this window, so it is only closed here and deleted when the program ends.
  if (m_splash) m_splash->close();
  QApplication::quit();
}

}  // namespace norvane
