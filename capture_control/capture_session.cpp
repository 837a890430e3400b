#include "capture_session.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>

#include "control_window.h"
#include "core/bmp_writer.h"
#include "core/capture_error.h"
#include "guard.h"
#include "handles.h"
#include "messages.h"

namespace morvane {
namespace {

// Where the bits start in the block that also holds the BITMAPINFOHEADER.
constexpr size_t kBitsOffset = 64;
// How often the status line is rewritten during a capture.
constexpr std::int64_t kStatusIntervalMs = 250;
// A live device that sends nothing for this long (or ten frame times, if
// longer) has stalled; the capture ends rather than wait for ever.
constexpr std::int64_t kStallMs = 2000;
// The longest sleep between looks at the host's input while waiting for a
// live frame.
constexpr DWORD kLiveWaitMs = 100;


// A live device's own frame rate when it states one; the host's rate else.
double CaptureRate(double host_rate, VideoDevice& device) {
  LiveFeed* feed = device.Live();
  const std::int64_t us = feed ? feed->FrameMicroseconds() : 0;
  return us > 0 ? 1000000.0 / static_cast<double>(us) : host_rate;
}

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

AudioFormat AudioFormatOf(const Settings& settings) {
  AudioFormat audio;
  audio.samples_per_second = static_cast<std::uint32_t>(settings.audio_samples_per_second);
  audio.bits_per_sample = static_cast<std::uint16_t>(settings.audio_bits_per_sample);
  audio.channels = static_cast<std::uint16_t>(settings.audio_channels);
  return audio;
}

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

}  // namespace

void CaptureFailure::NoteCurrent() noexcept {
  if (failed_) return;
  failed_ = true;
  message_ = MessageId::kInternal;
  try {
    try {
      throw;
    } catch (const CaptureError& error) {
      scode_ = HResultOf(error);
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

CaptureSession::CaptureSession(Control& control, VideoDevice& device, const FrameFormat& format, bool to_file,
                               CaptureFailure& failure)
    : control_(control),
      device_(device),
      feed_(device.Live()),
      format_(format),
      to_file_(to_file),
      rate_(CaptureRate(control.settings_.capture_rate, device)),
      failure_(failure),
      block_(kBitsOffset + format.ImageSize()),
      bits_(block_.data() + kBitsOffset) {
  const auto header = MakeBitmapInfoHeader(format_);
  std::memcpy(block_.data(), header.data(), header.size());
  std::optional<AudioFormat> audio_format;
  if (to_file_ && control_.settings_.audio_recording) audio_format = AudioFormatOf(control_.settings_);
  if (to_file_) {
    AviVideoFormat video;
    video.frame = format_;
    video.microseconds_per_frame = static_cast<std::uint32_t>(std::llround(1000000.0 / rate_));
    writer_.emplace(control_.settings_.capture_file, video, audio_format);
  }
  if (audio_format) {
    tone_.emplace(*audio_format);
    // One second of sound per write at most; a late loop catches up in
    // several writes.
    audio_buffer_.resize(static_cast<size_t>(audio_format->BytesPerSecond()));
  }

  // Nothing below throws: from here on the destructor restores the control.
  control_.capturing_ = true;
  control_.live_format_ = format_;
  control_.live_bits_ = bits_;
  control_.stop_requested_ = false;
  control_.stop_reason_ = StopReason::kUserKeyOrClick;
  control_.captured_frames_ = 0;
  control_.dropped_frames_ = 0;
  if (to_file_) control_.capture_file_written_ = false;
  if (control_.window_) ::KillTimer(control_.window_, kPreviewTimer);
}

CaptureSession::~CaptureSession() { Finish(); }

void CaptureSession::Run(std::exception_ptr device_failure) noexcept {
  try {
    Start();
    if (device_failure) std::rethrow_exception(device_failure);
    while (Step()) {
    }
  } catch (...) {
    failure_.NoteCurrent();
    reason_ = StopReason::kError;
  }
}

void CaptureSession::Start() {
  control_.FireCaptureStarted(format_.width, format_.height);
  FormatCaptureStatus(status_, std::size(status_), !to_file_, 0, 0);
  control_.SetStatus(status_);
  const Settings& settings = control_.settings_;
  limit_ = settings.time_limit_enabled && settings.time_limit > 0 ? FramesForTimeLimit(settings.time_limit, rate_)
                                                                  : std::numeric_limits<std::int64_t>::max();
  frequency_ = Frequency();
  clock_.emplace(frequency_, Now(), rate_);
  last_status_ = Now();
  last_frame_tick_ = last_status_;
}

bool CaptureSession::Step() {
  if (!PumpInput()) {
    reason_ = StopReason::kClosed;
    return false;
  }
  if (control_.stop_requested_) {
    reason_ = control_.stop_reason_;
    return false;
  }
  if (next_slot_ >= limit_) {
    reason_ = StopReason::kTimeLimit;
    return false;
  }
  switch (feed_ ? TakeLiveFrame() : WaitForNextSlot()) {
    case Slot::kNotYet:
      return true;
    case Slot::kPastLimit:
      reason_ = StopReason::kTimeLimit;
      return false;
    case Slot::kDue:
      break;
  }
  WriteFrame();
  if (!ShowFrame()) {
    reason_ = StopReason::kStopFlag;
    return false;
  }
  return true;
}

bool CaptureSession::PumpInput() {
  const Settings& settings = control_.settings_;
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to swallow: the host's own loop must still see it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      control_.RequestStop(StopReason::kUserKeyOrClick);
      continue;
    }
    if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN) && settings.stop_on_left_click) {
      control_.RequestStop(StopReason::kUserKeyOrClick);
    }
    if ((msg.message == WM_RBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN) && settings.stop_on_right_click) {
      control_.RequestStop(StopReason::kUserKeyOrClick);
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}

void CaptureSession::SkipTo(std::int64_t slot) {
  const std::int64_t end = std::min(slot, limit_);
  if (end <= next_slot_) return;
  control_.dropped_frames_ += static_cast<long>(end - next_slot_);
  VARIANTARG argument;
  argument.vt = VT_I4;
  argument.lVal = static_cast<LONG>(next_slot_);
  control_.FireEvent(kEventFrameDropped, &argument, 1);
  const std::int64_t first = next_slot_;
  next_slot_ = end;
  if (!writer_) return;
  for (std::int64_t i = first; i < end; ++i) writer_->WriteDroppedFrame();
  if (tone_) WriteAudio(end);
}

CaptureSession::Slot CaptureSession::WaitForNextSlot() {
  const std::int64_t now = Now();
  const std::int64_t slot = clock_->SlotAt(now);
  if (slot < next_slot_) {
    const DWORD wait = clock_->MillisecondsUntil(next_slot_, now);
    if (wait > 0) ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return Slot::kNotYet;
  }
  if (slot > next_slot_) {
    // Slots that passed while we were busy: their frames are lost.
    SkipTo(slot);
    if (next_slot_ >= limit_) return Slot::kPastLimit;
  }
  return Slot::kDue;
}

CaptureSession::Slot CaptureSession::TakeLiveFrame() {
  std::int64_t us = -1;
  const FeedStatus status = feed_->TakeFrame(bits_, us);
  const std::int64_t now = Now();
  if (status == FeedStatus::kLost) {
    throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceLostWhileCapturing), ERROR_DEVICE_NOT_CONNECTED);
  }
  if (status == FeedStatus::kNothing) {
    const std::int64_t frame_us = feed_->FrameMicroseconds();
    const std::int64_t stall_ms = std::max(kStallMs, frame_us * 10 / 1000);
    if ((now - last_frame_tick_) * 1000 >= stall_ms * frequency_) {
      throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceStalled), ERROR_TIMEOUT);
    }
    HANDLE handles[2];
    const int count = feed_->WaitHandles(handles);
    ::MsgWaitForMultipleObjectsEx(static_cast<DWORD>(count), handles, kLiveWaitMs, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    return Slot::kNotYet;
  }
  last_frame_tick_ = now;
  // The frame's number follows from its time: a gap means frames the
  // device or the queue lost.
  // Without times, the frames lost on the way say how many slots passed.
  std::int64_t slot = next_slot_ + feed_->LostBeforeFrame();
  const std::int64_t frame_us = feed_->FrameMicroseconds();
  if (us >= 0 && frame_us > 0) {
    if (first_frame_us_ < 0) first_frame_us_ = us;
    slot = std::max(next_slot_, (us - first_frame_us_ + frame_us / 2) / frame_us);
  }
  if (slot > next_slot_) {
    SkipTo(slot);
  }
  return next_slot_ >= limit_ ? Slot::kPastLimit : Slot::kDue;
}

void CaptureSession::WriteFrame() {
  if (!feed_) device_.Render(format_, bits_, next_slot_, SlotMicroseconds(next_slot_, rate_));
  if (writer_) {
    // A failed write ends the capture; the writer keeps every complete frame.
    writer_->WriteVideoFrame(bits_, format_.ImageSize());
    // The sound up to this frame's end goes with it.
    if (tone_) WriteAudio(next_slot_ + 1);
  }
  ++control_.captured_frames_;
  ++next_slot_;
}

void CaptureSession::WriteAudio(std::int64_t slots) {
  const std::int64_t audio_due = AudioSamplesBefore(slots, tone_->format().samples_per_second, rate_);
  const size_t block_align = tone_->format().BlockAlign();
  const std::int64_t per_write = static_cast<std::int64_t>(audio_buffer_.size() / block_align);
  while (audio_written_ < audio_due) {
    const std::int64_t count = std::min(audio_due - audio_written_, per_write);
    tone_->Generate(audio_buffer_.data(), static_cast<size_t>(count));
    writer_->WriteAudio(audio_buffer_.data(), static_cast<size_t>(count) * block_align);
    audio_written_ += count;
  }
}

bool CaptureSession::ShowFrame() {
  if (control_.callback_enabled_ && control_.FireStreamFrame(format_.width, format_.height, block_.data(), bits_)) {
    return false;
  }
  if (control_.preview_ && control_.window_) {
    WindowDc dc(control_.window_);
    RECT client{};
    ::GetClientRect(control_.window_, &client);
    if (dc.get()) control_.DrawFrame(dc.get(), client, format_, bits_, false);
  }
  const std::int64_t after = Now();
  if ((after - last_status_) * 1000 >= kStatusIntervalMs * frequency_) {
    last_status_ = after;
    FormatCaptureStatus(status_, std::size(status_), !to_file_, control_.captured_frames_, control_.dropped_frames_);
    control_.SetStatus(status_);
  }
  return true;
}

void CaptureSession::Finish() noexcept {
  Control& control = control_;
  // The device's own count of frames it dropped covers those it never
  // timestamped; the gaps we saw cover the rest. Either may be the larger.
  if (feed_) RunEndStep(failure_, [&] { control.dropped_frames_ = std::max(control.dropped_frames_, feed_->DeviceDropped()); });
  // Whatever ended the capture (a stop, a failed write, a device or an
  // event that throws, memory running out), every step below runs.
  if (writer_) {
    RunEndStep(failure_, [&] { writer_->Close(); });
    control.capture_file_written_ = writer_->frames_written() > 0;
  }
  // The last frame stays the current one for the still commands; without
  // memory for it they render a fresh frame instead.
  control.still_format_ = format_;
  try {
    control.still_bits_.assign(bits_, bits_ + format_.ImageSize());
    control.still_captured_ = true;
  } catch (...) {
    control.still_bits_.clear();
  }
  control.live_bits_ = nullptr;
  control.capturing_ = false;
  RunEndStep(failure_, [&] { control.SetStatus(StatusCaptureEnded()); });
  if (failure_) RunEndStep(failure_, [&] { control.FireError(failure_.scode(), failure_.text()); });
  RunEndStep(failure_, [&] { control.FireCaptureStopped(reason_); });
  RunEndStep(failure_, [&] { control.FireCaptureComplete(control.captured_frames_, control.dropped_frames_); });
  RunEndStep(failure_, [&] { control.UpdatePreviewTimer(); });
}

}  // namespace morvane
