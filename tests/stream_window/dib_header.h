// The header of a bottom-up uncompressed DIB, which frames and clipboard
// pictures start with; shared by the tests and benches that make them.
#pragma once

#include <windows.h>

#include <cstring>

namespace test_support {

// Writes the header of a bottom-up uncompressed DIB at `at`.
inline void PutDibHeader(void* at, long width, long height, WORD bit_count) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bit_count;
  header.biCompression = BI_RGB;
  std::memcpy(at, &header, sizeof header);
}

}  // namespace test_support
