// IDispatch of the control: one table maps each DISPID to its getter, setter
// or method; Invoke converts the caller's VARIANTs to the member's type with
// VariantChangeType and turns a member's failure into an EXCEPINFO.
#include <windows.h>
#include <oleauto.h>

#include <exception>
#include <iterator>
#include <new>

#include "control.h"
#include "core/capture_error.h"

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
  HRESULT hr = EnsureTypeInfo();
  if (FAILED(hr)) return hr;
  return dispatch_info_.CopyTo(info);
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
  if (result) ::VariantInit(result);
  // A caller may ask to be called back into while we run (a capture pumps
  // messages); keep ourselves alive until we return.
  ComPtr<IDispatch> self(this);

  error_scode_ = S_OK;
  error_text_.clear();
  HRESULT hr = S_OK;
  try {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (!row->put) {
        hr = row->get ? Fail(MessageId::kReadOnly) : DISP_E_MEMBERNOTFOUND;
      } else if (params->cArgs != 1 || params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
                 params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        hr = params->cArgs == 1 ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
      } else {
        ScopedVariant value;
        hr = ::VariantChangeType(&value.value, &params->rgvarg[0], 0, row->type);
        if (FAILED(hr)) {
          if (arg_error) *arg_error = 0;
          hr = hr == DISP_E_OVERFLOW ? Fail(row->type == VT_I2 && (id == 22 || id == 23)
                                                ? MessageId::kFrameSizeOutOfRange
                                                : MessageId::kNotAValue)
                                     : DISP_E_TYPEMISMATCH;
        } else {
          hr = (this->*row->put)(value.value);
        }
      }
    } else if (row->call && (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
      if (params->cNamedArgs != 0) {
        hr = DISP_E_NONAMEDARGS;
      } else if (params->cArgs != row->arguments) {
        hr = DISP_E_BADPARAMCOUNT;
      } else {
        ScopedVariant argument;
        if (row->arguments == 1) {
          hr = ::VariantChangeType(&argument.value, &params->rgvarg[0], 0, row->type);
          if (FAILED(hr) && arg_error) *arg_error = 0;
        }
        if (SUCCEEDED(hr)) {
          ScopedVariant value;
          hr = (this->*row->call)(&argument.value, &value.value);
          if (SUCCEEDED(hr) && result) std::swap(*result, value.value);
        }
      }
    } else if (row->get && (flags & DISPATCH_PROPERTYGET)) {
      if (params->cArgs != 0) {
        hr = DISP_E_BADPARAMCOUNT;
      } else {
        ScopedVariant value;
        hr = (this->*row->get)(&value.value);
        if (SUCCEEDED(hr) && result) std::swap(*result, value.value);
      }
    } else {
      hr = DISP_E_MEMBERNOTFOUND;
    }
  } catch (const CaptureError& error) {
    hr = FailWith(error.system_code() ? HRESULT_FROM_WIN32(error.system_code()) : E_FAIL, error.message());
  } catch (const std::bad_alloc&) {
    hr = Fail(MessageId::kOutOfMemory);
  } catch (const std::exception&) {
    hr = Fail(MessageId::kInternal);
  }

  if (hr == DISP_E_EXCEPTION) {
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

}  // namespace morvane
