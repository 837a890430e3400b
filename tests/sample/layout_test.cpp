// The geometry read back from the running window, against the layout table
// with the pixels computed here independently (twips / 15 at 96 dpi).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <iterator>
#include <string>
#include <utility>

#include "forms/form_font.h"
#include "forms/gdi_handle.h"
#include "main_window/tab_order.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

// The layout's rows, for a range-for.
struct LayoutRows {
  const sample::LayoutRow* begin() const { return sample::kLayout; }
  const sample::LayoutRow* end() const { return sample::kLayout + sample::kLayoutCount; }
};
LayoutRows Rows() { return {}; }

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

TEST_F(SampleWindowTest, ClientAreaAndControlSitWhereTheLayoutPutsThem) {
  ASSERT_TRUE(StartWindow(false));
  RECT client{};
  GetClientRect(window().hwnd(), &client);
  EXPECT_EQ(client.right, 664);
  EXPECT_EQ(client.bottom, 369);
  POINT origin{0, 0};
  ClientToScreen(window().hwnd(), &origin);
  EXPECT_EQ(origin.x, 140);
  EXPECT_EQ(origin.y, 101);
  wchar_t caption[64] = {};
  GetWindowTextW(window().hwnd(), caption, 64);
  EXPECT_STREQ(caption, L"Morvane OCX Sample");
  wchar_t class_name[64] = {};
  GetClassNameW(window().hwnd(), class_name, 64);
  EXPECT_STREQ(class_name, L"SampleMainWindow");

  HWND site = GetDlgItem(window().hwnd(), 700);
  ASSERT_NE(site, nullptr);
  RECT r{};
  GetWindowRect(site, &r);
  MapWindowPoints(nullptr, window().hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 240);
}

TEST_F(SampleWindowTest, EveryWidgetSitsWhereTheLayoutTablePutsIt) {
  ASSERT_TRUE(StartWindow(false));
  for (int i = 0; i < sample::kLayoutCount; ++i) {
    const sample::LayoutRow& row = sample::kLayout[i];
    HWND container = row.container == sample::kWindowId ? window().hwnd() : Item(row.container);
    HWND item = GetDlgItem(container, row.id);
    ASSERT_NE(item, nullptr) << "no window with id " << row.id;
    RECT r{};
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, Px(row.x)) << row.id;
    EXPECT_EQ(r.top, Px(row.y)) << row.id;
    EXPECT_EQ(r.right - r.left, Px(row.width)) << row.id;
    // A combo box's window rectangle is its closed box, whatever its font.
    EXPECT_EQ(r.bottom - r.top, Px(row.height)) << row.id;
    if (row.kind != sample::WidgetKind::Control && row.kind != sample::WidgetKind::Panel &&
        row.kind != sample::WidgetKind::ComboBox) {
      EXPECT_EQ(WindowText(item), row.caption) << row.id;
    }
  }
}

// How a label asks its container to colour it, answered as it is when the
// label paints.
struct LabelColours {
  COLORREF text;
  COLORREF back;  // the brush's colour
  int back_mode;
};

LabelColours AskColours(HWND label) {
  const forms::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  SetTextColor(dc.get(), RGB(1, 2, 3));
  SetBkMode(dc.get(), OPAQUE);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                   reinterpret_cast<LPARAM>(label)));
  LOGBRUSH logbrush{};
  if (brush == nullptr || GetObjectW(brush, sizeof logbrush, &logbrush) == 0) logbrush.lbColor = CLR_INVALID;
  return {GetTextColor(dc.get()), logbrush.lbColor, GetBkMode(dc.get())};
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (handle != nullptr) GetObjectW(handle, sizeof font, &font);
  return font;
}

TEST_F(SampleWindowTest, EveryLabelIsAStaticWindowInItsFontAndColours) {
  ASSERT_TRUE(StartWindow(false));
  const COLORREF unchanged = RGB(1, 2, 3);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  struct Row {
    int n;
    COLORREF back;
    COLORREF text;
    bool transparent;
    int points;  // 12 for the title, 9 for the window's default font
    int weight;
  };
  // Each label on its panel's theme colour, the title in its own colours,
  // the two "X" labels transparent over the panel's button face.
  const COLORREF pink = RGB(0xFF, 0xC0, 0xFF), yellow = RGB(0xFF, 0xFF, 0xC0), peach = RGB(0xFF, 0xE0, 0xC0),
                 green = RGB(0xC0, 0xFF, 0xC0);
  const Row rows[] = {
      {1, yellow, unchanged, false, 9, FW_NORMAL},  {2, yellow, unchanged, false, 9, FW_NORMAL},
      {3, green, unchanged, false, 9, FW_NORMAL},   {4, peach, unchanged, false, 9, FW_NORMAL},
      {5, yellow, unchanged, false, 9, FW_NORMAL},  {6, yellow, unchanged, false, 9, FW_NORMAL},
      {7, yellow, unchanged, false, 9, FW_NORMAL},  {8, yellow, unchanged, false, 9, FW_NORMAL},
      {9, face, unchanged, true, 9, FW_NORMAL},     {10, pink, unchanged, false, 9, FW_NORMAL},
      {11, pink, unchanged, false, 9, FW_NORMAL},   {12, RGB(0, 0x80, 0), RGB(0xFF, 0xFF, 0xFF), false, 12, FW_BOLD},
      {13, yellow, unchanged, false, 9, FW_NORMAL}, {14, face, unchanged, true, 9, FW_NORMAL},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("Label" + std::to_string(row.n));
    HWND label = Item(sample::LabelId(row.n));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(GetDlgCtrlID(label), sample::LabelId(row.n));
    wchar_t class_name[16] = {};
    GetClassNameW(label, class_name, 16);
    EXPECT_STREQ(class_name, L"Static");
    const LONG_PTR style = GetWindowLongPtrW(label, GWL_STYLE);
    EXPECT_FALSE(style & WS_TABSTOP) << "a label takes no focus";
    EXPECT_EQ(style & SS_TYPEMASK, row.n == 12 ? SS_CENTER : SS_LEFT);
    const LOGFONTW font = FontOf(label);
    EXPECT_STREQ(font.lfFaceName, forms::kFormFontFace);
    EXPECT_EQ(font.lfHeight, -MulDiv(row.points, 96, 72));
    EXPECT_EQ(font.lfWeight, row.weight);
    const LabelColours colours = AskColours(label);
    EXPECT_EQ(colours.back, row.back);
    EXPECT_EQ(colours.text, row.text);
    EXPECT_EQ(colours.back_mode, row.transparent ? TRANSPARENT : OPAQUE);
  }
}

bool Overlap(const sample::LayoutRow& a, const sample::LayoutRow& b) {
  return a.container == b.container && a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
         b.y < a.y + a.height;
}

// Earlier among its siblings is higher in the z-order, and drawn above.
bool Above(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

TEST_F(SampleWindowTest, FieldsAndButtonsLieAboveEveryLabelTheyOverlap) {
  ASSERT_TRUE(StartWindow(false));
  int pairs = 0;
  for (const sample::LayoutRow& label : Rows()) {
    if (label.kind != sample::WidgetKind::Label) continue;
    for (const sample::LayoutRow& widget : Rows()) {
      const bool field_or_button =
          widget.kind == sample::WidgetKind::TextField || widget.kind == sample::WidgetKind::Button;
      if (!field_or_button || !Overlap(label, widget)) continue;
      ++pairs;
      EXPECT_TRUE(Above(Item(widget.id), Item(label.id)))
          << testing::PrintToString(widget.name) << " under " << testing::PrintToString(label.name);
    }
  }
  // Text9 over Label10, Text8 over Label9, Text11 over Label14, as laid out.
  EXPECT_EQ(pairs, 3);
  // Of two overlapping labels the later one lies on top.
  EXPECT_TRUE(Above(Item(sample::LabelId(11)), Item(sample::LabelId(10))));
}

// The texts the fields show once start-up has filled them, in each field's
// own font, against the room they have: from where the field starts its
// text (EM_GETRECT: its left margin and the pixel the edit control keeps
// inside its border) to its client area's right edge less its right margin.
// A field whose text is cut is named.
TEST_F(SampleWindowTest, EveryFieldShowsItsStartUpTextWhole) {
  ASSERT_TRUE(StartWindow());
  std::string cut;
  for (const sample::LayoutRow& row : Rows()) {
    if (row.kind != sample::WidgetKind::TextField) continue;
    HWND field = Item(row.id);
    const std::wstring text = WindowText(field);
    const forms::WindowDc dc(field);
    const forms::SelectScope font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(field, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    RECT client{}, format{};
    GetClientRect(field, &client);
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const auto margins = static_cast<DWORD>(SendMessageW(field, EM_GETMARGINS, 0, 0));
    const long room = client.right - format.left - HIWORD(margins);
    if (extent.cx > room) {
      cut += testing::PrintToString(row.name) + " " + testing::PrintToString(text) + ": " +
             std::to_string(extent.cx) + " px in " + std::to_string(room) + "; ";
    }
  }
  EXPECT_EQ(cut, "") << "fields whose text does not fit";
}

TEST_F(SampleWindowTest, BeforeStartUpTheFieldsHoldTheirInitialTexts) {
  ASSERT_TRUE(StartWindow(false));
  for (int n : {2, 7, 8, 10, 11}) EXPECT_EQ(FieldText(n), L"") << "Text" << n;
  EXPECT_EQ(FieldText(1), L"C:\\TEMP\\SAMPLE.AVI");
  EXPECT_EQ(FieldText(6), L"C:\\TEMP\\SAMPLE.BMP");
  EXPECT_EQ(FieldText(4), L"Status");
  EXPECT_EQ(window().Combo1().Count(), 0);
  EXPECT_EQ(window().StopFlag(), 0);
  EXPECT_TRUE(log_.lines().empty());  // creating the window asks the control nothing
}

// Every widget that takes the focus, by tab index, as the layout's tables
// give them: panels included, labels never.
constexpr int kTabStops[] = {
    601, 602, 101, 603, 604, 202, 301, 206, 304, 105, 106, 605, 208, 209, 606, 308, 307, 210, 107, 309, 401,
    203, 204, 205, 306, 207, 305, 104, 303, 103, 201, 302, 108, 109, 211, 700, 212, 102, 213, 310, 311};

TEST_F(SampleWindowTest, TabWalksTheWholeWindowByTabIndex) {
  ASSERT_TRUE(StartWindow(false));
  const int count = static_cast<int>(std::size(kTabStops));
  HWND at = Item(601);
  for (int n = 1; n <= count; ++n) {
    at = sample::NextInTabOrder(window().hwnd(), at, false);
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(GetDlgCtrlID(at), kTabStops[n % count]) << "stop " << n;
  }
  EXPECT_EQ(GetDlgCtrlID(sample::NextInTabOrder(window().hwnd(), Item(601), true)), 311);
  EXPECT_EQ(GetDlgCtrlID(sample::NextInTabOrder(window().hwnd(), Item(101), true)), 602);
}

TEST_F(SampleWindowTest, TabSkipsDisabledWidgetsAndLeavesFromInsideAWidget) {
  ASSERT_TRUE(StartWindow(false));
  EnableWindow(Item(203), FALSE);  // the format button of a device without that dialog
  EXPECT_EQ(GetDlgCtrlID(sample::NextInTabOrder(window().hwnd(), Item(401), false)), 204);
  EnableWindow(Item(603), FALSE);  // a disabled panel takes its widgets with it
  EXPECT_EQ(GetDlgCtrlID(sample::NextInTabOrder(window().hwnd(), Item(101), false)), 604);
  // From a widget of the disabled panel: on to the first one outside it.
  EXPECT_EQ(GetDlgCtrlID(sample::NextInTabOrder(window().hwnd(), Item(306), false)), 211);
  // From a window inside a widget (the control's own window inside its site).
  HWND inner = GetWindow(Item(700), GW_CHILD);
  if (inner) {
    EXPECT_EQ(GetDlgCtrlID(sample::NextInTabOrder(window().hwnd(), inner, false)), 212);
  }
}

}  // namespace
}  // namespace sample_test
