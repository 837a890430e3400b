// The main window's widgets by what they are for. Each id is the one the
// widget's row in the layout table carries, beside the name the form gives
// it there (the row of kCaptureFileField says "Text2"); the window's code
// speaks of the widgets by these names only.
#pragma once

#include "forms/button.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/text_box.h"

namespace sample {

// Control ids follow the form's names so tests and tools can find them.
constexpr int CheckId(int n) { return 100 + n; }
constexpr int CommandId(int n) { return 200 + n; }
constexpr int TextId(int n) { return 300 + n; }
constexpr int kCombo1Id = 401;
constexpr int LabelId(int n) { return 500 + n; }
constexpr int PictureId(int n) { return 600 + n; }
constexpr int kMorvane1Id = 700;
constexpr int kWindowId = 0;  // the container "window itself"

// A widget's id with the kind of widget it is.
template <typename W>
struct WidgetName {
  int id;
};

using BoxName = WidgetName<forms::CheckBox>;
using FieldName = WidgetName<forms::TextBox>;
using ButtonName = WidgetName<forms::Button>;

constexpr BoxName kPreviewBox{CheckId(1)};
constexpr BoxName kPreviewRatioLock{CheckId(2)};
constexpr BoxName kAudioBox{CheckId(3)};
constexpr BoxName kTimeLimitBox{CheckId(4)};
constexpr BoxName kConfirmBox{CheckId(5)};
constexpr BoxName kOverlayBox{CheckId(6)};
constexpr BoxName kCaptureRatioLock{CheckId(7)};
constexpr BoxName kStopOnLeftClickBox{CheckId(8)};
constexpr BoxName kStopOnRightClickBox{CheckId(9)};

constexpr FieldName kSaveFileField{TextId(1)};
constexpr FieldName kCaptureFileField{TextId(2)};
constexpr FieldName kCaptureRateField{TextId(3)};
constexpr FieldName kStatusField{TextId(4)};
constexpr FieldName kTimeLimitField{TextId(5)};
constexpr FieldName kBitmapFileField{TextId(6)};
constexpr FieldName kCaptureWidthField{TextId(7)};
constexpr FieldName kCaptureHeightField{TextId(8)};
constexpr FieldName kPreviewRateField{TextId(9)};
constexpr FieldName kPreviewWidthField{TextId(10)};
constexpr FieldName kPreviewHeightField{TextId(11)};

constexpr ButtonName kCaptureButton{CommandId(1)};
constexpr ButtonName kSaveButton{CommandId(2)};
constexpr ButtonName kFormatButton{CommandId(3)};
constexpr ButtonName kSourceButton{CommandId(4)};
constexpr ButtonName kAudioButton{CommandId(5)};
constexpr ButtonName kExitButton{CommandId(6)};
constexpr ButtonName kBitmapButton{CommandId(7)};
constexpr ButtonName kCopyButton{CommandId(8)};
constexpr ButtonName kShowClipboardButton{CommandId(9)};
constexpr ButtonName kCaptureSizeButton{CommandId(10)};
constexpr ButtonName kCompressionButton{CommandId(11)};
constexpr ButtonName kStreamCaptureButton{CommandId(12)};
constexpr ButtonName kPreviewSizeButton{CommandId(13)};

constexpr WidgetName<forms::ComboBox> kDeviceList{kCombo1Id};

}  // namespace sample
