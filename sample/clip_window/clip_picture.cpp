#include "clip_window/clip_picture.h"

#include <cstdint>
#include <cstring>

#include "forms/last_error.h"
#include "forms/screen_resolution.h"
#include "forms/screen_units.h"

namespace sample {
namespace {

// The clipboard formats that hold a picture. Which one is taken is decided by
// the clipboard's own order of formats, not by this table.
constexpr UINT kPictureFormats[] = {CF_BITMAP, CF_DIB, CF_DIBV5, CF_METAFILEPICT, CF_ENHMETAFILE};

// A picture side beyond this many pixels is drawn at this size: extents come
// from another program and may be anything a 32-bit field holds.
constexpr std::int64_t kLargestSidePixels = 32767;

convert::RuntimeError PictureError(const wchar_t* what) {
  return convert::RuntimeError(static_cast<long>(E_FAIL), what);
}

using forms::HimetricToPixels;
using forms::SelectScope;
using forms::UniqueMemoryDc;
using forms::WindowDc;

// A picture's side in pixels, as large as it may be drawn.
LONG PictureSide(std::int64_t pixels) {
  if (pixels < -kLargestSidePixels) return static_cast<LONG>(-kLargestSidePixels);
  if (pixels > kLargestSidePixels) return static_cast<LONG>(kLargestSidePixels);
  return static_cast<LONG>(pixels);
}

std::int64_t Magnitude(std::int64_t value) { return value < 0 ? -value : value; }

}  // namespace

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
    throw forms::LastError(L"ビットマップの複製を作れません。");
  }
  {
    SelectScope from(source.get(), bitmap);
    SelectScope to(target.get(), picture.bitmap_.get());
    if (!BitBlt(target.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY)) {
      throw forms::LastError(L"ビットマップを複製できません。");
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
  const auto* header = static_cast<const BITMAPINFOHEADER*>(data);
  const auto* info = static_cast<const BITMAPINFO*>(data);
  // Both sides came from fields of at most 31 bits.
  const SIZE natural{static_cast<LONG>(layout.width), static_cast<LONG>(layout.height)};
  WindowDc screen(nullptr);
  ClipPicture picture;
  picture.bitmap_.reset(
      CreateDIBitmap(screen.get(), header, CBM_INIT, bytes + layout.bits_offset, info, DIB_RGB_COLORS));
  if (!picture.bitmap_) throw forms::LastError(L"クリップボードのビットマップを複製できません。");
  picture.kind_ = Kind::kBitmap;
  picture.size_ = natural;
  return picture;
}

ClipPicture ClipPicture::FromEnhancedMetafile(HENHMETAFILE metafile) {
  ClipPicture picture;
  picture.enhanced_.reset(metafile ? CopyEnhMetaFileW(metafile, nullptr) : nullptr);
  ENHMETAHEADER header{};
  if (!picture.enhanced_ || !GetEnhMetaFileHeader(picture.enhanced_.get(), sizeof header, &header)) {
    throw forms::LastError(L"クリップボードの拡張メタファイルを複製できません。");
  }
  // The frame is the picture's intended size in hundredths of a millimetre.
  const forms::PixelsPerInch dpi = forms::ScreenPixelsPerInch();
  const RECTL& frame = header.rclFrame;
  picture.kind_ = Kind::kEnhancedMetafile;
  picture.size_ = SIZE{PictureSide(HimetricToPixels(std::int64_t{frame.right} - frame.left, dpi.x)),
                       PictureSide(HimetricToPixels(std::int64_t{frame.bottom} - frame.top, dpi.y))};
  return picture;
}

ClipPicture ClipPicture::FromMetafilePict(const METAFILEPICT& source) {
  ClipPicture picture;
  picture.metafile_.reset(source.hMF ? CopyMetaFileW(source.hMF, nullptr) : nullptr);
  if (!picture.metafile_) throw forms::LastError(L"クリップボードのメタファイルを複製できません。");
  picture.kind_ = Kind::kMetafile;
  picture.metafile_mapping_mode_ = source.mm;
  const forms::PixelsPerInch dpi = forms::ScreenPixelsPerInch();
  if (source.mm == MM_ANISOTROPIC || source.mm == MM_ISOTROPIC) {
    // The suggested size is in hundredths of a millimetre; a negative one
    // gives only the proportions, and a zero one none at all, so then the
    // metafile draws in its own units.
    const std::int64_t x = Magnitude(source.xExt);
    const std::int64_t y = Magnitude(source.yExt);
    if (x > 0 && y > 0) {
      picture.size_ = SIZE{PictureSide(HimetricToPixels(x, dpi.x)), PictureSide(HimetricToPixels(y, dpi.y))};
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
    picture.size_ = SIZE{PictureSide(Magnitude(std::int64_t{corner[1].x} - corner[0].x)),
                         PictureSide(Magnitude(std::int64_t{corner[1].y} - corner[0].y))};
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
    if (GetLastError() != ERROR_SUCCESS) throw forms::LastError(L"クリップボードの形式を調べられません。");
    return ClipPicture();
  }
  HANDLE data = GetClipboardData(format);
  if (!data) throw forms::LastError(L"クリップボードの絵を取り出せません。");
  switch (format) {
    case CF_BITMAP:
      return FromBitmap(static_cast<HBITMAP>(data));
    case CF_ENHMETAFILE:
      return FromEnhancedMetafile(static_cast<HENHMETAFILE>(data));
    case CF_METAFILEPICT: {
      forms::GlobalLockScope block(data);
      if (!block.data() || block.size() < sizeof(METAFILEPICT)) {
        throw PictureError(L"クリップボードのメタファイルが正しくありません。");
      }
      METAFILEPICT pict;
      std::memcpy(&pict, block.data(), sizeof pict);
      return FromMetafilePict(pict);
    }
    default: {  // CF_DIB, CF_DIBV5
      forms::GlobalLockScope block(data);
      if (!block.data()) throw forms::LastError(L"クリップボードのビットマップを読めません。");
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
      SelectScope select(memory.get(), bitmap_.get());
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
