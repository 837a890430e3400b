// AM_MEDIA_TYPE with one owner: its format block and its pUnk go with it.
// DirectShow hands these across in task memory, so that is what we use.
#pragma once

#include <dshow.h>

#include <memory>

#include "core/frame_convert.h"

namespace morvane {

// Frees what a media type points to (not the struct itself).
void FreeMediaTypeContents(AM_MEDIA_TYPE& type);
// Deep copy into to, whose previous contents are not freed. E_OUTOFMEMORY
// leaves to empty.
HRESULT CopyMediaType(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE& to);

struct TaskMediaTypeDelete {
  void operator()(AM_MEDIA_TYPE* type) const;
};
// A media type allocated in task memory, as IEnumMediaTypes::Next and
// IAMStreamConfig::GetFormat return them.
using TaskMediaType = std::unique_ptr<AM_MEDIA_TYPE, TaskMediaTypeDelete>;

class MediaType {
 public:
  MediaType();
  // Throws std::bad_alloc when the format block cannot be copied.
  explicit MediaType(const AM_MEDIA_TYPE& from);
  MediaType(const MediaType& other);
  MediaType& operator=(const MediaType& other);
  ~MediaType();

  const AM_MEDIA_TYPE& get() const { return type_; }
  // A copy in task memory for a caller that frees it with DeleteMediaType's
  // rules; nullptr when memory runs out.
  AM_MEDIA_TYPE* TaskCopy() const;

 private:
  AM_MEDIA_TYPE type_;
};

// A VIDEOINFOHEADER type of the given subtype and size, frames every
// frame_time 100 ns units.
MediaType MakeVideoType(const GUID& subtype, int width, int height, REFERENCE_TIME frame_time);

// The uncompressed layouts we convert ourselves, read from a video type.
// False for anything else (compressed, planar, no VIDEOINFOHEADER, a format
// block shorter than it claims).
bool DescribeVideoType(const AM_MEDIA_TYPE& type, SourceFrame& source);
// The frame times we believe a device states, in 100 ns: from 1000 frames
// a second to one frame in ten seconds. Drivers have been seen to put 100
// there (100,000 frames a second in a file's header).
constexpr REFERENCE_TIME kShortestFrameTime = 10000;
constexpr REFERENCE_TIME kLongestFrameTime = 100000000;
// The frame time the type states, 0 when it does not say or says something
// outside that range.
REFERENCE_TIME VideoFrameTime(const AM_MEDIA_TYPE& type);
// A Motion JPEG video type's picture size, inside the sizes we capture;
// false for anything else. The sink keeps such samples as they come.
bool DescribeMotionJpegType(const AM_MEDIA_TYPE& type, int& width, int& height);
// The picture size of any VIDEOINFOHEADER type (compressed ones too).
bool VideoTypeSize(const AM_MEDIA_TYPE& type, int& width, int& height);

}  // namespace morvane
