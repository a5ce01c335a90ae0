' The site's resources and the highlight group as a script host uses them: drawing settings read
' and changed (also through For Each), hatch patterns deleted in bulk, the highlight settings.
Option Explicit
Dim failures, c, site, shapes, lineId, layerId, settings, st, n, hp, h, count, kept, vps, vp, id1, id2, menu, pdb

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
layerId = shapes.AddLayer("Walls")

' ---- drawing settings ----
Set settings = site.DrawingSettings
count = settings.Count
Expect count >= 1, True, "the site has its current setting"
settings.CreateDrawingSetting "Plan", 1.5, 255, 0, 0, 0, True, 10, 10, False, 5, 5, 0, 0, 1, 1, 1, 1
NoError "CreateDrawingSetting"
Expect settings.Count, count + 1, "one more setting"
Set st = settings.Item(count + 1)
Expect st.Name, "Plan", "its name"
Expect st.OrthoMode, True, "OrthoMode"
Expect st.ShowGrid, True, "ShowGrid"
Expect st.PenWeight, 1.5, "PenWeight"
site.DirtyFlag = False
st.PenWeight = 1.5
Expect site.DirtyFlag, False, "PenWeight set to its value"
st.FontAlignType = 65542
Expect st.FontAlignType, 65542, "alMiddleCenter reads back"
st.LayerShapeID = lineId
ExpectError &H80004005, "LayerShapeID of a line"
st.LayerShapeID = layerId
Expect st.LayerShapeID, layerId, "LayerShapeID of a layer"
st.FontBold = True
Expect st.FontBold, True, "FontBold"
st.FontName = "Courier New"
Expect st.FontName, "Courier New", "FontName"
Expect st.Font.Size > 0, True, "the OLE font of the setting"
For Each st In settings
  st.PenWeight = 2
Next
NoError "For Each over the settings"
n = 0
For Each st In settings
  If st.PenWeight = 2 Then n = n + 1
Next
Expect n, count + 1, "every setting of the For Each took the pen weight"
Expect site.DirtyFlag, True, "changes set DirtyFlag"
If Not (settings.ItemByID(12345) Is Nothing) Then Fail "an absent setting is Nothing"

' ---- hatch patterns ----
Set hp = site.HatchPatterns
count = hp.Count
Expect count >= 27, True, "the built-in hatch patterns"
hp.Delete 0
Expect hp.Count, 27, "Delete 0 keeps the built-in patterns"
Expect hp.Item(1).ID, 1, "pattern 1 stays"
Expect hp.ItemByID(27).ID, 27, "pattern 27 stays"
Set kept = hp.Item(1)
hp.Delete 99
ExpectError 5, "Delete of no index (E_INVALIDARG)"

' ---- the highlight group ----
Set h = shapes.ItemByID(-7)
Expect TypeName(h), "IHighlightGroupShape", "the highlight group's class"
h.BlinkTimeout = 20
Expect h.BlinkTimeout, 100, "BlinkTimeout below 100 reads 100"
h.BlinkOn = True
Expect h.BlinkOn, True, "BlinkOn reads True"
Expect Not h.BlinkOn, False, "Not BlinkOn"
h.BlinkOn = False
Expect h.BlinkOn, False, "BlinkOn off"
h.ShadeType = 2
Expect h.ShadeType, 2, "ShadeType"
h.BlinkType = 2
Expect h.BlinkType, 2, "BlinkType"
NoError "highlight"

' ---- viewports ----
Set vps = site.Viewports
count = vps.Count
Expect count >= 1, True, "the current view"
Expect vps.Item(1).Name, "CURRENT", "the first viewport is the current view"
vps.SaveViewport 0, 1
ExpectError &H80020009, "SaveViewport 0, 1"
id1 = vps.SaveViewportTo("Plan view", 1)
NoError "SaveViewportTo"
id2 = vps.SaveViewportTo("Plan view", 1)
Expect id2, id1, "the same name reuses its viewport"
Expect vps.Count, count + 1, "one new viewport"
Set vp = vps.ItemByID(id1)
Expect vp.Name, "Plan view", "its name"
Expect vp.ViewCenterX, vps.Item(1).ViewCenterX, "it shows the current view"
vp.ViewCenterX = 1234
vps.SaveViewport id1, id1
Expect vp.ViewCenterX, 1234, "a viewport saved onto itself stays"
vps.SaveViewport 1, id1
Expect vps.Item(1).ViewCenterX, 1234, "SaveViewport copies the view"
n = vps.SaveViewportTo("Plan view", id1)
ExpectError &H80020009, "SaveViewportTo onto the source itself"
Expect vp.DrawingSettingID, 0, "a viewport without a setting"
vp.DrawingSettingID = 98765
ExpectError &H80020009, "DrawingSettingID of no setting"
vp.DrawingSettingID = settings.Item(1).ID
Expect vp.DrawingSettingID, settings.Item(1).ID, "DrawingSettingID"
n = 0
For Each vp In vps
  n = n + 1
Next
Expect n, count + 1, "For Each over the viewports"
NoError "viewports"

'' ---- a menu collection of no menu ----
Set menu = CreateObject("YVEX.MenuCollection")
menu.InsertItem 0, 101, 0, 0, "first"
menu.InsertItem 0, 102, 0, 0, "top"
menu.InsertItem -1, 103, 0, 0, "end"
menu.InsertItem 99, 104, 0, 0, "far end"
menu.InsertItem 2, 105, 0, 0, "second"
NoError "InsertItem"
Expect menu.Count, 5, "five items"
Expect menu.Item(1).ItemID, 102, "0 inserts at the top"
Expect menu.Item(2).ItemID, 105, "2 inserts before the second"
Expect menu.Item(4).ItemID, 103, "-1 appends"
Expect menu.Item(5).ItemText, "far end", "beyond the count appends"
Expect menu.ItemByID(101).ItemText, "first", "ItemByID"
If Not (menu.ItemByID(999) Is Nothing) Then Fail "an absent ID is Nothing"
If Not (menu.Item(0) Is Nothing) Then Fail "Item 0 is Nothing"
menu.DeleteItem 0
If Err.Number <> &H80020009 Or Err.Description <> "Index out of range" Then Fail "DeleteItem 0: " & Hex(Err.Number) & " " & Err.Description
Err.Clear
menu.DeleteItem 1
Expect menu.Item(1).ItemID, 105, "DeleteItem 1"

'' ---- a forwarder of no control ----
Set pdb = CreateObject("YVEX.PersistDB")
pdb.Load 1, False
ExpectError 445, "an unattached PersistDB's Load (E_NOTIMPL)"

If failures = 0 Then WScript.Echo "PASS site_resources"
