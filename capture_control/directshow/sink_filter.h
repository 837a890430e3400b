// The end of our capture graph: a renderer filter with one input pin that
// takes the uncompressed layouts we convert (RGB24, RGB32, YUY2, UYVY) and
// Motion JPEG, which it keeps as it comes (no decoder in the graph), and
// hands every sample to a FrameQueue. It blocks nothing and allocates
// nothing per sample; the upstream pin's allocator owns the buffers.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>

#include "directshow/filter_base.h"
#include "directshow/frame_queue.h"
#include "directshow/media_type.h"

namespace morvane {

class SinkFilter;

class SinkPin final : public AlsoImplements<PinBase, IMemInputPin> {
 public:
  SinkPin(SinkFilter& filter, std::shared_ptr<FrameQueue> queue);

  // IPin
  STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
  STDMETHODIMP EndOfStream() override;
  STDMETHODIMP BeginFlush() override;
  STDMETHODIMP EndFlush() override;
  // IMemInputPin
  STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
  STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL read_only) override;
  STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
  STDMETHODIMP Receive(IMediaSample* sample) override;
  STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
  STDMETHODIMP ReceiveCanBlock() override;

  // The layout agreed on at connection (for Motion JPEG, its size).
  const SourceFrame& source() const { return source_; }
  bool compressed() const { return compressed_; }

 private:
  void* OtherInterface(REFIID iid) override;

  std::shared_ptr<FrameQueue> queue_;
  SourceFrame source_;
  bool compressed_ = false;
  // Set on the graph's thread, read on the streaming thread.
  std::atomic<bool> flushing_{false};
};

class SinkFilter final : public OnePinFilter {
 public:
  // A new sink, its one reference held by the pointer returned. (MinGW's
  // ComPtr::Attach adds a reference of its own, so a new object is never
  // attached.)
  static Microsoft::WRL::ComPtr<SinkFilter> Create(std::shared_ptr<FrameQueue> queue);

  STDMETHODIMP Stop() override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP Run(REFERENCE_TIME start) override;
  STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;

  SinkPin& pin() { return pin_; }

 private:
  explicit SinkFilter(std::shared_ptr<FrameQueue> queue);
  ~SinkFilter() override;
  IPin* Pin() override { return &pin_; }

  SinkPin pin_;
};

}  // namespace morvane
