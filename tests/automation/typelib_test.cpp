// The type library YVEXLib read back the way hosts see it: the identifiers, every interface's
// members in vtable order with their dispatch IDs, the events, the enum values and the
// coclasses with their default and source interfaces. The tables are the published object
// model; the type library must match them exactly.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "YVEX_h.h"

namespace {

// ---------------------------------------------------------------------------------------
// Identifiers. Given ones and those we generated once; none of them may ever change.
struct IdRow { const char* name; const char* guid; };
const IdRow kIds[] = {
    {"Alignments", "69711232-4920-4979-A962-B9263B0F72D5"},
    {"ArcShape", "F5BACF16-4F4D-490C-A59C-0E24939DE510"},
    {"ArrowTypeIDs", "1E1423A6-EC68-4BE8-B011-0CD245E987D6"},
    {"Attribute", "D47D6A0F-42F3-4E41-BF4D-E4AB582A2666"},
    {"AttributeCollection", "0299C873-BB15-4205-A60E-AEF71EEF5BAD"},
    {"AttributeGroup", "1EF8BC8C-69A6-46AD-9EC3-53A60EDB0465"},
    {"AttributeGroupCollection", "8F1D6277-C8CE-4E71-BBB1-1D9467C84950"},
    {"AttributeType", "5207AF29-D23F-4C81-A691-A1E210C0F826"},
    {"AttributeTypeCollection", "F740A683-46CA-49EE-A422-E14195F9E5C4"},
    {"BlinkTypes", "C56511F2-38E1-429D-9B5E-508A6112D6A6"},
    {"CircleShape", "67F332B8-82B7-40AA-A4F9-A4975285586A"},
    {"Colors", "2A8FF05D-6AF3-44C2-979F-81B46BCDED11"},
    {"ControlStates", "CFC4168D-1BCB-4C5B-8D01-8D86F12BF8EB"},
    {"DBFileTypes", "0BCF11F6-0C87-49D0-A34D-90E8034A77F8"},
    {"DXFOperations", "4B704F43-C5F0-4AC7-B6D9-79BD41B681D9"},
    {"DXFProcessingModes", "F282B335-4C08-4494-AF78-2A1B77834672"},
    {"DataIO", "1C211AB1-DCEE-4E8E-B7EE-1D41C89E13D0"},
    {"DisableModules", "DA0B51A0-4DBE-4B60-A27F-1C84261D19A8"},
    {"DrawModeFlags", "2D4A7866-D27B-48B4-AECF-A08F718D6A3F"},
    {"DrawingSetting", "C63174D3-A208-4E4E-96CD-2CFC654E9ACC"},
    {"DrawingSettingCollection", "04CA3EBA-931A-406B-BBB8-70C7D8AA1742"},
    {"EditShapeFlags", "87E10219-0AE0-4A44-A388-80808E9AEB2A"},
    {"EditShapeTypes", "19A6DABA-93EC-49DE-9382-29DBE4D8B29E"},
    {"EllipseShape", "E56E6A0A-2162-4628-B234-FC300190EF1E"},
    {"ErrorCodes", "20AAA523-C8CD-4205-879C-E6DB174D6C4B"},
    {"GeneralPropPage", "445E09DE-352D-40EE-A88D-37810863DD02"},
    {"GlobalPointCollection", "3DEE055B-E715-4DD6-9BE2-E66407D1D77C"},
    {"GlobalShapeCollection", "48F3C9E1-0B8B-4407-94FB-92B8D501355D"},
    {"GroupShape", "BD1FE611-E101-4B78-8DD7-8D5321E09A50"},
    {"HatchPattern", "858D75C0-AE0C-4DF3-9A6A-DEAABF66FD68"},
    {"HatchPatternCollection", "BDD66ED6-1A9F-4F44-B7A3-83FD262BFB57"},
    {"HatchPatternIDs", "3027402E-ACA6-4A4E-8FAD-1F48B6F907EF"},
    {"HighlightGroupShape", "4EA7A9F1-1C9F-41F7-8D4A-7383E8CA4C00"},
    {"IArcShape", "0A14C96D-7D20-4E89-A073-2A193CAF6E37"},
    {"IAttribute", "6F2F29E1-F9CE-4113-B347-20D2972A4B88"},
    {"IAttributeBase", "6C9D28CC-E92E-4639-8B18-4621B3DD2844"},
    {"IAttributeCollection", "5D2F2F0C-AB8B-4A89-B154-C1B84C0201D4"},
    {"IAttributeGroup", "FDB45FC0-BE11-433E-8E50-1182B6B63A37"},
    {"IAttributeGroupCollection", "EF7F2247-56F1-43D4-9F21-07824F7FC4A0"},
    {"IAttributeType", "28DD9B1F-3CAD-4018-9027-FC308EB89EE4"},
    {"IAttributeTypeCollection", "1E0AB440-C428-4DB1-9CCE-538801B20CDF"},
    {"ICircleShape", "4A14A315-9C04-4346-84AC-6404DEE604A1"},
    {"IDTCio", "EE9FC647-0BE5-4399-B8A2-12BC72CE2091"},
    {"IDXFOperations", "959908BA-6576-491E-B831-0582F51D2103"},
    {"IDataIO", "6B307412-CE4D-4C7F-8D78-8B49DC8D7925"},
    {"IDrawingSetting", "8AD558EB-A900-467D-950D-457EFBADE3D8"},
    {"IDrawingSettingCollection", "FAF17B95-66A5-455C-832B-1BE2276D6A7E"},
    {"IEllipseShape", "79A2DB8C-9BD6-48A2-A7C7-F7F9855BE232"},
    {"IGroupShape", "26DF4784-4E1A-4B97-AEDE-6C5AA849D22E"},
    {"IHatchPattern", "30CF547D-D65C-4880-BD86-5715AAE3EB27"},
    {"IHatchPatternCollection", "859360E4-2224-408B-9850-940FA05A3FCB"},
    {"IHighlightGroupShape", "7683AC35-8513-40E8-B01B-01506B715F22"},
    {"IImageResource", "995880B0-0927-437A-883B-4FFC75D1E2C7"},
    {"IImageResourceCollection", "DB100768-0FF4-4E3C-A885-4B7F5AB35E11"},
    {"IImageShape", "78E4FAFB-3367-48A2-BC5D-89B26A68178F"},
    {"ILayerShape", "B4123734-04AF-42A5-A189-EBC15864AD2A"},
    {"ILineShape", "05D35554-9811-4B85-9137-5C8544305BEB"},
    {"ILinkedPointCollection", "4B291030-B698-4591-AD14-89341BCBF354"},
    {"IMenuCollection", "C87B2C51-F005-41A4-BAFD-2C3C82B7E539"},
    {"IMenuItem", "52A8A691-A5BC-4E7A-996B-41FAB1BFCCE5"},
    {"IMessenger", "65BBCABE-8144-44BE-8F0A-89F770C5A037"},
    {"IPersistDB", "0486E6A6-BDE1-4A53-B075-F49D4209E181"},
    {"IPersistWeb", "A3C93897-FA43-43E3-ABD6-6FB81A6A6872"},
    {"IPoint", "8CA9B75D-2E95-403E-ACD8-39F4DE467330"},
    {"IPointCollection", "FCDE4F0E-D819-45C6-B025-83447BC8CA89"},
    {"IPolylinePointCollection", "8BEB76D7-9E50-4597-831A-7C5A2258E32C"},
    {"IPolylineShape", "7B688615-5FC7-4111-810C-999B84C7F76F"},
    {"IReadOnlyReferenceShapeCollection", "8C87CD3D-1BC2-4D21-9F29-22BC4AB9E6D9"},
    {"IReadOnlyShapeCollection", "12BF24C5-EC86-4D5C-91DF-B1F002C3B3B1"},
    {"IReadOnlyVertexCollection", "FEE904AE-F3FF-4203-BBA7-A1D3759122D5"},
    {"IReferenceShape", "F49012AC-ACB8-43F4-897B-F308C0EBB92A"},
    {"IRuler", "2DB4061B-DB63-4177-8B10-97E1A2AFBC58"},
    {"IShape", "22F31473-FA79-4CAF-B145-981B6D2F2714"},
    {"IShapeAttributeGroupCollection", "DFDE78BB-A698-48A8-AF9C-179CA2E46F0C"},
    {"IShapeCollection", "3EF7C123-067D-419A-B3D6-CEB41FB2E2C9"},
    {"ISite", "511F0147-D33B-4040-9EA2-68909A2B797F"},
    {"ITextShape", "FE085C37-DE5B-4204-9F18-8823D6822EAA"},
    {"IVertex", "E0D8819A-2948-4D3A-B934-14188229B889"},
    {"IVertexCollection", "394C22F3-D096-4C8B-9322-D02A4F62E1DF"},
    {"IViewport", "506C5FEF-69CB-40BE-A6B1-D1DD8DDA578F"},
    {"IViewportCollection", "36646746-259B-44EB-A0B8-600A62476A4F"},
    {"IYVEXControl", "F3344844-B22E-4ACF-99DA-C7DD06CF033D"},
    {"IYVEXOleUndoManagerEx", "EE04A71A-B83C-4CF3-A920-2418558041E9"},
    {"IYVEXPrint", "94DE88A9-FFCB-46C2-9768-0601A50A24FA"},
    {"IYVEXUndo", "C4895CB0-FE03-46D4-AE9D-FA70B8497B3E"},
    {"IYVEXUndoUnit", "4788AE11-D9A9-4636-8115-6B77E80FD794"},
    {"IdIntervals", "D6A785A4-5C01-4802-915C-2E5D04CFD1CC"},
    {"ImageResourceCollection", "AD1A887B-C572-4030-9909-B744DF4245C9"},
    {"ImageResourceObject", "26A3EDC7-111F-46C2-88F4-E3618BF51B40"},
    {"ImageResourceTypes", "3A7909CE-F199-402D-9B46-EDE8E0400E54"},
    {"ImageShape", "BD1FE541-E101-4B78-8DD7-8D5321E09A50"},
    {"LayerShape", "80065541-0E97-4A79-A941-9BEAA9BDAAAF"},
    {"LineShape", "080A01E1-453A-4484-9FAF-6449EC195936"},
    {"LineTypes", "B23F3834-2896-40E4-980E-5A9C3DFCA729"},
    {"LinkedPointCollection", "EB148241-68CB-4A56-B42F-EA88A7E72FF0"},
    {"MenuCollection", "341889FF-E908-43CE-A860-F5E7B0FA17E0"},
    {"MenuItem", "A34D8D8F-480F-42EB-82CA-915B69767A8D"},
    {"MenuItemIDs", "03377BDA-2C50-4A4F-B2B6-C94CB7235AF2"},
    {"MessageTypes", "8A43F1EE-A274-4F26-97FD-5B51BA43B462"},
    {"Messenger", "4B37B6D3-2104-4E84-A35D-84800D647C49"},
    {"ModuleSettingsOverwriting", "096914F5-76B0-4C18-B7E2-0BFF8DD813EF"},
    {"OptionsPageIndex", "F873B928-9646-4443-A7DF-722E7C527D6A"},
    {"PersistDB", "110308F5-0A33-4B33-BCBC-BD88E72FD427"},
    {"PersistWeb", "34BF6822-D107-4B53-ACA3-4419EC34230D"},
    {"Point", "EAD9236F-3FA4-4A83-8453-5E40D561DC0D"},
    {"PointAlignments", "DC4BC6CE-1E58-48B2-8378-85A26E92F4F7"},
    {"PointCollection", "21B0C283-235A-4ED3-950D-E11DFFCF0C6F"},
    {"PolylineFlags", "A2B51EC3-E412-41FD-807D-B2A2D3AF7957"},
    {"PolylinePointCollection", "F6993BCE-1E94-48C3-B101-EE6CB875AAD9"},
    {"PolylineShape", "BD1FE601-E101-4B78-8DD7-8D5321E09A50"},
    {"PrintTypes", "BF181E47-A757-4110-ACA2-5CE26EED75C7"},
    {"ReadOnlyReferenceShapeCollection", "E1E625F4-D24A-4CEC-A4AC-7516FB7004A0"},
    {"ReadOnlyShapeCollection", "9AAC96DB-44EF-462A-A738-352428320927"},
    {"ReadOnlyVertexCollection", "F4E03B16-0EA6-464B-8735-145082A67AA0"},
    {"RedrawFlags", "15F2EE4A-4C93-41C2-A0BF-CD35B184B8F3"},
    {"ReferenceShape", "BD1FE621-E101-4B78-8DD7-8D5321E09A50"},
    {"Ruler", "F498B830-110E-4210-ADA0-D76F7EF728D3"},
    {"SelectedShapeCollection", "55ACDB2B-AF21-4FD6-BD41-4F87E2484509"},
    {"ShadeTypes", "7DB852AB-110F-4871-8A92-5AAA2DB94260"},
    {"Shape", "BFFCD4CA-F601-11D3-A58B-00C0CA161077"},
    {"ShapeAttributeGroupCollection", "0672564D-AA8D-4D5F-B594-82052F7E6FEB"},
    {"ShapeCollection", "8DF7C749-F597-48F2-B44A-1C87650DDDA9"},
    {"ShapeDBFlags", "9C47FD1A-6895-415D-9289-269BB923AADC"},
    {"ShapeFlipDirections", "D8CB4C9C-5C6D-4A40-8017-6958B9649830"},
    {"ShapeIDs", "9758DC6C-DBAF-453C-920C-09FB472EE6BD"},
    {"ShapeTypes", "E61018D5-4E8F-44DC-A3CC-128E432F4994"},
    {"ShapesAlignments", "EDB6A924-D9C9-46FF-83BF-4C1B57C95ED9"},
    {"Site", "F4ADFD0D-82B4-44CA-A40F-7CFB3FDFE79F"},
    {"StorageTypes", "91EA2B64-F879-4401-97F0-783DE0A1CDAB"},
    {"TextLeaderTypes", "4616D5BC-CD82-4E53-8411-AAE5D0CB3F60"},
    {"TextShape", "4941B69F-CF3B-4385-A533-11F0D66C3596"},
    {"TextTypes", "495CD18C-7DAB-4FFF-9887-F9C91BE8378D"},
    {"Units", "EBF76A33-6911-4E30-8CB1-447B6AFD6992"},
    {"UnitsSource", "8265E2E4-1D32-4F4A-9179-F2B9EF7B1464"},
    {"Vertex", "040E4EA1-568B-440E-BD5C-AB65D30FB28E"},
    {"VertexCollection", "62C8BD84-D637-42A6-913E-D58217233F66"},
    {"ViewportCollection", "802828C5-2A7A-437B-AD72-717C27C0ABF2"},
    {"ViewportObject", "17FCE2B8-C7DC-410B-A356-A10DF3E0F21B"},
    {"YVEXControl", "89F57BC8-2171-44BB-85AD-F6867878D67F"},
    {"YVEXControlEventType", "2DD92D69-399A-4626-9DAC-7F1C7E503239"},
    {"YVEXControlFlags", "0B2E3862-84FC-4771-B39B-74C5D2D8ED62"},
    {"YVEXOperation", "0677FE56-36D4-4F20-A8F9-2E94C3942028"},
    {"YVEXPrint", "880000C9-759C-4422-A29A-9D64FB44B3E9"},
    {"_IPersistWebEventHandler", "1CB3DD7F-D74F-403D-B2CD-00ED98B9D70B"},
    {"_IReadOnlyCollection", "CC4DE8F0-66E3-486B-A23F-A5713C6B46C5"},
    {"_IYVEXControlEvents", "72E6DAE2-3285-4560-8FCF-D317363938D7"},
    {"updateRefType", "9713537A-3469-4AEC-B8EA-02BD56E9D905"},
    {"YVEXLib", "98DB25DA-0FB4-4C1F-A6FF-02D45B9A8742"},
};

// ---------------------------------------------------------------------------------------
// Interfaces. Rows are in vtable order; GP stands for a get/put pair (two slots, get first).
enum Kind { M, G, P, GP };
struct MemberRow { const char* name; Kind kind; DISPID id; };
struct InterfaceRow { const char* name; const char* base; std::vector<MemberRow> members; };

const InterfaceRow kInterfaces[] = {
    {"IYVEXControl", "IDispatch", {
        {"Copy", M, 3}, {"Paste", M, 4}, {"Cut", M, 5}, {"FireEvents", GP, 8}, {"RootID", GP, 9},
        {"Zoom", M, 13}, {"EditShape", M, 16}, {"EditShapeEx", M, 17}, {"ZoomK", G, 24},
        {"progress", G, 26}, {"EndDraw", M, 30}, {"ContextMenu", G, 31}, {"Redraw", M, 32},
        {"DPtoWCS", M, 33}, {"WCStoDP", M, 34}, {"PrintSite", M, 37}, {"LocateShape", M, 40},
        {"EnableDefaultShape", M, 43}, {"IsDefaultShapeEnabled", M, 44}, {"ZoomWindow", M, 46},
        {"DisplayOptions", M, 49}, {"EnableDBImages", GP, 50}, {"Enabled", GP, 51},
        {"LastError", G, 54}, {"Site", G, 55}, {"DrawShape", M, 56}, {"DrawImage", M, 57},
        {"DrawImageFromDB", M, 58}, {"TextEditorName", GP, 59}, {"PersistDB", G, 60},
        {"DXFOperations", G, 62}, {"Messenger", G, 63}, {"PersistWeb", G, 64}, {"ZoomAll", M, 65},
        {"LastErrorMessage", G, 66}, {"CompleteEditingBlock", M, 67}, {"GroupShapes", M, 68},
        {"UnGroupShapes", M, 69}, {"ShapeProperties", M, 70}, {"ZoomShape", M, 71},
        {"LockDraftLimits", GP, 72}, {"DataIO", G, 73}, {"ZoomPrevious", M, 74}, {"DTCio", G, 75},
        {"YVEXPrint", G, 76}, {"RedrawEnabled", GP, 77}, {"CanPaste", M, 78}}},
    {"ISite", "IDispatch", {
        {"Name", G, 1}, {"DraftLeft", G, 2}, {"DraftTop", G, 3}, {"DraftRight", G, 4},
        {"DraftBottom", G, 5}, {"GridLeft", G, 6}, {"GridTop", G, 7}, {"GridRight", G, 8},
        {"GridBottom", G, 9}, {"Measurement", G, 10}, {"LinePatternScale", G, 11},
        {"ImageScale", G, 12}, {"Name", P, 1}, {"DraftLeft", P, 2}, {"DraftTop", P, 3},
        {"DraftRight", P, 4}, {"DraftBottom", P, 5}, {"GridLeft", P, 6}, {"GridTop", P, 7},
        {"GridRight", P, 8}, {"GridBottom", P, 9}, {"Measurement", P, 10},
        {"LinePatternScale", P, 11}, {"ImageScale", P, 12}, {"GetLinkedPointShape", M, 13},
        {"ImageResources", G, 14}, {"CreateBlock", M, 15}, {"ReadOnly", GP, 16}, {"Shapes", G, 17},
        {"Points", G, 18}, {"Viewports", G, 19}, {"DrawingSettings", G, 20}, {"_Init", M, 21},
        {"UnitID", GP, 22}, {"BadFloatValue", G, 23}, {"SelectOnlyTopmostShape", GP, 24},
        {"scenarioID", GP, 25}, {"UserEditingShapeID", G, 26}, {"GetPointShape", M, 27},
        {"AttributeTypes", G, 29}, {"AttributeGroups", G, 30}, {"Clear", M, 31}, {"Draw", M, 32},
        {"IsZoomingByWindow", M, 33}, {"ControlState", G, 34}, {"IsEditingBlock", M, 35},
        {"ShapePropertyWindowState", G, 36}, {"HatchPatterns", G, 37}, {"DirtyFlag", GP, 38},
        {"LineTypeName", G, 39}, {"ResourceHandle", GP, 40}, {"ControlFlags", GP, 41},
        {"ResetAttributeProperties", M, 42}, {"SelectOnlyTopmostPolyline", GP, 43},
        {"DrawEx", M, 44}}},
    {"_IReadOnlyCollection", "IDispatch", {
        {"_Init", M, -6}, {"_Destroy", M, -7}, {"_NewEnum", G, -4}, {"Count", G, 1},
        {"Refresh", M, 3}}},
    {"IReadOnlyShapeCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDatabaseID", G, 4},
        {"HitShapeCollection", G, 5}}},
    {"IReadOnlyReferenceShapeCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDatabaseID", G, 4},
        {"HitShapeCollection", G, 5}}},
    {"IShapeCollection", "IReadOnlyShapeCollection", {
        {"AddLine", M, 0x64}, {"AddEllipse", M, 0x6e}, {"AddRectangle", M, 0x78},
        {"AddPolyline", M, 0x82}, {"AddPolygon", M, 0x83}, {"AddImage", M, 0x8c},
        {"AddImageFromDB", M, 0x96}, {"AddShape", M, 0xa0}, {"AddRTFText", M, 0xaa},
        {"AddPlainText", M, 0xb4}, {"AddArc", M, 0xbe}, {"AddCircle", M, 0xc8},
        {"AddClone", M, 0xf0}, {"AddChildrenClones", M, 0xfa}, {"AddGroup", M, 0x104},
        {"AddLayer", M, 0x105}, {"DeleteByID", M, 0x10e}, {"Delete", M, 0x118},
        {"AddReference", M, 0x122}, {"AddReferenceByName", M, 0x12c}, {"MoveToHead", M, 0x12d},
        {"MoveToTail", M, 0x12e}, {"BringToFront", M, 0x12f}, {"SendToBack", M, 0x130}}},
    {"IShape", "IDispatch", {
        {"Site", G, 0x60020000}, {"ID", GP, 0}, {"_Init", M, 1}, {"ShapeType", G, 2},
        {"ParentID", G, 3}, {"PenColor", GP, 4}, {"LinePatternID", GP, 5}, {"Visible", GP, 7},
        {"Tag", GP, 8}, {"Enabled", GP, 9}, {"Points", G, 10}, {"LinkedPoints", G, 11},
        {"DatabaseID", GP, 12}, {"LayerShapeID", GP, 13}, {"Redraw", M, 14}, {"Scale", M, 15},
        {"Rotate", M, 16}, {"MarkPoint", M, 17}, {"HitTest", M, 18}, {"AlignPoint", M, 20},
        {"LinePatternScale", GP, 21}, {"PenWeight", GP, 22}, {"FlipVertical", M, 23},
        {"FlipHorizontal", M, 24}, {"ZOrder", GP, 25}, {"BringToFront", M, 26},
        {"SendToBack", M, 27}, {"SaveToDB", M, 28}, {"GetBoundingRect", M, 29}, {"Shapes", G, 51},
        {"SourceSiteID", GP, 52}, {"Attributes", G, 53}, {"AttributeGroups", G, 54},
        {"HatchColor", GP, 55}, {"HatchPatternID", GP, 56}, {"HatchPatternScale", GP, 57},
        {"ScalePenWeight", GP, 58}, {"TranslatedPenColor", G, 59},
        {"TranslatedHatchColor", G, 60}, {"TranslatedHatchPatternID", G, 61},
        {"TranslatedLinePatternID", G, 62}, {"ProtectionFlags", GP, 63},
        {"ProtectionFlag", GP, 64}, {"GetProtectionFlagsMasked", M, 65},
        {"PutProtectionFlagsMasked", M, 66}, {"DBFlags", GP, 67}, {"Angle", GP, 68},
        {"PositionX", GP, 69}, {"PositionY", GP, 70}, {"Shift", M, 71}}},
    {"ICircleShape", "IShape", {
        {"Radius", GP, 0x64}, {"CenterX", G, 0x65}, {"CenterY", G, 0x66}, {"CenterX", P, 0x65},
        {"CenterY", P, 0x66}}},
    {"IArcShape", "ICircleShape", {
        {"StartAngle", G, 0x67}, {"EndAngle", G, 0x68}, {"StartAngle", P, 0x67},
        {"EndAngle", P, 0x68}}},
    {"IEllipseShape", "IArcShape", {
        {"MinorRatio", GP, 0x69}, {"ZExtrusion", GP, 0x6a}, {"MajorX", GP, 0x6b},
        {"MajorY", GP, 0x6c}, {"MajorRadius", GP, 0x6d}, {"MinorRadius", GP, 0x6e},
        {"MajorRAngle", GP, 0x6f}}},
    {"IHighlightGroupShape", "IShape", {
        {"ShadeType", G, 0x64}, {"BlinkTimeout", G, 0x65}, {"BlinkType", G, 0x66},
        {"BlinkOn", G, 0x67}, {"ShadeType", P, 0x64}, {"BlinkTimeout", P, 0x65},
        {"BlinkType", P, 0x66}, {"BlinkOn", P, 0x67}}},
    {"IGroupShape", "IShape", {
        {"Name", GP, 100}, {"UpdateReferences", M, 101}, {"Clear", M, 102},
        {"References", G, 103}}},
    {"ILayerShape", "IShape", {
        {"Name", G, 100}, {"Flags", G, 101}, {"Name", P, 100}, {"Flags", P, 101},
        {"Selectable", GP, 102}}},
    {"ILineShape", "IShape", {
        {"FirstArrowTypeID", G, 111}, {"SecondArrowTypeID", G, 112}, {"FirstArrowTypeID", P, 111},
        {"SecondArrowTypeID", P, 112}, {"StartX", GP, 103}, {"StartY", GP, 104},
        {"EndX", GP, 105}, {"EndY", GP, 106}, {"Length", G, 107}}},
    {"IImageShape", "IShape", {
        {"Width", G, 100}, {"Height", G, 101}, {"RotationAngle", G, 102},
        {"ImageResourceID", G, 103}, {"Width", P, 100}, {"Height", P, 101},
        {"RotationAngle", P, 102}, {"ImageResourceID", P, 103}}},
    {"IReferenceShape", "IShape", {
        {"XScale", G, 100}, {"YScale", G, 101}, {"RotationAngle", G, 102},
        {"BlockGroupShapeID", G, 103}, {"XScale", P, 100}, {"YScale", P, 101},
        {"RotationAngle", P, 102}, {"BlockGroupShapeID", P, 103}}},
    {"IPolylineShape", "IShape", {
        {"DefStartWidth", G, 101}, {"DefEndWidth", G, 102}, {"Flags", G, 103},
        {"DefStartWidth", P, 101}, {"DefEndWidth", P, 102}, {"Flags", P, 103},
        {"PolylinePoints", G, 104}, {"Vertex", GP, 105}, {"VertexX", GP, 106},
        {"VertexY", GP, 107}, {"PenWidth", GP, 108}, {"Length", G, 109},
        {"HitSegmentTest", M, 110}, {"FirstArrowTypeID", GP, 111}, {"SecondArrowTypeID", GP, 112},
        {"Vertexes", G, 115}, {"AddVertex", M, 116}, {"AddNewVertex", M, 117}, {"Fillet", M, 118},
        {"Vertices", G, 119}, {"Area", G, 120}, {"Simplify", M, 121}, {"ToBezier", M, 122},
        {"ToStraight", M, 123}}},
    {"ITextShape", "IShape", {
        {"Text", G, 100}, {"Type", G, 101}, {"Height", G, 102}, {"Width", G, 103},
        {"AlignType", G, 104}, {"XScale", G, 105}, {"RotationAngle", G, 106},
        {"Text", P, 100}, {"Type", P, 101}, {"Height", P, 102}, {"Width", P, 103},
        {"AlignType", P, 104}, {"XScale", P, 105}, {"RotationAngle", P, 106},
        {"X", GP, 107}, {"Y", GP, 108}, {"Font", GP, 109}, {"FontDispatch", GP, 110},
        {"FontName", GP, 111}, {"FontCharset", GP, 112}, {"FontUnderline", GP, 113},
        {"FontStrikethrough", GP, 114}, {"FontItalic", GP, 115}, {"FontBold", GP, 116},
        {"LeaderType", GP, 117}}},
    {"IPoint", "IDispatch", {
        {"ID", GP, 0}, {"_Init", M, 1}, {"X", G, 3}, {"Y", G, 4}, {"X", P, 3}, {"Y", P, 4},
        {"Shift", M, 5}, {"DatabaseID", GP, 0xc}, {"OwnerID", G, 0xd},
        {"GetNextOwnerID", M, 0xe}}},
    {"IPointCollection", "_IReadOnlyCollection", {{"Item", G, 0}, {"ItemByID", G, 2}}},
    {"IPolylinePointCollection", "IPointCollection", {
        {"AddPoint", M, 0x65}, {"DeleteByID", M, 0x66}, {"Delete", M, 0x67},
        {"AddNewPoint", M, 0x68}}},
    {"ILinkedPointCollection", "IPointCollection", {
        {"AddPoint", M, 100}, {"DeleteByID", M, 101}, {"Delete", M, 102}}},
    {"IDrawingSetting", "IDispatch", {
        {"_Init", M, -6}, {"ID", G, 0}, {"PenWeight", GP, 1}, {"PenColor", GP, 2},
        {"LinePatternID", GP, 3}, {"LayerShapeID", GP, 4}, {"ShowGrid", GP, 5},
        {"GridXSpace", GP, 6}, {"GridYSpace", GP, 7}, {"SnapToGrid", GP, 8},
        {"SnapXSpace", GP, 9}, {"SnapYSpace", GP, 10}, {"SnapBaseX", GP, 11},
        {"SnapBaseY", GP, 12}, {"LinePatternScale", GP, 13}, {"ImageScale", GP, 14},
        {"OrthoMode", GP, 15}, {"DatabaseID", GP, 16}, {"EditNewText", GP, 17}, {"Name", GP, 18},
        {"ShowRulers", GP, 19}, {"HatchColor", GP, 20}, {"HatchPatternID", GP, 21},
        {"HatchPatternScale", GP, 22}, {"ScalePenWeight", GP, 23}, {"SplineFreeHand", GP, 24},
        {"ArrowScale", GP, 25}, {"FontName", GP, 26}, {"FontCharset", GP, 27},
        {"FontUnderline", GP, 28}, {"FontStrikethrough", GP, 29}, {"FontItalic", GP, 30},
        {"FontBold", GP, 31}, {"FontSize", GP, 32}, {"FontAlignType", GP, 33}, {"Font", GP, 34},
        {"FontDispatch", GP, 35}, {"ProtectionFlags", GP, 36}, {"ProtectionFlag", GP, 37},
        {"LinkMarkScale", GP, 38}}},
    {"IDrawingSettingCollection", "_IReadOnlyCollection", {
        {"CreateDrawingSetting", M, 0xc}, {"Item", G, 0xd}, {"ItemByID", G, 0xe}}},
    // No dispatch IDs in the object model: consecutive from 1 in vtable order.
    {"IHatchPattern", "IDispatch", {
        {"ID", G, 1}, {"DatabaseID", GP, 2}, {"Name", GP, 3}, {"Description", GP, 4},
        {"ImageResourceID", GP, 5}, {"_Init", M, 6}}},
    {"IHatchPatternCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"Delete", M, 0xa}, {"DeleteByID", M, 0xb},
        {"AddItem", M, 0xd}}},
    // No dispatch IDs in the object model: consecutive from 1 in vtable order.
    {"IImageResource", "IDispatch", {
        {"ID", G, 1}, {"DatabaseID", GP, 2}, {"Name", GP, 3}, {"_Init", M, 4}, {"Save", M, 5},
        {"SaveToFile", M, 6}, {"SaveToFileEx", M, 7}, {"DefaultImageScale", GP, 8},
        {"ConvertToBlock", M, 9}, {"Extension", G, 10}, {"ResourceType", G, 11},
        {"Height", G, 12}, {"Width", G, 13}}},
    // Members in ascending dispatch-ID order; LoadResourceFromHandle came last.
    {"IImageResourceCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDBID", G, 5}, {"Load", M, 0x64},
        {"LoadResource", M, 0x65}, {"LoadResourceFromFile", M, 0x66}, {"DeleteByID", M, 0x67},
        {"Delete", M, 0x68}, {"DeleteByIDExt", M, 0x69}, {"DeleteExt", M, 0x6a},
        {"LoadResourceFromHandle", M, 0x6b}}},
    {"IYVEXPrint", "IDispatch", {
        {"PrintSite", M, 1}, {"PageSetup", M, 2}, {"RestorePrinterSettings", M, 3},
        {"StorePrinterSettings", M, 4}, {"DrawSiteMetafile", M, 0xa},
        {"PrintSiteMetafile", M, 0xb}, {"PrintType", GP, 0xc}, {"GetPrintRect", M, 0xd},
        {"PutPrintRect", M, 0xe}, {"GetPrintOffset", M, 0xf}, {"PutPrintOffset", M, 0x10},
        {"PrintCentered", GP, 0x11}, {"PrintScale", GP, 0x12}, {"_YVEXControl", P, 0x6c}}},
    {"IDataIO", "IDispatch", {
        {"Serialize", M, 0x64}, {"IsModified", M, 0x66}, {"_YVEXControl", P, 0x67},
        {"LoadBlock", M, 0x6e}, {"SaveBlock", M, 0x6f}, {"SerializeEx", M, 0x70},
        {"SaveAsBinary", GP, 0x79}}},
    {"IDTCio", "IDispatch", {
        {"LoadDTC", M, 0x1f5}, {"SaveDTC", M, 0x1f6}, {"ReleaseDTC", M, 0x1f7}}},
    {"IDXFOperations", "IDispatch", {
        {"SaveDXF", M, 0x64}, {"LoadDXF", M, 0x65}, {"IsModified", M, 0x66},
        {"_YVEXControl", P, 0x67}, {"SaveDXFEx", M, 0x68}, {"SaveShape", M, 0x6e},
        {"LoadShape", M, 0x6f}, {"SaveAsBinary", GP, 0x79}, {"BinaryDXFOpened", G, 0x7a}}},
    {"IPersistDB", "IDispatch", {
        {"Save", M, 0x64}, {"Load", M, 0x65}, {"Delete", M, 0x66}, {"DSN", GP, 0x67},
        {"UserName", GP, 0x68}, {"Password", P, 0x69}, {"SaveToNewSite", M, 0x6a},
        {"SiteID", G, 0x6b}, {"_YVEXControl", P, 0x6c}, {"LoadFromFile", M, 0x6d},
        {"SaveToFile", M, 0x6e}, {"LoadAdditionally", M, 0x6f}, {"SaveEx", M, 0x70},
        {"LoadEx", M, 0x71}}},
    {"IPersistWeb", "IDispatch", {
        {"Project", GP, 0x65}, {"URL", GP, 0x66}, {"User", GP, 0x67}, {"Password", GP, 0x68},
        {"Load", M, 0x69}, {"_YVEXControl", P, 0x6c}}},
    // SendMessage and the members from DSN on have no dispatch ID of their own: 1 and 8 to 12.
    {"IMessenger", "IDispatch", {
        {"SessionID", GP, 0}, {"SendMessage", M, 1}, {"ProcessMessages", M, 2},
        {"ProcessUpdateShapeMessage", M, 3}, {"ProcessDeleteShapeMessage", M, 4},
        {"ReceiveMessages", GP, 5}, {"ReceiveTimeout", GP, 6}, {"_YVEXControl", P, 7},
        {"DSN", GP, 8}, {"UserName", GP, 9}, {"Password", P, 10}, {"OpenSession", M, 11},
        {"CloseSession", M, 12}}},
    {"IYVEXUndo", "IDispatch", {
        {"OleUndoManager", GP, 101}, {"UndoEnabled", GP, 102}, {"QueueMaxLength", GP, 103},
        {"LastOperation", G, 104}, {"OpenedOperation", G, 105}}},
    {"IYVEXOleUndoManagerEx", "IDispatch", {{"QueueMaxLength", GP, 2}}},
    {"IYVEXUndoUnit", "IUnknown", {{"Operation", G, 1}}},
    {"IAttributeBase", "IDispatch", {{"_Init", M, 0x60020000}, {"ID", G, 0}, {"DatabaseID", GP, 1}}},
    {"IAttribute", "IAttributeBase", {{"Value", GP, 2}}},
    {"IAttributeType", "IAttributeBase", {{"Name", GP, 2}, {"Format", GP, 3}, {"Prompt", GP, 4}}},
    {"IAttributeGroup", "IAttributeBase", {
        {"Name", GP, 2}, {"AttributeTypes", G, 3}, {"ParentGroup", GP, 4}}},
    {"IAttributeCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDatabaseID", G, 4}, {"AddAttribute", M, 10},
        {"CreateAttribute", M, 11}, {"DeleteByID", M, 20}, {"Delete", M, 21},
        {"DeleteByDatabaseID", M, 22}}},
    {"IAttributeTypeCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDatabaseID", G, 4},
        {"AddAttributeType", M, 10}, {"CreateAttributeType", M, 11}, {"DeleteByID", M, 20},
        {"Delete", M, 21}, {"DeleteByDatabaseID", M, 22}}},
    {"IShapeAttributeGroupCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDatabaseID", G, 4},
        {"AddAttributeGroup", M, 10}, {"DeleteByID", M, 20}, {"Delete", M, 21},
        {"DeleteByDatabaseID", M, 22}}},
    {"IAttributeGroupCollection", "IShapeAttributeGroupCollection", {
        {"CreateAttributeGroup", M, 31}}},
    {"IVertex", "IDispatch", {
        {"ID", G, 1}, {"DatabaseID", GP, 2}, {"Name", GP, 3}, {"Flags", GP, 4},
        {"PenColor", GP, 5}, {"LinePatternID", GP, 6}, {"StartWidth", GP, 7}, {"EndWidth", GP, 8},
        {"Bulge", GP, 9}, {"PointID", G, 10}, {"Length", G, 11}, {"_Init", M, 12},
        {"Radius", GP, 13}, {"X", GP, 14}, {"Y", GP, 15}, {"Tag", GP, 16}}},
    {"IReadOnlyVertexCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"ItemByID", G, 2}, {"ItemByDatabaseID", G, 4}, {"ItemByPointID", G, 5}}},
    {"IVertexCollection", "IReadOnlyVertexCollection", {
        {"AddVertex", M, 0x65}, {"AddNewVertex", M, 0x66}, {"DeleteByID", M, 0x67},
        {"DeleteByDatabaseID", M, 0x68}, {"Delete", M, 0x69}, {"DeleteByPointID", M, 0x6a}}},
    {"IViewport", "IDispatch", {
        {"ViewCenterX", GP, 1}, {"ViewCenterY", GP, 2}, {"ViewHeight", GP, 3}, {"ViewWidth", GP, 4},
        {"_Init", M, 0x11}, {"Name", GP, 0x12}, {"ID", G, 0x13}, {"DatabaseID", GP, 0x14},
        {"DrawingSettingID", GP, 0x15}}},
    {"IViewportCollection", "_IReadOnlyCollection", {
        {"ItemByID", G, 2}, {"SaveViewport", M, 0x64}, {"SaveViewportTo", M, 0x65},
        {"Item", G, 0xd}}},
    {"IMenuItem", "IDispatch", {
        {"ItemID", GP, 0x64}, {"ItemType", GP, 0x65}, {"ItemState", GP, 0x66},
        {"ItemText", GP, 0x67}, {"_Init", M, 0x68}}},
    {"IMenuCollection", "_IReadOnlyCollection", {
        {"Item", G, 0}, {"InsertItem", M, 0x64}, {"DeleteItem", M, 0x65}, {"ItemByID", G, 0x66}}},
    // No dispatch IDs in the object model: consecutive from 1 in vtable order.
    {"IRuler", "IDispatch", {
        {"SetRulerInfo", M, 1}, {"SetRulerLimits", M, 2}, {"MajorMarkerLength", GP, 3},
        {"MinorMarkerLength", GP, 4}, {"NumbersDistance", GP, 5}, {"HorzAligned", GP, 6},
        {"ShowNumbers", GP, 7}, {"Look3D", GP, 8}, {"Zero", GP, 9}, {"CursorPosition", GP, 10}}},
};

// ---------------------------------------------------------------------------------------
// Events of the control, by dispatch ID from 1; the enum YVEXControlEventType numbers them
// the same way with the prefix "cet".
const char* const kControlEvents[] = {
    "OnMouseMove", "OnLButtonDown", "OnLButtonUp", "OnAddPoint", "OnAddShape", "OnDeleteShape",
    "OnDeletePoint", "OnShiftPoint", "OnScaleShape", "OnShiftShape", "OnChangeParent",
    "OnChangeSelection", "OnLinkPoint", "OnUnlinkPoint", "OnBeginDraw", "OnEndDraw",
    "OnBeginEditShape", "OnEndEditShape", "OnRButtonUp", "OnProgress", "OnHitShape",
    "OnContextMenuShow", "OnContextMenuCommand", "OnCancel", "OnRButtonDown", "OnAddViewport",
    "OnDeleteViewport", "OnEditViewport", "OnSetCurrentViewport", "OnCopyViewport",
    "OnSetCurrentLayer", "OnBeginLoadSite", "OnEndLoadSite", "OnBeginSaveSite", "OnEndSaveSite",
    "OnAddDrawingSetting", "OnDeleteDrawingSetting", "OnEditDrawingSetting",
    "OnSetCurrentDrawingSetting", "OnCopyDrawingSetting", "OnEditSite", "OnBeginDeleteSite",
    "OnEndDeleteSite", "OnBringShapeToFront", "OnSendShapeToBack", "OnUpdateReferences",
    "OnLButtonDblClick", "OnSwitchRootID", "OnDeleteImageResourceFromDB",
    "OnDeletedImageResourceFromDB", "OnInvalidateToolbar", "OnDeleteImageResource",
    "OnEndDeleteSiteWithID", "OnEndLoadSiteWithID", "OnEndSaveSiteWithID", "OnCopySuccessful",
    "OnPasteSuccessful", "OnResetAttributeProperties", "OnControlReady"};

// Parameter counts of the events (the by-reference flags included).
const int kControlEventParams[] = {
    3, 3, 3, 2, 2, 2, 2, 2, 6, 4, 3, 0, 3, 3, 2, 2, 3, 2, 3, 1, 4, 3, 1, 1, 3, 3, 2, 2, 2, 3,
    2, 4, 1, 4, 1, 3, 2, 2, 2, 3, 2, 2, 1, 2, 2, 3, 3, 2, 2, 1, 1, 2, 4, 4, 4, 1, 1, 3, 1};

const char* const kWebEvents[] = {"OnProgress", "OnStartDownload", "OnEndDownload"};

// ---------------------------------------------------------------------------------------
// Enums: "member=value" separated by blanks.
struct EnumRow { const char* name; const char* members; };
const EnumRow kEnums[] = {
    {"ShapeIDs", "BASE_ID=0 SELECTION_ID=-1 CLIPBOARD_ID=-2 LIBRARY_ID=-3 LAYERS_ID=-4 "
                 "WINDOW_ID=-5 DEFAULT_SHAPES_ID=-6 HIGHLIGHTS_ID=-7 BASE_LAYER=1 DEFAULT_SHAPE_ID=2 "
                 "DEFAULT_TEXT_ID=3 DEFAULT_CIRCLE_ID=4 DEFAULT_RECTANGLE_ID=5 DEFAULT_LINE_ID=6 "
                 "DEFAULT_ELLIPSE_ID=7 DEFAULT_ARC_ID=8 DEFAULT_POLYLINE_ID=9 DEFAULT_POLYGON_ID=10 "
                 "DEFAULT_IMAGE_ID=11"},
    {"IdIntervals", "FIRST_SYSTEM_ID=-7 LAST_SYSTEM_ID=11 FIRST_DEFAULT_ID=2 LAST_DEFAULT_ID=11"},
    {"ShapeTypes", "stDummy=0 stLine=1 stRectangle=2 stArc=3 stCircle=4 stEllipse=5 stPolyline=6 "
                   "stCurve=7 stGroup=8 stLayer=9 stImage=10 stText=11 stReference=12 stPolygon=13 "
                   "stHatch=14"},
    {"RedrawFlags", "rfRedrawAll=1 rfCopyBuf=2 rfCopyMarkers=4 rfRedrawSelection=8 rfRedrawShape=16"},
    {"YVEXControlFlags", "controlLockLimits=1 controlSaveAsBinary=2 controlDontMergeLayers=4 "
                         "controlDontOverwriteLayers=8 controlDisableRedraw=16 "
                         "controlFrameEditedImages=32 controlReferenceBoundsWithAttribs=64 "
                         "controlDisableCustomizeAttributes=128 controlSelectOnlyTopmostShape=256 "
                         "controlSelectOnlyTopmostPolyline=512"},
    {"EditShapeTypes", "EDSH_MOVE=4 EDSH_POINT=8 EDSH_NEWPOINT=16 EDSH_ROTATE=32 EDSH_SCALE=64 "
                       "EDSH_REMOVE=128 EDSH_BLOCK=256 EDSH_TEXT=512 EDSH_DELETEPOINT=1024 "
                       "EDSH_ALIGN_SHAPE=2048 EDSH_FLIP_SHAPE=4096 EDSH_PROPERTIES=8192"},
    {"EditShapeFlags", "EDFLG_NONE=0 EDFLG_NO_TRACE=1 EDFLG_NO_OLD=2 EDFLG_MULTIPLE_POINTS=4 "
                       "EDFLG_DELETE_ON_CANCEL=8"},
    {"ControlStates", "csUserCreate=1 csUserEdit=2"},
    {"ShapeFlipDirections", "sfdLeftToRight=0 sfdUpsideDown=1"},
    {"ShapesAlignments", "saLeft=0 saRight=1 saTop=2 saBottom=3 saCenter=4 saMiddle=5"},
    {"YVEXOperation", "opChange=0 opMove=1 opScale=2 opRotate=3 opCreate=4 opDelete=5 "
                      "opProperties=6 opShapePoint=7 opRelations=8 opObjectID=9"},
    {"PrintTypes", "PRINT_EXTENTS=0 PRINT_LIMITS=1 PRINT_DISPLAY=2 PRINT_SELECTION=3 PRINT_WINDOW=4"},
    {"Units", "unUnitless=0 unInches=1 unFeet=2 unMiles=3 unMillimeters=4 unCentimeters=5 "
              "unMeters=6 unKilometers=7 unMicroinches=8 unMils=9 unYards=10 unAngstroms=11 "
              "unNanometers=12 unMicrons=13 unDecimeters=14 unDecameters=15 unHectometers=16 "
              "unGigameters=17 unAstronomicalUnits=18 unLightYears=19 unParsecs=20"},
    {"DrawModeFlags", "dmfSourceExtends=0 dmfSourceLimits=1 dmfSourceDisplay=2 "
                      "dmfSourceSelection=3 dmfSourceWindow=4 dmfSourceMask=7 dmfPrecise=16"},
    {"StorageTypes", "srFile=0 srDatabase=1 srStream=2 srWeb=3 srStructures=4"},
    {"PolylineFlags", "pfNone=0 pfClosed=1 pfOrtho=0x1000 pfBezier=0x2000 pfFreeHand=0x4000 "
                      "pfRectangle=0x8000"},
    {"BlinkTypes", "btSimple=1 btAlternate=2"},
    {"ShadeTypes", "shDark=1 shLight=2 shCustom=3"},
    {"updateRefType", "urDoNotUpdateAttributes=0 urUpdateAttributes=1"},
    {"ArrowTypeIDs", "atNone=0 atArrowVI=1 atArrowVT=2 atCircle=3 atRhomb=4 atXCross=5 atSlash=6 "
                     "atArrowVIOut=256 atArrowVTOut=258 atArrowVTFilled=512 atCircleFilled=515 "
                     "atRhombFilled=516 atArrowVTFilledOut=770"},
    {"TextTypes", "ttANSI=1 ttAttrib=2 ttRTF=4 ttAttDef=8 ttLabel=16"},
    {"Alignments", "alLeft=0 alRight=2 alCenter=6 alTopLeft=0 alTopCenter=6 alTopRight=2 "
                   "alMiddleLeft=65536 alMiddleCenter=65542 alMiddleRight=65538 alBottomLeft=8 "
                   "alBottomCenter=14 alBottomRight=10"},
    {"MenuItemIDs",
     "miAddTailPoint=33019 miAlignBottom=33020 miAlignLeft=33022 miAlignRight=33023 "
     "miAlignTop=33024 miBringToFront=33025 miCancel=33061 miClosePolyline=33026 "
     "miOpenPolyline=33026 miComplete=33027 miContinue=33028 miCopy=33029 miCreateBlock=33030 "
     "miCreateReference=33031 miCut=33032 miDefaultSize=33033 miDelete=33062 "
     "miDeletePoint=33034 miDeleteHeadPoint=33034 miDeleteTailPoint=33034 miDrawArc=33035 "
     "miDrawCircle=33036 miDrawEllipse=33037 miDrawImage=33038 miDrawLine=33039 "
     "miDrawPolygon=33040 miDrawPolyline=33041 miDrawFreeHand=33231 miDrawBezier=33205 "
     "miDrawRectangle=33054 miDrawRTFText=33042 miDrawText=33043 miEditBlock=33044 "
     "miViewBlock=33044 miEnter=33063 miFlipHorz=33045 miFlipVert=33046 miGroupSelection=33073 "
     "miHatchShape=33047 miInsertPoint=33049 miLoadFromDB=33050 miLoadFromDXF=33051 "
     "miMove=33064 miOptions=33052 miPaste=33053 miProperties=33066 miRotate=33055 "
     "miRotateLeft=33056 miRotateRight=33057 miSaveToDB=33058 miSaveToDXF=33059 miScale=33068 "
     "miSendToBack=33060 miShowGrid=33065 miSnapToGrid=33069 miUngroupSelection=33074 "
     "miZoomAll=33075 miZoomIn=33070 miZoomOut=33071 miZoomWindow=33072 miZoomPrevious=33111 "
     "miZoomSelection=33225 miAddHeadPoint=33232 miEditGroup=33076 miEditChildren=33076 "
     "miBlockBaseOnLefttop=33077 miBlockBaseOnLeftbottom=33078 miBlockBaseOnRighttop=33079 "
     "miBlockBaseOnRightbottom=33080 miBlockBaseOnCenter=33081 miBlockBaseOnClick=33082 "
     "miVertices=33083 miEditText=33084 miAlignCenter=33085 miAlignMiddle=33086 "
     "miResetReferenceAttributes=33118 miAttributeLeaders=33255"},
    {"LineTypes",
     "ltUndefined=0 ltSelected=1 ltContinuous=2 ltBorder=3 ltBorder2=4 ltBorderx2=5 ltCenter=6 "
     "ltCenter2=7 ltCenterx2=8 ltDashdot=9 ltDashdot2=10 ltDashdotx2=11 ltDashed=12 "
     "ltDashed2=13 ltDashedx2=14 ltDivide=15 ltDivide2=16 ltDividex2=17 ltDot=18 ltDot2=19 "
     "ltDotx2=20 ltHidden=21 ltHidden2=22 ltHiddenx2=23 ltPhantom=24 ltPhantom2=25 "
     "ltPhantomx2=26 ltAcadIso02w100=27 ltAcadIso03w100=28 ltAcadIso04w100=29 "
     "ltAcadIso05w100=30 ltAcadIso06w100=31 ltAcadIso07w100=32 ltAcadIso08w100=33 "
     "ltAcadIso09w100=34 ltAcadIso10w100=35 ltAcadIso11w100=36 ltAcadIso12w100=37 "
     "ltAcadIso13w100=38 ltAcadIso14w100=39 ltAcadIso15w100=40 ltNumberOfValues=41 "
     "ltByLayer=0x4000 ltByBlock=0x8000"},
    {"Colors", "coByBrush=0x10000000 coByLayer=0x20000000 coByBlock=0x40000000"},
    {"ShapeDBFlags", "sdbfNone=0 sdbfEnabled=1 sdbfVisible=2 sdbfClosed=4 sdbfOrtho=8 "
                     "sdbfBezier=16 sdbfWidth=0x20 sdbfHeight=0x40 sdbfAspect=0x80 sdbfXpos=0x100 "
                     "sdbfYpos=0x200 sdbfRotation=0x400 sdbfDeletion=0x800 "
                     "sdbfFontUnderline=0x2000 sdbfFontItalic=0x4000 "
                     "sdbfFontStrikethrough=0x8000 sdbfFontBold=0x10000 "
                     "sdbfCustomChild=0x20000 sdbfLabelLeader=0xC0000"},
    {"HatchPatternIDs",
     "hpNone=0 hpSolid=1 hpAngle=2 hpAnsi31=3 hpAnsi32=4 hpAnsi33=5 hpAnsi34=6 hpAnsi35=7 "
     "hpAnsi36=8 hpAnsi37=9 hpBrass=10 hpDolmit=11 hpDash=12 hpClay=13 hpGrate=14 hpInsul=15 "
     "hpLine=16 hpMudst=17 hpNet=18 hpNet3=19 hpPlast=20 hpPlasti=21 hpSacncr=22 hpSquare=23 "
     "hpSteel=24 hpTrans=25 hpZigzag=26 hpDiagonal=27 hpNumberOfValues=28 hpByLayer=0x4000 "
     "hpByBlock=0x8000"},
    {"ModuleSettingsOverwriting", "soIgnoreLoadingSettings=-1 soMergeSettings=0 soOverwriteSettings=1"},
    {"UnitsSource", "usUseCurrentUnits=-1 usIgnoreUnitsChanging=0 usUseUnitsFromLoadingModule=1"},
    {"DisableModules", "dmDisableExistingModule=-1 dmEnableAll=0 dmDisableLoadingModule=1"},
    {"MessageTypes", "mtUpdateShapeMessage=1 mtDeleteShapeMessage=2"},
    {"ImageResourceTypes", "irtUnknown=0 irtExtMetafile=1 irtBitmap=2 irtJPEG=3 irtGIF=4 "
                           "irtTIFF=5 irtPNG=6"},
    {"OptionsPageIndex", "OPTPAGE_GENERALDLG=0 OPTPAGE_DRAWINGSETTINGSDLG=1 OPTPAGE_VIEWPORTSDLG=2 "
                         "OPTPAGE_LAYERSDLG=3 OPTPAGE_IMAGESDLG=4 OPTPAGE_HATCHESDLG=5 "
                         "OPTPAGE_BLOCKSDLG=6 OPTPAGE_DEFAULTSHAPESDLG=7 OPTPAGE_ABOUT=8 "
                         "OPTPAGE_COUNT=9"},
    {"DXFProcessingModes",
     "DXFMODE_REMEMBER_FILENAME=1 DXFMODE_BLOCKS=2 DXFMODE_LOAD=4 DXFMODE_STREAM=8 "
     "DXFMODE_APPEND=16 DXFMODE_MINIMIZE_SAVED_DATA=32 DXFMODE_NOT_MERGE_LAYERS=32 "
     "DXFMODE_IGNORE_LAYERS=64 DXFMODE_DO_NOT_ALIGN_SHAPES=128 DXFMODE_SINGLE_OBJECT=256 "
     "DXFMODE_DO_NOT_OVERWRITE_LAYERS=512 DXFMODE_USE_YVEX_IDENTIFIERS=1024 "
     "DXFMODE_PROCESS_TREE_ONLY=2048 DXFMODE_SAVE_UNDO_DATA=4096 DXFMODE_QUIET=0x2000 "
     "DXFMODE_ALL_ENABLED=0x4000 DXFMODE_ALL_VISIBLE=0x8000 DXFMODE_FOREGROUND=0x10000 "
     "DXFMODE_READONLY=0x20000 DXFMODE_RESTORE_DBID=0x40000"},
    {"ErrorCodes",
     "er_OK=0 er_Failed=1 er_UserCancel=0x101 er_FindObject=0x102 er_NoMemory=0x108 "
     "er_GeneralError=65535 erAPIModule=0x01000000 erDXFModule=0x02000000 "
     "erDrawingModule=0x03000000 erWEBSRVModule=0x04000000 erIMAGEProcessModule=0x05000000 "
     "erAllModulesMask=0x0F000000 erCriticalError=0x40000000 erIMAGE_OpenFile=0x05000104 "
     "erIMAGE_ReadData=0x05000105 erIMAGE_UnknownFormat=0x05000106 "
     "erIMAGE_WriteData=0x05000107 erIMAGE_NoMemory=0x05000108 erIMAGE_GeneralError=0x0500FFFF"},
    {"DBFileTypes", "dbtAccess=1"},
    {"PointAlignments", "paNone=0 paBoundingRectIntersection=1 paBorder=2 paBorderIntersection=3 "
                        "paBoundingRect=4 paBoundingRectCorner=5 paBoundingRectLineCenter=6"},
    {"TextLeaderTypes", "tltNone=0 tltSimple=1 tltFromNearestSide=2"},
    // YVEXControlEventType is checked against the event table.
};

// ---------------------------------------------------------------------------------------
// Coclasses: default interface and, where there is one, the default source interface.
struct CoclassRow { const char* name; const char* defaultInterface; const char* source; bool control; };
const CoclassRow kCoclasses[] = {
    {"YVEXControl", "IYVEXControl", "_IYVEXControlEvents", true},
    {"Site", "ISite", nullptr, false},
    {"ShapeCollection", "IShapeCollection", nullptr, false},
    {"SelectedShapeCollection", "IShapeCollection", nullptr, false},
    {"GlobalShapeCollection", "IShapeCollection", nullptr, false},
    {"ReadOnlyShapeCollection", "IReadOnlyShapeCollection", nullptr, false},
    {"ReadOnlyReferenceShapeCollection", "IReadOnlyReferenceShapeCollection", nullptr, false},
    {"Shape", "IShape", nullptr, false},
    {"EllipseShape", "IEllipseShape", nullptr, false},
    {"ArcShape", "IArcShape", nullptr, false},
    {"CircleShape", "ICircleShape", nullptr, false},
    {"HighlightGroupShape", "IHighlightGroupShape", nullptr, false},
    {"GroupShape", "IGroupShape", nullptr, false},
    {"LayerShape", "ILayerShape", nullptr, false},
    {"LineShape", "ILineShape", nullptr, false},
    {"ImageShape", "IImageShape", nullptr, false},
    {"ReferenceShape", "IReferenceShape", nullptr, false},
    {"PolylineShape", "IPolylineShape", nullptr, false},
    {"TextShape", "ITextShape", nullptr, false},
    {"Point", "IPoint", nullptr, false},
    {"PointCollection", "IPointCollection", nullptr, false},
    {"GlobalPointCollection", "IPointCollection", nullptr, false},
    {"PolylinePointCollection", "IPolylinePointCollection", nullptr, false},
    {"LinkedPointCollection", "ILinkedPointCollection", nullptr, false},
    {"DrawingSetting", "IDrawingSetting", nullptr, false},
    {"DrawingSettingCollection", "IDrawingSettingCollection", nullptr, false},
    {"HatchPattern", "IHatchPattern", nullptr, false},
    {"HatchPatternCollection", "IHatchPatternCollection", nullptr, false},
    {"ImageResourceObject", "IImageResource", nullptr, false},
    {"ImageResourceCollection", "IImageResourceCollection", nullptr, false},
    {"YVEXPrint", "IYVEXPrint", nullptr, false},
    {"DataIO", "IDataIO", nullptr, false},
    {"DXFOperations", "IDXFOperations", nullptr, false},
    {"PersistDB", "IPersistDB", nullptr, false},
    {"PersistWeb", "IPersistWeb", nullptr, false},
    {"Messenger", "IMessenger", nullptr, false},
    {"Attribute", "IAttribute", nullptr, false},
    {"AttributeType", "IAttributeType", nullptr, false},
    {"AttributeGroup", "IAttributeGroup", nullptr, false},
    {"AttributeCollection", "IAttributeCollection", nullptr, false},
    {"AttributeTypeCollection", "IAttributeTypeCollection", nullptr, false},
    {"AttributeGroupCollection", "IAttributeGroupCollection", nullptr, false},
    {"ShapeAttributeGroupCollection", "IShapeAttributeGroupCollection", nullptr, false},
    {"Vertex", "IVertex", nullptr, false},
    {"VertexCollection", "IVertexCollection", nullptr, false},
    {"ReadOnlyVertexCollection", "IReadOnlyVertexCollection", nullptr, false},
    {"ViewportObject", "IViewport", nullptr, false},
    {"ViewportCollection", "IViewportCollection", nullptr, false},
    {"MenuCollection", "IMenuCollection", nullptr, false},
    {"MenuItem", "IMenuItem", nullptr, false},
    {"Ruler", "IRuler", nullptr, true},
    {"GeneralPropPage", "IUnknown", nullptr, false},
};

// Hidden members that hand over an internal object, a handle or a host structure: every
// listed parameter must be pointer-sized, so that nothing is cut to 32 bits on x64.
struct PointerParamRow { const char* iface; const char* member; INVOKEKIND kind; std::vector<int> params; };
const PointerParamRow kPointerParams[] = {
    {"ISite", "_Init", INVOKE_FUNC, {0}},
    {"ISite", "Draw", INVOKE_FUNC, {0}},
    {"ISite", "DrawEx", INVOKE_FUNC, {0}},
    {"ISite", "ResourceHandle", INVOKE_PROPERTYGET, {0}},
    {"ISite", "ResourceHandle", INVOKE_PROPERTYPUT, {0}},
    {"_IReadOnlyCollection", "_Init", INVOKE_FUNC, {0, 1, 2}},
    {"IShape", "_Init", INVOKE_FUNC, {0, 1}},
    {"IPoint", "_Init", INVOKE_FUNC, {0, 1}},
    {"IDrawingSetting", "_Init", INVOKE_FUNC, {0, 1}},
    {"IHatchPattern", "_Init", INVOKE_FUNC, {0, 1}},
    {"IImageResource", "_Init", INVOKE_FUNC, {0, 1}},
    {"IImageResourceCollection", "LoadResourceFromHandle", INVOKE_FUNC, {0}},
    {"IYVEXPrint", "RestorePrinterSettings", INVOKE_FUNC, {0}},
    {"IYVEXPrint", "StorePrinterSettings", INVOKE_FUNC, {0}},
    {"IYVEXPrint", "DrawSiteMetafile", INVOKE_FUNC, {1}},
    {"IYVEXPrint", "PrintSiteMetafile", INVOKE_FUNC, {0, 1, 2}},
    {"IYVEXPrint", "_YVEXControl", INVOKE_PROPERTYPUT, {0}},
    {"IDataIO", "_YVEXControl", INVOKE_PROPERTYPUT, {0}},
    {"IDXFOperations", "_YVEXControl", INVOKE_PROPERTYPUT, {0}},
    {"IPersistDB", "_YVEXControl", INVOKE_PROPERTYPUT, {0}},
    {"IPersistWeb", "_YVEXControl", INVOKE_PROPERTYPUT, {0}},
    {"IMessenger", "_YVEXControl", INVOKE_PROPERTYPUT, {0}},
    {"IDTCio", "LoadDTC", INVOKE_FUNC, {0}},
    {"IDTCio", "SaveDTC", INVOKE_FUNC, {2}},
    {"IDTCio", "ReleaseDTC", INVOKE_FUNC, {0}},
    {"IAttributeBase", "_Init", INVOKE_FUNC, {0, 1}},
    {"IVertex", "_Init", INVOKE_FUNC, {0}},
    {"IViewport", "_Init", INVOKE_FUNC, {0, 1}},
};

// ---------------------------------------------------------------------------------------
// Reading the library.

template <class T>
class Ref
{
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { Reset(); }
    void Reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    T** operator&()
    {
        Reset();
        return &p_;
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

std::string Narrow(const wchar_t* s)
{
    std::string out;
    for (; s && *s; ++s)
        out += static_cast<char>(*s);
    return out;
}

GUID ParseGuid(const char* text)
{
    GUID g{};
    std::wstring braced = L"{" + Widen(text) + L"}";
    EXPECT_EQ(S_OK, CLSIDFromString(braced.c_str(), &g)) << text;
    return g;
}

std::string NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL)
{
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr)))
        return "?";
    std::string out = Narrow(name);
    SysFreeString(name);
    return out;
}

// Owns a TYPEATTR, FUNCDESC or VARDESC for the scope of a check.
class TypeAttr
{
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) { EXPECT_EQ(S_OK, info->GetTypeAttr(&attr_)); }
    ~TypeAttr() { if (attr_) info_->ReleaseTypeAttr(attr_); }
    const TYPEATTR* operator->() const { return attr_; }
private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

class FuncDesc
{
public:
    FuncDesc(ITypeInfo* info, UINT index) : info_(info) { EXPECT_EQ(S_OK, info->GetFuncDesc(index, &desc_)); }
    ~FuncDesc() { if (desc_) info_->ReleaseFuncDesc(desc_); }
    const FUNCDESC* operator->() const { return desc_; }
private:
    ITypeInfo* info_;
    FUNCDESC* desc_ = nullptr;
};

class VarDesc
{
public:
    VarDesc(ITypeInfo* info, UINT index) : info_(info) { EXPECT_EQ(S_OK, info->GetVarDesc(index, &desc_)); }
    ~VarDesc() { if (desc_) info_->ReleaseVarDesc(desc_); }
    const VARDESC* operator->() const { return desc_; }
private:
    ITypeInfo* info_;
    VARDESC* desc_ = nullptr;
};

const char* GuidOf(const char* name)
{
    for (const IdRow& row : kIds)
        if (strcmp(row.name, name) == 0)
            return row.guid;
    ADD_FAILURE() << "no identifier listed for " << name;
    return "00000000-0000-0000-0000-000000000000";
}

const InterfaceRow* FindInterface(const std::string& name)
{
    for (const InterfaceRow& row : kInterfaces)
        if (name == row.name)
            return &row;
    return nullptr;
}

// Vtable slots of an interface's own members: they follow the base interface's slots.
int SlotCount(const std::string& name);

int FirstSlot(const InterfaceRow& row)
{
    if (strcmp(row.base, "IUnknown") == 0)
        return 3;
    if (strcmp(row.base, "IDispatch") == 0)
        return 7;
    return SlotCount(row.base);
}

int SlotCount(const std::string& name)
{
    const InterfaceRow* row = FindInterface(name);
    if (!row) {
        ADD_FAILURE() << "unknown base " << name;
        return 0;
    }
    int n = FirstSlot(*row);
    for (const MemberRow& m : row->members)
        n += m.kind == GP ? 2 : 1;
    return n;
}

struct Slot { std::string name; INVOKEKIND kind; DISPID id; };

std::vector<Slot> ExpectedSlots(const InterfaceRow& row)
{
    std::vector<Slot> slots;
    for (const MemberRow& m : row.members) {
        switch (m.kind) {
        case M: slots.push_back({m.name, INVOKE_FUNC, m.id}); break;
        case G: slots.push_back({m.name, INVOKE_PROPERTYGET, m.id}); break;
        case P: slots.push_back({m.name, INVOKE_PROPERTYPUT, m.id}); break;
        case GP:
            slots.push_back({m.name, INVOKE_PROPERTYGET, m.id});
            slots.push_back({m.name, INVOKE_PROPERTYPUT, m.id});
            break;
        }
    }
    return slots;
}

const char* KindName(INVOKEKIND k)
{
    switch (k) {
    case INVOKE_FUNC: return "method";
    case INVOKE_PROPERTYGET: return "get";
    case INVOKE_PROPERTYPUT: return "put";
    default: return "putref";
    }
}

// Resolves aliases (LONG_PTR and the like) down to the base variant type.
VARTYPE BaseType(ITypeInfo* info, TYPEDESC desc)
{
    while (desc.vt == VT_USERDEFINED) {
        Ref<ITypeInfo> ref;
        if (FAILED(info->GetRefTypeInfo(desc.hreftype, &ref)))
            return VT_EMPTY;
        TypeAttr attr(ref.get());
        if (attr->typekind == TKIND_ENUM)
            return VT_I4;
        if (attr->typekind != TKIND_ALIAS)
            return VT_USERDEFINED;
        desc = attr->tdescAlias;
    }
    return desc.vt;
}

// Where the type library under test comes from: the .tlb that widl wrote, and the copy
// embedded in yvex.dll as its resource 1, which is what registration publishes.
std::wstring LibraryPath(const char* which)
{
    const char* dir = getenv("YVEX_BINARY_DIR");
    std::string base = dir ? dir : ".";
    for (char& c : base)
        if (c == '/')
            c = '\\';
    std::string path = base + "\\automation\\" + which;
    if (path.size() > 1 && path[0] == '\\')
        path = "Z:" + path;
    return Widen(path.c_str());
}

class TypeLibTest : public ::testing::TestWithParam<const char*>
{
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override
    {
        std::wstring path = LibraryPath(GetParam());
        ASSERT_EQ(S_OK, LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib_)) << Narrow(path.c_str());
    }

    // The vtable half of an interface (the interface itself for a dual's dispatch half).
    bool VtableInfo(const char* name, Ref<ITypeInfo>& out)
    {
        Ref<ITypeInfo> info;
        HRESULT hr = lib_->GetTypeInfoOfGuid(ParseGuid(GuidOf(name)), &info);
        EXPECT_EQ(S_OK, hr) << name;
        if (FAILED(hr))
            return false;
        TypeAttr attr(info.get());
        if (attr->typekind == TKIND_DISPATCH) {
            EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL) << name << " is not dual";
            HREFTYPE ref = 0;
            EXPECT_EQ(S_OK, info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) << name;
            return SUCCEEDED(info->GetRefTypeInfo(ref, &out));
        }
        EXPECT_EQ(TKIND_INTERFACE, attr->typekind) << name;
        out.Reset();
        info.get()->AddRef();
        *(&out) = info.get();
        return true;
    }

    Ref<ITypeLib> lib_;
};

TEST_P(TypeLibTest, LibraryNameIdentifierAndVersion)
{
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, lib_->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(ParseGuid(GuidOf("YVEXLib")), attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    lib_->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    ASSERT_EQ(S_OK, lib_->GetDocumentation(-1, &name, nullptr, nullptr, nullptr));
    EXPECT_EQ("YVEXLib", Narrow(name));
    SysFreeString(name);
}

// Every type of the library has its listed identifier, and the library holds exactly the
// listed types (besides the standard interfaces it refers to).
TEST_P(TypeLibTest, HoldsExactlyTheListedTypesUnderTheirIdentifiers)
{
    const std::set<std::string> standard = {"IUnknown", "IDispatch", "IPersist", "IPersistFile", "IPrint", "IContinueCallback"};
    std::map<TYPEKIND, int> counts;
    std::set<std::string> seen;
    for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
        Ref<ITypeInfo> info;
        ASSERT_EQ(S_OK, lib_->GetTypeInfo(i, &info));
        TypeAttr attr(info.get());
        std::string name = NameOf(info.get());
        if (attr->typekind == TKIND_ALIAS || attr->typekind == TKIND_RECORD || attr->typekind == TKIND_UNION)
            continue;  // pointer-sized integers and the structures of the standard interfaces
        if (standard.count(name))
            continue;
        counts[attr->typekind]++;
        seen.insert(name);
        bool listed = false;
        for (const IdRow& row : kIds) {
            if (name == row.name) {
                listed = true;
                EXPECT_TRUE(IsEqualGUID(ParseGuid(row.guid), attr->guid)) << name << " changed its identifier";
            }
        }
        EXPECT_TRUE(listed) << name << " is not in the published object model";
    }
    for (const IdRow& row : kIds) {
        if (strcmp(row.name, "YVEXLib") != 0) {
            EXPECT_TRUE(seen.count(row.name)) << row.name << " is missing";
        }
    }
    EXPECT_EQ(53 + 2, counts[TKIND_DISPATCH]);  // the dual interfaces and the two event interfaces
    EXPECT_EQ(1, counts[TKIND_INTERFACE]);  // the undo unit's interface, not dual
    EXPECT_EQ(static_cast<int>(std::size(kEnums)) + 1, counts[TKIND_ENUM]);
    EXPECT_EQ(static_cast<int>(std::size(kCoclasses)), counts[TKIND_COCLASS]);
}

// Each interface: its base, and its own members in vtable order with name, kind, dispatch ID
// and vtable slot; nothing more and nothing less.
TEST_P(TypeLibTest, InterfacesHaveTheirMembersInVtableOrderWithTheirDispatchIds)
{
    EXPECT_EQ(54u, std::size(kInterfaces));
    for (const InterfaceRow& row : kInterfaces) {
        SCOPED_TRACE(row.name);
        Ref<ITypeInfo> info;
        if (!VtableInfo(row.name, info))
            continue;
        TypeAttr attr(info.get());
        EXPECT_EQ(row.name, NameOf(info.get()));
        ASSERT_EQ(1, attr->cImplTypes);
        HREFTYPE baseRef = 0;
        ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &baseRef));
        Ref<ITypeInfo> base;
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(baseRef, &base));
        EXPECT_EQ(row.base, NameOf(base.get()));

        std::vector<Slot> expected = ExpectedSlots(row);
        ASSERT_EQ(expected.size(), static_cast<size_t>(attr->cFuncs));
        int slot = FirstSlot(row);
        for (UINT i = 0; i < attr->cFuncs; ++i, ++slot) {
            FuncDesc f(info.get(), i);
            const Slot& e = expected[i];
            std::string name = NameOf(info.get(), f->memid);
            EXPECT_EQ(e.name, name) << "slot " << slot;
            EXPECT_EQ(e.kind, f->invkind) << e.name << " should be a " << KindName(e.kind);
            EXPECT_EQ(e.id, f->memid) << e.name << " (" << KindName(e.kind) << ")";
            EXPECT_EQ(slot, f->oVft / static_cast<int>(sizeof(void*))) << e.name;
            EXPECT_EQ(CC_STDCALL, f->callconv) << e.name;
        }
    }
}

TEST_P(TypeLibTest, ControlEventsHaveDispatchIdsOneToFiftyNine)
{
    static_assert(std::size(kControlEvents) == 59, "59 events");
    static_assert(std::size(kControlEventParams) == 59, "one count per event");
    Ref<ITypeInfo> info;
    ASSERT_EQ(S_OK, lib_->GetTypeInfoOfGuid(ParseGuid(GuidOf("_IYVEXControlEvents")), &info));
    TypeAttr attr(info.get());
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    EXPECT_FALSE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    ASSERT_EQ(59, attr->cFuncs);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FuncDesc f(info.get(), i);
        ASSERT_GE(f->memid, 1);
        ASSERT_LE(f->memid, 59);
        int n = f->memid - 1;
        EXPECT_EQ(kControlEvents[n], NameOf(info.get(), f->memid)) << "event " << f->memid;
        EXPECT_EQ(kControlEventParams[n], f->cParams) << kControlEvents[n];
        EXPECT_EQ(INVOKE_FUNC, f->invkind);
    }

    // The enum that names the events numbers them the same way.
    Ref<ITypeInfo> named;
    ASSERT_EQ(S_OK, lib_->GetTypeInfoOfGuid(ParseGuid(GuidOf("YVEXControlEventType")), &named));
    TypeAttr enumAttr(named.get());
    ASSERT_EQ(59, enumAttr->cVars);
    for (UINT i = 0; i < enumAttr->cVars; ++i) {
        VarDesc v(named.get(), i);
        std::string name = NameOf(named.get(), v->memid);
        LONG value = V_I4(v->lpvarValue);
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 59);
        EXPECT_EQ(std::string("cet") + kControlEvents[value - 1], name);
    }
}

TEST_P(TypeLibTest, WebDownloadEventsHaveTheirDispatchIds)
{
    Ref<ITypeInfo> info;
    ASSERT_EQ(S_OK, lib_->GetTypeInfoOfGuid(ParseGuid(GuidOf("_IPersistWebEventHandler")), &info));
    TypeAttr attr(info.get());
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    ASSERT_EQ(3, attr->cFuncs);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FuncDesc f(info.get(), i);
        EXPECT_EQ(static_cast<MEMBERID>(i + 1), f->memid);
        EXPECT_EQ(kWebEvents[i], NameOf(info.get(), f->memid));
    }
}

std::map<std::string, LONG> ParseMembers(const char* text)
{
    std::map<std::string, LONG> out;
    std::istringstream in(text);
    std::string item;
    while (in >> item) {
        size_t eq = item.find('=');
        EXPECT_EQ(0u, out.count(item.substr(0, eq))) << item;
        out[item.substr(0, eq)] = static_cast<LONG>(strtoll(item.c_str() + eq + 1, nullptr, 0));
    }
    return out;
}

TEST_P(TypeLibTest, EnumsHaveTheirMemberValues)
{
    for (const EnumRow& row : kEnums) {
        SCOPED_TRACE(row.name);
        Ref<ITypeInfo> info;
        ASSERT_EQ(S_OK, lib_->GetTypeInfoOfGuid(ParseGuid(GuidOf(row.name)), &info));
        TypeAttr attr(info.get());
        EXPECT_EQ(TKIND_ENUM, attr->typekind);
        EXPECT_EQ(row.name, NameOf(info.get()));
        std::map<std::string, LONG> expected = ParseMembers(row.members);
        EXPECT_EQ(expected.size(), static_cast<size_t>(attr->cVars));
        for (UINT i = 0; i < attr->cVars; ++i) {
            VarDesc v(info.get(), i);
            std::string name = NameOf(info.get(), v->memid);
            ASSERT_EQ(VAR_CONST, v->varkind);
            auto it = expected.find(name);
            if (it == expected.end()) {
                ADD_FAILURE() << "unexpected member " << name;
                continue;
            }
            EXPECT_EQ(it->second, V_I4(v->lpvarValue)) << name;
        }
    }
}

TEST_P(TypeLibTest, CoclassesNameTheirDefaultAndSourceInterfaces)
{
    for (const CoclassRow& row : kCoclasses) {
        SCOPED_TRACE(row.name);
        Ref<ITypeInfo> info;
        ASSERT_EQ(S_OK, lib_->GetTypeInfoOfGuid(ParseGuid(GuidOf(row.name)), &info));
        TypeAttr attr(info.get());
        ASSERT_EQ(TKIND_COCLASS, attr->typekind);
        EXPECT_EQ(row.name, NameOf(info.get()));
        EXPECT_EQ(row.control, (attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0);
        std::string defaultName, sourceName;
        for (UINT i = 0; i < attr->cImplTypes; ++i) {
            INT flags = 0;
            ASSERT_EQ(S_OK, info->GetImplTypeFlags(i, &flags));
            HREFTYPE ref = 0;
            ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(i, &ref));
            Ref<ITypeInfo> impl;
            ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, &impl));
            if ((flags & IMPLTYPEFLAG_FDEFAULT) && (flags & IMPLTYPEFLAG_FSOURCE))
                sourceName = NameOf(impl.get());
            else if (flags & IMPLTYPEFLAG_FDEFAULT)
                defaultName = NameOf(impl.get());
        }
        EXPECT_EQ(row.defaultInterface, defaultName);
        EXPECT_EQ(row.source ? row.source : "", sourceName);
    }
}

TEST_P(TypeLibTest, HiddenMembersThatCarryObjectsArePointerSized)
{
    for (const PointerParamRow& row : kPointerParams) {
        SCOPED_TRACE(std::string(row.iface) + "::" + row.member + " " + KindName(row.kind));
        Ref<ITypeInfo> info;
        ASSERT_TRUE(VtableInfo(row.iface, info));
        TypeAttr attr(info.get());
        bool found = false;
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            FuncDesc f(info.get(), i);
            if (f->invkind != row.kind || NameOf(info.get(), f->memid) != row.member)
                continue;
            found = true;
            for (int p : row.params) {
                ASSERT_LT(p, f->cParams);
                TYPEDESC desc = f->lprgelemdescParam[p].tdesc;
                if (desc.vt == VT_PTR)  // an out parameter
                    desc = *desc.lptdesc;
                VARTYPE vt = BaseType(info.get(), desc);
                bool pointerSized = sizeof(void*) == 8 ? (vt == VT_I8 || vt == VT_UI8)
                                                       : (vt == VT_I4 || vt == VT_UI4 || vt == VT_INT || vt == VT_UINT);
                EXPECT_TRUE(pointerSized) << "parameter " << p << " has type " << vt;
            }
        }
        EXPECT_TRUE(found);
    }
}

// A stand-in object that implements IDTCio only through the type library, as every dual
// object of the library does: ITypeInfo::Invoke must carry a handle whole on x64, and must
// widen the small integers that a script passes.
class DtcProbe : public IDTCio
{
public:
    explicit DtcProbe(ITypeInfo* info) : info_(info) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IDTCio) {
            *ppv = static_cast<IDTCio*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 1; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override
    {
        info_->AddRef();
        *out = info_;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID, DISPID* ids) override
    {
        return info_->GetIDsOfNames(names, n, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override
    {
        return info_->Invoke(static_cast<IDTCio*>(this), id, flags, params, result, excep, argErr);
    }
    STDMETHODIMP LoadDTC(LONG_PTR buffer, LONG lParam, LONG wParam) override
    {
        loaded = buffer;
        lp = lParam;
        wp = wParam;
        return S_OK;
    }
    STDMETHODIMP SaveDTC(LONG, LONG, LONG_PTR* buffer) override
    {
        *buffer = saved;
        return S_OK;
    }
    STDMETHODIMP ReleaseDTC(LONG_PTR buffer) override
    {
        released = buffer;
        return S_OK;
    }

    LONG_PTR loaded = 0, saved = 0, released = 0;
    LONG lp = 0, wp = 0;

private:
    ITypeInfo* info_;
};

TEST_P(TypeLibTest, DispatchCarriesPointerSizedValuesWhole)
{
    Ref<ITypeInfo> info;
    ASSERT_EQ(S_OK, lib_->GetTypeInfoOfGuid(IID_IDTCio, &info));
    DtcProbe probe(info.get());
    const LONG_PTR big = sizeof(void*) == 8 ? static_cast<LONG_PTR>(0x123456789ABCDEF0LL) : 0x12345678;

    // Arguments go in reverse order. The handle as a full-width integer, the others as a
    // script passes small numbers (VT_I2, and a variable by reference).
    VARIANT byRefTarget;
    VariantInit(&byRefTarget);
    V_VT(&byRefTarget) = VT_I4;
    V_I4(&byRefTarget) = 77;
    VARIANT args[3];
    for (VARIANT& a : args)
        VariantInit(&a);
    V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&args[0]) = &byRefTarget;
    V_VT(&args[1]) = VT_I2;
    V_I2(&args[1]) = 42;
    V_VT(&args[2]) = sizeof(void*) == 8 ? VT_I8 : VT_I4;
    if (sizeof(void*) == 8)
        V_I8(&args[2]) = big;
    else
        V_I4(&args[2]) = static_cast<LONG>(big);
    DISPPARAMS params = {args, nullptr, 3, 0};
    EXCEPINFO excep{};
    UINT argErr = 0;
    ASSERT_EQ(S_OK, probe.Invoke(0x1f5, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &excep, &argErr));
    EXPECT_EQ(big, probe.loaded);
    EXPECT_EQ(42, probe.lp);
    EXPECT_EQ(77, probe.wp);

    // A script's small number reaches a pointer-sized parameter widened, never as garbage.
    VARIANT one;
    VariantInit(&one);
    V_VT(&one) = VT_I2;
    V_I2(&one) = 7;
    DISPPARAMS single = {&one, nullptr, 1, 0};
    ASSERT_EQ(S_OK, probe.Invoke(0x1f7, IID_NULL, 0, DISPATCH_METHOD, &single, nullptr, &excep, &argErr));
    EXPECT_EQ(7, probe.released);

    // A pointer-sized result comes back whole.
    probe.saved = big;
    VARIANT two[2];
    VariantInit(&two[0]);
    VariantInit(&two[1]);
    V_VT(&two[0]) = VT_I4;
    V_VT(&two[1]) = VT_I4;
    DISPPARAMS pair = {two, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(S_OK, probe.Invoke(0x1f6, IID_NULL, 0, DISPATCH_METHOD, &pair, &result, &excep, &argErr));
    ASSERT_EQ(sizeof(void*) == 8 ? VT_I8 : VT_I4, V_VT(&result));
    EXPECT_EQ(big, sizeof(void*) == 8 ? static_cast<LONG_PTR>(V_I8(&result)) : V_I4(&result));
}

INSTANTIATE_TEST_SUITE_P(Built, TypeLibTest, ::testing::Values("YVEX.tlb", "yvex.dll"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[0] == 'y' ? "EmbeddedInDll" : "TlbFile");
                         });

}  // namespace
