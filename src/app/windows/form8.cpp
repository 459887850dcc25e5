#include "app/windows/form8.h"

#include <QCheckBox>
#include <QFile>
#include <QTextBrowser>
#include <QTextCursor>

#include "common/app_folder.h"
#include "common/file_names.h"
#include "common/settings_keys.h"
#include "desktop/rtf_reader.h"
#include "desktop/set_top_most.h"
#include "desktop/twips.h"
#include "desktop/window_keys.h"

namespace norvane {

Form8::Form8(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("Form8"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Readme/Help"));
  setFixedSize(TwipsToPixels(10290), TwipsToPixels(7920));
  rtf1 = new QTextBrowser(this);
  rtf1->setObjectName(QStringLiteral("rtf1"));
  PlaceInTwips(rtf1, 0, 0, 10275, 7515);
  // Wide enough that the help file's button names and their tab-separated texts line up.
  rtf1->setTabStopDistance(190);
  Check1 = new QCheckBox(QStringLiteral("Show at Startup"), this);
  Check1->setObjectName(QStringLiteral("Check1"));
  PlaceInTwips(Check1, 60, 7620, 1995, 255);
  connect(Check1, &QCheckBox::clicked, this, &Form8::Check1_Click);
  CloseOnEscape(this);
}

void Form8::Form_Load() {
  const QString path = AppFile(QStringLiteral("Help.rtf"));
  m_hasHelpFile = FileExists(path);
  if (!m_hasHelpFile) {
    hide();
    return;
  }
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    FillTextDocument(ReadRtf(file.readAll()), rtf1->document());
    rtf1->moveCursor(QTextCursor::Start);  // the reader leaves the cursor at the end
  }
  SetTopMost(this, true);
  CenterOnScreen(this);
  Check1->setChecked(settings::showHelp.readChecked());
}

void Form8::setVisible(bool visible) {
  QWidget::setVisible(visible && m_hasHelpFile);
}

void Form8::Check1_Click() {
  settings::showHelp.write(Check1->isChecked() ? 1 : 0);
}

}  // namespace norvane
