#include "media_type.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

namespace morvane {
namespace {

struct SubtypeLayout {
  const GUID* subtype;
  PixelLayout layout;
};
const SubtypeLayout kSubtypeLayouts[] = {
    {&MEDIASUBTYPE_RGB24, PixelLayout::kRgb24},
    {&MEDIASUBTYPE_RGB32, PixelLayout::kRgb32},
    {&MEDIASUBTYPE_YUY2, PixelLayout::kYuy2},
    {&MEDIASUBTYPE_YUYV, PixelLayout::kYuy2},
    {&MEDIASUBTYPE_UYVY, PixelLayout::kUyvy},
};

const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& type) {
  if (type.formattype != FORMAT_VideoInfo || !type.pbFormat || type.cbFormat < sizeof(VIDEOINFOHEADER)) {
    return nullptr;
  }
  return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
}

}  // namespace

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
  if (type.pbFormat) ::CoTaskMemFree(type.pbFormat);
  type.pbFormat = nullptr;
  type.cbFormat = 0;
  if (type.pUnk) type.pUnk->Release();
  type.pUnk = nullptr;
}

HRESULT CopyMediaType(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE& to) {
  to = from;
  to.pbFormat = nullptr;
  to.cbFormat = 0;
  if (from.cbFormat && from.pbFormat) {
    to.pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(from.cbFormat));
    if (!to.pbFormat) {
      to.pUnk = nullptr;
      return E_OUTOFMEMORY;
    }
    std::memcpy(to.pbFormat, from.pbFormat, from.cbFormat);
    to.cbFormat = from.cbFormat;
  }
  if (to.pUnk) to.pUnk->AddRef();
  return S_OK;
}

void TaskMediaTypeDelete::operator()(AM_MEDIA_TYPE* type) const {
  if (!type) return;
  FreeMediaTypeContents(*type);
  ::CoTaskMemFree(type);
}

MediaType::MediaType() : type_{} {}

MediaType::MediaType(const AM_MEDIA_TYPE& from) : type_{} {
  if (FAILED(CopyMediaType(from, type_))) throw std::bad_alloc();
}

MediaType::MediaType(const MediaType& other) : MediaType(other.type_) {}

MediaType& MediaType::operator=(const MediaType& other) {
  if (this == &other) return *this;
  AM_MEDIA_TYPE copy{};
  if (FAILED(CopyMediaType(other.type_, copy))) throw std::bad_alloc();
  FreeMediaTypeContents(type_);
  type_ = copy;
  return *this;
}

MediaType::~MediaType() { FreeMediaTypeContents(type_); }

AM_MEDIA_TYPE* MediaType::TaskCopy() const {
  auto* copy = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (!copy) return nullptr;
  if (FAILED(CopyMediaType(type_, *copy))) {
    ::CoTaskMemFree(copy);
    return nullptr;
  }
  return copy;
}

MediaType MakeVideoType(const GUID& subtype, int width, int height, REFERENCE_TIME frame_time) {
  VIDEOINFOHEADER info{};
  info.AvgTimePerFrame = frame_time;
  BITMAPINFOHEADER& header = info.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  PixelLayout layout = PixelLayout::kRgb24;
  for (const SubtypeLayout& row : kSubtypeLayouts) {
    if (IsEqualGUID(*row.subtype, subtype)) layout = row.layout;
  }
  header.biBitCount = static_cast<WORD>(LayoutBitsPerPixel(layout));
  const bool rgb = layout == PixelLayout::kRgb24 || layout == PixelLayout::kRgb32;
  header.biCompression = rgb ? BI_RGB : subtype.Data1;  // a FOURCC subtype's first field is its code
  header.biSizeImage = static_cast<DWORD>(SourceImageSize({layout, width, height, !rgb}));
  info.dwBitRate = static_cast<DWORD>(frame_time > 0 ? header.biSizeImage * 8LL * 10000000LL / frame_time : 0);

  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = subtype;
  type.bFixedSizeSamples = TRUE;
  type.lSampleSize = header.biSizeImage;
  type.formattype = FORMAT_VideoInfo;
  type.cbFormat = sizeof(info);
  type.pbFormat = reinterpret_cast<BYTE*>(&info);
  return MediaType(type);  // copies the format block into task memory
}

bool DescribeVideoType(const AM_MEDIA_TYPE& type, SourceFrame& source) {
  if (!IsEqualGUID(type.majortype, MEDIATYPE_Video)) return false;
  const VIDEOINFOHEADER* info = VideoInfo(type);
  if (!info) return false;
  for (const SubtypeLayout& row : kSubtypeLayouts) {
    if (!IsEqualGUID(*row.subtype, type.subtype)) continue;
    if (info->bmiHeader.biBitCount != LayoutBitsPerPixel(row.layout)) return false;
    const LONG height = info->bmiHeader.biHeight;
    const bool rgb = row.layout == PixelLayout::kRgb24 || row.layout == PixelLayout::kRgb32;
    if (height == LONG_MIN) return false;
    source.layout = row.layout;
    source.width = info->bmiHeader.biWidth;
    source.height = std::abs(height);
    // DIB RGB is bottom-up unless the height is negative; packed YUV is
    // top-down whatever the sign says.
    source.top_down = rgb ? height < 0 : true;
    return true;
  }
  return false;
}

REFERENCE_TIME VideoFrameTime(const AM_MEDIA_TYPE& type) {
  const VIDEOINFOHEADER* info = VideoInfo(type);
  if (!info || info->AvgTimePerFrame < kShortestFrameTime || info->AvgTimePerFrame > kLongestFrameTime) return 0;
  return info->AvgTimePerFrame;
}

bool DescribeMotionJpegType(const AM_MEDIA_TYPE& type, int& width, int& height) {
  if (!IsEqualGUID(type.majortype, MEDIATYPE_Video) || !IsEqualGUID(type.subtype, MEDIASUBTYPE_MJPG)) return false;
  int w = 0;
  int h = 0;
  if (!VideoTypeSize(type, w, h) || !IsValidFrameSize(w, h)) return false;
  width = w;
  height = h;
  return true;
}

bool VideoTypeSize(const AM_MEDIA_TYPE& type, int& width, int& height) {
  const VIDEOINFOHEADER* info = VideoInfo(type);
  if (!info || info->bmiHeader.biHeight == LONG_MIN) return false;
  width = info->bmiHeader.biWidth;
  height = std::abs(info->bmiHeader.biHeight);
  return true;
}

}  // namespace morvane
