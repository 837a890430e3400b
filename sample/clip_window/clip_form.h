// The clipboard window: shows the picture the clipboard held when it was last
// asked, and lets a double-click have the capture control draw its current
// frame straight into it.
#pragma once

#include <windows.h>

#include <functional>

#include "clip_window/clip_picture.h"
#include "forms/tool_window.h"

namespace sample {

// Show() creates the window in its initial state if needed and shows it
// modeless, with no owner; Destroy() closes it and drops its picture without
// running any handler.
class ClipForm final : public forms::ToolWindow<ClipForm> {
 public:
  // The clipboard's picture becomes the window's background picture; a
  // clipboard without a picture clears it. Throws convert::RuntimeError.
  void GetClipBoard();

  // How a double-click reaches the capture control: draws the control's
  // current frame into the DC and returns the control's answer; may throw.
  using FrameCopier = std::function<bool(HDC)>;
  void SetFrameCopier(FrameCopier copier);

  // The modal box that reports a failed copy. Tests answer it themselves.
  using MessageBoxShower = std::function<int(HWND owner, const wchar_t* text, const wchar_t* title, UINT style)>;
  void SetMessageBoxShower(MessageBoxShower shower);

  const ClipPicture& picture() const { return picture_; }

 private:
  friend class forms::Window<ClipForm>;
  friend class forms::ToolWindow<ClipForm>;

  ClipForm();
  ~ClipForm() = default;

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);
  void OnPaint();
  void OnDoubleClick();

  ClipPicture picture_;
  FrameCopier copier_;
  MessageBoxShower message_box_;
};

}  // namespace sample
