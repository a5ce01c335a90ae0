#include "SHPImport.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include "ShapefilePaths.h"
#include "UtmConversion.h"
#include "afx/MessageBox.h"
#include "afx/ModuleState.h"
#include "afx/Wnd.h"
#include "com/MessageBoxHook.h"
#include "common/FreezeGuard.h"

namespace {

// Between two UTM zones at the same northing: what one zone's eastings are moved by to go on
// from the next zone's (the width of a zone near the equator, rounded).
const double kZoneShift = 646000.0;

const COLORREF kPointLayerPen = 0x3F00;
const COLORREF kPointLayerHatch = 0x7F00;
const COLORREF kHatchOfOptionColour = 0xC0C0C0;

struct ShapefileCloser {
    void operator()(SHPInfo* handle) const { SHPClose(handle); }
};
struct TableCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};
struct ObjectDestroyer {
    void operator()(SHPObject* object) const { SHPDestroyObject(object); }
};

IShapePtr ShapeById(IShapeCollection* shapes, long id)
{
    IShapePtr shape;
    RaiseIfFailed(shapes->get_ItemByID(id, &shape), shapes);
    if (!shape)
        _com_issue_errorex(E_POINTER, shapes, __uuidof(IShapeCollection));
    return shape;
}

_bstr_t Wide(const char* text)
{
    // The table's texts are Windows-1252, as its header says.
    return _bstr_t(CString(text).AllocSysString(), false);
}

} // namespace

CSHPImport::CSHPImport(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVImporter(control, user, callback)
{
}

CSHPImport::CSHPImport(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVImporter(control, notifier) {}

int CSHPImport::ReadyImport(unsigned long option, unsigned long value)
{
    if (option >= optionCount)
        return FALSE;
    m_options[option] = static_cast<long>(value);
    return TRUE;
}

void CSHPImport::ConvertPoint(double& x, double& y) const
{
    const int ellipsoid = static_cast<int>(m_options[optionEllipsoid]);
    const long zone = m_options[optionZone];
    const long zoneNumber = std::labs(zone);
    switch (m_options[optionCoordinates]) {
    case 1: {
        // Without a zone there is nothing to convert from.
        if (!zone)
            return;
        char text[16];
        // A band of the southern hemisphere ("M", below "N") for a negative zone.
        std::snprintf(text, sizeof text, "%ld%c", zoneNumber, zone < 0 ? 'M' : 'P');
        double latitude = 0, longitude = 0;
        UtmToLatLong(ellipsoid, y, x, text, &latitude, &longitude);
        x = longitude;
        y = latitude;
        break;
    }
    case 2: {
        double northing = 0, easting = 0;
        char text[8] = "";
        LatLongToUtm(ellipsoid, y, x, &northing, &easting, text);
        const long pointZone = std::strtol(text, nullptr, 10);
        // Points of other zones go on from the chosen zone's grid.
        if (zone && pointZone != zoneNumber)
            easting += (pointZone - zoneNumber) * kZoneShift;
        x = easting;
        y = northing;
        break;
    }
    default:
        break;
    }
}

void CSHPImport::AddAttributes(IShape* shape, DBFHandle table, int record)
{
    IShapeAttributeGroupCollectionPtr groups;
    RaiseIfFailed(shape->get_AttributeGroups(&groups), shape);
    RaiseIfFailed(groups->AddAttributeGroup(m_group), groups);
    IAttributeCollectionPtr attributes;
    RaiseIfFailed(shape->get_Attributes(&attributes), shape);
    const long base = m_options[optionAttributeBase] * 100;
    for (size_t j = 0; j < m_fieldTypes.size(); ++j) {
        const int field = static_cast<int>(j);
        _variant_t value;
        switch (m_fieldTypes[j]) {
        case FTString:
            value = Wide(DBFReadStringAttribute(table, record, field));
            break;
        case FTInteger:
            value = static_cast<long>(DBFReadIntegerAttribute(table, record, field));
            break;
        case FTDouble:
            value = DBFReadDoubleAttribute(table, record, field);
            break;
        default:
            value = _bstr_t(L"undef");
            break;
        }
        IAttributePtr attribute;
        RaiseIfFailed(attributes->CreateAttribute(field + base + 1, 0, value, &attribute), attributes);
    }
}

int CSHPImport::Import(const CString& path, unsigned long, unsigned long)
{
    m_state = 0;
    if (!m_control)
        return FALSE;
    CFreezeGuard frozen(m_control, true);
    const IShapePtr root = ShapeById(m_shapes, BASE_ID);
    IShapeCollectionPtr drawing;
    RaiseIfFailed(root->get_Shapes(&drawing), root);

    // Nothing is added for a file that cannot be read: the layer comes once it opened.
    std::unique_ptr<SHPInfo, ShapefileCloser> shapefile(SHPOpen(path.GetString(), "rb"));
    if (!shapefile) {
        m_state = E_FAIL;
        return FALSE;
    }
    const CString layerName = FileNameOf(path);
    long layerId = 0;
    RaiseIfFailed(m_layerShapes->AddLayer(Wide(layerName), &layerId), m_layerShapes);
    const IShapePtr layer = ShapeById(m_shapes, layerId);

    std::unique_ptr<DBFInfo, TableCloser> table(DBFOpen(DbfPathOf(path).GetString(), "rb"));
    m_fieldTypes.clear();
    m_group = nullptr;
    const long base = m_options[optionAttributeBase];
    if (table) {
        IAttributeGroupCollectionPtr groups;
        RaiseIfFailed(m_site->get_AttributeGroups(&groups), m_site);
        RaiseIfFailed(groups->CreateAttributeGroup(base, 0, Wide(layerName), &m_group), groups);
        if (!m_group)
            _com_issue_errorex(E_POINTER, groups, __uuidof(IAttributeGroupCollection));
        IAttributeTypeCollectionPtr types;
        RaiseIfFailed(m_group->get_AttributeTypes(&types), m_group);
        for (int i = 1, n = DBFGetFieldCount(table.get()); i <= n; ++i) {
            char title[XBASE_FLDNAME_LEN_READ + 1] = "";
            int width = 0, decimals = 0;
            m_fieldTypes.push_back(DBFGetFieldInfo(table.get(), i - 1, title, &width, &decimals));
            IAttributeTypePtr type;
            RaiseIfFailed(types->CreateAttributeType(i + base * 100, 0, Wide(title), _bstr_t(L""), Wide(title), &type),
                          types);
        }
    }

    int records = 0, type = 0;
    double minimum[4] = {}, maximum[4] = {};
    SHPGetInfo(shapefile.get(), &records, &type, minimum, maximum);
    const long mode = m_options[optionCoordinates];
    const bool outOfRange =
        (mode == 1 && (minimum[0] < 500000 || maximum[0] > 1200000)) ||
        (mode == 2 && maximum[0] - minimum[0] > 0.5 &&
         std::trunc(maximum[0] / 6) != std::trunc(minimum[0] / 6));
    if (outOfRange) {
        CString warning;
        warning.Format("Warning:\n\n'%s':\n\n coordinates are out of valid range - conversion precision is not guaranteed.",
                       path.GetString());
        AfxMessageBox(warning, MB_ICONEXCLAMATION);
    }
    ConvertPoint(maximum[0], maximum[1]);
    ConvertPoint(minimum[0], minimum[1]);
    const double width = maximum[0] - minimum[0];
    const double height = maximum[1] - minimum[1];

    if (type == SHPT_POINT || type == SHPT_MULTIPOINT) {
        RaiseIfFailed(layer->put_PenColor(kPointLayerPen), layer);
        RaiseIfFailed(layer->put_HatchColor(kPointLayerHatch), layer);
        RaiseIfFailed(layer->put_HatchPatternID(hpSolid), layer);
        RaiseIfFailed(layer->put_Enabled(VARIANT_FALSE), layer);
        RaiseIfFailed(layer->put_Tag(1), layer);
        // A thousandth of the extent; of its longer side for points on one line, 1 for one point.
        double side = std::min(std::fabs(width), std::fabs(height));
        if (!(side > 0))
            side = std::max(std::fabs(width), std::fabs(height));
        const double radius = side > 0 ? 0.001 * side : 1.0;
        for (int record = 0; record < records; ++record) {
            SetProgress(100 * record / records);
            std::unique_ptr<SHPObject, ObjectDestroyer> object(SHPReadObject(shapefile.get(), record));
            if (!object)
                continue;
            for (int v = 0; v < object->nVertices; ++v) {
                double x = object->padfX[v], y = object->padfY[v];
                ConvertPoint(x, y);
                long id = 0;
                RaiseIfFailed(drawing->AddCircle(static_cast<float>(x), static_cast<float>(y),
                                                 static_cast<float>(radius), &id),
                              drawing);
                const IShapePtr circle = ShapeById(drawing, id);
                RaiseIfFailed(circle->put_PenColor(coByLayer), circle);
                RaiseIfFailed(circle->put_HatchColor(coByLayer), circle);
                RaiseIfFailed(circle->put_HatchPatternID(hpSolid), circle);
                RaiseIfFailed(circle->put_LayerShapeID(layerId), circle);
                if (v == 0 && table)
                    AddAttributes(circle, table.get(), record);
            }
        }
    } else if (type == SHPT_ARC || type == SHPT_POLYGON) {
        const bool rings = type == SHPT_POLYGON;
        RaiseIfFailed(layer->put_PenColor(static_cast<OLE_COLOR>(m_options[optionColour])), layer);
        RaiseIfFailed(layer->put_HatchColor(static_cast<OLE_COLOR>(m_options[optionColour]) | kHatchOfOptionColour), layer);
        RaiseIfFailed(layer->put_HatchPatternID(rings ? hpSolid : hpNone), layer);
        RaiseIfFailed(layer->put_Enabled(VARIANT_FALSE), layer);
        RaiseIfFailed(layer->put_Tag(2), layer);
        for (int record = 0; record < records; ++record) {
            SetProgress(100 * record / records);
            std::unique_ptr<SHPObject, ObjectDestroyer> object(SHPReadObject(shapefile.get(), record));
            if (!object)
                continue;
            IShapeCollectionPtr target = drawing;
            IShapePtr group;
            if (object->nParts > 1) {
                long groupId = 0;
                RaiseIfFailed(drawing->AddGroup(stGroup, &groupId), drawing);
                group = ShapeById(drawing, groupId);
                RaiseIfFailed(group->put_LayerShapeID(layerId), group);
                RaiseIfFailed(group->get_Shapes(&target), group);
            }
            bool attributed = false;
            const int parts = std::max(object->nParts, 1);
            for (int p = 0; p < parts; ++p) {
                const int begin = object->nParts > 0 ? std::max(object->panPartStart[p], 0) : 0;
                const int end = p + 1 < object->nParts ? std::min(object->panPartStart[p + 1], object->nVertices)
                                                       : object->nVertices;
                // A part of a single vertex makes nothing.
                if (end - begin < 2)
                    continue;
                double x1 = object->padfX[begin], y1 = object->padfY[begin];
                double x2 = object->padfX[begin + 1], y2 = object->padfY[begin + 1];
                ConvertPoint(x1, y1);
                ConvertPoint(x2, y2);
                long id = 0;
                RaiseIfFailed(target->AddPolyline(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                                                  static_cast<float>(y2), &id),
                              target);
                const IShapePtr line = ShapeById(m_shapes, id);
                RaiseIfFailed(line->put_LayerShapeID(layerId), line);
                RaiseIfFailed(line->put_PenColor(coByLayer), line);
                if (rings) {
                    IPolylineShapePtr polyline(line);
                    RaiseIfFailed(polyline->put_Flags(pfClosed), polyline);
                    RaiseIfFailed(line->put_HatchColor(coByLayer), line);
                    RaiseIfFailed(line->put_HatchPatternID(hpByLayer), line);
                }
                if (!attributed && table) {
                    AddAttributes(group ? static_cast<IShape*>(group) : static_cast<IShape*>(line), table.get(), record);
                    attributed = true;
                }
                IPointCollectionPtr points;
                RaiseIfFailed(line->get_Points(&points), line);
                IPolylinePointCollectionPtr polylinePoints(points);
                for (int v = begin + 2; v < end; ++v) {
                    double x = object->padfX[v], y = object->padfY[v];
                    ConvertPoint(x, y);
                    long pointId = 0;
                    RaiseIfFailed(polylinePoints->AddNewPoint(v - begin + 1, &pointId, static_cast<float>(x),
                                                              static_cast<float>(y)),
                                  polylinePoints);
                }
            }
        }
    } else {
        ycom::ShowMessageBox(AfxSafeHwnd(AfxGetMainWnd()), "Unsupported shape type.", "SHP", MB_OK);
    }
    shapefile.reset();
    table.reset();
    SetProgress(100);

    // The limits and the grid take the drawing's extent; a failure here leaves them as they were.
    try {
        float left = 0, top = 0, right = 0, bottom = 0;
        RaiseIfFailed(root->GetBoundingRect(&left, &top, &right, &bottom), root);
        RaiseIfFailed(m_site->put_DraftLeft(left), m_site);
        RaiseIfFailed(m_site->put_DraftTop(top), m_site);
        RaiseIfFailed(m_site->put_DraftRight(right), m_site);
        RaiseIfFailed(m_site->put_DraftBottom(bottom), m_site);
        RaiseIfFailed(m_site->put_GridLeft(left), m_site);
        RaiseIfFailed(m_site->put_GridTop(top), m_site);
        RaiseIfFailed(m_site->put_GridRight(right), m_site);
        RaiseIfFailed(m_site->put_GridBottom(bottom), m_site);
    } catch (const _com_error&) {
    }
    RaiseIfFailed(m_control->ZoomAll(), m_control);
    return TRUE;
}
