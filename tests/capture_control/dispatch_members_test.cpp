// Every member of the dispatch contract, called the way the host calls it:
// the same DISPIDs, flags and VARIANT types.
#include <olectl.h>

#include <cmath>

#include "control_fixture.h"

namespace morvane_test {
namespace {

double AsDouble(const VARIANT& value) {
  Var number;
  if (FAILED(::VariantChangeType(&number.v, const_cast<VARIANT*>(&value), 0, VT_R8))) return -99999;
  return number.v.dblVal;
}

// A put of the host's type, then a get whose value must read back.
struct RoundTrip {
  const char* name;
  DISPID id;
  Var put;
  VARTYPE get_type;  // the type the control answers with
  double expected;   // the value read back, as a number
};

TEST_F(ControlTest, PropertiesTakeTheHostsTypesAndReadBack) {
  const RoundTrip rows[] = {
      {"Preview on (VT_I2 1)", dispid::kPreview, Var::I2(1), VT_BOOL, -1},
      {"Preview off", dispid::kPreview, Var::I2(0), VT_BOOL, 0},
      {"AudioRecording", dispid::kAudioRecording, Var::I2(1), VT_BOOL, -1},
      {"CaptureRate", dispid::kCaptureRate, Var::R8(30), VT_I2, 30},
      {"CaptureRate fraction", dispid::kCaptureRate, Var::R8(12.5), VT_I2, 12},
      {"ConfirmBeforeCapture", dispid::kConfirmBeforeCapture, Var::I2(1), VT_BOOL, -1},
      {"ConfirmBeforeCapture off", dispid::kConfirmBeforeCapture, Var::I2(0), VT_BOOL, 0},
      {"TimeLimitEnabled", dispid::kTimeLimitEnabled, Var::I2(1), VT_BOOL, -1},
      {"TimeLimit", dispid::kTimeLimit, Var::R8(30), VT_I2, 30},
      {"TimeLimit zero", dispid::kTimeLimit, Var::R8(0), VT_I2, 0},
      {"Overlay (device 0 has one)", dispid::kOverlay, Var::I2(1), VT_BOOL, -1},
      {"Overlay off", dispid::kOverlay, Var::I2(0), VT_BOOL, 0},
      {"PreviewRate", dispid::kPreviewRate, Var::R8(20), VT_I2, 20},
      {"DeviceIndex 1", dispid::kDeviceIndex, Var::I2(1), VT_I2, 1},
      {"DeviceIndex 0", dispid::kDeviceIndex, Var::I2(0), VT_I2, 0},
      {"StopOnLeftClick off", dispid::kStopOnLeftClick, Var::I2(0), VT_BOOL, 0},
      {"StopOnRightClick off", dispid::kStopOnRightClick, Var::I2(0), VT_BOOL, 0},
      {"CallbackEnabled", dispid::kCallbackEnabled, Var::Bool(true), VT_BOOL, -1},
      {"CallbackEnabled off", dispid::kCallbackEnabled, Var::Bool(false), VT_BOOL, 0},
      {"CaptureWidth", dispid::kCaptureWidth, Var::R8(640), VT_I2, 640},
      {"CaptureHeight", dispid::kCaptureHeight, Var::R8(480), VT_I2, 480},
      {"CaptureWidth rounds half to even", dispid::kCaptureWidth, Var::R8(320.5), VT_I2, 320},
  };
  for (const RoundTrip& row : rows) {
    SCOPED_TRACE(row.name);
    CallResult put = PutProperty(control(), row.id, row.put.v);
    ASSERT_EQ(S_OK, put.hr) << std::hex << put.hr << " " << put.scode;
    CallResult get = GetProperty(control(), row.id);
    ASSERT_EQ(S_OK, get.hr);
    EXPECT_EQ(row.get_type, get.value.v.vt);
    EXPECT_EQ(row.expected, AsDouble(get.value.v));
  }
}

// CaptureRate, TimeLimit and PreviewRate are Integer properties: a put rounds
// to the nearest whole number (ties to even), a value outside the control's
// range after rounding is refused and leaves the old one, and a get answers
// a 16-bit integer that a host can always read.
TEST_F(ControlTest, IntegerPropertiesRoundToEvenAndRefuseWhatLiesOutside) {
  struct Row {
    const char* name;
    DISPID id;
    Var put;
    double expected;  // -1: refused
  };
  const Row rows[] = {
      {"rate 2.5 to even 2", dispid::kCaptureRate, Var::R8(2.5), 2},
      {"rate 3.5 to even 4", dispid::kCaptureRate, Var::R8(3.5), 4},
      {"rate 14.5", dispid::kCaptureRate, Var::R8(14.5), 14},
      {"rate 15.5", dispid::kCaptureRate, Var::R8(15.5), 16},
      {"rate 0.3 rounds to 0", dispid::kCaptureRate, Var::R8(0.3), -1},
      {"rate 0.5 rounds to 0", dispid::kCaptureRate, Var::R8(0.5), -1},
      {"rate 100.4", dispid::kCaptureRate, Var::R8(100.4), 100},
      {"rate 100.6", dispid::kCaptureRate, Var::R8(100.6), 101},
      {"rate 240.4", dispid::kCaptureRate, Var::R8(240.4), 240},
      {"rate 240.6", dispid::kCaptureRate, Var::R8(240.6), -1},
      {"rate as text", dispid::kCaptureRate, Var::Text(L"25"), 25},
      {"limit 2.5 to even 2", dispid::kTimeLimit, Var::R8(2.5), 2},
      {"limit 32767", dispid::kTimeLimit, Var::R8(32767), 32767},
      {"limit 32767.5 would not fit 16 bits", dispid::kTimeLimit, Var::R8(32767.5), -1},
      {"limit 40000", dispid::kTimeLimit, Var::R8(40000), -1},
      {"limit 86400 (a day)", dispid::kTimeLimit, Var::R8(86400), -1},
      {"limit -0.4 rounds to 0", dispid::kTimeLimit, Var::R8(-0.4), 0},
      {"limit -1", dispid::kTimeLimit, Var::R8(-1), -1},
      {"limit NaN", dispid::kTimeLimit, Var::R8(std::nan("")), -1},
      {"preview 0.5 to even 0", dispid::kPreviewRate, Var::R8(0.5), -1},
      {"preview 1.5 to even 2", dispid::kPreviewRate, Var::R8(1.5), 2},
      {"preview 24.5 to even 24", dispid::kPreviewRate, Var::R8(24.5), 24},
      {"preview 1e10", dispid::kPreviewRate, Var::R8(1e10), -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const double before = AsDouble(GetProperty(control(), row.id).value.v);
    CallResult put = PutProperty(control(), row.id, row.put.v);
    CallResult get = GetProperty(control(), row.id);
    ASSERT_EQ(S_OK, get.hr);
    EXPECT_EQ(VT_I2, get.value.v.vt);
    if (row.expected < 0) {
      EXPECT_EQ(DISP_E_EXCEPTION, put.hr);
      EXPECT_EQ(CTL_E_INVALIDPROPERTYVALUE, put.scode) << std::hex << put.scode;
      EXPECT_FALSE(put.description.empty());
      EXPECT_EQ(before, AsDouble(get.value.v)) << "the value was kept";
    } else {
      EXPECT_EQ(S_OK, put.hr) << std::hex << put.scode;
      EXPECT_EQ(row.expected, AsDouble(get.value.v));
    }
  }
}

// Calls that are malformed or incomplete: refused with the standard code,
// never read past, and the control goes on answering.
TEST_F(ControlTest, BadDispatchCallsAreRefused) {
  VARIANT missing;
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  VARIANT missing_by_reference;
  missing_by_reference.vt = VT_BYREF | VT_VARIANT;
  missing_by_reference.pvarVal = &missing;
  VARIANT null_short;
  null_short.vt = VT_BYREF | VT_I2;
  null_short.piVal = nullptr;
  VARIANT null_text;
  null_text.vt = VT_BYREF | VT_BSTR;
  null_text.pbstrVal = nullptr;
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPID two_named[] = {DISPID_PROPERTYPUT, 1};
  const WORD kMethod = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

  struct Row {
    const char* name;
    DISPID id;
    WORD flags;
    DISPPARAMS params;
    HRESULT expected;
    bool names_argument;  // arg_error names argument 0
  };
  const Row rows[] = {
      {"SaveBitmap without its file name", dispid::kSaveBitmap, kMethod, {&missing, nullptr, 1, 0},
       DISP_E_PARAMNOTOPTIONAL, true},
      {"DeviceName without its index", dispid::kDeviceName, kMethod, {&missing, nullptr, 1, 0},
       DISP_E_PARAMNOTOPTIONAL, true},
      {"CopyFrameToDC without its DC", dispid::kCopyFrameToDC, kMethod, {&missing, nullptr, 1, 0},
       DISP_E_PARAMNOTOPTIONAL, true},
      {"SaveCaptureFile, missing by reference", dispid::kSaveCaptureFile, kMethod,
       {&missing_by_reference, nullptr, 1, 0}, DISP_E_PARAMNOTOPTIONAL, true},
      {"CaptureRate put without a value", dispid::kCaptureRate, DISPATCH_PROPERTYPUT, {&missing, &put_id, 1, 1},
       DISP_E_PARAMNOTOPTIONAL, true},
      {"CaptureWidth put without a value", dispid::kCaptureWidth, DISPATCH_PROPERTYPUT, {&missing, &put_id, 1, 1},
       DISP_E_PARAMNOTOPTIONAL, true},
      {"DeviceName by reference to nothing", dispid::kDeviceName, kMethod, {&null_short, nullptr, 1, 0},
       DISP_E_TYPEMISMATCH, true},
      {"SaveBitmap by reference to nothing", dispid::kSaveBitmap, kMethod, {&null_text, nullptr, 1, 0},
       DISP_E_TYPEMISMATCH, true},
      {"method, one argument, no array", dispid::kSaveBitmap, kMethod, {nullptr, nullptr, 1, 0},
       DISP_E_BADPARAMCOUNT, false},
      {"put, one argument, no array", dispid::kCaptureRate, DISPATCH_PROPERTYPUT, {nullptr, &put_id, 1, 1},
       DISP_E_BADPARAMCOUNT, false},
      {"get, one argument, no array", dispid::kCaptureRate, DISPATCH_PROPERTYGET, {nullptr, nullptr, 1, 0},
       DISP_E_BADPARAMCOUNT, false},
      {"more names than arguments", dispid::kCaptureRate, DISPATCH_PROPERTYPUT, {&missing, two_named, 1, 2},
       DISP_E_BADPARAMCOUNT, false},
      {"named arguments without their array", dispid::kCaptureRate, DISPATCH_PROPERTYPUT, {&missing, nullptr, 1, 1},
       E_INVALIDARG, false},
      {"put without DISPID_PROPERTYPUT", dispid::kCaptureRate, DISPATCH_PROPERTYPUT, {&missing, nullptr, 1, 0},
       DISP_E_PARAMNOTOPTIONAL, false},
      {"a member that does not exist", 999, kMethod, {nullptr, nullptr, 0, 0}, DISP_E_MEMBERNOTFOUND, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DISPPARAMS params = row.params;
    CallResult call = InvokeRaw(control(), row.id, row.flags, &params);
    EXPECT_EQ(row.expected, call.hr) << std::hex << call.hr << " scode " << call.scode;
    if (row.names_argument) {
      EXPECT_EQ(0u, call.arg_error);
    }
    EXPECT_EQ(S_OK, GetProperty(control(), dispid::kCaptureRate).hr) << "the control still answers";
  }
  // No DISPPARAMS at all is an empty list; an interface id other than
  // IID_NULL is refused.
  EXPECT_EQ(S_OK, InvokeRaw(control(), dispid::kCaptureRate, DISPATCH_PROPERTYGET, nullptr).hr);
  EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
            InvokeRaw(control(), dispid::kCaptureRate, DISPATCH_PROPERTYGET, nullptr, IID_IDispatch).hr);
}

TEST_F(ControlTest, ReadOnlyMembersAnswerWhatTheDeviceOffers) {
  struct Row {
    const char* name;
    short device;
    DISPID id;
    double expected;
  };
  const Row rows[] = {
      {"DeviceCount", 0, dispid::kDeviceCount, 3},
      {"HasFormatDialog 0", 0, dispid::kHasFormatDialog, -1},
      {"HasSourceDialog 0", 0, dispid::kHasSourceDialog, -1},
      {"HasOverlay 0", 0, dispid::kHasOverlay, -1},
      {"HasFormatDialog 1", 1, dispid::kHasFormatDialog, -1},
      {"HasSourceDialog 1", 1, dispid::kHasSourceDialog, 0},
      {"HasOverlay 1", 1, dispid::kHasOverlay, 0},
      {"HasFormatDialog 2", 2, dispid::kHasFormatDialog, 0},
      {"HasSourceDialog 2", 2, dispid::kHasSourceDialog, 0},
      {"Capturing when idle", 0, dispid::kCapturing, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(row.device).v).hr);
    CallResult get = GetProperty(control(), row.id);
    ASSERT_EQ(S_OK, get.hr);
    EXPECT_EQ(row.expected, AsDouble(get.value.v));
  }
}

TEST_F(ControlTest, DeviceNameTakesTheIndexByReferenceAndLeavesIt) {
  const wchar_t* const expected[] = {L"Morvane ｶﾗｰﾊﾞｰ (合成)", L"Morvane 市松模様 (合成)", L"Morvane 簡易ｶﾒﾗ (合成)"};
  for (SHORT index = 0; index < 3; ++index) {
    SHORT counter = index;
    VARIANT by_reference;
    by_reference.vt = VT_BYREF | VT_I2;
    by_reference.piVal = &counter;
    CallResult name = CallMethod(control(), dispid::kDeviceName, {by_reference});
    ASSERT_EQ(S_OK, name.hr);
    ASSERT_EQ(VT_BSTR, name.value.v.vt);
    EXPECT_STREQ(expected[index], name.value.v.bstrVal);
    EXPECT_EQ(index, counter);
  }
}

TEST_F(ControlTest, CaptureFileNameAndStatusWindow) {
  CallResult initial = GetProperty(control(), dispid::kCaptureFileName);
  ASSERT_EQ(VT_BSTR, initial.value.v.vt);
  EXPECT_NE(nullptr, wcsstr(initial.value.v.bstrVal, L"CAPTURE.AVI")) << "default name in the temp folder";

  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(L"C:\\TEMP\\ONE.AVI").v).hr);
  EXPECT_STREQ(L"C:\\TEMP\\ONE.AVI", GetProperty(control(), dispid::kCaptureFileName).value.v.bstrVal);

  HWND status = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 250, 200, 20, host_->window(), nullptr, nullptr,
                                  nullptr);
  Var handle = Var::I4(static_cast<LONG>(reinterpret_cast<LONG_PTR>(status)));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStatusWindow, handle.v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(1).v).hr);
  wchar_t text[128] = {};
  ::GetWindowTextW(status, text, 128);
  EXPECT_STREQ(L"ﾌﾟﾚﾋﾞｭｰ中", text);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::I2(0).v).hr);
  ::GetWindowTextW(status, text, 128);
  EXPECT_STREQ(L"停止中", text);
}

// Bad input is refused with a COM error that names us and says why, and
// leaves the property as it was.
TEST_F(ControlTest, BadValuesAreRefusedWithADescription) {
  struct Row {
    const char* name;
    DISPID id;
    Var value;
    HRESULT scode;
  };
  const Row rows[] = {
      {"CaptureRate 0", dispid::kCaptureRate, Var::R8(0), CTL_E_INVALIDPROPERTYVALUE},
      {"CaptureRate negative", dispid::kCaptureRate, Var::R8(-5), CTL_E_INVALIDPROPERTYVALUE},
      {"CaptureRate huge", dispid::kCaptureRate, Var::R8(1e9), CTL_E_INVALIDPROPERTYVALUE},
      {"PreviewRate 0", dispid::kPreviewRate, Var::R8(0), CTL_E_INVALIDPROPERTYVALUE},
      {"TimeLimit negative", dispid::kTimeLimit, Var::R8(-1), CTL_E_INVALIDPROPERTYVALUE},
      {"CaptureWidth 5", dispid::kCaptureWidth, Var::R8(5), CTL_E_INVALIDPROPERTYVALUE},
      {"CaptureWidth 40000 (beyond 16 bits)", dispid::kCaptureWidth, Var::R8(40000), CTL_E_INVALIDPROPERTYVALUE},
      {"CaptureHeight 0", dispid::kCaptureHeight, Var::R8(0), CTL_E_INVALIDPROPERTYVALUE},
      {"CaptureHeight 5000", dispid::kCaptureHeight, Var::R8(5000), CTL_E_INVALIDPROPERTYVALUE},
      {"DeviceIndex 3", dispid::kDeviceIndex, Var::I2(3), CTL_E_INVALIDPROPERTYARRAYINDEX},
      {"DeviceIndex -1", dispid::kDeviceIndex, Var::I2(-1), CTL_E_INVALIDPROPERTYARRAYINDEX},
      {"Overlay on a device without", dispid::kOverlay, Var::I2(1), CTL_E_DEVICEUNAVAILABLE},
      {"CaptureFileName empty", dispid::kCaptureFileName, Var::Text(L""), CTL_E_BADFILENAME},
      {"CaptureFileName blank", dispid::kCaptureFileName, Var::Text(L"   "), CTL_E_BADFILENAME},
      {"StatusWindow not a window", dispid::kStatusWindow, Var::I4(0x7FFF1234), CTL_E_INVALIDPROPERTYVALUE},
      {"HasOverlay is read-only", dispid::kHasOverlay, Var::I2(1), CTL_E_SETNOTSUPPORTED},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.id == dispid::kOverlay) {
      ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(1).v).hr);
    }
    CallResult before = GetProperty(control(), row.id);
    CallResult put = PutProperty(control(), row.id, row.value.v);
    EXPECT_EQ(DISP_E_EXCEPTION, put.hr);
    EXPECT_EQ(row.scode, put.scode) << std::hex << put.scode;
    EXPECT_EQ(L"Morvane", put.source);
    EXPECT_FALSE(put.description.empty());
    CallResult after = GetProperty(control(), row.id);
    if (before.hr == S_OK) {
      EXPECT_EQ(VARCMP_EQ, ::VarCmp(&before.value.v, &after.value.v, 0, 0)) << "the value was kept";
    }
    if (row.id == dispid::kOverlay) {
      ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(0).v).hr);
    }
  }
}

TEST_F(ControlTest, BadMethodCallsAreRefused) {
  SHORT index = 7;
  VARIANT by_reference;
  by_reference.vt = VT_BYREF | VT_I2;
  by_reference.piVal = &index;
  CallResult name = CallMethod(control(), dispid::kDeviceName, {by_reference});
  EXPECT_EQ(DISP_E_EXCEPTION, name.hr);
  EXPECT_EQ(CTL_E_INVALIDPROPERTYARRAYINDEX, name.scode);

  CallResult save = CallMethod(control(), dispid::kSaveCaptureFile, {Var::Text(L"").v});
  EXPECT_EQ(DISP_E_EXCEPTION, save.hr);
  EXPECT_EQ(CTL_E_BADFILENAME, save.scode);

  CallResult bitmap = CallMethod(control(), dispid::kSaveBitmap, {Var::Text(L"Z:\\no\\such\\folder\\x.bmp").v});
  EXPECT_EQ(DISP_E_EXCEPTION, bitmap.hr);
  EXPECT_FALSE(bitmap.description.empty());

  EXPECT_EQ(DISP_E_BADPARAMCOUNT, CallMethod(control(), dispid::kStartCapture, {Var::I2(1).v}).hr);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, GetProperty(control(), 999).hr);

  // The source dialog of a device without one.
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(1).v).hr);
  CallResult source = CallMethod(control(), dispid::kShowSourceDialog);
  EXPECT_EQ(DISP_E_EXCEPTION, source.hr);
  EXPECT_EQ(CTL_E_DEVICEUNAVAILABLE, source.scode);
}

TEST_F(ControlTest, CopyFrameToDcAnswersFalseForWhatIsNoDc) {
  const LONG bad_values[] = {0, 12345, 0x7FFF0000};
  for (LONG value : bad_values) {
    CallResult copy = CallMethod(control(), dispid::kCopyFrameToDC, {Var::I4(value).v});
    EXPECT_EQ(S_OK, copy.hr) << value;
    EXPECT_EQ(VT_BOOL, copy.value.v.vt);
    EXPECT_EQ(VARIANT_FALSE, copy.value.v.boolVal) << value;
  }
}

TEST_F(ControlTest, CopyFrameToDcDrawsTheFrameAtItsNaturalSize) {
  DibCanvas canvas(400, 300, 32);
  ASSERT_NE(nullptr, canvas.bitmap());
  void* bits = canvas.bits();
  std::fill_n(static_cast<DWORD*>(bits), 400 * 300, 0x00123456u);

  CallResult copy = CallMethod(control(), dispid::kCopyFrameToDC, {Var::I4(canvas.dc_argument()).v});
  EXPECT_EQ(S_OK, copy.hr);
  EXPECT_EQ(VARIANT_TRUE, copy.value.v.boolVal);
  ::GdiFlush();
  // Inside the 320x240 frame the fill is gone; outside it stays.
  const DWORD* pixels = static_cast<const DWORD*>(bits);
  auto at = [&](int x, int y) { return pixels[(299 - y) * 400 + x] & 0xFFFFFF; };
  int changed = 0;
  for (int y = 0; y < 240; y += 8) {
    for (int x = 0; x < 320; x += 8) changed += at(x, y) != 0x123456u;
  }
  EXPECT_GT(changed, 1000);
  EXPECT_EQ(0x123456u, at(350, 10));
  EXPECT_EQ(0x123456u, at(10, 270));
}

}  // namespace
}  // namespace morvane_test
