' Every registered automation class is created by both of its ProgIDs from a script client;
' members whose behaviour is not built yet answer E_NOTIMPL; a failure reported through the
' error-info convention reaches the script's Err with its number, description and source.
' (GeneralPropPage is a property page without IDispatch: scripts cannot hold it.)
Option Explicit
Dim classes, i, parts, o, failures, created, progid, s, h, v

classes = Array( _
  "YVEXControl:IYVEXControl", _
  "Site:ISite", _
  "ShapeCollection:IShapeCollection", _
  "SelectedShapeCollection:IShapeCollection", _
  "GlobalShapeCollection:IShapeCollection", _
  "ReadOnlyShapeCollection:IReadOnlyShapeCollection", _
  "ReadOnlyReferenceShapeCollection:IReadOnlyReferenceShapeCollection", _
  "Shape:IShape", _
  "EllipseShape:IEllipseShape", _
  "ArcShape:IEllipseShape", _
  "CircleShape:IEllipseShape", _
  "HighlightGroupShape:IHighlightGroupShape", _
  "GroupShape:IGroupShape", _
  "LayerShape:ILayerShape", _
  "LineShape:ILineShape", _
  "ImageShape:IImageShape", _
  "ReferenceShape:IReferenceShape", _
  "PolylineShape:IPolylineShape", _
  "TextShape:ITextShape", _
  "Point:IPoint", _
  "PointCollection:IPointCollection", _
  "GlobalPointCollection:IPointCollection", _
  "PolylinePointCollection:IPolylinePointCollection", _
  "LinkedPointCollection:ILinkedPointCollection", _
  "DrawingSetting:IDrawingSetting", _
  "DrawingSettingCollection:IDrawingSettingCollection", _
  "HatchPattern:IHatchPattern", _
  "HatchPatternCollection:IHatchPatternCollection", _
  "ImageResourceObject:IImageResource", _
  "ImageResourceCollection:IImageResourceCollection", _
  "YVEXPrint:IYVEXPrint", _
  "DataIO:IDataIO", _
  "DXFOperations:IDXFOperations", _
  "PersistDB:IPersistDB", _
  "PersistWeb:IPersistWeb", _
  "Messenger:IMessenger", _
  "Attribute:IAttribute", _
  "AttributeType:IAttributeType", _
  "AttributeGroup:IAttributeGroup", _
  "AttributeCollection:IAttributeCollection", _
  "AttributeTypeCollection:IAttributeTypeCollection", _
  "AttributeGroupCollection:IAttributeGroupCollection", _
  "ShapeAttributeGroupCollection:IShapeAttributeGroupCollection", _
  "Vertex:IVertex", _
  "VertexCollection:IVertexCollection", _
  "ReadOnlyVertexCollection:IReadOnlyVertexCollection", _
  "ViewportObject:IViewport", _
  "ViewportCollection:IViewportCollection", _
  "MenuCollection:IMenuCollection", _
  "MenuItem:IMenuItem", _
  "Ruler:IRuler")

failures = 0
created = 0

Sub Fail(text)
  WScript.Echo "FAIL " & text
  failures = failures + 1
End Sub

On Error Resume Next
For i = 0 To UBound(classes)
  parts = Split(classes(i), ":")
  For Each progid In Array("YVEX." & parts(0) & ".1", "YVEX." & parts(0))
    Err.Clear
    Set o = Nothing
    Set o = CreateObject(progid)
    If Err.Number <> 0 Then
      Fail progid & ": error " & Hex(Err.Number) & " " & Err.Description
    ElseIf TypeName(o) <> parts(1) Then
      Fail progid & ": type " & TypeName(o) & ", expected " & parts(1)
    Else
      created = created + 1
    End If
  Next
Next

' A member that is not built answers E_NOTIMPL, which VBScript shows as its error 445
' ("Object doesn't support this action").
Set o = CreateObject("YVEX.YVEXControl").Site
Err.Clear
Set s = o.GetPointShape(1)
If Err.Number <> 445 Then Fail "E_NOTIMPL expected, got " & Hex(Err.Number)

' The control's event switch reads back.
Set o = CreateObject("YVEX.YVEXControl")
If o.FireEvents <> True Then Fail "FireEvents should start True"
o.FireEvents = False
If o.FireEvents <> False Then Fail "FireEvents should read back False"

' The resource module: a number that is no loaded module is refused through error info. (The
' property is pointer-sized, which VBScript can pass in but not read back.)
Set s = CreateObject("YVEX.Site")
Err.Clear
s.ResourceHandle = 12345
If Err.Number <> &H80070057 Then Fail "bad module: number " & Hex(Err.Number)
If Err.Description <> "Wrong identifier." Then Fail "bad module: description [" & Err.Description & "]"
If Err.Source <> "YVEXControl" Then Fail "bad module: source [" & Err.Source & "]"

If failures = 0 Then WScript.Echo "PASS create_all " & created
