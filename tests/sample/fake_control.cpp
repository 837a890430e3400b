#include "fake_control.h"

#include <oleauto.h>

#include <cwchar>

#include "basics/com_object.h"
#include "control/members.h"

namespace sample_test {
namespace {

std::wstring Number(double value) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.15g", value);
  return buffer;
}

// What a fresh control reports unless a test scripts otherwise.
std::map<DISPID, Answer> DefaultAnswers() {
  return {
      {1, Text(L"C:\\CAPTURE.AVI")}, {2, Bool(false)}, {3, Bool(false)}, {4, I2(15)},
      {6, Bool(false)},  {8, I2(0)},        {9, Bool(false)},  {10, I2(15)},
      {12, Bool(false)}, {13, Bool(false)}, {18, Bool(true)},  {19, Bool(true)},
      {21, Bool(true)},  {22, I2(320)},     {23, I2(240)},     {24, I2(1)},
      {33, Bool(true)},
  };
}

void Fill(const Answer& answer, VARIANT* result) {
  if (result == nullptr) return;
  VariantInit(result);
  V_VT(result) = answer.type;
  switch (answer.type) {
    case VT_BOOL: V_BOOL(result) = answer.number != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_I2: V_I2(result) = static_cast<SHORT>(answer.number); break;
    case VT_I4: V_I4(result) = static_cast<LONG>(answer.number); break;
    case VT_R8: V_R8(result) = answer.number; break;
    case VT_BSTR: V_BSTR(result) = SysAllocString(answer.text.c_str()); break;
    default: V_VT(result) = VT_EMPTY; break;
  }
}

HRESULT Raise(const Answer& answer, EXCEPINFO* info) {
  if (info != nullptr) {
    *info = EXCEPINFO{};
    info->scode = answer.failure;
    info->bstrSource = SysAllocString(L"FakeControl");
    info->bstrDescription = SysAllocString(answer.description.c_str());
  }
  return DISP_E_EXCEPTION;
}

class Recorder final : public IDispatch {
 public:
  Recorder(IDispatch* real, CallLog& log) : real_(real), log_(log) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return real_->GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** info) override { return real_->GetTypeInfo(i, l, info); }
  STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return real_->GetIDsOfNames(r, n, c, l, d);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID r, LCID l, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT* arg) override {
    std::wstring line = (flags & DISPATCH_PROPERTYPUT) ? L"put " : L"get ";
    line += MemberName(id);
    if (params != nullptr && params->cArgs == 1) line += L" " + DescribeVariant(params->rgvarg[0]);
    log_.Add(line);
    return real_->Invoke(id, r, l, flags, params, result, info, arg);
  }

 private:
  ~Recorder() = default;
  LONG refs_ = 1;
  Microsoft::WRL::ComPtr<IDispatch> real_;
  CallLog& log_;
};

}  // namespace

Answer Bool(bool value) { return Answer{VT_BOOL, value ? -1.0 : 0.0, L"", S_OK, L""}; }
Answer I2(double value) { return Answer{VT_I2, value, L"", S_OK, L""}; }
Answer I4(double value) { return Answer{VT_I4, value, L"", S_OK, L""}; }
Answer R8(double value) { return Answer{VT_R8, value, L"", S_OK, L""}; }
Answer Text(const std::wstring& value) { return Answer{VT_BSTR, 0, value, S_OK, L""}; }
Answer Fails(HRESULT code, const std::wstring& description) { return Answer{VT_EMPTY, 0, L"", code, description}; }

std::wstring MemberName(DISPID id) {
  for (int i = 0; i < sample::kMemberCount; ++i) {
    if (sample::kMembers[i].dispid == id) return sample::kMembers[i].name;
  }
  return L"#" + Number(id);
}

std::wstring DescribeVariant(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_I2: return L"I2 " + Number(V_I2(&v));
    case VT_I4: return L"I4 " + Number(V_I4(&v));
    case VT_R4: return L"R4 " + Number(V_R4(&v));
    case VT_R8: return L"R8 " + Number(V_R8(&v));
    case VT_BOOL: return L"BOOL " + Number(V_BOOL(&v));
    case VT_BSTR: return L"BSTR '" + std::wstring(V_BSTR(&v) ? V_BSTR(&v) : L"") + L"'";
    case VT_BYREF | VT_I2: return L"I2& " + Number(*V_I2REF(&v));
    default: return L"VT " + Number(V_VT(&v));
  }
}

std::vector<std::wstring> CallLog::Actions() const {
  std::vector<std::wstring> actions;
  for (const auto& line : lines_) {
    if (line.rfind(L"get ", 0) != 0) actions.push_back(line);
  }
  return actions;
}

FakeControl::FakeControl(CallLog& log) : log_(log), answers_(DefaultAnswers()) {}

STDMETHODIMP FakeControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP FakeControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* info, UINT*) {
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  const bool get = !put && (flags & DISPATCH_PROPERTYGET) != 0;
  std::wstring line = put ? L"put " : get ? L"get " : L"call ";
  line += MemberName(id);
  const UINT count = params ? params->cArgs : 0;
  // Arguments arrive last first; the log lists them first first.
  for (UINT i = count; i > 0; --i) line += L" " + DescribeVariant(params->rgvarg[i - 1]);
  if (put && (params == nullptr || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
    line += L" (put without DISPID_PROPERTYPUT)";
  log_.Add(line);
  if (id == sample::DispidOf(sample::Member::DeviceName) && count == 1 &&
      V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_I2))
    device_name_refs_.push_back(V_I2REF(&params->rgvarg[0]));

  auto action = during_.find(id);
  if (action != during_.end()) action->second();

  auto found = answers_.find(id);
  if (found != answers_.end() && found->second.failure != S_OK) return Raise(found->second, info);
  if (put) return S_OK;
  if (id == sample::DispidOf(sample::Member::DeviceName) && count == 1 &&
      V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_I2)) {
    Fill(Text(L"Device " + Number(*V_I2REF(&params->rgvarg[0]))), result);
    return S_OK;
  }
  if (found != answers_.end()) {
    Fill(found->second, result);
  } else if (result != nullptr) {
    VariantInit(result);
  }
  return S_OK;
}

Microsoft::WRL::ComPtr<IDispatch> RecordingExtender(IDispatch* real, CallLog& log) {
  return basics::Adopt<IDispatch>(new Recorder(real, log));
}

}  // namespace sample_test
