#pragma once
// CTextField: one entry of a text's field list. A text names the attribute values of the block
// reference or group that holds it with markers: "<n>" the attribute number n, "[NAME]" the
// attribute of that name; what lies between the markers is literal text.
#include <windows.h>
#include <oaidl.h>
#include <cstdint>
#include <string>
#include <vector>

struct CTextField
{
    // Literal text of the entry (the marker's own text for a named or numbered entry).
    std::wstring text;
    // Attribute name of a named entry; empty otherwise.
    std::wstring name;
    // Attribute number of a numbered entry; 0 otherwise.
    uint16_t index = 0;

    bool IsNamed() const { return !name.empty(); }
    bool IsNumbered() const { return index != 0; }
};

using CTextFieldList = std::vector<CTextField>;

// The field list of a text, in text order; empty for an empty text.
CTextFieldList ParseTextFields(const std::wstring& text);

// An attribute value as a field shows it. An integer (VT_I4, VT_INT) or floating (VT_R4, VT_R8)
// value is formatted with the attribute definition's format when that is one numeric printf
// conversion: an optional '%', flags, width, precision and one letter of c, C, d, i, o, u, x, X, p
// (integers) or e, E, f, g, G (floating), the value converted to the letter's type; without a
// letter "d" or "f" is taken; what follows the letter is cut. Any other format (a "%s" or "%n", a
// second conversion, text before it) and any other value give the value's text.
std::wstring FormatAttributeValue(const VARIANT& value, const wchar_t* format);
