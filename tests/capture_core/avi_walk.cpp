#include "avi_walk.h"

#include <algorithm>

namespace coretest {
namespace {

constexpr std::uint32_t FourCc(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

constexpr std::uint32_t kRiff = FourCc("RIFF");
constexpr std::uint32_t kList = FourCc("LIST");
constexpr std::uint32_t kMovi = FourCc("movi");
constexpr std::uint32_t kHdrl = FourCc("hdrl");
constexpr std::uint32_t kStrl = FourCc("strl");
constexpr std::uint32_t kOdml = FourCc("odml");
constexpr std::uint32_t kJunk = FourCc("JUNK");
constexpr std::uint32_t kIdx1 = FourCc("idx1");
constexpr std::uint32_t kIndx = FourCc("indx");
constexpr std::uint32_t kVideoData = FourCc("00db");
constexpr std::uint32_t kCompressedVideoData = FourCc("00dc");
constexpr std::uint32_t kAudioData = FourCc("01wb");
constexpr std::uint32_t kVideoIndex = FourCc("ix00");
constexpr std::uint32_t kAudioIndex = FourCc("ix01");
constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAviifKeyframe = 0x10;
constexpr std::uint32_t kSizeMask = 0x7FFFFFFFu;  // standard index: the top bit marks a non-key frame
constexpr int kMaxDepth = 4;                      // RIFF > LIST hdrl > LIST strl > chunk
constexpr std::size_t kAvihSize = 56;
constexpr std::size_t kStrhSize = 48;
constexpr std::size_t kBitmapInfoHeaderSize = 40;
constexpr std::size_t kWaveFormatSize = 16;
constexpr std::size_t kIndexFields = 24;  // both index kinds, before their entries

// Where the walk found the pieces it checks after the structure.
struct Layout {
  std::size_t hdrl = SIZE_MAX;
  std::size_t avih = SIZE_MAX;
  std::size_t dmlh = SIZE_MAX;
  std::size_t idx1 = SIZE_MAX;
  std::vector<std::size_t> strh, strf, indx;  // per stream; SIZE_MAX when missing
  std::vector<std::size_t> movi;              // per segment
  std::vector<std::size_t> data[2];           // data chunks per stream, in file order
  std::vector<std::size_t> first_movi_data;   // data chunks of the first segment, in file order
  std::vector<std::size_t> index_blocks;      // ix## chunks
};

class Walker {
 public:
  Walker(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  AviWalk Run() {
    if (WalkSegments() && CheckHeaders() && CheckMovi() && CheckIdx1() && CheckSuperIndexes()) CheckCounts();
    return std::move(walk_);
  }

 private:
  bool Fail(const std::string& what, std::uint64_t at) {
    walk_.error = what + " (at " + std::to_string(at) + ")";
    return false;
  }
  bool Has(std::uint64_t at, std::uint64_t n) const { return at <= size_ && n <= size_ - at; }
  std::uint8_t U8(std::uint64_t at) const { return Has(at, 1) ? data_[at] : 0; }
  std::uint16_t U16(std::uint64_t at) const {
    return Has(at, 2) ? static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8) : 0;
  }
  std::uint32_t U32(std::uint64_t at) const {
    if (!Has(at, 4)) return 0;
    return static_cast<std::uint32_t>(data_[at]) | static_cast<std::uint32_t>(data_[at + 1]) << 8 |
           static_cast<std::uint32_t>(data_[at + 2]) << 16 | static_cast<std::uint32_t>(data_[at + 3]) << 24;
  }
  std::uint64_t U64(std::uint64_t at) const { return U32(at) | static_cast<std::uint64_t>(U32(at + 4)) << 32; }
  const AviChunk& Chunk(std::size_t i) const { return walk_.chunks[i]; }
  std::uint64_t DataOf(std::size_t i) const { return Chunk(i).offset + 8; }

  // The chunk whose header starts at `offset`, if the walk found one there.
  std::size_t ChunkAt(std::uint64_t offset) const {
    // Offsets grow strictly in walk order: a list's header precedes its children.
    const auto& c = walk_.chunks;
    auto it = std::lower_bound(c.begin(), c.end(), offset,
                               [](const AviChunk& chunk, std::uint64_t at) { return chunk.offset < at; });
    if (it == c.end() || it->offset != offset) return SIZE_MAX;
    return static_cast<std::size_t>(it - c.begin());
  }

  bool WalkSegments() {
    std::uint64_t at = 0;
    while (at < size_) {
      if (!Has(at, 12)) return Fail(std::to_string(size_ - at) + " bytes after the last segment", at);
      if (U32(at) != kRiff) return Fail("no RIFF header where a segment should start", at);
      const std::uint32_t size = U32(at + 4);
      const std::uint32_t type = U32(at + 8);
      const int segment = walk_.segments;
      if (type != (segment == 0 ? FourCc("AVI ") : FourCc("AVIX"))) return Fail("segment of type " + FourCcText(type), at);
      if (size < 4 || !Has(at + 8, size)) return Fail("RIFF size runs past the file", at);
      const std::uint64_t end = at + 8 + size;
      AviChunk riff;
      riff.id = kRiff;
      riff.list_type = type;
      riff.offset = at;
      riff.size = size;
      riff.parent_begin = 0;
      riff.parent_end = size_;
      riff.segment = segment;
      walk_.chunks.push_back(riff);
      ++walk_.segments;
      layout_.movi.push_back(SIZE_MAX);
      if (!WalkList(at + 12, end, 1, segment, false)) return false;
      at = end;
      if (size & 1) {
        if (!Has(end, 1)) return Fail("odd RIFF segment without its pad byte", end);
        ++at;
      }
    }
    if (walk_.segments == 0) return Fail("empty file", 0);
    return true;
  }

  bool WalkList(std::uint64_t begin, std::uint64_t end, int depth, int segment, bool in_movi) {
    std::uint64_t at = begin;
    while (at < end) {
      if (end - at < 8) return Fail(std::to_string(end - at) + " stray bytes at the end of a list", at);
      AviChunk chunk;
      chunk.id = U32(at);
      chunk.size = U32(at + 4);
      chunk.offset = at;
      chunk.parent_begin = begin;
      chunk.parent_end = end;
      chunk.segment = segment;
      chunk.in_movi = in_movi;
      chunk.depth = depth;
      if (chunk.size > end - at - 8) return Fail(FourCcText(chunk.id) + " runs past its list", at);
      const std::uint64_t data_end = at + 8 + chunk.size;
      const bool is_list = chunk.id == kList;
      if (is_list) {
        if (chunk.size < 4) return Fail("LIST without a type", at);
        chunk.list_type = U32(at + 8);
      }
      const std::size_t index = walk_.chunks.size();
      walk_.chunks.push_back(chunk);
      if (!Place(index, depth)) return false;
      if (is_list) {
        if (depth >= kMaxDepth) return Fail("lists nested too deep", at);
        if (!WalkList(at + 12, data_end, depth + 1, segment, chunk.list_type == kMovi)) return false;
      }
      at = data_end;
      if (chunk.size & 1) {
        if (at >= end) return Fail("odd chunk without its pad byte", at);
        ++at;
      }
    }
    return true;
  }

  // Notes where a chunk belongs in the layout; refuses one out of place.
  bool Place(std::size_t index, int depth) {
    const AviChunk& c = Chunk(index);
    const std::string name = FourCcText(c.id);
    if (c.in_movi) {
      const int stream = c.id == kVideoData || c.id == kCompressedVideoData ? 0 : c.id == kAudioData ? 1 : -1;
      if (stream >= 0) {
        layout_.data[stream].push_back(index);
        if (c.segment == 0) layout_.first_movi_data.push_back(index);
      } else if (c.id == kVideoIndex || c.id == kAudioIndex) {
        layout_.index_blocks.push_back(index);
      } else if (c.id != kJunk) {
        return Fail(name + " inside movi", c.offset);
      }
      return true;
    }
    if (depth == 1) {
      if (c.id == kList && c.list_type == kMovi) {
        if (layout_.movi[c.segment] != SIZE_MAX) return Fail("second movi list in a segment", c.offset);
        layout_.movi[c.segment] = index;
      } else if (c.segment == 0 && c.id == kList && c.list_type == kHdrl) {
        if (layout_.hdrl != SIZE_MAX) return Fail("second hdrl list", c.offset);
        layout_.hdrl = index;
      } else if (c.segment == 0 && c.id == kIdx1) {
        if (layout_.movi[0] == SIZE_MAX || layout_.idx1 != SIZE_MAX) return Fail("idx1 out of place", c.offset);
        layout_.idx1 = index;
      } else if (c.id != kJunk) {
        return Fail(name + " at the top of a segment", c.offset);
      }
      return true;
    }
    // Inside hdrl and its strl and odml lists.
    if (c.id == FourCc("avih") && depth == 2) {
      if (layout_.avih != SIZE_MAX || !layout_.strh.empty()) return Fail("avih out of place", c.offset);
      layout_.avih = index;
    } else if (c.id == kList && c.list_type == kStrl && depth == 2) {
      layout_.strh.push_back(SIZE_MAX);
      layout_.strf.push_back(SIZE_MAX);
      layout_.indx.push_back(SIZE_MAX);
    } else if (depth == 3 && !layout_.strh.empty() && Chunk(ParentOf(index)).list_type == kStrl) {
      std::size_t* slot = c.id == FourCc("strh")   ? &layout_.strh.back()
                          : c.id == FourCc("strf") ? &layout_.strf.back()
                          : c.id == kIndx          ? &layout_.indx.back()
                                                   : nullptr;
      if (slot == nullptr) return c.id == kJunk ? true : Fail(name + " in a strl list", c.offset);
      if (*slot != SIZE_MAX) return Fail("second " + name + " in a strl list", c.offset);
      *slot = index;
    } else if (c.id == FourCc("dmlh") && depth == 3 && Chunk(ParentOf(index)).list_type == kOdml) {
      if (layout_.dmlh != SIZE_MAX) return Fail("second dmlh", c.offset);
      layout_.dmlh = index;
    }
    // Anything else in the header lists (odml, JUNK, strn, ...) is left alone.
    return true;
  }

  std::size_t ParentOf(std::size_t index) const {
    const std::uint64_t header = Chunk(index).parent_begin - 12;  // lists' data starts past id, size and type
    return ChunkAt(header);
  }

  bool CheckHeaders() {
    if (layout_.hdrl == SIZE_MAX || layout_.avih == SIZE_MAX) return Fail("no header list", 0);
    if (Chunk(layout_.avih).size < kAvihSize) return Fail("avih too short", Chunk(layout_.avih).offset);
    const std::uint64_t avih = DataOf(layout_.avih);
    walk_.avih_flags = U32(avih + 12);
    walk_.avih_frames = U32(avih + 16);
    const std::uint32_t streams = U32(avih + 24);
    if (streams < 1 || streams > 2 || streams != layout_.strh.size()) {
      return Fail("avih names " + std::to_string(streams) + " streams, " + std::to_string(layout_.strh.size()) +
                      " strl lists",
                  Chunk(layout_.avih).offset);
    }
    walk_.streams = static_cast<int>(streams);
    for (std::size_t s = 0; s < streams; ++s) {
      if (layout_.strh[s] == SIZE_MAX || layout_.strf[s] == SIZE_MAX) return Fail("strl without strh or strf", 0);
      const AviChunk& strh = Chunk(layout_.strh[s]);
      if (strh.size < kStrhSize) return Fail("strh too short", strh.offset);
      const std::uint32_t type = U32(DataOf(layout_.strh[s]));
      if (type != (s == 0 ? FourCc("vids") : FourCc("auds"))) return Fail("stream of type " + FourCcText(type), strh.offset);
      (s == 0 ? walk_.video_length : walk_.audio_length) = U32(DataOf(layout_.strh[s]) + 32);
    }
    const AviChunk& video_format = Chunk(layout_.strf[0]);
    if (video_format.size < kBitmapInfoHeaderSize) return Fail("video strf too short", video_format.offset);
    walk_.bi_size_image = U32(DataOf(layout_.strf[0]) + 20);
    if (streams == 2) {
      const AviChunk& strf = Chunk(layout_.strf[1]);
      if (strf.size < kWaveFormatSize) return Fail("audio strf too short", strf.offset);
      walk_.audio_block_align = U16(DataOf(layout_.strf[1]) + 12);
      if (walk_.audio_block_align == 0) return Fail("audio block align 0", strf.offset);
    }
    if (layout_.dmlh != SIZE_MAX) {
      if (Chunk(layout_.dmlh).size < 4) return Fail("dmlh too short", Chunk(layout_.dmlh).offset);
      walk_.dmlh_frames = U32(DataOf(layout_.dmlh));
    }
    return true;
  }

  bool CheckMovi() {
    for (int s = 0; s < walk_.segments; ++s) {
      if (layout_.movi[s] == SIZE_MAX) return Fail("segment " + std::to_string(s) + " without a movi list", 0);
    }
    if (walk_.streams == 1 && !layout_.data[1].empty()) return Fail("audio chunk in a file without audio", 0);
    walk_.video_chunks = static_cast<std::uint32_t>(layout_.data[0].size());
    for (std::size_t i : layout_.data[0]) walk_.video_chunks_first_segment += Chunk(i).segment == 0;
    for (std::size_t i : layout_.data[1]) {
      if (Chunk(i).size % walk_.audio_block_align != 0) return Fail("audio chunk of part samples", Chunk(i).offset);
      walk_.audio_bytes += Chunk(i).size;
    }
    return true;
  }

  AviIndexTarget TargetOf(std::size_t index) const {
    const AviChunk& c = Chunk(index);
    return AviIndexTarget{c.offset, c.size, c.parent_begin, c.parent_end};
  }

  // idx1: one entry per data chunk of the first segment, in order, with
  // offsets from the 'movi' type field.
  bool CheckIdx1() {
    const bool flagged = (walk_.avih_flags & kAvifHasIndex) != 0;
    if (layout_.idx1 == SIZE_MAX) {
      return flagged ? Fail("avih claims an index, and there is no idx1", 0) : true;
    }
    const AviChunk& idx1 = Chunk(layout_.idx1);
    if (!flagged) return Fail("idx1 without the index flag", idx1.offset);
    if (idx1.size % 16 != 0) return Fail("idx1 of part entries", idx1.offset);
    const std::uint64_t entries = idx1.size / 16;
    if (entries != layout_.first_movi_data.size()) {
      return Fail("idx1 has " + std::to_string(entries) + " entries for " +
                      std::to_string(layout_.first_movi_data.size()) + " chunks",
                  idx1.offset);
    }
    const std::uint64_t base = Chunk(layout_.movi[0]).offset + 8;
    for (std::uint64_t e = 0; e < entries; ++e) {
      const std::uint64_t at = DataOf(layout_.idx1) + 16 * e;
      const std::size_t expected = layout_.first_movi_data[e];
      if (base + U32(at + 8) != Chunk(expected).offset) return Fail("idx1 entry points off its chunk", at);
      if (U32(at) != Chunk(expected).id || U32(at + 12) != Chunk(expected).size) {
        return Fail("idx1 entry disagrees with its chunk", at);
      }
      walk_.targets.push_back(TargetOf(expected));
      if (U32(at) != kAudioData) walk_.idx1_video_key_frames.push_back((U32(at + 4) & kAviifKeyframe) != 0);
    }
    walk_.has_idx1 = true;
    return true;
  }

  // indx -> ix## -> data, per stream: every data chunk exactly once, in order.
  bool CheckSuperIndexes() {
    int with_super = 0;
    for (std::size_t s = 0; s < layout_.indx.size(); ++s) with_super += layout_.indx[s] != SIZE_MAX;
    if (with_super == 0) {
      return walk_.segments == 1 ? true : Fail("segments after the first without a super index", 0);
    }
    if (with_super != walk_.streams) return Fail("super index for some streams only", 0);
    std::vector<bool> block_used(layout_.index_blocks.size(), false);
    for (int s = 0; s < walk_.streams; ++s) {
      if (!CheckSuperIndex(s, block_used)) return false;
    }
    if (std::find(block_used.begin(), block_used.end(), false) != block_used.end()) {
      return Fail("index block that no super index names", 0);
    }
    walk_.has_indx = true;
    return true;
  }

  bool CheckSuperIndex(int stream, std::vector<bool>& block_used) {
    const AviChunk& indx = Chunk(layout_.indx[stream]);
    const std::uint64_t d = DataOf(layout_.indx[stream]);
    const std::uint32_t data_id = stream == 0 ? (U32(d + 8) == kCompressedVideoData ? kCompressedVideoData : kVideoData)
                                              : kAudioData;
    if (indx.size < kIndexFields || U16(d) != 4 || U8(d + 3) != 0 || U32(d + 8) != data_id) {
      return Fail("malformed super index", indx.offset);
    }
    const std::uint32_t used = U32(d + 4);
    if (used > (indx.size - kIndexFields) / 16) return Fail("super index claims more entries than it holds", indx.offset);
    const std::vector<std::size_t>& chunks = layout_.data[stream];
    std::size_t next = 0;  // the data chunk the next entry must name
    for (std::uint32_t e = 0; e < used; ++e) {
      const std::uint64_t entry = d + kIndexFields + 16ull * e;
      const std::size_t block = ChunkAt(U64(entry));
      if (block == SIZE_MAX || !Chunk(block).in_movi ||
          Chunk(block).id != (stream == 0 ? kVideoIndex : kAudioIndex)) {
        return Fail("super index entry names no index block of its stream", entry);
      }
      const auto pos = std::find(layout_.index_blocks.begin(), layout_.index_blocks.end(), block);
      const std::size_t slot = static_cast<std::size_t>(pos - layout_.index_blocks.begin());
      if (block_used[slot]) return Fail("index block named twice", entry);
      block_used[slot] = true;
      if (U32(entry + 8) != static_cast<std::uint64_t>(Chunk(block).size) + 8) {
        return Fail("super index entry size disagrees with its block", entry);
      }
      walk_.targets.push_back(TargetOf(block));
      std::uint64_t duration = 0;
      if (!CheckIndexBlock(block, data_id, chunks, next, duration)) return false;
      if (U32(entry + 12) != duration) return Fail("super index duration disagrees with its block", entry);
    }
    if (next != chunks.size()) {
      return Fail("stream " + std::to_string(stream) + " has " + std::to_string(chunks.size() - next) +
                      " chunks no index names",
                  chunks.size() > next ? Chunk(chunks[next]).offset : 0);
    }
    return true;
  }

  bool CheckIndexBlock(std::size_t block, std::uint32_t data_id, const std::vector<std::size_t>& chunks,
                       std::size_t& next, std::uint64_t& duration) {
    const AviChunk& ix = Chunk(block);
    const std::uint64_t d = DataOf(block);
    if (ix.size < kIndexFields || U16(d) != 2 || U8(d + 3) != 1 || U32(d + 8) != data_id) {
      return Fail("malformed index block", ix.offset);
    }
    const std::uint32_t n = U32(d + 4);
    if (n > (ix.size - kIndexFields) / 8) return Fail("index block claims more entries than it holds", ix.offset);
    const std::uint64_t base = U64(d + 12);
    for (std::uint32_t k = 0; k < n; ++k) {
      const std::uint64_t entry = d + kIndexFields + 8ull * k;
      const std::uint32_t offset = U32(entry);
      if (next >= chunks.size()) return Fail("index entry past the stream's last chunk", entry);
      const AviChunk& target = Chunk(chunks[next]);
      // Entries point at the data, past the chunk header.
      if (base > UINT64_MAX - offset || base + offset != target.offset + 8) {
        return Fail("index entry points off its chunk", entry);
      }
      if ((U32(entry + 4) & kSizeMask) != target.size) return Fail("index entry size disagrees with its chunk", entry);
      walk_.targets.push_back(TargetOf(chunks[next]));
      if (data_id != kAudioData) walk_.video_key_frames.push_back((U32(entry + 4) & ~kSizeMask) == 0);
      duration += data_id != kAudioData ? 1 : target.size / walk_.audio_block_align;
      ++next;
    }
    return true;
  }

  bool CheckCounts() {
    const std::uint32_t frames = walk_.video_chunks;
    // With a super index avih counts the first segment, the rest the whole file.
    const std::uint32_t avih = walk_.has_indx ? walk_.video_chunks_first_segment : frames;
    if (walk_.avih_frames != avih) return Fail("avih claims " + std::to_string(walk_.avih_frames) + " frames", 0);
    if (walk_.video_length != frames) return Fail("strh claims " + std::to_string(walk_.video_length) + " frames", 0);
    if (layout_.dmlh != SIZE_MAX && walk_.dmlh_frames != frames) {
      return Fail("dmlh claims " + std::to_string(walk_.dmlh_frames) + " frames", 0);
    }
    if (walk_.has_indx && layout_.dmlh == SIZE_MAX) return Fail("super index without dmlh", 0);
    if (walk_.streams == 2 && walk_.audio_length != walk_.audio_bytes / walk_.audio_block_align) {
      return Fail("audio strh claims " + std::to_string(walk_.audio_length) + " samples", 0);
    }
    return true;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  AviWalk walk_;
  Layout layout_;
};

}  // namespace

AviWalk WalkAvi(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr) size = 0;
  return Walker(data, size).Run();
}

std::string FourCcText(std::uint32_t fourcc) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(fourcc >> (8 * i));
    text += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return text;
}

}  // namespace coretest
