// Stand-in for the stream window with the agreed interface, used only while
// the real window is not in the tree. It records and draws nothing.
#pragma once

#include <windows.h>

namespace sample {

class StreamForm {
 public:
  static StreamForm& Instance();
  bool Exists() const { return exists_; }
  void EnsureCreated() { exists_ = true; }
  void Show() { exists_ = true; }
  void DrawFrame(long, long, long, long) {}
  void Destroy() { exists_ = false; }
  HWND hwnd() const { return nullptr; }

 private:
  bool exists_ = false;
};

}  // namespace sample
