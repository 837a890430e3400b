// Frames encoded on worker threads, handed back in the order they came.
// The pool holds a fixed number of slots, allocated when it is made: a
// frame that finds no free slot is refused at once (the caller drops and
// counts it), so a capture whose encoding falls behind never queues frames
// without bound and its window thread never waits for a worker.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "codec/frame_encoder.h"
#include "core/frame_format.h"
#include "handles.h"

namespace morvane {

// As many encoding threads as the machine has processors.
int EncodingThreads();

class EncodePool {
 public:
  // Starts `threads` workers, each with an encoder of its own made on its
  // thread, and room for `slots` frames of `format`. Throws std::bad_alloc,
  // or CaptureError when a thread does not start or an encoder cannot be
  // made (the first worker's failure is waited for and rethrown here, so a
  // codec that will not open fails the capture before its first frame).
  EncodePool(const FrameFormat& format, int threads, int slots, MakeFrameEncoder make);
  // Stops the workers; frames not taken are lost.
  ~EncodePool();
  EncodePool(const EncodePool&) = delete;
  EncodePool& operator=(const EncodePool&) = delete;

  // Copies the frame into a free slot for the workers; false when every
  // slot is taken. `tag` comes back with the frame.
  bool Submit(const std::uint8_t* bits, long tag);

  struct Done {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    bool key_frame = true;
    long tag = 0;
  };
  // The oldest frame once it is encoded; nothing while it is not (or no
  // frame is in the pool). With wait, blocks until it is. Rethrows a
  // worker's failure to encode it. Release() frees its slot.
  bool Oldest(Done& done, bool wait);
  void Release();
  bool empty() const;
  int threads() const { return static_cast<int>(threads_.size()); }

 private:
  enum class SlotState { kFree, kQueued, kEncoding, kDone, kFailed };
  struct Slot {
    SlotState state = SlotState::kFree;
    long tag = 0;
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> output;
    bool key_frame = true;
    std::exception_ptr failure;
  };

  static DWORD WINAPI WorkerMain(void* pool);
  void Work() noexcept;
  void EncodeLoop(FrameEncoder& encoder);
  void StopWorkers() noexcept;

  const FrameFormat format_;
  MakeFrameEncoder make_;
  mutable SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE work_ = CONDITION_VARIABLE_INIT;  // a slot was queued, or stop
  CONDITION_VARIABLE done_ = CONDITION_VARIABLE_INIT;  // a slot was encoded, or a worker started
  std::vector<Slot> slots_;
  std::size_t head_ = 0;   // the oldest slot in use
  std::size_t count_ = 0;  // slots in use from head_
  bool stop_ = false;
  int started_ = 0;        // workers that made their encoder (or failed to)
  std::exception_ptr start_failure_;
  std::vector<UniqueFile> threads_;
};

}  // namespace morvane
