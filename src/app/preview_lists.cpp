#include "app/preview_lists.h"

#include "desktop/follow_list.h"
#include "desktop/preview_row_delegate.h"
#include "desktop/remembered_size_delegate.h"
#include "harvest/control/harvest_controller.h"

namespace norvane {

void FollowPreviews(HarvestController* c, QListWidget* queue, QListWidget* faxes) {
  FollowList(c, queue, &HarvestController::queueFrontRemoved, &HarvestController::queueAppended,
             &HarvestController::queueReset);
  // The queue's preview moves on with every website taken: its entries are measured without
  // laying out their text, and are as wide as the list, so they are measured again when it
  // changes width.
  queue->setItemDelegate(new PreviewRowDelegate(queue));
  queue->setResizeMode(QListView::Adjust);
  FollowList(c, faxes, &HarvestController::faxFrontRemoved, &HarvestController::faxAppended,
             &HarvestController::faxesReset);
  // The fax preview is measured whenever a number comes: each entry's text only once.
  faxes->setItemDelegate(new RememberedSizeDelegate(faxes));
}

}  // namespace norvane
