#include "clip_picture.h"

#include <cstdint>
#include <cstring>
#include <cstdlib>

#include "screen_resolution.h"
#include "tool_window.h"

namespace sample {
namespace {

// The clipboard formats that hold a picture. Which one is taken is decided by
// the clipboard's own order of formats, not by this table.
constexpr UINT kPictureFormats[] = {CF_BITMAP, CF_DIB, CF_DIBV5, CF_METAFILEPICT, CF_ENHMETAFILE};

constexpr std::size_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER
constexpr std::size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::size_t kV5HeaderSize = 124;   // BITMAPV5HEADER
constexpr int kHimetricPerInch = 2540;

convert::RuntimeError PictureError(const wchar_t* what) {
  return convert::RuntimeError(static_cast<long>(E_FAIL), what);
}

struct ScreenDpi {
  int x = 96;
  int y = 96;
};

ScreenDpi GetScreenDpi() {
  const forms::PixelsPerInch screen = forms::ScreenPixelsPerInch();
  return ScreenDpi{screen.x, screen.y};
}

PackedDibLayout Refuse(const wchar_t* problem) {
  PackedDibLayout layout;
  layout.problem = problem;
  return layout;
}

std::uint32_t ReadU32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

bool IsDrawableBitCount(unsigned bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

PackedDibLayout InspectPackedDib(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (!data || size < sizeof(std::uint32_t)) return Refuse(L"ビットマップのヘッダーがありません。");
  const std::size_t header_size = ReadU32(bytes);
  if (header_size > size) return Refuse(L"ビットマップのヘッダーが途中で切れています。");

  std::uint64_t width = 0;
  std::uint64_t height = 0;
  unsigned bit_count = 0;
  std::uint64_t colours = 0;
  std::uint64_t colour_entry_size = sizeof(RGBQUAD);
  std::uint64_t bits_size = 0;
  std::uint64_t offset = header_size;

  if (header_size == kCoreHeaderSize) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, bytes, sizeof core);
    width = core.bcWidth;
    height = core.bcHeight;
    bit_count = core.bcBitCount;
    colour_entry_size = sizeof(RGBTRIPLE);
    if (bit_count <= 8) colours = std::uint64_t{1} << bit_count;
  } else if (header_size >= kInfoHeaderSize && header_size <= kV5HeaderSize) {
    BITMAPINFOHEADER info;
    std::memcpy(&info, bytes, sizeof info);
    if (info.biWidth <= 0) return Refuse(L"ビットマップの幅が正しくありません。");
    if (info.biHeight == 0 || info.biHeight == INT32_MIN) return Refuse(L"ビットマップの高さが正しくありません。");
    width = static_cast<std::uint64_t>(info.biWidth);
    height = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(info.biHeight)));
    bit_count = info.biBitCount;
    switch (info.biCompression) {
      case BI_RGB:
        break;
      case BI_BITFIELDS:
        if (bit_count != 16 && bit_count != 32) return Refuse(L"ビットマップの形式が正しくありません。");
        // The three masks follow a plain info header; the larger headers hold them inside.
        if (header_size == kInfoHeaderSize) offset += 3 * sizeof(DWORD);
        break;
      case BI_RLE8:
      case BI_RLE4:
        if (bit_count != (info.biCompression == BI_RLE8 ? 8u : 4u) || info.biHeight < 0) {
          return Refuse(L"ビットマップの形式が正しくありません。");
        }
        if (info.biSizeImage == 0) return Refuse(L"ビットマップの大きさが記されていません。");
        bits_size = info.biSizeImage;
        break;
      default:
        return Refuse(L"この圧縮形式のビットマップは表示できません。");
    }
    if (info.biClrUsed != 0) {
      colours = info.biClrUsed;
    } else if (bit_count <= 8) {
      colours = std::uint64_t{1} << bit_count;
    }
  } else {
    return Refuse(L"ビットマップのヘッダーの形式が正しくありません。");
  }

  if (!IsDrawableBitCount(bit_count)) return Refuse(L"ビットマップの色数が正しくありません。");
  if (width == 0 || height == 0) return Refuse(L"ビットマップの大きさが正しくありません。");
  if (bits_size == 0) {
    const std::uint64_t stride = (width * bit_count + 31) / 32 * 4;
    bits_size = stride * height;
  }
  offset += colours * colour_entry_size;
  // All quantities came from at most 32-bit fields, so these sums cannot wrap in 64 bits.
  if (offset > size || bits_size > size - offset) return Refuse(L"ビットマップのデータが足りません。");

  PackedDibLayout layout;
  layout.ok = true;
  layout.bits_offset = static_cast<std::size_t>(offset);
  return layout;
}

bool ClipPicture::IsPictureFormat(UINT format) {
  for (UINT f : kPictureFormats) {
    if (f == format) return true;
  }
  return false;
}

ClipPicture ClipPicture::FromBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) throw PictureError(L"クリップボードのビットマップを読めません。");
  WindowDc screen(nullptr);
  UniqueMemoryDc source(CreateCompatibleDC(screen.get()));
  UniqueMemoryDc target(CreateCompatibleDC(screen.get()));
  ClipPicture picture;
  picture.bitmap_.reset(CreateCompatibleBitmap(screen.get(), info.bmWidth, info.bmHeight));
  if (!source || !target || !picture.bitmap_) {
    throw tool_window::LastError(L"ビットマップの複製を作れません。");
  }
  {
    ScopedSelect from(source.get(), bitmap);
    ScopedSelect to(target.get(), picture.bitmap_.get());
    if (!BitBlt(target.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY)) {
      throw tool_window::LastError(L"ビットマップを複製できません。");
    }
  }
  picture.kind_ = Kind::kBitmap;
  picture.size_ = SIZE{info.bmWidth, info.bmHeight};
  return picture;
}

ClipPicture ClipPicture::FromPackedDib(const void* data, std::size_t size) {
  PackedDibLayout layout = InspectPackedDib(data, size);
  if (!layout.ok) throw convert::RuntimeError(static_cast<long>(E_INVALIDARG), layout.problem);
  const auto* bytes = static_cast<const unsigned char*>(data);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(data);
  SIZE natural;
  if (header->biSize == kCoreHeaderSize) {
    const auto* core = reinterpret_cast<const BITMAPCOREHEADER*>(data);
    natural = SIZE{core->bcWidth, core->bcHeight};
  } else {
    natural = SIZE{header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
  }
  WindowDc screen(nullptr);
  ClipPicture picture;
  picture.bitmap_.reset(
      CreateDIBitmap(screen.get(), header, CBM_INIT, bytes + layout.bits_offset, info, DIB_RGB_COLORS));
  if (!picture.bitmap_) throw tool_window::LastError(L"クリップボードのビットマップを複製できません。");
  picture.kind_ = Kind::kBitmap;
  picture.size_ = natural;
  return picture;
}

ClipPicture ClipPicture::FromEnhancedMetafile(HENHMETAFILE metafile) {
  ClipPicture picture;
  picture.enhanced_.reset(metafile ? CopyEnhMetaFileW(metafile, nullptr) : nullptr);
  ENHMETAHEADER header{};
  if (!picture.enhanced_ || !GetEnhMetaFileHeader(picture.enhanced_.get(), sizeof header, &header)) {
    throw tool_window::LastError(L"クリップボードの拡張メタファイルを複製できません。");
  }
  // The frame is the picture's intended size in hundredths of a millimetre.
  ScreenDpi dpi = GetScreenDpi();
  const RECTL& frame = header.rclFrame;
  picture.kind_ = Kind::kEnhancedMetafile;
  picture.size_ = SIZE{MulDiv(frame.right - frame.left, dpi.x, kHimetricPerInch),
                       MulDiv(frame.bottom - frame.top, dpi.y, kHimetricPerInch)};
  return picture;
}

ClipPicture ClipPicture::FromMetafilePict(const METAFILEPICT& source) {
  ClipPicture picture;
  picture.metafile_.reset(source.hMF ? CopyMetaFileW(source.hMF, nullptr) : nullptr);
  if (!picture.metafile_) throw tool_window::LastError(L"クリップボードのメタファイルを複製できません。");
  picture.kind_ = Kind::kMetafile;
  picture.metafile_mapping_mode_ = source.mm;
  ScreenDpi dpi = GetScreenDpi();
  if (source.mm == MM_ANISOTROPIC || source.mm == MM_ISOTROPIC) {
    // The suggested size is in hundredths of a millimetre; a negative one
    // gives only the proportions, and a zero one none at all, so then the
    // metafile draws in its own units.
    const int x = source.xExt < 0 ? -source.xExt : source.xExt;
    const int y = source.yExt < 0 ? -source.yExt : source.yExt;
    if (x > 0 && y > 0) {
      picture.size_ = SIZE{MulDiv(x, dpi.x, kHimetricPerInch), MulDiv(y, dpi.y, kHimetricPerInch)};
    } else {
      picture.metafile_mapping_mode_ = MM_TEXT;
    }
  } else {
    // Fixed mapping modes: the extents are in the mode's own units.
    WindowDc screen(nullptr);
    const int saved = SaveDC(screen.get());
    SetMapMode(screen.get(), source.mm);
    POINT corner[2] = {{0, 0}, {source.xExt, source.yExt}};
    LPtoDP(screen.get(), corner, 2);
    RestoreDC(screen.get(), saved);
    picture.size_ = SIZE{std::abs(corner[1].x - corner[0].x), std::abs(corner[1].y - corner[0].y)};
  }
  return picture;
}

ClipPicture ClipPicture::FromOpenClipboard() {
  UINT format = 0;
  SetLastError(ERROR_SUCCESS);
  while ((format = EnumClipboardFormats(format)) != 0) {
    if (IsPictureFormat(format)) break;
  }
  if (format == 0) {
    if (GetLastError() != ERROR_SUCCESS) throw tool_window::LastError(L"クリップボードの形式を調べられません。");
    return ClipPicture();
  }
  HANDLE data = GetClipboardData(format);
  if (!data) throw tool_window::LastError(L"クリップボードの絵を取り出せません。");
  switch (format) {
    case CF_BITMAP:
      return FromBitmap(static_cast<HBITMAP>(data));
    case CF_ENHMETAFILE:
      return FromEnhancedMetafile(static_cast<HENHMETAFILE>(data));
    case CF_METAFILEPICT: {
      GlobalLockScope block(data);
      if (!block.data() || block.size() < sizeof(METAFILEPICT)) {
        throw PictureError(L"クリップボードのメタファイルが正しくありません。");
      }
      METAFILEPICT pict;
      std::memcpy(&pict, block.data(), sizeof pict);
      return FromMetafilePict(pict);
    }
    default: {  // CF_DIB, CF_DIBV5
      GlobalLockScope block(data);
      if (!block.data()) throw tool_window::LastError(L"クリップボードのビットマップを読めません。");
      return FromPackedDib(block.data(), block.size());
    }
  }
}

void ClipPicture::Draw(HDC dc) const noexcept {
  switch (kind_) {
    case Kind::kNone:
      return;
    case Kind::kBitmap: {
      UniqueMemoryDc memory(CreateCompatibleDC(dc));
      if (!memory) return;
      ScopedSelect select(memory.get(), bitmap_.get());
      BitBlt(dc, 0, 0, size_.cx, size_.cy, memory.get(), 0, 0, SRCCOPY);
      return;
    }
    case Kind::kEnhancedMetafile: {
      RECT where{0, 0, size_.cx, size_.cy};
      PlayEnhMetaFile(dc, enhanced_.get(), &where);
      return;
    }
    case Kind::kMetafile: {
      const int saved = SaveDC(dc);
      SetMapMode(dc, metafile_mapping_mode_);
      if (metafile_mapping_mode_ == MM_ANISOTROPIC || metafile_mapping_mode_ == MM_ISOTROPIC) {
        // A metafile that sets no window extent of its own then draws one to one.
        SetWindowExtEx(dc, size_.cx, size_.cy, nullptr);
        SetViewportExtEx(dc, size_.cx, size_.cy, nullptr);
      }
      SetViewportOrgEx(dc, 0, 0, nullptr);
      PlayMetaFile(dc, metafile_.get());
      RestoreDC(dc, saved);
      return;
    }
  }
}

}  // namespace sample
