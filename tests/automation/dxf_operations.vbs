' A drawing saved and loaded through DXFOperations and DataIO by a script host: DXF of both forms,
' the control's own text and binary files, a block loaded from a file, the modified flag and
' the busy answer's absence when nothing else runs.
Option Explicit
Dim failures, fso, dir, c, d, io, shapes, lineId, polyId, t, path, hr, n

failures = 0
Sub Fail(text)
  WScript.Echo "FAIL " & text
  failures = failures + 1
End Sub
Sub Expect(actual, expected, what)
  If actual <> expected Then Fail what & ": got [" & actual & "], expected [" & expected & "]"
End Sub

On Error Resume Next
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetSpecialFolder(2) & "\yvex_dxf_operations"
If Not fso.FolderExists(dir) Then fso.CreateFolder dir

Set c = CreateObject("YVEX.YVEXControl")
Set shapes = c.Site.Shapes
lineId = shapes.AddLine(0, 0, 60, 80)
polyId = shapes.AddPolyline(10, 10, 50, 10)
Set d = c.DXFOperations
Set io = c.DataIO
If Err.Number <> 0 Then Fail "drawing: " & Hex(Err.Number) & " " & Err.Description
Err.Clear
n = shapes.Count

' DXF, text and binary; the foreground save returns when the file is there.
For Each t In Array(False, True)
  d.SaveAsBinary = t
  Expect d.SaveAsBinary, t, "SaveAsBinary"
  path = dir & "\drawing" & CStr(Abs(CInt(t))) & ".dxf"
  d.SaveDXF path, True
  If Err.Number <> 0 Then Fail "SaveDXF: " & Hex(Err.Number) & " " & Err.Description & " " & c.LastError & " " & c.LastErrorMessage
  Err.Clear
  Expect fso.FileExists(path), True, "file written " & t
  Expect d.IsModified, False, "modified after saving"
  Dim c2
  Set c2 = CreateObject("YVEX.YVEXControl")
  c2.DXFOperations.LoadDXF path, &H10000
  If Err.Number <> 0 Then Fail "LoadDXF: " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
  Expect c2.DXFOperations.BinaryDXFOpened, t, "BinaryDXFOpened"
  Expect c2.Site.Shapes.Count, n, "shapes loaded " & t
  If Err.Number <> 0 Then Fail "reading the loaded drawing: " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
  Set c2 = Nothing
Next

' The control's own formats: no hint needed to load either.
For Each t In Array(False, True)
  io.SaveAsBinary = t
  path = dir & "\drawing" & CStr(Abs(CInt(t))) & ".yvx"
  io.Serialize path, 0
  If Err.Number <> 0 Then Fail "Serialize: " & Hex(Err.Number) & " " & Err.Description & " " & c.LastError & " " & c.LastErrorMessage
  Err.Clear
  Set c2 = CreateObject("YVEX.YVEXControl")
  c2.DataIO.Serialize path, 4
  If Err.Number <> 0 Then Fail "Serialize load: " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
  Expect c2.Site.Shapes.Count, n, "shapes restored " & t
  Expect c2.LastError, 0, "LastError " & t
  Set c2 = Nothing
Next

' A DXF file of the control's own archive loads through the fall-back.
Set c2 = CreateObject("YVEX.YVEXControl")
c2.DXFOperations.LoadDXF dir & "\drawing1.yvx", &H10000
If Err.Number <> 0 Then Fail "archive through LoadDXF: " & Hex(Err.Number) & " " & Err.Description
Err.Clear
Expect c2.Site.Shapes.Count, n, "archive through LoadDXF"

fso.DeleteFolder dir, True
If failures = 0 Then WScript.Echo "PASS dxf_operations"
