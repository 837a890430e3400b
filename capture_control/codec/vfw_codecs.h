// The video compressors installed on the machine (Video for Windows codecs,
// listed under the system's Drivers32 key), as the compression dialog lists
// them and as encoders of the capture's frames.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codec/frame_encoder.h"
#include "core/frame_format.h"

namespace morvane {

struct InstalledCompressor {
  std::uint32_t handler = 0;  // its FOURCC
  std::wstring name;          // as it describes itself
  bool configurable = false;  // it has a settings dialog of its own
  bool has_about = false;     // it has an about box
};

// A compressor's state is what its settings dialog left (ICGetState),
// handed back before it compresses (ICSetState); empty: its defaults.
using CompressorState = std::vector<std::uint8_t>;

// A handler's FOURCC as the user reads it: its four characters, '?' for
// any that does not print.
std::wstring FourCcText(std::uint32_t fourcc);

// In the order the system lists them; one that does not open is left out.
std::vector<InstalledCompressor> InstalledCompressors();

// Whether the compressor `handler` can be opened now, and takes state.
enum class CompressorCheck { kReady, kGone, kStateRefused };
CompressorCheck CheckCompressor(std::uint32_t handler, const CompressorState& state);

// Runs the compressor's settings dialog over owner, starting from state
// (from its defaults when it refuses state).
// True, with state replaced by what the user left, when the user confirmed;
// false, state untouched, when cancelled. Throws CaptureError when the
// compressor is gone.
bool ConfigureCompressor(std::uint32_t handler, HWND owner, CompressorState& state);
// Shows the compressor's about box over owner. Throws CaptureError when the
// compressor is gone.
void ShowCompressorAbout(std::uint32_t handler, HWND owner);

// The format the compressor makes of frames of `format` (its
// BITMAPINFOHEADER and whatever data of its own follows), as a file's
// stream names it. Throws CaptureError as making an encoder does.
std::vector<std::uint8_t> CompressorOutputFormat(std::uint32_t handler, const CompressorState& state,
                                                 const FrameFormat& format);

// Encoders of frames of `format` through the compressor `handler` set to
// state, at quality 1..100, with a key frame every so often and whatever key
// frames the compressor decides on itself. Making one throws CaptureError
// when the compressor is gone, refuses state or does not take 24-bit frames
// of that size.
MakeFrameEncoder MakeInstalledEncoder(std::uint32_t handler, int quality, const CompressorState& state,
                                      const FrameFormat& format);

}  // namespace morvane
