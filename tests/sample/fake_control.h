// A strict stand-in for the capture control: a plain IDispatch (on the
// program's own base for those) that records every call (member, kind,
// VARIANT types and values) as one line of text and answers gets and methods
// from a script. Tests declare the lines they expect and compare; a mismatch
// prints both lists.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "control/plain_dispatch.h"

namespace sample_test {

// One scripted answer: the VARIANT the control returns, or a failure.
struct Answer {
  VARTYPE type = VT_EMPTY;
  double number = 0;
  std::wstring text;
  HRESULT failure = S_OK;  // reported through EXCEPINFO when set
  std::wstring description;
};

Answer Bool(bool value);
Answer I2(double value);
Answer I4(double value);
Answer R8(double value);
Answer Text(const std::wstring& value);
Answer Fails(HRESULT code, const std::wstring& description);

// The text of one VARIANT as the log writes it: "I2 1", "R8 7.5",
// "BOOL -1", "BSTR 'x'", "R4 4800.5", "I2& 0".
std::wstring DescribeVariant(const VARIANT& v);

class CallLog {
 public:
  void Add(std::wstring line) { lines_.push_back(std::move(line)); }
  const std::vector<std::wstring>& lines() const { return lines_; }
  void Clear() { lines_.clear(); }
  // The lines that are not gets: puts and method calls only.
  std::vector<std::wstring> Actions() const;

 private:
  std::vector<std::wstring> lines_;
};

class FakeControl final : public sample::PlainDispatch<FakeControl> {
 public:
  explicit FakeControl(CallLog& log);

  // Replaces the answer for a DISPID.
  void Script(DISPID id, Answer answer) { answers_[id] = std::move(answer); }
  // Runs during the call of a DISPID (after it is logged), e.g. a capture
  // call that lets the test act while it is pending.
  void During(DISPID id, std::function<void()> action) { during_[id] = std::move(action); }
  // The addresses that DeviceName's by-reference argument pointed to.
  const std::vector<const void*>& device_name_refs() const { return device_name_refs_; }

  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT*) override;

 private:
  friend class basics::ComObject<FakeControl, IDispatch>;
  ~FakeControl() = default;
  CallLog& log_;
  std::map<DISPID, Answer> answers_;
  std::map<DISPID, std::function<void()>> during_;
  std::vector<const void*> device_name_refs_;
};

// Forwards to the site's real extender and logs every call.
Microsoft::WRL::ComPtr<IDispatch> RecordingExtender(IDispatch* real, CallLog& log);

// The member's name for a DISPID, as the log writes it.
std::wstring MemberName(DISPID id);

}  // namespace sample_test
