// The sample host: a window that embeds the YVEX control and works a drawing the way an
// application does, through the control's automation interfaces and events only.
//
//   yvex_host [FILE] [--dsn NAME] [--out DIR] [--plugins DIR]
//
// Without a file it builds a sample site; with one it imports that file: a DXF file through the
// control, a DGN file, a shapefile or a plotter command file through the matching plug-in. It
// then saves the site in the database under its name (replacing an earlier site of that name),
// closes the control, loads the site into a fresh control, checks the shapes by kind, writes a
// picture of it (PNG), a DXF file and a metafile into the output folder, and exports it through
// every plug-in (DGN, shapefile, XAML, PDF). The plug-in DLLs are loaded from their folder
// (--plugins; by default the build's, beside this program's folder).
#include <windows.h>
#include <gdiplus.h>
#include <shellapi.h>
#include <chrono>
#include <cwctype>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "AutomationObject.h"
#include "ControlHost.h"
#include "Plugins.h"
#include "SiteDirectory.h"

using sample::Arg;
using sample::AutomationError;
using sample::AutomationObject;
using sample::ControlHost;
using sample::Narrow;

namespace {

const int kWidth = 1024;
const int kHeight = 768;
const DWORD kOperationTimeout = 300000;

struct Options {
    std::wstring input;   // a file to import, or empty for the sample site
    std::string dataSource;
    std::wstring outDir = L"out";
    std::wstring pluginDir;  // empty: <this program's folder>\..\..\plugins
};

// The plug-ins, with the file each exporter writes and the files each importer reads.
struct PluginFormat {
    const char* plugin;
    const wchar_t* output;
    std::vector<const wchar_t*> extensions;
};

const std::vector<PluginFormat>& PluginFormats()
{
    static const std::vector<PluginFormat> formats = {
        {"dgn", L"sample.dgn", {L".dgn"}},
        {"shp", L"sample.shp", {L".shp"}},
        {"xaml", L"sample.xaml", {L".gbr", L".ger", L".pho"}},
        {"pdf", L"sample.pdf", {}},
    };
    return formats;
}

// One line per step with its time.
class Step
{
public:
    explicit Step(const char* name) : m_name(name), m_start(std::chrono::steady_clock::now())
    {
        std::printf("%-34s ...\n", name);
        std::fflush(stdout);
    }
    void Done(const std::string& detail = {})
    {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        std::printf("%-34s %7.3f s%s%s\n", m_name, seconds, detail.empty() ? "" : "  ", detail.c_str());
        std::fflush(stdout);
    }

private:
    const char* m_name;
    std::chrono::steady_clock::time_point m_start;
};

std::wstring Join(const std::wstring& dir, const wchar_t* name)
{
    if (dir.empty())
        return name;
    const wchar_t last = dir.back();
    return dir + ((last == L'\\' || last == L'/') ? L"" : L"\\") + name;
}

// A full Windows path (the control resolves files against its own working folder otherwise).
std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(full) : path;
}

std::wstring Extension(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return std::wstring();
    std::wstring extension = path.substr(dot);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(towlower(c));
    return extension;
}

// The plug-in that imports a file of this name, or null for a DXF file.
const PluginFormat* ImporterFor(const std::wstring& path)
{
    const std::wstring extension = Extension(path);
    for (const PluginFormat& format : PluginFormats())
        for (const wchar_t* known : format.extensions)
            if (extension == known)
                return &format;
    return nullptr;
}

std::wstring PluginFolder(const Options& options)
{
    if (!options.pluginDir.empty())
        return FullPath(options.pluginDir);
    wchar_t self[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring folder(self, n < MAX_PATH * 4 ? n : 0);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    return FullPath(folder + L"..\\..\\plugins");
}

// The control's own interface for the plug-ins (they take IYVEXControl, not IDispatch).
IYVEXControl* ControlInterface(const AutomationObject& control)
{
    IYVEXControl* itf = nullptr;
    const HRESULT hr = control.Get()->QueryInterface(IID_IYVEXControl, reinterpret_cast<void**>(&itf));
    if (FAILED(hr) || !itf)
        throw AutomationError("the control answers no IYVEXControl", FAILED(hr) ? hr : E_NOINTERFACE);
    return itf;
}

// A line at every tenth of a plug-in's run, as the control's own progress is shown.
std::function<void(long)> ProgressPrinter(long* shown)
{
    *shown = -1;
    return [shown](long percent) {
        if (*shown >= 0 && percent < *shown + 10 && !(percent == 100 && *shown != 100))
            return;
        *shown = percent;
        std::printf("  progress %3ld%%\n", percent);
        std::fflush(stdout);
    };
}

std::wstring BaseName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

// A small picture for the image shape: a colour ramp with a frame, as a 24-bit BMP file.
void WriteSamplePicture(const std::wstring& path)
{
    const int w = 96, h = 64;
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &pixels[static_cast<size_t>(y) * stride + x * 3];
            const bool frame = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
            p[0] = frame ? 40 : static_cast<unsigned char>(255 * x / w);
            p[1] = frame ? 40 : static_cast<unsigned char>(255 * y / h);
            p[2] = frame ? 40 : 200;
        }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        throw AutomationError("cannot write " + Narrow(path), HRESULT_FROM_WIN32(GetLastError()));
    DWORD written = 0;
    WriteFile(out, &file, sizeof file, &written, nullptr);
    WriteFile(out, &info, sizeof info, &written, nullptr);
    WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
}

// The sample site, built through the object model only.
void BuildSampleSite(const AutomationObject& control, const std::wstring& outDir)
{
    AutomationObject site = control.GetObject(L"Site");
    site.Put(L"Name", L"Sample");
    AutomationObject shapes = site.GetObject(L"Shapes");
    auto shape = [&](long id) { return shapes.GetObject(L"ItemByID", id); };

    const long walls = shapes.CallLong(L"AddLayer", L"Walls");
    const long notes = shapes.CallLong(L"AddLayer", L"Notes");

    // Lines with arrow heads: filled, open, and a plain end.
    const long dimension = shapes.CallLong(L"AddLine", 0.0f, -10.0f, 150.0f, -10.0f);
    shape(dimension).Put(L"FirstArrowTypeID", 512L);
    shape(dimension).Put(L"SecondArrowTypeID", 512L);
    const long leader = shapes.CallLong(L"AddLine", 160.0f, -10.0f, 200.0f, 20.0f);
    shape(leader).Put(L"SecondArrowTypeID", 2L);
    shape(leader).Put(L"LayerShapeID", notes);

    // A polyline with an arc segment and a tapering width.
    const long path = shapes.CallLong(L"AddPolyline", 0.0f, 0.0f, 40.0f, 0.0f);
    AutomationObject polyline = shape(path);
    polyline.CallLong(L"AddNewVertex", 0L, 60.0f, 20.0f, 0.6f, 0x8000L, 0L, L"", 2.0f, 0.5f, 0L, 0L, 0L);
    polyline.CallLong(L"AddNewVertex", 0L, 90.0f, 20.0f, 0.0f, 0x8000L, 0L, L"", 0.5f, 0.5f, 0L, 0L, 0L);
    polyline.Put(L"PenColor", 0x008000L);

    // Walls: a rectangle, and a polygon filled with a hatch.
    const long room = shapes.CallLong(L"AddRectangle", 0.0f, 70.0f, 60.0f, 30.0f);
    shape(room).Put(L"LayerShapeID", walls);
    const long slab = shapes.CallLong(L"AddPolygon", 70.0f, 30.0f, 120.0f, 30.0f);
    AutomationObject polygon = shape(slab);
    polygon.CallLong(L"AddNewVertex", 0L, 120.0f, 60.0f, 0.0f, 0L, 0L, L"", 0.0f, 0.0f, 0L, 0L, 0L);
    polygon.CallLong(L"AddNewVertex", 0L, 85.0f, 70.0f, 0.0f, 0L, 0L, L"", 0.0f, 0.0f, 0L, 0L, 0L);
    // AddPolygon makes an open outline; the closing edge makes it a polygon that a hatch fills.
    const long kClosed = 1;
    polygon.Put(L"Flags", polygon.CallLong(L"Flags") | kClosed);
    polygon.Put(L"HatchPatternID", 3L);
    polygon.Put(L"HatchColor", 0x0000C0L);
    polygon.Put(L"LayerShapeID", walls);

    // Curves.
    shapes.CallLong(L"AddCircle", 160.0f, 50.0f, 15.0f);
    shapes.CallLong(L"AddArc", 160.0f, 50.0f, 22.0f, 30.0f, 150.0f);
    // The major axis turned by 30 degrees (the angle goes in radians).
    shapes.CallLong(L"AddEllipse", 215.0f, 50.0f, 25.0f, 0.5f, 0.5235988f, 0.0f, 360.0f);

    // Texts: a plain one and a rich one.
    shapes.CallLong(L"AddPlainText", L"YVEX sample site", 0.0f, 95.0f, 90.0f, 10.0f, 0L, 0.0f);
    shapes.CallLong(L"AddRTFText",
                    L"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}"
                    L"\\f0\\fs20 Rich \\b bold\\b0  and \\cf1 red\\cf0  text}",
                    100.0f, 95.0f, 80.0f, 10.0f, 0L, 0.0f);

    // A block made from a small group, with two references to it.
    const long marker = shapes.CallLong(L"AddGroup", 8L);
    AutomationObject markerShapes = shape(marker).GetObject(L"Shapes");
    markerShapes.CallLong(L"AddCircle", 250.0f, 0.0f, 5.0f);
    markerShapes.CallLong(L"AddLine", 245.0f, 0.0f, 255.0f, 0.0f);
    markerShapes.CallLong(L"AddLine", 250.0f, -5.0f, 250.0f, 5.0f);
    long block = 0, firstReference = 0, secondReference = 0;
    site.CallVoid(L"CreateBlock", L"Marker", Arg::OutLong(&block), marker, Arg::OutLong(&firstReference), 250.0f,
                  0.0f, true);
    shapes.CallVoid(L"AddReference", block, Arg::OutLong(&secondReference), false, 280.0f, 30.0f);

    // A picture, above the ellipse and beside the texts, clear of both.
    const std::wstring picture = FullPath(Join(outDir, L"sample-picture.bmp"));
    WriteSamplePicture(picture);
    shapes.CallLong(L"AddImage", picture, 200.0f, 110.0f, 48.0f, 32.0f, false);
}

// The shapes of a collection and of the groups in it, by kind (the copies a reference shows are
// its block's, counted once with the block).
void CountShapes(const AutomationObject& shapes, std::map<long, long>& counts)
{
    const long n = shapes.CallLong(L"Count");
    for (long i = 1; i <= n; ++i) {
        AutomationObject shape = shapes.GetObject(L"Item", i);
        const long kind = shape.CallLong(L"ShapeType");
        ++counts[kind];
        if (kind == 8)
            CountShapes(shape.GetObject(L"Shapes"), counts);
    }
}

// What the site holds, by kind: the drawing's shapes, the blocks and the layers.
std::map<long, long> ShapesByKind(const AutomationObject& control)
{
    const long kDrawing = 0, kBlocks = -3, kLayers = -4;
    AutomationObject all = control.GetObject(L"Site").GetObject(L"Shapes");
    std::map<long, long> counts;
    for (long group : {kDrawing, kBlocks, kLayers})
        CountShapes(all.GetObject(L"ItemByID", group).GetObject(L"Shapes"), counts);
    return counts;
}

std::string Describe(const std::map<long, long>& counts)
{
    static const char* const kNames[] = {"dummy", "line", "rectangle", "arc", "circle", "ellipse", "polyline",
                                         "curve", "group", "layer", "image", "text", "reference", "polygon",
                                         "hatch"};
    std::string text;
    for (const auto& kind : counts) {
        if (!text.empty())
            text += ", ";
        const char* name = kind.first >= 0 && kind.first < 15 ? kNames[kind.first] : "other";
        text += std::to_string(kind.second) + " " + name;
    }
    return text.empty() ? "no shapes" : text;
}

// Connects a fresh control to the database of the run.
void UseDataSource(const AutomationObject& control, const std::string& dataSource)
{
    AutomationObject persist = control.GetObject(L"PersistDB");
    if (!dataSource.empty())
        persist.Put(L"DSN", std::wstring(dataSource.begin(), dataSource.end()));
}

// Runs a database operation of the control and waits for its end event.
void RunSiteOperation(ControlHost& host, const char* what, const std::function<void()>& start)
{
    host.ResetSiteOperation();
    start();
    bool succeeded = false;
    if (!host.WaitForSiteOperation(kOperationTimeout, &succeeded))
        throw AutomationError(std::string(what) + ": the control did not finish in time", E_FAIL);
    if (!succeeded) {
        std::string text = std::string(what) + " failed";
        try {
            const std::wstring message = host.Control().GetText(L"LastErrorMessage");
            if (!message.empty())
                text += ": " + Narrow(message);
        } catch (const AutomationError&) {
        }
        throw AutomationError(text, E_FAIL);
    }
}

// The control drawn into a bitmap through its own drawing path, written as PNG with GDI+.
void WritePicture(const AutomationObject& control, const std::wstring& path)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) {
        if (dc)
            DeleteDC(dc);
        throw AutomationError("cannot make a bitmap for the picture", E_OUTOFMEMORY);
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const LONG_PTR handle = reinterpret_cast<LONG_PTR>(dc);
    // The control takes the target's size in hundredths of millimetres, as OLE draws.
    const long width = MulDiv(kWidth, 2540, GetDeviceCaps(dc, LOGPIXELSX));
    const long height = MulDiv(kHeight, 2540, GetDeviceCaps(dc, LOGPIXELSY));
    try {
        control.GetObject(L"Site").CallVoid(L"Draw", Arg::Handle(handle), 0L, 0L, width, height);
    } catch (...) {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        throw;
    }
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status == Gdiplus::Ok) {
        // The PNG encoder of GDI+.
        const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        Gdiplus::Bitmap* image = Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr);
        status = image ? image->Save(path.c_str(), &png, nullptr) : Gdiplus::OutOfMemory;
        delete image;
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bitmap);
    if (status != Gdiplus::Ok)
        throw AutomationError("cannot write " + Narrow(path), E_FAIL);
}

// The loaded site written by every plug-in whose exporter is built; the others are named as
// skipped.
void ExportThroughPlugins(ControlHost& host, const Options& options)
{
    const std::wstring folder = PluginFolder(options);
    // The PDF engine that the pdf plug-in loads by name lies beside the plug-ins.
    SetDllDirectoryW(folder.c_str());
    IYVEXControl* control = ControlInterface(host.Control());
    try {
        for (const PluginFormat& format : PluginFormats()) {
            const std::string title = "write out/" + Narrow(format.output);
            Step step(title.c_str());
            sample::Plugin plugin(folder, format.plugin);
            long shown = -1;
            std::string error;
            const sample::Conversion result =
                plugin.Export(control, FullPath(Join(options.outDir, format.output)), ProgressPrinter(&shown), &error);
            if (result == sample::Conversion::failed)
                throw AutomationError(title + ": " + error, E_FAIL);
            step.Done(result == sample::Conversion::notBuilt
                          ? std::string("skipped: the ") + format.plugin + " plug-in's exporter is not built yet"
                          : std::string("through the ") + format.plugin + " plug-in");
        }
    } catch (...) {
        control->Release();
        throw;
    }
    control->Release();
}

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if ((arg == L"--dsn" || arg == L"--out" || arg == L"--plugins") && i + 1 < argc) {
            const std::wstring value = argv[++i];
            if (arg == L"--dsn")
                options.dataSource = Narrow(value);
            else if (arg == L"--out")
                options.outDir = value;
            else
                options.pluginDir = value;
        } else if (!arg.empty() && arg[0] != L'-' && options.input.empty()) {
            options.input = arg;
        } else {
            return false;
        }
    }
    return true;
}

int Run(const Options& options)
{
    CreateDirectoryW(options.outDir.c_str(), nullptr);
    const std::wstring siteName = options.input.empty() ? L"Sample" : BaseName(options.input);
    ControlHost host;
    // A line at every tenth of an operation (a new operation starts again from its 0).
    long shown = -1;
    host.onProgress = [&shown](long percent) {
        if (percent < shown)
            shown = -1;
        if (shown >= 0 && percent < shown + 10 && !(percent == 100 && shown != 100))
            return;
        shown = percent;
        std::printf("  progress %3ld%%\n", percent);
        std::fflush(stdout);
    };
    std::map<long, long> built;
    {
        Step step("create the control");
        host.Open(kWidth, kHeight);
        UseDataSource(host.Control(), options.dataSource);
        step.Done();
    }
    if (options.input.empty()) {
        Step step("build the sample site");
        BuildSampleSite(host.Control(), options.outDir);
        built = ShapesByKind(host.Control());
        step.Done(Describe(built));
    } else if (const PluginFormat* format = ImporterFor(options.input)) {
        const std::string title = std::string("import through the ") + format->plugin + " plug-in";
        Step step(title.c_str());
        const std::wstring file = FullPath(options.input);
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
            throw AutomationError("cannot open " + Narrow(options.input), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        sample::Plugin plugin(PluginFolder(options), format->plugin);
        IYVEXControl* control = ControlInterface(host.Control());
        long shown = -1;
        std::string error;
        sample::Conversion result = sample::Conversion::failed;
        try {
            result = plugin.Import(control, file, ProgressPrinter(&shown), &error);
        } catch (...) {
            control->Release();
            throw;
        }
        control->Release();
        if (result == sample::Conversion::notBuilt)
            throw AutomationError(std::string("the ") + format->plugin + " plug-in's importer is not built yet", E_NOTIMPL);
        if (result == sample::Conversion::failed)
            throw AutomationError("import of " + Narrow(options.input) + ": " + error, E_FAIL);
        host.Control().GetObject(L"Site").Put(L"Name", siteName);
        built = ShapesByKind(host.Control());
        step.Done(Describe(built));
    } else {
        Step step("import the DXF file");
        const std::wstring file = FullPath(options.input);
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
            throw AutomationError("cannot open " + Narrow(options.input), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        AutomationObject dxf = host.Control().GetObject(L"DXFOperations");
        RunSiteOperation(host, "import", [&] { dxf.CallVoid(L"LoadDXF", file, 0L); });
        host.Control().GetObject(L"Site").Put(L"Name", siteName);
        built = ShapesByKind(host.Control());
        step.Done(Describe(built));
    }

    long siteId = 0;
    {
        // Saved as a new site first, so that a failed save leaves the stored one as it was; the
        // earlier sites of that name go once the new one is in.
        Step step("save the site");
        AutomationObject persist = host.Control().GetObject(L"PersistDB");
        RunSiteOperation(host, "save", [&] { siteId = persist.CallLong(L"SaveToNewSite", siteName); });
        if (siteId <= 0)
            throw AutomationError("save: the control gave no site ID", E_FAIL);
        long replaced = 0;
        for (long earlier : sample::SitesNamed(options.dataSource, siteName)) {
            if (earlier == siteId)
                continue;
            RunSiteOperation(host, "delete the earlier site", [&] { persist.CallVoid(L"Delete", earlier); });
            ++replaced;
        }
        step.Done("site " + std::to_string(siteId) + " \"" + Narrow(siteName) + "\"" +
                  (replaced ? ", replacing " + std::to_string(replaced) + " earlier" : std::string()));
    }
    {
        Step step("close the control");
        host.Close();
        step.Done();
    }
    std::map<long, long> loaded;
    {
        Step step("load the site into a new control");
        host.Open(kWidth, kHeight);
        UseDataSource(host.Control(), options.dataSource);
        const std::vector<long> named = sample::SitesNamed(options.dataSource, siteName);
        if (named.empty())
            throw AutomationError("no site \"" + Narrow(siteName) + "\" in the database", E_FAIL);
        const long found = named.front();
        AutomationObject persist = host.Control().GetObject(L"PersistDB");
        RunSiteOperation(host, "load", [&] { persist.CallVoid(L"Load", found, false); });
        loaded = ShapesByKind(host.Control());
        step.Done(Describe(loaded));
    }
    if (loaded != built)
        throw AutomationError("the loaded site differs from the saved one: saved " + Describe(built) + "; loaded " +
                                  Describe(loaded),
                              E_FAIL);
    {
        Step step("write out/sample.png");
        host.Control().CallVoid(L"ZoomAll");
        host.PumpMessages();
        WritePicture(host.Control(), FullPath(Join(options.outDir, L"sample.png")));
        step.Done(std::to_string(kWidth) + "x" + std::to_string(kHeight));
    }
    {
        Step step("write out/sample.dxf");
        host.Control().GetObject(L"DXFOperations").CallVoid(L"SaveDXF", FullPath(Join(options.outDir, L"sample.dxf")),
                                                             false);
        step.Done();
    }
    {
        Step step("write out/sample.emf");
        VARIANT handle = host.Control().GetObject(L"YVEXPrint").Call(L"DrawSiteMetafile",
                                                                      FullPath(Join(options.outDir, L"sample.emf")));
        LONG_PTR metafile = 0;
        if (handle.vt == VT_I8)
            metafile = static_cast<LONG_PTR>(handle.llVal);
        else if (handle.vt == VT_I4)
            metafile = handle.lVal;
        VariantClear(&handle);
        if (metafile)
            DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(metafile));
        step.Done();
    }
    ExportThroughPlugins(host, options);
    host.Close();
    return 0;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Options options;
    if (!argv || !ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: yvex_host [FILE] [--dsn NAME] [--out DIR] [--plugins DIR]\n");
        return 2;
    }
    LocalFree(argv);
    OleInitialize(nullptr);
    int code = 0;
    try {
        code = Run(options);
    } catch (const std::exception& e) {
        for (const std::string& box : ControlHost::TakeMessages())
            std::fprintf(stderr, "message: %s\n", box.c_str());
        std::fprintf(stderr, "error: %s\n", e.what());
        code = 1;
    }
    OleUninitialize();
    return code;
}
