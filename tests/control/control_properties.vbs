' The state members of a new control as a script sees them, and their setters.
Option Explicit
Dim c, failures, shell, expectedEditor
failures = ""
Sub Check(name, got, expected)
  If got <> expected Then failures = failures & name & "=" & CStr(got) & " (expected " & CStr(expected) & "); "
End Sub

Set c = CreateObject("YVEX.YVEXControl")
Set shell = CreateObject("WScript.Shell")
expectedEditor = Chr(34) & shell.ExpandEnvironmentStrings("%ProgramFiles%") & "\Windows NT\Accessories\wordpad.exe" & Chr(34)

Check "RootID", c.RootID, 0
Check "Enabled", c.Enabled, True
Check "FireEvents", c.FireEvents, True
Check "RedrawEnabled", c.RedrawEnabled, True
Check "LockDraftLimits", c.LockDraftLimits, False
Check "TextEditorName", c.TextEditorName, expectedEditor
Check "LastError", c.LastError, 0
Check "LastErrorMessage", c.LastErrorMessage, ""
Check "ZoomK > 0", c.ZoomK > 0, True
Check "EnableDBImages", c.EnableDBImages, False

c.Enabled = False
Check "Enabled after False", c.Enabled, False
c.Enabled = 1
Check "Enabled after 1", c.Enabled, True
c.RedrawEnabled = False
Check "RedrawEnabled after False", c.RedrawEnabled, False
c.LockDraftLimits = True
Check "LockDraftLimits after True", c.LockDraftLimits, True
c.FireEvents = False
Check "FireEvents after False", c.FireEvents, False
c.TextEditorName = "notepad.exe"
c.EnableDBImages = 5
Check "EnableDBImages after 5", c.EnableDBImages, True
c.EnableDBImages = False
Check "EnableDBImages after False", c.EnableDBImages, False
c.RootID = 0
Check "RootID after putting the root", c.RootID, 0
Check "TextEditorName after put", c.TextEditorName, "notepad.exe"

If failures = "" Then
  WScript.Echo "PASS control_properties"
Else
  WScript.Echo "FAIL control_properties: " & failures
End If
