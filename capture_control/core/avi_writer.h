// Writes a capture file: one video stream, of 24-bit DIB frames or of a
// codec's compressed frames (one chunk a frame, each its own size, key
// frames flagged in every index), and optionally one PCM audio stream. Files longer than riff_limit go on in
// extension segments with two-level indexes, so long captures stay readable;
// the first segment also carries the classic index for older readers.
//
// Memory stays bounded: index entries are kept in fixed blocks that are
// written to the file as they fill, and only the classic index of the first
// segment grows with the number of chunks in it (reserved up front for the
// frames that segment can hold, so a steady capture does not allocate).
//
// Until Close() the headers claim only what is finished: nothing at first,
// then every segment once it is closed, with its indexes. A program that
// dies mid-capture so leaves a file that plays as far as it claims.
//
// After a failed write, Close() cuts the torn bytes and finishes the file
// at the last complete chunk: every complete frame and sample is kept and
// indexed. Should even the indexes not fit, the file is cut back to the
// segments already closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "audio_tone.h"
#include "avi_chunks.h"
#include "capture_error.h"
#include "file_sink.h"
#include "frame_format.h"

namespace morvane {

struct AviVideoFormat {
  FrameFormat frame;
  std::uint32_t microseconds_per_frame = 66667;
  // The codec's FOURCC (strh handler, strf biCompression); 0 for
  // uncompressed DIB frames.
  std::uint32_t compression = 0;
  // A compressor's own output format (its BITMAPINFOHEADER and the data of
  // its own after it), written as strf as it is; empty: strf is made from
  // frame and compression.
  std::vector<std::uint8_t> codec_format{};

  bool compressed() const { return compression != 0; }
};

using AviAudioFormat = AudioFormat;

// Just under 1 GiB: where the first segment is closed.
constexpr std::uint64_t kDefaultRiffLimit = (1ull << 30) - (16ull << 20);
// Smallest and largest riff_limit accepted: a segment must hold at least its
// headers, and its size field is 32 bits.
constexpr std::uint64_t kMinRiffLimit = 64 * 1024;
constexpr std::uint64_t kMaxRiffLimit = 0xF0000000ull;

// How the two-level index is laid out. The defaults hold 512 index blocks a
// stream of up to 4096 chunks each (at 30 fps about 19 hours, or 512 segments
// of 1 GiB, whichever comes first); tests shrink them to reach the limits.
struct AviIndexLimits {
  std::uint32_t entries_per_block = 4096;  // one standard index chunk, 32 KiB in memory
  std::uint32_t blocks_per_stream = 512;   // super-index entries reserved in the header
};

class AviWriter {
 public:
  // Creates the file and writes provisional headers that claim no frames.
  // Throws CaptureError for a bad path, format or riff_limit, or when the
  // file cannot be created.
  AviWriter(const std::filesystem::path& path, const AviVideoFormat& video,
            const std::optional<AviAudioFormat>& audio,
            std::uint64_t riff_limit = kDefaultRiffLimit, const AviIndexLimits& limits = {});
  // The same onto any sink (tests use an in-memory one).
  AviWriter(std::unique_ptr<FileSink> sink, const AviVideoFormat& video,
            const std::optional<AviAudioFormat>& audio,
            std::uint64_t riff_limit = kDefaultRiffLimit, const AviIndexLimits& limits = {});
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;
  // Closes if Close() was not called; errors are swallowed here, so call
  // Close() to learn of them.
  ~AviWriter();

  // One frame of video.frame.ImageSize() bytes ('00db'). Throws CaptureError;
  // after a write failure the writer accepts no more data, and Close() keeps
  // the chunks that were completely written. kFileTooLong (indexes full) and
  // kInvalidArgument are not failures of the file: Close() finishes normally.
  // Neither is std::bad_alloc (the classic index could not grow): the frame
  // is then not in the file, and the writer goes on.
  void WriteVideoFrame(const std::uint8_t* bits, std::size_t size);
  // One compressed frame ('00dc') of a writer opened with a compression:
  // 1 byte up to MaxCompressedFrame(); key frames are flagged as such in
  // 'idx1' and the standard indexes. Throws as WriteVideoFrame does.
  void WriteCompressedFrame(const std::uint8_t* data, std::size_t size, bool key_frame);
  // The largest compressed frame taken: far more than any codec makes of
  // a frame, and far inside a chunk's 32-bit size.
  std::size_t MaxCompressedFrame() const;
  // A frame slot without a frame: an empty '00db' (or '00dc') chunk, which
  // players take as "the last frame again", so the video keeps its length.
  // In a compressed stream it is no key frame: it only repeats. Throws as
  // WriteVideoFrame does.
  void WriteDroppedFrame();
  // A run of PCM bytes ('01wb'), a whole number of sample frames. Only when
  // the writer was opened with audio.
  void WriteAudio(const std::uint8_t* data, std::size_t size);
  // Writes the indexes and the final headers. Throws CaptureError if that
  // fails or an earlier write failed; the file then still holds headers and
  // indexes that agree with its complete chunks. Calling it again does
  // nothing.
  void Close();

  std::uint32_t frames_written() const { return video_.chunks; }
  std::uint64_t audio_bytes_written() const { return audio_.bytes; }
  // How many RIFF segments the file has so far (1 until the limit is hit).
  std::uint32_t segments() const { return segment_count_; }
  bool closed() const { return closed_; }

 private:
  struct StreamState {
    std::uint32_t chunk_id = 0;            // '00db', '00dc' or '01wb'
    std::uint32_t chunks = 0;              // chunks in the whole file
    std::uint32_t chunks_first_riff = 0;   // chunks in the first segment
    std::uint64_t bytes = 0;               // payload bytes in the whole file
    std::uint32_t max_chunk = 0;           // for the suggested buffer size
    // The open standard-index block: fixed capacity, written out when full
    // or when the segment ends.
    std::vector<std::uint8_t> block;       // chunk header room, then 8 bytes per entry
    std::uint32_t block_entries = 0;
    std::uint64_t block_base = 0;          // absolute offset entries count from
    std::uint64_t block_duration = 0;      // frames (video) or samples (audio)
    // Super-index entries already written: offset, size, duration.
    std::vector<std::uint8_t> super;       // 16 bytes per entry
    std::uint32_t super_entries = 0;
  };

  // What the headers at the start of the file claim.
  struct HeaderClaim {
    std::uint32_t first_frames = 0;  // avih: frames in the first segment
    std::uint32_t total_frames = 0;  // strh and dmlh: frames in the whole file
    std::uint64_t audio_bytes = 0;   // strh of the audio stream
    std::uint64_t riff_size = 4;     // the first segment's RIFF and movi sizes
    std::uint64_t movi_size = 4;
    bool has_idx1 = false;
    // With 'indx' super indexes of these many entries; else room for them.
    bool has_super = false;
    std::uint32_t video_super = 0;
    std::uint32_t audio_super = 0;
  };
  // The file up to the end of its last closed segment, indexes included:
  // what any later failure leaves standing.
  struct ClosedPart {
    bool any = false;
    std::uint64_t end = 0;
    std::uint32_t video_chunks = 0;
    std::uint64_t audio_bytes = 0;
    std::uint32_t video_super = 0;
    std::uint32_t audio_super = 0;
  };

  void Start();
  void WriteChunk(StreamState& stream, const std::uint8_t* data, std::size_t size,
                  std::uint64_t duration, bool key = true);
  void WriteChunkBytes(const StreamState& stream, const std::uint8_t* data, std::size_t size,
                       std::uint64_t chunk_bytes);
  void ReserveIdx1Entry();
  void EnsureRoom(std::uint64_t chunk_bytes);
  void FlushIndexBlock(StreamState& stream);
  // Writes the open segment's index blocks and its idx1 or sizes; then the
  // segment counts as closed. Does nothing for a closed segment.
  void CloseSegment();
  void EndSegment();
  void WriteIdx1();
  void PatchSegmentSizes();
  void BeginExtensionSegment();
  void Finish();
  void FinishWithClosedSegments();
  // Notes the exception being handled as the writer's failure (the first
  // one is kept). Only from inside a catch block.
  void RecordFailure() noexcept;
  HeaderClaim OpenFirstSegmentClaim() const;
  HeaderClaim ClosedSegmentsClaim() const;
  // The headers and the first movi list header, the same size whatever
  // they claim; one chunk of them each.
  void BuildHeaders(const HeaderClaim& claim, std::vector<std::uint8_t>& out) const;
  avi::MainHeader MainHeaderFor(const HeaderClaim& claim) const;
  avi::StreamHeader VideoStreamHeader(const HeaderClaim& claim) const;
  avi::StreamHeader AudioStreamHeader(const HeaderClaim& claim) const;
  avi::WaveFormat AudioStreamFormat() const;
  avi::SuperIndex SuperIndexOf(const StreamState& stream, bool present, std::uint32_t used) const;
  // Builds the headers for claim and writes them over the ones at the
  // start of the file.
  void RewriteHeaders(const HeaderClaim& claim);
  void CheckUsable() const;

  std::filesystem::path path_;  // for messages; empty for a caller's sink
  std::unique_ptr<FileSink> sink_;
  AviVideoFormat video_format_;
  std::optional<AviAudioFormat> audio_format_;
  std::uint64_t riff_limit_ = kDefaultRiffLimit;
  AviIndexLimits limits_;

  StreamState video_;
  StreamState audio_;
  std::vector<std::uint8_t> idx1_;  // classic index of the first segment, 16 bytes per entry
  std::uint8_t scratch_[32] = {};   // chunk headers and padding
  std::vector<std::uint8_t> staging_;  // small chunks go out header and all in one write
  std::vector<std::uint8_t> headers_;  // built headers, reused

  std::uint64_t header_size_ = 0;     // bytes before the first movi list
  std::uint64_t riff_start_ = 0;      // offset of the open segment's RIFF header
  std::uint64_t movi_start_ = 0;      // offset of the open segment's LIST movi header
  std::uint64_t first_riff_size_ = 0; // filled when the first segment closes
  std::uint64_t first_movi_size_ = 0;
  std::uint64_t end_ = 0;             // end of the last complete chunk
  std::uint32_t segment_count_ = 1;
  std::uint32_t segment_chunks_ = 0;  // chunks in the open segment
  bool in_first_segment_ = true;
  bool segment_open_ = true;
  ClosedPart closed_part_;
  bool failed_ = false;
  std::optional<CaptureError> failure_;  // the first failure, reported again by Close()
  bool closed_ = false;
};

}  // namespace morvane
