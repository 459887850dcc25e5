// The main window's side of the search window.
#include "app/form1.h"

namespace norvane {

// The search window arrives with the search-engine pass; until then a load is only counted.
void Form1::LoadSearchWindow() {
  ++m_searchWindowLoads;
}

void Form1::UnloadSearchWindow() {}

}  // namespace norvane
