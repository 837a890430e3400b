#include "codec/vfw_codecs.h"

#include <windows.h>
#include <vfw.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "basics/handles.h"
#include "core/avi_chunks.h"
#include "core/bmp_writer.h"
#include "core/capture_error.h"
#include "core/stored_settings.h"

namespace morvane {

std::wstring FourCcText(std::uint32_t fourcc) {
  std::wstring text;
  for (int i = 0; i < 4; ++i) {
    const wchar_t c = static_cast<wchar_t>((fourcc >> (8 * i)) & 0xFF);
    text += c >= 0x20 && c < 0x7F ? c : L'?';
  }
  return text;
}

namespace {

using UniqueHic = basics::UniqueAny<HIC, decltype(&::ICClose), ::ICClose>;

// Frames between the key frames we ask for; a compressor may add more.
constexpr LONG kKeyFrameEvery = 15;

[[noreturn]] void ThrowCompressor(std::uint32_t handler, const wchar_t* what, std::uint32_t code = 0) {
  throw CaptureError(CaptureErrorKind::kDeviceFailed, L"圧縮方式 " + FourCcText(handler) + what, code);
}

// Codecs answer ICSetState with the bytes they used or with ICERR_OK; only
// an error code is a refusal.
bool TakesState(HIC hic, const CompressorState& state) {
  return state.empty() || ICSetState(hic, const_cast<std::uint8_t*>(state.data()), state.size()) >= 0;
}

UniqueHic OpenCompressor(std::uint32_t handler) {
  UniqueHic hic(::ICOpen(ICTYPE_VIDEO, handler, ICMODE_COMPRESS));
  if (!hic) ThrowCompressor(handler, L" がありません (ｱﾝｲﾝｽﾄｰﾙされた可能性があります)。");
  return hic;
}

UniqueHic OpenCompressor(std::uint32_t handler, const CompressorState& state) {
  UniqueHic hic = OpenCompressor(handler);
  if (!TakesState(hic.get(), state)) ThrowCompressor(handler, L" は保存された設定を受け付けません。");
  return hic;
}

// The compressor's output format for input (its whole BITMAPINFO, as long
// as it says), after checking it takes input at all.
std::vector<std::uint8_t> OutputFormat(HIC hic, std::uint32_t handler, BITMAPINFO& input) {
  if (ICCompressQuery(hic, &input, nullptr) != ICERR_OK) {
    ThrowCompressor(handler, L" はこの大きさの 24 ﾋﾞｯﾄ映像を圧縮できません。");
  }
  const LRESULT size = ICCompressGetFormatSize(hic, &input);
  // What a codec says of its own output format beyond what a file takes is not a format.
  if (size > static_cast<LRESULT>(avi::kMaxVideoFormat)) ThrowCompressor(handler, L" の出力形式を得られません。");
  std::vector<std::uint8_t> output(std::max<std::size_t>(sizeof(BITMAPINFOHEADER), size > 0 ? size : 0), 0);
  if (ICCompressGetFormat(hic, &input, reinterpret_cast<BITMAPINFO*>(output.data())) != ICERR_OK) {
    ThrowCompressor(handler, L" の出力形式を得られません。");
  }
  return output;
}

BITMAPINFO InputFormat(const FrameFormat& format) {
  BITMAPINFO input{};
  const auto header = MakeBitmapInfoHeader(format);
  std::memcpy(&input.bmiHeader, header.data(), sizeof(BITMAPINFOHEADER));
  return input;
}

// Frames through ICCompress, one after another: the compressor is asked
// for a key frame every kKeyFrameEvery frames, is handed the frame before
// for the others, and says itself which frames it made key frames.
class InstalledEncoder final : public FrameEncoder {
 public:
  InstalledEncoder(std::uint32_t handler, int quality, const CompressorState& state, const FrameFormat& format)
      : handler_(handler),
        quality_(static_cast<DWORD>(quality) * (ICQUALITY_HIGH / 100)),
        format_(format),
        hic_(OpenCompressor(handler, state)),
        input_(InputFormat(format)),
        output_format_(OutputFormat(hic_.get(), handler, input_)) {
    const LRESULT size = ICCompressGetSize(hic_.get(), &input_, Output());
    buffer_.assign(size > 0 ? static_cast<std::size_t>(size) : format.ImageSize() * 2, 0);
    if (ICCompressBegin(hic_.get(), &input_, Output()) != ICERR_OK) ThrowCompressor(handler, L" を開始できません。");
    previous_.assign(format.ImageSize(), 0);
  }
  ~InstalledEncoder() override { ICCompressEnd(hic_.get()); }
  InstalledEncoder(const InstalledEncoder&) = delete;
  InstalledEncoder& operator=(const InstalledEncoder&) = delete;

  void Encode(const std::uint8_t* bits, std::vector<std::uint8_t>& out, bool& key_frame) override {
    const bool want_key = frame_ % kKeyFrameEvery == 0;
    BITMAPINFOHEADER* output = &Output()->bmiHeader;
    output->biSizeImage = static_cast<DWORD>(buffer_.size());
    DWORD chunk_id = 0;
    DWORD flags = 0;
    const DWORD result = ::ICCompress(hic_.get(), want_key ? ICCOMPRESS_KEYFRAME : 0, output, buffer_.data(),
                                      &input_.bmiHeader, const_cast<std::uint8_t*>(bits), &chunk_id, &flags,
                                      frame_, 0, quality_, want_key ? nullptr : &input_.bmiHeader,
                                      want_key ? nullptr : previous_.data());
    if (result != ICERR_OK || output->biSizeImage == 0 || output->biSizeImage > buffer_.size()) {
      ThrowCompressor(handler_, L" で圧縮できませんでした。", result);
    }
    out.assign(buffer_.data(), buffer_.data() + output->biSizeImage);
    key_frame = (flags & AVIIF_KEYFRAME) != 0;
    std::memcpy(previous_.data(), bits, format_.ImageSize());
    ++frame_;
  }

 private:
  BITMAPINFO* Output() { return reinterpret_cast<BITMAPINFO*>(output_format_.data()); }

  const std::uint32_t handler_;
  const DWORD quality_;
  const FrameFormat format_;
  UniqueHic hic_;
  BITMAPINFO input_;
  std::vector<std::uint8_t> output_format_;  // the compressor's BITMAPINFO, as long as it says
  std::vector<std::uint8_t> buffer_;
  std::vector<std::uint8_t> previous_;
  LONG frame_ = 0;
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
    found.push_back({info.fccHandler, name, ICQueryConfigure(hic.get()), ICQueryAbout(hic.get())});
    info = ICINFO{};
    info.dwSize = sizeof(info);
  }
  return found;
}

CompressorCheck CheckCompressor(std::uint32_t handler, const CompressorState& state) {
  UniqueHic hic(::ICOpen(ICTYPE_VIDEO, handler, ICMODE_COMPRESS));
  if (!hic) return CompressorCheck::kGone;
  return TakesState(hic.get(), state) ? CompressorCheck::kReady : CompressorCheck::kStateRefused;
}

bool ConfigureCompressor(std::uint32_t handler, HWND owner, CompressorState& state) {
  UniqueHic hic = OpenCompressor(handler);
  // Settings it no longer takes (kept by an earlier version) are what the
  // user is about to set anew: its dialog opens on its defaults instead,
  // in an instance the refused settings never reached.
  if (!TakesState(hic.get(), state)) hic = OpenCompressor(handler);
  if (ICConfigure(hic.get(), owner) != ICERR_OK) return false;
  const LRESULT size = ICGetState(hic.get(), nullptr, 0);
  CompressorState changed;
  if (size > 0) {
    if (static_cast<std::size_t>(size) > kMaxCompressorState) ThrowCompressor(handler, L" の設定は大きすぎて保存できません。");
    changed.assign(static_cast<std::size_t>(size), 0);
    if (ICGetState(hic.get(), changed.data(), changed.size()) < 0) ThrowCompressor(handler, L" の設定を読み取れません。");
  }
  state.swap(changed);
  return true;
}

void ShowCompressorAbout(std::uint32_t handler, HWND owner) {
  ICAbout(OpenCompressor(handler).get(), owner);
}

std::vector<std::uint8_t> CompressorOutputFormat(std::uint32_t handler, const CompressorState& state,
                                                 const FrameFormat& format) {
  UniqueHic hic = OpenCompressor(handler, state);
  BITMAPINFO input = InputFormat(format);
  return OutputFormat(hic.get(), handler, input);
}

MakeFrameEncoder MakeInstalledEncoder(std::uint32_t handler, int quality, const CompressorState& state,
                                      const FrameFormat& format) {
  return [handler, quality, state, format] {
    return std::make_unique<InstalledEncoder>(handler, quality, state, format);
  };
}

}  // namespace morvane
