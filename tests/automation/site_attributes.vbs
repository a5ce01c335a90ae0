' The attribute model of a site is stored with the site: groups, types and values that a script
' makes, changes and deletes through the object model come back the same into a fresh control
' after each save. The database is named by the arguments (data source, user, password); without
' them the embedded default.
Option Explicit
Const FOREGROUND = &H10000
Dim failures, dsn, user, pwd, c, d, e, f, siteId, lineId, rectId, circleId, doors, windows, g, t
Dim width, code, glass, line, rect, circle, a, n, before, after

failures = 0
Sub Fail(text)
  WScript.Echo "FAIL " & text
  failures = failures + 1
End Sub
Sub Expect(actual, expected, what)
  If actual <> expected Then Fail what & ": got [" & actual & "], expected [" & expected & "]"
End Sub
Sub NoError(what)
  If Err.Number <> 0 Then Fail what & ": " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
End Sub

dsn = "" : user = "" : pwd = ""
If WScript.Arguments.Count >= 1 Then dsn = WScript.Arguments(0)
If WScript.Arguments.Count >= 3 Then user = WScript.Arguments(1) : pwd = WScript.Arguments(2)

Function NewControl()
  Dim x
  Set x = CreateObject("YVEX.YVEXControl")
  x.PersistDB.DSN = dsn
  x.PersistDB.UserName = user
  x.PersistDB.Password = pwd
  Set NewControl = x
End Function

' The lines of a text sorted (each line ends with a line feed).
Function SortedLines(text)
  Dim items, i, j, k
  If text = "" Then
    SortedLines = ""
    Exit Function
  End If
  items = Split(Left(text, Len(text) - 1), vbLf)
  For i = 0 To UBound(items) - 1
    For j = i + 1 To UBound(items)
      If items(j) < items(i) Then k = items(i) : items(i) = items(j) : items(j) = k
    Next
  Next
  ' Joined by hand: Join is not there in every script engine.
  k = ""
  For i = 0 To UBound(items)
    k = k & items(i) & vbLf
  Next
  SortedLines = k
End Function

' The attribute model as text, independent of the IDs a control gave: every group with its types,
' then every tagged shape with its groups and its values (by type name), all in sorted order.
Function Describe(x)
  Dim all, gr, ty, sh, at, parts, text
  all = ""
  For Each gr In x.Site.AttributeGroups
    parts = ""
    For Each ty In gr.AttributeTypes
      parts = parts & " " & ty.Name & "/" & ty.Format & "/" & ty.Prompt
    Next
    all = all & "group " & gr.Name & ":" & parts & vbLf
  Next
  For Each sh In x.Site.Shapes
    If sh.Tag > 0 Then
      parts = ""
      For Each gr In sh.AttributeGroups
        parts = parts & " [" & gr.Name & "]"
      Next
      text = ""
      For Each at In sh.Attributes
        text = text & " " & x.Site.AttributeTypes.ItemByID(at.ID).Name & "=" & CStr(at.Value)
      Next
      all = all & "shape " & sh.Tag & ":" & parts & " |" & text & vbLf
    End If
  Next
  Describe = SortedLines(all)
End Function

' What a fresh control reads of the site.
Function Reloaded()
  Dim x
  Set x = NewControl()
  x.PersistDB.LoadEx siteId, FOREGROUND
  NoError "LoadEx of the site"
  Set Reloaded = x
End Function

On Error Resume Next
' ---- a site with two groups, types, values of every kind on three shapes ----
Set c = NewControl()
lineId = c.Site.Shapes.AddLine(0, 0, 6, 8)
rectId = c.Site.Shapes.AddRectangle(0, 10, 20, 0)
circleId = c.Site.Shapes.AddCircle(5, 5, 2)
Set line = c.Site.Shapes.ItemByID(lineId)
Set rect = c.Site.Shapes.ItemByID(rectId)
Set circle = c.Site.Shapes.ItemByID(circleId)
line.Tag = 1 : rect.Tag = 2 : circle.Tag = 3
Set doors = c.Site.AttributeGroups.CreateAttributeGroup(0, 0, "Doors")
Set windows = c.Site.AttributeGroups.CreateAttributeGroup(0, 0, "Windows")
Set width = doors.AttributeTypes.CreateAttributeType(-1, 0, "Width", "%d", "Width?")
Set code = doors.AttributeTypes.CreateAttributeType(-1, 0, "Code", "", "Code 'of' door")
Set glass = windows.AttributeTypes.CreateAttributeType(-1, 0, "Glass", "%f", "")
NoError "groups and types"
line.AttributeGroups.AddAttributeGroup doors
rect.AttributeGroups.AddAttributeGroup doors
rect.AttributeGroups.AddAttributeGroup windows
circle.AttributeGroups.AddAttributeGroup windows
line.Attributes.CreateAttribute width.ID, 0, 42
line.Attributes.CreateAttribute code.ID, 0, "D-17 'east'"
rect.Attributes.CreateAttribute width.ID, 0, 90
rect.Attributes.CreateAttribute glass.ID, 0, 2.5
circle.Attributes.CreateAttribute glass.ID, 0, True
NoError "values"
before = Describe(c)
siteId = c.PersistDB.SaveEx(0, "Attributes of a script", FOREGROUND)
NoError "SaveEx of a new site"
Expect siteId > 0, True, "a site"
Set d = Reloaded()
after = Describe(d)
Expect after, before, "the model made by the script comes back"
Expect d.Site.AttributeGroups.Count, 2, "two groups"

' ---- changed in the loaded control: a value, a type's texts, a group taken from a shape, a
' type deleted, a value deleted, a new value ----
For Each a In d.Site.Shapes
  If a.Tag = 1 Then Set line = a
  If a.Tag = 2 Then Set rect = a
  If a.Tag = 3 Then Set circle = a
Next
For Each g In d.Site.AttributeGroups
  If g.Name = "Doors" Then Set doors = g
  If g.Name = "Windows" Then Set windows = g
Next
For Each t In doors.AttributeTypes
  If t.Name = "Width" Then Set width = t
  If t.Name = "Code" Then Set code = t
Next
Expect VarType(rect.Attributes.ItemByID(windows.AttributeTypes.Item(1).ID).Value), vbDouble, "a real value"
Expect VarType(line.Attributes.ItemByID(code.ID).Value), vbString, "a text value"
line.Attributes.ItemByID(width.ID).Value = 43
width.Name = "Breadth"
width.Prompt = "Breadth?"
rect.AttributeGroups.DeleteByID windows.ID
doors.AttributeTypes.DeleteByID code.ID
circle.Attributes.DeleteByID windows.AttributeTypes.Item(1).ID
circle.Attributes.CreateAttribute windows.AttributeTypes.Item(1).ID, 0, "frosted"
NoError "changes"
before = Describe(d)
n = d.PersistDB.SaveEx(siteId, "", FOREGROUND)
NoError "SaveEx of the changed site"
Expect n, siteId, "the same site"
Set e = Reloaded()
Expect Describe(e), before, "the changed model comes back"

' ---- a whole group deleted ----
n = 0
For Each g In e.Site.AttributeGroups
  If g.Name = "Windows" Then n = g.ID
Next
e.Site.AttributeGroups.DeleteByID n
before = Describe(e)
e.PersistDB.SaveEx siteId, "", FOREGROUND
NoError "SaveEx after a group went"
Set f = Reloaded()
Expect Describe(f), before, "a deleted group stays deleted"
Expect f.Site.AttributeGroups.Count, 1, "one group left"

' ---- a second save of an unchanged site writes the same model again ----
f.PersistDB.SaveEx siteId, "", FOREGROUND
NoError "a second save"
Expect Describe(Reloaded()), before, "saved twice, the same"

If failures = 0 Then WScript.Echo "PASS site_attributes"
