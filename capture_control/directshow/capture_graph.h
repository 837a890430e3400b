// One running DirectShow graph: a capture device's capture pin into our
// sink, with whatever decoder the graph builder puts between them. Built
// and run in the constructor, stopped in the destructor; every wait on the
// graph has a timeout.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/frame_format.h"
#include "directshow/frame_queue.h"
#include "directshow/media_type.h"

namespace morvane {

// How long a state change of the graph may take before we give up on it.
constexpr DWORD kGraphStateTimeoutMs = 3000;

// The media types a device's capture pin offers (IAMStreamConfig), in its
// own order; empty when it does not say. Throws CaptureError when the
// device cannot be opened.
std::vector<MediaType> DeviceMediaTypes(IMoniker* moniker);

// Which of the device's types to ask for, best first: the wanted size in a
// layout we convert ourselves, the wanted size compressed (a decoder the
// graph builder finds turns it into one of ours), then the other
// uncompressed sizes, nearest first.
// A preferred subtype (the format dialog's choice; GUID_NULL for none) goes
// first among the types of the wanted size.
std::vector<const MediaType*> RankTypes(const std::vector<MediaType>& types, int width, int height,
                                        const GUID& preferred);

class CaptureGraph {
 public:
  // Throws CaptureError (kDeviceFailed) with the reason when no type
  // connects or the graph does not run.
  CaptureGraph(IMoniker* moniker, const FrameFormat& wanted, const GUID& preferred,
               std::shared_ptr<FrameQueue> queue);
  ~CaptureGraph();
  CaptureGraph(const CaptureGraph&) = delete;
  CaptureGraph& operator=(const CaptureGraph&) = delete;

  // The picture the sink delivers: the negotiated size, 24-bit.
  FrameFormat format() const { return format_; }
  // 100 ns per frame as the negotiated type states it (0: unknown).
  std::int64_t frame_time() const { return frame_time_; }
  // Signalled while the graph has events for us.
  HANDLE event_handle() const { return event_handle_; }
  // Reads the waiting events; true once the device was reported lost or
  // the graph aborted.
  bool PollLost();
  // The device's own count of frames it dropped (IAMDroppedFrames), 0
  // when it does not keep one.
  long DeviceDropped() const;
  IBaseFilter* source() const { return source_.Get(); }

 private:
  bool TryConnect(const MediaType* type);

  Microsoft::WRL::ComPtr<IGraphBuilder> graph_;
  Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> builder_;
  Microsoft::WRL::ComPtr<IBaseFilter> source_;
  Microsoft::WRL::ComPtr<IBaseFilter> sink_;
  Microsoft::WRL::ComPtr<IMediaControl> control_;
  Microsoft::WRL::ComPtr<IMediaEventEx> events_;
  std::shared_ptr<FrameQueue> queue_;
  FrameFormat format_;
  std::int64_t frame_time_ = 0;
  HANDLE event_handle_ = nullptr;  // owned by the graph
  bool lost_ = false;
  bool running_ = false;
};

}  // namespace morvane
