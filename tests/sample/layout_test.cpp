// The geometry read back from the running window, against the layout table
// with the pixels computed here independently (twips / 15 at 96 dpi).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <iterator>
#include <string>
#include <utility>

#include "forms/gdi_handle.h"
#include "main_window/tab_order.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

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

// Where a row's widget or label sits in its container, and the text it shows.
struct Placed {
  RECT rect{};
  std::wstring text;
};

TEST_F(SampleWindowTest, EveryWidgetSitsWhereTheLayoutTablePutsIt) {
  ASSERT_TRUE(StartWindow(false));
  for (int i = 0; i < sample::kLayoutCount; ++i) {
    const sample::LayoutRow& row = sample::kLayout[i];
    HWND container = row.container == sample::kWindowId ? window().hwnd() : Item(row.container);
    Placed placed;
    if (row.kind == sample::WidgetKind::Label) {
      // Labels are drawn by their container, not windows of their own.
      ASSERT_EQ(GetDlgItem(container, row.id), nullptr) << row.id;
      const forms::PaintedLabel* label = window().FindLabel(row.id);
      ASSERT_NE(label, nullptr) << "no label with id " << row.id;
      placed = {label->rect, label->caption};
    } else {
      HWND item = GetDlgItem(container, row.id);
      ASSERT_NE(item, nullptr) << "no window with id " << row.id;
      GetWindowRect(item, &placed.rect);
      MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&placed.rect), 2);
      wchar_t text[128] = {};
      GetWindowTextW(item, text, 128);
      placed.text = text;
    }
    const RECT& r = placed.rect;
    EXPECT_EQ(r.left, Px(row.x)) << row.id;
    EXPECT_EQ(r.top, Px(row.y)) << row.id;
    EXPECT_EQ(r.right - r.left, Px(row.width)) << row.id;
    // A combo box's window rectangle is its closed box, whatever its font.
    EXPECT_EQ(r.bottom - r.top, Px(row.height)) << row.id;
    if (row.kind != sample::WidgetKind::Control && row.kind != sample::WidgetKind::Panel &&
        row.kind != sample::WidgetKind::ComboBox) {
      EXPECT_EQ(placed.text, row.caption) << row.id;
    }
  }
}

// A container's labels, drawn into a bitmap the size of its client area
// that starts out in a colour no label uses.
class LabelPicture {
 public:
  static constexpr COLORREF kUnpainted = RGB(1, 2, 3);

  explicit LabelPicture(HWND container)
      : client_(ClientRect(container)),
        dc_(CreateCompatibleDC(nullptr)),
        bitmap_(ScreenBitmap(client_)),
        select_(dc_.get(), bitmap_.get()) {
    SetBkColor(dc_.get(), kUnpainted);
    ExtTextOutW(dc_.get(), 0, 0, ETO_OPAQUE, &client_, nullptr, 0, nullptr);
    SendMessageW(container, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.get()), PRF_CLIENT);
  }

  COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }
  // Pixels of the columns [left, right) and rows [top, bottom) not in `colour`.
  int CountOther(int left, int top, int right, int bottom, COLORREF colour) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) count += At(x, y) != colour;
    }
    return count;
  }

 private:
  static RECT ClientRect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
  }
  static HBITMAP ScreenBitmap(const RECT& size) {
    const forms::WindowDc screen(nullptr);
    return CreateCompatibleBitmap(screen.get(), size.right, size.bottom);
  }

  RECT client_;
  forms::UniqueMemoryDc dc_;
  forms::UniqueBitmap bitmap_;
  forms::SelectScope select_;  // released first, before the bitmap and the DC
};

TEST_F(SampleWindowTest, LabelsArePaintedInTheirColoursUnderTheWidgetsTheyOverlap) {
  ASSERT_TRUE(StartWindow(false));
  struct Row {
    const char* name;
    int id;
    COLORREF back;  // the panel's theme colour, the row's own, or button face
  };
  const Row rows[] = {
      {"title on the window", sample::LabelId(12), RGB(0, 0x80, 0)},
      {"preview rate on pink", sample::LabelId(10), RGB(0xFF, 0xC0, 0xFF)},
      {"transparent X", sample::LabelId(9), GetSysColor(COLOR_BTNFACE)},
      {"clipboard on peach", sample::LabelId(4), RGB(0xFF, 0xE0, 0xC0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const sample::LayoutRow* layout = sample::FindLayoutRow(row.id);
    ASSERT_NE(layout, nullptr);
    HWND container = layout->container == sample::kWindowId ? window().hwnd() : Item(layout->container);
    const LabelPicture picture(container);
    // The clipboard label runs on past its panel's edge.
    RECT client{};
    GetClientRect(container, &client);
    const int left = Px(layout->x), top = Px(layout->y);
    const int right = std::min<int>(left + Px(layout->width), client.right);
    const int bottom = std::min<int>(top + Px(layout->height), client.bottom);
    EXPECT_EQ(picture.At(right - 1, bottom - 1), row.back);
    EXPECT_GT(picture.CountOther(left, top, right, bottom, row.back), 0) << "no text drawn";
    if (bottom < client.bottom) {
      EXPECT_EQ(picture.At(left, bottom), LabelPicture::kUnpainted) << "painted beyond its rectangle";
    }
  }

  // The "F/S" label lies on the preview-rate label that runs under it: its
  // text shows in the columns they share.
  const LabelPicture pink(Item(sample::PictureId(2)));
  EXPECT_GT(pink.CountOther(Px(4080), Px(60), Px(2340 + 1875), Px(60 + 255), RGB(0xFF, 0xC0, 0xFF)), 0);

  // Fields lie above the labels they overlap: they are windows inside the
  // label's container, which leaves its children out of what it paints.
  const std::pair<int, int> overlaps[] = {
      {sample::TextId(9), sample::LabelId(10)}, {sample::TextId(8), sample::LabelId(9)},
      {sample::TextId(11), sample::LabelId(14)}};
  for (const auto& [field, label] : overlaps) {
    HWND container = GetParent(Item(field));
    EXPECT_EQ(container, Item(sample::FindLayoutRow(label)->container)) << field;
    EXPECT_TRUE(GetWindowLongPtrW(container, GWL_STYLE) & WS_CLIPCHILDREN) << field;
  }
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
