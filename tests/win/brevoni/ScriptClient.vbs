' A late-bound caller such as scripts and macros are: it creates the control
' by its name, reads and writes one key per call and lists what a file holds.
' Usage: cscript //nologo ScriptClient.vbs FILE VALUE
' Writes VALUE to [Script] Value of FILE and reads it back, then lists the
' file's sections and keys with For Each, also inside an update; ends with 0
' when everything is as written, and with 1 (saying why) otherwise.
Option Explicit
Dim file, value, control, found
file = WScript.Arguments(0)
value = WScript.Arguments(1)

' The names a listing gives, joined by "|".
Function Joined(names)
  Dim name
  Joined = ""
  For Each name In names
    If Joined <> "" Then Joined = Joined & "|"
    Joined = Joined & name
  Next
End Function

Sub Expect(what, got, expected)
  If Err.Number <> 0 Then
    WScript.Echo what & " failed: " & Err.Description & " (" & Hex(Err.Number) & ")"
    WScript.Quit 1
  End If
  If got <> expected Then
    WScript.Echo what & " gave """ & got & """ instead of """ & expected & """"
    WScript.Quit 1
  End If
End Sub

On Error Resume Next
Set control = CreateObject("BrevoniControlX.Brevoni")
Expect "CreateObject", "", ""
control.WriteINI "Script", "Value", value, file
found = control.ReadINI("Script", "Value", file)
Expect "reading back", found, value

Expect "ReadSections", Joined(control.ReadSections(file)), "Script"
Expect "ReadKeys", Joined(control.ReadKeys("Script", file)), "Value"
Expect "ReadKeys of a missing section", Joined(control.ReadKeys("Missing", file)), ""
Expect "ReadSections of a missing file", Joined(control.ReadSections(file & ".missing")), ""
control.BeginUpdate file
control.WriteINI "Update", "First", "1", file
control.WriteINI "Script", "Added", "2", file
Expect "ReadSections in an update", Joined(control.ReadSections(file)), "Script|Update"
Expect "ReadKeys in an update", Joined(control.ReadKeys("Script", file)), "Value|Added"
control.CancelUpdate
Expect "ReadSections after a cancelled update", Joined(control.ReadSections(file)), "Script"
WScript.Quit 0
