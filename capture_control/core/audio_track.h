// The file's sound on the picture's clock. The session says how many
// sample frames belong before the frame it writes (AudioSamplesBefore);
// the track writes what its source has, up to that and never beyond, so at
// the end the sound lasts exactly as long as the picture, whatever rate the
// sound card really runs at:
// - a source that runs ahead (a card a little fast, a driver that
//   delivered late in a burst) keeps at most max_lead waiting; the oldest
//   sound beyond that is dropped;
// - a source more than max_lag behind (a card a little slow, blocks lost,
//   an input that went away) is made up with silence, counted as lost;
// - Finish pads or trims to the last frame's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio_source.h"

namespace morvane {

// Where the track's bytes go (the AVI writer's audio stream).
class AudioOutput {
 public:
  virtual void WriteAudio(const std::uint8_t* data, std::size_t size) = 0;

 protected:
  ~AudioOutput() = default;
};

struct AudioTrackLimits {
  // In sample frames; 0 means a tenth and a quarter of a second.
  std::int64_t max_lead = 0;
  std::int64_t max_lag = 0;
};

class AudioTrack {
 public:
  // Allocates its one buffer here, so writing allocates nothing.
  AudioTrack(AudioSource& source, AudioOutput& output, AudioTrackLimits limits = {});

  // Writes sound up to `due` sample frames in all.
  void Advance(std::int64_t due);
  // Stops the source and makes the track exactly `due` sample frames long.
  void Finish(std::int64_t due);

  std::int64_t written() const { return written_; }
  // Silence that stands in for sound the input did not deliver.
  std::int64_t lost() const { return padded_ + source_.LostSamples(); }
  // Recorded sound dropped because the input ran ahead of the clock.
  std::int64_t trimmed() const { return trimmed_; }

 private:
  // Copies what the source has, up to `due` in all.
  void Take(std::int64_t due);
  void Silence(std::int64_t count);
  void Discard(std::int64_t count);
  std::size_t Chunk(std::int64_t wanted) const;

  AudioSource& source_;
  AudioOutput& output_;
  const std::size_t block_align_;
  std::int64_t max_lead_;
  std::int64_t max_lag_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t written_ = 0;
  std::int64_t padded_ = 0;
  std::int64_t trimmed_ = 0;
};

}  // namespace morvane
