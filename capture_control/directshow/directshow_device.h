// A system video-input device behind the control's VideoDevice interface.
// The graph runs while its frames are shown (preview) or captured, and is
// torn down when the device rests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "codec/jpeg_codec.h"
#include "directshow/capture_graph.h"
#include "directshow/device_list.h"
#include "directshow/frame_queue.h"
#include "video_device.h"

namespace morvane {

class DirectShowDevice final : public VideoDevice, public LiveFeed {
 public:
  explicit DirectShowDevice(VideoInputDevice device);
  ~DirectShowDevice() override;

  const std::wstring& display_name() const { return device_.display_name; }
  // The device is no longer listed: it stays selectable by index, but
  // every use says it is gone (until it is listed again). Its graph goes:
  // a device that comes back is a new device to DirectShow.
  void SetMissing(bool missing);
  bool missing() const { return missing_; }

  // VideoDevice
  const wchar_t* Name() const override { return device_.friendly_name.c_str(); }
  bool HasFormatDialog() const override { return true; }
  bool HasSourceDialog() const override;
  bool HasOverlay() const override { return false; }
  const std::vector<FrameSize>& Sizes() const override;
  std::vector<const wchar_t*> SourceChoices() const override { return {}; }
  void SelectSource(int) override {}
  int SelectedSource() const override { return 0; }
  void Render(const FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number,
              std::int64_t microseconds) override;
  bool RenderShown(const FrameFormat& streamed, const FrameFormat& shown, std::uint8_t* bits) override;
  LiveFeed* Live() override { return this; }
  void Rest() override;
  std::vector<std::wstring> FormatLabels() const override;
  bool ShowPropertyPages(HWND owner) override;
  void PreferFormat(int index) override;
  bool DeliversCompressed() const override { return Compressed(); }

  // LiveFeed
  FrameFormat StartFeed(const FrameFormat& wanted) override;
  FrameFormat StreamingFormat() const override { return graph_ ? graph_->format() : FrameFormat{0, 0, 24}; }
  std::int64_t FrameMicroseconds() const override;
  int WaitHandles(HANDLE (&handles)[2]) const override;
  FeedStatus TakeFrame(std::uint8_t* bits, std::int64_t& microseconds) override;
  bool Compressed() const override { return graph_ && queue_->compressed(); }
  FeedStatus TakeSample(std::vector<std::uint8_t>& sample, std::int64_t& microseconds) override;
  bool DecodeSample(const std::vector<std::uint8_t>& sample, const FrameFormat& format, std::uint8_t* bits) override;
  long LostBeforeFrame() const override { return lost_before_; }
  long DeviceDropped() const override;

 private:
  void LoadTypes() const;
  // A graph built for this size, kept while the same size is wanted; true
  // when it was built now.
  bool EnsureGraph(const FrameFormat& wanted);
  [[noreturn]] void ThrowMissing() const;
  // What Render and RenderShown share: the graph for `wanted` running and
  // its newest frame (or sample) kept, the older ones passed over. Throws
  // CaptureError when the device went or stalled.
  void TakeNewest(const FrameFormat& wanted);
  // What TakeFrame and TakeSample share: the next sample or frame by take,
  // else whether the device went or changed.
  template <typename Take>
  FeedStatus TakeNext(Take&& take, std::int64_t& microseconds);

  VideoInputDevice device_;
  bool missing_ = false;
  std::shared_ptr<FrameQueue> queue_;
  std::unique_ptr<CaptureGraph> graph_;
  // The size graph_ was built for; it delivers the nearest the device has.
  int built_width_ = 0;
  int built_height_ = 0;
  long dropped_at_start_ = 0;
  long lost_at_start_ = 0;
  long lost_before_ = 0;
  DWORD last_frame_tick_ = 0;  // when a frame came last, or the graph was built
  GUID preferred_subtype_ = GUID_NULL;  // from the format dialog
  // The newest frame, for a preview that asks faster or slower than the
  // device delivers.
  std::vector<std::uint8_t> latest_;
  bool has_latest_ = false;
  // Motion JPEG: the newest sample, decoded only when a frame is shown,
  // at the size it is shown; samples the decoder refused, counted as lost.
  std::vector<std::uint8_t> sample_;
  std::vector<std::uint8_t> latest_sample_;
  std::unique_ptr<JpegCodec> codec_;
  long undecodable_ = 0;

  mutable bool types_loaded_ = false;
  mutable std::vector<MediaType> types_;
  mutable std::vector<FrameSize> sizes_;
  mutable int has_pages_ = -1;  // unknown until asked
};

// The system's video-input devices as devices of the control, in the order
// DirectShow lists them.
std::vector<std::unique_ptr<VideoDevice>> MakeDirectShowDevices();

}  // namespace morvane
