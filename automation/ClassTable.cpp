// The class table: every class this module registers and creates, in registration order.
#include "automation/Module.h"
#include "automation/ArcShape.h"
#include "automation/Attribute.h"
#include "automation/AttributeCollection.h"
#include "automation/AttributeGroup.h"
#include "automation/AttributeGroupCollection.h"
#include "automation/AttributeTypeCollection.h"
#include "automation/AttributeTypeObject.h"
#include "automation/CircleShape.h"
#include "automation/DXFOperations.h"
#include "automation/DataIO.h"
#include "automation/DrawingSetting.h"
#include "automation/DrawingSettingCollection.h"
#include "automation/EllipseShape.h"
#include "automation/GlobalPointCollection.h"
#include "automation/GlobalShapeCollection.h"
#include "automation/GroupShape.h"
#include "automation/HatchPatternCollection.h"
#include "automation/HatchPatternObject.h"
#include "automation/HighlightGroupShape.h"
#include "automation/ImageResourceCollection.h"
#include "automation/ImageResourceObject.h"
#include "automation/ImageShape.h"
#include "automation/LayerShape.h"
#include "automation/LineShape.h"
#include "automation/LinkedPointCollection.h"
#include "automation/MenuCollection.h"
#include "automation/MenuItem.h"
#include "automation/Messenger.h"
#include "automation/PersistDB.h"
#include "automation/PersistWeb.h"
#include "automation/Point.h"
#include "automation/PointCollection.h"
#include "automation/PolylinePointCollection.h"
#include "automation/PolylineShape.h"
#include "automation/ReadOnlyReferenceShapeCollection.h"
#include "automation/ReadOnlyShapeCollection.h"
#include "automation/ReadOnlyVertexCollection.h"
#include "automation/ReferenceShape.h"
#include "automation/SelectedShapeCollection.h"
#include "automation/ShapeAttributeGroupCollection.h"
#include "automation/ShapeCollection.h"
#include "automation/ShapeObject.h"
#include "automation/Site.h"
#include "automation/TextShape.h"
#include "automation/Vertex.h"
#include "automation/VertexCollection.h"
#include "automation/ViewportCollection.h"
#include "automation/ViewportObject.h"
#include "automation/YVEXPrint.h"
#include "automation/registry/RegistryResources.h"
#include "control/YVEXControl.h"
#include "ui/GeneralPropPage.h"
#include "ui/Ruler.h"

const ycom::ClassEntry g_yvexClasses[] = {
    CLASS_ENTRY(CYVEXControl, L"YVEXControl", IDR_YVEXCONTROL),
    CLASS_ENTRY(CSite, L"Site", IDR_SITE),
    CLASS_ENTRY(CShapeCollection, L"ShapeCollection", IDR_SHAPECOLLECTION),
    CLASS_ENTRY(CSelectedShapeCollection, L"SelectedShapeCollection", IDR_SELECTEDSHAPECOLLECTION),
    CLASS_ENTRY(CGlobalShapeCollection, L"GlobalShapeCollection", IDR_GLOBALSHAPECOLLECTION),
    CLASS_ENTRY(CReadOnlyShapeCollection, L"ReadOnlyShapeCollection", IDR_READONLYSHAPECOLLECTION),
    CLASS_ENTRY(CReadOnlyReferenceShapeCollection, L"ReadOnlyReferenceShapeCollection", IDR_READONLYREFERENCESHAPECOLLECTION),
    CLASS_ENTRY(CShapeObject, L"Shape", IDR_SHAPE),
    CLASS_ENTRY(CEllipseShape, L"EllipseShape", IDR_ELLIPSESHAPE),
    CLASS_ENTRY(CArcShape, L"ArcShape", IDR_ARCSHAPE),
    CLASS_ENTRY(CCircleShape, L"CircleShape", IDR_CIRCLESHAPE),
    CLASS_ENTRY(CHighlightGroupShape, L"HighlightGroupShape", IDR_HIGHLIGHTGROUPSHAPE),
    CLASS_ENTRY(CGroupShape, L"GroupShape", IDR_GROUPSHAPE),
    CLASS_ENTRY(CLayerShape, L"LayerShape", IDR_LAYERSHAPE),
    CLASS_ENTRY(CLineShape, L"LineShape", IDR_LINESHAPE),
    CLASS_ENTRY(CImageShape, L"ImageShape", IDR_IMAGESHAPE),
    CLASS_ENTRY(CReferenceShape, L"ReferenceShape", IDR_REFERENCESHAPE),
    CLASS_ENTRY(CPolylineShape, L"PolylineShape", IDR_POLYLINESHAPE),
    CLASS_ENTRY(CTextShape, L"TextShape", IDR_TEXTSHAPE),
    CLASS_ENTRY(CPoint, L"Point", IDR_POINT),
    CLASS_ENTRY(CPointCollection, L"PointCollection", IDR_POINTCOLLECTION),
    CLASS_ENTRY(CGlobalPointCollection, L"GlobalPointCollection", IDR_GLOBALPOINTCOLLECTION),
    CLASS_ENTRY(CPolylinePointCollection, L"PolylinePointCollection", IDR_POLYLINEPOINTCOLLECTION),
    CLASS_ENTRY(CLinkedPointCollection, L"LinkedPointCollection", IDR_LINKEDPOINTCOLLECTION),
    CLASS_ENTRY(CDrawingSetting, L"DrawingSetting", IDR_DRAWINGSETTING),
    CLASS_ENTRY(CDrawingSettingCollection, L"DrawingSettingCollection", IDR_DRAWINGSETTINGCOLLECTION),
    CLASS_ENTRY(CHatchPatternObject, L"HatchPattern", IDR_HATCHPATTERN),
    CLASS_ENTRY(CHatchPatternCollection, L"HatchPatternCollection", IDR_HATCHPATTERNCOLLECTION),
    CLASS_ENTRY(CImageResourceObject, L"ImageResourceObject", IDR_IMAGERESOURCEOBJECT),
    CLASS_ENTRY(CImageResourceCollection, L"ImageResourceCollection", IDR_IMAGERESOURCECOLLECTION),
    CLASS_ENTRY(CYVEXPrint, L"YVEXPrint", IDR_YVEXPRINT),
    CLASS_ENTRY(CDataIO, L"DataIO", IDR_DATAIO),
    CLASS_ENTRY(CDXFOperations, L"DXFOperations", IDR_DXFOPERATIONS),
    CLASS_ENTRY(CPersistDB, L"PersistDB", IDR_PERSISTDB),
    CLASS_ENTRY(CPersistWeb, L"PersistWeb", IDR_PERSISTWEB),
    CLASS_ENTRY(CMessenger, L"Messenger", IDR_MESSENGER),
    CLASS_ENTRY(CAttribute, L"Attribute", IDR_ATTRIBUTE),
    CLASS_ENTRY(CAttributeTypeObject, L"AttributeType", IDR_ATTRIBUTETYPE),
    CLASS_ENTRY(CAttributeGroup, L"AttributeGroup", IDR_ATTRIBUTEGROUP),
    CLASS_ENTRY(CAttributeCollection, L"AttributeCollection", IDR_ATTRIBUTECOLLECTION),
    CLASS_ENTRY(CAttributeTypeCollection, L"AttributeTypeCollection", IDR_ATTRIBUTETYPECOLLECTION),
    CLASS_ENTRY(CAttributeGroupCollection, L"AttributeGroupCollection", IDR_ATTRIBUTEGROUPCOLLECTION),
    CLASS_ENTRY(CShapeAttributeGroupCollection, L"ShapeAttributeGroupCollection", IDR_SHAPEATTRIBUTEGROUPCOLLECTION),
    CLASS_ENTRY(CVertex, L"Vertex", IDR_VERTEX),
    CLASS_ENTRY(CVertexCollection, L"VertexCollection", IDR_VERTEXCOLLECTION),
    CLASS_ENTRY(CReadOnlyVertexCollection, L"ReadOnlyVertexCollection", IDR_READONLYVERTEXCOLLECTION),
    CLASS_ENTRY(CViewportObject, L"ViewportObject", IDR_VIEWPORTOBJECT),
    CLASS_ENTRY(CViewportCollection, L"ViewportCollection", IDR_VIEWPORTCOLLECTION),
    CLASS_ENTRY(CMenuCollection, L"MenuCollection", IDR_MENUCOLLECTION),
    CLASS_ENTRY(CMenuItem, L"MenuItem", IDR_MENUITEM),
    CLASS_ENTRY(CRuler, L"Ruler", IDR_RULER),
    CLASS_ENTRY(CGeneralPropPage, L"GeneralPropPage", IDR_GENERALPROPPAGE),
};

const size_t g_yvexClassCount = sizeof(g_yvexClasses) / sizeof(g_yvexClasses[0]);
