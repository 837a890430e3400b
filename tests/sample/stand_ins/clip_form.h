// Stand-in for the clipboard window with the agreed interface, used only
// while the real window is not in the tree.
#pragma once

#include <windows.h>

#include <functional>

namespace sample {

class ClipForm {
 public:
  static ClipForm& Instance();
  bool Exists() const { return exists_; }
  void Show() { exists_ = true; }
  void GetClipBoard() {}
  using FrameCopier = std::function<bool(HDC)>;
  void SetFrameCopier(FrameCopier copier) { copier_ = std::move(copier); }
  void Destroy() { exists_ = false; }
  HWND hwnd() const { return nullptr; }

 private:
  bool exists_ = false;
  FrameCopier copier_;
};

}  // namespace sample
