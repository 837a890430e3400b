#include "control/members.h"

namespace sample {

const MemberRow kMembers[] = {
    {Member::CaptureFileName, 1, L"CaptureFileName"},
    {Member::Preview, 2, L"Preview"},
    {Member::AudioRecording, 3, L"AudioRecording"},
    {Member::CaptureRate, 4, L"CaptureRate"},
    {Member::StatusWindow, 5, L"StatusWindow"},
    {Member::ConfirmBeforeCapture, 6, L"ConfirmBeforeCapture"},
    {Member::TimeLimitEnabled, 7, L"TimeLimitEnabled"},
    {Member::TimeLimit, 8, L"TimeLimit"},
    {Member::Overlay, 9, L"Overlay"},
    {Member::PreviewRate, 10, L"PreviewRate"},
    {Member::DeviceIndex, 11, L"DeviceIndex"},
    {Member::StopOnLeftClick, 12, L"StopOnLeftClick"},
    {Member::StopOnRightClick, 13, L"StopOnRightClick"},
    {Member::CallbackEnabled, 17, L"CallbackEnabled"},
    {Member::HasFormatDialog, 18, L"HasFormatDialog"},
    {Member::HasSourceDialog, 19, L"HasSourceDialog"},
    {Member::HasOverlay, 21, L"HasOverlay"},
    {Member::CaptureWidth, 22, L"CaptureWidth"},
    {Member::CaptureHeight, 23, L"CaptureHeight"},
    {Member::DeviceCount, 24, L"DeviceCount"},
    {Member::SaveCaptureFile, 25, L"SaveCaptureFile"},
    {Member::StartCapture, 26, L"StartCapture"},
    {Member::ShowFormatDialog, 27, L"ShowFormatDialog"},
    {Member::ShowSourceDialog, 28, L"ShowSourceDialog"},
    {Member::ShowAudioDialog, 29, L"ShowAudioDialog"},
    {Member::SaveBitmap, 31, L"SaveBitmap"},
    {Member::CopyToClipboard, 32, L"CopyToClipboard"},
    {Member::CopyFrameToDC, 33, L"CopyFrameToDC"},
    {Member::ShowCompressionDialog, 34, L"ShowCompressionDialog"},
    {Member::StartStreamCapture, 35, L"StartStreamCapture"},
    {Member::DeviceName, 36, L"DeviceName"},
    {Member::ExtenderWidth, kDispidExtenderWidth, L"Width"},
    {Member::ExtenderHeight, kDispidExtenderHeight, L"Height"},
};
const int kMemberCount = static_cast<int>(sizeof kMembers / sizeof kMembers[0]);

namespace {
const MemberRow& RowOf(Member member) {
  for (const MemberRow& row : kMembers) {
    if (row.member == member) return row;
  }
  // Every enumerator has a row; the table test walks them all.
  return kMembers[0];
}
}  // namespace

DISPID DispidOf(Member member) { return RowOf(member).dispid; }
const wchar_t* NameOf(Member member) { return RowOf(member).name; }

}  // namespace sample
