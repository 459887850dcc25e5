#include "export/frm_export.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "common/settings_keys.h"
#include "desktop/design_fonts.h"
#include "desktop/message_box.h"
#include "desktop/twips.h"
#include "desktop/window_keys.h"
#include "export/export_folder.h"
#include "export/fax_export.h"
#include "export/stored_fax_export.h"
#include "store/spider_database.h"

namespace norvane {
namespace {

frmExport::SaveDialog& Dialog() {
  static frmExport::SaveDialog dialog;
  return dialog;
}

QString ShowSaveDialog(QWidget* parent, const QString& offeredPath, const QString& filter) {
  if (Dialog()) return Dialog()(parent, offeredPath);
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), offeredPath, filter);
}

}  // namespace

frmExport::frmExport(SpiderDatabase& database, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_database(database) {
  setObjectName(QStringLiteral("frmExport"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Export Faxes"));
  QFont font = DesignFont(8.25);
  setFont(font);
  setFixedSize(TwipsToPixels(5070), TwipsToPixels(1980));

  Label1 = new QLabel(QStringLiteral("Output Type:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  PlaceInTwips(Label1, 60, 120, 2415, 315);
  Combo1 = new QComboBox(this);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);
  Combo1->addItems({QStringLiteral("Semi-Colon Delimited (;)"),
                    QStringLiteral("Tab Delimited (^t)"),
                    QStringLiteral("Line Feed Delimited (one per line)")});
  Combo1->addItem(QStringLiteral("CSV File (number, region, website, search, date)"));
  Combo1->setCurrentIndex(-1);
  Combo1->setEditText(QStringLiteral("Semi-Colon delimited (;)"));
  PlaceInTwips(Combo1, 1260, 60, 3735, 315);
  Check2 = new QCheckBox(QStringLiteral("Put a space between each entry"), this);
  Check2->setObjectName(QStringLiteral("Check2"));
  PlaceInTwips(Check2, 60, 540, 4995, 315);
  Check1 = new QCheckBox(QStringLiteral("Delete all faxes when finished"), this);
  Check1->setObjectName(QStringLiteral("Check1"));
  PlaceInTwips(Check1, 60, 900, 4995, 255);
  Command1 = new QToolButton(this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setText(QStringLiteral("Export"));
  Command1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  Command1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QFont bold = font;
  bold.setBold(true);
  Command1->setFont(bold);
  PlaceInTwips(Command1, 2820, 1260, 2175, 675);
  connect(Command1, &QToolButton::clicked, this, &frmExport::Command1_Click);
  // The kind chosen last time is chosen again.
  const int kind = settings::frmExportCombo1.read(-1, Combo1->count() - 1);
  if (kind >= 0) Combo1->setCurrentIndex(kind);
  connect(Combo1, &QComboBox::activated, this,
          [](int index) { settings::frmExportCombo1.write(index); });
  connect(Combo1, &QComboBox::currentIndexChanged, this, &frmExport::enableChoices);
  enableChoices();
  CloseOnEscape(this);
}

void frmExport::setSaveDialog(SaveDialog dialog) {
  Dialog() = std::move(dialog);
}

void frmExport::Command1_Click() {
  const int kind = Combo1->currentIndex();
  const QString target = ShowSaveDialog(this, QDir(ExportFolder()).filePath(ExportFileName(kind)),
                                        ExportFileFilter(kind));
  // A cancelled dialog writes nothing and asks nothing.
  if (!target.isEmpty()) {
    // The CSV choice writes every field of the rows; the others the numbers with the separator.
    const ExportFormat format{kind == static_cast<int>(ExportChoice::kCsv),
                              ExportSeparator(kind, Check2->isChecked())};
    const std::optional<qsizetype> written =
        ExportStoredFaxes(m_database, FaxListing{}, target, format);
    if (!written) {
      // Without a copy in a file, the numbers must not be offered for deletion.
      MessageBox::show(this, QStringLiteral("Could not write ") + QDir::toNativeSeparators(target),
                       QMessageBox::Warning);
    } else {
      RememberExportFolder(target);
      emit exported(ExportDoneText(*written, QDir::toNativeSeparators(target)));
      if (Check1->isChecked() &&
          MessageBox::show(this, QStringLiteral("Are you sure you want to delete all faxes?"),
                           QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No) == QMessageBox::Yes) {
        m_database.DeleteAllFaxes();
        emit faxesDeleted();
      }
    }
  }
  close();
}

void frmExport::enableChoices() {
  Check2->setEnabled(SpaceChoiceApplies(Combo1->currentIndex()));
}

}  // namespace norvane
