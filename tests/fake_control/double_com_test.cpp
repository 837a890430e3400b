// The stand-in as a container meets it: found by the capture control's
// programmatic identifier in its own prefix, answering from the scenario,
// logging every call with its VARIANT types, raising the scenario's events.
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bare_container.h"

using Microsoft::WRL::ComPtr;

namespace {

std::wstring TestDir() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"MORVANE_DOUBLE_TEST_DIR", buffer, MAX_PATH);
  return n && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring(L".");
}

std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return out;
}

// Each test gets a scenario and a log of its own.
class Scenario {
 public:
  Scenario(const std::string& name, const std::string& script) {
    script_path_ = TestDir() + L"\\" + std::wstring(name.begin(), name.end()) + L".txt";
    log_path_ = TestDir() + L"\\" + std::wstring(name.begin(), name.end()) + L".log";
    std::ofstream(Narrow(script_path_), std::ios::binary) << script;
    DeleteFileW(log_path_.c_str());
    SetEnvironmentVariableW(L"MORVANE_DOUBLE_SCRIPT", script_path_.c_str());
    SetEnvironmentVariableW(L"MORVANE_DOUBLE_LOG", log_path_.c_str());
  }
  std::vector<std::string> Log() const {
    std::ifstream in(Narrow(log_path_), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string LogText() const {
    std::string all;
    for (const auto& l : Log()) all += l + "\n";
    return all;
  }

 private:
  std::wstring script_path_;
  std::wstring log_path_;
};

HRESULT CreateDouble(ComPtr<IDispatch>* control) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(L"MORVANELib.Morvane", &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(control->ReleaseAndGetAddressOf()));
}

struct CallResult {
  HRESULT hr = E_FAIL;
  VARIANT value;
  EXCEPINFO exception{};
  CallResult() { VariantInit(&value); }
  ~CallResult() {
    VariantClear(&value);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
  }
};

void Invoke(IDispatch* control, DISPID dispid, WORD kind, std::vector<VARIANT> args, CallResult* out) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (kind == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  UINT arg_error = 0;
  out->hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                            kind == DISPATCH_PROPERTYPUT ? nullptr : &out->value, &out->exception, &arg_error);
}

// A number as a VARIANT of the given type, converted as oleaut32 does (a
// non-zero number is VARIANT_TRUE).
VARIANT Typed(VARTYPE type, double v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_R8;
  x.dblVal = v;
  if (type != VT_R8) VariantChangeType(&x, &x, 0, type);
  return x;
}
VARIANT I2(SHORT v) { return Typed(VT_I2, v); }
VARIANT R8(double v) { return Typed(VT_R8, v); }
VARIANT Bool(bool v) { return Typed(VT_BOOL, v ? 1 : 0); }

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(ComTest, CallsAreAnsweredFromTheScenarioAndLoggedWithTheirTypes) {
  Scenario scenario("calls", "get CaptureRate r8 14.5\ndevice 0 \"Cam A\"\ndevice 1 \"Cam B\"\n");
  ComPtr<IDispatch> control;
  ASSERT_EQ(CreateDouble(&control), S_OK);
  static SHORT index = 1;
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BYREF | VT_I2;
  by_ref.piVal = &index;
  VARIANT name;
  VariantInit(&name);
  name.vt = VT_BSTR;
  name.bstrVal = SysAllocString(L"C:\\TEMP\\A.AVI");
  struct Step {
    DISPID dispid;
    WORD kind;
    std::vector<VARIANT> args;
    const char* logged;
  };
  const Step steps[] = {
      {2, DISPATCH_PROPERTYGET, {}, "get 2 Preview -> VT_BOOL 0"},
      {4, DISPATCH_PROPERTYGET, {}, "get 4 CaptureRate -> VT_R8 14.5"},
      {24, DISPATCH_PROPERTYGET, {}, "get 24 DeviceCount -> VT_I2 2"},
      {7, DISPATCH_PROPERTYPUT, {I2(1)}, "put 7 TimeLimitEnabled VT_I2 1"},
      {4, DISPATCH_PROPERTYPUT, {R8(7.5)}, "put 4 CaptureRate VT_R8 7.5"},
      {4, DISPATCH_PROPERTYGET, {}, "get 4 CaptureRate -> VT_R8 7.5"},
      {17, DISPATCH_PROPERTYPUT, {Bool(true)}, "put 17 CallbackEnabled VT_BOOL -1"},
      {36, DISPATCH_METHOD, {by_ref}, "call 36 DeviceName VT_BYREF|VT_I2 1 -> VT_BSTR \"Cam B\""},
      {25, DISPATCH_METHOD, {name}, "call 25 SaveCaptureFile VT_BSTR \"C:\\\\TEMP\\\\A.AVI\""},
      {1, DISPATCH_PROPERTYGET, {}, "get 1 CaptureFileName -> VT_BSTR \"C:\\\\TEMP\\\\CAPTURE.AVI\""},
      {27, DISPATCH_METHOD, {}, "call 27 ShowFormatDialog"},
  };
  for (const Step& s : steps) {
    CallResult r;
    Invoke(control.Get(), s.dispid, s.kind, s.args, &r);
    EXPECT_EQ(r.hr, S_OK) << s.logged;
  }
  VariantClear(&name);
  const auto log = scenario.Log();
  ASSERT_EQ(log.size(), std::size(steps) + 1) << scenario.LogText();
  EXPECT_EQ(log[0], "create");
  for (size_t i = 0; i < std::size(steps); ++i) EXPECT_EQ(log[i + 1], steps[i].logged);
}

TEST_F(ComTest, ScriptedFailuresReachTheCallerAsTheControlsException) {
  Scenario scenario("failure", "fail StartCapture 0x80004005 カメラがありません\nfail Preview 0x800A017C\n");
  ComPtr<IDispatch> control;
  ASSERT_EQ(CreateDouble(&control), S_OK);
  struct Case {
    DISPID dispid;
    WORD kind;
    HRESULT scode;
    const wchar_t* description;
    const char* logged;
  };
  const Case cases[] = {
      {26, DISPATCH_METHOD, static_cast<HRESULT>(0x80004005), L"カメラがありません",
       "call 26 StartCapture !0x80004005"},
      {2, DISPATCH_PROPERTYGET, static_cast<HRESULT>(0x800A017C), L"", "get 2 Preview !0x800A017C"},
  };
  for (const Case& c : cases) {
    CallResult r;
    Invoke(control.Get(), c.dispid, c.kind, {}, &r);
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION) << c.logged;
    EXPECT_EQ(r.exception.scode, c.scode) << c.logged;
    EXPECT_STREQ(r.exception.bstrDescription ? r.exception.bstrDescription : L"", c.description) << c.logged;
    EXPECT_NE(scenario.LogText().find(c.logged), std::string::npos) << scenario.LogText();
  }
  CallResult unknown;
  Invoke(control.Get(), 99, DISPATCH_METHOD, {}, &unknown);
  EXPECT_EQ(unknown.hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_NE(scenario.LogText().find("unknown 99"), std::string::npos);
}

TEST_F(ComTest, AScenarioThatDoesNotParseRefusesCreationAndSaysWhere) {
  Scenario scenario("broken", "# fine\nget Preview bool maybe\n");
  ComPtr<IDispatch> control;
  EXPECT_EQ(CreateDouble(&control), E_INVALIDARG);
  const auto log = scenario.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("script-error 2 ", 0), 0u) << log[0];
}

// Records the events it receives and answers the stop flag as told.
class Sink : public morvane_test::StackSink {
 public:
  struct Event {
    DISPID dispid;
    std::vector<long> numbers;
    long info_width = 0;
  };
  int stop_at_frame = 0;  // answer -1 on this frame (1-based), 0 never
  std::vector<Event> events;

  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    Event e{dispid, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
      const VARIANT& a = params->rgvarg[i];
      if (a.vt == VT_I4) e.numbers.push_back(a.lVal);
    }
    if (dispid == 11 && e.numbers.size() == 4) {
      // The header is readable at the 32-bit address the event carries.
      auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(
          static_cast<uintptr_t>(static_cast<unsigned long>(e.numbers[2])));
      e.info_width = header->biWidth;
      const VARIANT& stop = params->rgvarg[0];
      int frames = 0;
      for (const Event& seen : events) frames += seen.dispid == 11;
      if (stop.vt == (VT_BYREF | VT_I2)) *stop.piVal = (frames + 1 == stop_at_frame) ? -1 : 0;
    }
    events.push_back(e);
    return S_OK;
  }
};

TEST_F(ComTest, CapturesRaiseTheScenariosEventsBoundByIndex) {
  struct Case {
    const char* name;
    const char* script;
    DISPID method;
    bool callbacks;
    int stop_at_frame;
    int frames_expected;
    long captured, dropped;
  };
  const Case cases[] = {
      {"stream3", "capture StartStreamCapture frames=3 size=64x48\n", 35, true, 0, 3, 3, 0},
      {"stream_stopped", "capture StartStreamCapture frames=5 size=64x48\n", 35, true, 2, 2, 2, 0},
      {"file_no_callbacks", "capture StartCapture frames=3 size=64x48 complete=120,3\n", 26, false, 0, 0, 120, 3},
  };
  for (const Case& c : cases) {
    Scenario scenario(c.name, c.script);
    ComPtr<IDispatch> control;
    ASSERT_EQ(CreateDouble(&control), S_OK) << c.name;
    // Bound the way a container does: the default source's IID, then the
    // events by their position in the type library.
    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(control.As(&info), S_OK);
    GUID events_iid{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events_iid), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(events_iid, &point), S_OK);
    Sink sink;
    sink.stop_at_frame = c.stop_at_frame;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);

    CallResult put;
    Invoke(control.Get(), 17, DISPATCH_PROPERTYPUT, {Bool(c.callbacks)}, &put);
    CallResult run;
    Invoke(control.Get(), c.method, DISPATCH_METHOD, {}, &run);
    EXPECT_EQ(run.hr, S_OK) << c.name;

    int frames = 0;
    for (const auto& e : sink.events) {
      if (e.dispid != 11) continue;
      ++frames;
      ASSERT_EQ(e.numbers.size(), 4u);
      EXPECT_EQ(e.numbers[0], 64);
      EXPECT_EQ(e.numbers[1], 48);
      EXPECT_EQ(e.info_width, 64);
    }
    EXPECT_EQ(frames, c.frames_expected) << c.name;
    ASSERT_FALSE(sink.events.empty()) << c.name;
    EXPECT_EQ(sink.events.back().dispid, 10) << c.name << ": CaptureComplete comes last";
    EXPECT_EQ(sink.events.back().numbers, (std::vector<long>{c.captured, c.dropped})) << c.name;

    const std::string log = scenario.LogText();
    EXPECT_NE(log.find("event 9 CaptureComplete " + std::to_string(c.captured) + " " + std::to_string(c.dropped)),
              std::string::npos) << log;
    if (c.stop_at_frame) {
      EXPECT_NE(log.find("StreamFrame 64 48 stop=-1"), std::string::npos) << log;
    }
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  }
}

TEST_F(ComTest, TypeLibraryListsTheEventsAtTheirIndexes) {
  Scenario scenario("typelib", "");
  ComPtr<IDispatch> control;
  ASSERT_EQ(CreateDouble(&control), S_OK);
  ComPtr<IProvideClassInfo> provide;
  ASSERT_EQ(control.As(&provide), S_OK);
  ComPtr<ITypeInfo> class_info;
  ASSERT_EQ(provide->GetClassInfo(&class_info), S_OK);
  ComPtr<ITypeInfo> source;
  for (UINT i = 0; i < 2; ++i) {
    INT flags = 0;
    class_info->GetImplTypeFlags(i, &flags);
    if (!(flags & IMPLTYPEFLAG_FSOURCE)) continue;
    HREFTYPE ref = 0;
    ASSERT_EQ(class_info->GetRefTypeOfImplType(i, &ref), S_OK);
    ASSERT_EQ(class_info->GetRefTypeInfo(ref, &source), S_OK);
  }
  ASSERT_TRUE(source);
  struct Row {
    UINT index;
    const wchar_t* name;
    MEMBERID id;
  };
  const Row rows[] = {{9, L"CaptureComplete", 10}, {10, L"StreamFrame", 11}};
  for (const Row& r : rows) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(source->GetFuncDesc(r.index, &desc), S_OK);
    EXPECT_EQ(desc->memid, r.id);
    BSTR name = nullptr;
    source->GetDocumentation(desc->memid, &name, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, r.name);
    SysFreeString(name);
    source->ReleaseFuncDesc(desc);
  }
}

}  // namespace
