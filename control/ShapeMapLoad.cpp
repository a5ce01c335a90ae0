// Loading shapes from the database into the shape map: a whole site, a group with its direct
// children, or one shape. Missing shapes are made by the factory, existing ones refreshed; each
// query reads one kind of row for the whole scope.
#include "control/ShapeMap.h"
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include "control/ControlCore.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/Image.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Reference.h"
#include "model/Shape.h"
#include "model/Text.h"
#include "persistence/AttributeLoader.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/ShapeAttributeGroupLoader.h"
#include "persistence/sql/SessionSql.h"
#include "persistence/sql/ShapeLoadSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"

using ShapeLoadSql::ScopeGroup;
using ShapeLoadSql::ScopeShape;
using ShapeLoadSql::ScopeSite;

namespace {

// Query kinds of the shape loader.
enum ShapeQueryKind {
    kindShapes = 0,
    kindShapePoints = 1,
    kindLinkedPoints = 2,
    kindPointLinks = 3,
    kindGroups = 4,
    kindLayerSettings = 5,
    kindLayers = 6,
    kindPolylines = 7,
    kindArcs = 8,
    kindEllipses = 9,
    kindImages = 10,
    kindCircles = 11,
    kindReferences = 12,
    kindTexts = 13,
    kindVertices = 16,
    kindLines = 17,
};

const int kFirstOrdinaryId = 12;
// Rows per driver call for the long results (shapes and points), which read bound columns only.
const SQLULEN kRowsPerBlock = 256;
// Hatch patterns stored by their database ID begin after the built-in ones.
const int kFirstStoredPattern = 28;

std::wstring Widen(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

// The row loop's end: the rest of the results drained, a failed fetch reported.
HRESULT FinishRows(COdbcSession& session, COdbcRow& row)
{
    const bool clean = row.EndedCleanly();
    const SQLRETURN fetched = row.LastFetch();
    row.Finish();
    return clean ? S_OK : session.CheckResult(CLSID_YVEXControl, fetched, "Execution Failed");
}

// The columns of v_Shapes that ReadShapeRow reads, bound once for all the rows.
void BindShapeColumns(COdbcRow& row)
{
    row.BindInt(1);
    row.BindDouble(3);
    for (SQLUSMALLINT column = 4; column <= 6; ++column)
        row.BindInt(column);
    row.BindDouble(7);
    row.BindDouble(8);
    for (SQLUSMALLINT column = 9; column <= 16; ++column)
        row.BindInt(column);
}

// The columns of a point row that CShapeMap::ReadPointRow reads.
void BindPointColumns(COdbcRow& row)
{
    row.BindInt(1);
    row.BindInt(2);
    row.BindFloat(4);
    row.BindFloat(5);
}

CShapeMap::DbShapeRow ReadShapeRow(COdbcRow& row)
{
    CShapeMap::DbShapeRow r;
    r.databaseId = row.Int(1);
    r.penWeight = row.Double(3);
    r.penColor = static_cast<DWORD>(row.Int(4));
    r.tag = row.Int(5);
    r.number = row.Int(6);
    r.linePatternScale = row.Double(7);
    r.zOrder = row.Double(8);
    r.hatchColor = static_cast<DWORD>(row.Int(9));
    r.flags = static_cast<DWORD>(row.Int(10));
    r.type = row.Int(11);
    r.siteId = row.Int(12);
    r.linePatternId = row.Int(13);
    r.parentId = row.Int(14);
    r.hatchPatternId = row.Int(15);
    r.layerId = row.Int(16);
    return r;
}

// The kinds whose step applies the rows of a shape of a type, when one row was loaded.
std::vector<int> StepsOfType(int type)
{
    switch (type) {
    case stLine: return {kindLines};
    case stRectangle:
    case stPolyline:
    case stPolygon: return {kindPolylines};
    case stArc: return {kindArcs, kindEllipses};
    case stCircle: return {kindCircles, kindArcs, kindEllipses};
    case stEllipse: return {kindEllipses};
    case stGroup: return {kindGroups};
    case stLayer: return {kindLayers, kindLayerSettings};
    case stImage: return {kindImages};
    case stText: return {kindTexts};
    case stReference: return {kindReferences};
    default: return {};
    }
}

// The radius of a circle or arc row: the length of the major axis, along (1, 0) when the shape
// has no axis yet; an arc row adds its start and end angles.
void ApplyRadiusRow(COdbcRow& row, bool withAngles, CEllipse* ellipse)
{
    const double radius = row.Double(3);
    if (ellipse->GetMajorX() == 0.0f && ellipse->GetMajorY() == 0.0f)
        ellipse->SetMajorAxis(static_cast<float>(radius), 0.0f);
    else
        ellipse->SetMajorRadius(radius);
    if (withAngles)
        ellipse->SetAngles(row.Float(4), row.Float(5));
}

// The general ellipse row: ratio, plane normal, angles and the major-axis vector.
void ApplyEllipseRow(COdbcRow& row, CEllipse* ellipse)
{
    ellipse->SetMinorRatio(std::fabs(row.Float(3)));
    ellipse->SetExtrusionZ(row.Float(4));
    ellipse->SetAngles(row.Float(5), row.Float(6));
    ellipse->SetMajorAxis(row.Float(7), row.Float(8));
}

// A text row. A label inside a block reference shows its block's label and keeps its own text.
void ApplyTextRow(COdbcRow& row, CText* text)
{
    const std::string body = row.LongText(3);
    const CGroup* parent = text->GetParent();
    const bool keepsText = parent && parent->GetShapeType() == stReference && text->GetTextType() == ttLabel;
    const int type = row.Int(4, 1);
    const float height = row.Float(5, 10.0f);
    float width = row.Float(6, -1.0f);
    const DWORD align = static_cast<DWORD>(row.Int(7, 0));
    const float xScale = row.Float(8, 1.0f);
    const double rotation = row.Double(9, 0.0);
    const std::string face = row.Text(10, 256);
    const int charset = row.Int(11, 0);
    if (!keepsText)
        text->StoreText(body.c_str(), static_cast<int>(body.size()));
    if (!face.empty())
        text->SetFontNameA(face.c_str());
    text->SetCharset(charset);
    text->SetTextType(type);
    text->SetAlignType(align);
    text->SetHeight(height);
    // A plain text stored without a width is measured from its characters.
    if (width == -1.0f && type != ttRTF)
        width = 0.0f;
    text->SetWidth(width);
    text->SetXScale(xScale);
    text->SetRotation(rotation);
}

} // namespace

HRESULT SelectShapeQuery(COdbcSession& session, int kind, int scope, int argument)
{
    const SqlStatement* query = ShapeLoadSql::ShapeQuery(kind, scope);
    if (!query)
        return E_FAIL;
    const char* templ = query->TemplateFor(session.Dialect());
    std::vector<SqlValue> values;
    for (const char* p = templ ? templ : ""; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd') {
            values.emplace_back(argument);
            ++p;
        } else if (p[0] == '%' && p[1]) {
            ++p;
        }
    }
    return session.Exec(CLSID_YVEXControl, *query, values);
}

HRESULT CShapeMap::OpenNestedSession(COdbcSession& session)
{
    m_control->FillLogin(session);
    RETURN_IF_FAILED(session.Connect(CLSID_YVEXControl));
    return session.Exec(CLSID_YVEXControl, SessionSql::ReadUncommitted);
}

void CShapeMap::DiscardShape(CShape* shape)
{
    if (!shape)
        return;
    m_lastParentDbId = 0;
    m_lastParent = nullptr;
    shape->DetachFromParent();
    DeleteShape(shape);
}

HRESULT CShapeMap::ReadPointRow(COdbcRow& row, int* shapeDatabaseId, int* pointId)
{
    *shapeDatabaseId = row.Int(1);
    const int databaseId = row.Int(2);
    const float x = row.Float(4);
    const float y = row.Float(5);
    CPointPool& pool = m_control->GetPointPool();
    CPointRecord* point = pool.FindByDatabaseId(databaseId);
    if (!point) {
        int id = 0;
        point = pool.AddPoint(x, y, &id);
    }
    if (!point)
        return E_FAIL;
    point->x = x;
    point->y = y;
    CShape::NoteAnyGeometryChange();
    point->SetDatabaseId(databaseId);
    pool.SetDatabaseId(databaseId, *point);
    *pointId = point->GetPointId();
    return S_OK;
}

HRESULT CShapeMap::ReadShapePointRows(COdbcSession& session, std::vector<int>* list)
{
    COdbcRow row(session.Statement());
    row.FetchInBlocks(kRowsPerBlock);
    BindPointColumns(row);
    HRESULT result = S_OK;
    // The rows come shape by shape: the shape of the previous row is looked up once.
    int lastShapeDatabaseId = 0;
    CShape* shape = nullptr;
    while (row.Fetch()) {
        int shapeDatabaseId = 0, pointId = 0;
        if (FAILED(ReadPointRow(row, &shapeDatabaseId, &pointId))) {
            result = E_FAIL;
            break;
        }
        if (!shape || shapeDatabaseId != lastShapeDatabaseId) {
            shape = FindByDbId(shapeDatabaseId);
            lastShapeDatabaseId = shapeDatabaseId;
        }
        if (!shape) {
            result = E_FAIL;
            break;
        }
        if (shape->AddPointById(pointId, CShape::kAppend, true) == S_OK) {
            m_control->StepProgress();
            if (list)
                list->push_back(shapeDatabaseId);
        }
    }
    const HRESULT finished = FinishRows(session, row);
    return FAILED(result) ? result : finished;
}

HRESULT CShapeMap::ReadVertexRows(COdbcSession& session, std::vector<int>* list)
{
    COdbcRow row(session.Statement());
    // The leading IDs only: the columns after them are read one by one.
    row.BindInt(1);
    row.BindInt(2);
    HRESULT result = S_OK;
    CPointPool& pool = m_control->GetPointPool();
    while (row.Fetch()) {
        const int shapeDatabaseId = row.Int(1);
        const int pointDatabaseId = row.Int(2);
        CShape* shape = FindByDbId(shapeDatabaseId);
        auto* polyline = shape ? dynamic_cast<CPolyline*>(shape) : nullptr;
        if (!polyline) {
            result = E_FAIL;
            break;
        }
        CPointRecord* point = pool.FindByDatabaseId(pointDatabaseId);
        const int index = point ? polyline->GetPoints().IndexOf(point->GetPointId()) : -1;
        if (index < 0)
            continue;
        const int vertexId = row.Int(3);
        const std::string name = row.Text(5, 256);
        const DWORD color = static_cast<DWORD>(row.Int(6, 0x40000000));
        const float startWidth = row.Float(7, -1.0f);
        const float endWidth = row.Float(8, -1.0f);
        const float bulge = row.Float(9);
        const int flags = row.Int(10);
        const int tag = row.Int(11);
        const int lineType = row.Int(12, 0x8000);
        const int shapePointId = row.Int(13);
        if (CVertexRecord* vertex = polyline->FindVertexOfPoint(point->GetPointId())) {
            vertex->color = color;
            vertex->startWidth = startWidth;
            vertex->endWidth = endWidth;
            vertex->bulge = bulge;
            vertex->flags = flags;
            vertex->tag = tag;
            vertex->lineType = lineType;
            vertex->name = name;
            vertex->databaseId = vertexId;
            vertex->shapePointId = shapePointId;
        } else if (CVertexRecord* added = polyline->AddVertex(index, point->GetPointId(), bulge, color, lineType,
                                                                name.c_str(), startWidth, endWidth, flags, tag,
                                                                vertexId)) {
            added->shapePointId = shapePointId;
        } else {
            result = E_FAIL;
            break;
        }
        if (list)
            list->push_back(shapeDatabaseId);
    }
    const HRESULT finished = FinishRows(session, row);
    return FAILED(result) ? result : finished;
}

HRESULT CShapeMap::LoadChildPoints(COdbcSession& session, CGroup* group, int kind, std::vector<int>* list)
{
    if (!group)
        return S_OK;
    const std::vector<CShape*> children = group->Children();
    for (CShape* child : children) {
        if (child->GetDatabaseId() > 0) {
            RETURN_IF_FAILED(SelectShapeQuery(session, kind, ScopeGroup, child->GetDatabaseId()));
            RETURN_IF_FAILED(kind == kindShapePoints ? ReadShapePointRows(session, list)
                                                     : ReadVertexRows(session, list));
        }
        if (child->IsGroup())
            RETURN_IF_FAILED(LoadChildPoints(session, static_cast<CGroup*>(child), kind, list));
    }
    return S_OK;
}

HRESULT CShapeMap::LoadPointsOfList(COdbcSession& session, const std::vector<int>& ids, int kind, std::vector<int>* list)
{
    for (int id : ids) {
        RETURN_IF_FAILED(SelectShapeQuery(session, kind, ScopeGroup, id));
        RETURN_IF_FAILED(kind == kindShapePoints ? ReadShapePointRows(session, list)
                                                 : ReadVertexRows(session, list));
    }
    return S_OK;
}

HRESULT CShapeMap::ApplyShapeRow(const DbShapeRow& r, int scope, int argument, bool keepIds,
                                 std::vector<std::pair<int, int>>& pendingLayers, std::vector<int>* list)
{
    CShape* shape = nullptr;
    auto registered = FindDbId(r.databaseId);
    if (registered != m_dbIds.end()) {
        const int shapeId = r.number > 0 ? registered->second : r.number;
        shape = Lookup(shapeId);
        if (!shape)
            return E_FAIL;
        // A row of another kind replaces the shape. The load runs with the gate closed, which
        // the public deletion refuses: the shape goes here, quietly.
        if (shape->GetShapeType() != r.type) {
            if (IsProtected(shape))
                return E_FAIL;
            DiscardShape(shape);
            shape = nullptr;
            m_dbIds.erase(r.databaseId);
        }
    }
    bool created = false;
    if (!shape) {
        const bool baseLayer = r.number == BASE_LAYER && r.type == stLayer;
        if (r.number < kFirstOrdinaryId && !(baseLayer && !keepIds)) {
            shape = Lookup(r.number);
            if (!shape) {
                if (!baseLayer)
                    return E_FAIL;
                const int id = BASE_LAYER;
                shape = CreateShape(stLayer, true, false, &id);
                if (!shape)
                    return E_FAIL;
                shape->SetVisible(true);
                Insert(shape);
                created = true;
            }
        } else {
            shape = CreateShape(r.type, true, false);
            // A kind the factory does not build yet is left out with its rows.
            if (!shape)
                return S_FALSE;
            Insert(shape);
            created = true;
            if (r.layerId != 0)
                pendingLayers.emplace_back(r.databaseId, r.layerId);
        }
        SetDbId(r.databaseId, shape->GetId());
    }
    if (list)
        list->push_back(r.databaseId);
    if (keepIds || created)
        shape->SetDatabaseId(r.databaseId);

    // The sign tells the scaling; an unscaled weight of 0 comes as a tiny negative number (or,
    // from a database that keeps it, as -0).
    shape->SetStateBits(CShape::stScalePenWeight, r.penWeight >= 0.0 && !std::signbit(r.penWeight));
    const double weight = std::fabs(r.penWeight);
    shape->SetPenWeight(weight < CShape::kStoredWeightZero ? 0.0f : static_cast<float>(weight));
    shape->SetPenColor(r.penColor);
    shape->SetHatchColor(r.hatchColor);
    shape->SetTag(r.tag);
    shape->SetLinePatternId(r.linePatternId);
    shape->SetLinePatternScale(static_cast<float>(r.linePatternScale));
    int hatch = r.hatchPatternId;
    if (hatch >= kFirstStoredPattern && hatch != 0x4000 && hatch != 0x8000) {
        CHatchPattern* pattern = m_control->GetHatchPatternMap().FindByStoredId(hatch);
        hatch = pattern ? pattern->GetId() : 0;
    }
    shape->SetHatchPatternId(hatch);
    shape->SetProtectionFlagsMasked(r.flags, 0xFFFFFFFF);
    if (scope != ScopeSite && !m_control->CheckIncludedSite(r.siteId))
        shape->SetStateBits(CShape::stEnabled, false);
    shape->SetZOrder(static_cast<float>(r.zOrder), false);

    // The shape a reload is about keeps its place, unless it is new here (another session added
    // it): then it joins its stored parent, or it would be in no group and never drawn.
    const bool keepsPlace = scope == ScopeGroup && r.databaseId == argument && !created && shape->GetParent();
    if (!keepsPlace && r.parentId > 0) {
        CShape* parent = r.parentId == m_lastParentDbId ? m_lastParent : FindByDbId(r.parentId);
        if (!parent) {
            // A child read before its parent: the parent is fetched by its own query.
            COdbcSession nested;
            RETURN_IF_FAILED(OpenNestedSession(nested));
            RETURN_IF_FAILED(LoadSiteShapes(nested, r.parentId, ScopeShape, list));
            nested.Disconnect();
            parent = FindByDbId(r.parentId);
        }
        if (!parent || !parent->IsGroup())
            return E_FAIL;
        m_lastParentDbId = r.parentId;
        m_lastParent = parent;
        // A shape made by this row is in no list yet: the group need not search its children.
        if (created)
            static_cast<CGroup*>(parent)->AddNewChild(shape, 1);
        else if (shape->GetParent() != parent)
            static_cast<CGroup*>(parent)->AddChild(shape, nullptr, 1, false);
    }
    shape->RemoveAllPoints();
    if (keepIds || GetSourceSite(r.databaseId) == 0)
        AddSourceSite(r.databaseId, r.siteId);
    if (!created && r.layerId != 0) {
        CShape* layer = FindByDbId(r.layerId);
        if (layer && layer->GetShapeType() == stLayer)
            shape->SetLayer(static_cast<CLayer*>(layer));
    }
    m_control->StepProgress();
    return S_OK;
}

HRESULT CShapeMap::LoadSiteShapes(COdbcSession& session, int argument, int scope, std::vector<int>* list)
{
    if (!m_control)
        return E_FAIL;
    const bool keepIds = true;
    // (database ID, layer database ID) of the shapes made, in row order.
    std::vector<std::pair<int, int>> pendingLayers;
    std::vector<int> childIds;
    std::vector<int> applied;
    int rows = 0;
    int singleType = -1;
    m_lastParentDbId = 0;
    m_lastParent = nullptr;

    // Kind 0: the shapes themselves.
    RETURN_IF_FAILED(SelectShapeQuery(session, kindShapes, scope, argument));
    {
        COdbcRow row(session.Statement());
        row.FetchInBlocks(kRowsPerBlock);
        BindShapeColumns(row);
        HRESULT result = S_OK;
        while (row.Fetch()) {
            const DbShapeRow r = ReadShapeRow(row);
            ++rows;
            singleType = r.type;
            if (scope == ScopeGroup && r.databaseId != argument)
                childIds.push_back(r.databaseId);
            result = ApplyShapeRow(r, scope, argument, keepIds, pendingLayers, &applied);
            if (FAILED(result))
                break;
        }
        const HRESULT finished = FinishRows(session, row);
        if (FAILED(result))
            return result;
        RETURN_IF_FAILED(finished);
    }
    if (list)
        list->insert(list->end(), applied.begin(), applied.end());

    CShape* loaded = scope != ScopeSite ? FindByDbId(argument) : nullptr;
    // A reloaded group keeps the children the rows list, in their order.
    if (scope == ScopeGroup && loaded && loaded->IsGroup()) {
        auto* group = static_cast<CGroup*>(loaded);
        if (!childIds.empty() || group->GetShapeCount() > 0) {
            const std::vector<CShape*> children = group->Children();
            for (CShape* child : children)
                if (std::find(childIds.begin(), childIds.end(), child->GetDatabaseId()) == childIds.end())
                    DiscardShape(child);
            for (int id : childIds) {
                if (CShape* child = FindByDbId(id)) {
                    group->RemoveChild(child);
                    group->AppendChild(child, 1);
                }
            }
        }
    }
    // The shape has gone from the database.
    if (rows == 0 && scope != ScopeSite)
        return RemoveShapeOnMessage(argument);

    // In database ID order, as the ID table: the shapes' entries are walked along, not searched,
    // and a run of shapes on one layer looks the layer up once. Of a shape listed twice the later
    // row counts.
    std::stable_sort(pendingLayers.begin(), pendingLayers.end(),
                     [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
    auto entry = m_dbIds.cbegin();
    int layerDbId = 0;
    CShape* layer = nullptr;
    for (size_t i = 0; i < pendingLayers.size(); ++i) {
        const std::pair<int, int>& pending = pendingLayers[i];
        if (i + 1 < pendingLayers.size() && pendingLayers[i + 1].first == pending.first)
            continue;
        while (entry != m_dbIds.cend() && entry->first < pending.first)
            ++entry;
        CShape* shape = entry != m_dbIds.cend() && entry->first == pending.first ? Lookup(entry->second) : nullptr;
        if (pending.second != layerDbId) {
            layerDbId = pending.second;
            layer = FindByDbId(layerDbId);
        }
        if (shape && layer && layer->GetShapeType() == stLayer)
            shape->SetLayer(static_cast<CLayer*>(layer));
    }

    // Points of the shapes, then the points they follow, then the links to the loaded shape's
    // points, then the vertex data.
    const int pointScope = scope == ScopeGroup ? ScopeShape : scope;
    RETURN_IF_FAILED(SelectShapeQuery(session, kindShapePoints, pointScope, argument));
    RETURN_IF_FAILED(ReadShapePointRows(session, list));
    if (scope == ScopeGroup && loaded && loaded->IsGroup()) {
        auto* group = static_cast<CGroup*>(loaded);
        if (group->GetShapeCount() == static_cast<int>(childIds.size()))
            RETURN_IF_FAILED(LoadChildPoints(session, group, kindShapePoints, list));
        else
            RETURN_IF_FAILED(LoadPointsOfList(session, childIds, kindShapePoints, list));
    }
    RETURN_IF_FAILED(SelectShapeQuery(session, kindLinkedPoints, pointScope, argument));
    {
        COdbcRow row(session.Statement());
        row.FetchInBlocks(kRowsPerBlock);
        BindPointColumns(row);
        HRESULT result = S_OK;
        while (row.Fetch()) {
            int shapeDatabaseId = 0, pointId = 0;
            CShape* shape = nullptr;
            if (FAILED(ReadPointRow(row, &shapeDatabaseId, &pointId)) || !(shape = FindByDbId(shapeDatabaseId))) {
                result = E_FAIL;
                break;
            }
            shape->LinkPoint(pointId);
        }
        const HRESULT finished = FinishRows(session, row);
        RETURN_IF_FAILED(result);
        RETURN_IF_FAILED(finished);
    }
    if (scope != ScopeSite) {
        RETURN_IF_FAILED(SelectShapeQuery(session, kindPointLinks, scope, argument));
        COdbcRow row(session.Statement());
        HRESULT result = S_OK;
        std::vector<std::pair<int, int>> links;
        while (row.Fetch())
            links.emplace_back(row.Int(3), row.Int(4));
        RETURN_IF_FAILED(FinishRows(session, row));
        CPointPool& pool = m_control->GetPointPool();
        for (const auto& link : links) {
            CShape* shape = FindByDbId(link.first);
            CPointRecord* point = pool.FindByDatabaseId(link.second);
            if (!shape || !point) {
                result = E_FAIL;
                break;
            }
            shape->LinkPoint(point->GetPointId());
        }
        RETURN_IF_FAILED(result);
    }
    RETURN_IF_FAILED(SelectShapeQuery(session, kindVertices, scope, argument));
    RETURN_IF_FAILED(ReadVertexRows(session, list));
    if (scope == ScopeGroup && loaded && loaded->IsGroup()) {
        auto* group = static_cast<CGroup*>(loaded);
        if (group->GetShapeCount() == static_cast<int>(childIds.size()))
            RETURN_IF_FAILED(LoadChildPoints(session, group, kindVertices, list));
        else
            RETURN_IF_FAILED(LoadPointsOfList(session, childIds, kindVertices, list));
    }

    // The attributes of a reloaded shape and its children; a site load leaves them to the site.
    if (scope != ScopeSite) {
        for (int id : applied)
            if (CShape* shape = FindByDbId(id))
                if (CShapeAttributes* shapeGroups = shape->FindAttributeGroups())
                    shapeGroups->Clear();
        CAttributeLoader* attributes = CAttributeLoader::Acquire();
        CShapeAttributeGroupLoader* groups = CShapeAttributeGroupLoader::Acquire();
        COdbcSession context;
        m_control->FillLogin(context);
        context.target = m_control;
        context.keyId = argument;
        context.scope = scope == ScopeGroup ? CDbLoadContext::ScopeShapeAndChildren : CDbLoadContext::ScopeShape;
        HRESULT result = groups ? groups->Run(&context) : S_OK;
        if (SUCCEEDED(result) && attributes)
            result = attributes->Run(&context);
        if (attributes)
            attributes->Release();
        if (groups)
            groups->Release();
        RETURN_IF_FAILED(result);
    }

    // The kinds' own rows.
    std::vector<int> steps = {kindGroups, kindLayers, kindLayerSettings, kindPolylines, kindCircles, kindArcs,
                              kindEllipses, kindImages, kindTexts, kindReferences, kindLines};
    const bool oneRow = rows == 1;
    if (oneRow)
        steps = StepsOfType(singleType);
    for (size_t i = 0; i < steps.size(); ++i) {
        bool appliedAny = false;
        RETURN_IF_FAILED(LoadKindRows(session, steps[i], scope, argument, &appliedAny));
        // A circle or an arc whose own step found no row is read as the more general kind.
        if (oneRow && appliedAny && (steps[i] == kindCircles || steps[i] == kindArcs))
            break;
    }
    return S_OK;
}

HRESULT CShapeMap::LoadKindRows(COdbcSession& session, int kind, int scope, int argument, bool* appliedAny)
{
    *appliedAny = false;
    switch (kind) {
    case kindGroups:
    case kindLayers:
    case kindLayerSettings:
    case kindPolylines:
    case kindCircles:
    case kindArcs:
    case kindEllipses:
    case kindImages:
    case kindTexts:
    case kindLines:
        break;
    case kindReferences:
        return LoadReferenceRows(session, scope, argument, appliedAny);
    default:
        return S_OK;
    }
    const int queryScope = (kind == kindLayers || kind == kindLayerSettings) && scope == ScopeGroup ? ScopeShape
                                                                                                       : scope;
    RETURN_IF_FAILED(SelectShapeQuery(session, kind, queryScope, argument));
    COdbcRow row(session.Statement());
    // Every kind reads the shape's ID first; a line row has nothing after its two arrows.
    row.BindInt(1);
    if (kind == kindLines) {
        row.BindInt(3);
        row.BindInt(4);
    }
    HRESULT result = S_OK;
    while (SUCCEEDED(result) && row.Fetch()) {
        CShape* shape = FindByDbId(row.Int(1));
        if (!shape)
            continue;
        switch (kind) {
        case kindGroups:
            if (shape->IsGroup())
                static_cast<CGroup*>(shape)->SetName(Widen(row.Text(3, 256)).c_str());
            break;
        case kindLayers:
            if (shape->GetShapeType() != stLayer) {
                result = E_FAIL;
                continue;
            }
            static_cast<CLayer*>(shape)->SetName(row.Text(3, 256).c_str());
            break;
        case kindLayerSettings:
            if (shape->GetShapeType() != stLayer) {
                result = E_FAIL;
                continue;
            }
            shape->SetVisible(row.Int(2) != 0);
            shape->SetStateBits(CShape::stEnabled, row.Int(3) != 0);
            shape->SetSelectable(row.Int(4) != 0);
            break;
        case kindPolylines: {
            auto* polyline = dynamic_cast<CPolyline*>(shape);
            if (!polyline) {
                result = E_FAIL;
                continue;
            }
            const float start = row.Float(3);
            const float end = row.Float(4);
            if (start == 0.0f && end != 0.0f) {
                polyline->SetStateBits(CShape::stScalePenWeight, true);
                polyline->SetDefaultWidths(std::fabs(start), std::fabs(end));
            }
            polyline->SetFirstArrowType(row.Int(5));
            polyline->SetSecondArrowType(row.Int(6));
            break;
        }
        case kindCircles:
        case kindArcs:
        case kindEllipses: {
            auto* ellipse = dynamic_cast<CEllipse*>(shape);
            if (!ellipse) {
                result = E_FAIL;
                continue;
            }
            if (kind == kindEllipses)
                ApplyEllipseRow(row, ellipse);
            else
                ApplyRadiusRow(row, kind == kindArcs, ellipse);
            break;
        }
        case kindImages: {
            auto* image = dynamic_cast<CImage*>(shape);
            if (!image) {
                result = E_FAIL;
                continue;
            }
            image->SetSize(row.Float(3), row.Float(4));
            image->SetRotation(row.Double(5));
            // The picture itself comes with the site's resources; an image whose resource is
            // not among them keeps the one it shows.
            const int resourceDatabaseId = row.Int(6);
            CImageResource* resource = resourceDatabaseId > 0
                                           ? m_control->GetImageResourceMap().FindByObjectId(resourceDatabaseId)
                                           : nullptr;
            if (resource && resource->GetId() != image->GetImageResourceId())
                image->SetImageResourceId(resource->GetId());
            break;
        }
        case kindTexts: {
            auto* text = dynamic_cast<CText*>(shape);
            if (!text)
                continue;
            ApplyTextRow(row, text);
            break;
        }
        case kindLines:
            if (shape->GetShapeType() != stLine)
                continue;
            shape->SetFirstArrowType(row.Int(3));
            shape->SetSecondArrowType(row.Int(4));
            break;
        default:
            break;
        }
        *appliedAny = true;
    }
    const HRESULT finished = FinishRows(session, row);
    if (FAILED(result))
        return result;
    if (kind == kindGroups && scope != ScopeSite)
        if (CShape* group = FindByDbId(argument))
            if (group->IsGroup())
                static_cast<CGroup*>(group)->UpdateReferrers(0, 0);
    return finished;
}

HRESULT CShapeMap::LoadReferenceRows(COdbcSession& session, int scope, int argument, bool* appliedAny)
{
    struct ReferenceRow
    {
        int databaseId;
        float xScale, yScale;
        double angle;
        int blockDatabaseId;
    };
    // The rows are read to their end first: a missing block is fetched on a connection of its own
    // while this statement would still be open.
    RETURN_IF_FAILED(SelectShapeQuery(session, kindReferences, scope, argument));
    std::vector<ReferenceRow> rows;
    {
        COdbcRow row(session.Statement());
        while (row.Fetch())
            rows.push_back({row.Int(1), row.Float(3, 1.0f), row.Float(4, 1.0f), row.Double(5), row.Int(6)});
        RETURN_IF_FAILED(FinishRows(session, row));
    }
    for (const ReferenceRow& r : rows) {
        auto* reference = dynamic_cast<CReference*>(FindByDbId(r.databaseId));
        if (!reference)
            continue;
        CShape* block = FindByDbId(r.blockDatabaseId);
        if (!block && scope != ScopeSite && r.blockDatabaseId > 0) {
            COdbcSession nested;
            RETURN_IF_FAILED(OpenNestedSession(nested));
            RETURN_IF_FAILED(LoadSiteShapes(nested, r.blockDatabaseId, ScopeGroup, nullptr));
            nested.Disconnect();
            block = FindByDbId(r.blockDatabaseId);
        }
        if (!block || block->GetShapeType() != stGroup)
            continue;
        if (!reference->SetBlockGroupShapeID(block->GetId())) {
            m_control->ReportError("Failed to load site");
            return E_FAIL;
        }
        reference->SetXScale(r.xScale, false);
        reference->SetYScale(r.yScale, false);
        reference->SetRotationAngle(r.angle, false);
        reference->DropOwnChildren();
        reference->ResolveBlock(static_cast<CGroup*>(block), true, true, false);
        // The copies are made in the block's own frame and placed by the reference.
        reference->ApplyTransform(true);
        *appliedAny = true;
    }
    return S_OK;
}
