#include "main_window/layout.h"

namespace sample {

const WindowLayout kMainWindowLayout = {L"Morvane OCX Sample", 2100, 1515, 9960, 5535, 0x8000000F};

namespace {
using K = WidgetKind;
// An OLE colour holds red, green and blue in the order RGB() packs them.
constexpr forms::OleColor kPink = RGB(0xFF, 0xC0, 0xFF);
constexpr forms::OleColor kLightYellow = RGB(0xFF, 0xFF, 0xC0);
constexpr forms::OleColor kPeach = RGB(0xFF, 0xE0, 0xC0);
constexpr forms::OleColor kLightGreen = RGB(0xC0, 0xFF, 0xC0);
constexpr forms::OleColor kGreen = RGB(0x00, 0x80, 0x00);
constexpr forms::OleColor kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr forms::OleColor kBlue = RGB(0x00, 0x00, 0xFF);
constexpr forms::OleColor kButtonFace = 0x80000000 | COLOR_BTNFACE;  // a system colour
constexpr unsigned kTitle = kHasBackColor | kHasTextColor | kCentred | kTitleFont;
constexpr unsigned kStatus = kHasBackColor | kHasTextColor | kReadOnly;
}  // namespace

// clang-format off
const LayoutRow kLayout[] = {
  // name        kind          id                         container        x     y     w     h    tab caption
  {L"Picture2",  K::Panel,     PictureId(2),              kWindowId,    5340,    0, 4575, 1095,   2, L"", kNoFlags, kPink, 0},
  {L"Picture3",  K::Panel,     PictureId(3),              kWindowId,    5340, 1140, 4575, 1785,   4, L"", kNoFlags, kLightYellow, 0},
  {L"Picture6",  K::Panel,     PictureId(6),              kWindowId,    5340, 2940, 4575,  735,  17, L"", kNoFlags, kLightYellow, 0},
  {L"Picture4",  K::Panel,     PictureId(4),              kWindowId,    5340, 3720, 4575,  735,   5, L"", kNoFlags, kLightYellow, 0},
  {L"Picture5",  K::Panel,     PictureId(5),              kWindowId,    5340, 4500, 2200,  615,  13, L"", kNoFlags, kPeach, 0},
  {L"Picture1",  K::Panel,     PictureId(1),              kWindowId,       0, 4500, 5295,  615,   0, L"", kNoFlags, kLightGreen, 0},

  {L"Label12",   K::Label,     LabelId(12),               kWindowId,       0,    0, 5295,  285,  44, L"Morvane OCX Ver2.00ｻﾝﾌﾟﾙﾌﾟﾛｸﾞﾗﾑ", kTitle, kGreen, kWhite},
  {L"Morvane1",  K::Control,   kMorvane1Id,               kWindowId,     240,  600, 4800, 3600,  46, L"", kNoFlags, 0, 0},
  {L"Text4",     K::TextField, kStatusField.id,           kWindowId,       0, 5160, 7560,  300,  10, L"Status", kStatus, kButtonFace, kBlue},
  {L"Combo1",    K::ComboBox,  kDeviceList.id,            kWindowId,    7680, 4470, 2220,  300,  26, L"", kNoFlags, 0, 0},
  {L"Command12", K::Button,    kStreamCaptureButton.id,   kWindowId,    7680, 4800, 2220,  315,  47, L"ｽﾄﾘｰﾑｷｬﾌﾟﾁｬ", kNoFlags, 0, 0},
  {L"Command6",  K::Button,    kExitButton.id,            kWindowId,    7680, 5160, 2220,  315,   9, L"終了", kNoFlags, 0, 0},

  {L"Check1",    K::CheckBox,  kPreviewBox.id,            PictureId(2),   60,   60, 2235,  255,   3, L"ﾌﾟﾚﾋﾞｭｰ", kNoFlags, 0, 0},
  {L"Label10",   K::Label,     LabelId(10),               PictureId(2), 2340,   60, 1875,  255,  24, L"ﾌﾟﾚﾋﾞｭｰﾚｰﾄ", kNoFlags, 0, 0},
  {L"Text9",     K::TextField, kPreviewRateField.id,      PictureId(2), 3600,   60,  435,  270,  23, L"15", kNoFlags, 0, 0},
  {L"Label11",   K::Label,     LabelId(11),               PictureId(2), 4080,   60,  375,  255,  25, L"F/S", kNoFlags, 0, 0},
  {L"Check5",    K::CheckBox,  kConfirmBox.id,            PictureId(2),   60,  360, 4395,  300,  11, L"ｷｬﾌﾟﾁｬ前に確認ｳｨﾝﾄﾞｳを表示", kNoFlags, 0, 0},
  {L"Check6",    K::CheckBox,  kOverlayBox.id,            PictureId(2),   60,  720, 4395,  255,  12, L"ｵｰﾊﾞﾚｲ表示", kNoFlags, 0, 0},

  {L"Label2",    K::Label,     LabelId(2),                PictureId(3),   60,   30, 2145,  255,  41, L"一時ｷｬﾌﾟﾁｬﾌｧｲﾙ名", kNoFlags, 0, 0},
  {L"Label7",    K::Label,     LabelId(7),                PictureId(3), 2310,   30, 2150,  255,  38, L"ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ名", kNoFlags, 0, 0},
  {L"Text2",     K::TextField, kCaptureFileField.id,      PictureId(3),   60,  330, 2145,  270,  37, L"", kNoFlags, 0, 0},
  {L"Text6",     K::TextField, kBitmapFileField.id,       PictureId(3), 2280,  330, 2145,  270,  30, L"C:\\TEMP\\SAMPLE.BMP", kNoFlags, 0, 0},
  {L"Label5",    K::Label,     LabelId(5),                PictureId(3),   60,  690, 1215,  255,  40, L"ﾌﾚｰﾑ/秒", kNoFlags, 0, 0},
  {L"Text3",     K::TextField, kCaptureRateField.id,      PictureId(3), 1350,  690,  435,  270,  34, L"15", kNoFlags, 0, 0},
  {L"Check3",    K::CheckBox,  kAudioBox.id,              PictureId(3), 1860,  690, 1395,  255,  35, L"音声録音", kNoFlags, 0, 0},
  {L"Command7",  K::Button,    kBitmapButton.id,          PictureId(3), 3360,  690, 1095,  285,  31, L"ﾋﾞｯﾄﾏｯﾌﾟ", kNoFlags, 0, 0},
  {L"Label6",    K::Label,     LabelId(6),                PictureId(3),   60, 1050, 1215,  255,  39, L"時間制限(秒)", kNoFlags, 0, 0},
  {L"Text5",     K::TextField, kTimeLimitField.id,        PictureId(3), 1350, 1050,  435,  270,  32, L"0", kNoFlags, 0, 0},
  {L"Check4",    K::CheckBox,  kTimeLimitBox.id,          PictureId(3), 1860, 1050, 1395,  255,  33, L"時間制限有効", kNoFlags, 0, 0},
  {L"Command1",  K::Button,    kCaptureButton.id,         PictureId(3), 3360, 1020, 1095,  285,  36, L"ｷｬﾌﾟﾁｬ", kNoFlags, 0, 0},
  {L"Check8",    K::CheckBox,  kStopOnLeftClickBox.id,    PictureId(3),   60, 1400, 2145,  255,  42, L"左ﾏｳｽｸﾘｯｸで停止", kNoFlags, 0, 0},
  {L"Check9",    K::CheckBox,  kStopOnRightClickBox.id,   PictureId(3), 2310, 1400, 2150,  255,  43, L"右ﾏｳｽｸﾘｯｸで停止", kNoFlags, 0, 0},

  {L"Label8",    K::Label,     LabelId(8),                PictureId(6),   60,   90, 1215,  255,  48, L"ｷｬﾌﾟﾁｬｻｲｽﾞ", kNoFlags, 0, 0},
  {L"Text7",     K::TextField, kCaptureWidthField.id,     PictureId(6), 1320,   82,  435,  270,  20, L"", kNoFlags, 0, 0},
  {L"Label9",    K::Label,     LabelId(9),                PictureId(6), 1800,  120,  195,  255,  18, L"X", kTransparent, 0, 0},
  {L"Text8",     K::TextField, kCaptureHeightField.id,    PictureId(6), 1980,   82,  435,  270,  19, L"", kNoFlags, 0, 0},
  {L"Check7",    K::CheckBox,  kCaptureRatioLock.id,      PictureId(6), 2520,   90,  915,  255,  22, L"4:3固定", kNoFlags, 0, 0},
  {L"Command10", K::Button,    kCaptureSizeButton.id,     PictureId(6), 3540,   50,  885,  315,  21, L"設定", kNoFlags, 0, 0},
  {L"Label13",   K::Label,     LabelId(13),               PictureId(6),   60,  405, 1215,  255,  49, L"ﾌﾟﾚﾋﾞｭｰｻｲｽﾞ", kNoFlags, 0, 0},
  {L"Text10",    K::TextField, kPreviewWidthField.id,     PictureId(6), 1320,  390,  435,  270,  52, L"", kNoFlags, 0, 0},
  {L"Label14",   K::Label,     LabelId(14),               PictureId(6), 1800,  435,  195,  255,  54, L"X", kTransparent, 0, 0},
  {L"Text11",    K::TextField, kPreviewHeightField.id,    PictureId(6), 1980,  390,  435,  270,  53, L"", kNoFlags, 0, 0},
  {L"Check2",    K::CheckBox,  kPreviewRatioLock.id,      PictureId(6), 2520,  405,  915,  255,  50, L"4:3固定", kNoFlags, 0, 0},
  {L"Command13", K::Button,    kPreviewSizeButton.id,     PictureId(6), 3540,  360,  885,  315,  51, L"設定", kNoFlags, 0, 0},

  {L"Label1",    K::Label,     LabelId(1),                PictureId(4),   60,   30, 4395,  225,   8, L"保存ﾌｧｲﾙ名", kNoFlags, 0, 0},
  {L"Text1",     K::TextField, kSaveFileField.id,         PictureId(4),   60,  330, 3375,  270,   7, L"C:\\TEMP\\SAMPLE.AVI", kNoFlags, 0, 0},
  {L"Command2",  K::Button,    kSaveButton.id,            PictureId(4), 3540,  300,  945,  315,   6, L"保存", kNoFlags, 0, 0},

  {L"Label4",    K::Label,     LabelId(4),                PictureId(5),    0,    0, 2295,  225,  16, L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ", kNoFlags, 0, 0},
  {L"Command8",  K::Button,    kCopyButton.id,            PictureId(5),    0,  240, 1065,  315,  14, L"ｺﾋﾟｰ", kNoFlags, 0, 0},
  {L"Command9",  K::Button,    kShowClipboardButton.id,   PictureId(5), 1080,  240, 1065,  315,  15, L"表示", kNoFlags, 0, 0},

  {L"Label3",    K::Label,     LabelId(3),                PictureId(1),    0,    0, 5295,  225,   1, L"各種ﾀﾞｲｱﾛｸﾞ", kNoFlags, 0, 0},
  {L"Command3",  K::Button,    kFormatButton.id,          PictureId(1),    0,  240, 1335,  315,  27, L"ﾌｫｰﾏｯﾄ", kNoFlags, 0, 0},
  {L"Command4",  K::Button,    kSourceButton.id,          PictureId(1), 1320,  240, 1335,  315,  28, L"ｿｰｽ", kNoFlags, 0, 0},
  {L"Command5",  K::Button,    kAudioButton.id,           PictureId(1), 2640,  240, 1335,  315,  29, L"ｵｰﾃﾞｨｵ", kNoFlags, 0, 0},
  {L"Command11", K::Button,    kCompressionButton.id,     PictureId(1), 3960,  240, 1335,  315,  45, L"圧縮", kNoFlags, 0, 0},
};
// clang-format on
const int kLayoutCount = static_cast<int>(sizeof kLayout / sizeof kLayout[0]);

// The status line has no label: the control writes into it.
const FieldLabels kFieldLabels[] = {
    {TextId(2), LabelId(2), 0},   {TextId(6), LabelId(7), 0},           {TextId(3), LabelId(5), 0},
    {TextId(5), LabelId(6), 0},   {TextId(9), LabelId(10), LabelId(11)}, {TextId(7), LabelId(8), 0},
    {TextId(8), LabelId(8), LabelId(9)}, {TextId(10), LabelId(13), 0},  {TextId(11), LabelId(13), LabelId(14)},
    {TextId(1), LabelId(1), 0},
};
const int kFieldLabelCount = static_cast<int>(sizeof kFieldLabels / sizeof kFieldLabels[0]);

std::wstring AccessibleFieldName(const FieldLabels& row) {
  std::wstring name;
  for (int id : {row.label, row.second_label}) {
    const LayoutRow* label = id != 0 ? FindLayoutRow(id) : nullptr;
    if (label == nullptr) continue;
    if (!name.empty()) name += L' ';
    name += label->caption;
  }
  return name;
}

const LayoutRow* FindLayoutRow(int id) {
  for (const LayoutRow& row : kLayout) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

}  // namespace sample
