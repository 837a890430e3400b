// JPEG through the system's imaging codecs (WIC): frames of the control's
// layout (24-bit BGR, bottom-up DIB rows) in and out. One codec per thread:
// it keeps its factory, its output stream and its row buffer between frames,
// so a steady stream of frames reuses them.
#pragma once

#include <wincodec.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/frame_format.h"

namespace morvane {

// Quality as users set it: 1 (smallest) to 100 (best).
constexpr int kMinJpegQuality = 1;
constexpr int kMaxJpegQuality = 100;
constexpr int kDefaultJpegQuality = 75;

class JpegCodec {
 public:
  // COM must be initialised on the calling thread. Throws CaptureError when
  // the system has no imaging codecs.
  JpegCodec();
  JpegCodec(const JpegCodec&) = delete;
  JpegCodec& operator=(const JpegCodec&) = delete;

  // One frame of format.ImageSize() bytes into a whole JPEG (out is
  // replaced). Throws CaptureError when the encoder fails.
  void Encode(const FrameFormat& format, const std::uint8_t* bits, int quality, std::vector<std::uint8_t>& out);
  // A JPEG into a frame of `format`, scaled to its size when the picture
  // has another. False, leaving bits as they may be, for anything but a
  // whole JPEG the decoder reads (checked with ScanJpeg first).
  bool Decode(const std::uint8_t* data, std::size_t size, const FrameFormat& format, std::uint8_t* bits) noexcept;

 private:
  bool DecodeWhole(const std::uint8_t* data, std::size_t size, const FrameFormat& format, std::uint8_t* bits);

  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
  Microsoft::WRL::ComPtr<IStream> out_stream_;
  std::vector<std::uint8_t> rows_;     // top-down rows of a decoded picture
  std::vector<std::uint8_t> patched_;  // a camera's JPEG with the standard tables put in
};

}  // namespace morvane
