// PCM test tone for simulated audio: a sine wave whose phase runs on across
// calls, so consecutive buffers join without clicks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvane {

// The fields of a PCM WAVEFORMATEX that vary.
struct AudioFormat {
  std::uint32_t samples_per_second = 11025;
  std::uint16_t bits_per_sample = 8;  // 8 (unsigned) or 16 (signed)
  std::uint16_t channels = 1;         // 1 or 2

  std::uint16_t BlockAlign() const;      // bytes per sample frame
  std::uint32_t BytesPerSecond() const;  // samples_per_second * BlockAlign()
};

// 8 or 16 bits, 1 or 2 channels, 1000 to 192000 samples a second.
bool IsValidAudioFormat(const AudioFormat& format);

class ToneGenerator {
 public:
  // Throws CaptureError (kInvalidFormat) for an invalid format. amplitude is
  // a fraction of full scale, clamped to [0, 1].
  explicit ToneGenerator(const AudioFormat& format, double frequency_hz = 440.0,
                         double amplitude = 0.5);

  // Writes sample_frames * BlockAlign() bytes at out; every channel carries
  // the same sample. Does not allocate.
  void Generate(std::uint8_t* out, std::size_t sample_frames);
  // Sample frames produced so far.
  std::uint64_t samples_generated() const { return samples_generated_; }
  const AudioFormat& format() const { return format_; }

 private:
  AudioFormat format_;
  double phase_step_;  // cycles per sample
  double phase_ = 0;   // in cycles, kept within [0, 1)
  double amplitude_;
  std::uint64_t samples_generated_ = 0;
};

}  // namespace morvane
