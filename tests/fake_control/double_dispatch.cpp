// The stand-in's members: every call is answered from the scenario and
// recorded in the call log, one line per call.
#include <cstdio>
#include <new>

#include "double_control.h"
#include "double_guids.h"
#include "double_log.h"

namespace morvane_double {
namespace {

// A member's failure, carried to Invoke's EXCEPINFO.
struct MemberError {
  HRESULT hr;
  std::string description;  // UTF-8
};

std::string HresultText(HRESULT hr) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
  return buffer;
}

struct MethodArity {
  const char* name;
  UINT arguments;
};

constexpr MethodArity kMethodArity[] = {
    {"SaveCaptureFile", 1}, {"StartCapture", 0},    {"ShowFormatDialog", 0},      {"ShowSourceDialog", 0},
    {"ShowAudioDialog", 0}, {"SaveBitmap", 1},      {"CopyToClipboard", 0},       {"CopyFrameToDC", 1},
    {"ShowCompressionDialog", 0}, {"StartStreamCapture", 0}, {"DeviceName", 1},
};

UINT ArityOf(const Member& member) {
  for (const MethodArity& m : kMethodArity) {
    if (std::string(m.name) == member.name) return m.arguments;
  }
  return 0;
}

bool IsCapture(const Member& member) {
  return std::string(member.name) == "StartCapture" || std::string(member.name) == "StartStreamCapture";
}

// The argument a caller passed, by value or by reference, as the type asked for.
VARIANT Coerced(const VARIANT& arg, VARTYPE type) {
  VARIANT out;
  VariantInit(&out);
  HRESULT hr = VariantChangeType(&out, const_cast<VARIANT*>(&arg), 0, type);
  if (FAILED(hr)) throw MemberError{DISP_E_TYPEMISMATCH, "argument of the wrong type"};
  return out;
}

}  // namespace

STDMETHODIMP DoubleControl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  Microsoft::WRL::ComPtr<ITypeLib> library;
  HRESULT hr = LoadOwnTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(kDispatchIid, info);
}

STDMETHODIMP DoubleControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    const Member* m = i == 0 ? FindMember(ToUtf8(names[i], wcslen(names[i]))) : nullptr;
    ids[i] = m ? m->dispid : DISPID_UNKNOWN;
    if (!m) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

STDMETHODIMP DoubleControl::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* arg_error) {
  if (arg_error) *arg_error = 0;
  const Member* member = FindMember(dispid);
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  try {
    CallLog& log = CallLog::Instance();
    if (!member) {
      log.Write("unknown " + std::to_string(dispid));
      return DISP_E_MEMBERNOTFOUND;
    }
    if (!params) return E_INVALIDARG;
    std::string line = std::string(put ? "put" : member->kind == MemberKind::kMethod ? "call" : "get") + " " +
                       std::to_string(dispid) + " " + member->name;
    // Arguments in the caller's order (DISPPARAMS hold them last to first).
    for (UINT i = params->cArgs; i-- > 0;) line += " " + DescribeVariant(params->rgvarg[i]);

    VARIANT local;
    VariantInit(&local);
    VARIANT* answer = result ? result : &local;
    VariantInit(answer);
    HRESULT hr = S_OK;
    std::string failure;
    try {
      auto scripted = script_.failures.find(member->name);
      if (scripted != script_.failures.end()) throw MemberError{scripted->second.hresult, scripted->second.description};
      if (put) {
        if (params->cArgs != 1) throw MemberError{DISP_E_BADPARAMCOUNT, "one value expected"};
        if (member->kind == MemberKind::kMethod || member->kind == MemberKind::kReadOnly) {
          throw MemberError{DISP_E_MEMBERNOTFOUND, "read-only"};
        }
        hr = PutProperty(*member, params->rgvarg[0]);
      } else if (member->kind == MemberKind::kMethod) {
        if (params->cArgs != ArityOf(*member)) throw MemberError{DISP_E_BADPARAMCOUNT, "wrong number of arguments"};
        if (IsCapture(*member)) {
          // Written before the capture runs, so its events follow it in the log.
          log.Write(line);
          line = "end " + std::to_string(dispid) + " " + member->name;
        }
        std::string unused;
        hr = CallMethod(*member, params, answer, &unused);
      } else {
        if (params->cArgs != 0) throw MemberError{DISP_E_BADPARAMCOUNT, "a property takes no argument"};
        if (member->kind == MemberKind::kWriteOnly) throw MemberError{DISP_E_MEMBERNOTFOUND, "write-only"};
        hr = GetProperty(*member, answer);
      }
    } catch (const MemberError& e) {
      hr = e.hr;
      failure = e.description;
    }
    if (SUCCEEDED(hr) && answer->vt != VT_EMPTY) line += " -> " + DescribeVariant(*answer);
    if (FAILED(hr)) line += " !" + HresultText(hr);
    log.Write(line);
    VariantClear(&local);
    if (FAILED(hr)) {
      VariantClear(answer);
      // Scripted failures reach the caller as the control's own exception.
      if (!exception || hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_MEMBERNOTFOUND) return hr;
      *exception = EXCEPINFO{};
      exception->bstrSource = SysAllocString(L"MorvaneDouble");
      exception->bstrDescription = SysAllocString(FromUtf8(failure).c_str());
      exception->scode = hr;
      return DISP_E_EXCEPTION;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT DoubleControl::GetProperty(const Member& member, VARIANT* result) {
  auto it = script_.values.find(member.name);
  if (it == script_.values.end()) return DISP_E_MEMBERNOTFOUND;
  const Value& v = it->second;
  switch (v.type) {
    case Value::Type::kBool:
      result->vt = VT_BOOL;
      result->boolVal = v.number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case Value::Type::kI2:
      result->vt = VT_I2;
      result->iVal = static_cast<SHORT>(v.number);
      break;
    case Value::Type::kI4:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(v.number);
      break;
    case Value::Type::kR8:
      result->vt = VT_R8;
      result->dblVal = v.number;
      break;
    case Value::Type::kBstr:
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(FromUtf8(v.text).c_str());
      if (!result->bstrVal) result->vt = VT_EMPTY;
      break;
  }
  return S_OK;
}

HRESULT DoubleControl::PutProperty(const Member& member, const VARIANT& value) {
  if (std::string(member.name) == "StatusWindow") {
    VARIANT handle = Coerced(value, VT_I4);
    status_window_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle.lVal));
    // The control writes its status into the field it was given.
    if (IsWindow(status_window_)) SetWindowTextW(status_window_, L"MorvaneDouble ready");
    return S_OK;
  }
  Value& stored = script_.values[member.name];
  if (stored.type == Value::Type::kBstr) {
    VARIANT text = Coerced(value, VT_BSTR);
    stored.text = ToUtf8(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
  } else {
    VARIANT number = Coerced(value, VT_R8);
    stored.number = number.dblVal;
  }
  return S_OK;
}

HRESULT DoubleControl::CallMethod(const Member& member, DISPPARAMS* params, VARIANT* result, std::string*) {
  const std::string name = member.name;
  if (name == "StartCapture" || name == "StartStreamCapture") return RunCapture(name);
  if (name == "CopyToClipboard") {
    CopyFrameToClipboard();
    return S_OK;
  }
  if (name == "CopyFrameToDC") {
    VARIANT handle = Coerced(params->rgvarg[0], VT_I4);
    HDC dc = reinterpret_cast<HDC>(static_cast<LONG_PTR>(handle.lVal));
    if (script_.copy_frame_answer) DrawFrameInto(dc, 320, 240);
    result->vt = VT_BOOL;
    result->boolVal = script_.copy_frame_answer ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  if (name == "DeviceName") {
    const VARIANT& arg = params->rgvarg[0];
    SHORT index = 0;
    if (arg.vt == (VT_BYREF | VT_I2) && arg.piVal) {
      index = *arg.piVal;
    } else {
      index = Coerced(arg, VT_I2).iVal;
    }
    if (index < 0 || static_cast<size_t>(index) >= script_.device_names.size()) {
      throw MemberError{E_INVALIDARG, "no device with this index"};
    }
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(FromUtf8(script_.device_names[static_cast<size_t>(index)]).c_str());
    return S_OK;
  }
  // Dialogs and file saves: the call in the log is all a scenario needs.
  return S_OK;
}

}  // namespace morvane_double
