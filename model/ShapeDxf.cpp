// What every shape writes to and reads from DXF: the common entity groups (handle, layer, line
// type, colour, line type scale, thickness) and our own extended data under the application
// "YVEXControl", which carries what DXF has no field for (shape IDs, Z order, state, point
// identities, hatch settings, parent group, arrows) and the kinds' own blocks.
#include "model/Shape.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/ColorIndexTable.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "YVEX_h.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// State bits that describe the session, not the shape: never taken from a file.
const DWORD kTransientState = CShape::stSelected | CShape::stExtentCached;

CDxfDocument* DocumentOf(CShapeHost* control) { return control ? &control->GetDxfDocument() : nullptr; }

void WriteKeyword(CDxfFile& dxf, int index)
{
    const char* text = CDxfFile::KeywordFromIndex(index);
    dxf.WriteStringGroup(1000, text ? text : "");
}

// A block of point IDs: the keyword, the count, an ID a group; nothing for an empty list.
void WritePointIds(CDxfFile& dxf, int keyword, const CShapePointList& points)
{
    if (points.IsEmpty())
        return;
    WriteKeyword(dxf, keyword);
    dxf.WriteIntGroup(1070, points.GetCount());
    for (CPointRecord* point : points)
        dxf.WriteIntGroup(1071, point->GetPointId());
}

// Whether a shape of the type already is of the kind that a kind block ("IMAGE DATA", "ELLIPSE
// DATA", "POLYGON DATA", "RECTANGLE DATA") names, and so reads the block itself: a polygon is
// held as a (closed) polyline, and arcs and circles are ellipses.
bool HoldsKindOfBlock(int shapeType, int keyword)
{
    switch (keyword) {
    case CDxfFile::kwImageData: return shapeType == stImage;
    case CDxfFile::kwEllipseData: return shapeType == stArc || shapeType == stCircle || shapeType == stEllipse;
    case CDxfFile::kwPolygonData: return shapeType == stPolyline || shapeType == stPolygon;
    case CDxfFile::kwRectangleData: return shapeType == stRectangle;
    default: return false;
    }
}

} // namespace

HRESULT CShape::WriteDxf(CDxfFile& dxf)
{
    WriteDxfHandle(dxf);
    WriteDxfCommonGroups(dxf);
    return 1;
}

void CShape::WriteDxfHandle(CDxfFile& dxf)
{
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(m_id));
    dxf.WriteStringGroup(5, handle);
}

void CShape::WriteDxfCommonGroups(CDxfFile& dxf)
{
    const bool namedLayer = m_layer && !m_layer->GetName().empty();
    dxf.WriteStringGroup(8, namedLayer ? m_layer->GetName().c_str() : "0");
    if (m_control) {
        const CLineType* lineType = m_control->GetLineTypeMap().Find(m_linePatternId);
        if (lineType && lineType->GetName() && *lineType->GetName())
            dxf.WriteStringGroup(6, lineType->GetName());
    }
    dxf.WriteIntGroup(62, CColorIndexTable::FromRgb(m_penColor));
    if (m_linePatternScale != 1.0f)
        dxf.WriteRealGroup(48, m_linePatternScale);
    // Thickness carries the pen weight of the drawn kinds.
    // A rich text's weight is in its RTF.
    const bool drawnKind = m_shapeType != stDummy && m_shapeType != stGroup && m_shapeType != stLayer &&
                           m_shapeType != stImage && m_shapeType != stReference &&
                           !(m_shapeType == stText && GetTextType() == ttRTF);
    if (m_penWeight != 0.0f && drawnKind)
        dxf.WriteRealGroup(39, m_penWeight);
}

HRESULT CShape::WriteXData(CDxfFile& dxf)
{
    CDxfDocument* doc = DocumentOf(m_control);
    const DWORD mode = doc ? doc->GetMode() : 0;
    if (mode & DXFMODE_MINIMIZE_SAVED_DATA)
        return 1;
    const char* application = CDxfFile::KeywordFromIndex(CDxfFile::kwYvexApplication);
    if (dxf.WriteStringGroup(1001, application ? application : ""))
        dxf.WriteStringGroup(1002, "{");

    WriteKeyword(dxf, CDxfFile::kwShapeIds);
    dxf.WriteIntGroup(1070, m_tag);
    dxf.WriteIntGroup(1071, m_databaseId);
    if (m_zOrder != 0.0f)
        dxf.WriteRealGroup(1040, m_zOrder);
    // The modes force the two bits on: set, never added, so a bit already set stays as it is.
    DWORD state = m_state & ~kTransientState;
    if (mode & DXFMODE_ALL_ENABLED)
        state |= stEnabled;
    if (mode & DXFMODE_ALL_VISIBLE)
        state |= stVisible;
    // A shape in the state every new shape has writes none; the reader takes that state then.
    if (state != kDefaultState)
        dxf.WriteIntGroup(1070, static_cast<int32_t>(state));

    WriteXDataSelfPoints(dxf);
    WriteXDataLinkedPoints(dxf);
    WriteXDataShapeHatch(dxf);
    WriteXDataParentId(dxf);
    WriteXDataArrows(dxf);
    WriteXDataOwn(dxf);
    dxf.WriteStringGroup(1002, "}");
    return 1;
}

HRESULT CShape::WriteXDataSelfPoints(CDxfFile& dxf)
{
    WritePointIds(dxf, CDxfFile::kwSelfPoints, m_points);
    return 1;
}

HRESULT CShape::WriteXDataLinkedPoints(CDxfFile& dxf)
{
    WritePointIds(dxf, CDxfFile::kwLinkedPoints, m_linkedPoints);
    return 1;
}

HRESULT CShape::WriteXDataShapeHatch(CDxfFile& dxf)
{
    WriteKeyword(dxf, CDxfFile::kwShapeHatchData);
    dxf.WriteIntGroup(1071, static_cast<int32_t>(m_hatchColor));
    dxf.WriteIntGroup(1071, m_hatchPatternId);
    dxf.WriteRealGroup(1042, m_hatchPatternScale);
    return 1;
}

HRESULT CShape::WriteXDataParentId(CDxfFile& dxf)
{
    // Only an ordinary group of the drawing is named: not a fixed group or prototype, not a
    // block definition, and not the block whose body is being written.
    if (!m_parent || m_parent->GetId() <= DEFAULT_IMAGE_ID)
        return 1;
    if (m_parent->GetParent() && m_parent->GetParent()->GetId() == LIBRARY_ID)
        return 1;
    CDxfDocument* doc = DocumentOf(m_control);
    if (doc && doc->GetBlockBeingWritten() == m_parent)
        return 1;
    WriteKeyword(dxf, CDxfFile::kwParentId);
    dxf.WriteIntGroup(1071, m_parent->GetId());
    return 1;
}

HRESULT CShape::WriteXDataArrows(CDxfFile& dxf)
{
    const int first = GetFirstArrowType();
    const int second = GetSecondArrowType();
    if (first == 0 && second == 0)
        return 1;
    WriteKeyword(dxf, CDxfFile::kwArrows);
    dxf.WriteIntGroup(1071, first);
    dxf.WriteIntGroup(1071, second);
    return 1;
}

int CShape::ReadXDataOwn(CDxfFile&) { return 0; }

int CShape::WriteXDataOwn(CDxfFile&) { return 1; }

HRESULT CShape::ReadDxf(CDxfFile& dxf) { return ReadEntityGroups(dxf); }

int CShape::ReadEntityGroups(CDxfFile& dxf)
{
    int code = 0, ended = 0;
    while (ReadEntityGroup(dxf, &code, &ended)) {
    }
    return ended;
}

bool CShape::ReadEntityGroup(CDxfFile& dxf, int* code, int* ended)
{
    // The end of the data (or a malformed group) ends the entity early.
    if (!dxf.ReadGroup()) {
        *ended = 0;
        return false;
    }
    *code = dxf.GetCode();
    if (*code == 0) {
        dxf.UngetGroup();
        *ended = 1;
        return false;
    }
    ReadDxfGroup(dxf);
    return true;
}

int CShape::ReadDxfGroup(CDxfFile& dxf)
{
    const int code = dxf.GetCode();
    switch (code) {
    case 5: {
        const uint32_t handle = CDxfFile::ParseHandle(dxf.GetText(), std::strlen(dxf.GetText()));
        if (CDxfDocument* doc = DocumentOf(m_control))
            doc->AddHandle(handle, m_id);
        return 1;
    }
    case 6: {
        const char* name = dxf.GetText();
        if (_strnicmp(name, "BYLAYER", 7) == 0)
            m_linePatternId = ltByLayer;
        else if (_strnicmp(name, "BYBLOCK", 7) == 0)
            m_linePatternId = ltByBlock;
        else
            m_linePatternId = m_control ? m_control->GetLineTypeMap().IdFromName(name) : 0;
        return 1;
    }
    case 8: {
        CLayer* layer = m_control ? m_control->FindLayerByName(dxf.GetText()) : nullptr;
        if (!layer && m_control)
            layer = m_control->GetCurrentLayer();
        SetLayer(layer);
        return 1;
    }
    case 39:
        m_penWeight = static_cast<float>(dxf.GetReal());
        m_state |= stScalePenWeight;
        return 1;
    case 48:
        m_linePatternScale = static_cast<float>(dxf.GetReal());
        return 1;
    case 62:
        // 0 is "by block" and 256 "by layer" in the colour table.
        m_penColor = CColorIndexTable::ToRgb(dxf.GetInt());
        return 1;
    case 230:
        if (CDxfDocument* doc = DocumentOf(m_control))
            doc->SetExtrusionZ(dxf.GetReal());
        return 1;
    case 1000:
        return ReadXDataBlock(dxf);
    default:
        break;
    }
    if ((code >= 1001 && code <= 1005) || (code >= 1010 && code <= 1013) || (code >= 1020 && code <= 1023) ||
        (code >= 1030 && code <= 1033) || (code >= 1040 && code <= 1042))
        return 1;
    return 0;
}

int CShape::ReadXDataBlock(CDxfFile& dxf)
{
    CDxfDocument* doc = DocumentOf(m_control);
    const DWORD mode = doc ? doc->GetMode() : 0;
    const int keyword = dxf.GetKeywordIndex();
    switch (keyword) {
    case CDxfFile::kwShapeIds: {
        if (!dxf.ReadExpectedGroup(1070))
            return 1;
        m_tag = dxf.GetInt();
        if (!dxf.ReadExpectedGroup(1071)) // the database ID the writer had: not ours
            return 1;
        // No state group after the IDs (and the Z order): the writer's shape had the state of
        // a new shape, whatever state this one was made with.
        DWORD state = kDefaultState;
        if (dxf.ReadGroup()) {
            if (dxf.GetCode() == 1040) {
                SetZOrder(static_cast<float>(dxf.GetReal()), false);
                if (dxf.ReadExpectedGroup(1070))
                    state = static_cast<DWORD>(dxf.GetInt()) & 0xFFFF;
            } else if (dxf.GetCode() == 1070 || dxf.GetCode() == 1071) {
                state = static_cast<DWORD>(dxf.GetInt()) & 0xFFFF;
            } else {
                dxf.UngetGroup();
            }
        }
        if (mode & DXFMODE_ALL_ENABLED)
            state |= stEnabled;
        if (mode & DXFMODE_ALL_VISIBLE)
            state |= stVisible;
        m_state = (state & ~kTransientState) | (m_state & kTransientState);
        return 1;
    }
    case CDxfFile::kwSelfPoints: {
        if (!dxf.ReadExpectedGroup(1070))
            return 1;
        const int count = dxf.GetInt();
        std::vector<int>* ids = doc ? &doc->SelfPointsOf(m_id) : nullptr;
        if (ids && count > 0)
            ids->reserve(ids->size() + static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            if (!dxf.ReadExpectedGroup(1071))
                break;
            if (ids)
                ids->push_back(dxf.GetInt());
        }
        return 1;
    }
    case CDxfFile::kwLinkedPoints: {
        // The IDs are kept for the load, which links this shape to the points of those IDs once
        // every entity (and so every self point) is read.
        if (!dxf.ReadExpectedGroup(1070))
            return 0;
        const int count = dxf.GetInt();
        std::vector<int>* ids = doc ? &doc->LinkedPointsOf(m_id) : nullptr;
        if (ids && count > 0)
            ids->reserve(ids->size() + static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            if (!dxf.ReadExpectedGroup(1071))
                return 0;
            if (ids)
                ids->push_back(dxf.GetInt());
        }
        return 1;
    }
    case CDxfFile::kwShapeHatchData:
    case CDxfFile::kwHatchData: {
        // The older form has two values of no meaning here before the colour and one more
        // before the pattern.
        const bool older = keyword == CDxfFile::kwHatchData;
        if ((older && (!dxf.ReadExpectedGroup(1070) || !dxf.ReadExpectedGroup(1071))) || !dxf.ReadExpectedGroup(1071))
            return 1;
        SetHatchColor(static_cast<DWORD>(dxf.GetInt()));
        if ((older && !dxf.ReadExpectedGroup(1070)) || !dxf.ReadExpectedGroup(1071))
            return 1;
        SetHatchPatternId(dxf.GetInt());
        if (!dxf.ReadExpectedGroup(1042))
            return 1;
        m_hatchPatternScale = static_cast<float>(dxf.GetReal());
        return 1;
    }
    case CDxfFile::kwParentId: {
        if (!dxf.ReadExpectedGroup(1071))
            return 1;
        int parentId = 0;
        if (doc && m_control && doc->FindHandle(static_cast<uint32_t>(dxf.GetInt()), &parentId)) {
            CShape* parent = m_control->GetShapeMap().Lookup(parentId);
            if (parent && parent != this && parent->IsGroup())
                static_cast<CGroup*>(parent)->AddChild(this, nullptr, 1, false);
        }
        return 1;
    }
    case CDxfFile::kwArrows:
        if (!dxf.ReadExpectedGroup(1071))
            return 1;
        SetFirstArrowType(dxf.GetInt());
        if (!dxf.ReadExpectedGroup(1071))
            return 1;
        SetSecondArrowType(dxf.GetInt());
        return 1;
    case CDxfFile::kwImageData:
    case CDxfFile::kwEllipseData:
    case CDxfFile::kwPolygonData:
    case CDxfFile::kwRectangleData: {
        const int type = keyword == CDxfFile::kwImageData     ? stImage
                         : keyword == CDxfFile::kwEllipseData ? stEllipse
                         : keyword == CDxfFile::kwPolygonData ? stPolygon
                                                              : stRectangle;
        if (HoldsKindOfBlock(m_shapeType, keyword))
            return ReadXDataOwn(dxf);
        if (!m_control)
            return 0;
        // The entity stands for a shape of another kind: that shape reads the block and takes
        // this one's place once the load is done. The shape map keeps it meanwhile.
        CShapeIndex& map = m_control->GetShapeMap();
        CShape* replacement = map.CreateReplacement(m_id, type);
        if (!replacement)
            return 0;
        replacement->ResetToByLayer();
        if (!replacement->ReadXDataOwn(dxf)) {
            map.DropReplacement(m_id);
            return 0;
        }
        return 1;
    }
    default:
        return ReadXDataOwn(dxf);
    }
}
