' Points and vertices through the site, as a script host reaches them: the owners of a point,
' point collections as snapshots, vertices kept while their polyline grows, and the errors of
' items whose point or vertex went.
Option Explicit
Dim failures, c, site, shapes, s, lineId, polyId, pts, p, n, v, vs, i, id, kept, k, firstId, other, before, w

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
Sub NoError(what)
  If Err.Number <> 0 Then Fail what & ": " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
End Sub

On Error Resume Next
Set c = CreateObject("YVEX.YVEXControl")
Set site = c.Site
Set shapes = site.Shapes
before = site.Points.Count
lineId = shapes.AddLine(0, 0, 6, 8)
polyId = shapes.AddPolyline(1, 1, 5, 1)
NoError "adding"

' ---- a line's points and their owners ----
Set pts = shapes.ItemByID(lineId).Points
Expect TypeName(pts), "IPointCollection", "a line's Points"
Expect pts.Count, 2, "a line has two points"
Set p = pts.Item(2)
Expect p.X, 6, "end point X"
Expect p.Y, 8, "end point Y"
Expect p.OwnerID, lineId, "OwnerID of a line's point"
Expect p.GetNextOwnerID(lineId), -100, "no owner after the line"
Expect pts.ItemByID(p.ID).X, 6, "ItemByID"
If Not (pts.Item(3) Is Nothing) Then Fail "Item beyond the end gives Nothing"
If Not (pts.ItemByID(987654) Is Nothing) Then Fail "ItemByID of no listed point gives Nothing"
site.DirtyFlag = False
p.X = 6
Expect site.DirtyFlag, False, "X set to its value changes nothing"
p.X = 9
Expect shapes.ItemByID(lineId).EndX, 9, "X moves the line's end"
Expect site.DirtyFlag, True, "X set to another value"
n = 0
For Each k In pts
  n = n + k.X
Next
Expect n, 9, "For Each over the points"
NoError "the line's points"

' ---- every point of the site ----
Expect site.Points.Count, before + 4, "the site's points: two of the line's, two of the polyline's"
firstId = site.Points.Item(1).ID
Expect site.Points.Item(2).ID > firstId, True, "the site's points in ascending ID order"
NoError "the site's points"

' ---- a polyline's points: a snapshot until Refresh ----
Set s = shapes.ItemByID(polyId)
Set pts = s.PolylinePoints
Expect TypeName(pts), "IPolylinePointCollection", "PolylinePoints"
Expect TypeName(s.Points), "IPolylinePointCollection", "a polyline's Points"
Expect pts.Count, 2, "two points"
id = s.AddNewVertex(0, 9, 9, 0, 0, 0, "", -1, -1, 0, 0, 0)
NoError "AddNewVertex"
Expect pts.Count, 2, "the snapshot stays until Refresh"
pts.Refresh
Expect pts.Count, 3, "Refresh shows the new point"
Expect pts.Item(3).X, 9, "the new point last"
pts.Delete 0
Expect pts.Count, 3, "Delete 0 removes nothing"
NoError "polyline points"

' ---- a point whose last user went ----
Set kept = shapes.ItemByID(lineId).Points.Item(1)
shapes.DeleteByID lineId
n = kept.X
ExpectError &H80020009, "Point not found.", "a kept point of a deleted line"
Set p = CreateObject("YVEX.Point")
n = p.X
ExpectError &H80004003, "", "an unattached point"

' ---- vertices ----
Set vs = s.Vertexes
Expect TypeName(vs), "IVertexCollection", "Vertexes"
Expect TypeName(s.Vertices), "IVertexCollection", "Vertices"
Expect vs.Count, 3, "three vertices"
Set v = vs.Item(1)
v.StartWidth = 2.5
Expect v.Length, 4, "length of the first segment"
Expect vs.Item(3).Length, 0, "the last vertex has no segment"
Expect vs.ItemByPointID(v.PointID).ID, v.ID, "ItemByPointID"
' A kept vertex reads its own record while the polyline's records move as it grows.
For i = 1 To 100
  vs.AddNewVertex 0, i, 20, 0, 0, 0, "", -1, -1, 0, 0, 0
Next
NoError "100 vertices"
Expect vs.Count, 103, "appended vertices join the items at once"
Expect v.StartWidth, 2.5, "a kept vertex after 100 AddNewVertex"
Expect v.X, 1, "its point"
v.X = 2
Expect s.Points.Item(1).X, 2, "a vertex moves its point"
' A vertex added before another: the items catch up at the next look-up.
id = vs.AddNewVertex(2, 50, 50, 0, 0, 0, "mid", -1, -1, 0, 0, 0)
Expect vs.Count, 103, "an inserted vertex is not an item until a look-up"
Expect vs.ItemByID(id).Name, "mid", "the look-up catches up"
Expect vs.Count, 104, "after the look-up"
Expect vs.Item(2).ID, id, "in its place"
' Unknown point: refused with nothing changed.
vs.AddVertex 0, 987654, 0, 0, 0, "", -1, -1, 0, 0, 0
ExpectError 5, "", "AddVertex of a point the site lacks (E_INVALIDARG)"
Expect vs.Count, 104, "nothing added"
' A vertex on another shape's point shares it.
other = shapes.AddLine(100, 100, 110, 110)
id = vs.AddVertex(0, shapes.ItemByID(other).Points.Item(1).ID, 0, 0, 0, "", -1, -1, 0, 0, 0)
NoError "AddVertex of a shared point"
Expect vs.Count, 105, "shared point added"
Expect vs.ItemByID(id).X, 100, "on the line's point"
vs.DeleteByID id
NoError "DeleteByID"
Expect vs.Count, 104, "deleted"
Expect shapes.ItemByID(other).StartX, 100, "the line keeps its point"
Set w = vs.ItemByID(id)
ExpectError &H80004005, "", "ItemByID of a deleted vertex"
n = v.ID
vs.Delete 1
NoError "Delete 1"
n = v.StartWidth
ExpectError &H80004003, "", "a kept vertex deleted"
Set w = vs.Item(0)
ExpectError 5, "", "Item 0 (E_INVALIDARG)"
shapes.DeleteByID polyId
n = vs.Count
Set w = vs.ItemByID(1)
ExpectError &H8000FFFF, "", "a collection whose polyline went"

If failures = 0 Then WScript.Echo "PASS points_vertices"
