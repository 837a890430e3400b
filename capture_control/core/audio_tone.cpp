#include "audio_tone.h"

#include <algorithm>
#include <cmath>

#include "capture_error.h"

namespace morvane {
namespace {
constexpr double kTwoPi = 6.283185307179586476925286766559;
}

std::uint16_t AudioFormat::BlockAlign() const {
  return static_cast<std::uint16_t>(channels * (bits_per_sample / 8));
}

std::uint32_t AudioFormat::BytesPerSecond() const { return samples_per_second * BlockAlign(); }

bool IsValidAudioFormat(const AudioFormat& format) {
  return (format.bits_per_sample == 8 || format.bits_per_sample == 16) &&
         (format.channels == 1 || format.channels == 2) && format.samples_per_second >= 1000 &&
         format.samples_per_second <= 192000;
}

ToneGenerator::ToneGenerator(const AudioFormat& format, double frequency_hz, double amplitude)
    : format_(format), phase_step_(0), amplitude_(std::clamp(amplitude, 0.0, 1.0)) {
  if (!IsValidAudioFormat(format)) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat, L"音声の形式が正しくありません。");
  }
  // A tone at or above half the sample rate would alias; keep it audible and honest.
  const double nyquist = format.samples_per_second / 2.0;
  if (!(frequency_hz > 0) || frequency_hz >= nyquist) frequency_hz = std::min(440.0, nyquist / 2);
  phase_step_ = frequency_hz / format.samples_per_second;
}

void ToneGenerator::Generate(std::uint8_t* out, std::size_t sample_frames) {
  const bool sixteen = format_.bits_per_sample == 16;
  const int channels = format_.channels;
  for (std::size_t i = 0; i < sample_frames; ++i) {
    const double value = amplitude_ * std::sin(kTwoPi * phase_);
    phase_ += phase_step_;
    if (phase_ >= 1.0) phase_ -= 1.0;
    if (sixteen) {
      const auto sample = static_cast<std::int16_t>(std::lround(value * 32767.0));
      const auto bits = static_cast<std::uint16_t>(sample);
      for (int c = 0; c < channels; ++c) {
        *out++ = static_cast<std::uint8_t>(bits & 0xFF);
        *out++ = static_cast<std::uint8_t>(bits >> 8);
      }
    } else {
      // 8-bit PCM is unsigned with silence at 128.
      const auto sample = static_cast<std::uint8_t>(128 + std::lround(value * 127.0));
      for (int c = 0; c < channels; ++c) *out++ = sample;
    }
  }
  samples_generated_ += sample_frames;
}

}  // namespace morvane
