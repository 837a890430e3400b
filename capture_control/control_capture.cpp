// The capture loop. It runs inside StartCapture / StartStreamCapture and
// returns when the capture ends, keeping the thread's messages flowing in
// between frames so the host stays usable (and can stop us).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "control.h"
#include "control_window.h"
#include "core/audio_tone.h"
#include "core/avi_writer.h"
#include "core/bmp_writer.h"
#include "core/capture_error.h"
#include "frame_clock.h"
#include "handles.h"
#include "low_memory.h"

namespace morvane {
namespace {

// Where the bits start in the block that also holds the BITMAPINFOHEADER.
constexpr size_t kBitsOffset = 64;
// How often the status line is rewritten during a capture.
constexpr std::int64_t kStatusIntervalMs = 250;

const wchar_t kConfirmText[] = L"ｷｬﾌﾟﾁｬを開始します。よろしいですか?";
const wchar_t kConfirmCaption[] = L"Morvane";

std::int64_t Now() {
  LARGE_INTEGER value;
  ::QueryPerformanceCounter(&value);
  return value.QuadPart;
}

std::int64_t Frequency() {
  LARGE_INTEGER value;
  ::QueryPerformanceFrequency(&value);
  return value.QuadPart;
}

// Clears the running state however the loop ends.
class CaptureScope {
 public:
  CaptureScope(bool& capturing, const std::uint8_t*& live_bits) : capturing_(capturing), live_bits_(live_bits) {
    capturing_ = true;
  }
  ~CaptureScope() {
    capturing_ = false;
    live_bits_ = nullptr;
  }
  CaptureScope(const CaptureScope&) = delete;
  CaptureScope& operator=(const CaptureScope&) = delete;

 private:
  bool& capturing_;
  const std::uint8_t*& live_bits_;
};

// The first failure of a capture, as the host hears of it: an HRESULT and
// a text. Noting one never throws, so it can be done from any handler.
class CaptureFailure {
 public:
  // Notes the exception being handled, unless a failure was noted before.
  // Only from inside a catch block.
  void NoteCurrent() noexcept {
    if (failed_) return;
    failed_ = true;
    message_ = MessageId::kInternal;
    try {
      try {
        throw;
      } catch (const CaptureError& error) {
        scode_ = error.system_code() ? HRESULT_FROM_WIN32(error.system_code()) : E_FAIL;
        text_ = error.message();
      } catch (const std::bad_alloc&) {
        message_ = MessageId::kOutOfMemory;
      } catch (...) {
        // Anything else (a device's own exception) is an internal error.
      }
    } catch (...) {
      message_ = MessageId::kOutOfMemory;  // no room for the error's text
    }
  }

  explicit operator bool() const { return failed_; }
  // The error as Invoke reports it; its text may fail to allocate, so the
  // message table's own text stands in.
  HRESULT scode() const { return text_.empty() ? Message(message_).scode : scode_; }
  const wchar_t* text() const { return text_.empty() ? Message(message_).text : text_.c_str(); }

 private:
  bool failed_ = false;
  MessageId message_ = MessageId::kInternal;
  HRESULT scode_ = E_FAIL;
  std::wstring text_;
};

// Runs one step of the capture's end; a step that throws is noted as the
// capture's failure (if it is the first) and the next step still runs.
template <typename Step>
void RunEndStep(CaptureFailure& failure, Step&& step) noexcept {
  try {
    step();
  } catch (...) {
    failure.NoteCurrent();
  }
}

// Runs the end of a capture when it goes out of scope, however the loop
// was left.
template <typename End>
class AtCaptureEnd {
 public:
  explicit AtCaptureEnd(End& end) : end_(end) {}
  ~AtCaptureEnd() { end_(); }
  AtCaptureEnd(const AtCaptureEnd&) = delete;
  AtCaptureEnd& operator=(const AtCaptureEnd&) = delete;

 private:
  End& end_;
};

}  // namespace

HRESULT Control::StartCapture(const VARIANT*, VARIANT*) { return RunCapture(true); }

void Control::RequestStop(StopReason reason) {
  if (stop_requested_) return;
  stop_requested_ = true;
  stop_reason_ = reason;
}
HRESULT Control::StartStreamCapture(const VARIANT*, VARIANT*) { return RunCapture(false); }

HRESULT Control::RunCapture(bool to_file) {
  if (capturing_) return Fail(MessageId::kCaptureRunning);
  VideoDevice* device = CurrentDevice();
  if (!device) return Fail(MessageId::kNoDevice);
  const FrameFormat format = CaptureFormat();
  if (!IsValidFrameFormat(format)) return Fail(MessageId::kFrameSizeOutOfRange);
  if (to_file && settings_.capture_file.find_first_not_of(L" \t") == std::wstring::npos) {
    return Fail(MessageId::kEmptyFileName);
  }
  if (settings_.confirm_before_capture) {
    HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
    if (::MessageBoxW(owner, kConfirmText, kConfirmCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return S_OK;
  }
  const double rate = settings_.capture_rate;

  // Everything the loop needs is set up before the first frame, so the
  // steady state allocates nothing.
  LowMemoryBuffer block(kBitsOffset + format.ImageSize());
  const auto header = MakeBitmapInfoHeader(format);
  std::memcpy(block.data(), header.data(), header.size());
  std::uint8_t* bits = block.data() + kBitsOffset;

  std::optional<AudioFormat> audio_format;
  if (to_file && settings_.audio_recording) {
    AudioFormat audio;
    audio.samples_per_second = static_cast<std::uint32_t>(settings_.audio_samples_per_second);
    audio.bits_per_sample = static_cast<std::uint16_t>(settings_.audio_bits_per_sample);
    audio.channels = static_cast<std::uint16_t>(settings_.audio_channels);
    audio_format = audio;
  }
  std::optional<AviWriter> writer;
  if (to_file) {
    AviVideoFormat video;
    video.frame = format;
    video.microseconds_per_frame = static_cast<std::uint32_t>(std::llround(1000000.0 / rate));
    // A file that cannot be created throws here, before anything is raised.
    writer.emplace(settings_.capture_file, video, audio_format);
  }
  std::optional<ToneGenerator> tone;
  std::vector<std::uint8_t> audio_buffer;
  if (audio_format) {
    tone.emplace(*audio_format);
    // One second of sound per write at most; a late loop catches up in
    // several writes.
    audio_buffer.resize(static_cast<size_t>(audio_format->BytesPerSecond()));
  }

  CaptureScope scope(capturing_, live_bits_);
  live_format_ = format;
  live_bits_ = bits;
  stop_requested_ = false;
  stop_reason_ = StopReason::kUserKeyOrClick;
  captured_frames_ = 0;
  dropped_frames_ = 0;
  if (to_file) capture_file_written_ = false;
  if (window_) ::KillTimer(window_, kPreviewTimer);

  ComPtr<IDispatch> self(this);
  StopReason reason = StopReason::kUserKeyOrClick;
  CaptureFailure failure;
  // Whatever ends the capture (a stop, a failed write, a device or an event
  // that throws, memory running out), the file is finished, the host hears
  // CaptureStopped and CaptureComplete, and the preview comes back.
  auto end_capture = [&]() noexcept {
    if (writer) {
      RunEndStep(failure, [&] { writer->Close(); });
      capture_file_written_ = writer->frames_written() > 0;
    }
    // The last frame stays the current one for the still commands; without
    // memory for it they render a fresh frame instead.
    still_format_ = format;
    try {
      still_bits_.assign(bits, bits + format.ImageSize());
    } catch (...) {
      still_bits_.clear();
    }
    live_bits_ = nullptr;
    capturing_ = false;
    RunEndStep(failure, [&] { SetStatus(StatusCaptureEnded()); });
    if (failure) RunEndStep(failure, [&] { FireError(failure.scode(), failure.text()); });
    RunEndStep(failure, [&] { FireCaptureStopped(reason); });
    RunEndStep(failure, [&] { FireCaptureComplete(captured_frames_, dropped_frames_); });
    RunEndStep(failure, [&] { UpdatePreviewTimer(); });
  };
  {
    AtCaptureEnd<decltype(end_capture)> at_end(end_capture);
    try {
  FireCaptureStarted(format.width, format.height);
  wchar_t status[96];
  FormatCaptureStatus(status, 96, !to_file, 0, 0);
  SetStatus(status);

  const std::int64_t limit = settings_.time_limit_enabled && settings_.time_limit > 0
                                 ? FramesForTimeLimit(settings_.time_limit, rate)
                                 : std::numeric_limits<std::int64_t>::max();
  const std::int64_t frequency = Frequency();
  FrameClock clock(frequency, Now(), rate);
  std::int64_t next_slot = 0;
  std::int64_t audio_written = 0;
  std::int64_t last_status = Now();

  for (;;) {
    MSG msg;
    bool quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Not ours to swallow: the host's own loop must still see it.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        quit = true;
        break;
      }
      if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        RequestStop(StopReason::kUserKeyOrClick);
        continue;
      }
      if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN) && settings_.stop_on_left_click) {
        RequestStop(StopReason::kUserKeyOrClick);
      }
      if ((msg.message == WM_RBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN) && settings_.stop_on_right_click) {
        RequestStop(StopReason::kUserKeyOrClick);
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (quit) {
      reason = StopReason::kClosed;
      break;
    }
    if (stop_requested_) {
      reason = stop_reason_;
      break;
    }
    if (next_slot >= limit) {
      reason = StopReason::kTimeLimit;
      break;
    }
    const std::int64_t now = Now();
    std::int64_t slot = clock.SlotAt(now);
    if (slot < next_slot) {
      DWORD wait = clock.MillisecondsUntil(next_slot, now);
      if (wait > 0) ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (slot > next_slot) {
      // Slots that passed while we were busy: their frames are lost.
      const std::int64_t missed = std::min(slot, limit) - next_slot;
      dropped_frames_ += static_cast<long>(missed);
      VARIANTARG argument;
      argument.vt = VT_I4;
      argument.lVal = static_cast<LONG>(next_slot);
      FireEvent(kEventFrameDropped, &argument, 1);
      next_slot = std::min(slot, limit);
      if (next_slot >= limit) {
        reason = StopReason::kTimeLimit;
        break;
      }
    }

    device->Render(format, bits, next_slot, SlotMicroseconds(next_slot, rate));
    if (writer) {
          // A failed write ends the capture; the writer keeps every complete frame.
        writer->WriteVideoFrame(bits, format.ImageSize());
        if (tone) {
          const std::int64_t audio_due = AudioSamplesBefore(next_slot + 1, tone->format().samples_per_second, rate);
          const size_t block_align = tone->format().BlockAlign();
          const std::int64_t per_write = static_cast<std::int64_t>(audio_buffer.size() / block_align);
          while (audio_written < audio_due) {
            const std::int64_t count = std::min(audio_due - audio_written, per_write);
            tone->Generate(audio_buffer.data(), static_cast<size_t>(count));
            writer->WriteAudio(audio_buffer.data(), static_cast<size_t>(count) * block_align);
            audio_written += count;
          }
        }
    }
    ++captured_frames_;
    ++next_slot;
    if (callback_enabled_ && FireStreamFrame(format.width, format.height, block.data(), bits)) {
      reason = StopReason::kStopFlag;
      break;
    }
    if (preview_ && window_) {
      WindowDc dc(window_);
      RECT client{};
      ::GetClientRect(window_, &client);
      if (dc.get()) DrawFrame(dc.get(), client, format, bits, false);
    }
    const std::int64_t after = Now();
    if ((after - last_status) * 1000 >= kStatusIntervalMs * frequency) {
      last_status = after;
      FormatCaptureStatus(status, 96, !to_file, captured_frames_, dropped_frames_);
      SetStatus(status);
    }
  }
    } catch (...) {
      failure.NoteCurrent();
      reason = StopReason::kError;
    }
  }
  if (failure) return FailWith(failure.scode(), failure.text());
  return S_OK;
}

}  // namespace morvane
