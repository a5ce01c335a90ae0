' The attribute model through the site and its shapes, as a script host uses it: groups and their
' types, values on shapes that the groups cover, and what deleting a type or a group takes along.
Option Explicit
Dim failures, c, site, shapes, lineId, rectId, groups, g, h, types, t, t0, tNext, line, rect, a, n, w

failures = 0
Sub Fail(text)
  WScript.Echo "FAIL " & text
  failures = failures + 1
End Sub
Sub Expect(actual, expected, what)
  If actual <> expected Then Fail what & ": got [" & actual & "], expected [" & expected & "]"
End Sub
Sub ExpectError(number, what)
  If Err.Number <> number Then Fail what & ": error " & Hex(Err.Number) & " [" & Err.Description & "], expected " & Hex(number)
  Err.Clear
End Sub
Sub NoError(what)
  If Err.Number <> 0 Then Fail what & ": " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
End Sub

On Error Resume Next
Set c = CreateObject("YVEX.YVEXControl")
Set site = c.Site
Set shapes = site.Shapes
lineId = shapes.AddLine(0, 0, 6, 8)
rectId = shapes.AddRectangle(0, 10, 20, 0)
Set line = shapes.ItemByID(lineId)
Set rect = shapes.ItemByID(rectId)

' ---- groups and types ----
Set groups = site.AttributeGroups
Expect groups.Count, 0, "a new site has no groups"
Set g = groups.CreateAttributeGroup(0, 0, "Doors")
NoError "CreateAttributeGroup"
Expect g.ID >= 1, True, "group ID 0 takes the next ID"
Expect g.Name, "Doors", "group name"
Expect groups.Count, 1, "one group"
Set types = g.AttributeTypes
Set t = types.CreateAttributeType(-1, 0, "Width", "%d", "Width?")
NoError "CreateAttributeType"
Expect t.ID >= 1, True, "type ID -1 takes the next ID"
Set t0 = types.CreateAttributeType(0, 0, "Code", "", "")
Expect t0.ID, 0, "type ID 0 stays"
Set tNext = types.CreateAttributeType(-1, 0, "Height", "", "")
Expect tNext.ID, t.ID + 1, "the next type takes the next ID"
Expect types.Count, 3, "three types in the group"
Expect site.AttributeTypes.Count, 3, "three types in the site"
Expect t.Prompt, "Width?", "prompt"
If Not (types.ItemByID(12345) Is Nothing) Then Fail "an absent type is Nothing"
Expect g.ParentGroup.Name, "", "no parent: an empty group object"
n = g.ParentGroup.ID
ExpectError &H80004003, "ID of an empty group object"
site.DirtyFlag = False
t.Name = "Width"
Expect site.DirtyFlag, False, "a type renamed to its own name changes nothing"
t.Name = "Breadth"
Expect site.DirtyFlag, True, "a type renamed"
Expect site.AttributeTypes.ItemByID(t.ID).Name, "Breadth", "the site sees the new name"

' ---- values on shapes ----
line.Attributes.CreateAttribute t.ID, 0, 42
ExpectError &H80004005, "a value no group of the shape covers"
Expect line.Attributes.Count, 0, "nothing added"
line.AttributeGroups.AddAttributeGroup g
rect.AttributeGroups.AddAttributeGroup g
NoError "AddAttributeGroup"
Expect line.AttributeGroups.Item(1).Name, "Doors", "the line's group"
Set a = line.Attributes.CreateAttribute(t.ID, 0, 42)
NoError "CreateAttribute"
Expect a.Value, 42, "the value"
a.Value = "wide"
Expect line.Attributes.ItemByID(t.ID).Value, "wide", "a string value"
a.Value = Array(1, 2)
ExpectError 5, "a value that cannot be compared is refused (E_INVALIDARG)"
Expect a.Value, "wide", "nothing stored"
rect.Attributes.CreateAttribute t.ID, 0, 7
rect.Attributes.CreateAttribute tNext.ID, 0, 8
Expect rect.Attributes.Count, 2, "two values on the rectangle"
If Not (line.Attributes.ItemByID(tNext.ID) Is Nothing) Then Fail "an absent value is Nothing"
n = 0
For Each w In rect.Attributes
  n = n + w.Value
Next
Expect n, 15, "For Each over the values"
NoError "values"

' ---- a type deleted from its group leaves every shape ----
types.DeleteByID t.ID
NoError "DeleteByID of a type"
Expect line.Attributes.Count, 0, "the line lost its value"
Expect rect.Attributes.Count, 1, "the rectangle kept the other"
Expect site.AttributeTypes.Count, 2, "the site lost the type"
n = a.Value
NoError "a kept value still reads"

' ---- a group taken from a shape drops what no other group covers ----
Set h = groups.CreateAttributeGroup(0, 0, "Windows")
h.AttributeTypes.CreateAttributeType -1, 0, "Glass", "", ""
rect.AttributeGroups.AddAttributeGroup h
rect.Attributes.CreateAttribute h.AttributeTypes.Item(1).ID, 0, 3
Expect rect.Attributes.Count, 2, "values of both groups"
rect.AttributeGroups.DeleteByID g.ID
Expect rect.Attributes.Count, 1, "the value of the group taken away went"
Expect rect.AttributeGroups.Count, 1, "one group left"

' ---- deleting a group takes its types, values and links ----
groups.DeleteByID h.ID
NoError "deleting a group"
Expect rect.Attributes.Count, 0, "its values went"
Expect rect.AttributeGroups.Count, 0, "its link went"
Expect site.AttributeTypes.Count, 2, "its types went, the other group's stay"
Expect groups.Count, 1, "one group left"
n = h.Name
NoError "a kept group still reads"

' ---- a collection kept past its shape ----
Set w = line.Attributes
shapes.DeleteByID lineId
n = w.Count
ExpectError &H80004005, "a collection whose shape went"

If failures = 0 Then WScript.Echo "PASS attributes"
