#pragma once

class QListWidget;

namespace norvane {

class HarvestController;

// The main window's two previews follow the controller: `queue` (List2) the websites queued
// next, `faxes` (List3) the newest numbers stored.
void FollowPreviews(HarvestController* controller, QListWidget* queue, QListWidget* faxes);

}  // namespace norvane
