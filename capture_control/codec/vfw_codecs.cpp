#include "codec/vfw_codecs.h"

#include <windows.h>
#include <vfw.h>

#include <cstring>
#include <memory>

#include "basics/handles.h"
#include "core/bmp_writer.h"
#include "core/capture_error.h"

namespace morvane {
namespace {

using UniqueHic = basics::UniqueAny<HIC, decltype(&::ICClose), ::ICClose>;

// Frames between the key frames we ask for; a compressor may add more.
constexpr LONG kKeyFrameEvery = 15;

std::uint32_t Lower(std::uint32_t fourcc) {
  std::uint32_t lower = 0;
  for (int i = 0; i < 4; ++i) {
    unsigned c = (fourcc >> (8 * i)) & 0xFF;
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    lower |= c << (8 * i);
  }
  return lower;
}

std::wstring FourCcText(std::uint32_t fourcc) {
  std::wstring text;
  for (int i = 0; i < 4; ++i) {
    const wchar_t c = static_cast<wchar_t>((fourcc >> (8 * i)) & 0xFF);
    text += c >= 0x20 && c < 0x7F ? c : L'?';
  }
  return text;
}

[[noreturn]] void ThrowCompressor(std::uint32_t handler, const wchar_t* what, std::uint32_t code = 0) {
  throw CaptureError(CaptureErrorKind::kDeviceFailed, L"圧縮方式 " + FourCcText(handler) + what, code);
}

class InstalledEncoder final : public FrameEncoder {
 public:
  InstalledEncoder(std::uint32_t handler, int quality, const FrameFormat& format) : handler_(handler) {
    const auto header = MakeBitmapInfoHeader(format);
    std::memcpy(&input_.bmiHeader, header.data(), sizeof(BITMAPINFOHEADER));
    HIC hic = ::ICOpen(ICTYPE_VIDEO, handler, ICMODE_COMPRESS);
    if (!hic) ThrowCompressor(handler, L" がありません (ｱﾝｲﾝｽﾄｰﾙされた可能性があります)。");
    UniqueHic owned(hic);
    if (::ICCompressQuery(hic, &input_, nullptr) != ICERR_OK) {
      ThrowCompressor(handler, L" はこの大きさの 24 ﾋﾞｯﾄ映像を圧縮できません。");
    }
    vars_.cbSize = sizeof(vars_);
    vars_.dwFlags = ICMF_COMPVARS_VALID;
    vars_.hic = owned.release();
    vars_.fccType = ICTYPE_VIDEO;
    vars_.fccHandler = handler;
    vars_.lKey = kKeyFrameEvery;
    vars_.lQ = quality * (ICQUALITY_HIGH / 100);
    if (!::ICSeqCompressFrameStart(&vars_, &input_)) {
      ::ICCompressorFree(&vars_);
      ThrowCompressor(handler, L" を開始できません。");
    }
  }
  ~InstalledEncoder() override {
    ::ICSeqCompressFrameEnd(&vars_);
    // Closes the compressor and frees what the sequence allocated.
    ::ICCompressorFree(&vars_);
  }
  InstalledEncoder(const InstalledEncoder&) = delete;
  InstalledEncoder& operator=(const InstalledEncoder&) = delete;

  void Encode(const std::uint8_t* bits, std::vector<std::uint8_t>& out, bool& key_frame) override {
    BOOL key = FALSE;
    LONG size = 0;
    const void* data = ::ICSeqCompressFrame(&vars_, 0, const_cast<std::uint8_t*>(bits), &key, &size);
    if (!data || size <= 0) ThrowCompressor(handler_, L" で圧縮できませんでした。");
    out.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    key_frame = key != FALSE;
  }

 private:
  const std::uint32_t handler_;
  BITMAPINFO input_{};
  COMPVARS vars_{};
};

}  // namespace

std::vector<InstalledCompressor> InstalledCompressors() {
  std::vector<InstalledCompressor> found;
  ICINFO info{};
  info.dwSize = sizeof(info);
  for (DWORD i = 0; ::ICInfo(ICTYPE_VIDEO, i, &info); ++i) {
    UniqueHic hic(::ICOpen(ICTYPE_VIDEO, info.fccHandler, ICMODE_QUERY));
    if (!hic) continue;
    ICINFO about{};
    about.dwSize = sizeof(about);
    if (::ICGetInfo(hic.get(), &about, sizeof(about)) == 0) continue;
    std::wstring name = about.szDescription[0] ? about.szDescription : about.szName;
    if (name.empty()) name = FourCcText(info.fccHandler);
    found.push_back({info.fccHandler, name});
    info = ICINFO{};
    info.dwSize = sizeof(info);
  }
  return found;
}

bool IsCompressorInstalled(std::uint32_t handler) {
  for (const InstalledCompressor& compressor : InstalledCompressors()) {
    if (Lower(compressor.handler) == Lower(handler)) return true;
  }
  return false;
}

MakeFrameEncoder MakeInstalledEncoder(std::uint32_t handler, int quality, const FrameFormat& format) {
  return [handler, quality, format] { return std::make_unique<InstalledEncoder>(handler, quality, format); };
}

}  // namespace morvane
