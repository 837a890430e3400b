// One capture, from its first frame to its end. The session sets up
// everything the loop needs before the first frame, so the steady state
// allocates nothing; Run() takes one frame slot after another, handing out
// the thread's messages in between so the host stays usable (and can stop
// us); the destructor finishes the capture however Run() was left.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture_request.h"
#include "codec/video_stage.h"
#include "core/audio_source.h"
#include "core/audio_track.h"
#include "core/avi_writer.h"
#include "core/frame_format.h"
#include "frame_clock.h"
#include "guard.h"
#include "low_memory.h"
#include "messages.h"
#include "video_device.h"

namespace morvane {

// The first failure of a capture, as the host hears of it: an HRESULT and
// a text. Noting one never throws, so it can be done from any handler.
class CaptureFailure {
 public:
  // Notes the exception being handled, unless a failure was noted before.
  // Only from inside a catch block.
  void NoteCurrent() noexcept;

  explicit operator bool() const { return failed_; }
  // The error as Invoke reports it; its text may fail to allocate, so the
  // message table's own text stands in.
  HRESULT scode() const { return no_memory_ ? Message(MessageId::kOutOfMemory).scode : failure_.scode; }
  const wchar_t* text() const { return no_memory_ ? Message(MessageId::kOutOfMemory).text : failure_.text.c_str(); }

 private:
  bool failed_ = false;
  bool no_memory_ = false;
  Failure failure_{E_FAIL, {}};
};

class CaptureSession {
 public:
  // Allocates the frame buffer and, for a capture to a file, creates the
  // writer: a file that cannot be created throws here, before anything is
  // raised or the state changes. The host, the state and failure outlive
  // the session; failure collects what goes wrong from then on, until the
  // destructor has run.
  CaptureSession(const CaptureRequest& request, VideoDevice& device, CaptureHost& host, CaptureState& state,
                 CaptureFailure& failure);
  // The end of the capture: the file is finished, the last frame becomes
  // the still frame, the host hears CaptureStopped and CaptureComplete, and
  // the preview comes back.
  ~CaptureSession();
  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  // Captures until a stop, the time limit, a closed window or a failure.
  // A device that failed to start ends it right after CaptureStarted.
  void Run(std::exception_ptr device_failure = nullptr) noexcept;

 private:
  // What the wait for the next frame slot found.
  enum class Slot { kNotYet, kDue, kPastLimit };

  void Start();
  // One turn of the loop; false once the capture is to end (reason_ says why).
  bool Step();
  // Hands out the thread's waiting messages, noting Esc and mouse stops;
  // false when WM_QUIT came.
  bool PumpInput();
  // Until the sound input delivers (a few seconds at most), handing out
  // messages.
  void WaitForSound();
  // Sleeps until the next slot begins, or counts the slots that passed
  // while we were busy as dropped.
  Slot WaitForNextSlot();
  // Slots from the next one up to `slot` (never past the limit) had no
  // frame: counted and reported as dropped, and kept in the file as empty
  // frames with their sound, so picture and sound keep the same time line.
  void SkipTo(std::int64_t slot);
  // A device with a live feed: takes its next frame, numbered by its
  // timestamp, counting the frames missing before it as dropped.
  Slot TakeLiveFrame();
  // Renders the slot's frame (a live frame is in already) and hands it to
  // the video stage, then writes its share of sound. A frame the stage
  // cannot take (encoding is behind) counts as dropped.
  void WriteFrame();
  // The sound up to the end of slot `slots` - 1.
  void WriteAudio(std::int64_t slots);
  // The sound made exactly as long as the picture; lost sound reported.
  void FinishAudio();
  // Hands the frame to the host (stream event, preview, status line);
  // false when the host's stop flag asks us to end.
  bool ShowFrame();
  void Finish() noexcept;
  // Kept samples: decodes the current one into bits_ unless it is already.
  void DecodeSample();

  const CaptureRequest& request_;
  VideoDevice& device_;
  CaptureHost& host_;
  CaptureState& state_;
  LiveFeed* const feed_;
  const FrameFormat format_;
  const double rate_;
  CaptureFailure& failure_;
  // The BITMAPINFOHEADER, then the bits, in one block that the stream
  // event hands out.
  LowMemoryBuffer block_;
  std::uint8_t* bits_;
  std::optional<AviWriter> writer_;
  // Between the frames and writer_: their encoding, if any. Made after the
  // writer and gone before it.
  std::unique_ptr<VideoStage> stage_;
  // A camera's compressed samples kept as they come: the current one, and
  // whether bits_ shows it yet (it is decoded only when a frame is shown).
  const bool keep_samples_;
  std::vector<std::uint8_t> sample_;
  bool bits_current_ = true;
  // The sound's way into the file: the request's source, kept on the
  // picture's clock by the track.
  class AudioToFile final : public AudioOutput {
   public:
    explicit AudioToFile(AviWriter& writer) : writer_(writer) {}
    void WriteAudio(const std::uint8_t* data, std::size_t size) override { writer_.WriteAudio(data, size); }

   private:
    AviWriter& writer_;
  };
  std::unique_ptr<AudioSource> audio_source_;
  std::optional<AudioToFile> audio_output_;
  std::optional<AudioTrack> audio_track_;

  StopReason reason_ = StopReason::kUserKeyOrClick;
  std::int64_t limit_ = 0;
  std::int64_t frequency_ = 0;
  std::optional<FrameClock> clock_;
  std::int64_t next_slot_ = 0;
  std::int64_t last_status_ = 0;
  // Live feed: the first frame's time, and when the last frame came.
  std::int64_t first_frame_us_ = -1;
  std::int64_t last_frame_tick_ = 0;
  wchar_t status_[96] = {};
};

}  // namespace morvane
