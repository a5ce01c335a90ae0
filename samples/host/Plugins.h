#pragma once
// The plug-in DLLs as this host reaches them. A host includes nothing of the plug-ins: it
// declares their calling contract itself, as here: the factories' signature, the slots of the
// converter objects in their order, and the two value types that cross the boundary (the
// plug-ins' text and point).
#include <windows.h>
#include <functional>
#include <string>
#include "YVEX_h.h"

namespace sample {

// The plug-ins' text: one pointer to NUL-terminated Windows-1252 text at the start of a block of
// the process heap (null when empty); either side frees what the other made.
class PluginText
{
public:
    PluginText() = default;
    PluginText(const std::string& text);
    PluginText(const PluginText& other) : PluginText(other.str()) {}
    PluginText& operator=(const PluginText& other);
    ~PluginText();
    std::string str() const { return m_text ? m_text : ""; }

private:
    char* m_text = nullptr;
};

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

typedef void (*ProgressCallback)(void* user, long percent);

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

// How a conversion ended.
enum class Conversion { done, notBuilt, failed };

// A plug-in DLL (NAME.dll in the plug-ins' folder), loaded for the life of the object.
class Plugin
{
public:
    Plugin(const std::wstring& folder, const char* name);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Writes the control's site to the file through the plug-in's exporter (GetExporter),
    // reporting progress to `progress`. notBuilt when the plug-in has no exporter of its own yet.
    Conversion Export(IYVEXControl* control, const std::wstring& path, const std::function<void(long)>& progress,
                      std::string* error);
    // Reads the file into the control's site through the plug-in's importer (GetImporter).
    Conversion Import(IYVEXControl* control, const std::wstring& path, const std::function<void(long)>& progress,
                      std::string* error);

private:
    std::string m_name;
    HMODULE m_module = nullptr;
};

// The host's text as the plug-ins' narrow text.
std::string ToPluginText(const std::wstring& text);

} // namespace sample
