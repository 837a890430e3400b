#include "control/morvane_control.h"

#include <oleauto.h>

#include <new>
#include <utility>

#include "control/dispatch_call.h"
#include "convert/variant_read.h"

namespace sample {
namespace {

// A variant of a scalar type: it holds nothing that needs clearing.
VARIANT Scalar(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  return v;
}

BSTR AllocText(const std::wstring& text) {
  BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (s == nullptr) throw std::bad_alloc();
  return s;
}

class CallDepth {
 public:
  explicit CallDepth(int& depth) : depth_(depth) { ++depth_; }
  ~CallDepth() { --depth_; }
  CallDepth(const CallDepth&) = delete;
  CallDepth& operator=(const CallDepth&) = delete;

 private:
  int& depth_;
};

bool IsExtender(Member member) { return member == Member::ExtenderWidth || member == Member::ExtenderHeight; }

}  // namespace

MorvaneControl::MorvaneControl(Microsoft::WRL::ComPtr<IDispatch> control, Microsoft::WRL::ComPtr<IDispatch> extender)
    : control_(std::move(control)), extender_(std::move(extender)) {}

void MorvaneControl::Get(Member member, VARIANT* result) {
  CallDepth depth(calls_in_progress_);
  IDispatch* target = IsExtender(member) ? extender_.Get() : control_.Get();
  InvokeDispatch(target, DispidOf(member), DISPATCH_PROPERTYGET, nullptr, 0, result, NameOf(member));
}

void MorvaneControl::Put(Member member, VARIANT& value) {
  CallDepth depth(calls_in_progress_);
  IDispatch* target = IsExtender(member) ? extender_.Get() : control_.Get();
  InvokeDispatch(target, DispidOf(member), DISPATCH_PROPERTYPUT, &value, 1, nullptr, NameOf(member));
}

void MorvaneControl::Call(Member member, VARIANT* args, UINT count, VARIANT* result) {
  CallDepth depth(calls_in_progress_);
  InvokeDispatch(control_.Get(), DispidOf(member), DISPATCH_METHOD, args, count, result, NameOf(member));
}

bool MorvaneControl::GetBoolean(Member member) {
  Variant result;
  Get(member, result.get());
  return convert::ReadBoolean(result.value());
}

std::int16_t MorvaneControl::GetInteger(Member member) {
  Variant result;
  Get(member, result.get());
  return convert::ReadInteger(result.value());
}

void MorvaneControl::PutI2(Member member, std::int16_t value) {
  VARIANT v = Scalar(VT_I2);
  V_I2(&v) = value;
  Put(member, v);
}

void MorvaneControl::PutR8(Member member, double value) {
  VARIANT v = Scalar(VT_R8);
  V_R8(&v) = value;
  Put(member, v);
}

void MorvaneControl::PutR4(Member member, float value) {
  VARIANT v = Scalar(VT_R4);
  V_R4(&v) = value;
  Put(member, v);
}

void MorvaneControl::PutBstr(Member member, const std::wstring& text) {
  Variant v;
  V_VT(v.get()) = VT_BSTR;
  V_BSTR(v.get()) = AllocText(text);
  Put(member, *v.get());
}

void MorvaneControl::CallWithText(Member member, const std::wstring& text) {
  Variant v;
  V_VT(v.get()) = VT_BSTR;
  V_BSTR(v.get()) = AllocText(text);
  Call(member, v.get(), 1, nullptr);
}

std::wstring MorvaneControl::CaptureFileName() {
  Variant result;
  Get(Member::CaptureFileName, result.get());
  return convert::ReadText(result.value());
}
void MorvaneControl::PutCaptureFileName(const std::wstring& name) { PutBstr(Member::CaptureFileName, name); }

bool MorvaneControl::Preview() { return GetBoolean(Member::Preview); }
bool MorvaneControl::AudioRecording() { return GetBoolean(Member::AudioRecording); }
bool MorvaneControl::ConfirmBeforeCapture() { return GetBoolean(Member::ConfirmBeforeCapture); }
bool MorvaneControl::Overlay() { return GetBoolean(Member::Overlay); }
bool MorvaneControl::StopOnLeftClick() { return GetBoolean(Member::StopOnLeftClick); }
bool MorvaneControl::StopOnRightClick() { return GetBoolean(Member::StopOnRightClick); }
void MorvaneControl::PutToggle(Member member, std::int16_t state) { PutI2(member, state); }

std::int16_t MorvaneControl::CaptureRate() { return GetInteger(Member::CaptureRate); }
void MorvaneControl::PutCaptureRate(double value) { PutR8(Member::CaptureRate, value); }
std::int16_t MorvaneControl::TimeLimit() { return GetInteger(Member::TimeLimit); }
void MorvaneControl::PutTimeLimit(double value) { PutR8(Member::TimeLimit, value); }
std::int16_t MorvaneControl::PreviewRate() { return GetInteger(Member::PreviewRate); }
void MorvaneControl::PutPreviewRate(double value) { PutR8(Member::PreviewRate, value); }
std::int16_t MorvaneControl::CaptureWidth() { return GetInteger(Member::CaptureWidth); }
void MorvaneControl::PutCaptureWidth(double value) { PutR8(Member::CaptureWidth, value); }
std::int16_t MorvaneControl::CaptureHeight() { return GetInteger(Member::CaptureHeight); }
void MorvaneControl::PutCaptureHeight(double value) { PutR8(Member::CaptureHeight, value); }

void MorvaneControl::PutStatusWindow(HWND window) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  // Window handles are 32-bit significant on 64-bit Windows too.
  V_I4(&v) = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
  Put(Member::StatusWindow, v);
}

void MorvaneControl::PutDeviceIndex(std::int16_t index) { PutI2(Member::DeviceIndex, index); }

void MorvaneControl::PutCallbackEnabled(bool enabled) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = enabled ? VARIANT_TRUE : VARIANT_FALSE;
  Put(Member::CallbackEnabled, v);
}

bool MorvaneControl::HasFormatDialog() { return GetBoolean(Member::HasFormatDialog); }
bool MorvaneControl::HasSourceDialog() { return GetBoolean(Member::HasSourceDialog); }
bool MorvaneControl::HasOverlay() { return GetBoolean(Member::HasOverlay); }
std::int16_t MorvaneControl::DeviceCount() { return GetInteger(Member::DeviceCount); }

void MorvaneControl::SaveCaptureFile(const std::wstring& name) { CallWithText(Member::SaveCaptureFile, name); }
void MorvaneControl::StartCapture() { Call(Member::StartCapture, nullptr, 0, nullptr); }
void MorvaneControl::ShowFormatDialog() { Call(Member::ShowFormatDialog, nullptr, 0, nullptr); }
void MorvaneControl::ShowSourceDialog() { Call(Member::ShowSourceDialog, nullptr, 0, nullptr); }
void MorvaneControl::ShowAudioDialog() { Call(Member::ShowAudioDialog, nullptr, 0, nullptr); }
void MorvaneControl::SaveBitmap(const std::wstring& name) { CallWithText(Member::SaveBitmap, name); }
void MorvaneControl::CopyToClipboard() { Call(Member::CopyToClipboard, nullptr, 0, nullptr); }

bool MorvaneControl::CopyFrameToDC(HDC dc) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_I4;
  V_I4(&arg) = static_cast<LONG>(reinterpret_cast<LONG_PTR>(dc));
  Variant result;
  Call(Member::CopyFrameToDC, &arg, 1, result.get());
  return convert::ReadBoolean(result.value());
}

void MorvaneControl::ShowCompressionDialog() { Call(Member::ShowCompressionDialog, nullptr, 0, nullptr); }
void MorvaneControl::StartStreamCapture() { Call(Member::StartStreamCapture, nullptr, 0, nullptr); }

std::wstring MorvaneControl::DeviceName(std::int16_t& index) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BYREF | VT_I2;
  V_I2REF(&arg) = reinterpret_cast<SHORT*>(&index);
  Variant result;
  Call(Member::DeviceName, &arg, 1, result.get());
  return convert::ReadText(result.value());
}

float MorvaneControl::Width() { return GetSingle(Member::ExtenderWidth); }
void MorvaneControl::PutWidth(float twips) { PutR4(Member::ExtenderWidth, twips); }
float MorvaneControl::Height() { return GetSingle(Member::ExtenderHeight); }
void MorvaneControl::PutHeight(float twips) { PutR4(Member::ExtenderHeight, twips); }

float MorvaneControl::GetSingle(Member member) {
  Variant result;
  Get(member, result.get());
  return convert::ReadSingle(result.value());
}


}  // namespace sample
