#include "codec/jpeg_codec.h"

#include <objbase.h>

#include <cstring>

#include "codec/jpeg_scan.h"
#include "core/capture_error.h"

namespace morvane {
namespace {

using Microsoft::WRL::ComPtr;

[[noreturn]] void ThrowEncodeFailed(HRESULT hr) {
  throw CaptureError(CaptureErrorKind::kWriteFailed, L"映像を JPEG に圧縮できませんでした。",
                     static_cast<std::uint32_t>(hr));
}

void Check(HRESULT hr) {
  if (FAILED(hr)) ThrowEncodeFailed(hr);
}

}  // namespace

JpegCodec::JpegCodec() {
  const HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&factory_));
  if (FAILED(hr)) {
    throw CaptureError(CaptureErrorKind::kDeviceFailed, L"画像ｺｰﾃﾞｯｸ (JPEG) を使えません。",
                       static_cast<std::uint32_t>(hr));
  }
  Check(::CreateStreamOnHGlobal(nullptr, TRUE, &out_stream_));
}

void JpegCodec::Encode(const FrameFormat& format, const std::uint8_t* bits, int quality,
                       std::vector<std::uint8_t>& out) {
  // The stream keeps its memory between frames; each frame starts over at
  // its beginning and ends where the encoder stopped writing.
  LARGE_INTEGER zero{};
  Check(out_stream_->Seek(zero, STREAM_SEEK_SET, nullptr));
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory_->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder));
  Check(encoder->Initialize(out_stream_.Get(), WICBitmapEncoderNoCache));
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  Check(encoder->CreateNewFrame(&frame, &options));
  PROPBAG2 option{};
  option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
  VARIANT value;
  ::VariantInit(&value);
  value.vt = VT_R4;
  const int clamped = quality < kMinJpegQuality ? kMinJpegQuality : quality > kMaxJpegQuality ? kMaxJpegQuality : quality;
  value.fltVal = static_cast<float>(clamped) / 100.0f;
  Check(options->Write(1, &option, &value));
  Check(frame->Initialize(options.Get()));
  Check(frame->SetSize(static_cast<UINT>(format.width), static_cast<UINT>(format.height)));
  WICPixelFormatGUID pixels = GUID_WICPixelFormat24bppBGR;
  Check(frame->SetPixelFormat(&pixels));
  if (!IsEqualGUID(pixels, GUID_WICPixelFormat24bppBGR)) ThrowEncodeFailed(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
  // The encoder takes rows top-down; a DIB holds them bottom-up. Handing
  // them over one by one saves flipping the frame into a copy.
  const std::size_t stride = format.Stride();
  for (int y = format.height - 1; y >= 0; --y) {
    auto* row = const_cast<BYTE*>(bits + static_cast<std::size_t>(y) * stride);
    Check(frame->WritePixels(1, static_cast<UINT>(stride), static_cast<UINT>(stride), row));
  }
  Check(frame->Commit());
  Check(encoder->Commit());

  ULARGE_INTEGER end{};
  Check(out_stream_->Seek(zero, STREAM_SEEK_CUR, &end));
  HGLOBAL memory = nullptr;
  Check(::GetHGlobalFromStream(out_stream_.Get(), &memory));
  const void* data = ::GlobalLock(memory);
  if (!data) ThrowEncodeFailed(E_OUTOFMEMORY);
  try {
    out.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + end.QuadPart);
  } catch (...) {
    ::GlobalUnlock(memory);
    throw;
  }
  ::GlobalUnlock(memory);
}

bool JpegCodec::Decode(const std::uint8_t* data, std::size_t size, const FrameFormat& format,
                       std::uint8_t* bits) noexcept {
  try {
    return DecodeWhole(data, size, format, bits);
  } catch (...) {
    return false;  // out of memory for the rows: as good as unreadable
  }
}

bool JpegCodec::DecodeWhole(const std::uint8_t* data, std::size_t size, const FrameFormat& format,
                            std::uint8_t* bits) {
  // The decoder is never handed what is not a whole JPEG: a truncated
  // sample stops here, whatever the decoder would make of it.
  const std::optional<JpegInfo> info = ScanJpeg(data, size);
  if (!info || !IsValidFrameFormat(format) || size > 0xFFFFFFFFu) return false;
  if (!info->has_huffman_tables) {
    AddStandardHuffmanTables(data, size, patched_);
    data = patched_.data();
    size = patched_.size();
  }
  ComPtr<IWICStream> stream;
  if (FAILED(factory_->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)))) {
    return false;
  }
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory_->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, &decoder)) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, &frame))) {
    return false;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width != static_cast<UINT>(info->width) ||
      height != static_cast<UINT>(info->height)) {
    return false;
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory_->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return false;
  }
  ComPtr<IWICBitmapSource> source = converter;
  if (width != static_cast<UINT>(format.width) || height != static_cast<UINT>(format.height)) {
    // A preview smaller than the picture: scaled on its way out of the
    // decoder, so no whole frame is kept, converted or drawn again.
    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory_->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(converter.Get(), static_cast<UINT>(format.width), static_cast<UINT>(format.height),
                                  WICBitmapInterpolationModeLinear))) {
      return false;
    }
    source = scaler;
  }
  const std::size_t stride = format.Stride();
  rows_.resize(format.ImageSize());
  if (FAILED(source->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(rows_.size()), rows_.data()))) {
    return false;
  }
  for (int y = 0; y < format.height; ++y) {
    std::memcpy(bits + static_cast<std::size_t>(format.height - 1 - y) * stride,
                rows_.data() + static_cast<std::size_t>(y) * stride, stride);
  }
  return true;
}

}  // namespace morvane
