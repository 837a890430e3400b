// What passes between the control and a running capture: the request the
// control builds once before it starts, the live state both sides read, and
// the few things the capture asks of its host while it runs (events, the
// status line, drawing). The session sees nothing else of the control.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/audio_input.h"
#include "core/audio_tone.h"
#include "core/frame_format.h"

namespace morvane {

// Why a capture ended, as CaptureStopped reports it.
enum class StopReason : SHORT {
  kTimeLimit = 1,
  kUserKeyOrClick = 2,
  kStopFlag = 3,
  kError = 4,
  kClosed = 5,
};

// How the video of a capture to a file is stored.
struct VideoCompression {
  enum class Kind {
    kNone,         // uncompressed 24-bit frames
    kMotionJpeg,   // encoded here, through the system's JPEG codec
    kAsDelivered,  // a camera's compressed samples, kept as they come
    kInstalled,    // a video compressor installed on the machine
  };
  Kind kind = Kind::kNone;
  // kInstalled: the compressor's handler FOURCC.
  std::uint32_t handler = 0;
  // 1 to 100; Motion JPEG's, and an installed compressor's where it has one.
  int quality = 75;
  // kInstalled: what its settings dialog left (empty: its defaults).
  std::vector<std::uint8_t> state;
};

// One capture as the user set it up when it began; later changes to the
// control's properties do not reach a running capture.
struct CaptureRequest {
  FrameFormat format;
  // Empty for a streamed capture, which writes no file.
  std::wstring file;
  // The host's frame rate; a live device that states its own rate wins.
  double rate = 15.0;
  // 0: no limit.
  int time_limit_seconds = 0;
  // Files only.
  VideoCompression compression;
  // Sound to record beside the picture (files only), and where from: the
  // tone or a sound input, never kMissing (the control refuses to start).
  std::optional<AudioFormat> audio;
  AudioInputChoice audio_input;
  bool stop_on_left_click = false;
  bool stop_on_right_click = false;

  bool to_file() const { return !file.empty(); }
};

// The running capture as the control's properties show it. The control owns
// it; the session fills it in.
struct CaptureState {
  bool capturing = false;
  bool stop_requested = false;
  StopReason stop_reason = StopReason::kUserKeyOrClick;
  // The frame being captured, for stills taken meanwhile.
  FrameFormat live_format;
  const std::uint8_t* live_bits = nullptr;
  long captured_frames = 0;
  long dropped_frames = 0;

  // Asks the capture to end at its next frame; the first reason given wins.
  void RequestStop(StopReason reason) {
    if (stop_requested) return;
    stop_requested = true;
    stop_reason = reason;
  }
};

// What a running capture asks of the control that hosts it.
class CaptureHost {
 public:
  // The preview's own timer pauses; the capture draws instead.
  virtual void CaptureStarting() = 0;
  virtual void CaptureStarted(long width, long height) = 0;
  virtual void ShowCaptureStatus(const wchar_t* text) = 0;
  // Frames from `first_slot` on were lost.
  virtual void FramesDropped(long first_slot) = 0;
  // Hands the frame to the host's stream handler, if it asked for frames;
  // true when the host's stop flag asks the capture to end.
  virtual bool StreamFrame(long width, long height, const void* info, const void* bits) = 0;
  // Whether anything shows the capture's frames now (a stream handler, the
  // preview): a camera's compressed samples are decoded only then.
  virtual bool ShowsFrames() const { return true; }
  // Draws the frame where the preview is shown, if it is.
  virtual void DrawCaptureFrame(const FrameFormat& format, const std::uint8_t* bits) = 0;
  // The last frame stays the current one for the still commands.
  virtual void KeepLastFrame(const FrameFormat& format, const std::uint8_t* bits) noexcept = 0;
  virtual void CaptureFailed(HRESULT scode, const wchar_t* text) = 0;
  // Something went wrong that the file survives (sound lost and made up
  // with silence): the host is told, the capture still succeeds.
  virtual void CaptureWarning(HRESULT scode, const wchar_t* text) = 0;
  virtual void CaptureStopped(StopReason reason) = 0;
  virtual void CaptureComplete(long captured, long dropped) = 0;
  // Everything is reported: the preview may come back.
  virtual void CaptureEnded() = 0;

 protected:
  ~CaptureHost() = default;
};

}  // namespace morvane
