' The capture control driven by a script host, 32-bit or 64-bit:
'   cscript //nologo script_host.vbs AVI_PATH BMP_PATH [ROUNDS]
' Prints one "name=value" line a fact for the test to check, the first the
' processor the host runs as (x86 for a 32-bit host, even on 64-bit
' Windows). ROUNDS more controls are then made, capture a second each and
' are let go, one after the other, as a script that runs a capture now and
' then does: what one of them leaves behind (a thread, a timer, a window)
' shows when the host exits.
Option Explicit
Dim control, i, index, avi, bmp, rounds
avi = WScript.Arguments(0)
bmp = WScript.Arguments(1)
rounds = 0
If WScript.Arguments.Count > 2 Then rounds = CInt(WScript.Arguments(2))

WScript.Echo "host=" & CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")
Set control = CreateObject("MORVANELib.Morvane")
WScript.Echo "devices=" & control.DeviceCount
For i = 0 To control.DeviceCount - 1
  index = CInt(i)
  WScript.Echo "device" & i & "=" & control.DeviceName(index)
Next

control.DeviceIndex = 0
control.ConfirmBeforeCapture = False
control.AudioRecording = False
control.CaptureFileName = avi
control.CaptureRate = 10
control.TimeLimit = 2
control.TimeLimitEnabled = True
control.StartCapture
WScript.Echo "captured=" & control.CapturedFrames
WScript.Echo "dropped=" & control.DroppedFrames
control.SaveBitmap bmp
Set control = Nothing

For i = 1 To rounds
  Set control = CreateObject("MORVANELib.Morvane")
  control.ConfirmBeforeCapture = False
  control.CaptureFileName = avi & "." & i & ".avi"
  control.TimeLimit = 1
  control.TimeLimitEnabled = True
  control.StartCapture
  If control.CapturedFrames < 1 Then WScript.Echo "round" & i & "=nothing captured"
  Set control = Nothing
Next
WScript.Echo "rounds=" & rounds
WScript.Echo "done=1"
