// The capture control as the program calls it: one function per member, each
// sending exactly the VARIANT type the control expects and reading results
// through the program's conversions. Every failure throws
// convert::RuntimeError.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "control/members.h"

namespace sample {

class MorvaneControl {
 public:
  // control: the control's IDispatch; extender: the site's extender object
  // that answers Width and Height.
  MorvaneControl(Microsoft::WRL::ComPtr<IDispatch> control, Microsoft::WRL::ComPtr<IDispatch> extender);

  std::wstring CaptureFileName();
  void PutCaptureFileName(const std::wstring& name);

  // Boolean properties read as Boolean. The seven toggles are written by
  // member, for the option boxes' common handler, as VT_I2 carrying a check
  // box's state unchanged (0, 1 or 2).
  bool Preview();
  bool AudioRecording();
  bool ConfirmBeforeCapture();
  bool Overlay();
  bool StopOnLeftClick();
  bool StopOnRightClick();
  void PutToggle(Member member, std::int16_t state);
  // What the current device offers (read-only).
  bool HasFormatDialog();
  bool HasSourceDialog();
  bool HasOverlay();

  // Integer properties read as 16-bit integers, written as VT_R8.
  std::int16_t CaptureRate();
  void PutCaptureRate(double value);
  std::int16_t TimeLimit();
  void PutTimeLimit(double value);
  std::int16_t PreviewRate();
  void PutPreviewRate(double value);
  std::int16_t CaptureWidth();
  void PutCaptureWidth(double value);
  std::int16_t CaptureHeight();
  void PutCaptureHeight(double value);
  std::int16_t DeviceCount();  // read-only

  void PutStatusWindow(HWND window);  // VT_I4
  void PutDeviceIndex(std::int16_t index);  // VT_I2
  void PutCallbackEnabled(bool enabled);  // VT_BOOL

  void SaveCaptureFile(const std::wstring& name);
  void StartCapture();
  void ShowFormatDialog();
  void ShowSourceDialog();
  void ShowAudioDialog();
  void SaveBitmap(const std::wstring& name);
  void CopyToClipboard();
  bool CopyFrameToDC(HDC dc);  // VT_I4 device context
  void ShowCompressionDialog();
  void StartStreamCapture();
  // The index goes by reference (VT_BYREF|VT_I2) to the caller's variable.
  std::wstring DeviceName(std::int16_t& index);

  // The container's size of the control in twips, as singles (VT_R4).
  float Width();
  void PutWidth(float twips);
  float Height();
  void PutHeight(float twips);

  IDispatch* dispatch() const { return control_.Get(); }
  // Calls into the control that have not returned yet: a capture call keeps
  // the window's messages flowing, so handlers run nested inside it.
  int calls_in_progress() const { return calls_in_progress_; }

 private:
  void Get(Member member, VARIANT* result);
  void Put(Member member, VARIANT& value);
  void Call(Member member, VARIANT* args, UINT count, VARIANT* result);
  bool GetBoolean(Member member);
  std::int16_t GetInteger(Member member);
  void PutI2(Member member, std::int16_t value);
  void PutR8(Member member, double value);
  float GetSingle(Member member);
  void PutR4(Member member, float value);
  void PutBstr(Member member, const std::wstring& text);
  void CallWithText(Member member, const std::wstring& text);

  Microsoft::WRL::ComPtr<IDispatch> control_;
  Microsoft::WRL::ComPtr<IDispatch> extender_;
  int calls_in_progress_ = 0;
};

}  // namespace sample
