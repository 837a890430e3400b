// A recording from one of the machine's sound inputs (wave-in), as the
// capture session's sound source. An input can take its time to deliver
// after it is opened (over a second and a half with Wine's PulseAudio
// driver), so the recorder starts it at once and says when its first block
// came (Delivering); Start then skips what was recorded before the
// capture's first moment. The input fills a ring of blocks that a
// thread of ours hands back to the driver as soon as each is full, copying
// it into a queue of a few seconds; so a window thread busy for a moment
// (a host's event handler, a slow disk) loses nothing. A queue that does
// overflow drops whole blocks, which Read hands out as silence in their
// place and counts.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include "core/audio_source.h"
#include "handles.h"

namespace morvane {

class WaveInRecorder final : public AudioSource {
 public:
  // Opens the input (an input's number or WAVE_MAPPER) in format and starts
  // it, without waiting for its first block. Throws
  // CaptureError with a message for the user when the input cannot be
  // opened or refuses the format.
  WaveInRecorder(UINT device, const AudioFormat& format);
  ~WaveInRecorder() override;
  WaveInRecorder(const WaveInRecorder&) = delete;
  WaveInRecorder& operator=(const WaveInRecorder&) = delete;

  const AudioFormat& format() const override { return format_; }
  void Start() override;
  std::size_t Read(std::uint8_t* out, std::size_t max) override;
  std::size_t Ready() const override;
  bool Delivering() const override { return ::WaitForSingleObject(first_block_.get(), 0) == WAIT_OBJECT_0; }
  void Stop() override;
  std::int64_t LostSamples() const override;
  bool InputLost() const override { return input_lost_.load(); }

 private:
  struct Gap {
    std::int64_t at;     // the stream position the silence begins at
    std::int64_t count;  // sample frames
  };

  static DWORD WINAPI ThreadMain(void* self);
  void RunThread();
  // Takes every full block in order; hands it back to the driver unless
  // the recording is ending.
  void Harvest(bool requeue);
  void Append(const std::uint8_t* data, std::size_t bytes);
  // Drops what lies before skip_from_; under lock_.
  void SkipEarly();
  void Close() noexcept;

  const AudioFormat format_;
  const std::size_t block_align_;
  HWAVEIN wave_ = nullptr;
  UniqueFile block_done_;
  UniqueFile quit_;
  UniqueFile thread_;
  std::vector<std::uint8_t> block_memory_;
  std::vector<WAVEHDR> blocks_;
  std::size_t next_block_ = 0;
  std::atomic<bool> ending_{false};
  std::atomic<bool> input_lost_{false};
  std::atomic<bool> started_{false};
  bool stopped_ = false;
  std::atomic<DWORD> last_block_tick_{0};

  // Shared with the thread, under lock_.
  mutable SRWLOCK lock_ = SRWLOCK_INIT;
  std::vector<std::uint8_t> queue_;  // a ring of recorded bytes
  std::size_t queue_start_ = 0;
  std::size_t queue_fill_ = 0;
  std::deque<Gap> gaps_;
  std::int64_t appended_ = 0;  // sample frames in the stream so far, gaps included
  std::int64_t consumed_ = 0;  // sample frames Read has handed out
  std::int64_t lost_ = 0;
  // Where the capture begins in the stream, and when the last block came
  // (performance counter) to tell it.
  std::int64_t skip_from_ = 0;
  std::int64_t last_block_counter_ = 0;
  UniqueFile first_block_;
};

}  // namespace morvane
