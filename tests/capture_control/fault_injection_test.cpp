// Faults injected below the control's boundaries: a device whose render
// throws (our own error, or something that is no std::exception at all) and
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
#include "core/capture_error.h"
#include "video_device.h"

namespace morvane_test {
namespace {

enum class Fault { kNone, kCaptureError, kForeignThrow, kAllocation };

struct ForeignError {};  // thrown by code that knows nothing of std::exception

class FaultyDevice final : public morvane::VideoDevice {
 public:
  explicit FaultyDevice(Fault* fault) : fault_(fault) {}
  const wchar_t* Name() const override { return L"faulty"; }
  bool HasFormatDialog() const override { return false; }
  bool HasSourceDialog() const override { return false; }
  bool HasOverlay() const override { return true; }
  const std::vector<morvane::FrameSize>& Sizes() const override { return sizes_; }
  std::vector<const wchar_t*> SourceChoices() const override { return {}; }
  void SelectSource(int) override {}
  int SelectedSource() const override { return 0; }
  void Render(const morvane::FrameFormat& format, std::uint8_t* bits, std::int64_t, std::int64_t) override {
    switch (*fault_) {
      case Fault::kCaptureError:
        throw morvane::CaptureError(morvane::CaptureErrorKind::kInvalidFormat, L"ﾃｽﾄ: 描画できません", 0);
      case Fault::kForeignThrow:
        throw ForeignError{};
      default:
        std::fill_n(bits, format.ImageSize(), std::uint8_t{0x40});
    }
  }

 private:
  Fault* fault_;
  std::vector<morvane::FrameSize> sizes_{{320, 240}};
};

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    ::SetEnvironmentVariableW(L"MORVANE_SETTINGS_KEY", kTestSettingsKey);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
    std::vector<std::unique_ptr<morvane::VideoDevice>> devices;
    devices.push_back(std::make_unique<FaultyDevice>(&fault_));
    ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, morvane::Control::CreateWithDevices(std::move(devices), IID_PPV_ARGS(&object)));
    host_ = std::make_unique<TestHost>(object);
    ASSERT_TRUE(host_->ok()) << std::hex << host_->create_result();
    ASSERT_EQ(S_OK, host_->Advise(&sink_));
    status_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 250, 200, 20, host_->window(), nullptr, nullptr, nullptr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStatusWindow, Var::I4(static_cast<LONG>(reinterpret_cast<LONG_PTR>(status_))).v).hr);
  }
  void TearDown() override {
    coretest::FailAllocationsFrom(SIZE_MAX);
    fault_ = Fault::kNone;
    host_.reset();
    ::OleUninitialize();
  }
  IDispatch* control() { return host_->control(); }
  void Arm(Fault fault) {
    fault_ = fault;
    // Smaller than one 320x240 frame, far above anything else the control
    // allocates on the way.
    if (fault == Fault::kAllocation) coretest::FailAllocationsFrom(320 * 240 * 3 - 1);
  }
  void Disarm() {
    fault_ = Fault::kNone;
    coretest::FailAllocationsFrom(SIZE_MAX);
  }
  std::wstring StatusText() const {
    wchar_t text[256] = {};
    ::GetWindowTextW(status_, text, 256);
    return text;
  }
  const Event* LastError() const {
    for (auto it = sink_.events.rbegin(); it != sink_.events.rend(); ++it) {
      if (it->id == 2) return &*it;
    }
    return nullptr;
  }

  Fault fault_ = Fault::kNone;
  EventSink sink_;
  HWND status_ = nullptr;
  std::unique_ptr<TestHost> host_;
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
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(1).v).hr);  // Preview on
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
    CallResult copy = CallMethod(control(), dispid::kCopyToClipboard);  // CopyToClipboard
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
