// The chunks of an AVI file's header list, one struct and one writer per
// chunk, each field named and written in the order of the file layout:
// 'avih', 'strh', the two kinds of 'strf', the OpenDML super index 'indx'
// and the 'odml' list with its 'dmlh'. All values are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame_format.h"

namespace morvane::avi {

constexpr std::uint32_t FourCc(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

// avih flags.
constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint32_t kAvifWasCaptureFile = 0x10000;
// Index types of the OpenDML indexes.
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;
// 'indx' fields before its 16-byte entries.
constexpr std::size_t kSuperIndexFields = 24;
// 'dmlh' as readers expect it: the total frames, then reserved room.
constexpr std::size_t kDmlhSize = 248;

// Appends little-endian fields to a buffer; chunks and lists are opened and
// closed so their sizes are filled in from what was put inside.
class ChunkWriter {
 public:
  explicit ChunkWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void Raw(const std::uint8_t* data, std::size_t size) { out_.insert(out_.end(), data, data + size); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }

  // Starts a chunk (or a LIST with its type) and returns where its size goes.
  std::size_t Open(std::uint32_t id, std::uint32_t list_type = 0);
  // Fills in the size and pads the chunk to an even length.
  void Close(std::size_t at);

 private:
  std::vector<std::uint8_t>& out_;
};

// 'avih', the main header (14 DWORDs).
struct MainHeader {
  std::uint32_t microseconds_per_frame = 0;
  std::uint32_t max_bytes_per_second = 0;
  std::uint32_t padding_granularity = 0;
  std::uint32_t flags = 0;
  std::uint32_t total_frames = 0;  // of the first RIFF segment
  std::uint32_t initial_frames = 0;
  std::uint32_t streams = 0;
  std::uint32_t suggested_buffer_size = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // then 4 reserved DWORDs
};
void WriteMainHeader(ChunkWriter& out, const MainHeader& header);

// 'strh', a stream header (56 bytes).
struct StreamHeader {
  std::uint32_t type = 0;     // 'vids' or 'auds'
  std::uint32_t handler = 0;  // 0: uncompressed
  std::uint32_t flags = 0;
  std::uint16_t priority = 0;
  std::uint16_t language = 0;
  std::uint32_t initial_frames = 0;
  std::uint32_t scale = 0;  // rate / scale: samples per second
  std::uint32_t rate = 0;
  std::uint32_t start = 0;
  std::uint32_t length = 0;  // in samples of the stream
  std::uint32_t suggested_buffer_size = 0;
  std::uint32_t quality = 0xFFFFFFFFu;  // the default
  std::uint32_t sample_size = 0;        // 0: one sample per chunk
  std::uint16_t frame_left = 0;
  std::uint16_t frame_top = 0;
  std::uint16_t frame_right = 0;
  std::uint16_t frame_bottom = 0;
};
void WriteStreamHeader(ChunkWriter& out, const StreamHeader& header);

// 'strf' of a video stream: its BITMAPINFOHEADER, with the codec's FOURCC
// as biCompression for a compressed stream (0: uncompressed). biSizeImage
// stays the frame's uncompressed size, which bounds a decoder's output.
void WriteVideoFormat(ChunkWriter& out, const FrameFormat& frame, std::uint32_t compression = 0);
// 'strf' of a video stream as a compressor gave it: a BITMAPINFOHEADER
// (kBitmapInfoHeaderSize up to kMaxVideoFormat bytes) with any data of its
// own after it.
constexpr std::size_t kMaxVideoFormat = 64 * 1024;
void WriteCodecVideoFormat(ChunkWriter& out, const std::vector<std::uint8_t>& format);

// 'strf' of an audio stream: a WAVEFORMATEX.
struct WaveFormat {
  std::uint16_t format_tag = 1;  // PCM
  std::uint16_t channels = 0;
  std::uint32_t samples_per_second = 0;
  std::uint32_t average_bytes_per_second = 0;
  std::uint16_t block_align = 0;
  std::uint16_t bits_per_sample = 0;
  std::uint16_t extra_size = 0;  // no extra bytes
};
void WriteAudioFormat(ChunkWriter& out, const WaveFormat& format);

// 'indx', a stream's super index: entries_in_use 16-byte entries (64-bit
// offset, size, duration) of room for capacity. Until the file has one,
// a 'JUNK' chunk of the same size keeps its place, so that finishing the
// file never moves data.
struct SuperIndex {
  bool present = false;
  std::uint16_t longs_per_entry = 4;
  std::uint8_t index_sub_type = 0;
  std::uint8_t index_type = kIndexOfIndexes;
  std::uint32_t entries_in_use = 0;
  std::uint32_t chunk_id = 0;
  // then 3 reserved DWORDs
  const std::uint8_t* entries = nullptr;  // entries_in_use * 16 bytes
  std::uint32_t capacity = 0;
};
void WriteSuperIndex(ChunkWriter& out, const SuperIndex& index);

// LIST 'odml' holding 'dmlh': the frames of the whole file.
void WriteOpenDmlList(ChunkWriter& out, std::uint32_t total_frames);

}  // namespace morvane::avi
