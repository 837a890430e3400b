// The preview as a container shows it: the pattern moving in the control's
// own window.
#include <vector>

#include "control_fixture.h"

namespace morvane_test {
namespace {

class ShownControlTest : public ControlTest {
 protected:
  bool ShowHost() const override { return true; }
};

TEST_F(ShownControlTest, PreviewMovesInTheControlsWindow) {
  HWND window = host_->control_window();
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreviewRate, Var::R8(25).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(1).v).hr);
  auto snapshot = [&] {
    HDC dc = ::GetDC(window);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 240; y += 6) {
      for (int x = 0; x < 320; x += 6) pixels.push_back(::GetPixel(dc, x, y));
    }
    ::ReleaseDC(window, dc);
    return pixels;
  };
  TestHost::Pump(400);
  auto first = snapshot();
  TestHost::Pump(400);
  auto second = snapshot();
  int lit = 0, moved = 0;
  for (size_t i = 0; i < first.size(); ++i) {
    lit += first[i] != RGB(0, 0, 0);
    moved += first[i] != second[i];
  }
  EXPECT_GT(lit, static_cast<int>(first.size() / 2)) << "the pattern fills the window";
  EXPECT_GT(moved, 0) << "the picture changes between frames";
}

}  // namespace
}  // namespace morvane_test
