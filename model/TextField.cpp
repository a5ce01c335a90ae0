#include "model/TextField.h"
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace {

bool IsMarker(wchar_t c) { return c == L'<' || c == L'['; }

// The attribute number between "<" and ">": 1 to 65535, decimal digits only; 0 otherwise.
uint16_t ParseIndex(const std::wstring& digits)
{
    if (digits.empty() || digits.size() > 5)
        return 0;
    unsigned long value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return 0;
        value = value * 10 + (c - L'0');
    }
    return value <= 0xFFFF ? static_cast<uint16_t>(value) : 0;
}

void AddLiteral(CTextFieldList& list, const std::wstring& text)
{
    if (text.empty())
        return;
    CTextField field;
    field.text = text;
    list.push_back(field);
}

// One numeric printf conversion, taken apart.
struct Conversion
{
    std::string spec; // '%', flags, width and precision, without the letter
    wchar_t letter = 0;
    bool leftAlign = false;
    int width = 0;
};

bool IsIntegerLetter(wchar_t c) { return wcschr(L"cCdiouxXp", c) != nullptr && c; }
bool IsFloatLetter(wchar_t c) { return wcschr(L"eEfgG", c) != nullptr && c; }

// Widths and precisions beyond this are refused: the value is shown as its text instead.
const int kMaxDigits = 64;

bool ParseConversion(const wchar_t* format, bool floating, Conversion* out)
{
    const wchar_t* p = format;
    out->spec = "%";
    if (*p == L'%')
        ++p;
    while (*p && wcschr(L"-+ #0", *p)) {
        if (*p == L'-')
            out->leftAlign = true;
        out->spec += static_cast<char>(*p++);
    }
    int width = 0;
    while (*p >= L'0' && *p <= L'9') {
        width = width * 10 + (*p - L'0');
        if (width > kMaxDigits)
            return false;
        out->spec += static_cast<char>(*p++);
    }
    out->width = width;
    if (*p == L'.') {
        out->spec += '.';
        ++p;
        int precision = 0;
        while (*p >= L'0' && *p <= L'9') {
            precision = precision * 10 + (*p - L'0');
            if (precision > kMaxDigits)
                return false;
            out->spec += static_cast<char>(*p++);
        }
    }
    if (*p == 0) {
        out->letter = floating ? L'f' : L'd';
        return true;
    }
    if (!IsIntegerLetter(*p) && !IsFloatLetter(*p))
        return false;
    // What follows the conversion letter is cut.
    out->letter = *p;
    return true;
}

int32_t ToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

std::wstring Widen(const char* text)
{
    std::wstring out;
    for (const char* p = text; *p; ++p)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

std::wstring TextOf(const VARIANT& value)
{
    VARIANT text;
    VariantInit(&text);
    std::wstring out;
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR)) && text.bstrVal)
        out.assign(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    return out;
}

} // namespace

CTextFieldList ParseTextFields(const std::wstring& text)
{
    CTextFieldList list;
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n) {
        size_t marker = pos;
        while (marker < n && !IsMarker(text[marker]))
            ++marker;
        AddLiteral(list, text.substr(pos, marker - pos));
        if (marker >= n)
            break;
        const wchar_t closing = text[marker] == L'<' ? L'>' : L']';
        size_t next = marker + 1;
        while (next < n && !IsMarker(text[next]))
            ++next;
        const size_t close = text.find(closing, marker + 1);
        if (close == std::wstring::npos) {
            // No closing character at all: the marker is a character of the text.
            AddLiteral(list, text.substr(marker, 1));
            pos = marker + 1;
            continue;
        }
        if (close > next) {
            // It closes only after the next marker: up to that marker the text is literal.
            AddLiteral(list, text.substr(marker, next - marker));
            pos = next;
            continue;
        }
        const std::wstring inner = text.substr(marker + 1, close - marker - 1);
        CTextField field;
        field.text = text.substr(marker, close - marker + 1);
        if (closing == L'>')
            field.index = ParseIndex(inner);
        else
            field.name = inner;
        // "<>", "[]" and "<x>" name no attribute: they are text.
        if (field.IsNamed() || field.IsNumbered())
            list.push_back(field);
        else
            AddLiteral(list, field.text);
        pos = close + 1;
    }
    return list;
}

std::wstring FormatAttributeValue(const VARIANT& value, const wchar_t* format)
{
    const bool isInteger = value.vt == VT_I4 || value.vt == VT_INT;
    const bool isFloat = value.vt == VT_R4 || value.vt == VT_R8;
    Conversion conversion;
    if ((!isInteger && !isFloat) || !format || !*format || !ParseConversion(format, isFloat, &conversion))
        return TextOf(value);

    const double number = value.vt == VT_I4    ? value.lVal
                          : value.vt == VT_INT ? value.intVal
                          : value.vt == VT_R4  ? value.fltVal
                                               : value.dblVal;
    const wchar_t letter = conversion.letter;
    char buffer[512];
    if (letter == L'c' || letter == L'C') {
        // A character code: the character itself, padded to the width.
        std::wstring out(1, static_cast<wchar_t>(ToInt32(number) & 0xFFFF));
        if (static_cast<int>(out.size()) < conversion.width) {
            const std::wstring pad(conversion.width - out.size(), L' ');
            out = conversion.leftAlign ? out + pad : pad + out;
        }
        return out;
    }
    const std::string spec = conversion.spec + static_cast<char>(letter);
    int written;
    if (IsFloatLetter(letter))
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), number);
    else if (letter == L'p')
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(),
                                reinterpret_cast<void*>(static_cast<intptr_t>(ToInt32(number))));
    else if (letter == L'd' || letter == L'i')
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), ToInt32(number));
    else
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<unsigned>(ToInt32(number)));
    if (written < 0)
        return TextOf(value);
    return Widen(buffer);
}
