// The geometry read back from the running window, against the layout table
// with the pixels computed here independently (twips / 15 at 96 dpi).
#include <gtest/gtest.h>

#include <cmath>

#include <iterator>

#include "tab_order.h"
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
    if (row.kind != sample::WidgetKind::ComboBox) {
      EXPECT_EQ(r.bottom - r.top, Px(row.height)) << row.id;
    }
    if (row.kind != sample::WidgetKind::Control && row.kind != sample::WidgetKind::Panel &&
        row.kind != sample::WidgetKind::ComboBox) {
      wchar_t text[128] = {};
      GetWindowTextW(item, text, 128);
      EXPECT_STREQ(text, row.caption) << row.id;
    }
  }
}

TEST_F(SampleWindowTest, FieldsAndButtonsLieAboveTheLabelsTheyOverlap) {
  ASSERT_TRUE(StartWindow(false));
  // Pairs (upper, lower) that overlap in the layout.
  const std::pair<int, int> pairs[] = {
      {sample::TextId(9), sample::LabelId(10)}, {sample::LabelId(11), sample::LabelId(10)},
      {sample::TextId(8), sample::LabelId(9)},  {sample::TextId(11), sample::LabelId(14)},
  };
  for (const auto& [upper, lower] : pairs) {
    // Earlier in the sibling list is higher in the z-order.
    bool upper_first = false;
    for (HWND w = GetWindow(Item(upper), GW_HWNDFIRST); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w == Item(upper)) {
        upper_first = true;
        break;
      }
      if (w == Item(lower)) break;
    }
    EXPECT_TRUE(upper_first) << upper << " over " << lower;
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
