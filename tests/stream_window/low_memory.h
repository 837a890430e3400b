// Frame buffers at addresses that fit in 32 bits: the control's event hands
// addresses over as 32-bit values, also in the 64-bit build. Shared by the
// tests and the benches that hand frames over.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "dib_header.h"

namespace test_support {

class LowMemory {
 public:
  explicit LowMemory(std::size_t size) {
    // Walk candidate addresses below 4 GiB until one is free.
    for (std::uintptr_t at = 0x20000000; at < 0xF0000000u && !data_; at += 0x01000000) {
      data_ = VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    }
  }
  ~LowMemory() {
    if (data_) VirtualFree(data_, 0, MEM_RELEASE);
  }
  LowMemory(const LowMemory&) = delete;
  LowMemory& operator=(const LowMemory&) = delete;

  void* get() const { return data_; }
  long address() const { return static_cast<long>(reinterpret_cast<std::uintptr_t>(data_)); }

 private:
  void* data_ = nullptr;
};

// A bottom-up 32-bit frame with a header in front of its pixels, as the
// control hands it over; Pixel(x, y) counts y from the top.
class Frame {
 public:
  Frame(int width, int height)
      : width_(width), height_(height), info_(sizeof(BITMAPINFOHEADER)), bits_(std::size_t(width) * height * 4) {
    if (info_.get()) PutDibHeader(info_.get(), width, height, 32);
  }
  void SetPixel(int x, int y, COLORREF colour) {
    auto* row = static_cast<std::uint32_t*>(bits_.get()) + std::size_t(height_ - 1 - y) * width_;
    row[x] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  }
  void Fill(COLORREF colour) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) SetPixel(x, y, colour);
  }
  bool ok() const { return info_.get() && bits_.get(); }
  long info_address() const { return info_.address(); }
  long bits_address() const { return bits_.address(); }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  LowMemory info_;
  LowMemory bits_;
};

}  // namespace test_support
