// A device that delivers frames at its own pace, as a camera does. A
// capture from it takes the frames as they come, with their own times,
// instead of asking for one per frame slot.
#pragma once

#include <windows.h>

#include <cstdint>

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
  // Frames lost just before the one TakeFrame took last (a device whose
  // frames carry no times leaves no gap in them to count by).
  virtual long LostBeforeFrame() const = 0;
  // Frames the device itself says it dropped since StartFeed, and those
  // lost on their way to us.
  virtual long DeviceDropped() const = 0;
};

}  // namespace morvane
