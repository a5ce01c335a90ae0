' Interactive edits started by a script: an unknown shape is an error, an immediate turn runs to
' its end at once, and EndDraw with nothing running answers False.
Option Explicit
Dim c, shapes, id, failures, ended
failures = ""
Sub Check(name, got, expected)
  If got <> expected Then failures = failures & name & "=" & CStr(got) & " (expected " & CStr(expected) & "); "
End Sub

On Error Resume Next
Set c = CreateObject("YVEX.YVEXControl")
Set shapes = c.Site.Shapes
id = shapes.AddLine(0, 0, 10, 0)
Check "adding", Err.Number, 0
Err.Clear

c.EditShapeEx 4711, 4, 0, 0
Check "unknown shape", Hex(Err.Number), "80020009"
Check "its text", Err.Description, "Shape not found."
Err.Clear

' EDSH_ROTATE (32) by 90 degrees turns the line about its middle.
c.EditShape id, 32, 90
Check "turning", Err.Number, 0
Check "angle", Round(shapes.ItemByID(id).Angle), 90
Err.Clear

ended = c.EndDraw(True)
Check "EndDraw", ended, False
Check "EndDraw error", Err.Number, 0

If failures = "" Then
  WScript.Echo "PASS control_editing"
Else
  WScript.Echo "FAIL " & failures
End If
