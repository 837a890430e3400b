// Captions drawn by their container instead of being windows of their own,
// as form programs draw their labels: a window per caption costs more to
// create and to show than its text costs to draw, and a caption takes no
// input, so it needs no window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "forms/widget.h"

namespace forms {

struct PaintedLabel {
  int id;
  std::wstring caption;
  RECT rect;  // pixels in the container's client area
  bool centred;
  WidgetColors colors;
  HFONT font;  // the form's; null for the system font
};

// The labels of one container window, which calls Paint from its WM_PAINT
// and WM_PRINTCLIENT. A label added earlier lies on top of one added later,
// as a window created earlier does; windows inside the container lie above
// every label (the container clips its children).
class LabelLayer {
 public:
  void Add(PaintedLabel label) { labels_.push_back(std::move(label)); }
  const PaintedLabel* Find(int id) const;
  void Paint(HDC dc) const;

  // Paints the labels of the window's update region, for WM_PAINT.
  void PaintWindow(HWND window) const;

 private:
  std::vector<PaintedLabel> labels_;
};

}  // namespace forms
