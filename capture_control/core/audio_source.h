// Where a capture's sound comes from. The session pulls from one source:
// the test tone for the synthetic devices, or a recording from one of the
// machine's sound inputs. AudioTrack keeps what it pulls on the picture's
// clock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio_tone.h"

namespace morvane {

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual const AudioFormat& format() const = 0;
  // The first sample handed out belongs to this moment: the first video
  // frame slot starts now.
  virtual void Start() = 0;
  // Copies up to max sample frames that are ready, in order, and returns
  // how many. Never waits; a recording with nothing new returns 0.
  virtual std::size_t Read(std::uint8_t* out, std::size_t max) = 0;
  // Sample frames recorded and not yet taken by Read.
  virtual std::size_t Ready() const = 0;
  // Whether it delivers sound by now. An input just opened may take its
  // time (over a second and a half with Wine's PulseAudio driver): the
  // capture waits for it before its first moment.
  virtual bool Delivering() const { return true; }
  // Ends the input; what it recorded up to now stays readable.
  virtual void Stop() = 0;
  // Sample frames the source itself lost (and hands out as silence).
  virtual std::int64_t LostSamples() const { return 0; }
  // True once the input failed or went away; the capture goes on in silence.
  virtual bool InputLost() const { return false; }
};

// The synthetic devices' sound: always exactly as much as asked for.
class ToneSource final : public AudioSource {
 public:
  explicit ToneSource(const AudioFormat& format) : tone_(format) {}
  const AudioFormat& format() const override { return tone_.format(); }
  void Start() override {}
  std::size_t Read(std::uint8_t* out, std::size_t max) override {
    tone_.Generate(out, max);
    return max;
  }
  // Made on demand: nothing waits beyond what was asked for.
  std::size_t Ready() const override { return 0; }
  void Stop() override {}

 private:
  ToneGenerator tone_;
};

}  // namespace morvane
