#include "search/search_list.h"

namespace norvane {

SearchDeletion DeletionFor(int selected, int count, bool harvesting, bool resumeEnabled) {
  if (selected < 0 || selected >= count) {
    return count > 0 ? SearchDeletion::AskForSelection : SearchDeletion::Nothing;
  }
  if (selected > 0) return SearchDeletion::DeleteEntry;
  if (harvesting) return SearchDeletion::RefuseCurrent;
  if (resumeEnabled) return SearchDeletion::ConfirmDeleteCurrent;
  return SearchDeletion::DeleteCurrent;
}

}  // namespace norvane
