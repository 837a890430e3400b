#include "avi_writer.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "bmp_writer.h"
#include "capture_error.h"

namespace morvane {
namespace {

constexpr std::uint32_t FourCc(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint32_t kAvifWasCaptureFile = 0x10000;
constexpr std::uint32_t kAviifKeyframe = 0x10;
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;
constexpr std::size_t kStdIndexHeader = 32;    // chunk header + 24 bytes of fields
constexpr std::size_t kSuperIndexFields = 24;  // before the 16-byte entries
constexpr std::size_t kDmlhSize = 248;
// One audio chunk at most this large: ample for any interleave, and it keeps
// a chunk far inside the 32-bit sizes of a segment.
constexpr std::size_t kMaxAudioChunk = 16u << 20;
// The classic index is reserved up front for what the first segment can hold,
// but never more than this; beyond, the vector doubles (amortised constant
// cost, about log2(n / 65536) reallocations over the first segment).
constexpr std::size_t kMaxIdx1Reserve = 65536;
// Chunks up to this size (audio, typically) are written with one call.
constexpr std::size_t kStagingSize = 64 * 1024;

void Put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put64(std::uint8_t* at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Clamp32(std::uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v); }

// Appends little-endian fields; lists are opened and closed so their sizes
// are filled in from what was put inside.
class Bytes {
 public:
  explicit Bytes(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  void Raw(const std::uint8_t* data, std::size_t size) { out_.insert(out_.end(), data, data + size); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  std::size_t size() const { return out_.size(); }

  // Starts a chunk (or a LIST with its type) and returns where its size goes.
  std::size_t Open(std::uint32_t id, std::uint32_t list_type = 0) {
    U32(id);
    const std::size_t at = out_.size();
    U32(0);
    if (list_type != 0) U32(list_type);
    return at;
  }
  void Close(std::size_t at) {
    const std::size_t size = out_.size() - at - 4;
    Put32(&out_[at], static_cast<std::uint32_t>(size));
    if (size & 1) U8(0);
  }

 private:
  std::vector<std::uint8_t>& out_;
};

CaptureError InvalidArgument(const wchar_t* text) {
  return CaptureError(CaptureErrorKind::kInvalidArgument, text);
}

}  // namespace

AviWriter::AviWriter(const std::filesystem::path& path, const AviVideoFormat& video,
                     const std::optional<AviAudioFormat>& audio, std::uint64_t riff_limit,
                     const AviIndexLimits& limits)
    : path_(path), video_format_(video), audio_format_(audio), riff_limit_(riff_limit), limits_(limits) {
  // Formats are checked before the file is created, so a refused format
  // does not leave an empty file behind.
  CheckOutputPath(path);
  Start();
}

AviWriter::AviWriter(std::unique_ptr<FileSink> sink, const AviVideoFormat& video,
                     const std::optional<AviAudioFormat>& audio, std::uint64_t riff_limit,
                     const AviIndexLimits& limits)
    : sink_(std::move(sink)), video_format_(video), audio_format_(audio), riff_limit_(riff_limit), limits_(limits) {
  if (!sink_) throw InvalidArgument(L"書き込み先がありません。");
  Start();
}

AviWriter::~AviWriter() {
  if (closed_) return;
  try {
    Close();
  } catch (const std::exception&) {
    // Close() already left the headers claiming no more than the file
    // holds; a destructor has no one to tell.
  }
}

void AviWriter::Start() {
  if (!IsValidFrameFormat(video_format_.frame)) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat,
                       L"キャプチャサイズが正しくありません。幅と高さは16～4096にしてください。");
  }
  if (video_format_.microseconds_per_frame == 0) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat, L"フレームの間隔が正しくありません。");
  }
  if (audio_format_ && !IsValidAudioFormat(*audio_format_)) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat, L"音声の形式が正しくありません。");
  }
  if (riff_limit_ < kMinRiffLimit || riff_limit_ > kMaxRiffLimit || limits_.entries_per_block == 0 ||
      limits_.entries_per_block > (1u << 20) || limits_.blocks_per_stream == 0 ||
      limits_.blocks_per_stream > (1u << 16)) {
    throw InvalidArgument(L"ファイルの分割サイズが正しくありません。");
  }

  video_.chunk_id = FourCc("00db");
  audio_.chunk_id = FourCc("01wb");
  // Everything the steady state needs is allocated here.
  for (StreamState* s : {&video_, &audio_}) {
    if (s == &audio_ && !audio_format_) break;
    s->block.assign(kStdIndexHeader + 8u * limits_.entries_per_block, 0);
    s->super.assign(16u * limits_.blocks_per_stream, 0);
  }
  const std::uint64_t frame_chunk = 8 + video_format_.frame.ImageSize();
  const std::uint64_t frames_in_segment = riff_limit_ / frame_chunk + 1;
  const std::uint64_t expected = frames_in_segment * (audio_format_ ? 2 : 1) + 16;
  idx1_.reserve(16 * static_cast<std::size_t>(std::min<std::uint64_t>(expected, kMaxIdx1Reserve)));

  staging_.assign(kStagingSize, 0);

  // The headers have the same size whatever they say; size them first, then
  // build them for an empty file.
  BuildHeaders(false, headers_);
  header_size_ = headers_.size() - 12;
  if (header_size_ + 1024 > riff_limit_) throw InvalidArgument(L"ファイルの分割サイズが小さすぎます。");
  movi_start_ = header_size_;
  riff_start_ = 0;
  end_ = header_size_ + 12;
  BuildHeaders(false, headers_);

  if (!sink_) sink_ = CreateFileSink(path_);
  sink_->Write(headers_.data(), headers_.size());
}

void AviWriter::CheckUsable() const {
  if (closed_) throw MakeFileError(CaptureErrorKind::kClosed, path_);
  if (failed_) throw MakeFileError(CaptureErrorKind::kWriteFailed, path_);
}

void AviWriter::WriteVideoFrame(const std::uint8_t* bits, std::size_t size) {
  CheckUsable();
  if (bits == nullptr || size != video_format_.frame.ImageSize()) {
    throw InvalidArgument(L"フレームの大きさがキャプチャサイズと合いません。");
  }
  WriteChunk(video_, bits, size, 1);
}

void AviWriter::WriteAudio(const std::uint8_t* data, std::size_t size) {
  CheckUsable();
  if (!audio_format_) throw InvalidArgument(L"音声なしで開いたファイルに音声は書けません。");
  const std::uint16_t align = audio_format_->BlockAlign();
  if (data == nullptr || size == 0 || size % align != 0 || size > kMaxAudioChunk) {
    throw InvalidArgument(L"音声データの大きさが正しくありません。");
  }
  WriteChunk(audio_, data, size, size / align);
}

void AviWriter::EnsureRoom(std::uint64_t chunk_bytes) {
  if (segment_chunks_ == 0) return;  // a segment holds at least one chunk
  std::uint64_t projected = end_ + chunk_bytes - riff_start_;
  // The index blocks still open, each one entry longer, go at the segment's end.
  for (const StreamState* s : {&video_, &audio_}) projected += kStdIndexHeader + 8u * (s->block_entries + 1);
  if (in_first_segment_) projected += 8 + idx1_.size() + 16;
  if (projected <= riff_limit_) return;
  EndSegment();
  BeginExtensionSegment();
}

void AviWriter::WriteChunk(StreamState& stream, const std::uint8_t* data, std::size_t size,
                           std::uint64_t duration) {
  try {
    const std::uint64_t chunk_bytes = 8 + size + (size & 1);
    EnsureRoom(chunk_bytes);
    if (stream.block_entries == 0 && stream.super_entries >= limits_.blocks_per_stream) {
      // Not a write failure: what is in the file is intact and Close() finishes it.
      throw MakeFileError(CaptureErrorKind::kFileTooLong, path_);
    }

    const std::uint64_t at = end_;
    if (chunk_bytes <= staging_.size()) {
      Put32(staging_.data(), stream.chunk_id);
      Put32(staging_.data() + 4, static_cast<std::uint32_t>(size));
      std::memcpy(staging_.data() + 8, data, size);
      if (size & 1) staging_[8 + size] = 0;
      sink_->Write(staging_.data(), static_cast<std::size_t>(chunk_bytes));
    } else {
      Put32(scratch_, stream.chunk_id);
      Put32(scratch_ + 4, static_cast<std::uint32_t>(size));
      sink_->Write(scratch_, 8);
      sink_->Write(data, size);
      if (size & 1) {
        scratch_[8] = 0;
        sink_->Write(scratch_ + 8, 1);
      }
    }
    end_ = at + chunk_bytes;
    ++segment_chunks_;
    ++stream.chunks;
    stream.bytes += size;
    stream.max_chunk = std::max(stream.max_chunk, static_cast<std::uint32_t>(size));

    if (in_first_segment_) {
      std::uint8_t entry[16];
      Put32(entry, stream.chunk_id);
      Put32(entry + 4, kAviifKeyframe);
      Put32(entry + 8, static_cast<std::uint32_t>(at - (movi_start_ + 8)));
      Put32(entry + 12, static_cast<std::uint32_t>(size));
      idx1_.insert(idx1_.end(), entry, entry + 16);
    }

    if (stream.block_entries == 0) {
      stream.block_base = at;
      stream.block_duration = 0;
    }
    std::uint8_t* entry = stream.block.data() + kStdIndexHeader + 8u * stream.block_entries;
    // Offsets point at the data, past the chunk header; every chunk is a key frame.
    Put32(entry, static_cast<std::uint32_t>(at + 8 - stream.block_base));
    Put32(entry + 4, static_cast<std::uint32_t>(size));
    ++stream.block_entries;
    stream.block_duration += duration;
    if (stream.block_entries == limits_.entries_per_block) FlushIndexBlock(stream);
  } catch (const CaptureError& error) {
    if (error.kind() != CaptureErrorKind::kFileTooLong && !failed_) {
      failed_ = true;
      failure_ = error;
    }
    throw;
  }
}

void AviWriter::FlushIndexBlock(StreamState& stream) {
  if (stream.block_entries == 0) return;
  const std::uint32_t n = stream.block_entries;
  std::uint8_t* h = stream.block.data();
  const bool is_video = &stream == &video_;
  Put32(h, is_video ? FourCc("ix00") : FourCc("ix01"));
  Put32(h + 4, static_cast<std::uint32_t>(kStdIndexHeader - 8 + 8u * n));
  Put16(h + 8, 2);  // longs per entry
  h[10] = 0;        // sub-type
  h[11] = kIndexOfChunks;
  Put32(h + 12, n);
  Put32(h + 16, stream.chunk_id);
  Put64(h + 20, stream.block_base);
  Put32(h + 28, 0);
  const std::size_t bytes = kStdIndexHeader + 8u * n;
  const std::uint64_t at = end_;
  sink_->Write(h, bytes);
  end_ = at + bytes;

  std::uint8_t* e = stream.super.data() + 16u * stream.super_entries;
  Put64(e, at);
  Put32(e + 8, static_cast<std::uint32_t>(bytes));
  Put32(e + 12, static_cast<std::uint32_t>(stream.block_duration));
  ++stream.super_entries;
  stream.block_entries = 0;
  stream.block_duration = 0;
}

void AviWriter::WriteIdx1() {
  const std::uint64_t movi_end = end_;
  Put32(scratch_, FourCc("idx1"));
  Put32(scratch_ + 4, static_cast<std::uint32_t>(idx1_.size()));
  sink_->Write(scratch_, 8);
  if (!idx1_.empty()) sink_->Write(idx1_.data(), idx1_.size());
  end_ = movi_end + 8 + idx1_.size();
  first_movi_size_ = movi_end - (movi_start_ + 8);
  first_riff_size_ = end_ - 8;
  for (StreamState* s : {&video_, &audio_}) {
    s->chunks_first_riff = s->chunks;
    s->bytes_first_riff = s->bytes;
  }
  idx1_written_ = true;
  std::vector<std::uint8_t>().swap(idx1_);  // the first segment is done with it
}

void AviWriter::PatchSegmentSizes() {
  std::uint8_t size[4];
  Put32(size, static_cast<std::uint32_t>(end_ - riff_start_ - 8));
  sink_->Seek(riff_start_ + 4);
  sink_->Write(size, 4);
  Put32(size, static_cast<std::uint32_t>(end_ - movi_start_ - 8));
  sink_->Seek(movi_start_ + 4);
  sink_->Write(size, 4);
  sink_->Seek(end_);
}

void AviWriter::EndSegment() {
  FlushIndexBlock(video_);
  FlushIndexBlock(audio_);
  if (in_first_segment_) {
    WriteIdx1();
    // Describe the finished first segment now: should the program die later
    // in the capture, the file still plays up to here.
    BuildHeaders(false, headers_);
    CheckHeaderSize(headers_);
    sink_->Seek(0);
    sink_->Write(headers_.data(), headers_.size());
    sink_->Seek(end_);
  } else {
    PatchSegmentSizes();
  }
}

void AviWriter::BeginExtensionSegment() {
  std::uint8_t h[24];
  Put32(h, FourCc("RIFF"));
  Put32(h + 4, 16);  // 'AVIX' and an empty movi list, until the segment is closed
  Put32(h + 8, FourCc("AVIX"));
  Put32(h + 12, FourCc("LIST"));
  Put32(h + 16, 4);
  Put32(h + 20, FourCc("movi"));
  const std::uint64_t at = end_;
  sink_->Write(h, sizeof h);
  riff_start_ = at;
  movi_start_ = at + 12;
  end_ = at + sizeof h;
  in_first_segment_ = false;
  ++segment_count_;
  segment_chunks_ = 0;
}

void AviWriter::Close() {
  if (closed_) return;
  closed_ = true;
  if (failed_) {
    FinishAfterFailure();
    return;
  }
  try {
    Finish();
  } catch (const CaptureError& error) {
    failed_ = true;
    failure_ = error;
    FinishAfterFailure();
  }
}

void AviWriter::CheckHeaderSize(const std::vector<std::uint8_t>& headers) const {
  // Headers of another size would overwrite the first frames; refuse rather
  // than corrupt the capture.
  if (headers.size() != header_size_ + 12) throw MakeFileError(CaptureErrorKind::kWriteFailed, path_);
}

void AviWriter::Finish() {
  sink_->Seek(end_);
  FlushIndexBlock(video_);
  FlushIndexBlock(audio_);
  if (in_first_segment_) {
    WriteIdx1();
  } else {
    PatchSegmentSizes();
  }
  // The headers go last: until they are written the file claims nothing.
  BuildHeaders(true, headers_);
  CheckHeaderSize(headers_);
  sink_->Seek(0);
  sink_->Write(headers_.data(), headers_.size());
  sink_->Close();
}

void AviWriter::FinishAfterFailure() {
  // Something could not be written. What the file keeps is described by a
  // header that claims only chunks known to be complete; the caller still
  // hears of the failure, so the file is never taken for a full capture.
  std::optional<CaptureError> first = failure_;
  try {
    if (!idx1_written_) sink_->Truncate(end_);  // drop a torn chunk at the end
  } catch (const CaptureError& error) {
    first = error;
  }
  try {
    BuildHeaders(false, headers_);
    CheckHeaderSize(headers_);
    sink_->Seek(0);
    sink_->Write(headers_.data(), headers_.size());
  } catch (const CaptureError& error) {
    if (!first) first = error;
  }
  try {
    sink_->Close();
  } catch (const CaptureError& error) {
    if (!first) first = error;
  }
  if (first) throw *first;
  throw MakeFileError(CaptureErrorKind::kWriteFailed, path_);
}

void AviWriter::BuildHeaders(bool complete, std::vector<std::uint8_t>& out) const {
  const FrameFormat& frame = video_format_.frame;
  const bool has_audio = audio_format_.has_value();
  // Frames and audio the headers may claim, and the first segment's sizes.
  std::uint32_t first_frames;
  std::uint32_t total_frames;
  std::uint64_t audio_bytes;
  std::uint64_t riff_size;
  std::uint64_t movi_size;
  if (idx1_written_) {
    first_frames = video_.chunks_first_riff;
    total_frames = complete ? video_.chunks : first_frames;
    audio_bytes = complete ? audio_.bytes : audio_.bytes_first_riff;
    riff_size = first_riff_size_;
    movi_size = first_movi_size_;
  } else {
    first_frames = total_frames = video_.chunks;
    audio_bytes = audio_.bytes;
    riff_size = end_ - 8;
    movi_size = end_ - (header_size_ + 8);
  }
  if (end_ == 0) riff_size = movi_size = 4;  // only sizing the headers: nothing is written yet
  const bool with_super = complete;

  // Built into the same storage each time: its capacity is set by the first
  // build, so later ones do not allocate.
  out.clear();
  out.reserve(2048 + 32u * limits_.blocks_per_stream);
  Bytes b(out);
  b.U32(FourCc("RIFF"));
  b.U32(static_cast<std::uint32_t>(riff_size));
  b.U32(FourCc("AVI "));

  const std::size_t hdrl = b.Open(FourCc("LIST"), FourCc("hdrl"));
  const std::size_t avih = b.Open(FourCc("avih"));
  const std::uint32_t us = video_format_.microseconds_per_frame;
  const std::uint64_t video_rate = (static_cast<std::uint64_t>(frame.ImageSize()) * 1000000 + us - 1) / us;
  const std::uint32_t suggested =
      std::max<std::uint32_t>({static_cast<std::uint32_t>(frame.ImageSize()), video_.max_chunk, audio_.max_chunk});
  b.U32(us);
  b.U32(Clamp32(video_rate + (has_audio ? audio_format_->BytesPerSecond() : 0)));
  b.U32(0);  // padding granularity
  b.U32((idx1_written_ ? kAvifHasIndex : 0) | (has_audio ? kAvifIsInterleaved : 0) | kAvifWasCaptureFile);
  b.U32(first_frames);
  b.U32(0);  // initial frames
  b.U32(has_audio ? 2 : 1);
  b.U32(suggested);
  b.U32(static_cast<std::uint32_t>(frame.width));
  b.U32(static_cast<std::uint32_t>(frame.height));
  b.Zeros(16);
  b.Close(avih);

  auto super_index = [&](const StreamState& s) {
    const std::size_t at = b.Open(with_super ? FourCc("indx") : FourCc("JUNK"));
    if (with_super) {
      b.U16(4);  // longs per entry
      b.U8(0);
      b.U8(kIndexOfIndexes);
      b.U32(s.super_entries);
      b.U32(s.chunk_id);
      b.Zeros(12);
      b.Raw(s.super.data(), s.super.size());
    } else {
      // Room for the super index, so that finishing the file never moves data.
      b.Zeros(kSuperIndexFields + 16u * limits_.blocks_per_stream);
    }
    b.Close(at);
  };

  // Video stream. The rate is reduced so that 40000 us reads as 25/1.
  const std::uint32_t divisor = std::gcd(us, 1000000u);
  const std::size_t vstrl = b.Open(FourCc("LIST"), FourCc("strl"));
  const std::size_t vstrh = b.Open(FourCc("strh"));
  b.U32(FourCc("vids"));
  b.U32(0);  // handler: uncompressed
  b.U32(0);  // flags
  b.U16(0);  // priority
  b.U16(0);  // language
  b.U32(0);  // initial frames
  b.U32(us / divisor);
  b.U32(1000000u / divisor);
  b.U32(0);  // start
  b.U32(total_frames);
  b.U32(static_cast<std::uint32_t>(frame.ImageSize()));
  b.U32(0xFFFFFFFFu);  // default quality
  b.U32(0);            // one frame per chunk
  b.U16(0);
  b.U16(0);
  b.U16(static_cast<std::uint16_t>(frame.width));
  b.U16(static_cast<std::uint16_t>(frame.height));
  b.Close(vstrh);
  const std::size_t vstrf = b.Open(FourCc("strf"));
  const auto bih = MakeBitmapInfoHeader(frame);
  b.Raw(bih.data(), bih.size());
  b.Close(vstrf);
  super_index(video_);
  b.Close(vstrl);

  if (has_audio) {
    const AudioFormat& a = *audio_format_;
    const std::size_t astrl = b.Open(FourCc("LIST"), FourCc("strl"));
    const std::size_t astrh = b.Open(FourCc("strh"));
    b.U32(FourCc("auds"));
    b.U32(0);
    b.U32(0);
    b.U16(0);
    b.U16(0);
    b.U32(0);
    b.U32(a.BlockAlign());
    b.U32(a.BytesPerSecond());
    b.U32(0);
    b.U32(Clamp32(audio_bytes / a.BlockAlign()));
    b.U32(std::max<std::uint32_t>(audio_.max_chunk, a.BytesPerSecond() / 10));
    b.U32(0xFFFFFFFFu);
    b.U32(a.BlockAlign());
    b.Zeros(8);
    b.Close(astrh);
    const std::size_t astrf = b.Open(FourCc("strf"));
    b.U16(1);  // PCM
    b.U16(a.channels);
    b.U32(a.samples_per_second);
    b.U32(a.BytesPerSecond());
    b.U16(a.BlockAlign());
    b.U16(a.bits_per_sample);
    b.U16(0);  // no extra bytes
    b.Close(astrf);
    super_index(audio_);
    b.Close(astrl);
  }

  const std::size_t odml = b.Open(FourCc("LIST"), FourCc("odml"));
  const std::size_t dmlh = b.Open(FourCc("dmlh"));
  b.U32(total_frames);
  b.Zeros(kDmlhSize - 4);
  b.Close(dmlh);
  b.Close(odml);
  b.Close(hdrl);

  b.U32(FourCc("LIST"));
  b.U32(static_cast<std::uint32_t>(movi_size));
  b.U32(FourCc("movi"));
}

}  // namespace morvane
