// Compressed capture, measured: real-time file captures through the control
// at 30 fps (1280x720 and 1920x1080 from a synthetic device encoded to
// Motion JPEG, or a camera's Motion JPEG kept as it comes), each with its
// dropped frames, the process's CPU time per frame and its file size
// against the same frames uncompressed; then the control's encoding stage
// run free against a bare loop calling the same JPEG encoder on the same
// frames, CPU time per frame side by side.
//   compression_bench [seconds] [camera]
#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "basics/com_object.h"
#include "codec/encode_pool.h"
#include "codec/jpeg_codec.h"
#include "codec/video_stage.h"
#include "control.h"
#include "control_bench.h"
#include "core/avi_chunks.h"
#include "core/pattern.h"

namespace {

using bench::Flag;
using bench::Number;
using bench::Put;
using bench::PutText;

constexpr wchar_t kBenchUser[] = L"Software\\Morvane\\BenchUser";
constexpr int kQuality = 75;

double CpuSeconds() {
  FILETIME created, ended, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double WallSeconds() {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The compression the next control starts with, as the dialog stores it.
void StoreCompression(DWORD compression) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Morvane\\Capture", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD quality = kQuality;
  ::RegSetValueExW(key, L"Compression", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&compression), sizeof compression);
  ::RegSetValueExW(key, L"CompressionQuality", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&quality), sizeof quality);
  ::RegCloseKey(key);
}

// A shown window the control is in place in, previewing, as a host shows
// it during a capture; it goes before the control's last reference.
class PreviewHost {
 public:
  bool Show(IDispatch* control) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = ::DefWindowProcW;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MorvaneCompressionBench";
    ::RegisterClassW(&window_class);
    window_ = ::CreateWindowExW(0, window_class.lpszClassName, L"compression bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                340, 260, nullptr, nullptr, window_class.hInstance, nullptr);
    RECT rect{0, 0, 320, 240};
    if (!window_ || FAILED(control->QueryInterface(IID_PPV_ARGS(&object_)))) return false;
    site_ = basics::Adopt(new morvane_test::InPlaceSite(window_, rect));
    return SUCCEEDED(object_->SetClientSite(site_.Get())) &&
           SUCCEEDED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, window_, &rect)) &&
           SUCCEEDED(Put(control, morvane::dispid::kPreview, Flag(true)));
  }
  ~PreviewHost() {
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
    }
    if (window_) ::DestroyWindow(window_);
  }

 private:
  HWND window_ = nullptr;
  Microsoft::WRL::ComPtr<IOleObject> object_;
  Microsoft::WRL::ComPtr<IOleClientSite> site_;
};

int Capture(const std::wstring& file, int device, int width, int height, double seconds, const char* label,
            bool preview = false) {
  StoreCompression(morvane::kCompressionMotionJpeg);
  Microsoft::WRL::ComPtr<IDispatch> control;
  if (FAILED(morvane::Control::Create(IID_PPV_ARGS(&control)))) {
    std::printf("control not created\n");
    return 1;
  }
  PreviewHost host;
  if (preview && !host.Show(control.Get())) {
    std::printf("control not shown in place\n");
    return 1;
  }
  PutText(control.Get(), morvane::dispid::kCaptureFileName, file.c_str());
  if (device > 0) Put(control.Get(), morvane::dispid::kDeviceIndex, Number(device));
  Put(control.Get(), morvane::dispid::kCaptureWidth, Number(width));
  Put(control.Get(), morvane::dispid::kCaptureHeight, Number(height));
  Put(control.Get(), morvane::dispid::kCaptureRate, Number(30));
  Put(control.Get(), morvane::dispid::kTimeLimit, Number(seconds));
  Put(control.Get(), morvane::dispid::kTimeLimitEnabled, Flag(true));

  bench::CaptureSink sink;
  Microsoft::WRL::ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  if (!bench::Advise(control.Get(), &sink, point, cookie)) {
    return 1;
  }
  const double cpu_start = CpuSeconds();
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const HRESULT hr = control->Invoke(morvane::dispid::kStartCapture, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                                     nullptr, nullptr);
  const double cpu = CpuSeconds() - cpu_start;
  point->Unadvise(cookie);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
  const double bytes = static_cast<double>(static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
  const double raw = static_cast<double>(morvane::FrameFormat{width, height, 24}.ImageSize()) * (sink.captured + sink.dropped);
  const double slots = static_cast<double>(sink.captured + sink.dropped);
  std::printf("%-34s captured %4ld dropped %3ld (%.1f %%)  CPU %.1f ms/frame  file %.1f MB, uncompressed %.1f MB (%.1fx)%s\n",
              label, sink.captured, sink.dropped, slots > 0 ? 100.0 * sink.dropped / slots : 0.0,
              sink.captured > 0 ? 1000.0 * cpu / sink.captured : 0.0, bytes / 1e6, raw / 1e6,
              bytes > 0 ? raw / bytes : 0.0, FAILED(hr) ? "  FAILED" : "");
  if (!sink.first_dropped.empty()) {
    std::printf("  first dropped at slot");
    for (long slot : sink.first_dropped) std::printf(" %ld", slot);
    std::printf("\n");
  }
  ::DeleteFileW(file.c_str());
  return FAILED(hr) ? 1 : 0;
}

// One free-running pass of the bare loop: the JPEG encoder called on one
// thread, frame after frame. Returns CPU and wall seconds.
std::pair<double, double> BareLoop(const morvane::FrameFormat& format, const std::vector<std::vector<std::uint8_t>>& frames,
                                   int count) {
  const double cpu = CpuSeconds();
  const double wall = WallSeconds();
  morvane::JpegCodec codec;
  std::vector<std::uint8_t> out;
  for (int i = 0; i < count; ++i) codec.Encode(format, frames[i % frames.size()].data(), kQuality, out);
  return {CpuSeconds() - cpu, WallSeconds() - wall};
}

// One free-running pass of the control's encoding stage into a file: a
// refused frame waits for a slot instead of being dropped.
std::pair<double, double> StagePass(const std::wstring& file, const morvane::FrameFormat& format,
                                    const std::vector<std::vector<std::uint8_t>>& frames, int count) {
  const double cpu = CpuSeconds();
  const double wall = WallSeconds();
  {
    morvane::AviVideoFormat video{format, 33333};
    video.compression = morvane::avi::FourCc("MJPG");
    morvane::AviWriter writer(file, video, std::nullopt);
    morvane::VideoCompression compression;
    compression.kind = morvane::VideoCompression::Kind::kMotionJpeg;
    compression.quality = kQuality;
    auto stage = morvane::MakeVideoStage(compression, format, writer);
    for (int i = 0; i < count; ++i) {
      while (!stage->Put(frames[i % frames.size()].data())) ::Sleep(1);
    }
    stage->Finish();
    writer.Close();
  }
  const std::pair<double, double> spent{CpuSeconds() - cpu, WallSeconds() - wall};
  ::DeleteFileW(file.c_str());
  return spent;
}

// The control's encoding stage against the bare loop on the same frames,
// in turns (bare, stage, bare, stage), the better pass of each counting:
// the machine is shared, and a pass that another process slowed says
// nothing about our code.
void EncodeRatio(const std::wstring& file, int width, int height) {
  const morvane::FrameFormat format{width, height, 24};
  constexpr int kFrames = 90;
  constexpr int kDistinct = 8;
  std::vector<std::vector<std::uint8_t>> frames(kDistinct, std::vector<std::uint8_t>(format.ImageSize()));
  auto pattern = morvane::MakeColourBars();
  for (int i = 0; i < kDistinct; ++i) pattern->Render(format, frames[i].data(), i, i * 33333);
  std::pair<double, double> bare{1e9, 1e9};
  std::pair<double, double> stage{1e9, 1e9};
  for (int pass = 0; pass < 2; ++pass) {
    const auto b = BareLoop(format, frames, kFrames);
    const auto s = StagePass(file, format, frames, kFrames);
    bare = {std::min(bare.first, b.first), std::min(bare.second, b.second)};
    stage = {std::min(stage.first, s.first), std::min(stage.second, s.second)};
  }
  std::printf("encode %dx%d, %d frames: bare loop CPU %.1f ms/frame (wall %.1f); control's stage on %d threads, "
              "file included, CPU %.1f ms/frame (wall %.1f); CPU ratio %.2f (goal <= 1.2)\n",
              width, height, kFrames, 1000 * bare.first / kFrames, 1000 * bare.second / kFrames,
              morvane::EncodingThreads(), 1000 * stage.first / kFrames, 1000 * stage.second / kFrames,
              stage.first / bare.first);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::wcstod(argv[1], nullptr) : 10.0;
  const bool camera = argc > 2 && std::wstring(argv[2]) == L"camera";
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, folder);
  const std::wstring file = std::wstring(folder) + L"morvane_compression_bench.avi";
  if (FAILED(::OleInitialize(nullptr))) return 2;
  if (!morvane_test::RedirectCurrentUser(kBenchUser)) return 2;
  int status = 0;
  if (camera) {
    // The first camera follows the three synthetic devices.
    status |= Capture(file, 3, 1920, 1080, seconds, "camera 1920x1080 MJPG kept");
    status |= Capture(file, 3, 1920, 1080, seconds, "the same, previewed in 320x240", true);
  } else {
    status |= Capture(file, 0, 1280, 720, seconds, "synthetic 1280x720 encoded MJPG");
    status |= Capture(file, 0, 1920, 1080, seconds, "synthetic 1920x1080 encoded MJPG");
    EncodeRatio(file, 1280, 720);
    EncodeRatio(file, 1920, 1080);
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kBenchUser);
  ::OleUninitialize();
  return status;
}
