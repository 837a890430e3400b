// Every error the control reports to its caller, with the HRESULT it carries
// and the text shown to the user.
#pragma once

#include <windows.h>

namespace morvane {

enum class MessageId {
  kCaptureRateOutOfRange,
  kPreviewRateOutOfRange,
  kTimeLimitOutOfRange,
  kFrameSizeOutOfRange,
  kDeviceIndexOutOfRange,
  kNoDevice,
  kEmptyFileName,
  kCaptureRunning,
  kNothingCaptured,
  kSaveFailed,
  kClipboardFailed,
  kOutOfMemory,
  kNotAValue,
  kNoFormatDialog,
  kNoSourceDialog,
  kOverlayUnsupported,
  kWrongArgumentCount,
  kReadOnly,
  kWriteOnly,
  kStatusWindowInvalid,
  kInternal,
};

struct MessageRow {
  MessageId id;
  HRESULT scode;
  const wchar_t* text;
};

const MessageRow& Message(MessageId id);

// Status line texts.
const wchar_t* StatusIdle();
const wchar_t* StatusPreview();
const wchar_t* StatusOverlay();
const wchar_t* StatusCaptureEnded();

// "ｷｬﾌﾟﾁｬ中: 120 ﾌﾚｰﾑ (ﾄﾞﾛｯﾌﾟ 0)" into a caller's buffer: no allocation,
// so the capture loop can update its status line every frame.
void FormatCaptureStatus(wchar_t* out, size_t capacity, bool streaming, long captured, long dropped);

}  // namespace morvane
