// Puts pictures of known colour and size on the clipboard, in each of the
// formats a picture can come in.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "dib_header.h"

namespace test_support {

// A packed bottom-up 24-bit DIB filled with one colour.
inline std::vector<unsigned char> PackedDib(int width, int height, COLORREF colour) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> bytes(sizeof(BITMAPINFOHEADER) + std::size_t(stride) * height);
  PutDibHeader(bytes.data(), width, height, 24);
  for (int y = 0; y < height; ++y) {
    unsigned char* row = bytes.data() + sizeof(BITMAPINFOHEADER) + std::size_t(y) * stride;
    for (int x = 0; x < width; ++x) {
      row[x * 3] = GetBValue(colour);
      row[x * 3 + 1] = GetGValue(colour);
      row[x * 3 + 2] = GetRValue(colour);
    }
  }
  return bytes;
}

inline HGLOBAL GlobalCopy(const void* data, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

class ClipboardWriter {
 public:
  ClipboardWriter() {
    for (int i = 0; i < 20 && !open_; ++i) {
      open_ = OpenClipboard(nullptr) != FALSE;
      if (!open_) Sleep(20);
    }
    if (open_) EmptyClipboard();
  }
  ~ClipboardWriter() {
    if (open_) CloseClipboard();
  }
  bool open() const { return open_; }
  bool Put(UINT format, HANDLE data) { return SetClipboardData(format, data) != nullptr; }

 private:
  bool open_ = false;
};

inline bool PutDib(UINT format, const std::vector<unsigned char>& dib) {
  ClipboardWriter clipboard;
  return clipboard.open() && clipboard.Put(format, GlobalCopy(dib.data(), dib.size()));
}

inline bool PutBitmap(int width, int height, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, width, height};
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  ClipboardWriter clipboard;
  return clipboard.open() && clipboard.Put(CF_BITMAP, bitmap);
}

// An enhanced metafile whose frame is width x height pixels of the screen,
// filled with one colour.
inline HENHMETAFILE MakeEnhancedMetafile(int width, int height, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  const int mm_x = GetDeviceCaps(screen, HORZSIZE), px_x = GetDeviceCaps(screen, HORZRES);
  const int mm_y = GetDeviceCaps(screen, VERTSIZE), px_y = GetDeviceCaps(screen, VERTRES);
  // The frame in hundredths of a millimetre, as the reference device measures.
  RECT frame{0, 0, MulDiv(width, mm_x * 100, px_x), MulDiv(height, mm_y * 100, px_y)};
  HDC dc = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
  ReleaseDC(nullptr, screen);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  return CloseEnhMetaFile(dc);
}

inline bool PutEnhancedMetafile(int width, int height, COLORREF colour) {
  ClipboardWriter clipboard;
  return clipboard.open() && clipboard.Put(CF_ENHMETAFILE, MakeEnhancedMetafile(width, height, colour));
}

// A Windows metafile in MM_ANISOTROPIC with a suggested size of width x
// height pixels at 96 dots per inch, drawn in a 0..1000 logical square.
inline bool PutMetafilePict(int width, int height, COLORREF colour) {
  HDC dc = CreateMetaFileW(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ old = SelectObject(dc, brush);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 1001, 1001);
  SelectObject(dc, old);
  DeleteObject(brush);
  METAFILEPICT pict{};
  pict.mm = MM_ANISOTROPIC;
  pict.xExt = MulDiv(width, 2540, 96);
  pict.yExt = MulDiv(height, 2540, 96);
  pict.hMF = CloseMetaFile(dc);
  ClipboardWriter clipboard;
  return clipboard.open() && clipboard.Put(CF_METAFILEPICT, GlobalCopy(&pict, sizeof pict));
}

inline bool PutText(const wchar_t* text) {
  const std::size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  ClipboardWriter clipboard;
  return clipboard.open() && clipboard.Put(CF_UNICODETEXT, GlobalCopy(text, bytes));
}

inline bool ClearClipboard() {
  ClipboardWriter clipboard;
  return clipboard.open();
}

}  // namespace test_support
