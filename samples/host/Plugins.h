#pragma once
// The plug-in DLLs as this host reaches them, through the contract it declares itself
// (PluginContract.h).
#include <functional>
#include <string>
#include "PluginContract.h"

namespace sample {

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
