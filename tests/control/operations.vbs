' The control's operations by ID as a script drives them: a shape given another ID, grouping and
' ungrouping, the default shapes' switches, drawing into a hidden layer, block editing of a group
' and leaving block editing.
Option Explicit
Dim failures, c, shapes, s, a, b, groupId, shown

failures = 0
Sub Fail(text)
  WScript.Echo "FAIL " & text
  failures = failures + 1
End Sub
Sub Expect(actual, expected, what)
  If actual <> expected Then Fail what & ": got [" & actual & "], expected [" & expected & "]"
End Sub
Sub ExpectError(number, description, what)
  If Err.Number <> number Then
    Fail what & ": error " & Hex(Err.Number) & " [" & Err.Description & "], expected " & Hex(number)
  ElseIf description <> "" And Err.Description <> description Then
    Fail what & ": description [" & Err.Description & "], expected [" & description & "]"
  End If
  Err.Clear
End Sub

On Error Resume Next
Set c = CreateObject("YVEX.YVEXControl")
Set shapes = c.Site.Shapes
a = shapes.AddLine(0, 0, 6, 8)
b = shapes.AddLine(1, 1, 2, 2)
If Err.Number <> 0 Then Fail "adding: " & Hex(Err.Number) & " " & Err.Description
Err.Clear

' ---- a shape takes another ID; the wrapper follows it ----
Set s = shapes.ItemByID(a)
s.ID = 900
Expect Err.Number, 0, "put ID"
Err.Clear
Expect s.ID, 900, "the wrapper reads the new ID"
Expect shapes.ItemByID(900).Length, 10, "the line under its new ID"
If Not (shapes.ItemByID(a) Is Nothing) Then Fail "the old ID is free"
s.ID = b
ExpectError &H80020009, "Duplicate resource ID.", "an ID in use"
Set s = shapes.ItemByID(3)
s.ID = 901
ExpectError 445, "", "the default text keeps its ID (E_NOTIMPL)"

' ---- grouping by ID and ungrouping ----
groupId = c.GroupShapes(900, False)
Expect Err.Number, 0, "GroupShapes"
Err.Clear
Expect shapes.ItemByID(900).ParentID, groupId, "the line in its new group"
Expect shapes.ItemByID(groupId).ParentID, 0, "the group where the line stood"
c.UnGroupShapes groupId, False
Expect shapes.ItemByID(900).ParentID, 0, "the line back in the drawing"
If Not (shapes.ItemByID(groupId) Is Nothing) Then Fail "the emptied group is gone"

' ---- default shapes ----
c.EnableDefaultShape 1, True
Expect c.IsDefaultShapeEnabled(1), True, "default lines enabled"
Expect c.IsDefaultShapeEnabled(3), True, "every entry follows an entry of no own shape"
c.EnableDefaultShape 1, False
Expect c.IsDefaultShapeEnabled(3), False, "and back"
Expect Err.Number, 0, "default shape switches"
Err.Clear

' ---- drawing needs a target group ----
c.DrawShape 123456, 1, 0
ExpectError &H80020009, "Shape not found.", "DrawShape into an unknown group"

' ---- block editing of a group through EditShape (EDSH_BLOCK 256), and back ----
groupId = c.GroupShapes(b, False)
c.EditShape groupId, 256, 0
Expect Err.Number, 0, "EditShape EDSH_BLOCK"
Err.Clear
Expect c.RootID, groupId, "the group is shown as the drawing"
c.CompleteEditingBlock
Expect c.RootID, 0, "the drawing is shown again"
c.EditShape 123456, 256, 0
ExpectError &H80020009, "Shape not found.", "EditShape EDSH_BLOCK of an unknown shape"

' ---- leaving block editing with none open changes nothing ----
c.CompleteEditingBlock
Expect Err.Number, 0, "CompleteEditingBlock"
Expect c.RootID, 0, "the drawing is still shown"

' ---- the drawing shown: another group as the root, and back ----
groupId = shapes.AddGroup(8)
c.RootID = groupId
Expect Err.Number, 0, "put RootID"
Err.Clear
Expect c.RootID, groupId, "the group is shown"
c.RootID = 123456
ExpectError &H80020009, "Shape not found.", "RootID of an unknown shape"
Expect c.RootID, groupId, "still the group"
c.RootID = 0
Expect c.RootID, 0, "the drawing again"
c.LocateShape 900
Expect Err.Number, 0, "LocateShape"
Err.Clear

' ---- nothing on the clipboard that the control made ----
Expect VarType(c.CanPaste), vbBoolean, "CanPaste answers a boolean"
Expect Err.Number, 0, "CanPaste"
Err.Clear

'' ---- the inner objects: a new one from each call, all answering for the same control ----
Dim first, second, held
Sub ExpectNew(first, second, n)
  Expect Err.Number, 0, n
  Err.Clear
  Expect first Is second, False, n & " gives a new object each time"
  Expect first Is c, False, n & " is an object of its own"
End Sub
ExpectNew c.PersistDB, c.PersistDB, "PersistDB"
ExpectNew c.DXFOperations, c.DXFOperations, "DXFOperations"
ExpectNew c.DataIO, c.DataIO, "DataIO"
ExpectNew c.PersistWeb, c.PersistWeb, "PersistWeb"
ExpectNew c.YVEXPrint, c.YVEXPrint, "YVEXPrint"
Set first = c.DXFOperations
Set second = c.DataIO
' Their state is the control's: what one sets, another reads.
c.YVEXPrint.PrintScale = 2.5
Expect c.YVEXPrint.PrintScale, 2.5, "print scale through two print objects"
c.PersistDB.DSN = "Elsewhere"
Expect c.PersistDB.DSN, "Elsewhere", "DSN through two database objects"
' The messenger keeps its connections and its session: the control's own one each time.
Expect c.Messenger Is c.Messenger, True, "one messenger"
Expect c.Messenger.DSN, "Elsewhere", "the messenger follows the control's DSN"
Err.Clear
' A held object keeps its control: it still answers once the script let the control go.
Set held = c.YVEXPrint
Set first = Nothing
Set second = Nothing
Set shapes = Nothing
Set c = Nothing
Expect held.PrintScale, 2.5, "a held print object after the control was let go"
Expect Err.Number, 0, "the held print object"
Err.Clear
Set held = Nothing

If failures = 0 Then WScript.Echo "PASS operations"
