// The video compressors installed on the machine (Video for Windows codecs,
// listed under the system's Drivers32 key), as the compression dialog lists
// them and as encoders of the capture's frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/frame_encoder.h"
#include "core/frame_format.h"

namespace morvane {

struct InstalledCompressor {
  std::uint32_t handler = 0;  // its FOURCC
  std::wstring name;          // as it describes itself
};

// A handler's FOURCC as the user reads it: its four characters, '?' for
// any that does not print.
std::wstring FourCcText(std::uint32_t fourcc);

// In the order the system lists them; one that does not open is left out.
std::vector<InstalledCompressor> InstalledCompressors();
// Whether a compressor of this handler is installed now (FOURCCs compare
// without regard to case, as the system does).
bool IsCompressorInstalled(std::uint32_t handler);

// Encoders of frames of `format` through the compressor `handler` at
// quality 1..100, with a key frame every so often and whatever key frames
// the compressor decides on itself. Making one throws CaptureError when the
// compressor is gone or does not take 24-bit frames of that size.
MakeFrameEncoder MakeInstalledEncoder(std::uint32_t handler, int quality, const FrameFormat& format);

}  // namespace morvane
