#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

namespace norvane {

class SpiderDatabase;

// The export window: separator choice, "Put a space between each entry", "Delete all faxes
// when finished" and "Export". Modeless; it closes (and is deleted) after an export.
class frmExport : public QWidget {
  Q_OBJECT

 public:
  // The save dialog: given the offered path, returns the chosen path, or an empty text when
  // the user cancels.
  using SaveDialog = std::function<QString(QWidget* parent, const QString& offeredPath)>;

  explicit frmExport(SpiderDatabase& database, QWidget* parent = nullptr);

  // Tests: answers the save dialog instead of showing it; an empty function restores it.
  static void setSaveDialog(SaveDialog dialog);

  // "Export": asks for the file, writes every stored number, offers to delete them, closes.
  // When the file cannot be written it says so and neither asks nor deletes.
  void Command1_Click();

  QLabel* Label1 = nullptr;
  QComboBox* Combo1 = nullptr;
  QCheckBox* Check2 = nullptr;
  QCheckBox* Check1 = nullptr;
  QToolButton* Command1 = nullptr;

 signals:
  // Every stored number was deleted: the main window's preview and counter follow.
  void faxesDeleted();
  // A file was written: what to tell the user ("N numbers written to FILE").
  void exported(const QString& text);

 private:
  // "Put a space between each entry" only where it applies.
  void enableChoices();
  SpiderDatabase& m_database;
};

}  // namespace norvane
