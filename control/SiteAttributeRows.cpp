#include "control/SiteAttributeRows.h"
#include <oleauto.h>
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/AttributeValue.h"
#include "model/Shape.h"
#include "model/ShapeAttributeMap.h"
#include "model/ShapeAttributes.h"
#include "persistence/MaxIdReader.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/AttributeLinkSql.h"
#include "persistence/sql/IdReservationSql.h"
#include "persistence/sql/SessionSql.h"
#include "com/AnsiText.h"
#include "com/HResult.h"
#include "YVEX_h.h"

namespace {

// The texts of the attribute tables hold 255 bytes: a longer one is cut there rather than make
// every save of the site fail.
const size_t kTextColumn = 255;

std::string ColumnText(const std::wstring& text)
{
    std::string narrow = ycom::WideToAnsi(text.c_str());
    if (narrow.size() > kTextColumn)
        narrow.resize(kTextColumn);
    return narrow;
}

// The columns of one value, filled as the record tables fill them: the field of the value's own
// kind, and that of its type's kind when the two differ.
struct ValueColumns
{
    int integer = 0;
    double real = 0.0;
    int bit = 0;
    double date = 0.0;
    bool hasDate = false;
    bool hasText = false;
    std::string text;
};

void FillColumns(const VARIANT& value, ValueColumns& columns)
{
    switch (value.vt) {
    case VT_BOOL:
        columns.bit = value.boolVal != VARIANT_FALSE ? 1 : 0;
        return;
    case VT_R4:
        columns.real = value.fltVal;
        return;
    case VT_R8:
        columns.real = value.dblVal;
        return;
    case VT_DATE:
        columns.date = value.date;
        columns.hasDate = true;
        return;
    case VT_BSTR:
        columns.text = value.bstrVal ? ColumnText(std::wstring(value.bstrVal, SysStringLen(value.bstrVal))) : "";
        columns.hasText = true;
        return;
    case VT_EMPTY:
    case VT_NULL:
        return;
    default:
        break;
    }
    VARIANT asInt;
    VariantInit(&asInt);
    if (SUCCEEDED(VariantChangeType(&asInt, const_cast<VARIANT*>(&value), 0, VT_I4)))
        columns.integer = asInt.lVal;
    VariantClear(&asInt);
}

// A date as the column takes it: the day, quoted ('YYYY-MM-DD'; the loader reads the day
// alone), or NULL.
SqlRaw DateColumn(const ValueColumns& columns)
{
    SYSTEMTIME time = {};
    if (!columns.hasDate || !VariantTimeToSystemTime(columns.date, &time))
        return SqlRaw("NULL");
    char text[16];
    snprintf(text, sizeof text, "'%04u-%02u-%02u'", static_cast<unsigned>(time.wYear), static_cast<unsigned>(time.wMonth),
             static_cast<unsigned>(time.wDay));
    return SqlRaw(text);
}

template <class T>
std::vector<T*> Elements(const CKeyedObjectMap& map)
{
    std::vector<T*> out;
    for (int i = 0; i < map.GetCount(); ++i)
        out.push_back(static_cast<T*>(map.GetAt(i)));
    return out;
}

} // namespace

HRESULT CSiteAttributeRows::ReserveRange(COdbcSession& session, Range& range, int count)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SessionSql::NextId, {SqlRaw(range.column), SqlRaw(range.table)}));
    range.next = std::max(ReadMaxIdResult(session.Statement(), 1), 1);
    range.placeholder = 0;
    if (count == 0)
        return S_OK;
    const int placeholder = range.next + count + 1;
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, IdReservationSql::InsertPlaceholder,
                                  {SqlRaw(range.table), SqlRaw(range.column), placeholder}));
    range.placeholder = placeholder;
    return S_OK;
}

HRESULT CSiteAttributeRows::Reserve(COdbcSession& session)
{
    CAttributeGroupMap* groups = m_control.GetAttributeGroupMap();
    CAttributeTypeMap* types = m_control.GetAttributeTypeMap();
    CAttributeMap* values = m_control.GetAttributeMap();
    RETURN_IF_FAILED(ReserveRange(session, m_groups, groups ? groups->GetCount() : 0));
    RETURN_IF_FAILED(ReserveRange(session, m_types, types ? types->GetCount() : 0));
    return ReserveRange(session, m_values, values ? static_cast<int>(values->Values().size()) : 0);
}

HRESULT CSiteAttributeRows::Release(COdbcSession& session)
{
    for (Range* range : {&m_values, &m_types, &m_groups}) {
        if (range->placeholder != 0)
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, IdReservationSql::DeletePlaceholder,
                                          {SqlRaw(range->table), SqlRaw(range->column), range->placeholder}));
        range->placeholder = 0;
    }
    return S_OK;
}

HRESULT CSiteAttributeRows::Write(COdbcSession& session, int siteId, int scenarioId)
{
    CAttributeGroupMap* groupMap = m_control.GetAttributeGroupMap();
    CAttributeTypeMap* typeMap = m_control.GetAttributeTypeMap();
    if (!groupMap || !typeMap)
        return S_OK;
    using namespace AttributeLinkSql;

    // The groups: every one numbered first, so that a child names its parent's new row.
    const std::vector<CAttributeGroupData*> groups = Elements<CAttributeGroupData>(*groupMap);
    for (CAttributeGroupData* group : groups) {
        group->SetDatabaseId(m_groups.next++);
        groupMap->DatabaseIndex().Add(group->GetDatabaseId(), group->GetId());
    }
    for (CAttributeGroupData* group : groups) {
        const std::string name = ColumnText(group->GetName());
        const CAttributeGroupData* parent = group->GetParent();
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertAttributeGroup,
                                      {group->GetDatabaseId(), scenarioId, SqlOptionalId(parent ? parent->GetDatabaseId() : 0)},
                                      {OdbcParam::Text(name)}));
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertSiteAttribute, {siteId, group->GetDatabaseId(), scenarioId}));
    }

    // The types of the groups written: the database finds a type through its group only.
    for (CAttributeType* type : Elements<CAttributeType>(*typeMap)) {
        const CAttributeGroupData* group = type->GetOwnerGroup();
        if (!group || group->GetDatabaseId() < 1)
            continue;
        type->SetDatabaseId(m_types.next++);
        typeMap->DatabaseIndex().Add(type->GetDatabaseId(), type->GetId());
        const std::string name = ColumnText(type->GetName());
        const std::string format = ColumnText(type->GetFormat());
        const std::string prompt = ColumnText(type->GetPrompt());
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertAttributeType,
                                      {type->GetDatabaseId(), type->GetValueKind(), group->GetDatabaseId(), scenarioId},
                                      {OdbcParam::Text(name), OdbcParam::Text(format), OdbcParam::Text(prompt)}));
    }

    // The stored shapes' groups and values. A value held by two shapes is one row with two links.
    for (const auto& entry : m_control.GetShapeMap().Shapes()) {
        CShape* shape = entry.second;
        const int shapeRow = shape->GetDatabaseId();
        if (shapeRow < 1)
            continue;
        if (CShapeAttributes* shapeGroups = shape->FindAttributeGroups()) {
            std::set<int> linked;
            for (int i = 0; i < shapeGroups->GetCount(); ++i) {
                auto* group = static_cast<CAttributeGroupData*>(shapeGroups->GetAt(i));
                if (group && group->GetDatabaseId() >= 1 && linked.insert(group->GetDatabaseId()).second)
                    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertShapeAttributeGroup,
                                                  {shapeRow, group->GetDatabaseId(), scenarioId}));
            }
        }
        CShapeAttributeMap* shapeValues = shape->FindAttributes();
        if (!shapeValues)
            continue;
        for (CAttributeValue* value : Elements<CAttributeValue>(*shapeValues)) {
            if (!value)
                continue;
            if (value->GetDatabaseId() < 1) {
                const CAttributeType* type = typeMap->FindType(value->GetId());
                if (!type || type->GetDatabaseId() < 1)
                    continue;
                ValueColumns columns;
                FillColumns(value->GetValue(), columns);
                if (type->GetValueKind() != VT_EMPTY && type->GetValueKind() != value->GetValue().vt) {
                    VARIANT converted;
                    VariantInit(&converted);
                    if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&value->GetValue()), 0,
                                                    static_cast<VARTYPE>(type->GetValueKind()))))
                        FillColumns(converted, columns);
                    VariantClear(&converted);
                }
                value->UpdateDatabaseId(m_values.next++);
                RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertAttribute,
                                              {value->GetDatabaseId(), scenarioId, columns.integer, DateColumn(columns),
                                               columns.real, columns.bit, type->GetDatabaseId()},
                                              {OdbcParam::Text(columns.hasText ? columns.text.c_str() : nullptr)}));
            }
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertShapeAttribute,
                                          {shapeRow, value->GetDatabaseId(), scenarioId}));
        }
    }
    return S_OK;
}

void CSiteAttributeRows::ForgetDatabaseIds(CControlCore& control)
{
    if (CAttributeGroupMap* groups = control.GetAttributeGroupMap()) {
        for (CAttributeGroupData* group : Elements<CAttributeGroupData>(*groups))
            group->SetDatabaseId(0);
        groups->DatabaseIndex().Clear();
    }
    if (CAttributeTypeMap* types = control.GetAttributeTypeMap()) {
        for (CAttributeType* type : Elements<CAttributeType>(*types))
            type->SetDatabaseId(0);
        types->DatabaseIndex().Clear();
    }
    if (CAttributeMap* values = control.GetAttributeMap()) {
        for (const auto& entry : values->Values())
            entry.second->SetDatabaseId(0);
        values->DatabaseIndex().Clear();
    }
}

CSiteAttributeRows::Snapshot CSiteAttributeRows::TakeSnapshot(CControlCore& control)
{
    Snapshot snapshot;
    if (CAttributeGroupMap* groups = control.GetAttributeGroupMap())
        for (CAttributeGroupData* group : Elements<CAttributeGroupData>(*groups))
            snapshot.groups[group->GetId()] = group->GetDatabaseId();
    if (CAttributeTypeMap* types = control.GetAttributeTypeMap())
        for (CAttributeType* type : Elements<CAttributeType>(*types))
            snapshot.types[type->GetId()] = type->GetDatabaseId();
    if (CAttributeMap* values = control.GetAttributeMap())
        for (const auto& entry : values->Values())
            snapshot.values[entry.first] = entry.second->GetDatabaseId();
    return snapshot;
}

void CSiteAttributeRows::RestoreSnapshot(CControlCore& control, const Snapshot& snapshot)
{
    // What the snapshot does not name (nothing, as a save adds none) is new.
    auto idOf = [](const std::map<int, int>& ids, int key) {
        auto it = ids.find(key);
        return it == ids.end() ? 0 : it->second;
    };
    if (CAttributeGroupMap* groups = control.GetAttributeGroupMap()) {
        groups->DatabaseIndex().Clear();
        for (CAttributeGroupData* group : Elements<CAttributeGroupData>(*groups)) {
            group->SetDatabaseId(idOf(snapshot.groups, group->GetId()));
            groups->DatabaseIndex().Add(group->GetDatabaseId(), group->GetId());
        }
    }
    if (CAttributeTypeMap* types = control.GetAttributeTypeMap()) {
        types->DatabaseIndex().Clear();
        for (CAttributeType* type : Elements<CAttributeType>(*types)) {
            type->SetDatabaseId(idOf(snapshot.types, type->GetId()));
            types->DatabaseIndex().Add(type->GetDatabaseId(), type->GetId());
        }
    }
    if (CAttributeMap* values = control.GetAttributeMap()) {
        values->DatabaseIndex().Clear();
        for (const auto& entry : values->Values()) {
            entry.second->SetDatabaseId(idOf(snapshot.values, entry.first));
            values->DatabaseIndex().Add(entry.second->GetDatabaseId(), entry.first);
        }
    }
}
