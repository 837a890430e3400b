' The capture control driven by a script host, as 64-bit hosts use it:
'   cscript //nologo script_host.vbs AVI_PATH BMP_PATH
' Prints one "name=value" line a fact for the test to check.
Option Explicit
Dim control, i, index, avi, bmp
avi = WScript.Arguments(0)
bmp = WScript.Arguments(1)

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
WScript.Echo "done=1"
Set control = Nothing
