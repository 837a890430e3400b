#include "bmp_writer.h"

#include <cstring>
#include <system_error>

#include "capture_error.h"
#include "file_sink.h"

namespace morvane {
namespace {

void Put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void CheckFormat(const FrameFormat& format, const void* bits) {
  if (!IsValidFrameFormat(format)) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat, L"画像の形式が正しくありません。");
  }
  if (bits == nullptr) {
    throw CaptureError(CaptureErrorKind::kInvalidArgument, L"保存する画像がありません。");
  }
}

// 96 dots per inch, in dots per metre.
constexpr std::uint32_t kPixelsPerMetre = 3780;

}  // namespace

std::array<std::uint8_t, kBitmapInfoHeaderSize> MakeBitmapInfoHeader(const FrameFormat& format) {
  std::array<std::uint8_t, kBitmapInfoHeaderSize> h{};
  Put32(&h[0], kBitmapInfoHeaderSize);
  Put32(&h[4], static_cast<std::uint32_t>(format.width));
  Put32(&h[8], static_cast<std::uint32_t>(format.height));  // positive: bottom-up
  Put16(&h[12], 1);
  Put16(&h[14], static_cast<std::uint16_t>(format.bits_per_pixel));
  Put32(&h[16], 0);  // BI_RGB
  Put32(&h[20], static_cast<std::uint32_t>(format.ImageSize()));
  Put32(&h[24], kPixelsPerMetre);
  Put32(&h[28], kPixelsPerMetre);
  return h;
}

std::vector<std::uint8_t> MakePackedDib(const FrameFormat& format, const std::uint8_t* bits) {
  CheckFormat(format, bits);
  const auto header = MakeBitmapInfoHeader(format);
  std::vector<std::uint8_t> dib(header.size() + format.ImageSize());
  std::memcpy(dib.data(), header.data(), header.size());
  std::memcpy(dib.data() + header.size(), bits, format.ImageSize());
  return dib;
}

void WriteBmp(const std::filesystem::path& path, const FrameFormat& format, const std::uint8_t* bits) {
  CheckOutputPath(path);
  CheckFormat(format, bits);
  const std::uint32_t offset = kBitmapFileHeaderSize + kBitmapInfoHeaderSize;
  std::uint8_t file_header[kBitmapFileHeaderSize] = {'B', 'M'};
  Put32(file_header + 2, static_cast<std::uint32_t>(offset + format.ImageSize()));
  Put32(file_header + 10, offset);
  const auto info = MakeBitmapInfoHeader(format);

  // Written beside the target and moved over it when complete: a failure
  // half way leaves the previous picture of that name as it was, not a
  // truncated one the user would take for the frame.
  std::filesystem::path partial = path;
  partial += ".part";
  CheckOutputPath(partial);
  auto sink = CreateFileSink(partial);
  try {
    sink->Write(file_header, sizeof file_header);
    sink->Write(info.data(), info.size());
    sink->Write(bits, format.ImageSize());
    sink->Close();
    MoveFileOver(partial, path);
  } catch (const CaptureError&) {
    sink.reset();
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    throw;
  }
}

}  // namespace morvane
