// IDispatch of the control: one table maps each DISPID to its getter, setter
// or method; Invoke converts the caller's VARIANTs to the member's type with
// VariantChangeType and turns a member's failure into an EXCEPINFO.
#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "basics/variant.h"
#include "control.h"

namespace morvane {

using Getter = HRESULT (Control::*)(VARIANT*);
using Setter = HRESULT (Control::*)(const VARIANT&);
using Method = HRESULT (Control::*)(const VARIANT*, VARIANT*);

struct DispatchMember {
  DISPID id;
  const wchar_t* name;
  VARTYPE type;  // a property's value type, or a method's argument type
  Getter get;
  Setter put;
  Method call;
  UINT arguments;  // a method's argument count
  // What a put whose value does not fit the type is refused with.
  MessageId overflow;
};

namespace {

using MemberRow = DispatchMember;

constexpr MemberRow Property(DISPID id, const wchar_t* name, VARTYPE type, Getter get, Setter put,
                             MessageId overflow = MessageId::kNotAValue) {
  return {id, name, type, get, put, nullptr, 0, overflow};
}
constexpr MemberRow ReadOnly(DISPID id, const wchar_t* name, VARTYPE type, Getter get) {
  return {id, name, type, get, nullptr, nullptr, 0, MessageId::kNotAValue};
}
constexpr MemberRow Call(DISPID id, const wchar_t* name, Method call, VARTYPE argument = VT_EMPTY, UINT arguments = 0) {
  return {id, name, argument, nullptr, nullptr, call, arguments, MessageId::kNotAValue};
}

// Properties that are one stored setting share one get and one put.
template <SettingId kSetting>
constexpr MemberRow Flag(DISPID id, const wchar_t* name) {
  return Property(id, name, VT_BOOL, &Control::GetStoredFlag<kSetting>, &Control::PutStoredFlag<kSetting>);
}
template <SettingId kSetting, MessageId kRefusal>
constexpr MemberRow Whole(DISPID id, const wchar_t* name) {
  return Property(id, name, VT_R8, &Control::GetStoredWhole<kSetting>, &Control::PutStoredWhole<kSetting, kRefusal>);
}

using C = Control;
const MemberRow kMembers[] = {
    Property(dispid::kCaptureFileName, L"CaptureFileName", VT_BSTR, &C::GetCaptureFileName, &C::PutCaptureFileName),
    Property(dispid::kPreview, L"Preview", VT_BOOL, &C::GetPreview, &C::PutPreview),
    Flag<SettingId::kAudioRecording>(dispid::kAudioRecording, L"AudioRecording"),
    Whole<SettingId::kCaptureRate, MessageId::kCaptureRateOutOfRange>(dispid::kCaptureRate, L"CaptureRate"),
    Property(dispid::kStatusWindow, L"StatusWindow", VT_I4, &C::GetStatusWindow, &C::PutStatusWindow),
    Flag<SettingId::kConfirmBeforeCapture>(dispid::kConfirmBeforeCapture, L"ConfirmBeforeCapture"),
    Flag<SettingId::kTimeLimitEnabled>(dispid::kTimeLimitEnabled, L"TimeLimitEnabled"),
    Whole<SettingId::kTimeLimit, MessageId::kTimeLimitOutOfRange>(dispid::kTimeLimit, L"TimeLimit"),
    Property(dispid::kOverlay, L"Overlay", VT_BOOL, &C::GetOverlay, &C::PutOverlay),
    Property(dispid::kPreviewRate, L"PreviewRate", VT_R8, &C::GetStoredWhole<SettingId::kPreviewRate>,
             &C::PutPreviewRate),
    Property(dispid::kDeviceIndex, L"DeviceIndex", VT_I2, &C::GetStoredWhole<SettingId::kDeviceIndex>,
             &C::PutDeviceIndex),
    Flag<SettingId::kStopOnLeftClick>(dispid::kStopOnLeftClick, L"StopOnLeftClick"),
    Flag<SettingId::kStopOnRightClick>(dispid::kStopOnRightClick, L"StopOnRightClick"),
    ReadOnly(dispid::kVersion, L"Version", VT_BSTR, &C::GetVersion),
    ReadOnly(dispid::kCapturedFrames, L"CapturedFrames", VT_I4, &C::GetCapturedFrames),
    ReadOnly(dispid::kDroppedFrames, L"DroppedFrames", VT_I4, &C::GetDroppedFrames),
    Property(dispid::kCallbackEnabled, L"CallbackEnabled", VT_BOOL, &C::GetCallbackEnabled, &C::PutCallbackEnabled),
    ReadOnly(dispid::kHasFormatDialog, L"HasFormatDialog", VT_BOOL, &C::GetHasFormatDialog),
    ReadOnly(dispid::kHasSourceDialog, L"HasSourceDialog", VT_BOOL, &C::GetHasSourceDialog),
    ReadOnly(dispid::kCapturing, L"Capturing", VT_BOOL, &C::GetCapturing),
    ReadOnly(dispid::kHasOverlay, L"HasOverlay", VT_BOOL, &C::GetHasOverlay),
    // A size beyond a short is out of the frame-size range, and says so.
    Property(dispid::kCaptureWidth, L"CaptureWidth", VT_I2, &C::GetStoredWhole<SettingId::kCaptureWidth>,
             &C::PutFrameSide<SettingId::kCaptureWidth>, MessageId::kFrameSizeOutOfRange),
    Property(dispid::kCaptureHeight, L"CaptureHeight", VT_I2, &C::GetStoredWhole<SettingId::kCaptureHeight>,
             &C::PutFrameSide<SettingId::kCaptureHeight>, MessageId::kFrameSizeOutOfRange),
    ReadOnly(dispid::kDeviceCount, L"DeviceCount", VT_I2, &C::GetDeviceCount),
    Call(dispid::kSaveCaptureFile, L"SaveCaptureFile", &C::SaveCaptureFile, VT_BSTR, 1),
    Call(dispid::kStartCapture, L"StartCapture", &C::StartCapture),
    Call(dispid::kShowFormatDialog, L"ShowFormatDialog", &C::ShowFormatDialog),
    Call(dispid::kShowSourceDialog, L"ShowSourceDialog", &C::ShowSourceDialog),
    Call(dispid::kShowAudioDialog, L"ShowAudioDialog", &C::ShowAudioDialog),
    Call(dispid::kAboutBox, L"AboutBox", &C::AboutBox),
    Call(dispid::kSaveBitmap, L"SaveBitmap", &C::SaveBitmap, VT_BSTR, 1),
    Call(dispid::kCopyToClipboard, L"CopyToClipboard", &C::CopyToClipboard),
    Call(dispid::kCopyFrameToDC, L"CopyFrameToDC", &C::CopyFrameToDC, VT_I4, 1),
    Call(dispid::kShowCompressionDialog, L"ShowCompressionDialog", &C::ShowCompressionDialog),
    Call(dispid::kStartStreamCapture, L"StartStreamCapture", &C::StartStreamCapture),
    Call(dispid::kDeviceName, L"DeviceName", &C::DeviceName, VT_I2, 1),
};

const MemberRow* FindMember(DISPID id) {
  for (const MemberRow& row : kMembers) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

// What a caller hands in is checked before any of it is read: the counts
// must agree with the arrays they describe.
HRESULT CheckParams(const DISPPARAMS& params) {
  if (params.cArgs > 0 && !params.rgvarg) return DISP_E_BADPARAMCOUNT;
  if (params.cNamedArgs > params.cArgs) return DISP_E_BADPARAMCOUNT;
  if (params.cNamedArgs > 0 && !params.rgdispidNamedArgs) return E_INVALIDARG;
  return S_OK;
}

// An argument the caller left out arrives as VT_ERROR with
// DISP_E_PARAMNOTFOUND, directly or behind a VARIANT reference.
bool IsMissing(const VARIANT& value) {
  const VARIANT* inner = &value;
  if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal) inner = value.pvarVal;
  return inner->vt == VT_ERROR && inner->scode == DISP_E_PARAMNOTFOUND;
}

// Converts one argument to the member's type; a missing one, or a reference
// to nothing, is refused before conversion could read it.
HRESULT ConvertArgument(VARIANT& out, const VARIANT& in, VARTYPE type) {
  if (IsMissing(in)) return DISP_E_PARAMNOTOPTIONAL;
  if ((in.vt & VT_BYREF) && !in.byref) return DISP_E_TYPEMISMATCH;
  return ::VariantChangeType(&out, const_cast<VARIANT*>(&in), 0, type);
}

}  // namespace

STDMETHODIMP Control::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP Control::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return ComGuard([&] {
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return dispatch_info_.CopyTo(info);
  });
}

STDMETHODIMP Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  if (count == 0) return S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (const MemberRow& row : kMembers) {
    if (names[0] && ::CompareStringOrdinal(names[0], -1, row.name, -1, TRUE) == CSTR_EQUAL) {
      ids[0] = row.id;
      // Our members have no named arguments.
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* arg_error) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  const MemberRow* row = FindMember(id);
  if (!row) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS empty{};
  if (!params) params = &empty;
  HRESULT hr = CheckParams(*params);
  if (FAILED(hr)) return hr;
  if (result) ::VariantInit(result);
  // A caller may ask to be called back into while we run (a capture pumps
  // messages); keep ourselves alive until we return.
  ComPtr<IDispatch> self(this);

  error_scode_ = S_OK;
  error_text_.clear();
  hr = Guard<HRESULT>(
      E_UNEXPECTED, [&] { return InvokeMember(*row, flags, *params, result, arg_error); },
      [this](const Failure& failure) { return FailWith(failure.scode, failure.text); });
  if (hr == DISP_E_EXCEPTION) hr = ReportException(exception);
  return hr;
}

HRESULT Control::ReportException(EXCEPINFO* exception) {
  ReportComFailure(error_scode_, error_text_);
  // Without an EXCEPINFO the caller can only be told the code itself.
  if (!exception) return error_scode_;
  *exception = EXCEPINFO{};
  exception->bstrSource = ::SysAllocString(L"Morvane");
  exception->bstrDescription = ::SysAllocString(error_text_.c_str());
  exception->scode = error_scode_;
  return DISP_E_EXCEPTION;
}

HRESULT Control::InvokeMember(const DispatchMember& row, WORD flags, DISPPARAMS& params, VARIANT* result,
                              UINT* arg_error) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return InvokePut(row, params, arg_error);
  if (row.call && (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
    return InvokeMethod(row, params, result, arg_error);
  }
  if (row.get && (flags & DISPATCH_PROPERTYGET)) return InvokeGet(row, params, result);
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT Control::InvokeGet(const DispatchMember& row, DISPPARAMS& params, VARIANT* result) {
  if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
  basics::Variant value;
  HRESULT hr = (this->*row.get)(value.get());
  if (SUCCEEDED(hr) && result) std::swap(*result, value.value());
  return hr;
}

HRESULT Control::InvokePut(const DispatchMember& row, DISPPARAMS& params, UINT* arg_error) {
  if (!row.put) return row.get ? Fail(MessageId::kReadOnly) : DISP_E_MEMBERNOTFOUND;
  if (params.cArgs != 1 || params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    return params.cArgs == 1 ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
  }
  basics::Variant value;
  HRESULT hr = ConvertArgument(value.value(), params.rgvarg[0], row.type);
  if (FAILED(hr)) {
    if (arg_error) *arg_error = 0;
    return hr == DISP_E_OVERFLOW ? Fail(row.overflow) : hr;
  }
  return (this->*row.put)(value.value());
}

HRESULT Control::InvokeMethod(const DispatchMember& row, DISPPARAMS& params, VARIANT* result, UINT* arg_error) {
  if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params.cArgs != row.arguments) return DISP_E_BADPARAMCOUNT;
  basics::Variant argument;
  if (row.arguments == 1) {
    HRESULT hr = ConvertArgument(argument.value(), params.rgvarg[0], row.type);
    if (FAILED(hr)) {
      if (arg_error) *arg_error = 0;
      return hr;
    }
  }
  basics::Variant value;
  HRESULT hr = (this->*row.call)(argument.get(), value.get());
  if (SUCCEEDED(hr) && result) std::swap(*result, value.value());
  return hr;
}

}  // namespace morvane
