#include "codec/encode_pool.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "core/capture_error.h"
#include "basics/scopes.h"

namespace morvane {

namespace {

using Lock = basics::ExclusiveLock;

// COM for one worker thread, in the free-threaded apartment: the codecs
// are made and used on this thread only.
class ComThread {
 public:
  ComThread() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComThread() {
    if (initialised_) ::CoUninitialize();
  }
  ComThread(const ComThread&) = delete;
  ComThread& operator=(const ComThread&) = delete;

 private:
  bool initialised_;
};

}  // namespace

int EncodingThreads() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  // At least one; more than a handful only multiplies the slots' memory.
  return std::clamp(static_cast<int>(info.dwNumberOfProcessors), 1, 8);
}

EncodePool::EncodePool(const FrameFormat& format, int threads, int slots, MakeFrameEncoder make)
    : format_(format), make_(std::move(make)), slots_(static_cast<std::size_t>(std::max(slots, 1))) {
  for (Slot& slot : slots_) slot.input.resize(format_.ImageSize());
  const int wanted = std::max(threads, 1);
  threads_.reserve(static_cast<std::size_t>(wanted));
  for (int i = 0; i < wanted; ++i) {
    UniqueFile thread(::CreateThread(nullptr, 0, &EncodePool::WorkerMain, this, 0, nullptr));
    if (!thread) {
      const DWORD error = ::GetLastError();
      StopWorkers();
      throw CaptureError(CaptureErrorKind::kDeviceFailed, L"圧縮のｽﾚｯﾄﾞを開始できません。", error);
    }
    threads_.push_back(std::move(thread));
  }
  // Every worker has made its encoder, or said why it could not.
  std::exception_ptr failure;
  {
    Lock lock(lock_);
    while (started_ < wanted) ::SleepConditionVariableSRW(&done_, &lock_, INFINITE, 0);
    failure = start_failure_;
  }
  if (failure) {
    StopWorkers();
    std::rethrow_exception(failure);
  }
}

EncodePool::~EncodePool() { StopWorkers(); }

void EncodePool::StopWorkers() noexcept {
  {
    Lock lock(lock_);
    stop_ = true;
  }
  ::WakeAllConditionVariable(&work_);
  for (UniqueFile& thread : threads_) ::WaitForSingleObject(thread.get(), INFINITE);
  threads_.clear();
}

DWORD WINAPI EncodePool::WorkerMain(void* pool) {
  static_cast<EncodePool*>(pool)->Work();
  return 0;
}

void EncodePool::Work() noexcept {
  ComThread com;
  std::unique_ptr<FrameEncoder> encoder;
  try {
    encoder = make_();
  } catch (...) {
    Lock lock(lock_);
    if (!start_failure_) start_failure_ = std::current_exception();
  }
  {
    Lock lock(lock_);
    ++started_;
  }
  ::WakeAllConditionVariable(&done_);
  if (encoder) EncodeLoop(*encoder);
}

void EncodePool::EncodeLoop(FrameEncoder& encoder) {
  for (;;) {
    Slot* slot = nullptr;
    {
      Lock lock(lock_);
      for (;;) {
        if (stop_) return;
        // The oldest queued frame first, so frames finish near their order.
        for (std::size_t i = 0; i < count_ && !slot; ++i) {
          Slot& candidate = slots_[(head_ + i) % slots_.size()];
          if (candidate.state == SlotState::kQueued) slot = &candidate;
        }
        if (slot) break;
        ::SleepConditionVariableSRW(&work_, &lock_, INFINITE, 0);
      }
      slot->state = SlotState::kEncoding;
    }
    // The slot is ours until its state says otherwise: nobody else touches
    // its buffers meanwhile.
    SlotState result = SlotState::kDone;
    try {
      encoder.Encode(slot->input.data(), slot->output, slot->key_frame);
    } catch (...) {
      slot->failure = std::current_exception();
      result = SlotState::kFailed;
    }
    {
      Lock lock(lock_);
      slot->state = result;
    }
    ::WakeAllConditionVariable(&done_);
  }
}

bool EncodePool::Submit(const std::uint8_t* bits, long tag) {
  Slot* slot = nullptr;
  {
    Lock lock(lock_);
    if (count_ == slots_.size()) return false;
    slot = &slots_[(head_ + count_) % slots_.size()];
  }
  // A free slot belongs to the caller until it is queued.
  std::memcpy(slot->input.data(), bits, format_.ImageSize());
  slot->tag = tag;
  slot->failure = nullptr;
  {
    Lock lock(lock_);
    slot->state = SlotState::kQueued;
    ++count_;
  }
  ::WakeConditionVariable(&work_);
  return true;
}

bool EncodePool::Oldest(Done& done, bool wait) {
  Slot* slot = nullptr;
  {
    Lock lock(lock_);
    for (;;) {
      if (count_ == 0) return false;
      slot = &slots_[head_];
      if (slot->state == SlotState::kDone || slot->state == SlotState::kFailed) break;
      if (!wait) return false;
      ::SleepConditionVariableSRW(&done_, &lock_, INFINITE, 0);
    }
  }
  if (slot->state == SlotState::kFailed) {
    const std::exception_ptr failure = slot->failure;
    Release();
    std::rethrow_exception(failure);
  }
  done.data = slot->output.data();
  done.size = slot->output.size();
  done.key_frame = slot->key_frame;
  done.tag = slot->tag;
  return true;
}

void EncodePool::Release() {
  Lock lock(lock_);
  if (count_ == 0) return;
  slots_[head_].state = SlotState::kFree;
  head_ = (head_ + 1) % slots_.size();
  --count_;
}

bool EncodePool::empty() const {
  Lock lock(lock_);
  return count_ == 0;
}

}  // namespace morvane
