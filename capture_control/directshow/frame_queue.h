// Frames handed from a device's streaming thread to the control's thread.
// The sink converts each sample straight into a free slot of a ring that is
// allocated once per connection; the control takes them out in order. When
// the control falls behind and the ring is full, the new frame is left out
// (its timestamp gap counts it as dropped later).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/frame_convert.h"
#include "core/frame_format.h"
#include "handles.h"

namespace morvane {

struct QueuedFrameInfo {
  std::int64_t start_time = 0;  // the sample's start, 100 ns units of stream time; -1 when it had none
};

class FrameQueue {
 public:
  FrameQueue();
  ~FrameQueue();
  FrameQueue(const FrameQueue&) = delete;
  FrameQueue& operator=(const FrameQueue&) = delete;

  // Before streaming starts: the layout samples arrive in, and room for
  // `slots` converted frames. Empties the queue. Throws std::bad_alloc.
  void Configure(const SourceFrame& source, int slots);
  FrameFormat format() const;
  // Manual-reset event, set while a frame waits.
  HANDLE ready() const { return ready_.get(); }

  // Streaming thread: converts a sample's bytes; false when they do not fit
  // the layout (counted as refused) or the ring is full.
  bool Push(const std::uint8_t* data, std::size_t size, std::int64_t start_time);
  // Control's thread: copies the oldest frame into format().ImageSize()
  // bytes at bits and frees its slot; false when none waits.
  bool Take(std::uint8_t* bits, QueuedFrameInfo& info);
  void Clear();

  long refused() const;
  long overrun() const;

 private:
  class Lock;
  mutable CRITICAL_SECTION lock_;
  UniqueFile ready_;
  SourceFrame source_;
  FrameFormat format_;
  std::vector<std::uint8_t> storage_;
  std::vector<QueuedFrameInfo> infos_;
  size_t slots_ = 0;
  size_t first_ = 0;
  size_t count_ = 0;
  long refused_ = 0;
  long overrun_ = 0;
};

}  // namespace morvane
