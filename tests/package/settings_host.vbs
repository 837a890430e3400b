' The control's settings through a script host, so that a host of one
' bitness can set them and a host of the other read them back:
'   cscript //nologo settings_host.vbs put RATE LIMIT FILE
'   cscript //nologo settings_host.vbs get
' Prints "host=", then "rate=", "limit=" and "file=" as the control holds them.
Option Explicit
Dim control
WScript.Echo "host=" & CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")
Set control = CreateObject("MORVANELib.Morvane")
If WScript.Arguments(0) = "put" Then
  control.CaptureRate = CInt(WScript.Arguments(1))
  control.TimeLimit = CInt(WScript.Arguments(2))
  control.CaptureFileName = WScript.Arguments(3)
End If
WScript.Echo "rate=" & control.CaptureRate
WScript.Echo "limit=" & control.TimeLimit
WScript.Echo "file=" & control.CaptureFileName
Set control = Nothing
