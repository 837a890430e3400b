#include "avi_writer.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "avi_chunks.h"
#include "bmp_writer.h"
#include "capture_error.h"

namespace morvane {
namespace {

using avi::FourCc;

constexpr std::uint32_t kAviifKeyframe = 0x10;
// In a standard index entry's size: the chunk is not a key frame.
constexpr std::uint32_t kStdIndexDeltaFrame = 0x80000000u;
constexpr std::size_t kStdIndexHeader = 32;  // chunk header + 24 bytes of fields
// One audio chunk at most this large: ample for any interleave, and it keeps
// a chunk far inside the 32-bit sizes of a segment.
constexpr std::size_t kMaxAudioChunk = 16u << 20;
// The classic index is reserved up front for what the first segment can hold,
// but never more than this; beyond, the vector doubles (amortised constant
// cost, about log2(n / 65536) reallocations over the first segment).
constexpr std::size_t kMaxIdx1Reserve = 65536;
// Chunks up to this size (audio, typically) are written with one call.
constexpr std::size_t kStagingSize = 64 * 1024;
// How often Close() tries to finish the file before cutting it back.
constexpr int kFinishAttempts = 2;

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
  } catch (...) {
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
  // A decoder reads the header's first fields whatever follows them.
  if (!video_format_.codec_format.empty() &&
      (!video_format_.compressed() || video_format_.codec_format.size() < kBitmapInfoHeaderSize ||
       video_format_.codec_format.size() > avi::kMaxVideoFormat)) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat, L"圧縮方式の出力形式が正しくありません。");
  }
  if (riff_limit_ < kMinRiffLimit || riff_limit_ > kMaxRiffLimit || limits_.entries_per_block == 0 ||
      limits_.entries_per_block > (1u << 20) || limits_.blocks_per_stream == 0 ||
      limits_.blocks_per_stream > (1u << 16)) {
    throw InvalidArgument(L"ファイルの分割サイズが正しくありません。");
  }

  video_.chunk_id = video_format_.compressed() ? FourCc("00dc") : FourCc("00db");
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
  BuildHeaders(HeaderClaim{}, headers_);
  header_size_ = headers_.size() - 12;
  if (header_size_ + 1024 > riff_limit_) throw InvalidArgument(L"ファイルの分割サイズが小さすぎます。");
  movi_start_ = header_size_;
  riff_start_ = 0;
  end_ = header_size_ + 12;
  BuildHeaders(OpenFirstSegmentClaim(), headers_);

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
  if (video_format_.compressed()) throw InvalidArgument(L"圧縮するﾌｧｲﾙに非圧縮のﾌﾚｰﾑは書けません。");
  WriteChunk(video_, bits, size, 1);
}

std::size_t AviWriter::MaxCompressedFrame() const { return 2 * video_format_.frame.ImageSize() + (1u << 20); }

void AviWriter::WriteCompressedFrame(const std::uint8_t* data, std::size_t size, bool key_frame) {
  CheckUsable();
  if (!video_format_.compressed()) throw InvalidArgument(L"非圧縮のﾌｧｲﾙに圧縮したﾌﾚｰﾑは書けません。");
  if (data == nullptr || size == 0 || size > MaxCompressedFrame()) {
    throw InvalidArgument(L"圧縮したﾌﾚｰﾑの大きさが正しくありません。");
  }
  WriteChunk(video_, data, size, 1, key_frame);
}

void AviWriter::WriteDroppedFrame() {
  CheckUsable();
  static const std::uint8_t kNothing = 0;
  WriteChunk(video_, &kNothing, 0, 1, !video_format_.compressed());
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
                           std::uint64_t duration, bool key) {
  const std::uint64_t chunk_bytes = 8 + size + (size & 1);
  try {
    EnsureRoom(chunk_bytes);
  } catch (...) {
    RecordFailure();
    throw;
  }
  if (stream.block_entries == 0 && stream.super_entries >= limits_.blocks_per_stream) {
    // Not a write failure: what is in the file is intact and Close() finishes it.
    throw MakeFileError(CaptureErrorKind::kFileTooLong, path_);
  }
  // The classic index grows before the chunk goes out: if memory runs out,
  // the file holds no chunk that its indexes leave out.
  if (in_first_segment_) ReserveIdx1Entry();

  const std::uint64_t at = end_;
  try {
    WriteChunkBytes(stream, data, size, chunk_bytes);
  } catch (...) {
    RecordFailure();
    throw;
  }
  // The chunk is complete in the file; counting and indexing it cannot fail.
  end_ = at + chunk_bytes;
  ++segment_chunks_;
  ++stream.chunks;
  stream.bytes += size;
  stream.max_chunk = std::max(stream.max_chunk, static_cast<std::uint32_t>(size));

  if (in_first_segment_) {
    std::uint8_t entry[16];
    Put32(entry, stream.chunk_id);
    Put32(entry + 4, key ? kAviifKeyframe : 0);
    Put32(entry + 8, static_cast<std::uint32_t>(at - (movi_start_ + 8)));
    Put32(entry + 12, static_cast<std::uint32_t>(size));
    idx1_.insert(idx1_.end(), entry, entry + 16);  // within the reserved capacity
  }

  if (stream.block_entries == 0) {
    stream.block_base = at;
    stream.block_duration = 0;
  }
  std::uint8_t* entry = stream.block.data() + kStdIndexHeader + 8u * stream.block_entries;
  // Offsets point at the data, past the chunk header; the size's top bit
  // marks a chunk that is not a key frame.
  Put32(entry, static_cast<std::uint32_t>(at + 8 - stream.block_base));
  Put32(entry + 4, static_cast<std::uint32_t>(size) | (key ? 0 : kStdIndexDeltaFrame));
  ++stream.block_entries;
  stream.block_duration += duration;
  if (stream.block_entries < limits_.entries_per_block) return;
  try {
    FlushIndexBlock(stream);
  } catch (...) {
    RecordFailure();
    throw;
  }
}

void AviWriter::WriteChunkBytes(const StreamState& stream, const std::uint8_t* data, std::size_t size,
                                std::uint64_t chunk_bytes) {
  if (chunk_bytes <= staging_.size()) {
    Put32(staging_.data(), stream.chunk_id);
    Put32(staging_.data() + 4, static_cast<std::uint32_t>(size));
    std::memcpy(staging_.data() + 8, data, size);
    if (size & 1) staging_[8 + size] = 0;
    sink_->Write(staging_.data(), static_cast<std::size_t>(chunk_bytes));
    return;
  }
  Put32(scratch_, stream.chunk_id);
  Put32(scratch_ + 4, static_cast<std::uint32_t>(size));
  sink_->Write(scratch_, 8);
  sink_->Write(data, size);
  if (size & 1) {
    scratch_[8] = 0;
    sink_->Write(scratch_ + 8, 1);
  }
}

void AviWriter::ReserveIdx1Entry() {
  if (idx1_.size() + 16 <= idx1_.capacity()) return;
  // Doubling keeps the cost amortised constant past the reserved entries.
  idx1_.reserve(std::max(idx1_.capacity() * 2, idx1_.size() + 16));
}

void AviWriter::RecordFailure() noexcept {
  failed_ = true;
  if (failure_) return;
  try {
    try {
      throw;
    } catch (const CaptureError& error) {
      failure_ = error;
    } catch (...) {
      failure_ = MakeFileError(CaptureErrorKind::kWriteFailed, path_);
    }
  } catch (...) {
    // No memory even for the message: Close() reports a plain write failure.
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
  h[11] = avi::kIndexOfChunks;
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
  }
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

void AviWriter::CloseSegment() {
  if (!segment_open_) return;
  sink_->Seek(end_);
  FlushIndexBlock(video_);
  FlushIndexBlock(audio_);
  if (in_first_segment_) {
    WriteIdx1();
  } else {
    PatchSegmentSizes();
  }
  segment_open_ = false;
  closed_part_.any = true;
  closed_part_.end = end_;
  closed_part_.video_chunks = video_.chunks;
  closed_part_.audio_bytes = audio_.bytes;
  closed_part_.video_super = video_.super_entries;
  closed_part_.audio_super = audio_.super_entries;
}

void AviWriter::EndSegment() {
  CloseSegment();
  // Describe every closed segment now: should the program die later in the
  // capture, the file still plays up to here.
  RewriteHeaders(ClosedSegmentsClaim());
  sink_->Seek(end_);
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
  segment_open_ = true;
  ++segment_count_;
  segment_chunks_ = 0;
}

void AviWriter::Close() {
  if (closed_) return;
  closed_ = true;
  // A second try gets past an error that passes (a network drive's hiccup);
  // a full disk fails both.
  bool finished = false;
  for (int attempt = 0; attempt < kFinishAttempts && !finished; ++attempt) {
    try {
      // After a failed write the bytes past the last complete chunk or
      // index block are torn: cut them, then finish as usual, which indexes
      // every complete chunk.
      if (failed_) sink_->Truncate(end_);
      Finish();
      finished = true;
    } catch (...) {
      RecordFailure();
    }
  }
  if (!finished) FinishWithClosedSegments();
  if (!failed_) return;
  // The file is sound, but it is not the whole capture: the caller hears of it.
  if (failure_) throw *failure_;
  throw MakeFileError(CaptureErrorKind::kWriteFailed, path_);
}

void AviWriter::Finish() {
  CloseSegment();
  // The headers go last: until they are written the file claims only the
  // segments closed before.
  RewriteHeaders(ClosedSegmentsClaim());
  sink_->Close();
}

void AviWriter::FinishWithClosedSegments() {
  // Not even the open segment's indexes could be written. Cut back to the
  // closed segments, which are complete with their indexes; in the first
  // segment keep the complete chunks and claim them without an index.
  const bool cut_back = closed_part_.any;
  try {
    sink_->Truncate(cut_back ? closed_part_.end : end_);
  } catch (...) {
    RecordFailure();
  }
  try {
    RewriteHeaders(cut_back ? ClosedSegmentsClaim() : OpenFirstSegmentClaim());
  } catch (...) {
    RecordFailure();
  }
  try {
    sink_->Close();
  } catch (...) {
    RecordFailure();
  }
}

void AviWriter::RewriteHeaders(const HeaderClaim& claim) {
  BuildHeaders(claim, headers_);
  // Headers of another size would overwrite the first frames; refuse rather
  // than corrupt the capture.
  if (headers_.size() != header_size_ + 12) throw MakeFileError(CaptureErrorKind::kWriteFailed, path_);
  sink_->Seek(0);
  sink_->Write(headers_.data(), headers_.size());
}

AviWriter::HeaderClaim AviWriter::OpenFirstSegmentClaim() const {
  HeaderClaim claim;
  claim.first_frames = claim.total_frames = video_.chunks;
  claim.audio_bytes = audio_.bytes;
  claim.riff_size = end_ - 8;
  claim.movi_size = end_ - (header_size_ + 8);
  return claim;
}

AviWriter::HeaderClaim AviWriter::ClosedSegmentsClaim() const {
  HeaderClaim claim;
  claim.first_frames = video_.chunks_first_riff;
  claim.total_frames = closed_part_.video_chunks;
  claim.audio_bytes = closed_part_.audio_bytes;
  claim.riff_size = first_riff_size_;
  claim.movi_size = first_movi_size_;
  claim.has_idx1 = true;
  claim.has_super = true;
  claim.video_super = closed_part_.video_super;
  claim.audio_super = closed_part_.audio_super;
  return claim;
}

avi::MainHeader AviWriter::MainHeaderFor(const HeaderClaim& claim) const {
  const FrameFormat& frame = video_format_.frame;
  const bool has_audio = audio_format_.has_value();
  const std::uint32_t us = video_format_.microseconds_per_frame;
  const std::uint64_t video_rate = (static_cast<std::uint64_t>(frame.ImageSize()) * 1000000 + us - 1) / us;
  avi::MainHeader header;
  header.microseconds_per_frame = us;
  header.max_bytes_per_second = Clamp32(video_rate + (has_audio ? audio_format_->BytesPerSecond() : 0));
  header.padding_granularity = 0;
  header.flags =
      (claim.has_idx1 ? avi::kAvifHasIndex : 0) | (has_audio ? avi::kAvifIsInterleaved : 0) | avi::kAvifWasCaptureFile;
  header.total_frames = claim.first_frames;
  header.initial_frames = 0;
  header.streams = has_audio ? 2 : 1;
  header.suggested_buffer_size =
      std::max<std::uint32_t>({static_cast<std::uint32_t>(frame.ImageSize()), video_.max_chunk, audio_.max_chunk});
  header.width = static_cast<std::uint32_t>(frame.width);
  header.height = static_cast<std::uint32_t>(frame.height);
  return header;
}

avi::StreamHeader AviWriter::VideoStreamHeader(const HeaderClaim& claim) const {
  const FrameFormat& frame = video_format_.frame;
  const std::uint32_t us = video_format_.microseconds_per_frame;
  // The rate is reduced so that 40000 us reads as 25/1.
  const std::uint32_t divisor = std::gcd(us, 1000000u);
  avi::StreamHeader header;
  header.type = FourCc("vids");
  header.handler = video_format_.compression;  // 0: uncompressed
  header.scale = us / divisor;
  header.rate = 1000000u / divisor;
  header.length = claim.total_frames;
  header.suggested_buffer_size = std::max(static_cast<std::uint32_t>(frame.ImageSize()), video_.max_chunk);
  header.sample_size = 0;  // one frame per chunk
  header.frame_right = static_cast<std::uint16_t>(frame.width);
  header.frame_bottom = static_cast<std::uint16_t>(frame.height);
  return header;
}

avi::StreamHeader AviWriter::AudioStreamHeader(const HeaderClaim& claim) const {
  const AudioFormat& audio = *audio_format_;
  avi::StreamHeader header;
  header.type = FourCc("auds");
  header.scale = audio.BlockAlign();
  header.rate = audio.BytesPerSecond();
  header.length = Clamp32(claim.audio_bytes / audio.BlockAlign());
  header.suggested_buffer_size = std::max<std::uint32_t>(audio_.max_chunk, audio.BytesPerSecond() / 10);
  header.sample_size = audio.BlockAlign();
  return header;
}

avi::WaveFormat AviWriter::AudioStreamFormat() const {
  const AudioFormat& audio = *audio_format_;
  avi::WaveFormat format;
  format.channels = audio.channels;
  format.samples_per_second = audio.samples_per_second;
  format.average_bytes_per_second = audio.BytesPerSecond();
  format.block_align = audio.BlockAlign();
  format.bits_per_sample = audio.bits_per_sample;
  return format;
}

avi::SuperIndex AviWriter::SuperIndexOf(const StreamState& stream, bool present, std::uint32_t used) const {
  avi::SuperIndex index;
  index.present = present;
  index.entries_in_use = used;  // entries written since (of a segment still open) stay out
  index.chunk_id = stream.chunk_id;
  index.entries = stream.super.data();
  index.capacity = limits_.blocks_per_stream;
  return index;
}

void AviWriter::BuildHeaders(const HeaderClaim& claim, std::vector<std::uint8_t>& out) const {
  // Built into the same storage each time: its capacity is set by the first
  // build, so later ones do not allocate.
  out.clear();
  out.reserve(2048 + 32u * limits_.blocks_per_stream + video_format_.codec_format.size());
  avi::ChunkWriter b(out);
  b.U32(FourCc("RIFF"));
  b.U32(static_cast<std::uint32_t>(claim.riff_size));
  b.U32(FourCc("AVI "));

  const std::size_t hdrl = b.Open(FourCc("LIST"), FourCc("hdrl"));
  avi::WriteMainHeader(b, MainHeaderFor(claim));
  const std::size_t video_list = b.Open(FourCc("LIST"), FourCc("strl"));
  avi::WriteStreamHeader(b, VideoStreamHeader(claim));
  if (video_format_.codec_format.empty()) {
    avi::WriteVideoFormat(b, video_format_.frame, video_format_.compression);
  } else {
    avi::WriteCodecVideoFormat(b, video_format_.codec_format);
  }
  avi::WriteSuperIndex(b, SuperIndexOf(video_, claim.has_super, claim.video_super));
  b.Close(video_list);
  if (audio_format_) {
    const std::size_t audio_list = b.Open(FourCc("LIST"), FourCc("strl"));
    avi::WriteStreamHeader(b, AudioStreamHeader(claim));
    avi::WriteAudioFormat(b, AudioStreamFormat());
    avi::WriteSuperIndex(b, SuperIndexOf(audio_, claim.has_super, claim.audio_super));
    b.Close(audio_list);
  }
  avi::WriteOpenDmlList(b, claim.total_frames);
  b.Close(hdrl);

  // The first movi list's own header; its chunks follow in the file.
  b.U32(FourCc("LIST"));
  b.U32(static_cast<std::uint32_t>(claim.movi_size));
  b.U32(FourCc("movi"));
}

}  // namespace morvane
