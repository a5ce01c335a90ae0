#pragma once
// What the property grid shows of a shape's properties (IPerPropertyBrowsing of the shape
// objects): the display names of properties by dispatch ID, from the resource strings, and the
// drop-down lists of values with the values they stand for.
#include <windows.h>
#include <ocidl.h>
#include <string>
#include <utility>
#include <vector>

class CShape;
class CYVEXControl;

class CShapePropertyNames
{
public:
    // The display name of a property: E_NOTIMPL for a property without one; an empty string for
    // one the grid hides.
    static HRESULT DisplayString(CShape* shape, DISPID dispid, BSTR* out);
    // The values a property offers and their cookies; `typeInfo` is the shape object's, whose
    // type library holds the enums.
    static HRESULT PredefinedStrings(CYVEXControl* control, CShape* shape, ITypeInfo* typeInfo, DISPID dispid,
                                     CALPOLESTR* strings, CADWORD* cookies);
    // The value a cookie stands for (the cookie itself, as VT_I4).
    static HRESULT PredefinedValue(CShape* shape, DISPID dispid, DWORD cookie, VARIANT* value);
    // A list of (text, cookie) entries handed out in task memory.
    static HRESULT HandOut(const std::vector<std::pair<std::wstring, DWORD>>& entries, CALPOLESTR* strings,
                           CADWORD* cookies);
};
