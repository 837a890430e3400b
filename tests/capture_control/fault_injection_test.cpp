// Faults injected below the control's boundaries: a device whose render
// throws (our own error, or something that is no std::exception at all; the
// device of fault_devices.cpp) and
// an allocation that fails, during a preview tick, a paint and COM calls.
// The host must live on and be told.
#include <gtest/gtest.h>
#include <olectl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "allocation_hooks.h"
#include "control.h"
#include "control_fixture.h"
#include "control_window.h"
#include "fault_devices.h"

namespace morvane_test {
namespace {

enum class Fault { kNone, kCaptureError, kForeignThrow, kAllocation };

HRESULT CreateWithFaultDevices(REFIID iid, void** object) {
  return morvane::Control::CreateWithDevices(MakeFaultDevices(), iid, object);
}

class FaultInjectionTest : public ControlTest {
 protected:
  TestHost::CreateControl Creator() const override { return &CreateWithFaultDevices; }
  void SetUp() override {
    ControlTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(S_OK, host_->Advise(&sink_));
    status_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 250, 200, 20, host_->window(), nullptr, nullptr, nullptr);
    const Var status = Var::I4(static_cast<LONG>(reinterpret_cast<LONG_PTR>(status_)));
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStatusWindow, status.v).hr);
  }
  void TearDown() override {
    Disarm();
    ControlTest::TearDown();
  }
  void Arm(Fault fault) {
    if (fault == Fault::kCaptureError) ArmRenderFaultAlways(RenderFault::kCaptureError);
    if (fault == Fault::kForeignThrow) ArmRenderFaultAlways(RenderFault::kForeign);
    // Smaller than one 320x240 frame, far above anything else the control
    // allocates on the way.
    if (fault == Fault::kAllocation) coretest::FailAllocationsFrom(320 * 240 * 3 - 1);
  }
  void Disarm() {
    ArmRenderFaultAlways(RenderFault::kNone);
    coretest::FailAllocationsFrom(SIZE_MAX);
  }
  std::wstring StatusText() const {
    wchar_t text[256] = {};
    ::GetWindowTextW(status_, text, 256);
    return text;
  }
  const Event* LastError() const {
    for (auto it = sink_.events.rbegin(); it != sink_.events.rend(); ++it) {
      if (it->id == kEventError) return &*it;
    }
    return nullptr;
  }

  EventSink sink_;
  HWND status_ = nullptr;
};

struct FaultRow {
  const char* name;
  Fault fault;
  UINT message;  // what the control's window is handling when it fails
  HRESULT scode;
};

const FaultRow kWindowFaults[] = {
    {"render throws our error in a preview tick", Fault::kCaptureError, WM_TIMER, E_FAIL},
    {"render throws our error in a paint", Fault::kCaptureError, WM_PAINT, E_FAIL},
    {"render throws something foreign in a preview tick", Fault::kForeignThrow, WM_TIMER, E_UNEXPECTED},
    {"render throws something foreign in a paint", Fault::kForeignThrow, WM_PAINT, E_UNEXPECTED},
    {"frame allocation fails in a preview tick", Fault::kAllocation, WM_TIMER, E_OUTOFMEMORY},
    {"frame allocation fails in a paint", Fault::kAllocation, WM_PAINT, E_OUTOFMEMORY},
};

class WindowFaultTest : public FaultInjectionTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(WindowFaultTest, PreviewStopsAndTheHostIsTold) {
  const FaultRow& row = GetParam();
  HWND window = host_->control_window();
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(1).v).hr);
  sink_.events.clear();
  Arm(row.fault);
  ::SendMessageW(window, row.message, morvane::kPreviewTimer, 0);
  Disarm();

  EXPECT_TRUE(::IsWindow(window)) << "the control's window lives";
  const Event* error = LastError();
  ASSERT_NE(nullptr, error) << "an Error event";
  ASSERT_EQ(2u, error->arguments.size());
  EXPECT_EQ(row.scode, error->arguments[0].v.lVal) << std::hex << error->arguments[0].v.lVal;
  ASSERT_EQ(VT_BSTR, error->arguments[1].v.vt);
  EXPECT_GT(::SysStringLen(error->arguments[1].v.bstrVal), 0u);
  EXPECT_EQ(std::wstring(error->arguments[1].v.bstrVal), StatusText()) << "the status line says why";
  CallResult preview = GetProperty(control(), dispid::kPreview);
  EXPECT_EQ(VARIANT_FALSE, preview.value.v.boolVal) << "the preview stopped";

  // The control goes on working: a paint draws, and the preview restarts.
  sink_.events.clear();
  ::SendMessageW(window, WM_PAINT, 0, 0);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(1).v).hr);
  ::SendMessageW(window, WM_TIMER, morvane::kPreviewTimer, 0);
  EXPECT_EQ(nullptr, LastError());
  EXPECT_EQ(VARIANT_TRUE, GetProperty(control(), dispid::kPreview).value.v.boolVal);
}

INSTANTIATE_TEST_SUITE_P(Faults, WindowFaultTest, ::testing::ValuesIn(kWindowFaults),
                         [](const ::testing::TestParamInfo<FaultRow>& info) { return std::to_string(info.index); });

// COM calls that render on demand answer with an error and its description.
TEST_F(FaultInjectionTest, ComCallsAnswerAnErrorWithItsDescription) {
  struct Row {
    const char* name;
    Fault fault;
    HRESULT scode;
    double copy_width;  // capture widths not rendered before, so each call renders anew
    double draw_width;
  };
  const Row rows[] = {
      {"our error", Fault::kCaptureError, E_FAIL, 330, 340},
      {"something foreign", Fault::kForeignThrow, E_UNEXPECTED, 350, 360},
      // Wider than all before: the frame buffer has to grow.
      {"no memory", Fault::kAllocation, E_OUTOFMEMORY, 640, 660},
  };
  ComPtr<IViewObject> view;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&view)));
  ComPtr<ISupportErrorInfo> supports;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&supports)));
  EXPECT_EQ(S_OK, supports->InterfaceSupportsErrorInfo(IID_IViewObject));
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(row.copy_width).v).hr);
    Arm(row.fault);
    CallResult copy = CallMethod(control(), dispid::kCopyToClipboard);
    Disarm();
    EXPECT_EQ(DISP_E_EXCEPTION, copy.hr);
    EXPECT_EQ(row.scode, copy.scode) << std::hex << copy.scode;
    EXPECT_EQ(L"Morvane", copy.source);
    EXPECT_FALSE(copy.description.empty());

    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(row.draw_width).v).hr);
    ::SetErrorInfo(0, nullptr);
    Arm(row.fault);
    RECTL bounds{0, 0, 32, 32};
    HRESULT drawn = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory, &bounds, nullptr, nullptr, 0);
    Disarm();
    EXPECT_EQ(row.scode, drawn) << std::hex << drawn;
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, ::GetErrorInfo(0, &info));
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_GT(::SysStringLen(description), 0u);
    ::SysFreeString(description);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace morvane_test
