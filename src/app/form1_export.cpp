// The buttons of "Fax Number Data": export, delete all, and the database folder.
#include <QListWidget>
#include <QUrl>

#include "app/form1.h"
#include "common/app_folder.h"
#include "desktop/message_box.h"
#include "desktop/open_or_tell.h"
#include "export/frm_export.h"

namespace norvane {

void Form1::Command2_Click() {
  if (!m_export) {
    m_export = new frmExport(database(), this);
    connect(m_export, &frmExport::faxesDeleted, m_controller.get(),
            &HarvestController::FaxesDeleted);
    connect(m_export, &frmExport::exported, this,
            [this](const QString& text) { m_controller->setPanelText(1, text); });
  }
  m_export->show();
  m_export->raise();
}

void Form1::Command3_Click() {
  if (MessageBox::show(
          this, QStringLiteral("Are you sure you want to delete all faxes from the database?"),
          QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
          QStringLiteral("Confirm")) != QMessageBox::Ok) {
    return;
  }
  m_controller->DeleteAllFaxes();
  MessageBox::show(this, QStringLiteral("All faxes have been deleted."));
}

void Form1::cmdViewDatabase_Click() {
  OpenOrTell(this, QUrl::fromLocalFile(AppFolder()));
}

}  // namespace norvane
