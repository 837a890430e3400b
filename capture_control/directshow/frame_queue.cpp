#include "directshow/frame_queue.h"

#include <cstring>

#include "codec/jpeg_scan.h"
#include "basics/scopes.h"

namespace morvane {

namespace {

using Lock = basics::CriticalSectionLock;

}  // namespace

FrameQueue::FrameQueue() : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  ::InitializeCriticalSection(&lock_);
}

FrameQueue::~FrameQueue() { ::DeleteCriticalSection(&lock_); }

void FrameQueue::Configure(const SourceFrame& source, int slots) { Start(source, slots, false); }

void FrameQueue::ConfigureCompressed(int width, int height, int slots) {
  Start(SourceFrame{PixelLayout::kRgb24, width, height, false}, slots, true);
}

void FrameQueue::Start(const SourceFrame& source, int slots, bool compressed) {
  FrameFormat format;
  format.width = source.width;
  format.height = source.height;
  std::vector<std::uint8_t> storage(format.ImageSize() * static_cast<size_t>(slots));
  std::vector<QueuedFrameInfo> infos(static_cast<size_t>(slots));
  // Compressed samples need their lengths kept. Converted ones need room
  // for an RGB24 frame of the size, whatever layout they start in: a
  // change of layout mid-stream may bring RGB24 later.
  std::vector<std::size_t> lengths(compressed ? static_cast<size_t>(slots) : 0);
  std::vector<std::uint8_t> padded(
      compressed ? 0 : SourceImageSize({PixelLayout::kRgb24, source.width, source.height, false}));
  Lock lock(lock_);
  source_ = source;
  format_ = format;
  storage_.swap(storage);
  infos_.swap(infos);
  lengths_.swap(lengths);
  padded_.swap(padded);
  slots_ = static_cast<size_t>(slots);
  compressed_ = compressed;
  slot_size_ = format.ImageSize();
  first_ = count_ = 0;
  refused_ = overrun_ = lost_pending_ = 0;
  broken_ = false;
  ::ResetEvent(ready_.get());
}

bool FrameQueue::compressed() const { return Read(compressed_); }

FrameFormat FrameQueue::format() const { return Read(format_); }

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

size_t FrameQueue::NextSlot() {
  if (count_ == slots_) DropOldest();
  return (first_ + count_) % slots_;
}

bool FrameQueue::Push(const std::uint8_t* data, std::size_t size, std::int64_t start_time) {
  Lock lock(lock_);
  if (slots_ == 0 || broken_) return false;
  if (compressed_) {
    // Only a whole picture of the connected size is kept; the scan reads
    // the markers alone, so the streaming thread stays quick.
    const std::optional<JpegInfo> info = ScanJpeg(data, size);
    if (!info || size > slot_size_ || info->width != format_.width || info->height != format_.height) {
      return Refuse();
    }
    const size_t slot = NextSlot();
    std::memcpy(storage_.data() + slot * slot_size_, data, size);
    lengths_[slot] = size;
    return Fill(slot, start_time);
  }
  const std::uint8_t* readable = Readable(data, size);
  if (readable == nullptr) return Refuse();
  const size_t slot = NextSlot();
  if (!ConvertFrame(source_, readable, SourceImageSize(source_), format_,
                    storage_.data() + slot * format_.ImageSize())) {
    return Refuse();
  }
  return Fill(slot, start_time);
}

bool FrameQueue::Refuse() {
  ++refused_;
  ++lost_pending_;
  return false;
}

bool FrameQueue::Fill(size_t slot, std::int64_t start_time) {
  infos_[slot].start_time = start_time;
  infos_[slot].lost_before = lost_pending_;
  lost_pending_ = 0;
  ++count_;
  ::SetEvent(ready_.get());
  return true;
}

bool FrameQueue::ChangeSource(const SourceFrame& source) {
  Lock lock(lock_);
  if (compressed_) {
    broken_ = true;  // the ring holds samples, not converted frames
    return false;
  }
  if (source.width != format_.width || source.height != format_.height || !CanConvert(source, format_)) {
    broken_ = true;
    return false;
  }
  source_ = source;
  return true;
}

bool FrameQueue::broken() const { return Read(broken_); }

bool FrameQueue::TakeSample(std::vector<std::uint8_t>& sample, QueuedFrameInfo& info) {
  Lock lock(lock_);
  if (count_ == 0 || !compressed_) return false;
  const std::uint8_t* data = storage_.data() + first_ * slot_size_;
  sample.assign(data, data + lengths_[first_]);
  info = infos_[first_];
  first_ = (first_ + 1) % slots_;
  if (--count_ == 0) ::ResetEvent(ready_.get());
  return true;
}

bool FrameQueue::Take(std::uint8_t* bits, QueuedFrameInfo& info) {
  Lock lock(lock_);
  if (count_ == 0 || compressed_) return false;
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

long FrameQueue::refused() const { return Read(refused_); }

long FrameQueue::overrun() const { return Read(overrun_); }

long FrameQueue::lost() const {
  Lock lock(lock_);
  return overrun_ + refused_;
}

}  // namespace morvane
