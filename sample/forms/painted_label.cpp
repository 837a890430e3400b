#include "forms/painted_label.h"

#include "forms/gdi_handle.h"

namespace forms {
namespace {

// What a static text control draws: its brush over the whole rectangle,
// then the text, broken into lines at word breaks and clipped to the
// rectangle, with '&' shown as it stands.
void PaintOne(HDC dc, const PaintedLabel& label) {
  const WidgetColors& colors = label.colors;
  const bool own_back = colors.back.has_value() && !colors.transparent;
  SetBkColor(dc, own_back ? ToColorRef(*colors.back) : GetSysColor(COLOR_BTNFACE));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &label.rect, nullptr, 0, nullptr);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colors.text ? ToColorRef(*colors.text) : GetSysColor(COLOR_WINDOWTEXT));
  if (label.font != nullptr) SelectObject(dc, label.font);
  RECT text_rect = label.rect;
  const UINT format = (label.centred ? DT_CENTER : DT_LEFT) | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX;
  DrawTextW(dc, label.caption.c_str(), static_cast<int>(label.caption.size()), &text_rect, format);
}

}  // namespace

const PaintedLabel* LabelLayer::Find(int id) const {
  for (const PaintedLabel& label : labels_) {
    if (label.id == id) return &label;
  }
  return nullptr;
}

void LabelLayer::Paint(HDC dc) const {
  // Bottom first, so that the label on top is drawn last.
  for (auto label = labels_.rbegin(); label != labels_.rend(); ++label) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, label->rect.left, label->rect.top, label->rect.right, label->rect.bottom);
    PaintOne(dc, *label);
    RestoreDC(dc, saved);
  }
}

void LabelLayer::PaintWindow(HWND window) const {
  const PaintScope paint(window);
  if (paint.dc() != nullptr) Paint(paint.dc());
}

}  // namespace forms
