#pragma once
// The calling contract of the plug-in DLLs as a host declares it. A host includes nothing of the
// plug-ins: it declares the factories' signature, the slots of the converter objects in their
// order, and the two value types that cross the boundary (the plug-ins' text and point) itself,
// as here. Header-only, so that any host (this sample, a test) can take it as it is.
#include <windows.h>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include "YVEX_h.h"

namespace sample {

// The plug-ins' text: one pointer to NUL-terminated Windows-1252 text at the start of a block of
// the process heap (null when empty); either side frees what the other made.
class PluginText
{
public:
    PluginText() = default;
    PluginText(const char* text) { Assign(text, text ? std::strlen(text) : 0); }
    PluginText(const std::string& text) { Assign(text.c_str(), text.size()); }
    PluginText(const PluginText& other) : PluginText(other.c_str()) {}
    PluginText& operator=(const PluginText& other)
    {
        if (this != &other) {
            PluginText copy(other);
            std::swap(m_text, copy.m_text);
        }
        return *this;
    }
    ~PluginText()
    {
        if (m_text)
            HeapFree(GetProcessHeap(), 0, m_text);
    }
    const char* c_str() const { return m_text ? m_text : ""; }
    std::string str() const { return c_str(); }
    bool IsNull() const { return m_text == nullptr; }

private:
    void Assign(const char* text, size_t length)
    {
        if (length) {
            m_text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length + 1));
            if (!m_text)
                throw std::bad_alloc();
            std::memcpy(m_text, text, length);
            m_text[length] = '\0';
        }
    }
    char* m_text = nullptr;
};
static_assert(sizeof(PluginText) == sizeof(void*), "one pointer, as the plug-ins' text");

// The plug-ins' point of doubles: four virtual operations, then x and y.
class PluginPoint
{
public:
    PluginPoint(double px = 0, double py = 0) : x(px), y(py) {}
    PluginPoint(const PluginPoint&) = default;
    PluginPoint& operator=(const PluginPoint&) = default;
    virtual void MirrorX(double a) { x = a + a - x; }
    virtual void MirrorY(double b) { y = b + b - y; }
    virtual void Rotate(double, double, double) {}
    virtual void RotateDegrees(double, double, double) {}
    double x;
    double y;
};

typedef void (*ProgressCallback)(void* user, long value);

// Slots 0 to 11 of an exporter.
class PluginExporter
{
public:
    virtual long Release() = 0;
    virtual long AddRef() = 0;
    virtual long GetRefCount() = 0;
    virtual int ReadyExport(unsigned long option, unsigned long value) = 0;
    virtual int SetOption(unsigned long option, unsigned long value) = 0;
    virtual int Export(const PluginText& path, unsigned long option, unsigned long value) = 0;
    virtual void SetShift(PluginPoint shift) = 0;
    virtual void SetScale(double scale) = 0;
    virtual void SetBase(PluginPoint base) = 0;
    virtual void SetRotation(double radians) = 0;
    virtual int GetState() = 0;
    virtual PluginText GetLastErrorText() = 0;

protected:
    ~PluginExporter() = default;
};

// Slots 0 to 14 of an importer.
class PluginImporter
{
public:
    virtual long Release() = 0;
    virtual long AddRef() = 0;
    virtual long GetRefCount() = 0;
    virtual int ReadyImport(unsigned long option, unsigned long value) = 0;
    virtual int SetOption(unsigned long option, unsigned long value) = 0;
    virtual int Import(const PluginText& path, unsigned long option, unsigned long value) = 0;
    virtual PluginPoint GetShift() = 0;
    virtual double GetScale() = 0;
    virtual PluginPoint GetBase() = 0;
    virtual double GetRotation() = 0;
    virtual PluginText GetInfoString1() = 0;
    virtual PluginText GetInfoString2() = 0;
    virtual PluginText GetInfoString3() = 0;
    virtual int GetState() = 0;
    virtual PluginText GetLastErrorText() = 0;

protected:
    ~PluginImporter() = default;
};

// The factories (GetExporter, GetImporter and the standard-call GetNAMEExport, GetNAMEImport)
// and the standard-call release exports.
typedef PluginExporter* (*ExporterFactory)(IYVEXControl* control, void* user, ProgressCallback callback);
typedef PluginImporter* (*ImporterFactory)(IYVEXControl* control, void* user, ProgressCallback callback);
typedef PluginExporter*(__stdcall* StdExporterFactory)(IYVEXControl* control, void* user, ProgressCallback callback);
typedef PluginImporter*(__stdcall* StdImporterFactory)(IYVEXControl* control, void* user, ProgressCallback callback);
typedef void(__stdcall* ExporterRelease)(PluginExporter* exporter);
typedef void(__stdcall* ImporterRelease)(PluginImporter* importer);

} // namespace sample
