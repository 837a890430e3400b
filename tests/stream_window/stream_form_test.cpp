// The stream window as the main window uses it: created hidden on first use,
// shown by the stream capture, re-created after the user closed it, and
// frames drawn one to one at the client area's top-left corner.
#include "stream_window/stream_form.h"

#include <gtest/gtest.h>

#include "convert/runtime_error.h"
#include "low_memory.h"
#include "window_probe.h"

namespace {

using sample::StreamForm;
using namespace test_support;  // the probes, colours and frames of the tool-window tests

class StreamFormTest : public ::testing::Test {
 protected:
  // The window on the screen, with what showing it set off handled.
  static StreamForm& ShownForm() {
    StreamForm& form = StreamForm::Instance();
    form.Show();
    Pump();
    return form;
  }
  void TearDown() override {
    StreamForm::Instance().Destroy();
    Pump();
  }
};

TEST_F(StreamFormTest, FirstUseCreatesHiddenAndCloseDestroys) {
  StreamForm& form = StreamForm::Instance();
  EXPECT_FALSE(form.Exists());
  EXPECT_EQ(form.hwnd(), nullptr);

  form.EnsureCreated();
  ASSERT_TRUE(form.Exists());
  HWND first = form.hwnd();
  EXPECT_FALSE(IsWindowVisible(first)) << "first use must not show the window";
  form.EnsureCreated();
  EXPECT_EQ(form.hwnd(), first) << "one instance: a second call keeps the window";

  form.Show();
  EXPECT_TRUE(IsWindowVisible(first));

  // The user's close box.
  SendMessageW(first, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(form.Exists());
  EXPECT_EQ(form.hwnd(), nullptr);

  form.EnsureCreated();
  ASSERT_TRUE(form.Exists());
  EXPECT_FALSE(IsWindowVisible(form.hwnd())) << "re-created hidden after the user closed it";
  form.Show();
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
}

TEST_F(StreamFormTest, LooksLikeASizableToolWindow) {
  StreamForm& form = StreamForm::Instance();
  form.Show();
  HWND hwnd = form.hwnd();
  wchar_t caption[64] = {};
  GetWindowTextW(hwnd, caption, 64);
  EXPECT_STREQ(caption, L"StreamForm");

  EXPECT_EQ(ToolWindowStyleMismatches(hwnd), "");
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr) << "no owner, so it stays out of the taskbar only by its style";

  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 312);
  EXPECT_EQ(client.bottom, 213);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ClientPixel(hwnd, 100, 100)) << "button-face background";
}

TEST_F(StreamFormTest, DrawsFrameOneToOneAtTopLeftAndClipsTheRest) {
  StreamForm& form = ShownForm();
  // A 320 x 240 frame: four quadrants, and a magenta strip in the 8 columns
  // and 27 rows that fall outside the 312 x 213 client area.
  Frame frame(320, 240);
  ASSERT_TRUE(frame.ok()) << "no memory below 4 GiB";
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      COLORREF c = x < 160 ? (y < 120 ? kRed : kGreen) : (y < 120 ? kBlue : RGB(255, 255, 0));
      if (x >= 312 || y >= 213) c = kMagenta;
      frame.SetPixel(x, y, c);
    }
  }
  form.DrawFrame(320, 240, frame.info_address(), frame.bits_address());

  struct Probe {
    int x, y;
    COLORREF expected;
  };
  const Probe probes[] = {
      {0, 0, kRed},       {159, 119, kRed},   {160, 0, kBlue},  {311, 0, kBlue},
      {0, 120, kGreen},   {0, 212, kGreen},   {311, 212, RGB(255, 255, 0)},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(ClientPixel(form.hwnd(), p.x, p.y), p.expected) << "at " << p.x << "," << p.y;
  }
  // Nothing of the clipped strip may land on the screen beside the window.
  POINT origin{0, 0};
  ClientToScreen(form.hwnd(), &origin);
  HDC screen = GetDC(nullptr);
  for (int x = 312; x < 320; ++x) {
    EXPECT_NE(GetPixel(screen, origin.x + x, origin.y + 10), kMagenta) << "column " << x << " escaped the clip";
  }
  EXPECT_NE(GetPixel(screen, origin.x + 10, origin.y + 220), kMagenta) << "row 220 escaped the clip";
  ReleaseDC(nullptr, screen);
}

TEST_F(StreamFormTest, SmallFrameLeavesTheRestAndNothingIsRepainted) {
  StreamForm& form = ShownForm();
  Frame frame(16, 8);
  ASSERT_TRUE(frame.ok());
  frame.Fill(kBlue);
  form.DrawFrame(16, 8, frame.info_address(), frame.bits_address());
  EXPECT_EQ(ClientPixel(form.hwnd(), 15, 7), kBlue);
  EXPECT_EQ(ClientPixel(form.hwnd(), 16, 7), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ClientPixel(form.hwnd(), 15, 8), GetSysColor(COLOR_BTNFACE));
  // Frames are not kept: a repaint shows the bare background.
  RedrawWindow(form.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(ClientPixel(form.hwnd(), 0, 0), GetSysColor(COLOR_BTNFACE));
}

TEST_F(StreamFormTest, FailedDrawingIsIgnoredButAMissingWindowIsAnError) {
  StreamForm& form = ShownForm();
  Frame frame(8, 8);
  ASSERT_TRUE(frame.ok());
  frame.Fill(kRed);
  struct Case {
    const char* name;
    long width, height, info, bits;
  };
  const Case cases[] = {
      {"null addresses", 8, 8, 0, 0},
      {"null bits", 8, 8, frame.info_address(), 0},
      {"zero size", 0, 0, frame.info_address(), frame.bits_address()},
      {"negative size", -8, -8, frame.info_address(), frame.bits_address()},
  };
  for (const Case& c : cases) {
    EXPECT_NO_THROW(form.DrawFrame(c.width, c.height, c.info, c.bits)) << c.name;
    EXPECT_EQ(ClientPixel(form.hwnd(), 2, 2), GetSysColor(COLOR_BTNFACE)) << c.name;
  }

  form.Destroy();
  EXPECT_FALSE(form.Exists());
  try {
    form.DrawFrame(8, 8, frame.info_address(), frame.bits_address());
    ADD_FAILURE() << "drawing without a window must be reported";
  } catch (const convert::RuntimeError& e) {
    EXPECT_NE(e.number(), 0);
    EXPECT_FALSE(e.description().empty());
  }
}

TEST_F(StreamFormTest, DrawingGoesOnAfterTheUserClosedTheWindow) {
  StreamForm& form = StreamForm::Instance();
  form.Show();
  Frame frame(8, 8);
  ASSERT_TRUE(frame.ok());
  frame.Fill(kGreen);
  SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  ASSERT_FALSE(form.Exists());
  // What the main window's frame handler does for the next frame.
  form.EnsureCreated();
  EXPECT_NO_THROW(form.DrawFrame(8, 8, frame.info_address(), frame.bits_address()));
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  form.Show();
  Pump();
  form.DrawFrame(8, 8, frame.info_address(), frame.bits_address());
  EXPECT_EQ(ClientPixel(form.hwnd(), 4, 4), kGreen);
}

}  // namespace
