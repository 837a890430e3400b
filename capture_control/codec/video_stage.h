// The step between a capture's frames and its file. The session hands it
// one thing per frame slot, in order: a frame, or nothing (a slot whose
// frame was lost); the stage writes the file's video chunks in the same
// order, uncompressed, encoded on worker threads, or as a camera's own
// compressed samples. Sound stays with the session, which writes it to the
// same writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "capture_request.h"
#include "codec/frame_encoder.h"
#include "core/avi_writer.h"
#include "core/frame_format.h"

namespace morvane {

class VideoStage {
 public:
  virtual ~VideoStage() = default;
  // The next slot's frame (format.ImageSize() bytes, copied before the
  // call returns). False when it was dropped because encoding is behind:
  // the slot then goes to the file as an empty repeat, as a lost one does.
  virtual bool Put(const std::uint8_t* bits) = 0;
  // The next slot's frame as the camera compressed it, kept as it is.
  // False when this stage does not keep samples.
  virtual bool PutSample(const std::uint8_t*, std::size_t) { return false; }
  // The next slot, without a frame.
  virtual void PutEmpty() = 0;
  // Writes the frames that are ready, in order; never waits for a worker.
  // Throws what a write or an encoder threw.
  virtual void Collect() = 0;
  // Waits for every frame still being encoded and writes it.
  virtual void Finish() = 0;
};

// The FOURCC a file made with this compression names its video with (0:
// uncompressed frames). kAsDelivered keeps Motion JPEG samples.
std::uint32_t CompressionFourCc(const VideoCompression& compression);

// What the file's video format says beyond that FOURCC: an installed
// compressor's own output format; empty for the others. Throws CaptureError
// when the compressor cannot be opened.
std::vector<std::uint8_t> CompressionVideoFormat(const VideoCompression& compression, const FrameFormat& format);

// The stage for the request's compression, writing to writer (opened with
// CompressionFourCc). Throws CaptureError when the codec cannot be opened.
std::unique_ptr<VideoStage> MakeVideoStage(const VideoCompression& compression, const FrameFormat& format,
                                           AviWriter& writer);

// The encoding stage on its own: `threads` workers with encoders made by
// make (tests hand in encoders of their own).
std::unique_ptr<VideoStage> MakeEncodingStage(const FrameFormat& format, AviWriter& writer, int threads,
                                              MakeFrameEncoder make);

}  // namespace morvane
