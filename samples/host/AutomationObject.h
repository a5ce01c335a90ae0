#pragma once
// A COM object driven by name through IDispatch, as a script host drives it: members are looked
// up by name, arguments go as VARIANTs, and a failure becomes an exception that carries the
// object's own error text.
#include <windows.h>
#include <oleauto.h>
#include <utility>
#include <vector>
#include <stdexcept>
#include <string>

namespace sample {

// A failed call: the member, the HRESULT and the description the object gave.
class AutomationError : public std::runtime_error
{
public:
    AutomationError(const std::string& what, HRESULT hr) : std::runtime_error(what), m_hr(hr) {}
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// One argument of a call: a value, or the address of a long the member writes ([out] long*).
class Arg
{
public:
    Arg(int value);
    Arg(long value);
    Arg(double value);
    Arg(float value);
    Arg(bool value);
    Arg(const wchar_t* text);
    Arg(const std::wstring& text);
    static Arg OutLong(long* target);
    // A handle or address as the type library's LONG_PTR: 64 bits wide on 64-bit Windows.
    static Arg Handle(LONG_PTR value);
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    Arg(Arg&& other) noexcept;
    ~Arg();
    VARIANT& Value() { return m_value; }

private:
    Arg() = default;
    VARIANT m_value{};
};

class AutomationObject
{
public:
    AutomationObject() = default;
    explicit AutomationObject(IDispatch* object); // adds a reference
    AutomationObject(const AutomationObject& other);
    AutomationObject& operator=(const AutomationObject& other);
    ~AutomationObject();

    explicit operator bool() const { return m_object != nullptr; }
    IDispatch* Get() const { return m_object; }

    // A method call or property get; its result as a VARIANT the caller clears.
    template <class... A>
    VARIANT Call(const wchar_t* name, A&&... values) const
    {
        std::vector<Arg> args;
        args.reserve(sizeof...(A));
        (args.emplace_back(std::forward<A>(values)), ...);
        return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    template <class... A>
    long CallLong(const wchar_t* name, A&&... values) const
    {
        return ToLong(name, Call(name, std::forward<A>(values)...));
    }
    template <class... A>
    void CallVoid(const wchar_t* name, A&&... values) const
    {
        VARIANT v = Call(name, std::forward<A>(values)...);
        VariantClear(&v);
    }
    template <class... A>
    AutomationObject GetObject(const wchar_t* name, A&&... values) const
    {
        return ToObject(name, Call(name, std::forward<A>(values)...));
    }
    double GetDouble(const wchar_t* name) const;
    std::wstring GetText(const wchar_t* name) const;
    void Put(const wchar_t* name, Arg value) const;

private:
    VARIANT Invoke(const wchar_t* name, WORD kind, std::vector<Arg>& args) const;
    static long ToLong(const wchar_t* name, VARIANT value);
    static AutomationObject ToObject(const wchar_t* name, VARIANT value);
    IDispatch* m_object = nullptr;
};

// UTF-8 of a wide text, for printing.
std::string Narrow(const std::wstring& text);

} // namespace sample
