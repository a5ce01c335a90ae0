#pragma once
#include <windows.h>
#include <string>
#include "model/AttributeBase.h"
class CAttributeGroupData;
class CAttributeTypeMap;
// A named field definition of the site's attribute model: its name, display format and prompt,
// and the VARIANT type of its values (3 integer, 5 real, 7 date, 8 string, 11 boolean; 0 none).
// It is listed by one group (its owner group) and held by the site's type map.
class CAttributeType : public CAttributeBase
{
public:
    CAttributeType() = default;
    CAttributeGroupData* GetOwnerGroup() const { return m_ownerGroup; }
    void SetOwnerGroup(CAttributeGroupData* group) { m_ownerGroup = group; }
    CAttributeTypeMap* GetTypeMap() const;
    int GetValueKind() const { return m_valueKind; }
    void SetValueKind(int kind) { m_valueKind = kind; }
    const std::wstring& GetName() const { return m_name; }
    // Through the type map when the type is in one, so its name index follows.
    void SetName(const std::wstring& name);
    void SetNameField(const std::wstring& name) { m_name = name; }
    const std::wstring& GetFormat() const { return m_format; }
    void SetFormat(const std::wstring& format) { m_format = format; }
    const std::wstring& GetPrompt() const { return m_prompt; }
    void SetPrompt(const std::wstring& prompt) { m_prompt = prompt; }
    // The COM class that wraps a type.
    virtual const CLSID& GetWrapperClassId() const;
private:
    CAttributeGroupData* m_ownerGroup = nullptr;
    int m_valueKind = 0;
    std::wstring m_name;
    std::wstring m_format;
    std::wstring m_prompt;
};
