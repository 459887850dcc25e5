#pragma once

#include <QWidget>

class QLabel;

namespace norvane {

// The about window: product name, version, company and the clickable web address, all from
// the version information.
class frmAbout : public QWidget {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget* parent = nullptr);

  void Form_Load();
  // Opens the product web page, as the main window's "Visit" button does.
  void lblWebsite_Click();

  QLabel* Picture1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblCompany = nullptr;
  QLabel* lblWebsite = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace norvane
