// The layout of a packed device-independent bitmap (the clipboard's CF_DIB
// and CF_DIBV5 blocks), checked against the block's real size before a byte
// of it is drawn. The block comes from another program, so nothing in its
// header is trusted. Platform-free: the fields are read by their offsets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sample {

// Where each part of an accepted bitmap lies in its block: the header, then
// the colour masks (when they follow a plain info header) and the colour
// table, then the pixel rows. A block that is too short for what its header
// announces, or a header we cannot draw, gives ok == false and the reason.
struct PackedDibLayout {
  bool ok = false;
  std::size_t header_size = 0;
  std::size_t masks_offset = 0;    // the three colour masks; inside the header from 52 bytes on
  std::size_t colours_offset = 0;  // the colour table, after the masks
  std::size_t colours_size = 0;
  std::size_t bits_offset = 0;
  std::size_t bits_size = 0;
  std::uint32_t width = 0;   // pixels
  std::uint32_t height = 0;  // pixels, whichever way the rows run
  const wchar_t* problem = nullptr;
};
PackedDibLayout InspectPackedDib(const void* data, std::size_t size);

}  // namespace sample
