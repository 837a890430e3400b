#include "codec/video_stage.h"

#include <utility>

#include "codec/encode_pool.h"
#include "codec/jpeg_codec.h"
#include "codec/vfw_codecs.h"
#include "core/avi_chunks.h"

namespace morvane {
namespace {

// Uncompressed frames go straight into the file, as they always did.
class UncompressedStage final : public VideoStage {
 public:
  UncompressedStage(const FrameFormat& format, AviWriter& writer) : format_(format), writer_(writer) {}
  bool Put(const std::uint8_t* bits) override {
    writer_.WriteVideoFrame(bits, format_.ImageSize());
    return true;
  }
  void PutEmpty() override { writer_.WriteDroppedFrame(); }
  void Collect() override {}
  void Finish() override {}

 private:
  const FrameFormat format_;
  AviWriter& writer_;
};

// A camera's Motion JPEG, written as it came: every sample stands alone.
class SampleStage final : public VideoStage {
 public:
  explicit SampleStage(AviWriter& writer) : writer_(writer) {}
  // A frame without its sample cannot be kept as it came.
  bool Put(const std::uint8_t*) override {
    writer_.WriteDroppedFrame();
    return false;
  }
  bool PutSample(const std::uint8_t* data, std::size_t size) override {
    writer_.WriteCompressedFrame(data, size, true);
    return true;
  }
  void PutEmpty() override { writer_.WriteDroppedFrame(); }
  void Collect() override {}
  void Finish() override {}

 private:
  AviWriter& writer_;
};

// Frames encoded on the pool's workers and written here, on the session's
// thread, in the order of their slots. An empty slot that comes while
// frames before it are still being encoded waits with the next frame (as
// its count of empties before it) so the file keeps the slots' order.
class EncodingStage final : public VideoStage {
 public:
  EncodingStage(const FrameFormat& format, AviWriter& writer, int threads, MakeFrameEncoder make)
      : writer_(writer), pool_(format, threads, threads + 2, std::move(make)) {}

  bool Put(const std::uint8_t* bits) override {
    Collect();
    if (!pool_.Submit(bits, pending_empties_)) {
      ++pending_empties_;
      return false;
    }
    pending_empties_ = 0;
    return true;
  }

  void PutEmpty() override {
    if (pool_.empty()) {
      writer_.WriteDroppedFrame();
    } else {
      ++pending_empties_;
    }
  }

  void Collect() override { Drain(false); }
  void Finish() override { Drain(true); }

 private:
  void Drain(bool wait) {
    EncodePool::Done done;
    while (pool_.Oldest(done, wait)) {
      try {
        for (long i = 0; i < done.tag; ++i) writer_.WriteDroppedFrame();
        writer_.WriteCompressedFrame(done.data, done.size, done.key_frame);
      } catch (...) {
        pool_.Release();
        throw;
      }
      pool_.Release();
    }
    if (!pool_.empty()) return;
    for (; pending_empties_ > 0; --pending_empties_) writer_.WriteDroppedFrame();
  }

  AviWriter& writer_;
  EncodePool pool_;
  long pending_empties_ = 0;
};

class JpegFrameEncoder final : public FrameEncoder {
 public:
  JpegFrameEncoder(const FrameFormat& format, int quality) : format_(format), quality_(quality) {}
  void Encode(const std::uint8_t* bits, std::vector<std::uint8_t>& out, bool& key_frame) override {
    codec_.Encode(format_, bits, quality_, out);
    key_frame = true;
  }

 private:
  const FrameFormat format_;
  const int quality_;
  JpegCodec codec_;
};

}  // namespace

std::uint32_t CompressionFourCc(const VideoCompression& compression) {
  switch (compression.kind) {
    case VideoCompression::Kind::kNone:
      return 0;
    case VideoCompression::Kind::kMotionJpeg:
    case VideoCompression::Kind::kAsDelivered:
      return avi::FourCc("MJPG");
    case VideoCompression::Kind::kInstalled:
      return compression.handler;
  }
  return 0;
}

std::vector<std::uint8_t> CompressionVideoFormat(const VideoCompression& compression, const FrameFormat& format) {
  if (compression.kind != VideoCompression::Kind::kInstalled) return {};
  return CompressorOutputFormat(compression.handler, compression.state, format);
}

std::unique_ptr<VideoStage> MakeEncodingStage(const FrameFormat& format, AviWriter& writer, int threads,
                                              MakeFrameEncoder make) {
  return std::make_unique<EncodingStage>(format, writer, threads, std::move(make));
}

std::unique_ptr<VideoStage> MakeVideoStage(const VideoCompression& compression, const FrameFormat& format,
                                           AviWriter& writer) {
  switch (compression.kind) {
    case VideoCompression::Kind::kNone:
      break;
    case VideoCompression::Kind::kMotionJpeg: {
      const int quality = compression.quality;
      return MakeEncodingStage(format, writer, EncodingThreads(),
                               [format, quality] { return std::make_unique<JpegFrameEncoder>(format, quality); });
    }
    case VideoCompression::Kind::kAsDelivered:
      return std::make_unique<SampleStage>(writer);
    case VideoCompression::Kind::kInstalled:
      // A compressor's frames may depend on the ones before: one thread
      // hands it every frame in order.
      return MakeEncodingStage(format, writer, 1,
                               MakeInstalledEncoder(compression.handler, compression.quality, compression.state, format));
  }
  return std::make_unique<UncompressedStage>(format, writer);
}

}  // namespace morvane
