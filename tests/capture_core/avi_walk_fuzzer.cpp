// The whole-file AVI walk on bytes nobody vouches for. The input is either
// a file as it is, or a list of byte patches (and a cut) applied to one of a
// few files our writer made, which reaches the indexes and the later
// segments far more often than random bytes would.
//
// Besides never reading outside the buffer (AddressSanitizer watches an
// exactly sized copy), whatever the walk accepts must hold together: every
// chunk inside its list and the file, every index target inside its movi
// list, and the counts it reports matching the chunks it lists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi_walk.h"
#include "avi_writer.h"
#include "file_sink.h"

namespace {

class VectorSink final : public morvane::FileSink {
 public:
  explicit VectorSink(std::vector<std::uint8_t>* bytes) : bytes_(bytes) {}
  void Write(const void* data, std::size_t size) override {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (bytes_->size() < position_ + size) bytes_->resize(position_ + size);
    std::copy(p, p + size, bytes_->begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += size;
  }
  void Seek(std::uint64_t offset) override { position_ = offset; }
  std::uint64_t Position() const override { return position_; }
  void Truncate(std::uint64_t size) override { bytes_->resize(size); }
  void Close() override {}

 private:
  std::vector<std::uint8_t>* bytes_;
  std::uint64_t position_ = 0;
};

struct SeedRow {
  int frames;
  bool audio;
  std::uint64_t riff_limit;
  morvane::AviIndexLimits limits;
};

// Small frames and index blocks, so that a short file has several segments
// and many index blocks.
const SeedRow kSeeds[] = {
    {5, false, morvane::kDefaultRiffLimit, {4, 4}},
    {120, true, 64 * 1024, {8, 32}},
    {200, false, 64 * 1024, {16, 32}},
};

std::vector<std::uint8_t> MakeSeed(const SeedRow& row) {
  std::vector<std::uint8_t> bytes;
  const morvane::AviVideoFormat video{{16, 16, 24}, 40000};
  std::optional<morvane::AudioFormat> audio;
  if (row.audio) audio = morvane::AudioFormat{11025, 8, 1};
  morvane::AviWriter writer(std::make_unique<VectorSink>(&bytes), video, audio, row.riff_limit, row.limits);
  std::vector<std::uint8_t> frame(video.frame.ImageSize(), 0x42);
  std::vector<std::uint8_t> samples(441, 0x80);  // odd: padded chunks
  for (int i = 0; i < row.frames; ++i) {
    writer.WriteVideoFrame(frame.data(), frame.size());
    if (row.audio) writer.WriteAudio(samples.data(), samples.size());
  }
  writer.Close();
  return bytes;
}

const std::vector<std::vector<std::uint8_t>>& Seeds() {
  static const std::vector<std::vector<std::uint8_t>> seeds = [] {
    std::vector<std::vector<std::uint8_t>> made;
    for (const SeedRow& row : kSeeds) made.push_back(MakeSeed(row));
    return made;
  }();
  return seeds;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckAccepted(const coretest::AviWalk& walk, std::size_t size) {
  std::uint32_t video = 0;
  int riffs = 0;
  for (const coretest::AviChunk& c : walk.chunks) {
    Require(c.parent_begin <= c.offset && c.offset <= c.parent_end);
    Require(c.parent_end - c.offset >= 8 && c.parent_end - c.offset - 8 >= c.size);
    Require(c.parent_end <= size);
    riffs += coretest::FourCcText(c.id) == "RIFF";
    // Frames as they are or compressed: the walk takes either as video.
    const std::string id = coretest::FourCcText(c.id);
    video += c.in_movi && (id == "00db" || id == "00dc");
  }
  for (const coretest::AviIndexTarget& t : walk.targets) {
    Require(t.movi_begin <= t.chunk_offset && t.movi_end <= size);
    Require(t.movi_end - t.chunk_offset >= 8 && t.movi_end - t.chunk_offset - 8 >= t.size);
  }
  Require(riffs == walk.segments);
  Require(video == walk.video_chunks);
  Require(walk.video_length == walk.video_chunks);
  if (walk.has_indx) Require(walk.dmlh_frames == walk.video_chunks);
  if (walk.has_idx1 || walk.has_indx) Require(walk.video_chunks == 0 || !walk.targets.empty());
  if (walk.streams == 2) Require(walk.audio_length == walk.audio_bytes / walk.audio_block_align);
}

bool WalkCopy(const std::uint8_t* data, std::size_t size) {
  // An exactly sized heap copy: one byte read past the end is a fault.
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size == 0 ? 1 : size]);
  std::copy(data, data + size, copy.get());
  const coretest::AviWalk walk = coretest::WalkAvi(copy.get(), size);
  if (walk.ok()) CheckAccepted(walk, size);
  return walk.ok();
}

constexpr std::size_t kHeaderRegion = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  if ((mode & 1) == 0) {
    WalkCopy(data + 1, size - 1);
    return 0;
  }
  const std::vector<std::uint8_t>& seed = Seeds()[(mode >> 1) % Seeds().size()];
  std::vector<std::uint8_t> file = seed;
  // Records of 4 bytes: where (the top bit keeps it in the headers) and what to XOR in.
  std::size_t at = 1;
  for (; at + 4 <= size; at += 4) {
    const std::uint32_t where = data[at] | data[at + 1] << 8 | (data[at + 2] & 0x7F) << 16;
    const std::size_t region = (data[at + 2] & 0x80) ? std::min(kHeaderRegion, file.size()) : file.size();
    file[where % region] ^= data[at + 3];
  }
  if (mode & 0x80) {
    // Cut the file, as a crash or a full disk would.
    const std::size_t cut = (static_cast<std::size_t>(mode) * 7919u + size * 104729u) % (file.size() + 1);
    file.resize(cut);
  }
  const bool accepted = WalkCopy(file.data(), file.size());
  if (size == 1 && (mode & 0x80) == 0) Require(accepted);  // the writer's own files pass
  return 0;
}
