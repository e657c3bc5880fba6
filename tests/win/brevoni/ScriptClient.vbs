' A late-bound caller such as scripts and macros are: it creates the control
' by its name and reads and writes one key per call.
' Usage: cscript //nologo ScriptClient.vbs FILE VALUE
' Writes VALUE to [Script] Value of FILE and reads it back; ends with 0 when
' the value read is the value written, and with 1 (saying why) otherwise.
Option Explicit
Dim file, value, control, found
file = WScript.Arguments(0)
value = WScript.Arguments(1)

On Error Resume Next
Set control = CreateObject("BrevoniControlX.Brevoni")
If Err.Number <> 0 Then
  WScript.Echo "CreateObject failed: " & Err.Description & " (" & Hex(Err.Number) & ")"
  WScript.Quit 1
End If
control.WriteINI "Script", "Value", value, file
found = control.ReadINI("Script", "Value", file)
If Err.Number <> 0 Then
  WScript.Echo "a call failed: " & Err.Description & " (" & Hex(Err.Number) & ")"
  WScript.Quit 1
End If
If found <> value Then
  WScript.Echo "read back """ & found & """ instead of """ & value & """"
  WScript.Quit 1
End If
WScript.Quit 0
