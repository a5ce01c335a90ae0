#include "Plugins.h"
#include <comdef.h>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>
#include "AutomationObject.h"

namespace sample {

namespace {

// A converter's result code for "not built yet".
const int kNotBuilt = E_NOTIMPL;

void Report(void* user, long percent) { (*static_cast<const std::function<void(long)>*>(user))(percent); }

std::string Hex(long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// The factory takes over a reference to the control for the call, which the host adds.
template <class Factory>
auto Make(Factory factory, IYVEXControl* control, const std::function<void(long)>& progress)
{
    control->AddRef();
    return factory(control, const_cast<std::function<void(long)>*>(&progress), Report);
}

// A COM error raised inside the plug-in (it reaches its host as _com_error).
AutomationError Raised(const std::string& plugin, const _com_error& e)
{
    std::string text = "the " + plugin + " plug-in met a COM error " + Hex(e.Error());
    const _bstr_t description = e.Description();
    if (description.length())
        text += ": " + Narrow(static_cast<const wchar_t*>(description));
    return AutomationError(text, e.Error());
}

// The text a converter leaves on failure: its state, and the system's text of the last error.
template <class Converter>
std::string Failure(Converter* converter, const char* what)
{
    std::string text = std::string(what) + " failed (state " + Hex(converter->GetState()) + ")";
    const std::string last = converter->GetLastErrorText().str();
    if (!last.empty())
        text += ": " + last.substr(0, last.find_last_not_of("\r\n") + 1);
    return text;
}

} // namespace

std::string ToPluginText(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(1252, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(1252, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

Plugin::Plugin(const std::wstring& folder, const char* name) : m_name(name)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    path += std::wstring(m_name.begin(), m_name.end()) + L".dll";
    m_module = LoadLibraryW(path.c_str());
    if (!m_module)
        throw AutomationError("cannot load the " + m_name + " plug-in (" + Narrow(path) + ")",
                              HRESULT_FROM_WIN32(GetLastError()));
}

Plugin::~Plugin()
{
    if (m_module)
        FreeLibrary(m_module);
}

Conversion Plugin::Export(IYVEXControl* control, const std::wstring& path, const std::function<void(long)>& progress,
                          std::string* error)
{
    auto factory = reinterpret_cast<ExporterFactory>(reinterpret_cast<void*>(GetProcAddress(m_module, "GetExporter")));
    if (!factory)
        return Conversion::notBuilt;
    PluginExporter* exporter = Make(factory, control, progress);
    if (!exporter)
        throw AutomationError("the " + m_name + " plug-in has no memory for its exporter", E_OUTOFMEMORY);
    exporter->AddRef();
    Conversion result = Conversion::done;
    try {
        if (!exporter->Export(PluginText(ToPluginText(path)), 0, 0)) {
            result = exporter->GetState() == kNotBuilt ? Conversion::notBuilt : Conversion::failed;
            if (result == Conversion::failed && error)
                *error = Failure(exporter, "the export");
        }
    } catch (const _com_error& e) {
        exporter->Release();
        throw Raised(m_name, e);
    } catch (...) {
        exporter->Release();
        throw;
    }
    exporter->Release();
    return result;
}

Conversion Plugin::Import(IYVEXControl* control, const std::wstring& path, const std::function<void(long)>& progress,
                          std::string* error)
{
    auto factory = reinterpret_cast<ImporterFactory>(reinterpret_cast<void*>(GetProcAddress(m_module, "GetImporter")));
    if (!factory)
        return Conversion::notBuilt;
    PluginImporter* importer = Make(factory, control, progress);
    if (!importer)
        throw AutomationError("the " + m_name + " plug-in has no memory for its importer", E_OUTOFMEMORY);
    importer->AddRef();
    Conversion result = Conversion::done;
    try {
        if (!importer->Import(PluginText(ToPluginText(path)), 0, 0)) {
            result = importer->GetState() == kNotBuilt ? Conversion::notBuilt : Conversion::failed;
            if (result == Conversion::failed && error)
                *error = Failure(importer, "the import");
        }
    } catch (const _com_error& e) {
        importer->Release();
        throw Raised(m_name, e);
    } catch (...) {
        importer->Release();
        throw;
    }
    importer->Release();
    return result;
}

} // namespace sample
