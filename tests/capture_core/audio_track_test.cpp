// The file's sound on the picture's clock, with inputs that run fast, slow,
// lose blocks or go away; and which input a stored choice stands for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "audio_input.h"
#include "audio_track.h"

namespace {

using morvane::AudioFormat;
using morvane::AudioInputKind;
using morvane::AudioTrack;

// An input whose card runs at `card_rate` while the file says `format`'s
// rate, delivering in blocks of `block` sample frames after `latency`, and
// delivering nothing after `vanish_at` (seconds of the capture, < 0: never).
class SimulatedInput final : public morvane::AudioSource {
 public:
  SimulatedInput(AudioFormat format, double card_rate, std::int64_t block, double latency, double vanish_at)
      : format_(format), card_rate_(card_rate), block_(block), latency_(latency), vanish_at_(vanish_at) {}
  const AudioFormat& format() const override { return format_; }
  void Start() override {}
  std::size_t Read(std::uint8_t* out, std::size_t max) override {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(max), delivered_ - read_));
    // Recorded sound is never silence here, so padding shows.
    std::fill(out, out + count * format_.BlockAlign(), std::uint8_t{0x11});
    read_ += static_cast<std::int64_t>(count);
    return count;
  }
  std::size_t Ready() const override { return static_cast<std::size_t>(delivered_ - read_); }
  void Stop() override { Deliver(now_ + latency_); }  // the partial block comes back
  std::int64_t LostSamples() const override { return lost_; }
  bool InputLost() const override { return vanish_at_ >= 0 && now_ >= vanish_at_; }

  // Time passes: the blocks the card has filled by `seconds` arrive.
  void Tick(double seconds) {
    now_ = seconds;
    double recording = seconds - latency_;
    if (vanish_at_ >= 0) recording = std::min(recording, vanish_at_);
    const auto recorded = static_cast<std::int64_t>(std::max(0.0, recording) * card_rate_);
    delivered_ = std::max(delivered_, recorded / block_ * block_);
  }
  // A whole block never arrives; the source hands out silence for it.
  void LoseBlock() { lost_ += block_; }

 private:
  void Deliver(double seconds) {
    double recording = seconds;
    if (vanish_at_ >= 0) recording = std::min(recording, vanish_at_);
    delivered_ = std::max(delivered_, static_cast<std::int64_t>(std::max(0.0, recording - latency_) * card_rate_));
  }

  AudioFormat format_;
  double card_rate_;
  std::int64_t block_;
  double latency_;
  double vanish_at_;
  double now_ = 0;
  std::int64_t delivered_ = 0;
  std::int64_t read_ = 0;
  std::int64_t lost_ = 0;
};

class FileAudio final : public morvane::AudioOutput {
 public:
  void WriteAudio(const std::uint8_t* data, std::size_t size) override {
    bytes += size;
    silent += static_cast<std::size_t>(std::count(data, data + size, silence));
  }
  std::uint8_t silence = 0;
  std::size_t bytes = 0;
  std::size_t silent = 0;
};

struct TrackRow {
  const char* name;
  double card_rate;
  int bits;
  double seconds;
  double vanish_at;
  int lost_blocks;
  // Expected, in seconds of sound.
  double lost_low, lost_high;
  bool input_lost;
};

const TrackRow kTracks[] = {
    {"exact card", 44100, 16, 10, -1, 0, 0, 0, false},
    {"card 3 Hz fast, a minute", 44103, 16, 60, -1, 0, 0, 0, false},
    {"card 3 Hz slow, a minute", 44097, 16, 60, -1, 0, 0, 0, false},
    // Far off: the track makes up the difference in silence as it goes.
    {"card 2% slow", 43218, 16, 30, -1, 0, 0.3, 0.6, false},
    {"card 2% fast", 44982, 16, 30, -1, 0, 0, 0, false},
    {"blocks lost in the queue", 44100, 16, 5, -1, 3, 0.15, 0.15, false},
    {"input gone after 2 s of 5", 44100, 16, 5, 2, 0, 2.6, 3.1, true},
    {"8-bit input gone", 44100, 8, 3, 1, 0, 1.6, 2.1, true},
};

TEST(AudioTrackTest, TheSoundLastsAsLongAsThePictureWhateverTheInputDoes) {
  constexpr double kFramesPerSecond = 15;
  for (const TrackRow& row : kTracks) {
    SCOPED_TRACE(row.name);
    const AudioFormat format{44100, static_cast<std::uint16_t>(row.bits), 1};
    SimulatedInput input(format, row.card_rate, 2205, 0.07, row.vanish_at);
    FileAudio file;
    file.silence = row.bits == 8 ? 0x80 : 0;
    AudioTrack track(input, file);
    const auto frames = static_cast<std::int64_t>(row.seconds * kFramesPerSecond);
    int lost_blocks = row.lost_blocks;
    std::int64_t due = 0;
    for (std::int64_t slot = 0; slot < frames; ++slot) {
      input.Tick(static_cast<double>(slot) / kFramesPerSecond);
      if (lost_blocks > 0 && slot % 20 == 10) {
        input.LoseBlock();
        --lost_blocks;
      }
      due = static_cast<std::int64_t>((slot + 1) * 44100 / kFramesPerSecond);
      track.Advance(due);
      ASSERT_LE(track.written(), due) << "slot " << slot << ": sound ran ahead of the picture";
    }
    input.Tick(row.seconds);
    track.Finish(due);
    EXPECT_EQ(due, track.written());
    EXPECT_EQ(static_cast<std::size_t>(due) * format.BlockAlign(), file.bytes);
    const double lost = static_cast<double>(track.lost()) / 44100;
    EXPECT_GE(lost, row.lost_low - 1e-9);
    EXPECT_LE(lost, row.lost_high + 1e-9);
    EXPECT_EQ(row.input_lost, input.InputLost());
    // The silence in the file is the padding and the end; the padding counts
    // only what the queue itself lost once.
    if (row.lost_blocks == 0) {
      EXPECT_GE(file.silent, static_cast<std::size_t>(track.lost() - input.LostSamples()) * format.BlockAlign());
    }
    std::printf("%-28s written %lld, lost %.3f s, trimmed %.3f s\n", row.name, static_cast<long long>(track.written()),
                lost, static_cast<double>(track.trimmed()) / 44100);
  }
}

TEST(AudioTrackTest, TheToneIsWrittenExactlyAsDue) {
  const AudioFormat format{22050, 16, 2};
  morvane::ToneSource tone(format);
  FileAudio file;
  AudioTrack track(tone, file);
  for (std::int64_t due : {0, 1470, 2940, 30000, 30001}) {
    track.Advance(due);
    EXPECT_EQ(due, track.written());
  }
  track.Finish(44100);
  EXPECT_EQ(44100, track.written());
  EXPECT_EQ(0, track.lost());
}

struct InputRow {
  const char* name;
  std::wstring stored;
  bool camera;
  std::vector<std::wstring> inputs;
  AudioInputKind kind;
  unsigned index;
};

TEST(AudioInputTest, AStoredChoiceIsFoundByNameAndAGoneOneIsMissing) {
  const std::vector<std::wstring> inputs = {L"PulseAudio", L"Monitor of Camera", L"Monitor of Spare"};
  const InputRow rows[] = {
      {"automatic, synthetic device", L"", false, inputs, AudioInputKind::kTone, 0},
      {"automatic, synthetic device, no inputs", L"", false, {}, AudioInputKind::kTone, 0},
      {"automatic, camera", L"", true, inputs, AudioInputKind::kDefaultInput, 0},
      {"automatic, camera, no inputs", L"", true, {}, AudioInputKind::kMissing, 0},
      {"named", L"Monitor of Spare", false, inputs, AudioInputKind::kInput, 2},
      {"named, moved up", L"Monitor of Spare", true, {L"Monitor of Spare"}, AudioInputKind::kInput, 0},
      {"named, gone", L"USB Microphone", false, inputs, AudioInputKind::kMissing, 0},
      {"named, case differs", L"monitor of spare", false, inputs, AudioInputKind::kMissing, 0},
  };
  for (const InputRow& row : rows) {
    SCOPED_TRACE(row.name);
    const morvane::AudioInputChoice choice = morvane::ResolveAudioInput(row.stored, row.camera, row.inputs);
    EXPECT_EQ(row.kind, choice.kind);
    EXPECT_EQ(row.index, choice.index);
  }
}

}  // namespace
