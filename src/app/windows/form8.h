#pragma once

#include <QWidget>

class QCheckBox;
class QTextBrowser;

namespace norvane {

// The help window: Help.rtf from the application folder, kept above other windows, with
// "Show at Startup" bound to the setting "showHelp". Without the help file it stays hidden
// even when shown. Closing it deletes it; the main window loads it again when asked.
class Form8 : public QWidget {
  Q_OBJECT

 public:
  explicit Form8(QWidget* parent = nullptr);

  void Form_Load();
  bool hasHelpFile() const { return m_hasHelpFile; }
  void setVisible(bool visible) override;

  QTextBrowser* rtf1 = nullptr;
  QCheckBox* Check1 = nullptr;

 private slots:
  void Check1_Click();

 private:
  bool m_hasHelpFile = false;
};

}  // namespace norvane
