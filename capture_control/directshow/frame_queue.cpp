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
  Lock lock(lock_);
  source_ = source;
  format_ = format;
  storage_.swap(storage);
  infos_.swap(infos);
  slots_ = static_cast<size_t>(slots);
  first_ = count_ = 0;
  refused_ = overrun_ = 0;
  ::ResetEvent(ready_.get());
}

FrameFormat FrameQueue::format() const {
  Lock lock(lock_);
  return format_;
}

bool FrameQueue::Push(const std::uint8_t* data, std::size_t size, std::int64_t start_time) {
  Lock lock(lock_);
  if (slots_ == 0) return false;
  if (count_ == slots_) {
    ++overrun_;
    return false;
  }
  const size_t slot = (first_ + count_) % slots_;
  if (!ConvertFrame(source_, data, size, format_, storage_.data() + slot * format_.ImageSize())) {
    ++refused_;
    return false;
  }
  infos_[slot].start_time = start_time;
  ++count_;
  ::SetEvent(ready_.get());
  return true;
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

}  // namespace morvane
