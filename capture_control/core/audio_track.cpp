#include "audio_track.h"

#include <algorithm>
#include <cstring>

namespace morvane {

AudioTrack::AudioTrack(AudioSource& source, AudioOutput& output, AudioTrackLimits limits)
    : source_(source),
      output_(output),
      block_align_(source.format().BlockAlign()),
      max_lead_(limits.max_lead > 0 ? limits.max_lead : source.format().samples_per_second / 10),
      max_lag_(limits.max_lag > 0 ? limits.max_lag : source.format().samples_per_second / 4),
      // A quarter second per write; a late loop catches up in several.
      buffer_(static_cast<std::size_t>(std::max<std::uint32_t>(source.format().samples_per_second / 4, 1)) *
              block_align_) {}

std::size_t AudioTrack::Chunk(std::int64_t wanted) const {
  return static_cast<std::size_t>(std::min<std::int64_t>(wanted, static_cast<std::int64_t>(buffer_.size() / block_align_)));
}

void AudioTrack::Take(std::int64_t due) {
  while (written_ < due) {
    const std::size_t got = source_.Read(buffer_.data(), Chunk(due - written_));
    if (got == 0) return;
    output_.WriteAudio(buffer_.data(), got * block_align_);
    written_ += static_cast<std::int64_t>(got);
  }
}

void AudioTrack::Silence(std::int64_t count) {
  // 8-bit PCM is unsigned, with silence at 128.
  std::memset(buffer_.data(), source_.format().bits_per_sample == 8 ? 0x80 : 0, buffer_.size());
  while (count > 0) {
    const std::size_t part = Chunk(count);
    output_.WriteAudio(buffer_.data(), part * block_align_);
    written_ += static_cast<std::int64_t>(part);
    count -= static_cast<std::int64_t>(part);
  }
}

void AudioTrack::Discard(std::int64_t count) {
  while (count > 0) {
    const std::size_t got = source_.Read(buffer_.data(), Chunk(count));
    if (got == 0) return;
    trimmed_ += static_cast<std::int64_t>(got);
    count -= static_cast<std::int64_t>(got);
  }
}

void AudioTrack::Advance(std::int64_t due) {
  Take(due);
  const auto waiting = static_cast<std::int64_t>(source_.Ready());
  if (waiting > max_lead_) Discard(waiting - max_lead_);
  if (due - written_ > max_lag_) {
    const std::int64_t missing = due - written_ - max_lag_;
    padded_ += missing;
    Silence(missing);
  }
}

void AudioTrack::Finish(std::int64_t due) {
  source_.Stop();
  Take(due);
  if (written_ < due) {
    // The input's last moments are normally still on their way when it
    // stops; more than that missing is sound lost.
    const std::int64_t missing = due - written_;
    if (missing > max_lag_) padded_ += missing;
    Silence(missing);
  }
  Discard(static_cast<std::int64_t>(source_.Ready()));
}

}  // namespace morvane
