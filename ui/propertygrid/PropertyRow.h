// One row of the property grid and the sorted list of rows the properties dialog owns, with the
// rule that turns a property's type (as its type information describes it) into the row's kind,
// which in turn picks the row's in-place editor.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <cstdint>
#include <vector>
#include <string>

enum PropertyRowKind {
    prkNone = 0,      // unsupported type (such a row is dropped); also the placeholder row
    prkText = 1,
    prkColor = 2,
    prkFont = 3,
    prkEnum = 4,
    prkPicture = 5,
    prkBool = 6,
    prkLongText = 7,
    prkVertex = 8,
    prkFlags = 10,
};

// The shape's protection flags, an enumeration edited as a set of flags.
constexpr DISPID PROPERTY_DISPID_PROTECTION = 63;
// The shape's Enabled, which enables or greys every row.
constexpr DISPID PROPERTY_DISPID_ENABLED = 9;

class CPropertyRow {
public:
    CPropertyRow();
    ~CPropertyRow();
    CPropertyRow(const CPropertyRow&) = delete;
    CPropertyRow& operator=(const CPropertyRow&) = delete;

    bool IsEditable() const { return invokeKind == INVOKE_PROPERTYPUT || invokeKind == INVOKE_PROPERTYPUTREF; }
    void FreePredefined();

    int32_t kind;
    int32_t dispid;
    int32_t invokeKind;
    VARTYPE valueType;
    VARIANT value;
    BSTR name;
    BSTR description;
    BSTR helpFile;
    int32_t helpContext;
    int32_t predefinedCount;
    LPOLESTR* predefinedNames;   // CoTaskMemAlloc'd, each name too
    VARIANT* predefinedValues;   // CoTaskMemAlloc'd
    BSTR displayText;
    int32_t modified;
    int32_t enabled;
    int32_t decimals;
};

// The kind a property of the type `desc` (as found in `owner`'s type information) gives, before the
// name and value rules ("Text", "Vertex", protection flags) that BuildRows applies.
PropertyRowKind PropertyRowKindOfType(ITypeInfo* owner, const TYPEDESC& desc);
// The kind of a user-defined type: OLE_COLOR aliases, the font and picture dispatch interfaces,
// other enumerations, and aliases followed to the type they name.
PropertyRowKind PropertyRowKindOfUserType(ITypeInfo* type);

// A property of the object read as a container reads it (DISPATCH_PROPERTYGET, no arguments).
HRESULT ReadPropertyValue(IDispatch* object, DISPID dispid, VARIANT* value);
// The property's value when every object has the same one (VarCmp equal, or both VT_UI4 and
// equal), else empty; the first object's value type in *firstType (VT_NULL when it has none).
void ReadSharedValue(IDispatch* const* objects, int count, DISPID dispid, VARIANT* value, VARTYPE* firstType);

// Equality of two values as the rows compare a value with their predefined ones: the same
// VARTYPE below VT_I8 (20) with equal contents (floats exactly, a NaN never equal; BSTRs byte
// by byte), EMPTY and NULL equal; other types never.
bool PropertyValuesEqual(const VARIANT& a, const VARIANT& b);
// Stores the value in the row and makes its display text by the row's kind (the row's value type
// follows any value but an empty one).
void SetRowValue(CPropertyRow* row, const VARIANT& value);
// Takes typed text: a predefined name gives its value, other text converts to the row's value
// type. True when the text was taken (or changed nothing); false leaves the row as it was.
bool SetRowText(CPropertyRow* row, const wchar_t* text);
// The display text made again from the value as it is, converted plainly to text.
void RefreshRowText(CPropertyRow* row);
// The predefined name after (or before) the one equal to `text`, wrapping at the ends; the first
// (or last) when none is equal; null when the row has none.
const wchar_t* CyclePredefinedName(const CPropertyRow& row, const wchar_t* text, bool forward);

class CPropertyRowList {
public:
    CPropertyRowList();
    ~CPropertyRowList();
    CPropertyRowList(const CPropertyRowList&) = delete;
    CPropertyRowList& operator=(const CPropertyRowList&) = delete;

    // Builds the rows of the properties the objects share, with the first object's values (empty
    // where the objects differ). Any rows built before are deleted first.
    HRESULT BuildRows(IDispatch* const* objects, int count);
    // Inserts by name, case-insensitively, before the first row whose name does not sort before it.
    void InsertSorted(CPropertyRow* row);
    void DeleteRows();
    CPropertyRow* FindByDispid(DISPID dispid) const;

    int GetCount() const { return static_cast<int>(rows_.size()); }
    CPropertyRow* GetAt(int index) const { return rows_[static_cast<size_t>(index)]; }

    DISPID enableDispid;
    int32_t enableValue;
    int32_t defaultDecimals;

private:
    // The rows of the properties one interface declares itself.
    void AddRowsOf(ITypeInfo* info, IDispatch* first);
    // The names and values offered for the row: yes and no, the object's own predefined strings,
    // or the constants of the property's enumeration.
    void AddPredefined(CPropertyRow* row, ITypeInfo* info, const TYPEDESC& type, IDispatch* first);

    std::vector<CPropertyRow*> rows_;
};
