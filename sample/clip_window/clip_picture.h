// The clipboard window's own picture: a copy of whatever picture the
// clipboard held, so that it outlives the clipboard's next change.
#pragma once

#include <windows.h>

#include <cstddef>

#include "clip_window/packed_dib.h"
#include "forms/gdi_handle.h"

namespace sample {

class ClipPicture {
 public:
  enum class Kind { kNone, kBitmap, kEnhancedMetafile, kMetafile };

  ClipPicture() = default;
  ClipPicture(ClipPicture&&) = default;
  ClipPicture& operator=(ClipPicture&&) = default;

  // The first picture the clipboard offers, in the clipboard's own order of
  // formats; an empty picture when it holds none. The clipboard must be open.
  // Throws convert::RuntimeError when the picture cannot be read or copied.
  static ClipPicture FromOpenClipboard();

  // Copies of pictures in each clipboard format; the argument stays the caller's.
  static ClipPicture FromBitmap(HBITMAP bitmap);
  static ClipPicture FromPackedDib(const void* data, std::size_t size);
  static ClipPicture FromEnhancedMetafile(HENHMETAFILE metafile);
  static ClipPicture FromMetafilePict(const METAFILEPICT& picture);

  // The clipboard format behind a picture, or 0 when the format is not one.
  static bool IsPictureFormat(UINT format);

  Kind kind() const { return kind_; }
  // Natural size in pixels of the screen.
  SIZE size() const { return size_; }
  // Draws the picture unscaled with its top-left corner at the origin.
  void Draw(HDC dc) const noexcept;

 private:
  Kind kind_ = Kind::kNone;
  SIZE size_{0, 0};
  forms::UniqueBitmap bitmap_;
  forms::UniqueEnhMetafile enhanced_;
  forms::UniqueMetafile metafile_;
  int metafile_mapping_mode_ = MM_TEXT;
};

}  // namespace sample
