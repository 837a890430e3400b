// Frames handed from a device's streaming thread to the control's thread.
// The sink converts each sample straight into a free slot of a ring that is
// allocated once per connection; the control takes them out in order. When
// the control falls behind and the ring is full, the oldest frame gives way
// to the new one, so what is shown or captured is never older than the ring
// is long. A Motion JPEG source's samples are kept as they came instead,
// each checked whole first: a truncated or malformed one is refused (and
// counted) here, so it is never written or decoded. Every frame lost here (given way, or a sample we could not read)
// is counted, and the next frame taken says how many went before it: a
// device that sets no sample times leaves no gap to count them by.
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
  long lost_before = 0;         // frames lost between the one taken before and this one
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
  // The same for Motion JPEG samples of a picture of this size; a sample
  // larger than an uncompressed 24-bit frame of it is refused.
  void ConfigureCompressed(int width, int height, int slots);
  // Whether the samples are kept compressed (take them with TakeSample).
  bool compressed() const;
  FrameFormat format() const;
  // Manual-reset event, set while a frame waits.
  HANDLE ready() const { return ready_.get(); }

  // Streaming thread: converts a sample's bytes; false when they do not fit
  // the layout (counted as refused). RGB24 rows may come without their
  // padding when the sample's length says so.
  bool Push(const std::uint8_t* data, std::size_t size, std::int64_t start_time);
  // Streaming thread: the samples from now on come in another layout. One
  // of the connected size is followed (the ring holds converted frames);
  // another size cannot be, and the queue then takes nothing more and says
  // so through broken().
  bool ChangeSource(const SourceFrame& source);
  bool broken() const;
  // Control's thread: copies the oldest frame into format().ImageSize()
  // bytes at bits and frees its slot; false when none waits.
  bool Take(std::uint8_t* bits, QueuedFrameInfo& info);
  // Control's thread, compressed samples: the oldest, as it came, into
  // sample (replaced; its capacity is reused); false when none waits.
  bool TakeSample(std::vector<std::uint8_t>& sample, QueuedFrameInfo& info);
  void Clear();

  long refused() const;
  long overrun() const;
  // Every frame lost here since Configure: refused and overrun together.
  long lost() const;

 private:
  mutable CRITICAL_SECTION lock_;
  UniqueFile ready_;
  SourceFrame source_;
  FrameFormat format_;
  std::vector<std::uint8_t> storage_;
  std::vector<QueuedFrameInfo> infos_;
  // One source frame with padded rows, for samples that came without.
  std::vector<std::uint8_t> padded_;
  // Compressed samples: the bytes each slot holds, and the room for one.
  bool compressed_ = false;
  std::vector<std::size_t> lengths_;
  std::size_t slot_size_ = 0;
  size_t slots_ = 0;
  size_t first_ = 0;
  size_t count_ = 0;
  long refused_ = 0;
  long overrun_ = 0;
  long lost_pending_ = 0;  // lost since the newest frame in the ring
  bool broken_ = false;

  // A member's value, read under the lock.
  template <typename T>
  T Read(const T& member) const {
    basics::CriticalSectionLock lock(lock_);
    return member;
  }
  // Both Configures: everything is allocated before the lock is taken, so
  // a failure leaves the queue as it was.
  void Start(const SourceFrame& source, int slots, bool compressed);
  // With the lock held: the sample's bytes as the converter reads them
  // (padded_ for unpadded RGB24), nullptr when they do not fit.
  const std::uint8_t* Readable(const std::uint8_t* data, std::size_t size);
  void DropOldest();
  // With the lock held: a free slot (giving way to the oldest frame when
  // none is), its index.
  size_t NextSlot();
  // With the lock held, Push's two ends: a sample counted as refused
  // (false), or the slot just written handed out in turn (true).
  bool Refuse();
  bool Fill(size_t slot, std::int64_t start_time);
};

}  // namespace morvane
