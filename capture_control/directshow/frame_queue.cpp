#include "directshow/frame_queue.h"

#include <cstring>

namespace morvane {

class FrameQueue::Lock {
 public:
  explicit Lock(CRITICAL_SECTION& section) : section_(section) { ::EnterCriticalSection(&section_); }
  ~Lock() { ::LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

FrameQueue::FrameQueue() : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  ::InitializeCriticalSection(&lock_);
}

FrameQueue::~FrameQueue() { ::DeleteCriticalSection(&lock_); }

void FrameQueue::Configure(const SourceFrame& source, int slots) {
  FrameFormat format;
  format.width = source.width;
  format.height = source.height;
  std::vector<std::uint8_t> storage(format.ImageSize() * static_cast<size_t>(slots));
  std::vector<QueuedFrameInfo> infos(static_cast<size_t>(slots));
  // Room for an RGB24 frame of the size, whatever layout it starts in: a
  // change of layout mid-stream may bring RGB24 later.
  std::vector<std::uint8_t> padded(SourceImageSize({PixelLayout::kRgb24, source.width, source.height, false}));
  Lock lock(lock_);
  source_ = source;
  format_ = format;
  storage_.swap(storage);
  infos_.swap(infos);
  padded_.swap(padded);
  slots_ = static_cast<size_t>(slots);
  first_ = count_ = 0;
  refused_ = overrun_ = lost_pending_ = 0;
  broken_ = false;
  ::ResetEvent(ready_.get());
}

FrameFormat FrameQueue::format() const {
  Lock lock(lock_);
  return format_;
}

const std::uint8_t* FrameQueue::Readable(const std::uint8_t* data, std::size_t size) {
  const size_t padded_size = SourceImageSize(source_);
  if (size >= padded_size) return data;
  // Wine's capture filter sizes RGB24 samples without row padding; a
  // sample of exactly that length is whole.
  const size_t row = static_cast<size_t>(source_.width) * 3;
  if (source_.layout != PixelLayout::kRgb24 || size != row * static_cast<size_t>(source_.height) ||
      padded_.size() != padded_size) {
    return nullptr;
  }
  const size_t stride = SourceStride(source_);
  for (int y = 0; y < source_.height; ++y) std::memcpy(padded_.data() + y * stride, data + y * row, row);
  return padded_.data();
}

void FrameQueue::DropOldest() {
  const long carried = infos_[first_].lost_before + 1;
  first_ = (first_ + 1) % slots_;
  --count_;
  ++overrun_;
  if (count_ > 0) {
    infos_[first_].lost_before += carried;
  } else {
    lost_pending_ += carried;
  }
}

bool FrameQueue::Push(const std::uint8_t* data, std::size_t size, std::int64_t start_time) {
  Lock lock(lock_);
  if (slots_ == 0 || broken_) return false;
  const std::uint8_t* readable = Readable(data, size);
  if (readable == nullptr) {
    ++refused_;
    ++lost_pending_;
    return false;
  }
  if (count_ == slots_) DropOldest();
  const size_t slot = (first_ + count_) % slots_;
  if (!ConvertFrame(source_, readable, SourceImageSize(source_), format_,
                    storage_.data() + slot * format_.ImageSize())) {
    ++refused_;
    ++lost_pending_;
    return false;
  }
  infos_[slot].start_time = start_time;
  infos_[slot].lost_before = lost_pending_;
  lost_pending_ = 0;
  ++count_;
  ::SetEvent(ready_.get());
  return true;
}

bool FrameQueue::ChangeSource(const SourceFrame& source) {
  Lock lock(lock_);
  if (source.width != format_.width || source.height != format_.height || !CanConvert(source, format_)) {
    broken_ = true;
    return false;
  }
  source_ = source;
  return true;
}

bool FrameQueue::broken() const {
  Lock lock(lock_);
  return broken_;
}

bool FrameQueue::Take(std::uint8_t* bits, QueuedFrameInfo& info) {
  Lock lock(lock_);
  if (count_ == 0) return false;
  std::memcpy(bits, storage_.data() + first_ * format_.ImageSize(), format_.ImageSize());
  info = infos_[first_];
  first_ = (first_ + 1) % slots_;
  if (--count_ == 0) ::ResetEvent(ready_.get());
  return true;
}

void FrameQueue::Clear() {
  Lock lock(lock_);
  first_ = count_ = 0;
  lost_pending_ = 0;
  ::ResetEvent(ready_.get());
}

long FrameQueue::refused() const {
  Lock lock(lock_);
  return refused_;
}

long FrameQueue::overrun() const {
  Lock lock(lock_);
  return overrun_;
}

long FrameQueue::lost() const {
  Lock lock(lock_);
  return overrun_ + refused_;
}

}  // namespace morvane
