#include "capture_session.h"

#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <limits>
#include <new>

#include "audio/audio_inputs.h"
#include "core/bmp_writer.h"
#include "core/capture_error.h"
#include "guard.h"
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
// The longest wait for a sound input's first sound, and how often it is
// looked at meanwhile.
constexpr DWORD kSoundStartMs = 3000;
constexpr DWORD kSoundPollMs = 10;

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

// Samples are kept as they come only from a feed that streams them now.
bool KeepsSamples(const CaptureRequest& request, LiveFeed* feed) {
  return request.to_file() && request.compression.kind == VideoCompression::Kind::kAsDelivered && feed &&
         feed->Compressed();
}

// The compression the file gets: a request to keep samples that the
// device does not send falls back to uncompressed frames.
VideoCompression FileCompression(const CaptureRequest& request, LiveFeed* feed) {
  if (request.compression.kind == VideoCompression::Kind::kAsDelivered && !KeepsSamples(request, feed)) {
    return VideoCompression{};
  }
  return request.compression;
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
  try {
    failure_ = CurrentFailure();
  } catch (...) {
    no_memory_ = true;  // no room for the error's text
  }
}

CaptureSession::CaptureSession(const CaptureRequest& request, VideoDevice& device, CaptureHost& host,
                               CaptureState& state, CaptureFailure& failure)
    : request_(request),
      device_(device),
      host_(host),
      state_(state),
      feed_(device.Live()),
      format_(request.format),
      rate_(CaptureRate(request.rate, device)),
      failure_(failure),
      block_(kBitsOffset + format_.ImageSize()),
      bits_(block_.data() + kBitsOffset),
      keep_samples_(KeepsSamples(request, feed_)) {
  const auto header = MakeBitmapInfoHeader(format_);
  std::memcpy(block_.data(), header.data(), header.size());
  const std::optional<AudioFormat> audio_format = request.to_file() ? request.audio : std::nullopt;
  // The input first: one that refuses leaves no file behind.
  if (audio_format) audio_source_ = MakeAudioSource(request.audio_input, *audio_format);
  if (request.to_file()) {
    AviVideoFormat video;
    video.frame = format_;
    video.microseconds_per_frame = static_cast<std::uint32_t>(std::llround(1000000.0 / rate_));
    const VideoCompression compression = FileCompression(request, feed_);
    video.compression = CompressionFourCc(compression);
    video.codec_format = CompressionVideoFormat(compression, format_);
    writer_.emplace(request.file, video, audio_format);
    stage_ = MakeVideoStage(compression, format_, *writer_);
  }
  if (audio_source_) {
    audio_output_.emplace(*writer_);
    audio_track_.emplace(*audio_source_, *audio_output_);
  }

  // Nothing below throws: from here on the destructor restores the state.
  state_.capturing = true;
  state_.live_format = format_;
  state_.live_bits = bits_;
  state_.stop_requested = false;
  state_.stop_reason = StopReason::kUserKeyOrClick;
  state_.captured_frames = 0;
  state_.dropped_frames = 0;
  host_.CaptureStarting();
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

void CaptureSession::WaitForSound() {
  const DWORD start = ::GetTickCount();
  while (!audio_source_->Delivering() && !state_.stop_requested) {
    // An input that sends nothing even now is recorded as silence, and
    // reported lost, rather than refused: it may still wake up.
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= kSoundStartMs) return;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, std::min(kSoundPollMs, kSoundStartMs - elapsed), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    if (!PumpInput()) state_.RequestStop(StopReason::kClosed);
  }
}

void CaptureSession::Start() {
  // Until the input delivers, the window thread hands out messages as
  // between frames; a stop asked for meanwhile ends the capture before its
  // first frame. The capture's first moment follows.
  if (audio_source_) WaitForSound();
  host_.CaptureStarted(format_.width, format_.height);
  FormatCaptureStatus(status_, std::size(status_), !request_.to_file(), 0, 0);
  host_.ShowCaptureStatus(status_);
  limit_ = request_.time_limit_seconds > 0 ? FramesForTimeLimit(request_.time_limit_seconds, rate_)
                                           : std::numeric_limits<std::int64_t>::max();
  frequency_ = Frequency();
  // The sound's first sample and the first frame slot begin together.
  if (audio_source_) audio_source_->Start();
  clock_.emplace(frequency_, Now(), rate_);
  last_status_ = Now();
  last_frame_tick_ = last_status_;
}

bool CaptureSession::Step() {
  if (!PumpInput()) {
    reason_ = StopReason::kClosed;
    return false;
  }
  if (state_.stop_requested) {
    reason_ = state_.stop_reason;
    return false;
  }
  // Frames the encoders finished meanwhile go into the file.
  if (stage_) stage_->Collect();
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
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to swallow: the host's own loop must still see it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      state_.RequestStop(StopReason::kUserKeyOrClick);
      continue;
    }
    if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN) && request_.stop_on_left_click) {
      state_.RequestStop(StopReason::kUserKeyOrClick);
    }
    if ((msg.message == WM_RBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN) && request_.stop_on_right_click) {
      state_.RequestStop(StopReason::kUserKeyOrClick);
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}

void CaptureSession::SkipTo(std::int64_t slot) {
  const std::int64_t end = std::min(slot, limit_);
  if (end <= next_slot_) return;
  state_.dropped_frames += static_cast<long>(end - next_slot_);
  host_.FramesDropped(static_cast<long>(next_slot_));
  const std::int64_t first = next_slot_;
  next_slot_ = end;
  if (!writer_) return;
  for (std::int64_t i = first; i < end; ++i) stage_->PutEmpty();
  if (audio_track_) WriteAudio(end);
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
  const FeedStatus status = keep_samples_ ? feed_->TakeSample(sample_, us) : feed_->TakeFrame(bits_, us);
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
  bits_current_ = !keep_samples_;
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
  bool kept = true;
  if (writer_) {
    // A failed write ends the capture; the writer keeps every complete frame.
    kept = keep_samples_ ? stage_->PutSample(sample_.data(), sample_.size()) : stage_->Put(bits_);
    // The sound up to this frame's end goes with it.
    if (audio_track_) WriteAudio(next_slot_ + 1);
  }
  if (kept) {
    ++state_.captured_frames;
  } else {
    ++state_.dropped_frames;
    host_.FramesDropped(static_cast<long>(next_slot_));
  }
  ++next_slot_;
}

void CaptureSession::WriteAudio(std::int64_t slots) {
  audio_track_->Advance(AudioSamplesBefore(slots, audio_source_->format().samples_per_second, rate_));
}

void CaptureSession::FinishAudio() {
  const std::uint32_t samples_per_second = audio_source_->format().samples_per_second;
  audio_track_->Finish(AudioSamplesBefore(next_slot_, samples_per_second, rate_));
  const std::int64_t lost = audio_track_->lost();
  if (lost == 0) return;
  wchar_t seconds[32];
  std::swprintf(seconds, std::size(seconds), L"%.1f", static_cast<double>(lost) / samples_per_second);
  const bool input_lost = audio_source_->InputLost();
  const std::wstring text = std::wstring(UiText(input_lost ? TextId::kAudioInputLost : TextId::kSoundLost)) +
                            seconds + UiText(TextId::kSecondsEnd);
  host_.CaptureWarning(input_lost ? CTL_E_DEVICEUNAVAILABLE : CTL_E_DEVICEIOERROR, text.c_str());
}

void CaptureSession::DecodeSample() {
  if (bits_current_ || sample_.empty()) return;
  // A sample the decoder refuses leaves the frame before it showing.
  feed_->DecodeSample(sample_, format_, bits_);
  bits_current_ = true;
}

bool CaptureSession::ShowFrame() {
  if (keep_samples_ && host_.ShowsFrames()) DecodeSample();
  if (host_.StreamFrame(format_.width, format_.height, block_.data(), bits_)) return false;
  host_.DrawCaptureFrame(format_, bits_);
  const std::int64_t after = Now();
  if ((after - last_status_) * 1000 >= kStatusIntervalMs * frequency_) {
    last_status_ = after;
    FormatCaptureStatus(status_, std::size(status_), !request_.to_file(), state_.captured_frames,
                        state_.dropped_frames);
    host_.ShowCaptureStatus(status_);
  }
  return true;
}

void CaptureSession::Finish() noexcept {
  CaptureState& state = state_;
  CaptureHost& host = host_;
  // The device's own count of frames it dropped covers those it never
  // timestamped; the gaps we saw cover the rest. Either may be the larger.
  if (feed_) RunEndStep(failure_, [&] { state.dropped_frames = std::max(state.dropped_frames, feed_->DeviceDropped()); });
  // Whatever ended the capture (a stop, a failed write, a device or an
  // event that throws, memory running out), every step below runs.
  // Frames still being encoded are waited for and written, then the
  // encoders stop; the sound follows them, so the file's last chunks are
  // its end.
  if (stage_) RunEndStep(failure_, [&] { stage_->Finish(); });
  RunEndStep(failure_, [&] { stage_.reset(); });
  if (audio_track_) RunEndStep(failure_, [&] { FinishAudio(); });
  if (audio_source_) RunEndStep(failure_, [&] { audio_source_->Stop(); });
  if (writer_) RunEndStep(failure_, [&] { writer_->Close(); });
  if (keep_samples_) RunEndStep(failure_, [&] { DecodeSample(); });
  host.KeepLastFrame(format_, bits_);
  state.live_bits = nullptr;
  state.capturing = false;
  RunEndStep(failure_, [&] { host.ShowCaptureStatus(StatusCaptureEnded()); });
  if (failure_) RunEndStep(failure_, [&] { host.CaptureFailed(failure_.scode(), failure_.text()); });
  RunEndStep(failure_, [&] { host.CaptureStopped(reason_); });
  RunEndStep(failure_, [&] { host.CaptureComplete(state.captured_frames, state.dropped_frames); });
  RunEndStep(failure_, [&] { host.CaptureEnded(); });
}

}  // namespace morvane
