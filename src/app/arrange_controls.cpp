#include "app/arrange_controls.h"

namespace norvane {

LayoutResult ComputeLayout(const LayoutInput& in) {
  LayoutResult r;
  r.panel1Width = in.W / 2;
  r.panel2Width = in.W / 6;
  r.panel3Width = in.W / 6;
  r.panel4Width = in.W / 6;

  const double panel4Left = r.panel1Width + r.panel2Width + r.panel3Width;
  r.pb1Left = panel4Left + 25;
  r.pb1Top = in.H - in.S - 450;
  r.pb1Width = r.panel4Width - 50;

  r.frame3Height = in.H - in.S - in.frame3Top;
  r.frame2Height = in.frame4Height + r.frame3Height;
  r.frame1Height = r.frame2Height;

  r.frame3Left = in.W - in.frame3Width - 175;
  r.frame4Left = r.frame3Left;

  r.frame2Width = r.frame3Left / 2 - 80;
  r.frame1Width = r.frame2Width;
  r.frame2Left = r.frame3Left - r.frame2Width - 50;

  r.listWidth = r.frame1Width - 2 * in.list1Left;
  r.cmdWebsiteWidth = in.W - in.cmdWebsiteLeft - 200;

  r.list2Height = r.frame1Height - in.list2Top - 100;
  r.list3Height = r.frame1Height - in.list3Top - 100;
  return r;
}

}  // namespace norvane
