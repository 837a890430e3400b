// The server as a whole: its class object, unloading, the type information a
// container binds events with, and the connection point's sinks.
#include <olectl.h>

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

}  // namespace
}  // namespace morvane_test
