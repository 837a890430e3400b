// Device frames of any layout, size and length into the converter. It takes
// exactly the frames whose buffer holds what their type promises, reads no
// byte past the stated length (the buffer ends there), writes no byte past
// the target, and the picture's top-left pixel lands in the last row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frame_convert.h"

namespace {

using morvane::PixelLayout;

morvane::Bgr TopLeft(const morvane::SourceFrame& source, const std::uint8_t* data) {
  const std::size_t row = source.top_down ? 0 : static_cast<std::size_t>(source.height - 1) * morvane::SourceStride(source);
  const std::uint8_t* p = data + row;
  switch (source.layout) {
    case PixelLayout::kYuy2:
      return morvane::YuvToBgr(p[0], p[1], p[3]);
    case PixelLayout::kUyvy:
      return morvane::YuvToBgr(p[1], p[0], p[2]);
    default:
      return {p[0], p[1], p[2]};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t length) {
  if (length < 6) return 0;
  morvane::SourceFrame source;
  source.layout = static_cast<PixelLayout>(bytes[0] % 5);  // 4 is no layout at all
  source.width = 12 + bytes[1] % 60;
  source.height = 12 + bytes[2] % 60;
  source.top_down = (bytes[3] & 1) != 0;
  morvane::FrameFormat target;
  target.width = (bytes[3] & 2) ? source.width + 2 : source.width;
  target.height = source.height;
  const std::size_t needed = morvane::LayoutBitsPerPixel(source.layout) ? morvane::SourceImageSize(source) : 64;
  const int change = static_cast<int>(bytes[4]) - 128;
  const std::size_t size = change < 0 && static_cast<std::size_t>(-change) > needed ? 0 : needed + change;

  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = bytes[5 + i % (length - 5)];
  std::vector<std::uint8_t> out(target.ImageSize() + 1, 0xEE);
  const bool converted = morvane::ConvertFrame(source, data.data(), data.size(), target, out.data());

  const bool should = morvane::CanConvert(source, target) && size >= needed;
  if (converted != should) std::abort();
  if (out.back() != 0xEE) std::abort();
  if (!converted) {
    for (std::uint8_t byte : out) if (byte != 0xEE) std::abort();
    return 0;
  }
  const morvane::Bgr want = TopLeft(source, data.data());
  const std::uint8_t* got = out.data() + static_cast<std::size_t>(target.height - 1) * target.Stride();
  if (got[0] != want.b || got[1] != want.g || got[2] != want.r) std::abort();
  return 0;
}
