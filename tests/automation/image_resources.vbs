' Image resources as a script host uses them: the module's own picture written to files in other
' formats and read back, a picture stored in the database by one control and placed from there by
' others (AddImageFromDB, DrawImageFromDB, LoadResource, Load), and the refusals.
Option Explicit
Dim failures, fso, dir, c, c2, c3, c4, res, def, png, bmp, name, dbId, bmpDb, id, img, found, n, blockId

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
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetSpecialFolder(2) & "\yvex_image_resources"
If Not fso.FolderExists(dir) Then fso.CreateFolder dir

' ---- the module's picture, written in other formats ----
Set c = CreateObject("YVEX.YVEXControl")
Set res = c.Site.ImageResources
Set def = res.ItemByID(-1)
NoError "the module's picture"
Expect def.ResourceType, 1, "an enhanced metafile"
Expect def.Extension, "emf", "its extension"
Expect def.Width > 0, True, "its width"
Expect def.Name, "default", "its name"
def.SaveToFile dir & "\picture.png"
NoError "SaveToFile in the extension's format"
def.SaveToFileEx dir & "\picture.bmp", 2
NoError "SaveToFileEx as BMP"
def.SaveToFileEx dir & "\picture.bmp", 9
' VBScript shows E_INVALIDARG as its error 5, E_ACCESSDENIED as 70.
ExpectError 5, "a format that is none"
Set png = res.LoadResourceFromFile(dir & "\picture.png")
NoError "the PNG read back"
Expect png.ResourceType, 6, "PNG"
Expect png.Width, def.Width, "the PNG's width"
Expect png.Height, def.Height, "the PNG's height"
Expect png.Name, "picture", "named after its file"
Set bmp = res.LoadResourceFromFile(dir & "\picture.bmp")
Expect bmp.ResourceType, 2, "BMP"
' The module's metafile picture becomes a library block of its shapes, once; a bitmap makes none.
blockId = def.ConvertToBlock()
NoError "ConvertToBlock"
Expect blockId > 0, True, "a block is made of the metafile picture"
Expect def.ConvertToBlock(), blockId, "the same block again"
Expect bmp.ConvertToBlock(), 0, "no block of a bitmap"
NoError "ConvertToBlock of a bitmap"

' ---- stored by one control, placed by others ----
name = "ops-" & CLng(Timer * 100)
bmp.Name = name
bmp.Save 0, False
NoError "Save"
bmpDb = bmp.DatabaseID
Expect bmpDb > 0, True, "a database ID"
bmp.Save 0, False
NoError "Save of a stored picture writes nothing"
Expect bmp.DatabaseID, bmpDb, "the same row"
png.Name = name & "-png"
png.Save 0, True
dbId = png.DatabaseID
Expect dbId > bmpDb, True, "the next row"

Set c2 = CreateObject("YVEX.YVEXControl")
n = c2.Site.ImageResources.Count
id = c2.Site.Shapes.AddImageFromDB(dbId, 1, 2, 30, 20, False)
NoError "AddImageFromDB"
Set img = c2.Site.Shapes.ItemByID(id)
Expect img.Width, 30, "the image's width"
Expect img.Height, 20, "the image's height"
Set found = c2.Site.ImageResources.ItemByDBID(dbId)
Expect found Is Nothing, False, "the picture came from the database"
Expect img.ImageResourceID, found.ID, "the image shows it"
Expect found.Width, png.Width, "the stored picture's width"
Expect found.ResourceType, 6, "a PNG row is read singly"
Expect c2.Site.ImageResources.Count, n + 1, "one picture more"
id = c2.Site.Shapes.AddImageFromDB(dbId, 5, 5, 10, 10, True)
Expect c2.Site.ImageResources.Count, n + 1, "placing it again reads no second copy"
id = c2.Site.Shapes.AddImageFromDB(987654, 1, 2, 30, 20, False)
ExpectError &H80020009, "a database ID that is none"

Set c3 = CreateObject("YVEX.YVEXControl")
c3.DrawImageFromDB 0, bmpDb, True
NoError "DrawImageFromDB"
Expect c3.Site.ImageResources.ItemByDBID(bmpDb).Name, name, "placed from its row"
c3.DrawImageFromDB 0, 987654, True
ExpectError &H80020009, "DrawImageFromDB of a database ID that is none"

Set c4 = CreateObject("YVEX.YVEXControl")
Set found = c4.Site.ImageResources.LoadResource(bmpDb)
NoError "LoadResource"
Expect found.Name, name, "LoadResource reads the row"
Expect found.DatabaseID, bmpDb, "and knows it"
Set found = c4.Site.ImageResources.LoadResource(987654)
Expect found Is Nothing, True, "no row, no picture"
Set c4 = CreateObject("YVEX.YVEXControl")
c4.Site.ImageResources.Load 0
NoError "Load of every site's pictures"
Expect c4.Site.ImageResources.ItemByDBID(bmpDb) Is Nothing, False, "the BMP row"
Expect c4.Site.ImageResources.ItemByDBID(dbId) Is Nothing, False, "and the PNG row"

Set found = c4.Site.ImageResources.LoadResourceFromHandle(0)
ExpectError 70, "a handle that is no metafile"

' ---- a picture deleted with what uses it: an image that must stay refuses it all ----
Dim c5, pic, kept, gone, pattern, patternCount
Set c5 = CreateObject("YVEX.YVEXControl")
Set pic = c5.Site.ImageResources.LoadResourceFromFile(dir & "\picture.bmp")
NoError "a picture to delete"
kept = c5.Site.Shapes.AddImage(dir & "\picture.bmp", 0, 0, 10, 10, False)
gone = c5.Site.Shapes.AddImage(dir & "\picture.bmp", 20, 0, 10, 10, False)
Expect c5.Site.Shapes.ItemByID(kept).ImageResourceID, pic.ID, "the images show the picture"
patternCount = c5.Site.HatchPatterns.Count
pattern = c5.Site.HatchPatterns.AddItem("Tiles", "", 0, pic.ID)
NoError "a pattern of the picture"
' Protected against deletion: the image stays, and so does everything else.
c5.Site.Shapes.ItemByID(kept).ProtectionFlag(&H800) = True
c5.Site.ImageResources.DeleteByIDExt pic.ID, True
ExpectError &H80004005, "a protected image refuses the deletion"
Expect c5.Site.ImageResources.ItemByID(pic.ID) Is Nothing, False, "the picture stays"
Expect c5.Site.HatchPatterns.ItemByID(pattern) Is Nothing, False, "its pattern stays"
Expect c5.Site.Shapes.ItemByID(gone) Is Nothing, False, "the other image stays"
Expect c5.Site.Shapes.ItemByID(kept) Is Nothing, False, "the protected image stays"
' Unprotected, it all goes at once.
c5.Site.Shapes.ItemByID(kept).ProtectionFlag(&H800) = False
c5.Site.ImageResources.DeleteByIDExt pic.ID, True
NoError "the deletion with what uses the picture"
Expect c5.Site.ImageResources.ItemByID(pic.ID) Is Nothing, True, "the picture went"
Expect c5.Site.HatchPatterns.Count, patternCount, "its pattern went"
Expect c5.Site.Shapes.ItemByID(gone) Is Nothing, True, "an image went"
Expect c5.Site.Shapes.ItemByID(kept) Is Nothing, True, "the other went"

fso.DeleteFolder dir, True
If failures = 0 Then WScript.Echo "PASS image_resources"
