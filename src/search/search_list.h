#pragma once

#include <QString>

// The rules of the search-string list: what "Delete" does with the selection. The main window's
// handlers carry them out.
namespace norvane {

enum class SearchDeletion {
  Nothing,               // empty list, nothing selected
  AskForSelection,       // entries but none selected: "You must select a search to delete."
  DeleteEntry,           // an entry other than the current search string
  RefuseCurrent,         // the current search string while a harvest runs
  ConfirmDeleteCurrent,  // the current one while a stopped harvest could resume: ask first
  DeleteCurrent,         // the current one otherwise
};

// selected: the selected row, -1 for none; count: entries in the list.
SearchDeletion DeletionFor(int selected, int count, bool harvesting, bool resumeEnabled);

// The message texts of the list.
inline const QString kSelectSearchToDelete = QStringLiteral("You must select a search to delete.");
inline const QString kCannotDeleteCurrent =
    QStringLiteral("You cannot delete the current search while the spider is harvesting faxes.");
inline const QString kConfirmDeleteTitle = QStringLiteral("Confirm Delete");
inline const QString kConfirmDeleteCurrent = QStringLiteral(
    "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?");

}  // namespace norvane
