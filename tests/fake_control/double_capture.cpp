// The stand-in's captures: frames raised as StreamFrame events from buffers
// whose addresses fit the event's 32-bit parameters, the container's answer
// read from the stop flag, and CaptureComplete at the end.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "dib_header.h"
#include "double_control.h"
#include "double_log.h"

namespace morvane_double {
namespace {

// Writes the header of a bottom-up 32-bit colour DIB at bytes, as frames and
// copies both start.
void PutColourHeader(unsigned char* bytes, long width, long height) {
  test_support::PutDibHeader(bytes, width, height, 32);
}

// A frame header and pixels below 4 GiB, also in a 64-bit process.
class LowFrame {
 public:
  LowFrame(long width, long height) : width_(width), height_(height) {
    size_ = sizeof(BITMAPINFOHEADER) + static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    for (std::uintptr_t at = 0x30000000; at < 0xF0000000u && !data_; at += 0x01000000) {
      data_ = static_cast<unsigned char*>(
          VirtualAlloc(reinterpret_cast<void*>(at), size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    }
    if (data_) PutColourHeader(data_, width, height);
  }
  ~LowFrame() {
    if (data_) VirtualFree(data_, 0, MEM_RELEASE);
  }
  LowFrame(const LowFrame&) = delete;
  LowFrame& operator=(const LowFrame&) = delete;

  bool ok() const { return data_ != nullptr; }
  LONG info_address() const { return static_cast<LONG>(reinterpret_cast<std::uintptr_t>(data_)); }
  LONG bits_address() const {
    return static_cast<LONG>(reinterpret_cast<std::uintptr_t>(data_ + sizeof(BITMAPINFOHEADER)));
  }

  // Colour bars that move one step a frame, so that two frames a moment
  // apart look different.
  void Paint(long number) {
    auto* pixels = reinterpret_cast<std::uint32_t*>(data_ + sizeof(BITMAPINFOHEADER));
    static constexpr std::uint32_t kBars[] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                              0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
    for (long y = 0; y < height_; ++y) {
      for (long x = 0; x < width_; ++x) {
        const long bar = ((x + number * 4) * 8 / width_) % 8;
        pixels[y * width_ + x] = kBars[bar];
      }
    }
  }

 private:
  long width_;
  long height_;
  size_t size_ = 0;
  unsigned char* data_ = nullptr;
};

VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// Lets the container's messages run for a while, as a capture loop does.
// False when WM_QUIT came: the program is ending.
bool PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= milliseconds) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
  }
}

}  // namespace

HRESULT DoubleControl::RunCapture(const std::string& method) {
  // The container may let go of us from inside an event.
  Microsoft::WRL::ComPtr<IDispatch> keep(static_cast<IDispatch*>(this));
  CapturePlan plan;
  auto found = script_.captures.find(method);
  if (found != script_.captures.end()) plan = found->second;
  const bool callbacks = script_.values["CallbackEnabled"].number != 0;
  LowFrame frame(plan.width, plan.height);
  if (!frame.ok()) return E_OUTOFMEMORY;
  CallLog& log = CallLog::Instance();

  long captured = 0;
  for (long i = 0; i < plan.frames; ++i) {
    frame.Paint(++frame_number_);
    ++captured;
    if (callbacks) {
      SHORT stop = 0;
      VARIANT args[5] = {Long(plan.width), Long(plan.height), Long(frame.info_address()),
                         Long(frame.bits_address()), {}};
      VariantInit(&args[4]);
      args[4].vt = VT_BYREF | VT_I2;
      args[4].piVal = &stop;
      Fire(kStreamFrameEvent.dispid, args, 5);
      log.Write("event " + std::to_string(kStreamFrameEvent.index) + " StreamFrame " + std::to_string(plan.width) +
                " " + std::to_string(plan.height) + " stop=" + std::to_string(stop));
      if (stop != 0) break;
    }
    if (!PumpFor(static_cast<DWORD>(plan.delay_ms))) {
      log.Write("quit " + method);
      return S_OK;
    }
  }

  if (plan.complete != CapturePlan::Complete::kNone) {
    const bool given = plan.complete == CapturePlan::Complete::kGiven;
    VARIANT args[2] = {Long(given ? plan.captured : captured), Long(given ? plan.dropped : 0)};
    // Written first: the container's report of it may stay open a long time.
    log.Write("event " + std::to_string(kCaptureCompleteEvent.index) + " CaptureComplete " +
              std::to_string(args[0].lVal) + " " + std::to_string(args[1].lVal));
    Fire(kCaptureCompleteEvent.dispid, args, 2);
  }
  return S_OK;
}

void DoubleControl::Fire(DISPID dispid, VARIANT* args, UINT count) {
  try {
    const std::vector<Microsoft::WRL::ComPtr<IDispatch>> sinks = events_.Sinks();
    // DISPPARAMS take the arguments last to first.
    std::vector<VARIANT> reversed(args, args + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, count, 0};
    for (const auto& sink : sinks) {
      sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
  } catch (const std::bad_alloc&) {
    // An event that cannot be raised for want of memory is lost, not fatal.
  }
}

void DoubleControl::DrawFrameInto(HDC dc, int width, int height) {
  RECT all{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(RGB(0, 128, 255));
  if (brush) {
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
}

void DoubleControl::CopyFrameToClipboard() {
  constexpr long kWidth = 160;
  constexpr long kHeight = 120;
  const size_t size = sizeof(BITMAPINFOHEADER) + kWidth * kHeight * 4;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return;
  auto* bytes = static_cast<unsigned char*>(GlobalLock(memory));
  PutColourHeader(bytes, kWidth, kHeight);
  // Each copy has its own colour, so a test can tell two copies apart.
  static constexpr std::uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  const std::uint32_t colour = kColours[(frame_number_++) % 4];
  auto* pixels = reinterpret_cast<std::uint32_t*>(bytes + sizeof(BITMAPINFOHEADER));
  for (long i = 0; i < kWidth * kHeight; ++i) pixels[i] = colour;
  GlobalUnlock(memory);
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    if (SetClipboardData(CF_DIB, memory)) memory = nullptr;
    CloseClipboard();
  }
  if (memory) GlobalFree(memory);
}

}  // namespace morvane_double
