#include "wave_in_recorder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "audio/audio_inputs.h"
#include "core/capture_error.h"
#include "messages.h"
#include "basics/scopes.h"

namespace morvane {
namespace {

// Blocks of 50 ms, 16 of them with the driver: nearly a second before the
// driver runs out, whatever our thread is doing.
constexpr std::uint32_t kBlocksPerSecond = 20;
constexpr std::size_t kBlockCount = 16;
// What waits for the window thread: a few seconds of a host that does not
// return from an event handler.
constexpr std::uint32_t kQueueSeconds = 4;
// An input that fills no block for this long has stopped delivering.
constexpr DWORD kSilentInputMs = 2000;
constexpr DWORD kThreadWaitMs = 250;

std::int64_t Counter() {
  LARGE_INTEGER value;
  ::QueryPerformanceCounter(&value);
  return value.QuadPart;
}

using basics::ExclusiveLock;

[[noreturn]] void ThrowOpenFailure(MMRESULT result, const AudioFormat& format) {
  if (result == WAVERR_BADFORMAT) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat,
                       UiText(TextId::kAudioFormatRefused) + AudioFormatText(format) + UiText(TextId::kAudioFormatRefusedEnd),
                       ERROR_NOT_SUPPORTED);
  }
  throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kAudioInputCannotOpen),
                     result == MMSYSERR_ALLOCATED ? ERROR_BUSY : ERROR_DEVICE_NOT_CONNECTED);
}

}  // namespace

WaveInRecorder::WaveInRecorder(UINT device, const AudioFormat& format)
    : format_(format), block_align_(format.BlockAlign()) {
  if (!IsValidAudioFormat(format)) ThrowOpenFailure(WAVERR_BADFORMAT, format);
  const std::size_t block_bytes =
      std::max<std::size_t>(format.samples_per_second / kBlocksPerSecond, 1) * block_align_;
  block_memory_.resize(block_bytes * kBlockCount);
  blocks_.resize(kBlockCount);
  queue_.resize(static_cast<std::size_t>(format.BytesPerSecond()) * kQueueSeconds);
  block_done_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  quit_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  first_block_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!block_done_ || !quit_ || !first_block_) throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kAudioInputCannotOpen), ::GetLastError());

  const WAVEFORMATEX wave = PcmWaveFormat(format);
  const MMRESULT opened = ::waveInOpen(&wave_, device, &wave, reinterpret_cast<DWORD_PTR>(block_done_.get()), 0,
                                       CALLBACK_EVENT);
  if (opened != MMSYSERR_NOERROR) {
    wave_ = nullptr;
    ThrowOpenFailure(opened, format);
  }
  try {
    for (std::size_t i = 0; i < kBlockCount; ++i) {
      WAVEHDR& block = blocks_[i];
      block.lpData = reinterpret_cast<LPSTR>(block_memory_.data() + i * block_bytes);
      block.dwBufferLength = static_cast<DWORD>(block_bytes);
      if (::waveInPrepareHeader(wave_, &block, sizeof(block)) != MMSYSERR_NOERROR ||
          ::waveInAddBuffer(wave_, &block, sizeof(block)) != MMSYSERR_NOERROR) {
        throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kAudioInputCannotOpen), ERROR_DEVICE_NOT_CONNECTED);
      }
    }
    thread_.reset(::CreateThread(nullptr, 0, &WaveInRecorder::ThreadMain, this, 0, nullptr));
    if (!thread_) throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kAudioInputCannotOpen), ::GetLastError());
    last_block_tick_ = ::GetTickCount();
    started_ = true;
    if (::waveInStart(wave_) != MMSYSERR_NOERROR) {
      throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kAudioInputCannotOpen), ERROR_DEVICE_NOT_CONNECTED);
    }
  } catch (...) {
    Close();
    throw;
  }
}

WaveInRecorder::~WaveInRecorder() { Close(); }

void WaveInRecorder::Start() {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  const std::int64_t now = Counter();
  ExclusiveLock hold(lock_);
  // A block arrives the moment it is full: the stream stood at appended_
  // then, and has run on since (by no more than a block, or the input is
  // late and its next block starts where this one ended).
  std::int64_t since = last_block_counter_ > 0 ? now - last_block_counter_ : 0;
  since = std::min(since, frequency.QuadPart / static_cast<std::int64_t>(kBlocksPerSecond));
  skip_from_ = appended_ + since * format_.samples_per_second / frequency.QuadPart;
  SkipEarly();
}

void WaveInRecorder::SkipEarly() {
  while (consumed_ < skip_from_) {
    std::int64_t count = 0;
    if (!gaps_.empty() && gaps_.front().at == consumed_) {
      Gap& gap = gaps_.front();
      count = std::min(gap.count, skip_from_ - consumed_);
      gap.at += count;
      gap.count -= count;
      lost_ -= count;  // before the capture: nothing of it was lost
      if (gap.count == 0) gaps_.pop_front();
    } else {
      std::int64_t available = static_cast<std::int64_t>(queue_fill_ / block_align_);
      if (!gaps_.empty()) available = std::min(available, gaps_.front().at - consumed_);
      count = std::min(available, skip_from_ - consumed_);
      if (count == 0) return;
      const std::size_t bytes = static_cast<std::size_t>(count) * block_align_;
      queue_start_ = (queue_start_ + bytes) % queue_.size();
      queue_fill_ -= bytes;
    }
    consumed_ += count;
  }
}

void WaveInRecorder::Stop() {
  if (stopped_) return;
  stopped_ = true;
  ending_ = true;
  // Returns every block, the one being filled with what it holds so far.
  ::waveInReset(wave_);
  ::SetEvent(quit_.get());
  if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

void WaveInRecorder::Close() noexcept {
  if (!wave_) return;
  ending_ = true;
  ::waveInReset(wave_);
  ::SetEvent(quit_.get());
  if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
  for (WAVEHDR& block : blocks_) {
    if (block.dwFlags & WHDR_PREPARED) ::waveInUnprepareHeader(wave_, &block, sizeof(block));
  }
  ::waveInClose(wave_);
  wave_ = nullptr;
}

DWORD WINAPI WaveInRecorder::ThreadMain(void* self) {
  static_cast<WaveInRecorder*>(self)->RunThread();
  return 0;
}

void WaveInRecorder::RunThread() {
  const HANDLE events[2] = {block_done_.get(), quit_.get()};
  for (;;) {
    const DWORD woke = ::WaitForMultipleObjects(2, events, FALSE, kThreadWaitMs);
    if (woke == WAIT_FAILED) {
      // An event gone from under us (a handle closed elsewhere) would fail
      // every wait after it: the thread ends, and the input counts as lost,
      // rather than spin until the capture's end waits for it for ever.
      input_lost_ = true;
      return;
    }
    const bool quit = woke == WAIT_OBJECT_0 + 1;
    Harvest(!quit && !ending_);
    if (quit) return;
    if (started_ && !ending_ && ::GetTickCount() - last_block_tick_ > kSilentInputMs) input_lost_ = true;
  }
}

void WaveInRecorder::Harvest(bool requeue) {
  for (std::size_t seen = 0; seen < blocks_.size(); ++seen) {
    WAVEHDR& block = blocks_[next_block_];
    if (!(block.dwFlags & WHDR_DONE)) return;
    Append(reinterpret_cast<const std::uint8_t*>(block.lpData), block.dwBytesRecorded);
    block.dwFlags &= ~WHDR_DONE;
    block.dwBytesRecorded = 0;
    last_block_tick_ = ::GetTickCount();
    next_block_ = (next_block_ + 1) % blocks_.size();
    if (!requeue) continue;
    // An input that delivers again (one slow to start) is not lost; a
    // driver that takes no more blocks has lost its input.
    input_lost_ = ::waveInAddBuffer(wave_, &block, sizeof(block)) != MMSYSERR_NOERROR;
  }
}

void WaveInRecorder::Append(const std::uint8_t* data, std::size_t bytes) {
  bytes -= bytes % block_align_;
  if (bytes == 0) return;
  const auto samples = static_cast<std::int64_t>(bytes / block_align_);
  ::SetEvent(first_block_.get());
  ExclusiveLock hold(lock_);
  last_block_counter_ = Counter();
  if (queue_fill_ + bytes > queue_.size()) {
    // The window thread is far behind: this block is lost, and stands as
    // silence in its place.
    if (!gaps_.empty() && gaps_.back().at + gaps_.back().count == appended_) {
      gaps_.back().count += samples;
    } else {
      gaps_.push_back({appended_, samples});
    }
    lost_ += samples;
    appended_ += samples;
    return;
  }
  std::size_t end = (queue_start_ + queue_fill_) % queue_.size();
  const std::size_t first = std::min(bytes, queue_.size() - end);
  std::memcpy(queue_.data() + end, data, first);
  std::memcpy(queue_.data(), data + first, bytes - first);
  queue_fill_ += bytes;
  appended_ += samples;
}

std::size_t WaveInRecorder::Read(std::uint8_t* out, std::size_t max) {
  ExclusiveLock hold(lock_);
  SkipEarly();
  const std::uint8_t silence = format_.bits_per_sample == 8 ? 0x80 : 0;
  std::size_t done = 0;
  while (done < max) {
    std::size_t count = 0;
    if (!gaps_.empty() && gaps_.front().at == consumed_) {
      Gap& gap = gaps_.front();
      count = static_cast<std::size_t>(std::min<std::int64_t>(gap.count, static_cast<std::int64_t>(max - done)));
      std::memset(out + done * block_align_, silence, count * block_align_);
      gap.at += static_cast<std::int64_t>(count);
      gap.count -= static_cast<std::int64_t>(count);
      if (gap.count == 0) gaps_.pop_front();
    } else {
      std::size_t available = queue_fill_ / block_align_;
      if (!gaps_.empty()) available = std::min<std::size_t>(available, static_cast<std::size_t>(gaps_.front().at - consumed_));
      count = std::min(available, max - done);
      if (count == 0) break;
      const std::size_t bytes = count * block_align_;
      const std::size_t first = std::min(bytes, queue_.size() - queue_start_);
      std::memcpy(out + done * block_align_, queue_.data() + queue_start_, first);
      std::memcpy(out + done * block_align_ + first, queue_.data(), bytes - first);
      queue_start_ = (queue_start_ + bytes) % queue_.size();
      queue_fill_ -= bytes;
    }
    done += count;
    consumed_ += static_cast<std::int64_t>(count);
  }
  return done;
}

std::size_t WaveInRecorder::Ready() const {
  ExclusiveLock hold(lock_);
  return static_cast<std::size_t>(std::max<std::int64_t>(0, appended_ - std::max(consumed_, skip_from_)));
}

std::int64_t WaveInRecorder::LostSamples() const {
  ExclusiveLock hold(lock_);
  return lost_;
}

}  // namespace morvane
