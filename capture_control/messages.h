// Every text the control shows its user: the errors it reports to its
// caller, each with the HRESULT it carries, the texts of its own boxes,
// dialogs and devices, and its status line.
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

// The texts of the control's own boxes, dialogs and devices, and of the
// failures its devices report.
enum class TextId {
  kBoxCaption,
  kConfirmCapture,
  kAbout,
  kCancel,
  kColourBarsDevice,
  kCheckerboardDevice,
  kSimpleCameraDevice,
  kColourBarsChoice,
  kCheckerboardChoice,
  // What a device or its graph reports when it fails.
  kDeviceMissing,
  kSelectedDeviceGone,
  kDeviceLost,
  kDeviceLostWhileCapturing,
  kDeviceStalled,
  kDeviceSendsNothing,
  kDeviceChangedSize,
  kDeviceCannotOpen,
  kDeviceNoUsableFormat,
  kDeviceWillNotRun,
  kDevicePagesFailed,
  kCameraSizeOpen,
  // The control's own dialogs: titles, field labels and choices.
  kFormatTitle,
  kSourceTitle,
  kAudioTitle,
  kCompressionTitle,
  kSizeField,
  kFormatField,
  kColourField,
  kColour24Bits,
  kPictureField,
  kSampleRateField,
  kBitsField,
  kChannelsField,
  kBits8,
  kBits16,
  kMono,
  kStereo,
  kCompressionField,
  kUncompressed,
  // Sound: the audio dialog's inputs, and what recording from them reports.
  kAudioInputField,
  kAudioInputAuto,
  kAudioInputMissing,
  kAudioInputMissingEnd,
  kNoAudioInput,
  kAudioFormatRefused,
  kAudioFormatRefusedEnd,
  kAudioInputCannotOpen,
  kSoundLost,
  kAudioInputLost,
  kSecondsEnd,
  // Compression: the dialog's choices, and a compressor that has gone.
  kMotionJpeg,
  kAsDelivered,
  kQualityField,
  kCompressorGone,
  kConfigureButton,
  kAboutButton,
  kCompressorStateRefused,
};

const wchar_t* UiText(TextId id);

// Status line texts.
const wchar_t* StatusIdle();
const wchar_t* StatusPreview();
const wchar_t* StatusOverlay();
const wchar_t* StatusCaptureEnded();

// "ｷｬﾌﾟﾁｬ中: 120 ﾌﾚｰﾑ (ﾄﾞﾛｯﾌﾟ 0)" into a caller's buffer: no allocation,
// so the capture loop can update its status line every frame.
void FormatCaptureStatus(wchar_t* out, size_t capacity, bool streaming, long captured, long dropped);

}  // namespace morvane
