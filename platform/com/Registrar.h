#pragma once
// Registry scripts: a small text format that says which keys and values a server writes, so
// that registering and unregistering come from one description.
//
//     HKCR
//     {
//         YVEX.Shape.1 = s 'Shape Class'
//         {
//             CLSID = s '{...}'
//         }
//         NoRemove CLSID
//         {
//             ForceRemove {...} = s 'Shape Class'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Apartment'
//                 }
//             }
//         }
//     }
//
// A root (HKCR, HKCU, HKLM or their long names) holds keys. A key is a name (bare, or quoted
// with single quotes; '' stands for one quote) with an optional default value `= s 'text'` or
// `= d 'number'` and an optional body of sub-keys and `val Name = s|d 'value'` lines.
// `ForceRemove` deletes the key's tree before writing it and deletes it whole when
// unregistering; `NoRemove` keeps the key when unregistering (only what lies under it goes).
// A plain key is removed with the values it wrote, and itself only when nothing foreign is
// left in it. %NAME% is replaced by a registered replacement, %% by a percent sign.
// Comments run from // to the end of the line.
#include <windows.h>
#include <map>
#include <string>
#include <vector>

namespace ycom {

class Registrar {
public:
    void AddReplacement(const std::wstring& name, const std::wstring& value) { m_vars[name] = value; }
    // Runs a script held as a resource of type "REGISTRY".
    HRESULT RunResource(HMODULE module, UINT id, bool install);
    // Runs a script text. Syntax errors are found before anything is written.
    HRESULT RunScript(const std::wstring& text, bool install);

    struct Value {
        std::wstring name;
        wchar_t type = L's';
        std::wstring text;
    };
    struct Key {
        enum Flag { Plain, NoRemove, ForceRemove } flag = Plain;
        std::wstring name;
        bool hasDefault = false;
        Value defaultValue;
        std::vector<Value> values;
        std::vector<Key> children;
    };
    struct Root {
        HKEY hive = nullptr;
        std::vector<Key> keys;
    };
    // Parses a script into its roots; false with a message on a syntax error.
    bool Parse(const std::wstring& text, std::vector<Root>& roots, std::wstring& error) const;

private:
    std::map<std::wstring, std::wstring> m_vars;
};

} // namespace ycom
