// The server as a whole: its class object, unloading, the type information a
// container binds events with, persisted settings and the dialogs.
#include <olectl.h>

#include <clocale>
#include <cwchar>

#include <gtest/gtest-spi.h>

#include "control_fixture.h"

namespace morvane_test {
namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFunction = HRESULT(STDAPICALLTYPE*)();

const CLSID kClsid = {0x10a0809d, 0x8253, 0x43b8, {0xb7, 0x0d, 0x65, 0x7d, 0x7a, 0xb8, 0x6e, 0x50}};
const IID kEventsIid = {0x5a5556b9, 0x69e6, 0x4e4a, {0xad, 0xf7, 0xf0, 0x27, 0xe9, 0x7c, 0x9c, 0x7a}};

TEST(ModuleTest, CanUnloadOnlyOnceEveryObjectAndLockIsGone) {
  ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
  const std::wstring path = EnvPath(L"MORVANE_OCX");
  HMODULE module = ::LoadLibraryW(path.c_str());
  ASSERT_NE(nullptr, module) << ::GetLastError();
  // Through void*: the entry points' real types are not FARPROC's.
  auto get_class_object = reinterpret_cast<GetClassObjectFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
  auto can_unload =
      reinterpret_cast<CanUnloadFunction>(reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
  ASSERT_NE(nullptr, get_class_object);
  ASSERT_NE(nullptr, can_unload);
  EXPECT_EQ(S_OK, can_unload());

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&factory)));
  EXPECT_EQ(S_FALSE, can_unload()) << "a class object is held";
  IID unknown_class = kEventsIid;
  ComPtr<IClassFactory> none;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get_class_object(unknown_class, IID_PPV_ARGS(&none)));

  ComPtr<IDispatch> control;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&control)));
  ComPtr<IUnknown> outer_attempt;
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(control.Get(), IID_PPV_ARGS(&outer_attempt)));
  factory.Reset();
  EXPECT_EQ(S_FALSE, can_unload()) << "an object is alive";

  // Every interface of the one object shares its reference count.
  ComPtr<IOleObject> ole_object;
  ComPtr<IViewObject2> view;
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(S_OK, control.As(&ole_object));
  ASSERT_EQ(S_OK, control.As(&view));
  ASSERT_EQ(S_OK, control.As(&persist));
  ComPtr<IUnknown> a, b;
  view.As(&a);
  persist.As(&b);
  EXPECT_EQ(a.Get(), b.Get());
  a.Reset();
  b.Reset();
  ole_object.Reset();
  view.Reset();
  persist.Reset();
  control.Reset();
  EXPECT_EQ(S_OK, can_unload()) << "no object leaked";

  ComPtr<IClassFactory> locked;
  ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&locked)));
  locked->LockServer(TRUE);
  locked.Reset();
  EXPECT_EQ(S_FALSE, can_unload()) << "locked";
  ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&locked)));
  locked->LockServer(FALSE);
  locked.Reset();
  EXPECT_EQ(S_OK, can_unload());
  ::FreeLibrary(module);
  ::OleUninitialize();
}

TEST_F(ControlTest, EventInterfaceIsFoundByIndexAsAContainerBindsIt) {
  ComPtr<IProvideClassInfo2> provide;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&provide)));
  GUID events{};
  ASSERT_EQ(S_OK, provide->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
  EXPECT_EQ(kEventsIid, events);
  ComPtr<ITypeInfo> class_info;
  ASSERT_EQ(S_OK, provide->GetClassInfo(&class_info));
  ComPtr<ITypeLib> library;
  UINT index = 0;
  ASSERT_EQ(S_OK, class_info->GetContainingTypeLib(&library, &index));
  ComPtr<ITypeInfo> event_info;
  ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(events, &event_info));

  struct Row {
    UINT index;
    MEMBERID id;
    const wchar_t* name;
    SHORT parameters;
  };
  const Row rows[] = {{0, kEventStatusChanged, L"StatusChanged", 1},
                      {9, kEventCaptureComplete, L"CaptureComplete", 2},
                      {10, kEventStreamFrame, L"StreamFrame", 5}};
  for (const Row& row : rows) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(S_OK, event_info->GetFuncDesc(row.index, &function));
    EXPECT_EQ(row.id, function->memid);
    EXPECT_EQ(row.parameters, function->cParams);
    BSTR name = nullptr;
    event_info->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr);
    EXPECT_STREQ(row.name, name);
    ::SysFreeString(name);
    if (row.id == kEventStreamFrame) {
      EXPECT_EQ(VT_PTR, function->lprgelemdescParam[4].tdesc.vt);
      EXPECT_EQ(VT_I2, function->lprgelemdescParam[4].tdesc.lptdesc->vt);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(VT_I4, function->lprgelemdescParam[i].tdesc.vt) << i;
    }
    event_info->ReleaseFuncDesc(function);
  }
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, event_info->GetTypeAttr(&attributes));
  EXPECT_EQ(11, attributes->cFuncs);
  event_info->ReleaseTypeAttr(attributes);
}

// The test container is strict: a site call the control has no reason to
// make fails the test that made it.
TEST_F(ControlTest, TheContainerFailsOnCallsItDoesNotExpect) {
  ComPtr<IOleObject> object;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&object)));
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(S_OK, object->GetClientSite(&site));
  ASSERT_NE(nullptr, site.Get());
  EXPECT_NONFATAL_FAILURE(site->ShowObject(), "IOleClientSite::ShowObject");
  ComPtr<IOleInPlaceSite> in_place;
  ASSERT_EQ(S_OK, site.As(&in_place));
  EXPECT_NONFATAL_FAILURE(in_place->OnUIActivate(), "IOleInPlaceSite::OnUIActivate");
}

TEST_F(ControlTest, ConnectionPointCookiesAreCheckedOnUnadvise) {
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&container)));
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(S_OK, container->FindConnectionPoint(kEventsIid, &point));
  ComPtr<IConnectionPoint> other;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IPropertyNotifySink, &other));
  EventSink first, second;
  DWORD cookie1 = 0, cookie2 = 0;
  ASSERT_EQ(S_OK, point->Advise(&first, &cookie1));
  ASSERT_EQ(S_OK, point->Advise(&second, &cookie2));
  EXPECT_NE(0u, cookie1);
  EXPECT_NE(cookie1, cookie2);
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(0));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie2 + 100));

  // A sink that unadvises itself from inside an event does not disturb the others.
  first.on_event = [&](DISPID, DISPPARAMS*) { point->Unadvise(cookie1); };
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(1).v).hr);  // DeviceChanged
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(0).v).hr);
  EXPECT_EQ(1u, first.events.size());
  EXPECT_EQ(2u, second.events.size());
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie1)) << "already gone";
  EXPECT_EQ(S_OK, point->Unadvise(cookie2));
}

// A sink whose QueryInterface claims success but hands back nothing.
class HollowSink final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
};

TEST_F(ControlTest, ASinkThatAnswersWithNothingIsRefused) {
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&container)));
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(S_OK, container->FindConnectionPoint(kEventsIid, &point));
  HollowSink hollow;
  DWORD cookie = 0xDEAD;
  EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point->Advise(&hollow, &cookie));
  EXPECT_EQ(0u, cookie);
  // The next event must not call through a null sink.
  EXPECT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(1).v).hr);
}

TEST_F(ControlTest, SettingsPersistForTheNextControl) {
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureRate, Var::R8(12.5).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(640).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureHeight, Var::R8(480).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(1).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimit, Var::R8(42).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStopOnLeftClick, Var::I2(0).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(L"C:\\TEMP\\KEEP.AVI").v).hr);
  // A damaged value is ignored, the others still come back.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kTestSettingsKey, 0, KEY_SET_VALUE, &key));
  const wchar_t junk[] = L"many";
  ::RegSetValueExW(key, L"PreviewRate", 0, REG_SZ, reinterpret_cast<const BYTE*>(junk), sizeof(junk));
  ::RegCloseKey(key);

  TestHost second;
  ASSERT_TRUE(second.ok());
  struct Row {
    DISPID id;
    double expected;
  };
  const Row rows[] = {{dispid::kCaptureRate, 12}, {dispid::kCaptureWidth, 640}, {dispid::kCaptureHeight, 480},
                      {dispid::kDeviceIndex, 1},  {dispid::kTimeLimit, 42},      {dispid::kStopOnLeftClick, 0},
                      {dispid::kPreviewRate, 15}};
  for (const Row& row : rows) {
    Var number;
    CallResult get = GetProperty(second.control(), row.id);
    ASSERT_EQ(S_OK, ::VariantChangeType(&number.v, &get.value.v, 0, VT_R8)) << row.id;
    EXPECT_EQ(row.expected, number.v.dblVal) << row.id;
  }
  EXPECT_STREQ(L"C:\\TEMP\\KEEP.AVI", GetProperty(second.control(), dispid::kCaptureFileName).value.v.bstrVal);
}

// Puts a value where the control keeps its settings; the caller asserts the
// result.
::testing::AssertionResult StoreValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  const LONG created = ::RegCreateKeyExW(HKEY_CURRENT_USER, kTestSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         &key, nullptr);
  if (created != ERROR_SUCCESS) return ::testing::AssertionFailure() << "settings key not created: " << created;
  ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  ::RegCloseKey(key);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult StoreText(const wchar_t* name, const wchar_t* text) {
  return StoreValue(name, REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

::testing::AssertionResult StoreNumber(const wchar_t* name, DWORD number) {
  return StoreValue(name, REG_DWORD, &number, sizeof(number));
}

double ReadNumber(IDispatch* control, DISPID id) {
  Var number;
  CallResult get = GetProperty(control, id);
  if (FAILED(::VariantChangeType(&number.v, &get.value.v, 0, VT_R8))) return -99999;
  return number.v.dblVal;
}

// What a new control reads back from the store: values outside their range
// (which would end a host that reads them as 16-bit integers) are ignored,
// and numbers written as text by earlier versions, with a period or a comma,
// still count.
TEST_F(ControlTest, StoredValuesAreTakenOnlyInsideTheirRange) {
  struct Row {
    const char* name;
    const wchar_t* value_name;
    DWORD number;          // stored as REG_DWORD unless text is set
    const wchar_t* text;   // stored as REG_SZ
    DISPID id;
    double expected;
  };
  const Row rows[] = {
      {"time limit 40000", L"TimeLimit", 40000, nullptr, dispid::kTimeLimit, 0},
      {"time limit 86400 as text", L"TimeLimit", 0, L"86400", dispid::kTimeLimit, 0},
      {"time limit 32767", L"TimeLimit", 32767, nullptr, dispid::kTimeLimit, 32767},
      {"time limit written with a comma", L"TimeLimit", 0, L"30,5", dispid::kTimeLimit, 30},
      {"time limit written with a period", L"TimeLimit", 0, L"31.5", dispid::kTimeLimit, 32},
      {"capture rate 0.3", L"CaptureRate", 0, L"0.29999999999999999", dispid::kCaptureRate, 15},
      {"capture rate 0", L"CaptureRate", 0, nullptr, dispid::kCaptureRate, 15},
      {"capture rate 12.5 (an old fraction)", L"CaptureRate", 0, L"12.5", dispid::kCaptureRate, 12},
      {"preview rate 1000", L"PreviewRate", 1000, nullptr, dispid::kPreviewRate, 15},
      {"preview rate -1", L"PreviewRate", 0xFFFFFFFFu, nullptr, dispid::kPreviewRate, 15},
      {"capture width 70000", L"CaptureWidth", 70000, nullptr, dispid::kCaptureWidth, 320},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
    if (row.text) {
      ASSERT_TRUE(StoreText(row.value_name, row.text));
    } else {
      ASSERT_TRUE(StoreNumber(row.value_name, row.number));
    }
    TestHost next;
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(row.expected, ReadNumber(next.control(), row.id));
  }
}

// Two controls of one user, each changing its own setting: neither undoes
// the other's change with the value it loaded at start.
TEST_F(ControlTest, TwoControlsDoNotUndoEachOther) {
  TestHost other;
  ASSERT_TRUE(other.ok());
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureRate, Var::R8(30).v).hr);
  ASSERT_EQ(S_OK, PutProperty(other.control(), dispid::kTimeLimit, Var::R8(20).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(640).v).hr);
  ASSERT_EQ(S_OK, PutProperty(other.control(), dispid::kAudioRecording, Var::I2(1).v).hr);
  TestHost third;
  ASSERT_TRUE(third.ok());
  EXPECT_EQ(30, ReadNumber(third.control(), dispid::kCaptureRate));
  EXPECT_EQ(20, ReadNumber(third.control(), dispid::kTimeLimit));
  EXPECT_EQ(640, ReadNumber(third.control(), dispid::kCaptureWidth));
  EXPECT_EQ(-1, ReadNumber(third.control(), dispid::kAudioRecording));
}

// A host that switched the C runtime to a decimal-comma locale stores the
// same numbers as one that did not, and either reads what the other wrote.
TEST_F(ControlTest, StoredNumbersDoNotDependOnTheLocale) {
  struct Row {
    const char* name;
    const char* writer_locale;
    const char* reader_locale;
  };
  const Row rows[] = {
      {"written with a comma, read with a period", "German_Germany.1252", "C"},
      {"written with a period, read with a comma", "C", "German_Germany.1252"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, row.writer_locale));
    double written = 0;
    {
      TestHost writer;
      ASSERT_EQ(S_OK, PutProperty(writer.control(), dispid::kCaptureRate, Var::R8(12.5).v).hr);
      written = ReadNumber(writer.control(), dispid::kCaptureRate);
    }
    std::setlocale(LC_ALL, row.reader_locale);
    TestHost reader;
    EXPECT_EQ(written, ReadNumber(reader.control(), dispid::kCaptureRate));
    std::setlocale(LC_ALL, "C");
  }
}

TEST_F(ControlTest, DialogsApplyOnOkAndKeepEverythingOnCancel) {
  struct Row {
    const char* name;
    DISPID method;
    const wchar_t* title;
    int button;
    std::function<void(HWND)> act;
    DISPID read;
    double expected;
  };
  const Row rows[] = {
      {"format cancel", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDCANCEL,
       [](HWND d) { Select(d, 0, 4); }, dispid::kCaptureWidth, 320},
      {"format 640x480", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK,
       [](HWND d) { Select(d, 0, 4); }, dispid::kCaptureWidth, 640},
      {"format height", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK,
       nullptr, dispid::kCaptureHeight, 480},
      {"format 160x120", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK,
       [](HWND d) { Select(d, 0, 0); }, dispid::kCaptureHeight, 120},
      {"source", dispid::kShowSourceDialog, L"ﾋﾞﾃﾞｵ ｿｰｽ", IDOK,
       [](HWND d) { Select(d, 0, 1); }, dispid::kDeviceCount, 3},
      {"audio", dispid::kShowAudioDialog, L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ", IDOK,
       [](HWND d) { Select(d, 0, 2); }, dispid::kDeviceCount, 3},
      {"compression", dispid::kShowCompressionDialog, L"ﾋﾞﾃﾞｵ圧縮", IDOK, nullptr, dispid::kDeviceCount, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DriveDialog(row.title, row.button, row.act);
    CallResult shown = CallMethod(control(), row.method);
    ASSERT_EQ(S_OK, shown.hr) << std::hex << shown.scode;
    Var number;
    CallResult read = GetProperty(control(), row.read);
    ASSERT_EQ(S_OK, ::VariantChangeType(&number.v, &read.value.v, 0, VT_R8));
    EXPECT_EQ(row.expected, number.v.dblVal);
  }
  // The audio choice (44.1 kHz) was kept for the next control.
  TestHost second;
  DriveDialog(L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ", IDOK, nullptr);
  ASSERT_EQ(S_OK, CallMethod(second.control(), dispid::kShowAudioDialog).hr);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kTestSettingsKey, 0, KEY_QUERY_VALUE, &key));
  DWORD rate = 0;
  DWORD size = sizeof(rate);
  ::RegQueryValueExW(key, L"AudioSamplesPerSecond", nullptr, nullptr, reinterpret_cast<BYTE*>(&rate), &size);
  ::RegCloseKey(key);
  EXPECT_EQ(44100u, rate);
}

class ShownControlTest : public ControlTest {
 protected:
  bool ShowHost() const override { return true; }
};

TEST_F(ShownControlTest, PreviewMovesInTheControlsWindow) {
  HWND window = host_->control_window();
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreviewRate, Var::R8(25).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(1).v).hr);
  auto snapshot = [&] {
    HDC dc = ::GetDC(window);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 240; y += 6) {
      for (int x = 0; x < 320; x += 6) pixels.push_back(::GetPixel(dc, x, y));
    }
    ::ReleaseDC(window, dc);
    return pixels;
  };
  TestHost::Pump(400);
  auto first = snapshot();
  TestHost::Pump(400);
  auto second = snapshot();
  int lit = 0, moved = 0;
  for (size_t i = 0; i < first.size(); ++i) {
    lit += first[i] != RGB(0, 0, 0);
    moved += first[i] != second[i];
  }
  EXPECT_GT(lit, static_cast<int>(first.size() / 2)) << "the pattern fills the window";
  EXPECT_GT(moved, 0) << "the picture changes between frames";
}

}  // namespace
}  // namespace morvane_test
