' Loads of a site that the database does not hold, as a script host tries them: after the site's
' deletion a fresh control, and a control showing another site, are answered "Site not found."
' at once and keep their drawing and their site. The database is named by the arguments (data
' source, user, password); without them the embedded default.
Option Explicit
Const FOREGROUND = &H10000
Dim failures, dsn, user, pwd, c, d, e, siteId, otherId, lineId, start, n

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
Sub ExpectNotFound(what)
  If Err.Number = 0 Then
    Fail what & ": no error"
  Else
    Expect Err.Description, "Site not found.", what
  End If
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

On Error Resume Next
' A control showing a site of its own (made first: a new site after the deletion could take the
' deleted one's number).
Set e = NewControl()
e.Site.Shapes.AddLine 0, 0, 1, 1
otherId = e.PersistDB.SaveEx(0, "Still there", FOREGROUND)
NoError "another site"

Set c = NewControl()
c.Site.Shapes.AddLine 0, 0, 5, 5
siteId = c.PersistDB.SaveEx(0, "Deleted soon", FOREGROUND)
NoError "a site to delete"
c.PersistDB.Delete siteId
NoError "Delete"
' The delete runs on its worker; the control forgets the site when it is gone.
start = Timer
Do While c.PersistDB.SiteID <> 0 And Timer - start < 30
  WScript.Sleep 50
Loop
Expect c.PersistDB.SiteID, 0, "the deleted site is no longer the control's"

' A fresh control with a drawing of its own.
Set d = NewControl()
lineId = d.Site.Shapes.AddLine(1, 2, 3, 4)
d.PersistDB.Load siteId, False
ExpectNotFound "Load of a deleted site"
d.PersistDB.LoadEx siteId, FOREGROUND
ExpectNotFound "LoadEx of a deleted site in the foreground"
Expect d.PersistDB.SiteID, 0, "no site"
Expect d.Site.Shapes.ItemByID(lineId) Is Nothing, False, "the drawing stays"
n = d.Site.Shapes.ItemByID(lineId).Points.Count
Expect n, 2, "with its points"

' The control showing another site keeps it.
e.PersistDB.Load siteId, False
ExpectNotFound "Load of a deleted site over another"
Expect e.PersistDB.SiteID, otherId, "the other site stays the control's"
e.PersistDB.LoadAdditionally siteId, False, 0, 0, 0, False
ExpectNotFound "LoadAdditionally of a deleted site"
Expect e.PersistDB.SiteID, otherId, "and after LoadAdditionally too"
' The site that is there still loads.
e.PersistDB.LoadEx otherId, FOREGROUND
NoError "LoadEx of a stored site"

If failures = 0 Then WScript.Echo "PASS site_loads"
