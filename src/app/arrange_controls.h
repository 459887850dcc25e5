#pragma once

namespace norvane {

// The main window's layout rule, in twips and floating point, apart from any widget so it can be
// checked on its own. W and H are the window's outer size, S the status bar's height.
struct LayoutInput {
  double W = 0, H = 0, S = 0;
  double frame3Top = 0, frame3Width = 0;
  double frame4Height = 0;
  double list1Left = 0, list2Top = 0, list3Top = 0;
  double cmdWebsiteLeft = 0;
};

struct LayoutResult {
  double panel1Width = 0, panel2Width = 0, panel3Width = 0, panel4Width = 0;
  double pb1Left = 0, pb1Top = 0, pb1Width = 0;  // pb1Left is relative to panel 1's left edge
  double frame3Height = 0, frame3Left = 0, frame4Left = 0;
  double frame1Height = 0, frame2Height = 0;
  double frame1Width = 0, frame2Width = 0, frame2Left = 0;
  double listWidth = 0;  // List1, List2, List3 and the three fax buttons
  double cmdWebsiteWidth = 0;
  double list2Height = 0, list3Height = 0;
};

// The ten layout steps, in their order. Sizes may come out negative for a tiny window; the
// window clamps them when it applies them.
LayoutResult ComputeLayout(const LayoutInput& in);

}  // namespace norvane
