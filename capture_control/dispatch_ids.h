// The DISPIDs of the control's dispatch and event interfaces, as the type
// library (morvane.idl) declares them. The member table of
// control_dispatch.cpp and the tests name members by these.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace morvane {

namespace dispid {
enum : DISPID {
  kCaptureFileName = 1,
  kPreview = 2,
  kAudioRecording = 3,
  kCaptureRate = 4,
  kStatusWindow = 5,
  kConfirmBeforeCapture = 6,
  kTimeLimitEnabled = 7,
  kTimeLimit = 8,
  kOverlay = 9,
  kPreviewRate = 10,
  kDeviceIndex = 11,
  kStopOnLeftClick = 12,
  kStopOnRightClick = 13,
  kVersion = 14,
  kCapturedFrames = 15,
  kDroppedFrames = 16,
  kCallbackEnabled = 17,
  kHasFormatDialog = 18,
  kHasSourceDialog = 19,
  kCapturing = 20,
  kHasOverlay = 21,
  kCaptureWidth = 22,
  kCaptureHeight = 23,
  kDeviceCount = 24,
  kSaveCaptureFile = 25,
  kStartCapture = 26,
  kShowFormatDialog = 27,
  kShowSourceDialog = 28,
  kShowAudioDialog = 29,
  kAboutBox = 30,
  kSaveBitmap = 31,
  kCopyToClipboard = 32,
  kCopyFrameToDC = 33,
  kShowCompressionDialog = 34,
  kStartStreamCapture = 35,
  kDeviceName = 36,
};
}  // namespace dispid

// DISPIDs of the event interface, in the order it declares them (a container
// binds them by that position).
enum EventId : DISPID {
  kEventStatusChanged = 1,
  kEventError = 2,
  kEventCaptureStarted = 3,
  kEventDeviceChanged = 4,
  kEventFrameDropped = 5,
  kEventClick = 6,
  kEventDblClick = 7,
  kEventPreviewChanged = 8,
  kEventCaptureStopped = 9,
  kEventCaptureComplete = 10,
  kEventStreamFrame = 11,
};

}  // namespace morvane
