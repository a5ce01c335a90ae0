#include "AutomationObject.h"
#include <vector>

namespace sample {

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

Arg::Arg(int value) : Arg(static_cast<long>(value)) {}
Arg::Arg(long value)
{
    m_value.vt = VT_I4;
    m_value.lVal = value;
}
Arg::Arg(double value)
{
    m_value.vt = VT_R8;
    m_value.dblVal = value;
}
Arg::Arg(float value)
{
    m_value.vt = VT_R4;
    m_value.fltVal = value;
}
Arg::Arg(bool value)
{
    m_value.vt = VT_BOOL;
    m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}
Arg::Arg(const wchar_t* text)
{
    m_value.vt = VT_BSTR;
    m_value.bstrVal = SysAllocString(text ? text : L"");
}
Arg::Arg(const std::wstring& text) : Arg(text.c_str()) {}
Arg Arg::OutLong(long* target)
{
    Arg arg;
    arg.m_value.vt = VT_BYREF | VT_I4;
    arg.m_value.plVal = reinterpret_cast<LONG*>(target);
    return arg;
}
Arg Arg::Handle(LONG_PTR value)
{
    Arg arg;
#ifdef _WIN64
    arg.m_value.vt = VT_I8;
    arg.m_value.llVal = value;
#else
    arg.m_value.vt = VT_I4;
    arg.m_value.lVal = value;
#endif
    return arg;
}
Arg::Arg(Arg&& other) noexcept : m_value(other.m_value) { other.m_value.vt = VT_EMPTY; }
Arg::~Arg() { VariantClear(&m_value); }

AutomationObject::AutomationObject(IDispatch* object) : m_object(object)
{
    if (m_object)
        m_object->AddRef();
}
AutomationObject::AutomationObject(const AutomationObject& other) : AutomationObject(other.m_object) {}
AutomationObject& AutomationObject::operator=(const AutomationObject& other)
{
    if (other.m_object)
        other.m_object->AddRef();
    if (m_object)
        m_object->Release();
    m_object = other.m_object;
    return *this;
}
AutomationObject::~AutomationObject()
{
    if (m_object)
        m_object->Release();
}

VARIANT AutomationObject::Invoke(const wchar_t* name, WORD kind, std::vector<Arg>& args) const
{
    if (!m_object)
        throw AutomationError(Narrow(name) + ": no object", E_POINTER);
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        throw AutomationError(Narrow(name) + ": no such member", hr);
    // Arguments go right to left.
    std::vector<VARIANT> values;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        values.push_back(it->Value());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {values.empty() ? nullptr : values.data(), nullptr, static_cast<UINT>(values.size()), 0};
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO failure = {};
    hr = m_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                          kind == DISPATCH_PROPERTYPUT ? nullptr : &result, &failure, nullptr);
    if (FAILED(hr)) {
        std::string text = Narrow(name) + ": ";
        if (failure.pfnDeferredFillIn)
            failure.pfnDeferredFillIn(&failure);
        const HRESULT reported = hr == DISP_E_EXCEPTION && failure.scode ? failure.scode : hr;
        if (failure.bstrDescription && *failure.bstrDescription) {
            text += Narrow(failure.bstrDescription);
        } else {
            // No text from the object: the system's words for the code.
            char code[32];
            wsprintfA(code, "error 0x%08lX", static_cast<unsigned long>(reported));
            text += code;
            wchar_t* words = nullptr;
            if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, static_cast<DWORD>(reported), 0, reinterpret_cast<wchar_t*>(&words), 0,
                               nullptr) && words) {
                std::wstring line = words;
                while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r' || line.back() == L' '))
                    line.pop_back();
                text += " (" + Narrow(line) + ")";
                LocalFree(words);
            }
        }
        SysFreeString(failure.bstrDescription);
        SysFreeString(failure.bstrSource);
        SysFreeString(failure.bstrHelpFile);
        throw AutomationError(text, reported);
    }
    return result;
}

long AutomationObject::ToLong(const wchar_t* name, VARIANT v)
{
    VARIANT asLong;
    VariantInit(&asLong);
    const HRESULT hr = VariantChangeType(&asLong, &v, 0, VT_I4);
    VariantClear(&v);
    if (FAILED(hr))
        throw AutomationError(Narrow(name) + ": not a number", hr);
    return asLong.lVal;
}

AutomationObject AutomationObject::ToObject(const wchar_t* name, VARIANT v)
{
    AutomationObject result;
    if (v.vt == VT_DISPATCH && v.pdispVal)
        result = AutomationObject(v.pdispVal);
    VariantClear(&v);
    if (!result)
        throw AutomationError(Narrow(name) + ": no object", E_POINTER);
    return result;
}

double AutomationObject::GetDouble(const wchar_t* name) const
{
    VARIANT v = Call(name);
    VARIANT asDouble;
    VariantInit(&asDouble);
    const HRESULT hr = VariantChangeType(&asDouble, &v, 0, VT_R8);
    VariantClear(&v);
    if (FAILED(hr))
        throw AutomationError(Narrow(name) + ": not a number", hr);
    return asDouble.dblVal;
}

std::wstring AutomationObject::GetText(const wchar_t* name) const
{
    VARIANT v = Call(name);
    std::wstring text;
    if (v.vt == VT_BSTR && v.bstrVal)
        text.assign(v.bstrVal, SysStringLen(v.bstrVal));
    VariantClear(&v);
    return text;
}

void AutomationObject::Put(const wchar_t* name, Arg value) const
{
    std::vector<Arg> args;
    args.push_back(std::move(value));
    VARIANT v = Invoke(name, DISPATCH_PROPERTYPUT, args);
    VariantClear(&v);
}

} // namespace sample
