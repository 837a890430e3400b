#include "messages.h"

#include <olectl.h>

#include <cwchar>
#include <iterator>

namespace morvane {
namespace {

const MessageRow kMessages[] = {
    {MessageId::kCaptureRateOutOfRange, CTL_E_INVALIDPROPERTYVALUE,
     L"ｷｬﾌﾟﾁｬﾚｰﾄは 1 から 240 (ﾌﾚｰﾑ/秒) の整数で指定してください。"},
    {MessageId::kPreviewRateOutOfRange, CTL_E_INVALIDPROPERTYVALUE,
     L"ﾌﾟﾚﾋﾞｭｰﾚｰﾄは 1 から 240 (ﾌﾚｰﾑ/秒) の整数で指定してください。"},
    {MessageId::kTimeLimitOutOfRange, CTL_E_INVALIDPROPERTYVALUE,
     L"制限時間は 0 から 32767 (秒) の整数で指定してください。0 は制限なしです。"},
    {MessageId::kFrameSizeOutOfRange, CTL_E_INVALIDPROPERTYVALUE,
     L"ｷｬﾌﾟﾁｬｻｲｽﾞは幅・高さとも 16 から 4096 ﾋﾟｸｾﾙの範囲で指定してください。"},
    {MessageId::kDeviceIndexOutOfRange, CTL_E_INVALIDPROPERTYARRAYINDEX,
     L"ﾃﾞﾊﾞｲｽ番号が範囲外です。"},
    {MessageId::kNoDevice, CTL_E_DEVICEUNAVAILABLE, L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽがありません。"},
    {MessageId::kEmptyFileName, CTL_E_BADFILENAME, L"ﾌｧｲﾙ名が指定されていません。"},
    {MessageId::kCaptureRunning, CTL_E_PERMISSIONDENIED,
     L"ｷｬﾌﾟﾁｬ中のため実行できません。ｷｬﾌﾟﾁｬが終わってから実行してください。"},
    {MessageId::kNothingCaptured, CTL_E_FILENOTFOUND,
     L"保存するｷｬﾌﾟﾁｬﾌｧｲﾙがありません。先にｷｬﾌﾟﾁｬしてください。"},
    {MessageId::kSaveFailed, CTL_E_PATHFILEACCESSERROR, L"ﾌｧｲﾙを保存できませんでした。"},
    {MessageId::kClipboardFailed, E_FAIL, L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰできませんでした。"},
    {MessageId::kOutOfMemory, E_OUTOFMEMORY, L"ﾒﾓﾘが不足しています。"},
    {MessageId::kNotAValue, DISP_E_TYPEMISMATCH, L"値の型が正しくありません。"},
    {MessageId::kNoFormatDialog, CTL_E_DEVICEUNAVAILABLE, L"このﾃﾞﾊﾞｲｽにはﾌｫｰﾏｯﾄﾀﾞｲｱﾛｸﾞがありません。"},
    {MessageId::kNoSourceDialog, CTL_E_DEVICEUNAVAILABLE, L"このﾃﾞﾊﾞｲｽにはｿｰｽﾀﾞｲｱﾛｸﾞがありません。"},
    {MessageId::kOverlayUnsupported, CTL_E_DEVICEUNAVAILABLE, L"このﾃﾞﾊﾞｲｽはｵｰﾊﾞｰﾚｲ表示に対応していません。"},
    {MessageId::kWrongArgumentCount, DISP_E_BADPARAMCOUNT, L"引数の数が正しくありません。"},
    {MessageId::kReadOnly, CTL_E_SETNOTSUPPORTED, L"このﾌﾟﾛﾊﾟﾃｨは読み取り専用です。"},
    {MessageId::kWriteOnly, CTL_E_GETNOTSUPPORTED, L"このﾌﾟﾛﾊﾟﾃｨは読み取れません。"},
    {MessageId::kStatusWindowInvalid, CTL_E_INVALIDPROPERTYVALUE, L"ｽﾃｰﾀｽ表示先のｳｨﾝﾄﾞｳが無効です。"},
    {MessageId::kInternal, E_UNEXPECTED, L"内部ｴﾗｰが発生しました。"},
};

// In the order of TextId.
const wchar_t* const kTexts[] = {
    L"Morvane",                                   // kBoxCaption
    L"ｷｬﾌﾟﾁｬを開始します。よろしいですか?",      // kConfirmCapture
    L"Morvane ｷｬﾌﾟﾁｬｺﾝﾄﾛｰﾙ ﾊﾞｰｼﾞｮﾝ 1.0",         // kAbout
    L"ｷｬﾝｾﾙ",                                     // kCancel
    L"Morvane ｶﾗｰﾊﾞｰ (合成)",                     // kColourBarsDevice
    L"Morvane 市松模様 (合成)",                   // kCheckerboardDevice
    L"Morvane 簡易ｶﾒﾗ (合成)",                    // kSimpleCameraDevice
    L"ｶﾗｰﾊﾞｰ",                                    // kColourBarsChoice
    L"市松模様",                                  // kCheckerboardChoice
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽが見つかりません (取り外された可能性があります)。",  // kDeviceMissing
    L"選択中のｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽが見つかりません (取り外された可能性があります)。",  // kSelectedDeviceGone
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽが取り外されたか、応答しなくなりました。",  // kDeviceLost
    L"ｷｬﾌﾟﾁｬ中にﾃﾞﾊﾞｲｽが取り外されたか、応答しなくなりました。",  // kDeviceLostWhileCapturing
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽから映像が届かなくなりました。",  // kDeviceStalled
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽから映像が届きません。",  // kDeviceSendsNothing
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽが映像の大きさを途中で変えました。もう一度開始してください。",  // kDeviceChangedSize
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽを開けません。接続と他のｱﾌﾟﾘｹｰｼｮﾝでの使用を確認してください。",  // kDeviceCannotOpen
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽの映像形式を受け取れません (対応する形式またはﾃﾞｺｰﾀﾞがありません)。",  // kDeviceNoUsableFormat
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽを開始できません。",  // kDeviceWillNotRun
    L"ｷｬﾌﾟﾁｬﾃﾞﾊﾞｲｽの設定画面を開けません",  // kDevicePagesFailed
    L" (ｶﾒﾗの大きさ ",  // kCameraSizeOpen
    L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ",  // kFormatTitle
    L"ﾋﾞﾃﾞｵ ｿｰｽ",  // kSourceTitle
    L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ",  // kAudioTitle
    L"ﾋﾞﾃﾞｵ圧縮",  // kCompressionTitle
    L"ｻｲｽﾞ:",  // kSizeField
    L"形式:",  // kFormatField
    L"色数:",  // kColourField
    L"24 ﾋﾞｯﾄ (RGB)",  // kColour24Bits
    L"映像:",  // kPictureField
    L"ｻﾝﾌﾟﾘﾝｸﾞ ﾚｰﾄ:",  // kSampleRateField
    L"ﾋﾞｯﾄ数:",  // kBitsField
    L"ﾁｬﾝﾈﾙ:",  // kChannelsField
    L"8 ﾋﾞｯﾄ",  // kBits8
    L"16 ﾋﾞｯﾄ",  // kBits16
    L"ﾓﾉﾗﾙ",  // kMono
    L"ｽﾃﾚｵ",  // kStereo
    L"圧縮方式:",  // kCompressionField
    L"非圧縮 (全ﾌﾚｰﾑ)",  // kUncompressed
    L"入力:",  // kAudioInputField
    L"自動 (ﾃｽﾄﾄｰﾝ / 既定の入力)",  // kAudioInputAuto
    L"選択された音声入力「",  // kAudioInputMissing
    L"」が見つかりません (取り外された可能性があります)。ｵｰﾃﾞｨｵ ﾀﾞｲｱﾛｸﾞで入力を選び直すか、音声録音を外してください。",  // kAudioInputMissingEnd
    L"録音できる音声入力がありません。ｵｰﾃﾞｨｵ ﾀﾞｲｱﾛｸﾞで入力を選ぶか、音声録音を外してください。",  // kNoAudioInput
    L"音声入力がこの形式 (",  // kAudioFormatRefused
    L") を受け付けません。ｵｰﾃﾞｨｵ ﾀﾞｲｱﾛｸﾞで別の形式を選んでください。",  // kAudioFormatRefusedEnd
    L"音声入力を開けません。接続と他のｱﾌﾟﾘｹｰｼｮﾝでの使用を確認してください。",  // kAudioInputCannotOpen
    L"音声の一部が届かず、無音で補いました (",  // kSoundLost
    L"ｷｬﾌﾟﾁｬ中に音声入力が取り外されたか、応答しなくなりました。届かなかった音声は無音で補いました (",  // kAudioInputLost
    L" 秒)。",  // kSecondsEnd
    L"Motion JPEG (内蔵)",  // kMotionJpeg
    L"ｶﾒﾗの圧縮のまま (Motion JPEG)",  // kAsDelivered
    L"画質:",  // kQualityField
    L"選択されていた圧縮方式が見つかりません (ｱﾝｲﾝｽﾄｰﾙされた可能性があります)。非圧縮でｷｬﾌﾟﾁｬします。",  // kCompressorGone
    L"設定(&C)...",  // kConfigureButton
    L"ﾊﾞｰｼﾞｮﾝ情報(&A)...",  // kAboutButton
    L"圧縮方式が保存された設定を受け付けません (更新された可能性があります)。既定の設定で圧縮します。",  // kCompressorStateRefused
};
static_assert(std::size(kTexts) == static_cast<size_t>(TextId::kCompressorStateRefused) + 1, "one text a TextId");

}  // namespace

const wchar_t* UiText(TextId id) { return kTexts[static_cast<size_t>(id)]; }

const MessageRow& Message(MessageId id) {
  for (const MessageRow& row : kMessages) {
    if (row.id == id) return row;
  }
  return kMessages[std::size(kMessages) - 1];
}

const wchar_t* StatusIdle() { return L"停止中"; }
const wchar_t* StatusPreview() { return L"ﾌﾟﾚﾋﾞｭｰ中"; }
const wchar_t* StatusOverlay() { return L"ｵｰﾊﾞｰﾚｲ中"; }
const wchar_t* StatusCaptureEnded() { return L"ｷｬﾌﾟﾁｬ終了"; }

void FormatCaptureStatus(wchar_t* out, size_t capacity, bool streaming, long captured, long dropped) {
  if (!out || capacity == 0) return;
  std::swprintf(out, capacity, L"%ls: %ld ﾌﾚｰﾑ (ﾄﾞﾛｯﾌﾟ %ld)", streaming ? L"ｽﾄﾘｰﾑｷｬﾌﾟﾁｬ中" : L"ｷｬﾌﾟﾁｬ中",
                captured, dropped);
}

}  // namespace morvane
