#pragma once
// A host of the plug-in DLLs as an outside program is one: it includes nothing of the plug-ins'
// sources but the contract the sample host declares (the converters' slots, the plug-ins' text
// and point types), loads a DLL with LoadLibrary, finds its exports by name and records the
// progress the converter reports.
#include <windows.h>
#include <ole2.h>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "samples/host/PluginContract.h"
#include "tests/support/TestPaths.h"

namespace pluginhost {

// The contract as the sample host declares it.
using Text = sample::PluginText;
using Point = sample::PluginPoint;
using Callback = sample::ProgressCallback;
using Exporter = sample::PluginExporter;
using Importer = sample::PluginImporter;
using sample::ExporterFactory;
using sample::ExporterRelease;
using sample::ImporterFactory;
using sample::ImporterRelease;
using sample::StdExporterFactory;
using sample::StdImporterFactory;

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
