#pragma once

class QComboBox;

namespace norvane {

// An editable combo keeps its text to its items: when it loses focus, a text that names an item
// (letter case ignored) chooses that item as Return would, and any other text is put back to
// the chosen item (empty, showing the prompt, when none is chosen). What the combo shows is
// then what is in force.
void KeepComboTextToItems(QComboBox* combo);

}  // namespace norvane
