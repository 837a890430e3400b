// IDispatch of the control: one table maps each DISPID to its getter, setter
// or method; Invoke converts the caller's VARIANTs to the member's type with
// VariantChangeType and turns a member's failure into an EXCEPINFO.
#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "control.h"

namespace morvane {
namespace {

using Getter = HRESULT (Control::*)(VARIANT*);
using Setter = HRESULT (Control::*)(const VARIANT&);
using Method = HRESULT (Control::*)(const VARIANT*, VARIANT*);

struct MemberRow {
  DISPID id;
  const wchar_t* name;
  VARTYPE type;  // a property's value type, or a method's argument type
  Getter get;
  Setter put;
  Method call;
  UINT arguments;  // a method's argument count
};

const MemberRow kMembers[] = {
    {1, L"CaptureFileName", VT_BSTR, &Control::GetCaptureFileName, &Control::PutCaptureFileName, nullptr, 0},
    {2, L"Preview", VT_BOOL, &Control::GetPreview, &Control::PutPreview, nullptr, 0},
    {3, L"AudioRecording", VT_BOOL, &Control::GetAudioRecording, &Control::PutAudioRecording, nullptr, 0},
    {4, L"CaptureRate", VT_R8, &Control::GetCaptureRate, &Control::PutCaptureRate, nullptr, 0},
    {5, L"StatusWindow", VT_I4, &Control::GetStatusWindow, &Control::PutStatusWindow, nullptr, 0},
    {6, L"ConfirmBeforeCapture", VT_BOOL, &Control::GetConfirmBeforeCapture, &Control::PutConfirmBeforeCapture,
     nullptr, 0},
    {7, L"TimeLimitEnabled", VT_BOOL, &Control::GetTimeLimitEnabled, &Control::PutTimeLimitEnabled, nullptr, 0},
    {8, L"TimeLimit", VT_R8, &Control::GetTimeLimit, &Control::PutTimeLimit, nullptr, 0},
    {9, L"Overlay", VT_BOOL, &Control::GetOverlay, &Control::PutOverlay, nullptr, 0},
    {10, L"PreviewRate", VT_R8, &Control::GetPreviewRate, &Control::PutPreviewRate, nullptr, 0},
    {11, L"DeviceIndex", VT_I2, &Control::GetDeviceIndex, &Control::PutDeviceIndex, nullptr, 0},
    {12, L"StopOnLeftClick", VT_BOOL, &Control::GetStopOnLeftClick, &Control::PutStopOnLeftClick, nullptr, 0},
    {13, L"StopOnRightClick", VT_BOOL, &Control::GetStopOnRightClick, &Control::PutStopOnRightClick, nullptr, 0},
    {14, L"Version", VT_BSTR, &Control::GetVersion, nullptr, nullptr, 0},
    {15, L"CapturedFrames", VT_I4, &Control::GetCapturedFrames, nullptr, nullptr, 0},
    {16, L"DroppedFrames", VT_I4, &Control::GetDroppedFrames, nullptr, nullptr, 0},
    {17, L"CallbackEnabled", VT_BOOL, &Control::GetCallbackEnabled, &Control::PutCallbackEnabled, nullptr, 0},
    {18, L"HasFormatDialog", VT_BOOL, &Control::GetHasFormatDialog, nullptr, nullptr, 0},
    {19, L"HasSourceDialog", VT_BOOL, &Control::GetHasSourceDialog, nullptr, nullptr, 0},
    {20, L"Capturing", VT_BOOL, &Control::GetCapturing, nullptr, nullptr, 0},
    {21, L"HasOverlay", VT_BOOL, &Control::GetHasOverlay, nullptr, nullptr, 0},
    {22, L"CaptureWidth", VT_I2, &Control::GetCaptureWidth, &Control::PutCaptureWidth, nullptr, 0},
    {23, L"CaptureHeight", VT_I2, &Control::GetCaptureHeight, &Control::PutCaptureHeight, nullptr, 0},
    {24, L"DeviceCount", VT_I2, &Control::GetDeviceCount, nullptr, nullptr, 0},
    {25, L"SaveCaptureFile", VT_BSTR, nullptr, nullptr, &Control::SaveCaptureFile, 1},
    {26, L"StartCapture", VT_EMPTY, nullptr, nullptr, &Control::StartCapture, 0},
    {27, L"ShowFormatDialog", VT_EMPTY, nullptr, nullptr, &Control::ShowFormatDialog, 0},
    {28, L"ShowSourceDialog", VT_EMPTY, nullptr, nullptr, &Control::ShowSourceDialog, 0},
    {29, L"ShowAudioDialog", VT_EMPTY, nullptr, nullptr, &Control::ShowAudioDialog, 0},
    {30, L"AboutBox", VT_EMPTY, nullptr, nullptr, &Control::AboutBox, 0},
    {31, L"SaveBitmap", VT_BSTR, nullptr, nullptr, &Control::SaveBitmap, 1},
    {32, L"CopyToClipboard", VT_EMPTY, nullptr, nullptr, &Control::CopyToClipboard, 0},
    {33, L"CopyFrameToDC", VT_I4, nullptr, nullptr, &Control::CopyFrameToDC, 1},
    {34, L"ShowCompressionDialog", VT_EMPTY, nullptr, nullptr, &Control::ShowCompressionDialog, 0},
    {35, L"StartStreamCapture", VT_EMPTY, nullptr, nullptr, &Control::StartStreamCapture, 0},
    {36, L"DeviceName", VT_I2, nullptr, nullptr, &Control::DeviceName, 1},
};

const MemberRow* FindMember(DISPID id) {
  for (const MemberRow& row : kMembers) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

// A VARIANT that clears itself.
struct ScopedVariant {
  VARIANT value;
  ScopedVariant() { ::VariantInit(&value); }
  ~ScopedVariant() { ::VariantClear(&value); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
};

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
  if (!FindMember(id)) return DISP_E_MEMBERNOTFOUND;
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
      E_UNEXPECTED, [&] { return InvokeMember(id, flags, *params, result, arg_error); },
      [this](const Failure& failure) { return FailWith(failure.scode, failure.text); });

  if (hr == DISP_E_EXCEPTION) {
    ReportComFailure(error_scode_, error_text_);
    if (exception) {
      *exception = EXCEPINFO{};
      exception->bstrSource = ::SysAllocString(L"Morvane");
      exception->bstrDescription = ::SysAllocString(error_text_.c_str());
      exception->scode = error_scode_;
    } else {
      // Without an EXCEPINFO the caller can only be told the code itself.
      hr = error_scode_;
    }
  }
  return hr;
}

HRESULT Control::InvokeMember(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result, UINT* arg_error) {
  const MemberRow* row = FindMember(id);
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (!row->put) return row->get ? Fail(MessageId::kReadOnly) : DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 1 || params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return params.cArgs == 1 ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
    }
    ScopedVariant value;
    HRESULT hr = ConvertArgument(value.value, params.rgvarg[0], row->type);
    if (FAILED(hr)) {
      if (arg_error) *arg_error = 0;
      if (hr != DISP_E_OVERFLOW) return hr;
      return Fail(row->type == VT_I2 && (id == 22 || id == 23) ? MessageId::kFrameSizeOutOfRange
                                                               : MessageId::kNotAValue);
    }
    return (this->*row->put)(value.value);
  }
  if (row->call && (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
    if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params.cArgs != row->arguments) return DISP_E_BADPARAMCOUNT;
    ScopedVariant argument;
    if (row->arguments == 1) {
      HRESULT hr = ConvertArgument(argument.value, params.rgvarg[0], row->type);
      if (FAILED(hr)) {
        if (arg_error) *arg_error = 0;
        return hr;
      }
    }
    ScopedVariant value;
    HRESULT hr = (this->*row->call)(&argument.value, &value.value);
    if (SUCCEEDED(hr) && result) std::swap(*result, value.value);
    return hr;
  }
  if (row->get && (flags & DISPATCH_PROPERTYGET)) {
    if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    ScopedVariant value;
    HRESULT hr = (this->*row->get)(&value.value);
    if (SUCCEEDED(hr) && result) std::swap(*result, value.value);
    return hr;
  }
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace morvane
