#pragma once

class QWidget;

namespace norvane {

// Escape closes `window`, as it closes a dialog: for the program's small windows that are not
// dialogs to the toolkit (help, about, export, the fax table).
void CloseOnEscape(QWidget* window);

}  // namespace norvane
