// The capture control's members as this program calls them: one row per
// member, so the numbers can be checked against the control's contract line
// by line.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sample {

// The control's name on the form: its ambient display name, and the source
// of the errors raised on its behalf.
inline constexpr wchar_t kControlName[] = L"Morvane1";

enum class Member {
  CaptureFileName,
  Preview,
  AudioRecording,
  CaptureRate,
  StatusWindow,
  ConfirmBeforeCapture,
  TimeLimitEnabled,
  TimeLimit,
  Overlay,
  PreviewRate,
  DeviceIndex,
  StopOnLeftClick,
  StopOnRightClick,
  CallbackEnabled,
  HasFormatDialog,
  HasSourceDialog,
  HasOverlay,
  CaptureWidth,
  CaptureHeight,
  DeviceCount,
  SaveCaptureFile,
  StartCapture,
  ShowFormatDialog,
  ShowSourceDialog,
  ShowAudioDialog,
  SaveBitmap,
  CopyToClipboard,
  CopyFrameToDC,
  ShowCompressionDialog,
  StartStreamCapture,
  DeviceName,
  // The container's extender properties of the control's site.
  ExtenderWidth,
  ExtenderHeight,
};

struct MemberRow {
  Member member;
  DISPID dispid;
  const wchar_t* name;
};

// Every member, in DISPID order.
extern const MemberRow kMembers[];
extern const int kMemberCount;

DISPID DispidOf(Member member);
const wchar_t* NameOf(Member member);

// Where the two handled events stand in the control's event interface.
constexpr UINT kCaptureCompleteEventIndex = 9;
constexpr UINT kStreamFrameEventIndex = 10;

constexpr DISPID kDispidExtenderWidth = static_cast<DISPID>(0x80010005);
constexpr DISPID kDispidExtenderHeight = static_cast<DISPID>(0x80010006);

}  // namespace sample
