#include "avi_chunks.h"

#include "bmp_writer.h"

namespace morvane::avi {

void ChunkWriter::U16(std::uint16_t v) {
  U8(static_cast<std::uint8_t>(v));
  U8(static_cast<std::uint8_t>(v >> 8));
}

void ChunkWriter::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::size_t ChunkWriter::Open(std::uint32_t id, std::uint32_t list_type) {
  U32(id);
  const std::size_t at = out_.size();
  U32(0);
  if (list_type != 0) U32(list_type);
  return at;
}

void ChunkWriter::Close(std::size_t at) {
  const std::size_t size = out_.size() - at - 4;
  for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<std::uint8_t>(size >> (8 * i));
  if (size & 1) U8(0);
}

void WriteMainHeader(ChunkWriter& out, const MainHeader& header) {
  const std::size_t at = out.Open(FourCc("avih"));
  out.U32(header.microseconds_per_frame);
  out.U32(header.max_bytes_per_second);
  out.U32(header.padding_granularity);
  out.U32(header.flags);
  out.U32(header.total_frames);
  out.U32(header.initial_frames);
  out.U32(header.streams);
  out.U32(header.suggested_buffer_size);
  out.U32(header.width);
  out.U32(header.height);
  out.Zeros(4 * 4);  // reserved
  out.Close(at);
}

void WriteStreamHeader(ChunkWriter& out, const StreamHeader& header) {
  const std::size_t at = out.Open(FourCc("strh"));
  out.U32(header.type);
  out.U32(header.handler);
  out.U32(header.flags);
  out.U16(header.priority);
  out.U16(header.language);
  out.U32(header.initial_frames);
  out.U32(header.scale);
  out.U32(header.rate);
  out.U32(header.start);
  out.U32(header.length);
  out.U32(header.suggested_buffer_size);
  out.U32(header.quality);
  out.U32(header.sample_size);
  out.U16(header.frame_left);
  out.U16(header.frame_top);
  out.U16(header.frame_right);
  out.U16(header.frame_bottom);
  out.Close(at);
}

void WriteVideoFormat(ChunkWriter& out, const FrameFormat& frame, std::uint32_t compression) {
  const std::size_t at = out.Open(FourCc("strf"));
  auto info = MakeBitmapInfoHeader(frame);
  // biCompression: the DWORD after biSize, biWidth, biHeight, biPlanes and biBitCount.
  constexpr std::size_t kCompressionField = 16;
  for (int i = 0; i < 4; ++i) info[kCompressionField + i] = static_cast<std::uint8_t>(compression >> (8 * i));
  out.Raw(info.data(), info.size());
  out.Close(at);
}

void WriteCodecVideoFormat(ChunkWriter& out, const std::vector<std::uint8_t>& format) {
  const std::size_t at = out.Open(FourCc("strf"));
  out.Raw(format.data(), format.size());
  out.Close(at);
}

void WriteAudioFormat(ChunkWriter& out, const WaveFormat& format) {
  const std::size_t at = out.Open(FourCc("strf"));
  out.U16(format.format_tag);
  out.U16(format.channels);
  out.U32(format.samples_per_second);
  out.U32(format.average_bytes_per_second);
  out.U16(format.block_align);
  out.U16(format.bits_per_sample);
  out.U16(format.extra_size);
  out.Close(at);
}

void WriteSuperIndex(ChunkWriter& out, const SuperIndex& index) {
  if (!index.present) {
    const std::size_t at = out.Open(FourCc("JUNK"));
    out.Zeros(kSuperIndexFields + 16u * index.capacity);
    out.Close(at);
    return;
  }
  const std::size_t at = out.Open(FourCc("indx"));
  out.U16(index.longs_per_entry);
  out.U8(index.index_sub_type);
  out.U8(index.index_type);
  out.U32(index.entries_in_use);
  out.U32(index.chunk_id);
  out.Zeros(3 * 4);  // reserved
  out.Raw(index.entries, 16u * index.entries_in_use);
  out.Zeros(16u * (index.capacity - index.entries_in_use));
  out.Close(at);
}

void WriteOpenDmlList(ChunkWriter& out, std::uint32_t total_frames) {
  const std::size_t odml = out.Open(FourCc("LIST"), FourCc("odml"));
  const std::size_t dmlh = out.Open(FourCc("dmlh"));
  out.U32(total_frames);
  out.Zeros(kDmlhSize - 4);  // reserved
  out.Close(dmlh);
  out.Close(odml);
}

}  // namespace morvane::avi
