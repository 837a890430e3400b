// A device that delivers frames at its own pace, as a camera does. A
// capture from it takes the frames as they come, with their own times,
// instead of asking for one per frame slot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/frame_format.h"

namespace morvane {

enum class FeedStatus {
  kFrame,    // a frame was taken
  kNothing,  // none waits yet
  kLost,     // the device went away
};

class LiveFeed {
 public:
  virtual ~LiveFeed() = default;
  // Streams at the device's format nearest `wanted` (restarting if it ran
  // for another size) and returns the format of its frames; the frames
  // taken from then on were delivered after the call. Throws CaptureError
  // when the device does not start.
  virtual FrameFormat StartFeed(const FrameFormat& wanted) = 0;
  // The format it streams in now; width 0 when it does not stream.
  virtual FrameFormat StreamingFormat() const = 0;
  // The frame time the device announced, in microseconds; 0 if it did not.
  virtual std::int64_t FrameMicroseconds() const = 0;
  // Up to two handles that are signalled when TakeFrame has news; returns
  // how many it filled in.
  virtual int WaitHandles(HANDLE (&handles)[2]) const = 0;
  // Takes the oldest waiting frame into format.ImageSize() bytes, with its
  // start time in microseconds of stream time (-1 when it carried none).
  virtual FeedStatus TakeFrame(std::uint8_t* bits, std::int64_t& microseconds) = 0;
  // Whether its frames come as compressed samples (Motion JPEG) as it
  // streams now; TakeFrame then decodes them.
  virtual bool Compressed() const { return false; }
  // A compressed feed: takes the oldest sample as it came (replacing
  // sample), with its time, as TakeFrame takes a frame; no decoding.
  virtual FeedStatus TakeSample(std::vector<std::uint8_t>&, std::int64_t&) { return FeedStatus::kNothing; }
  // Decodes a sample it gave into a frame of format, scaled to it; false
  // when the sample cannot be decoded.
  virtual bool DecodeSample(const std::vector<std::uint8_t>&, const FrameFormat&, std::uint8_t*) { return false; }
  // Frames lost just before the one TakeFrame (or TakeSample) took last (a device whose
  // frames carry no times leaves no gap in them to count by).
  virtual long LostBeforeFrame() const = 0;
  // Frames the device itself says it dropped since StartFeed, and those
  // lost on their way to us.
  virtual long DeviceDropped() const = 0;
};

}  // namespace morvane
