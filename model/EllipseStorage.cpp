// The ellipse in storage: the ELLIPSE, ARC and CIRCLE entities read, ELLIPSE written (a closed
// 36-vertex POLYLINE for the old DXF version), the "ELLIPSE DATA" extended data, the EllipseShapes
// row and the ellipse records of the record tables.
#include "model/Ellipse.h"
#include "model/Angles.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Layer.h"
#include "model/Geometry.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/VertexRecord.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "com/HResult.h"
#include "persistence/sql/ShapeKindSql.h"
#include "YVEX_h.h"
#include <cmath>
#include <cstdio>

namespace {
// The single-precision factor of the angles written.
const double kDegreesToRadiansSingle = 0.017453292;
// The DXF version code that writes ELLIPSE entities.
const int kEllipseVersion = 2;

// Record tables written before format 2.0.0.7 hold the ellipse angles in radians.
bool HoldsRadians(const CDataTableSet& tables)
{
    const CFileHeaderRecord* header = tables.GetHeader();
    if (!header)
        return false;
    const uint32_t v = static_cast<uint32_t>(header->FormatVersion);
    const unsigned b0 = v & 0xFF, b1 = (v >> 8) & 0xFF, b2 = (v >> 16) & 0xFF, b3 = (v >> 24) & 0xFF;
    return b0 < 2 && b1 == 0 && b2 == 0 && b3 < 7;
}

float NormalizedZ(double z) { return z > 0 ? static_cast<float>(z) : (z == 0 ? 1.0f : -1.0f); }

// An angle (degrees) read from a file or a record: one that is no usable angle (NaN, infinite,
// beyond the float range) is not taken, and the angle keeps the value it had.
void TakeAngle(float& angle, double degrees)
{
    if (IsUsableAngle(degrees))
        angle = static_cast<float>(degrees);
}
} // namespace

// --- DXF reading ---------------------------------------------------------------------------------

HRESULT CEllipse::ReadDxf(CDxfFile& dxf)
{
    const int keyword = dxf.GetKeywordIndex();
    HRESULT ended;
    float cx = 0.0f, cy = 0.0f;
    if (keyword == CDxfFile::kwArc || keyword == CDxfFile::kwCircle) {
        ended = ReadCircularEntity(dxf, keyword == CDxfFile::kwArc, &cx, &cy);
    } else {
        // The values are stored as they come: the extended data that follows them (its angles and
        // extrusion) has the last word.
        ended = ReadEntityGroups(dxf, [&](int code) {
            switch (code) {
            case 10: cx = static_cast<float>(dxf.GetReal()); break;
            case 20: cy = static_cast<float>(dxf.GetReal()); break;
            case 11: m_majorX = static_cast<float>(dxf.GetReal()); break;
            case 21: m_majorY = static_cast<float>(dxf.GetReal()); break;
            case 40: m_minorRatio = static_cast<float>(std::fabs(dxf.GetReal())); break;
            case 41: TakeAngle(m_startAngle, dxf.GetReal() * kRadiansToDegrees); break;
            case 42: TakeAngle(m_endAngle, dxf.GetReal() * kRadiansToDegrees); break;
            case 230:
                if (dxf.GetReal() < 0)
                    m_extrusionZ = -1.0f;
                break;
            default: break;
            }
        });
    }
    // A drawing whose y grows downwards is turned over, as the other kinds are: the curve is
    // mirrored.
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        cy = -cy;
        m_majorY = -m_majorY;
        m_extrusionZ = m_extrusionZ > 0 ? -1.0f : 1.0f;
    }
    if (m_control) {
        const int pointId = m_control->CreatePoint(cx, cy);
        if (pointId > 0)
            AddPointById(pointId, kAppend, true);
    }
    if (keyword == CDxfFile::kwEllipse)
        TakeCircularKind();
    SetExtentCached(false);
    return ended;
}

void CEllipse::TakeCircularKind()
{
    // The ratio of an approximation rebuilt from its vertices is equal only within the vertices'
    // single precision; the angles come back through radians.
    const float kEqualAxes = 1e-4f;
    const double kWholeTurn = 1e-3;
    if (m_shapeType != stEllipse || std::fabs(m_minorRatio - 1.0f) > kEqualAxes)
        return;
    m_minorRatio = 1.0f;
    double sweep = std::fmod(static_cast<double>(m_endAngle) - m_startAngle, 360.0);
    if (sweep < 0)
        sweep += 360.0;
    if (sweep < kWholeTurn || 360.0 - sweep < kWholeTurn) {
        m_shapeType = stCircle;
        m_startAngle = 0.0f;
        m_endAngle = 360.0f;
    } else {
        m_shapeType = stArc;
    }
    SetExtentCached(false);
}

HRESULT CEllipse::ReadCircularEntity(CDxfFile& dxf, bool arc, float* centreX, float* centreY)
{
    float cx = 0.0f, cy = 0.0f, radius = 0.0f;
    bool clockwise = false;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 10: cx = static_cast<float>(dxf.GetReal()); break;
        case 20: cy = static_cast<float>(dxf.GetReal()); break;
        case 40: radius = static_cast<float>(dxf.GetReal()); break;
        case 50:
            if (arc)
                TakeAngle(m_startAngle, dxf.GetReal());
            break;
        case 51:
            if (arc)
                TakeAngle(m_endAngle, dxf.GetReal());
            break;
        case 230: clockwise = dxf.GetReal() < 0; break;
        default: break;
        }
    });
    m_minorRatio = 1.0f;
    m_majorY = 0.0f;
    if (clockwise) {
        // Object coordinates seen from below: their x runs the other way, and so do the angles.
        cx = -cx;
        m_majorX = -radius;
        m_extrusionZ = -1.0f;
    } else {
        m_majorX = radius;
    }
    *centreX = cx;
    *centreY = cy;
    return ended;
}

int CEllipse::ReadXDataOwn(CDxfFile& dxf)
{
    if (dxf.GetKeywordIndex() != CDxfFile::kwEllipseData)
        return 0;
    for (int i = 0; i < 3; ++i) {
        if (!dxf.ReadGroup())
            break;
        if (dxf.GetCode() != 1040) {
            dxf.UngetGroup();
            break;
        }
        const double value = dxf.GetReal();
        if (i == 0)
            TakeAngle(m_startAngle, value * kRadiansToDegrees);
        else if (i == 1)
            TakeAngle(m_endAngle, value * kRadiansToDegrees);
        else
            m_extrusionZ = NormalizedZ(value);
    }
    SetExtentCached(false);
    return 1;
}

// --- DXF writing ---------------------------------------------------------------------------------

int CEllipse::WriteXDataOwn(CDxfFile& dxf)
{
    const DxfForm form = GetDxfForm();
    const char* keyword = CDxfFile::KeywordFromIndex(CDxfFile::kwEllipseData);
    dxf.WriteStringGroup(1000, keyword ? keyword : "");
    dxf.WriteRealGroup(1040, form.start * kDegreesToRadiansSingle);
    dxf.WriteRealGroup(1040, form.end * kDegreesToRadiansSingle);
    dxf.WriteRealGroup(1040, m_extrusionZ);
    return 1;
}

HRESULT CEllipse::WriteDxf(CDxfFile& dxf)
{
    if (!m_control || m_control->GetDxfDocument().GetOutputVersion() != kEllipseVersion)
        return WriteOldPolyline(dxf);
    // DXF wants the longer axis as the major one (a ratio of at most 1).
    const DxfForm form = GetDxfForm();
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwEllipse));
    // The handle before the subclass markers, where DXF readers look for it.
    WriteDxfHandle(dxf);
    dxf.WriteStringGroup(100, "AcDbEntity");
    WriteDxfCommonGroups(dxf);
    dxf.WriteStringGroup(100, "AcDbEllipse");
    if (!m_points.IsEmpty())
        m_points.GetAt(0)->WriteDxf(dxf, true, 0);
    else
        CPointRecord().WriteDxf(dxf, true, 0);
    dxf.WriteRealGroup(11, form.majorX);
    dxf.WriteRealGroup(21, form.majorY);
    dxf.WriteRealGroup(31, 0.0);
    // A clockwise curve names its normal: other readers draw its arc on the same side.
    if (m_extrusionZ < 0) {
        dxf.WriteRealGroup(210, 0.0);
        dxf.WriteRealGroup(220, 0.0);
        dxf.WriteRealGroup(230, -1.0);
    }
    dxf.WriteRealGroup(40, form.ratio);
    dxf.WriteRealGroup(41, form.start * kDegreesToRadiansSingle);
    dxf.WriteRealGroup(42, form.end * kDegreesToRadiansSingle);
    WriteXData(dxf);
    for (CShape* child : std::vector<CShape*>(m_children))
        child->WriteDxf(dxf);
    return 1;
}

HRESULT CEllipse::WriteOldPolyline(CDxfFile& dxf)
{
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwPolyline));
    CShape::WriteDxf(dxf);
    dxf.WriteIntGroup(66, 1);
    CPointRecord().WriteDxf(dxf, true, 0);
    dxf.WriteIntGroup(70, 1);
    // The pen weight is a width of the drawing only when it scales with it.
    const float width = (m_state & stScalePenWeight) ? m_penWeight : 0.0f;
    dxf.WriteRealGroup(40, width);
    dxf.WriteRealGroup(41, width);
    WriteXData(dxf);

    // The whole ellipse (the old version has no arcs of ellipses) in 36 steps of 10 degrees,
    // the quarters exact.
    const double r = GetMajorRadius();
    const double b = r * m_minorRatio;
    const double turn = (GetAxisDegrees() + 180.0) * kDegreesToRadians;
    const double c = std::cos(turn), s = std::sin(turn);
    const CPointRecord* centre = m_points.IsEmpty() ? nullptr : m_points.GetAt(0);
    const double cx = centre ? centre->x : 0.0, cy = centre ? centre->y : 0.0;
    const std::string layer = m_layer ? m_layer->GetName() : std::string();
    for (int i = 0; i < 36; ++i) {
        double x, y;
        switch (i) {
        case 0: x = r, y = 0; break;
        case 9: x = 0, y = b; break;
        case 18: x = -r, y = 0; break;
        case 27: x = 0, y = -b; break;
        default: x = r * std::cos(i * 0.17453292), y = b * std::sin(i * 0.17453292); break;
        }
        CPointRecord point(static_cast<float>(cx + x * c - y * s), static_cast<float>(cy + x * s + y * c), 0);
        CVertexRecord vertex;
        vertex.SetPoint(&point);
        vertex.WriteDxf(dxf, layer);
    }
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwSeqend));
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", dxf.NextHandle());
    dxf.WriteStringGroup(5, handle);
    dxf.WriteStringGroup(8, layer.empty() ? "0" : layer.c_str());
    return 1;
}

// --- Database and record tables ------------------------------------------------------------------

HRESULT CEllipse::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    const int before = m_databaseId;
    // The Shapes row and the centre (an ellipse has no GroupShapes row).
    const HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    if (m_databaseId < 1)
        return E_FAIL;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    return SaveKindRow(session, before >= 1, true, ShapeKindSql::UpdateEllipse,
                       {m_minorRatio, m_extrusionZ, m_startAngle, m_endAngle, m_majorX, m_majorY, m_databaseId},
                       ShapeKindSql::InsertEllipse,
                       {m_databaseId, scenario, m_minorRatio, m_extrusionZ, m_startAngle, m_endAngle, m_majorX, m_majorY});
}

HRESULT CEllipse::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    RETURN_IF_FAILED(hr);
    CEllipsesTable* ellipses = tables->Ellipses();
    if (!ellipses)
        return hr;
    bool alreadyStored = false;
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    if (!(mode & DXFMODE_LOAD)) {
        if (hr != S_OK || !(m_state & stPersistent))
            return hr;
        CEllipsesRecord record;
        record.ShapeID = key;
        record.DatabaseID = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) ? m_databaseId : 0;
        record.MinorRatio = m_minorRatio;
        record.ZExtrusion = m_extrusionZ;
        const double factor = HoldsRadians(*tables) ? kDegreesToRadians : 1.0;
        record.StartAngle = m_startAngle * factor;
        record.EndAngle = m_endAngle * factor;
        record.MajorX = m_majorX;
        record.MajorY = m_majorY;
        ellipses->Put(record);
        return hr;
    }
    // Older sets may carry an arc or a circle record instead.
    auto takeRadius = [this](double radius) {
        if (m_majorX == 0.0f && m_majorY == 0.0f)
            m_majorX = static_cast<float>(radius);
        else
            SetMajorRadius(radius);
    };
    if (const CEllipsesRecord* record = ellipses->FindRecord(key)) {
        const double factor = HoldsRadians(*tables) ? kRadiansToDegrees : 1.0;
        TakeAngle(m_startAngle, record->StartAngle * factor);
        TakeAngle(m_endAngle, record->EndAngle * factor);
        m_minorRatio = static_cast<float>(std::fabs(record->MinorRatio));
        m_majorX = static_cast<float>(record->MajorX);
        m_majorY = static_cast<float>(record->MajorY);
        m_extrusionZ = NormalizedZ(record->ZExtrusion);
    } else if (const CArcRecord* arc = tables->Arc() ? tables->Arc()->FindRecord(key) : nullptr) {
        TakeAngle(m_startAngle, arc->StartAngle);
        TakeAngle(m_endAngle, arc->EndAngle);
        takeRadius(arc->Radius);
    } else if (const CCircleRecord* circle = tables->Circle() ? tables->Circle()->FindRecord(key) : nullptr) {
        takeRadius(circle->Radius);
    } else {
        return E_ACCESSDENIED;
    }
    SetExtentCached(false);
    return hr;
}
