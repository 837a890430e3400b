// The stream window: a plain tool window into whose client area every
// streamed frame is drawn straight from the capture control's buffers.
#pragma once

#include <windows.h>

namespace sample {

class StreamForm {
 public:
  // The program-wide instance; its window is created on first use.
  static StreamForm& Instance();

  // The window exists now (false before first use and after the user closed it).
  bool Exists() const { return hwnd_ != nullptr; }
  // Creates the window hidden if it does not exist; throws convert::RuntimeError on failure.
  void EnsureCreated();
  // EnsureCreated(), then shows the window modeless, with no owner.
  void Show();
  // Draws one frame one to one at the client area's top-left corner. The
  // addresses are the 32-bit values the control's event carries. Throws
  // convert::RuntimeError when there is no window or no device context.
  // Allocates nothing and copies nothing.
  void DrawFrame(long width, long height, long bitmap_info_address, long bits_address);
  // Closes the window without running any handler (program end).
  void Destroy();
  HWND hwnd() const { return hwnd_; }

  StreamForm(const StreamForm&) = delete;
  StreamForm& operator=(const StreamForm&) = delete;

 private:
  StreamForm() = default;
  ~StreamForm() = default;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCreate(HWND hwnd);
  void OnNcDestroy();

  HWND hwnd_ = nullptr;
  // The class has its own device context (CS_OWNDC), so the one fetched at
  // creation stays valid for the window's life and no frame pays for
  // GetDC/ReleaseDC.
  HDC dc_ = nullptr;
};

}  // namespace sample
