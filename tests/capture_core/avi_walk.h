// A walk over a whole capture file, written from the file layout rather
// than from the writer: every RIFF segment ('AVI ' then 'AVIX'), every list
// inside, the headers' counts, the classic index of the first segment and
// the two-level index (super index 'indx' -> standard index 'ix##' -> data
// chunk) of every stream. It reads the bytes as untrusted input: nothing
// outside the buffer is read, whatever the sizes and offsets say.
//
// Consistent means: the segments fill the file exactly; every chunk lies in
// its parent; the headers claim exactly the chunks the file holds; each
// index that is present points at every data chunk of its range exactly
// once, in order, with the right id and size; and nothing after the last
// segment (a torn chunk) is left over. It knows the layout our writer uses
// (video stream 0 of '00db' or '00dc' chunks, optional PCM stream 1, idx1 offsets from the 'movi'
// type field) and refuses anything else rather than guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace coretest {

// One chunk or list as the walk found it.
struct AviChunk {
  std::uint32_t id = 0;          // FourCC, little-endian as in the file
  std::uint32_t list_type = 0;   // for RIFF and LIST, else 0
  std::uint64_t offset = 0;      // of the chunk header
  std::uint32_t size = 0;        // the size field
  std::uint64_t parent_begin = 0;  // the data of the list it lies in (the file for a RIFF)
  std::uint64_t parent_end = 0;
  int segment = 0;
  int depth = 0;                 // 0 for a RIFF segment, 1 for what lies directly in it, ...
  bool in_movi = false;          // directly inside a 'movi' list
};

// A data or index chunk an index entry points at, with the movi list it lies in.
struct AviIndexTarget {
  std::uint64_t chunk_offset = 0;
  std::uint32_t size = 0;
  std::uint64_t movi_begin = 0;
  std::uint64_t movi_end = 0;
};

struct AviWalk {
  std::string error;  // empty when the file is consistent
  std::vector<AviChunk> chunks;
  std::vector<AviIndexTarget> targets;
  int segments = 0;
  int streams = 0;
  // What the file holds.
  std::uint32_t video_chunks = 0;
  std::uint32_t video_chunks_first_segment = 0;
  std::uint64_t audio_bytes = 0;
  std::uint16_t audio_block_align = 0;
  // What the headers claim.
  std::uint32_t avih_flags = 0;
  std::uint32_t avih_frames = 0;
  std::uint32_t video_length = 0;  // strh of the video stream
  std::uint32_t audio_length = 0;  // strh of the audio stream, in sample frames
  std::uint32_t dmlh_frames = 0;
  std::uint32_t bi_size_image = 0;  // strf of the video stream
  // Per video chunk in file order, whether it is flagged a key frame: by
  // the standard indexes, and by idx1 (first segment only).
  std::vector<bool> video_key_frames;
  std::vector<bool> idx1_video_key_frames;
  // Which indexes the file has (each checked complete when present).
  bool has_idx1 = false;
  bool has_indx = false;

  bool ok() const { return error.empty(); }
};

AviWalk WalkAvi(const std::uint8_t* data, std::size_t size);
inline AviWalk WalkAvi(const std::vector<std::uint8_t>& bytes) { return WalkAvi(bytes.data(), bytes.size()); }

// "00db" for a FourCC value.
std::string FourCcText(std::uint32_t fourcc);

}  // namespace coretest
