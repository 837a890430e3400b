// The stream window: a plain tool window into whose client area every
// streamed frame is drawn straight from the capture control's buffers.
#pragma once

#include <windows.h>

#include "forms/tool_window.h"

namespace sample {

class StreamForm final : public forms::ToolWindow<StreamForm> {
 public:
  // Draws one frame one to one at the client area's top-left corner. The
  // addresses are the 32-bit values the control's event carries. Throws
  // convert::RuntimeError when there is no window or no device context.
  // Allocates nothing and copies nothing.
  void DrawFrame(long width, long height, long bitmap_info_address, long bits_address);

 private:
  friend class forms::Window<StreamForm>;
  friend class forms::ToolWindow<StreamForm>;

  StreamForm();
  ~StreamForm() = default;

  // Nothing here can throw: the window only remembers its device context.
  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);
  // A window without its device context is no use: it is refused.
  void OnCreated();

  // The class has its own device context (CS_OWNDC), so the one fetched at
  // creation stays valid for the window's life and no frame pays for
  // GetDC/ReleaseDC.
  HDC dc_ = nullptr;
};

}  // namespace sample
