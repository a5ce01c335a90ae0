#pragma once
#include <windows.h>
#include <oleauto.h>
#include "model/AttributeBase.h"
class CAttributeMap;
class CShapeAttributeMap;
class CDataTableSet;
// The value of one attribute type on one shape: its ID is the type's ID (its key in the shape's
// value map), its site key its key in the site's value map.
class CAttributeValue : public CAttributeBase
{
public:
    CAttributeValue();
    ~CAttributeValue() override;
    CShapeAttributeMap* GetShapeMap() const;
    CAttributeMap* GetSiteMap() const { return m_siteMap; }
    void SetSiteMap(CAttributeMap* map) { m_siteMap = map; }
    int GetSiteKey() const { return m_siteKey; }
    void SetSiteKey(int key) { m_siteKey = key; }
    const VARIANT& GetValue() const { return m_value; }
    // A copy of the value; strings become a fresh BSTR.
    HRESULT SetValue(const VARIANT& value);
    // Keeps the site map's database index in step.
    void UpdateDatabaseId(int databaseId);
    // Whether `value` equals the stored value by type and content (empty and null equal each
    // other). E_INVALIDARG for a type that cannot be compared.
    HRESULT Equals(const VARIANT& value, bool* equal) const;
    // The value's Attributes record: written (mode without DXFMODE_LOAD; a value without a
    // database ID takes the table's next key as its own) or read from the record under the
    // table's cursor. E_ACCESSDENIED when saving a value whose type the site lacks, E_FAIL when
    // loading a record whose type the site lacks.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode);
protected:
    void OnFinalRelease() override;
private:
    CAttributeMap* m_siteMap = nullptr;
    int m_siteKey = 0;
    VARIANT m_value;
};
