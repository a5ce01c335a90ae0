#pragma once
// A host of the plug-in DLLs as an outside program is one: it includes nothing of the plug-ins'
// sources and declares the calling contract itself (the converters' slots, the plug-ins' text
// and point types), loads a DLL with LoadLibrary, finds its exports by name and records the
// progress the converter reports.
#include <windows.h>
#include <ole2.h>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "tests/support/TestPaths.h"

namespace pluginhost {

// The plug-ins' text: one pointer to NUL-terminated Windows-1252 text at the start of a block
// of the process heap, null when empty. Either side frees what the other made.
class Text
{
public:
    Text() = default;
    Text(const char* text)
    {
        if (text && *text) {
            const size_t n = std::strlen(text) + 1;
            m_text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, n));
            std::memcpy(m_text, text, n);
        }
    }
    Text(const Text& other) : Text(other.c_str()) {}
    Text& operator=(const Text& other)
    {
        if (this != &other) {
            Text copy(other);
            std::swap(m_text, copy.m_text);
        }
        return *this;
    }
    ~Text()
    {
        if (m_text)
            HeapFree(GetProcessHeap(), 0, m_text);
    }
    const char* c_str() const { return m_text ? m_text : ""; }
    std::string str() const { return c_str(); }
    bool IsNull() const { return m_text == nullptr; }

private:
    char* m_text = nullptr;
};
static_assert(sizeof(Text) == sizeof(void*), "one pointer, as the plug-ins' text");

// The plug-ins' point of doubles: four virtual operations, then x and y.
class Point
{
public:
    Point(double px = 0, double py = 0) : x(px), y(py) {}
    Point(const Point&) = default;
    Point& operator=(const Point&) = default;
    virtual void MirrorX(double a) { x = a + a - x; }
    virtual void MirrorY(double b) { y = b + b - y; }
    virtual void Rotate(double, double, double) {}
    virtual void RotateDegrees(double, double, double) {}
    double x;
    double y;
};

typedef void (*Callback)(void* user, long value);

// Slots 0 to 11 of an exporter.
class Exporter
{
public:
    virtual long Release() = 0;
    virtual long AddRef() = 0;
    virtual long GetRefCount() = 0;
    virtual int ReadyExport(unsigned long option, unsigned long value) = 0;
    virtual int SetOption(unsigned long option, unsigned long value) = 0;
    virtual int Export(const Text& path, unsigned long option, unsigned long value) = 0;
    virtual void SetShift(Point shift) = 0;
    virtual void SetScale(double scale) = 0;
    virtual void SetBase(Point base) = 0;
    virtual void SetRotation(double radians) = 0;
    virtual int GetState() = 0;
    virtual Text GetLastErrorText() = 0;

protected:
    ~Exporter() = default;
};

// Slots 0 to 14 of an importer.
class Importer
{
public:
    virtual long Release() = 0;
    virtual long AddRef() = 0;
    virtual long GetRefCount() = 0;
    virtual int ReadyImport(unsigned long option, unsigned long value) = 0;
    virtual int SetOption(unsigned long option, unsigned long value) = 0;
    virtual int Import(const Text& path, unsigned long option, unsigned long value) = 0;
    virtual Point GetShift() = 0;
    virtual double GetScale() = 0;
    virtual Point GetBase() = 0;
    virtual double GetRotation() = 0;
    virtual Text GetInfoString1() = 0;
    virtual Text GetInfoString2() = 0;
    virtual Text GetInfoString3() = 0;
    virtual int GetState() = 0;
    virtual Text GetLastErrorText() = 0;

protected:
    ~Importer() = default;
};

typedef Exporter* (*ExporterFactory)(IYVEXControl*, void*, Callback);
typedef Importer* (*ImporterFactory)(IYVEXControl*, void*, Callback);
typedef Exporter*(__stdcall* StdExporterFactory)(IYVEXControl*, void*, Callback);
typedef Importer*(__stdcall* StdImporterFactory)(IYVEXControl*, void*, Callback);
typedef void(__stdcall* ExporterRelease)(Exporter*);
typedef void(__stdcall* ImporterRelease)(Importer*);

// A plug-in DLL of the build (<build>/plugins/NAME.dll), loaded for the life of the object.
class Module
{
public:
    explicit Module(const char* name)
    {
        const std::string path = WinPath("YVEX_BINARY_DIR", std::string("plugins/") + name + ".dll");
        m_module = LoadLibraryA(path.c_str());
    }
    ~Module()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    template <class F>
    F Entry(const char* name) const
    {
        return m_module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m_module, name))) : nullptr;
    }

private:
    HMODULE m_module = nullptr;
};

// Calls a factory as a host does: the control's reference for the call is added here and taken
// over by the factory.
template <class Factory>
auto Create(Factory factory, IYVEXControl* control, void* user = nullptr, Callback callback = nullptr)
{
    if (control)
        control->AddRef();
    return factory(control, user, callback);
}

// The reference count of a COM object as its AddRef and Release answer it.
inline ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

// The values a converter reported, in order.
struct ProgressLog {
    std::vector<long> values;
    static void Record(void* user, long value) { static_cast<ProgressLog*>(user)->values.push_back(value); }
};

} // namespace pluginhost
