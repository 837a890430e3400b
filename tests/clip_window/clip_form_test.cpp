// The clipboard window: its look, the picture it copies from the clipboard in
// each picture format, the repaint that brings the picture back, and the
// double-click that asks the capture control for its frame.
#include "clip_window/clip_form.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "clipboard_fill.h"
#include "convert/runtime_error.h"
#include "window_probe.h"

namespace {

using sample::ClipForm;
using sample::ClipPicture;
using Kind = ClipPicture::Kind;

using namespace test_support;  // the probes and colours of the tool-window tests

struct BoxSeen {
  std::wstring text;
  std::wstring title;
  UINT style;
};

class ClipFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClipForm::Instance().SetMessageBoxShower([this](HWND, const wchar_t* text, const wchar_t* title, UINT style) {
      boxes_.push_back({text, title, style});
      return IDOK;
    });
  }
  void TearDown() override {
    ClipForm::Instance().Destroy();
    ClipForm::Instance().SetFrameCopier(nullptr);
    ClipForm::Instance().SetMessageBoxShower(nullptr);
    Pump();
  }
  // Reads the clipboard into the shown window and lets it repaint.
  void ShowClipboard() {
    ClipForm& form = ClipForm::Instance();
    form.Show();
    form.GetClipBoard();
    UpdateWindow(form.hwnd());
  }
  std::vector<BoxSeen> boxes_;
};

TEST_F(ClipFormTest, LooksLikeASizableToolWindowWithDoubleClicks) {
  ClipForm& form = ClipForm::Instance();
  EXPECT_FALSE(form.Exists());
  form.Show();
  HWND hwnd = form.hwnd();
  ASSERT_TRUE(IsWindowVisible(hwnd));
  wchar_t caption[64] = {};
  GetWindowTextW(hwnd, caption, 64);
  EXPECT_STREQ(caption, L"ClipBoard");
  EXPECT_EQ(ToolWindowStyleMismatches(hwnd), "");
  EXPECT_TRUE(GetClassLongPtrW(hwnd, GCL_STYLE) & CS_DBLCLKS);
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 312);
  EXPECT_EQ(client.bottom, 232);
  UpdateWindow(hwnd);
  EXPECT_EQ(ClientPixel(hwnd, 5, 5), GetSysColor(COLOR_BTNFACE)) << "no picture at creation";
}

struct PictureCase {
  const char* name;
  std::function<bool()> put;
  Kind kind;
  int width;
  int height;
  int tolerance;  // metafiles pass through hundredths of a millimetre
  COLORREF colour;
};

TEST_F(ClipFormTest, TakesThePictureInEveryFormatAndAnEmptyClipboardClearsIt) {
  const PictureCase cases[] = {
      {"CF_DIB", [] { return PutDib(CF_DIB, PackedDib(40, 30, kRed)); }, Kind::kBitmap, 40, 30, 0, kRed},
      {"CF_BITMAP", [] { return PutBitmap(50, 20, kGreen); }, Kind::kBitmap, 50, 20, 0, kGreen},
      {"CF_ENHMETAFILE", [] { return PutEnhancedMetafile(60, 40, kBlue); }, Kind::kEnhancedMetafile, 60, 40, 2, kBlue},
      {"CF_METAFILEPICT", [] { return PutMetafilePict(70, 50, kYellow); }, Kind::kMetafile, 70, 50, 2, kYellow},
      {"text only", [] { return PutText(L"no picture"); }, Kind::kNone, 0, 0, 0, 0},
      {"empty clipboard", [] { return ClearClipboard(); }, Kind::kNone, 0, 0, 0, 0},
  };
  ClipForm& form = ClipForm::Instance();
  for (const PictureCase& c : cases) {
    // A different picture first, so that every case must replace or clear it.
    ASSERT_TRUE(PutDib(CF_DIB, PackedDib(300, 200, kCyan))) << c.name;
    ShowClipboard();
    ASSERT_EQ(form.picture().kind(), Kind::kBitmap) << c.name;

    ASSERT_TRUE(c.put()) << c.name << ": could not fill the clipboard";
    ShowClipboard();
    const ClipPicture& picture = form.picture();
    EXPECT_EQ(picture.kind(), c.kind) << c.name;
    EXPECT_NEAR(picture.size().cx, c.width, c.tolerance) << c.name;
    EXPECT_NEAR(picture.size().cy, c.height, c.tolerance) << c.name;
    if (c.kind != Kind::kNone) {
      EXPECT_EQ(ClientPixel(form.hwnd(), 1, 1), c.colour) << c.name << ": top-left";
      EXPECT_EQ(ClientPixel(form.hwnd(), c.width / 2, c.height / 2), c.colour) << c.name << ": middle";
      EXPECT_EQ(ClientPixel(form.hwnd(), c.width + 5, c.height + 5), GetSysColor(COLOR_BTNFACE))
          << c.name << ": unscaled, the rest is background";
    }
    EXPECT_EQ(ClientPixel(form.hwnd(), 305, 225), GetSysColor(COLOR_BTNFACE)) << c.name << ": old picture gone";
  }
}

TEST_F(ClipFormTest, TheFirstPictureFormatOfferedWins) {
  struct Order {
    const char* name;
    bool dib_first;
    Kind expected;
  };
  const Order orders[] = {{"DIB then metafile", true, Kind::kBitmap}, {"metafile then DIB", false, Kind::kEnhancedMetafile}};
  for (const Order& o : orders) {
    {
      ClipboardWriter clipboard;
      ASSERT_TRUE(clipboard.open());
      auto dib = PackedDib(10, 10, kRed);
      auto put_dib = [&] { return clipboard.Put(CF_DIB, GlobalCopy(dib.data(), dib.size())); };
      auto put_emf = [&] { return clipboard.Put(CF_ENHMETAFILE, MakeEnhancedMetafile(20, 20, kBlue)); };
      if (o.dib_first) {
        ASSERT_TRUE(put_dib() && put_emf());
      } else {
        ASSERT_TRUE(put_emf() && put_dib());
      }
    }
    ShowClipboard();
    EXPECT_EQ(ClipForm::Instance().picture().kind(), o.expected) << o.name;
  }
}

TEST_F(ClipFormTest, PictureIsAnOwnCopyThatSurvivesTheClipboard) {
  ASSERT_TRUE(PutBitmap(30, 30, kGreen));
  ShowClipboard();
  ASSERT_TRUE(ClearClipboard());  // frees the clipboard's bitmap
  HWND hwnd = ClipForm::Instance().hwnd();
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(ClientPixel(hwnd, 10, 10), kGreen);
}

TEST_F(ClipFormTest, AMalformedBitmapIsReportedAndTheOldPictureStays) {
  ASSERT_TRUE(PutDib(CF_DIB, PackedDib(20, 20, kRed)));
  ShowClipboard();
  auto broken = PackedDib(20, 20, kBlue);
  reinterpret_cast<BITMAPINFOHEADER*>(broken.data())->biHeight = 5000;  // far more rows than the block holds
  ASSERT_TRUE(PutDib(CF_DIB, broken));
  EXPECT_THROW(ClipForm::Instance().GetClipBoard(), convert::RuntimeError);
  EXPECT_EQ(ClipForm::Instance().picture().kind(), Kind::kBitmap);
  EXPECT_EQ(ClipForm::Instance().picture().size().cy, 20);
}

// Extents come from another program and may be anything 32 bits hold; the
// picture's size stays bounded and positive, never a wrapped or negative side.
TEST(ClipPictureSize, ExtremeMetafileExtentsGiveTheLargestSide) {
  struct Row {
    const char* name;
    LONG mm;
    LONG x_ext, y_ext;
    LONG cx, cy;  // pixels; 0 means "compare with the screen's own", below
  };
  constexpr LONG kLargest = 32767;
  const Row rows[] = {
      {"hundredths of a millimetre, smallest int", MM_ANISOTROPIC, INT32_MIN, INT32_MIN, kLargest, kLargest},
      {"isotropic, largest int", MM_ISOTROPIC, INT32_MAX, -INT32_MAX, kLargest, kLargest},
      {"pixels, smallest int", MM_TEXT, INT32_MIN, INT32_MIN, kLargest, kLargest},
      {"an inch by half an inch", MM_ANISOTROPIC, 2540, 1270, 0, 0},
  };
  HDC screen = GetDC(nullptr);
  const SIZE dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  for (const Row& r : rows) {
    HDC recorder = CreateMetaFileW(nullptr);
    ASSERT_NE(recorder, nullptr);
    Rectangle(recorder, 0, 0, 10, 10);
    METAFILEPICT pict{r.mm, r.x_ext, r.y_ext, CloseMetaFile(recorder)};
    const ClipPicture picture = ClipPicture::FromMetafilePict(pict);
    DeleteMetaFile(pict.hMF);
    const SIZE expected = r.cx ? SIZE{r.cx, r.cy} : SIZE{dpi.cx, dpi.cy / 2};
    EXPECT_EQ(picture.size().cx, expected.cx) << r.name;
    EXPECT_EQ(picture.size().cy, expected.cy) << r.name;
  }

  // An enhanced metafile whose frame spans more than an int can subtract.
  const RECT frame{-2000000000, -2000000000, 2000000000, 2000000000};
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  ASSERT_NE(recorder, nullptr);
  Rectangle(recorder, 0, 0, 10, 10);
  HENHMETAFILE emf = CloseEnhMetaFile(recorder);
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(emf, sizeof header, &header);
  if (header.rclFrame.right == frame.right && header.rclFrame.left == frame.left) {
    const ClipPicture picture = ClipPicture::FromEnhancedMetafile(emf);
    EXPECT_EQ(picture.size().cx, kLargest);
    EXPECT_EQ(picture.size().cy, kLargest);
  }
  DeleteEnhMetaFile(emf);
}

TEST_F(ClipFormTest, RepaintBringsThePictureBackOverADrawnFrame) {
  ASSERT_TRUE(PutDib(CF_DIB, PackedDib(40, 30, kRed)));
  ShowClipboard();
  HWND hwnd = ClipForm::Instance().hwnd();
  // What a successful double-click leaves: a frame drawn straight to the screen.
  ClipForm::Instance().SetFrameCopier([](HDC dc) {
    RECT r{0, 0, 100, 100};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return true;
  });
  SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(ClientPixel(hwnd, 10, 10), RGB(0, 0, 0));
  EXPECT_EQ(ClientPixel(hwnd, 60, 60), RGB(0, 0, 0));
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(ClientPixel(hwnd, 10, 10), kRed);
  EXPECT_EQ(ClientPixel(hwnd, 60, 60), GetSysColor(COLOR_BTNFACE));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ClipFormTest, DoubleClickReportsOnlyAFailedCopy) {
  struct Case {
    const char* name;
    bool answer;
    size_t boxes;
  };
  const Case cases[] = {{"control answers False", false, 1}, {"control answers True", true, 0}};
  ClipForm& form = ClipForm::Instance();
  form.Show();
  for (const Case& c : cases) {
    boxes_.clear();
    HWND seen = nullptr;
    int calls = 0;
    form.SetFrameCopier([&](HDC dc) {
      ++calls;
      seen = WindowFromDC(dc);
      return c.answer;
    });
    SendMessageW(form.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ(calls, 1) << c.name;
    EXPECT_EQ(seen, form.hwnd()) << c.name << ": the window's own client DC";
    ASSERT_EQ(boxes_.size(), c.boxes) << c.name;
    if (c.boxes) {
      EXPECT_EQ(boxes_[0].text, L"コピー失敗");
      EXPECT_EQ(boxes_[0].title, L"sample");
      EXPECT_EQ(boxes_[0].style, static_cast<UINT>(MB_OK));
    }
    EXPECT_TRUE(form.Exists()) << c.name;
  }
}

// Closes the first box titled "sample" that appears and remembers its texts.
class BoxAnswerer {
 public:
  BoxAnswerer() : thread_([this] { Run(); }) {}
  ~BoxAnswerer() {
    stop_ = true;
    Join();
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool seen() const { return seen_; }
  const std::wstring& texts() const { return texts_; }

 private:
  void Run() {
    for (int i = 0; i < 500 && !stop_; ++i) {
      if (HWND box = FindWindowW(L"#32770", L"sample")) {
        EnumChildWindows(box, &BoxAnswerer::Collect, reinterpret_cast<LPARAM>(this));
        seen_ = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  }
  static BOOL CALLBACK Collect(HWND child, LPARAM self) {
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    reinterpret_cast<BoxAnswerer*>(self)->texts_ += text;
    reinterpret_cast<BoxAnswerer*>(self)->texts_ += L"|";
    return TRUE;
  }
  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::wstring texts_;
  std::thread thread_;
};

TEST_F(ClipFormTest, AFailingControlGoesToTheErrorReportNotToCopyFailed) {
  ClipForm& form = ClipForm::Instance();
  form.Show();
  form.SetFrameCopier([](HDC) -> bool {
    throw convert::RuntimeError(static_cast<long>(0x80040200), L"control refused");
  });
  BoxAnswerer answerer;
  // Returns once the error report has been answered.
  SendMessageW(form.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
  answerer.Join();
  EXPECT_TRUE(answerer.seen()) << "the error report was not shown";
  EXPECT_NE(answerer.texts().find(L"control refused"), std::wstring::npos);
  EXPECT_TRUE(boxes_.empty()) << "the failure is not reported as a failed copy";
  EXPECT_TRUE(form.Exists());
}

TEST_F(ClipFormTest, ClosingDestroysWindowAndPictureAndShowStartsAfresh) {
  ASSERT_TRUE(PutDib(CF_DIB, PackedDib(40, 30, kRed)));
  ShowClipboard();
  ClipForm& form = ClipForm::Instance();
  HWND first = form.hwnd();
  SendMessageW(first, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(form.Exists());
  EXPECT_EQ(form.picture().kind(), Kind::kNone);
  form.Show();
  UpdateWindow(form.hwnd());
  EXPECT_EQ(ClientPixel(form.hwnd(), 10, 10), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
