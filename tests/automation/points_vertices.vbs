' Points and vertices through the site, as a script host reaches them: the owners of a point,
' point collections as snapshots, vertices kept while their polyline grows, and the errors of
' items whose point or vertex went.
Option Explicit
Dim failures, c, site, shapes, s, lineId, polyId, pts, p, n, v, vs, i, id, kept, k, firstId, other, before, w
Dim ln, q, shared, own, lk, pid

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
' The same point again: refused from either object, nothing changed (points and vertices one to one).
vs.AddVertex 0, shapes.ItemByID(other).Points.Item(1).ID, 0, 0, 0, "", -1, -1, 0, 0, 0
ExpectError 5, "", "VertexCollection.AddVertex of a point the polyline holds (E_INVALIDARG)"
s.AddVertex 1, shapes.ItemByID(other).Points.Item(1).ID, 0, 0, 0, "", -1, -1, 0, 0, 0
ExpectError 5, "", "PolylineShape.AddVertex of a point the polyline holds (E_INVALIDARG)"
Expect vs.Count, 105, "no second vertex"
Expect s.Points.Count, 105, "no second point"
Expect s.Vertexes.Count, 105, "vertices still one per point"
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

' ---- a point moved and renamed through its object ----
lineId = shapes.AddLine(0, 0, 4, 0)
Set ln = shapes.ItemByID(lineId)
Set p = ln.Points.Item(2)
site.DirtyFlag = False
p.Shift 12345, CSng(1), CSng(2)
NoError "Shift"
Expect ln.EndX, 5, "Shift moves the point it wraps, whatever point the first argument names (x)"
Expect ln.EndY, 2, "(y)"
Expect ln.StartX, 0, "the other point stays"
Expect site.DirtyFlag, True, "Shift sets the modified flag"
p.ID = 900000
NoError "a new ID"
Expect p.ID, 900000, "the object follows its point"
Expect ln.Points.Item(2).ID, 900000, "the line holds the point under its new ID"
Expect site.Points.ItemByID(900000).X, 5, "the site lists it under the new ID"
p.ID = ln.Points.Item(1).ID
ExpectError &H80020009, "Duplicate resource ID.", "an ID another point has"
Expect p.ID, 900000, "a refused ID changes nothing"
Set q = CreateObject("YVEX.Point")
q.ID = 5
NoError "an unattached point's ID: nothing happens"

' ---- a polyline takes and gives up points that exist ----
polyId = shapes.AddPolyline(0, 10, 10, 10)
Set s = shapes.ItemByID(polyId)
Set pts = s.PolylinePoints
shared = ln.Points.Item(1).ID
site.DirtyFlag = False
pts.AddPoint 2, shared
NoError "AddPoint of the line's point"
Expect site.DirtyFlag, True, "AddPoint sets the modified flag"
Expect pts.Count, 2, "the snapshot stays until Refresh"
pts.Refresh
Expect pts.Count, 3, "after Refresh"
Expect pts.Item(2).ID, shared, "inserted before the second point"
Expect s.Vertexes.Count, 3, "a vertex stands on it"
Expect pts.Item(2).OwnerID, lineId, "the line owns it first"
Expect pts.Item(2).GetNextOwnerID(lineId), polyId, "then the polyline"
pts.AddPoint 1, shared
NoError "AddPoint of a point the polyline holds"
pts.Refresh
Expect pts.Count, 3, "a point the polyline holds is not added twice"
pts.AddPoint 1, 987654
ExpectError &H80020009, "Point not found.", "AddPoint of a point the site lacks"
pts.DeleteByID shared
NoError "DeleteByID of the shared point"
Expect pts.Count, 2, "DeleteByID refreshes the collection"
Expect ln.StartX, 0, "the line keeps the point"
Expect site.Points.ItemByID(shared).OwnerID, lineId, "and stays its only owner"
own = pts.Item(2).ID
pts.Delete 2
NoError "Delete 2"
Expect pts.Count, 1, "one point left"
If Not (site.Points.ItemByID(own) Is Nothing) Then Fail "the last holder of a point takes it along"
pts.Delete 5
NoError "Delete beyond the end"
pts.DeleteByID 987654
ExpectError &H80020009, "Point not found.", "DeleteByID of a point the site lacks"

' ---- points linked to a shape ----
Set lk = ln.LinkedPoints
Expect TypeName(lk), "ILinkedPointCollection", "LinkedPoints"
Expect lk.Count, 0, "no linked points"
other = shapes.AddLine(20, 20, 30, 30)
pid = shapes.ItemByID(other).Points.Item(1).ID
site.DirtyFlag = False
lk.AddPoint pid
NoError "AddPoint links"
Expect lk.Count, 1, "AddPoint refreshes the collection"
Expect lk.Item(1).ID, pid, "the linked point"
Expect ln.LinkedPoints.Count, 1, "the shape lists it"
Expect site.DirtyFlag, True, "linking sets the modified flag"
Expect ln.Points.Count, 2, "the shape's own points stay"
lk.AddPoint pid
NoError "AddPoint of a point linked already"
Expect lk.Count, 1, "linked once"
' A link the control refuses is reported, not answered as done.
lk.AddPoint 987654
ExpectError &H80020009, "Point not found.", "AddPoint of a point the site lacks"
Expect lk.Count, 1, "nothing linked"
lk.Delete 0
lk.Delete 2
NoError "Delete outside the items"
Expect lk.Count, 1, "Delete outside the items changes nothing"
lk.Delete 1
NoError "Delete 1"
Expect lk.Count, 0, "unlinked"
Expect ln.LinkedPoints.Count, 0, "the shape lists none"
Expect shapes.ItemByID(other).StartX, 20, "the point stays with its line"
lk.AddPoint pid
lk.DeleteByID pid
NoError "DeleteByID"
Expect lk.Count, 0, "DeleteByID unlinks"
lk.DeleteByID pid
NoError "DeleteByID of a point not linked"
lk.DeleteByID 987654
ExpectError &H80020009, "Point not found.", "DeleteByID of a point the site lacks"
shapes.DeleteByID lineId
lk.AddPoint pid
NoError "a collection whose shape went does nothing"

If failures = 0 Then WScript.Echo "PASS points_vertices"
