#include "model/AttributeValue.h"
#include <cstring>
#include <string>
#include "YVEX_h.h"
#include "com/AnsiText.h"
#include "com/HResult.h"
#include "model/AttributeMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/ShapeHost.h"
#include "persistence/DataTableSet.h"
#include "model/ShapeAttributeMap.h"

CAttributeValue::CAttributeValue() { VariantInit(&m_value); }

CAttributeValue::~CAttributeValue() { VariantClear(&m_value); }

CShapeAttributeMap* CAttributeValue::GetShapeMap() const { return dynamic_cast<CShapeAttributeMap*>(m_ownerMap); }

HRESULT CAttributeValue::SetValue(const VARIANT& value)
{
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopy(&copy, const_cast<VARIANT*>(&value));
    if (FAILED(hr))
        return hr;
    VariantClear(&m_value);
    m_value = copy;
    return S_OK;
}

void CAttributeValue::UpdateDatabaseId(int databaseId)
{
    if (databaseId != m_databaseId && m_siteMap) {
        m_siteMap->DatabaseIndex().RemoveIf(m_databaseId, m_siteKey);
        m_siteMap->DatabaseIndex().Add(databaseId, m_siteKey);
    }
    m_databaseId = databaseId;
}

HRESULT CAttributeValue::Equals(const VARIANT& value, bool* equal) const
{
    *equal = false;
    const VARTYPE a = m_value.vt, b = value.vt;
    const bool aNone = a == VT_EMPTY || a == VT_NULL, bNone = b == VT_EMPTY || b == VT_NULL;
    if (aNone || bNone) {
        *equal = aNone && bNone;
        return S_OK;
    }
    auto comparable = [](VARTYPE t) {
        switch (t) {
        case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4:
        case VT_UI8: case VT_UINT: case VT_R4: case VT_R8: case VT_DATE: case VT_CY: case VT_DECIMAL:
        case VT_BOOL: case VT_BSTR: case VT_ERROR:
            return true;
        default:
            return false;
        }
    };
    if (!comparable(a) || !comparable(b))
        return E_INVALIDARG;
    if (a != b)
        return S_OK; // another type is another value
    if (a == VT_BSTR) {
        const UINT la = SysStringLen(m_value.bstrVal), lb = SysStringLen(value.bstrVal);
        *equal = la == lb && (la == 0 || std::memcmp(m_value.bstrVal, value.bstrVal, la * sizeof(OLECHAR)) == 0);
        return S_OK;
    }
    *equal = VarCmp(const_cast<VARIANT*>(&m_value), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0) == VARCMP_EQ;
    return S_OK;
}

void CAttributeValue::OnFinalRelease()
{
    CAttributeBase::OnFinalRelease();
    if (CAttributeMap* map = m_siteMap) {
        m_siteMap = nullptr;
        map->Detach(this);
    }
}

namespace {

// ID kind of attribute types in a record-table set's ID maps.
constexpr int kTypeIdKind = 3;

bool IsIntegerType(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_I2: case VT_I4: case VT_UI1: case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT:
        return true;
    default:
        return false;
    }
}

// Fills the record's field of the value's own type; false for a type that fills none.
bool FillField(const VARIANT& value, CAttributesRecord& record)
{
    switch (value.vt) {
    case VT_BOOL:
        record.BitField = static_cast<int16_t>(value.boolVal);
        return true;
    case VT_R4:
        record.RealField = value.fltVal;
        return true;
    case VT_R8:
        record.RealField = value.dblVal;
        return true;
    case VT_DATE:
        record.DateTimeField = value.date;
        return true;
    case VT_BSTR:
        record.VarCharField = ycom::WideToAnsi(value.bstrVal);
        return true;
    default:
        break;
    }
    if (!IsIntegerType(value.vt))
        return false;
    VARIANT asInt;
    VariantInit(&asInt);
    if (FAILED(VariantChangeType(&asInt, const_cast<VARIANT*>(&value), 0, VT_I4)))
        return false;
    record.IntField = asInt.lVal;
    return true;
}

} // namespace

HRESULT CAttributeValue::ExchangeTables(CDataTableSet* tables, DWORD mode)
{
    CAttributesTable* table = tables ? tables->Attributes() : nullptr;
    if (!table)
        return E_INVALIDARG;
    CShapeHost* host = m_siteMap ? m_siteMap->GetHost() : nullptr;
    CAttributeTypeMap* types = host ? host->GetAttributeTypeMap() : nullptr;
    const bool ownIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;

    if (!(mode & DXFMODE_LOAD)) {
        CAttributeType* type = types ? types->FindType(m_id) : nullptr;
        if (!type)
            return E_ACCESSDENIED;
        CAttributesRecord record;
        if (!ownIds && m_databaseId < 1)
            UpdateDatabaseId(table->NewKey());
        const int key = ownIds ? m_siteKey : m_databaseId;
        if (const CAttributesRecord* stored = table->FindRecord(key))
            record = *stored;
        record.AttributeID = key;
        record.DatabaseID = m_databaseId;
        record.AttributeTypeID = ownIds ? type->GetId() : type->GetDatabaseId();
        FillField(m_value, record);
        // A value held in another kind than its type's also fills the field of the type's kind.
        if (type->GetValueKind() != VT_EMPTY && type->GetValueKind() != m_value.vt) {
            VARIANT converted;
            VariantInit(&converted);
            if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&m_value), 0,
                                            static_cast<VARTYPE>(type->GetValueKind()))))
                FillField(converted, record);
            VariantClear(&converted);
        }
        table->Put(record);
        return S_OK;
    }

    const CAttributesRecord* record = table->GetCurrent();
    if (!record)
        return E_ACCESSDENIED;
    auto findType = [&]() -> CAttributeType* {
        const int typeId = tables->StoredToCurrentId(record->AttributeTypeID, kTypeIdKind, static_cast<int>(mode));
        return types && typeId != CDataTableSet::kNoIdMapping ? types->FindType(typeId) : nullptr;
    };
    CAttributeType* type = findType();
    // A shape's subtree restored on its own brings the types its values need in the same set.
    if (!type && types && (mode & DXFMODE_PROCESS_TREE_ONLY)) {
        RETURN_IF_FAILED(types->ExchangeTables(tables, mode & ~static_cast<DWORD>(DXFMODE_SINGLE_OBJECT), 0));
        type = findType();
    }
    if (!type)
        return E_FAIL;
    VARIANT value;
    VariantInit(&value);
    switch (type->GetValueKind()) {
    case VT_I4:
        value.vt = VT_I4;
        value.lVal = record->IntField;
        break;
    case VT_R8:
        value.vt = VT_R8;
        value.dblVal = record->RealField;
        break;
    case VT_DATE:
        value.vt = VT_DATE;
        value.date = record->DateTimeField;
        break;
    case VT_BSTR:
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(ycom::AnsiToWide(record->VarCharField).c_str());
        break;
    case VT_BOOL:
        value.vt = VT_BOOL;
        value.boolVal = record->BitField ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_EMPTY:
        // No kind: the string when there is one, else the first field that is not zero.
        if (!record->VarCharField.empty()) {
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocString(ycom::AnsiToWide(record->VarCharField).c_str());
        } else if (record->IntField) {
            value.vt = VT_I4;
            value.lVal = record->IntField;
        } else if (record->RealField != 0.0) {
            value.vt = VT_R8;
            value.dblVal = record->RealField;
        } else if (record->BitField) {
            value.vt = VT_BOOL;
            value.boolVal = VARIANT_TRUE;
        } else if (record->DateTimeField != 0.0) {
            value.vt = VT_DATE;
            value.date = record->DateTimeField;
        }
        break;
    default:
        break;
    }
    m_id = type->GetId();
    SetValue(value);
    VariantClear(&value);
    if (ownIds) {
        if (m_databaseId == 0)
            UpdateDatabaseId(record->DatabaseID);
        if (m_siteMap && m_siteKey != record->AttributeID) {
            CAttributeMap* map = m_siteMap;
            map->Detach(this);
            m_siteKey = record->AttributeID;
            map->Add(this);
        }
    }
    return S_OK;
}
