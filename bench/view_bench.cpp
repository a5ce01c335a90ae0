// The part of the view benchmark that runs under Wine; bench/view_bench.py drives it, times the
// peers outside Wine (ezdxf's save, GDAL's memory) and prints the table. Each measure that the
// program repeats keeps its best of three. Output: "key=value" lines.
//
//   view_bench drawing FILE [site]
//     The registered control hosted in a 1280 x 960 window, as a host embeds it (AtlAxWin, an
//     event sink connected), loads FILE through IDXFOperations::LoadDXF; then, in this order:
//       memory        the process's working set before the load and its peak after it, with the
//                     drawing's shapes and points (ISite's collections)
//       full redraw   the drawing after ZoomAll through ISite::Draw into a 1920 x 1080 DIB
//                     section, beside bare GDI drawing the same geometry (read from FILE once
//                     beforehand, block references expanded) with Polyline, Arc, Ellipse and
//                     TextOut into the same kind of DIB
//       zoomed        the hosted view zoomed onto a tenth of each side of the drawing at three
//                     places (ZoomWindow, with the window's repaint), then ISite::DrawEx of what
//                     the view shows into the DIB; a pan by half the window's width with the right
//                     button (the window's repaint), and the DIB drawing of the panned view
//       ZoomAll       IYVEXControl::ZoomAll with its repaint of the window
//       hit test      a left button press (what a click runs to find the shapes under the
//                     pointer) at 100 random points of the whole drawing's view, the mean; the
//                     release follows outside the time
//       rubber band   a drag from an empty place over a tenth of each side of the drawing, from
//                     the press to the release that selects what lies inside it
//       SaveDXF       IDXFOperations::SaveDXF of the drawing as R12 ASCII
//       site          (with "site") IPersistDB::SaveToNewSite on an SQLite file and
//                     IPersistDB::Load of it into a second control, beside one transaction of
//                     bare prepared inserts of as many Shapes, kind, Points and ShapePoints rows
//                     as the save wrote, and one select reading them back (the site benchmark's
//                     bare work, at the drawing's size)
//   view_bench small FILE
//     LoadDXF of a small drawing into a windowless control and into a hosted one, alternately,
//     a fresh control each time: the best of five of each.
#include "bench/BareSiteSelect.h"
#include "bench/SamplingProfiler.h"
#include "interchange/DxfFile.h"
#include "model/ColorIndexTable.h"
#include "YVEX_h.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <psapi.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const int kWindowWidth = 1280, kWindowHeight = 960;
const int kDibWidth = 1920, kDibHeight = 1080;
const int kRuns = 3;

// With YVEX_BENCH_PROFILE naming a file, each measure's samples of where the time goes
// (bench/profile_report.py reads them).
SamplingProfiler* g_profiler = nullptr;
struct Profiled
{
    explicit Profiled(const char* section)
    {
        if (g_profiler)
            g_profiler->Start(section);
    }
    ~Profiled()
    {
        if (g_profiler)
            g_profiler->Stop();
    }
    Profiled(const Profiled&) = delete;
    Profiled& operator=(const Profiled&) = delete;
};
const double kPi = 3.14159265358979323846;

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

template <class F>
double BestOf(int runs, F&& f)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t = f();
        best = std::min(best, t);
    }
    return best;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

SIZE_T WorkingSet(bool peak)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
        return 0;
    return peak ? memory.PeakWorkingSetSize : memory.WorkingSetSize;
}

BSTR Bstr(const std::string& text)
{
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(wide > 0 ? wide - 1 : 0));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, b, wide);
    return b;
}

template <class T>
struct Com
{
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() { Reset(); }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    T** Put()
    {
        Reset();
        return &p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

// ---- the host: atl.dll's container window and an event sink ----

struct AtlApi
{
    BOOL(WINAPI* init)() = nullptr;
    HRESULT(WINAPI* attach)(IUnknown*, HWND, IUnknown**) = nullptr;
};

const AtlApi& Atl()
{
    static AtlApi api = [] {
        AtlApi a;
        if (HMODULE dll = LoadLibraryW(L"atl.dll")) {
            a.init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "AtlAxWinInit")));
            a.attach = reinterpret_cast<HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "AtlAxAttachControl")));
            if (a.init)
                a.init();
        }
        return a;
    }();
    return api;
}

// Counts the shapes a press hit and the selection changes; answers every proceed flag with yes.
class Sink : public IDispatch
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__IYVEXControlEvents) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id == cetOnHitShape)
            ++hits;
        if (id == cetOnChangeSelection)
            ++selectionChanges;
        if (id == cetOnEndSaveSite)
            ++savesEnded;
        if (id == cetOnEndLoadSite)
            ++loadsEnded;
        for (UINT i = 0; p && i < p->cArgs; ++i)
            if (p->rgvarg[i].vt == (VT_BOOL | VT_BYREF))
                *p->rgvarg[i].pboolVal = VARIANT_TRUE;
        return S_OK;
    }
    long hits = 0;
    long selectionChanges = 0;
    long savesEnded = 0;
    long loadsEnded = 0;
};

// A site's save and load run on the control's worker and end with an event; the worker's stage
// and progress messages come to this thread, which pumps them while it waits. False when the
// end did not come within the time.
bool WaitForEnd(const long& ended, long before, double seconds)
{
    const double until = Now() + seconds;
    while (ended == before) {
        if (Now() > until)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    return true;
}

// The registered control in a container window of a top-level window, as a host shows it.
class Host
{
public:
    bool Open(Sink* sink)
    {
        if (!Atl().attach)
            return false;
        m_top = CreateWindowExW(0, L"STATIC", L"view bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                kWindowWidth + 40, kWindowHeight + 60, nullptr, nullptr, nullptr, nullptr);
        m_ax = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 0, 0, kWindowWidth, kWindowHeight, m_top,
                               nullptr, nullptr, nullptr);
        if (!m_ax || FAILED(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                             unknown.PutVoid())))
            return false;
        if (FAILED(Atl().attach(unknown.p, m_ax, m_container.Put())))
            return false;
        Pump();
        m_window = GetWindow(m_ax, GW_CHILD);
        if (FAILED(unknown->QueryInterface(IID_IYVEXControl, control.PutVoid())) ||
            FAILED(unknown->QueryInterface(IID_IDXFOperations, dxf.PutVoid())) || FAILED(control->get_Site(site.Put())))
            return false;
        if (sink) {
            Com<IConnectionPointContainer> points;
            if (SUCCEEDED(unknown->QueryInterface(IID_IConnectionPointContainer, points.PutVoid())) &&
                SUCCEEDED(points->FindConnectionPoint(DIID__IYVEXControlEvents, m_point.Put())))
                m_point->Advise(sink, &m_cookie);
        }
        return m_window != nullptr;
    }
    void Close()
    {
        if (m_point)
            m_point->Unadvise(m_cookie);
        m_point.Reset();
        site.Reset();
        dxf.Reset();
        control.Reset();
        m_container.Reset();
        unknown.Reset();
        if (m_top)
            DestroyWindow(m_top);
        m_top = nullptr;
        Pump();
    }
    ~Host() { Close(); }
    HWND Window() const { return m_window; }

    Com<IUnknown> unknown;
    Com<IYVEXControl> control;
    Com<IDXFOperations> dxf;
    Com<ISite> site;

private:
    HWND m_top = nullptr, m_ax = nullptr, m_window = nullptr;
    Com<IUnknown> m_container;
    Com<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// ---- the bare geometry: what the file draws, in world coordinates ----

struct Figure
{
    enum Kind { kPolyline, kArc, kCircle, kText } kind = kPolyline;
    COLORREF colour = 0;
    std::vector<POINT> device;      // filled for each view
    std::vector<double> xy;         // world: polyline points (x, y, ...) or centre
    double radius = 0, start = 0, end = 0, height = 0, angle = 0;
    std::wstring text;
};

struct Entity
{
    std::string type, layer, block, text;
    int colour = 256;
    std::vector<double> xy;  // 10/20 pairs in order
    double values[8] = {};   // 40, 41, 42, 50, 51 (and bulges per vertex below)
    std::vector<double> bulges;
    double Get(int code, double fallback) const
    {
        const int slot = Slot(code);
        return slot >= 0 && has[slot] ? values[slot] : fallback;
    }
    static int Slot(int code)
    {
        switch (code) {
        case 40: return 0;
        case 41: return 1;
        case 42: return 2;
        case 50: return 3;
        case 51: return 4;
        default: return -1;
        }
    }
    bool has[8] = {};
};

struct Transform
{
    double ox = 0, oy = 0, sx = 1, sy = 1, c = 1, s = 0;
    void Apply(double x, double y, double* rx, double* ry) const
    {
        const double px = x * sx, py = y * sy;
        *rx = ox + px * c - py * s;
        *ry = oy + px * s + py * c;
    }
    double angleDegrees = 0;
};

class Geometry
{
public:
    bool Read(const char* path)
    {
        CDxfFile dxf;
        if (!dxf.Open(path, true))
            return false;
        std::string section, layerName;
        std::vector<Entity>* target = nullptr;
        Entity current;
        bool inEntity = false, inLayer = false;
        int layerColour = 7;
        auto finish = [&]() {
            if (inEntity && target) {
                if (current.type == "VERTEX" && !target->empty() && target->back().type == "POLYLINE") {
                    target->back().xy.insert(target->back().xy.end(), current.xy.begin(), current.xy.end());
                    target->back().bulges.push_back(current.Get(42, 0.0));
                } else if (current.type != "SEQEND" && current.type != "VERTEX") {
                    target->push_back(current);
                }
            }
            if (inLayer && !layerName.empty())
                m_layerColours[layerName] = layerColour;
            inEntity = inLayer = false;
        };
        while (dxf.ReadGroup()) {
            const int code = dxf.GetCode();
            if (code == 0) {
                finish();
                const std::string word = dxf.GetText();
                if (word == "SECTION" || word == "ENDSEC" || word == "EOF") {
                    target = nullptr;
                    m_sectionNext = word == "SECTION";
                    continue;
                }
                if (word == "BLOCK") {
                    target = nullptr;
                    m_pendingBlock = true;
                    continue;
                }
                if (word == "ENDBLK") {
                    target = nullptr;
                    continue;
                }
                if (word == "LAYER" && section == "TABLES") {
                    inLayer = true;
                    layerName.clear();
                    layerColour = 7;
                    continue;
                }
                if (section == "ENTITIES")
                    target = &m_model;
                if (section == "BLOCKS" && !m_blockKey.empty())
                    target = &m_blocks[m_blockKey];
                current = Entity();
                current.type = word;
                inEntity = target != nullptr;
                continue;
            }
            if (code == 2 && m_sectionNext) {
                section = dxf.GetText();
                m_sectionNext = false;
                continue;
            }
            if (inLayer) {
                if (code == 2)
                    layerName = dxf.GetText();
                else if (code == 62)
                    layerColour = std::abs(dxf.GetInt());
                continue;
            }
            if (m_pendingBlock && code == 2) {
                m_blockKey = dxf.GetText();
                m_pendingBlock = false;
                continue;
            }
            if (!inEntity)
                continue;
            switch (code) {
            case 8: current.layer = dxf.GetText(); break;
            case 2: current.block = dxf.GetText(); break;
            case 1: current.text = dxf.GetText(); break;
            case 62: current.colour = dxf.GetInt(); break;
            case 10:
            case 20:
                current.xy.push_back(dxf.GetReal());
                break;
            case 11:
            case 21:
                current.xy.push_back(dxf.GetReal());
                break;
            default: {
                const int slot = Entity::Slot(code);
                if (slot >= 0) {
                    current.values[slot] = dxf.GetReal();
                    current.has[slot] = true;
                }
            }
            }
        }
        finish();
        return !dxf.HasError();
    }

    // The figures of the model space, references expanded (their blocks' entities placed).
    void Build()
    {
        Transform identity;
        for (const Entity& e : m_model)
            Emit(e, identity, e.layer, 0);
    }

    std::vector<Figure> figures;
    double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;

private:
    COLORREF Colour(const Entity& e, const std::string& layer) const
    {
        int number = e.colour;
        if (number == 256 || number == 0) {
            auto it = m_layerColours.find(layer);
            number = it != m_layerColours.end() ? it->second : 7;
        }
        return CColorIndexTable::ToRgb(number == 7 ? 0 : number) & 0xFFFFFF;
    }
    void Grow(double x, double y)
    {
        left = std::min(left, x), right = std::max(right, x);
        bottom = std::min(bottom, y), top = std::max(top, y);
    }
    void Emit(const Entity& e, const Transform& t, const std::string& parentLayer, int depth)
    {
        const std::string& layer = e.layer == "0" && depth > 0 ? parentLayer : e.layer;
        Figure f;
        f.colour = Colour(e, layer);
        if (e.type == "LINE" && e.xy.size() >= 4) {
            f.kind = Figure::kPolyline;
            for (int i = 0; i < 2; ++i) {
                double x, y;
                t.Apply(e.xy[2 * i], e.xy[2 * i + 1], &x, &y);
                f.xy.push_back(x), f.xy.push_back(y);
                Grow(x, y);
            }
            figures.push_back(std::move(f));
        } else if (e.type == "POLYLINE" && e.xy.size() >= 6) {
            // The polyline's own 10/20 is its elevation point; the vertices follow.
            f.kind = Figure::kPolyline;
            for (size_t i = 2; i + 1 < e.xy.size(); i += 2) {
                const size_t v = i / 2 - 1;
                double x, y;
                t.Apply(e.xy[i], e.xy[i + 1], &x, &y);
                const double bulge = v < e.bulges.size() ? e.bulges[v] : 0.0;
                f.xy.push_back(x), f.xy.push_back(y);
                Grow(x, y);
                if (bulge != 0.0 && i + 3 < e.xy.size()) {
                    // A bulged segment as the points of its arc, as a drawing of it needs.
                    double x2, y2;
                    t.Apply(e.xy[i + 2], e.xy[i + 3], &x2, &y2);
                    // The arc turns by 4 atan(bulge), anticlockwise for a positive bulge.
                    const double theta = 4 * std::atan(bulge);
                    const double chord = std::hypot(x2 - x, y2 - y);
                    if (chord > 0) {
                        const double d = chord / 2 / std::tan(theta / 2);
                        const double cx = (x + x2) / 2 - (y2 - y) / chord * d;
                        const double cy = (y + y2) / 2 + (x2 - x) / chord * d;
                        const double r = std::hypot(x - cx, y - cy);
                        const double a0 = std::atan2(y - cy, x - cx);
                        for (int k = 1; k < 8; ++k) {
                            f.xy.push_back(cx + r * std::cos(a0 + theta * k / 8));
                            f.xy.push_back(cy + r * std::sin(a0 + theta * k / 8));
                        }
                    }
                }
            }
            figures.push_back(std::move(f));
        } else if ((e.type == "ARC" || e.type == "CIRCLE") && e.xy.size() >= 2) {
            f.kind = e.type == "ARC" ? Figure::kArc : Figure::kCircle;
            double x, y;
            t.Apply(e.xy[0], e.xy[1], &x, &y);
            f.xy = {x, y};
            f.radius = e.Get(40, 0) * std::fabs(t.sx);
            f.start = e.Get(50, 0) + t.angleDegrees;
            f.end = e.Get(51, 360) + t.angleDegrees;
            Grow(x - f.radius, y - f.radius);
            Grow(x + f.radius, y + f.radius);
            figures.push_back(std::move(f));
        } else if (e.type == "TEXT" && e.xy.size() >= 2) {
            f.kind = Figure::kText;
            double x, y;
            t.Apply(e.xy[0], e.xy[1], &x, &y);
            f.xy = {x, y};
            f.height = e.Get(40, 1) * std::fabs(t.sy);
            f.angle = e.Get(50, 0) + t.angleDegrees;
            f.text.assign(e.text.begin(), e.text.end());
            Grow(x, y);
            figures.push_back(std::move(f));
        } else if (e.type == "INSERT" && depth < 8 && e.xy.size() >= 2) {
            auto it = m_blocks.find(e.block);
            if (it == m_blocks.end())
                return;
            Transform inner;
            double x, y;
            t.Apply(e.xy[0], e.xy[1], &x, &y);
            inner.ox = x, inner.oy = y;
            inner.sx = e.Get(41, 1) * t.sx, inner.sy = e.Get(42, 1) * t.sy;
            inner.angleDegrees = e.Get(50, 0) + t.angleDegrees;
            inner.c = std::cos(inner.angleDegrees * kPi / 180), inner.s = std::sin(inner.angleDegrees * kPi / 180);
            for (const Entity& child : it->second)
                Emit(child, inner, layer, depth + 1);
        }
    }

    std::vector<Entity> m_model;
    std::map<std::string, std::vector<Entity>> m_blocks;
    std::map<std::string, int> m_layerColours;
    std::string m_blockKey;
    bool m_pendingBlock = false;
    bool m_sectionNext = false;
};

// A DIB section of the benchmark's size selected into a memory context.
class Canvas
{
public:
    Canvas()
    {
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kDibWidth;
        info.bmiHeader.biHeight = -kDibHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    void Clear()
    {
        std::memset(m_bits, 0xFF, static_cast<size_t>(kDibWidth) * kDibHeight * 4);
        GdiFlush();
    }
    // The picture as a BMP file (YVEX_BENCH_PICTURES names a folder): to look at what was drawn.
    void Save(const char* name) const
    {
        const char* folder = std::getenv("YVEX_BENCH_PICTURES");
        if (!folder || !*folder)
            return;
        GdiFlush();
        const std::string path = std::string(folder) + "\\" + name + ".bmp";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return;
        const DWORD bytes = static_cast<DWORD>(kDibWidth) * kDibHeight * 4;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + bytes;
        info.biSize = sizeof info;
        info.biWidth = kDibWidth;
        info.biHeight = -kDibHeight;
        info.biPlanes = 1;
        info.biBitCount = 32;
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&info, sizeof info, 1, f);
        std::fwrite(m_bits, 1, bytes, f);
        std::fclose(f);
    }
    // The share of pixels that are not white: a check that something was drawn.
    double Inked() const
    {
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(m_bits);
        size_t n = 0;
        for (size_t i = 0; i < static_cast<size_t>(kDibWidth) * kDibHeight; ++i)
            n += (p[i] & 0xFFFFFF) != 0xFFFFFF;
        return static_cast<double>(n) / (static_cast<double>(kDibWidth) * kDibHeight);
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

// The character height in pixels of a text's font as the control makes it (the text's height
// is its capitals', the font's 30 % more), or 0 for a text less than a pixel high, which the
// control leaves out (a font that small comes out at the system's default size).
int TextCell(double height, double k)
{
    return height * k < 1.0 ? 0 : static_cast<int>(std::lround(height * 1.3 * k));
}

// Bare GDI: every figure mapped from the world rectangle onto the canvas (y up), each with its
// colour's pen (made once), texts with fonts of their height and angle (made once).
double DrawBare(Canvas& canvas, const std::vector<Figure>& figures, double left, double top, double right,
                double bottom)
{
    canvas.Clear();
    HDC dc = canvas.Dc();
    const double k = std::min(kDibWidth / (right - left), kDibHeight / (top - bottom));
    const double ox = kDibWidth / 2.0 - (left + right) / 2 * k, oy = kDibHeight / 2.0 + (top + bottom) / 2 * k;
    std::map<COLORREF, HPEN> pens;
    std::map<std::pair<int, int>, HFONT> fonts;
    for (const Figure& f : figures) {
        if (!pens.count(f.colour))
            pens[f.colour] = CreatePen(PS_SOLID, 0, f.colour);
        if (f.kind == Figure::kText) {
            const int h = TextCell(f.height, k);
            if (h == 0)
                continue;
            const int a = static_cast<int>(std::lround(f.angle * 10));
            if (!fonts.count({h, a}))
                fonts[{h, a}] = CreateFontW(-h, 0, a, a, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
        }
    }
    SetBkMode(dc, TRANSPARENT);
    SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    std::vector<POINT> points;
    const double start = Now();
    for (const Figure& f : figures) {
        SelectObject(dc, pens[f.colour]);
        auto X = [&](double x) { return static_cast<int>(std::lround(ox + x * k)); };
        auto Y = [&](double y) { return static_cast<int>(std::lround(oy - y * k)); };
        switch (f.kind) {
        case Figure::kPolyline:
            points.resize(f.xy.size() / 2);
            for (size_t i = 0; i < points.size(); ++i)
                points[i] = POINT{X(f.xy[2 * i]), Y(f.xy[2 * i + 1])};
            Polyline(dc, points.data(), static_cast<int>(points.size()));
            break;
        case Figure::kArc:
        case Figure::kCircle: {
            const int l = X(f.xy[0] - f.radius), r = X(f.xy[0] + f.radius);
            const int t = Y(f.xy[1] + f.radius), b = Y(f.xy[1] - f.radius);
            if (f.kind == Figure::kCircle) {
                Ellipse(dc, l, t, r, b);
            } else {
                const double a0 = f.start * kPi / 180, a1 = f.end * kPi / 180;
                Arc(dc, l, t, r, b, X(f.xy[0] + f.radius * std::cos(a0)), Y(f.xy[1] + f.radius * std::sin(a0)),
                    X(f.xy[0] + f.radius * std::cos(a1)), Y(f.xy[1] + f.radius * std::sin(a1)));
            }
            break;
        }
        case Figure::kText: {
            const int h = TextCell(f.height, k);
            if (h == 0)
                break;
            SelectObject(dc, fonts[{h, static_cast<int>(std::lround(f.angle * 10))}]);
            TextOutW(dc, X(f.xy[0]), Y(f.xy[1]) - h, f.text.c_str(), static_cast<int>(f.text.size()));
            break;
        }
        }
    }
    GdiFlush();
    const double seconds = Now() - start;
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    for (auto& p : pens)
        DeleteObject(p.second);
    for (auto& f : fonts)
        DeleteObject(f.second);
    return seconds;
}

// ISite::DrawEx into the canvas (mode 0: the whole drawing, 2: what the view shows).
double DrawOurs(Canvas& canvas, ISite* site, long mode, HRESULT* result = nullptr)
{
    canvas.Clear();
    const double start = Now();
    const HRESULT hr = site->DrawEx(reinterpret_cast<LONG_PTR>(canvas.Dc()), 0, 0, MulDiv(kDibWidth, 2540, 96),
                                    MulDiv(kDibHeight, 2540, 96), mode, 0);
    GdiFlush();
    const double seconds = Now() - start;
    if (result)
        *result = hr;
    return seconds;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// The device position of a world point in the control's window.
POINT ToDevice(IYVEXControl* control, double x, double y)
{
    float px = static_cast<float>(x), py = static_cast<float>(y);
    control->WCStoDP(&px, &py);
    return POINT{static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py))};
}

void Print(const char* key, double value) { std::printf("%s=%.6f\n", key, value); }

// ---- the site database's bare work ----

bool Check(SQLRETURN r) { return SQL_SUCCEEDED(r) || r == SQL_NO_DATA; }

long CountRows(SQLHSTMT hstmt, const char* text, int siteId)
{
    SQLINTEGER site = siteId;
    SQLBindParameter(hstmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &site, 0, nullptr);
    long count = -1;
    if (Check(SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS)) &&
        SQL_SUCCEEDED(SQLFetch(hstmt))) {
        SQLINTEGER value = 0;
        SQLLEN indicator = 0;
        SQLGetData(hstmt, 1, SQL_C_SLONG, &value, 0, &indicator);
        count = value;
    }
    SQLFreeStmt(hstmt, SQL_CLOSE);
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    return count;
}

template <class Bind>
bool InsertRows(SQLHSTMT hstmt, const char* text, int parameters, bool pointRows, long rows, Bind bind)
{
    if (!Check(SQLPrepare(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS)))
        return false;
    SQLINTEGER ints[4] = {};
    double reals[2] = {};
    for (SQLUSMALLINT p = 1; p <= parameters; ++p) {
        if (pointRows && (p == 2 || p == 3))
            SQLBindParameter(hstmt, p, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &reals[p - 2], 0, nullptr);
        else
            SQLBindParameter(hstmt, p, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &ints[p - 1], 0, nullptr);
    }
    bool ok = true;
    for (long row = 0; ok && row < rows; ++row) {
        bind(row, ints, reals);
        ok = Check(SQLExecute(hstmt));
    }
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    SQLFreeStmt(hstmt, SQL_CLOSE);
    return ok;
}

// As many rows as the save wrote, under IDs far above them, in one transaction: a Shapes row and
// a kind row per shape, the points, and the rows tying them to the shapes.
bool BareInsert(SQLHDBC hdbc, SQLHSTMT hstmt, int siteId, long shapes, long points, long links, int base)
{
    SQLSetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    bool ok = InsertRows(hstmt,
                         "insert into Shapes (ShapeID, ScenarioID, PenWeight, PenColor, ShapeTypeID, SiteID, "
                         "GroupShapeID) values (?, 0, 1.0, 255, 1, ?, ?)",
                         3, false, shapes, [&](long i, SQLINTEGER* v, double*) {
                             v[0] = static_cast<SQLINTEGER>(base + i);
                             v[1] = siteId;
                             v[2] = base - 1;
                         });
    ok = ok && InsertRows(hstmt,
                          "insert into LineShapes (ShapeID, ScenarioID, FirstArrowTypeID, SecondArrowTypeID) "
                          "values (?, 0, 0, 0)",
                          1, false, shapes, [&](long i, SQLINTEGER* v, double*) { v[0] = static_cast<SQLINTEGER>(base + i); });
    ok = ok && InsertRows(hstmt, "insert into Points (PointID, ScenarioID, X, Y, SiteID) values (?, 0, ?, ?, ?)", 4,
                          true, points, [&](long row, SQLINTEGER* v, double* xy) {
                              v[0] = static_cast<SQLINTEGER>(base + row);
                              xy[0] = static_cast<double>(row / 2);
                              xy[1] = static_cast<double>(row % 2);
                              v[3] = siteId;
                          });
    ok = ok && InsertRows(hstmt,
                          "insert into ShapePoints (ShapePointID, ScenarioID, ShapeID, PointID, Number) "
                          "values (?, 0, ?, ?, ?)",
                          4, false, links, [&](long row, SQLINTEGER* v, double*) {
                              const long perShape = shapes > 0 ? std::max(1L, links / shapes) : 1;
                              v[0] = static_cast<SQLINTEGER>(base + row);
                              v[1] = static_cast<SQLINTEGER>(base + std::min(shapes - 1, row / perShape));
                              v[2] = static_cast<SQLINTEGER>(base + row % std::max(1L, points));
                              v[3] = static_cast<SQLINTEGER>(row % perShape);
                          });
    ok = Check(SQLEndTran(SQL_HANDLE_DBC, hdbc, ok ? SQL_COMMIT : SQL_ROLLBACK)) && ok;
    SQLSetConnectAttr(hdbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    return ok;
}

void SiteMeasures(Host& host, Sink& sink, long shapes)
{
    const std::string file = "/tmp/yvex-view-bench-" + std::to_string(GetCurrentProcessId()) + ".sqlite";
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((file + suffix).c_str());
    const std::string dataSource = "Driver=SQLite3;Database=" + file;
    Com<IPersistDB> db;
    if (FAILED(host.control->get_PersistDB(db.Put())) || !db) {
        std::printf("site_note=no IPersistDB\n");
        return;
    }
    BSTR dsn = Bstr(dataSource);
    db->put_DSN(dsn);
    BSTR name = Bstr("Bench");
    long siteId = 0;
    const double kSiteWait = 600.0;
    double t = Now();
    HRESULT hr;
    bool ended;
    {
        Profiled profiled("site_save");
        const long before = sink.savesEnded;
        hr = db->SaveToNewSite(name, &siteId);
        ended = hr == S_OK && WaitForEnd(sink.savesEnded, before, kSiteWait);
    }
    Print("site_save", Now() - t);
    SysFreeString(name);
    if (hr != S_OK || !ended) {
        std::printf("site_note=save answered 0x%08lX%s\n", static_cast<unsigned long>(hr), ended ? "" : ", no end");
        SysFreeString(dsn);
        return;
    }
    {
        // The drawing loads into a second control, hosted as the first.
        Sink secondSink;
        Host second;
        Com<IPersistDB> secondDb;
        if (second.Open(&secondSink) && SUCCEEDED(second.control->get_PersistDB(secondDb.Put())) && secondDb) {
            secondDb->put_DSN(dsn);
            t = Now();
            {
                Profiled profiled("site_load");
                const long before = secondSink.loadsEnded;
                hr = secondDb->Load(siteId, VARIANT_FALSE);
                ended = hr == S_OK && WaitForEnd(secondSink.loadsEnded, before, kSiteWait);
            }
            Print("site_load", Now() - t);
            if (hr != S_OK || !ended)
                std::printf("site_note=load answered 0x%08lX%s\n", static_cast<unsigned long>(hr),
                            ended ? "" : ", no end");
        }
    }
    SysFreeString(dsn);

    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    SQLHSTMT stmt = nullptr;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    if (!Check(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(dataSource.c_str())),
                                SQL_NTS, out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT))) {
        std::printf("site_note=no bare connection\n");
        return;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    const long savedShapes = CountRows(stmt, "select count(*) from Shapes where SiteID = ?", siteId);
    const long savedPoints = CountRows(stmt, "select count(*) from Points where SiteID = ?", siteId);
    const long savedLinks = CountRows(
        stmt, "select count(*) from ShapePoints sp join Shapes s on s.ShapeID = sp.ShapeID where s.SiteID = ?", siteId);
    std::printf("site_rows=%ld shapes, %ld points, %ld shape points (drawing: %ld shapes)\n", savedShapes, savedPoints,
                savedLinks, shapes);
    const int bareSite = static_cast<int>(siteId) + 1000;
    t = Now();
    const bool inserted = BareInsert(dbc, stmt, bareSite, savedShapes, savedPoints, savedLinks, 500000000);
    Print("bare_insert", Now() - t);
    t = Now();
    const long read = BareSelect(stmt, bareSite);
    Print("bare_select", Now() - t);
    if (!inserted || read <= 0)
        std::printf("site_note=bare work failed (%ld rows read)\n", read);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((file + suffix).c_str());
}

long CollectionCount(ISite* site, bool points)
{
    long count = -1;
    if (points) {
        Com<IPointCollection> c;
        if (SUCCEEDED(site->get_Points(c.Put())) && c)
            c->get_Count(&count);
    } else {
        Com<IShapeCollection> c;
        if (SUCCEEDED(site->get_Shapes(c.Put())) && c)
            c->get_Count(&count);
    }
    return count;
}

int Drawing(const char* path, bool withSite)
{
    Sink sink;
    Host host;
    if (!host.Open(&sink)) {
        std::printf("note=no hosted control: is yvex.dll registered?\n");
        return 2;
    }
    const SIZE_T before = WorkingSet(false);
    BSTR name = Bstr(path);
    double t = Now();
    HRESULT hr;
    {
        Profiled profiled("load");
        hr = host.dxf->LoadDXF(name, DXFMODE_FOREGROUND);
    }
    const double load = Now() - t;
    SysFreeString(name);
    if (hr != S_OK) {
        std::printf("note=LoadDXF answered 0x%08lX\n", static_cast<unsigned long>(hr));
        return 2;
    }
    Pump();
    const SIZE_T peak = WorkingSet(true);
    const long shapes = CollectionCount(host.site.p, false);
    const long points = CollectionCount(host.site.p, true);
    Print("load", load);
    std::printf("base_bytes=%llu\npeak_bytes=%llu\nshapes=%ld\npoints=%ld\n", static_cast<unsigned long long>(before),
                static_cast<unsigned long long>(peak), shapes, points);
    std::fflush(stdout);

    // The bare geometry, taken out of the file once.
    Geometry geometry;
    if (!geometry.Read(path))
        std::printf("note=the bare reader failed\n");
    geometry.Build();
    std::printf("figures=%zu\n", geometry.figures.size());

    // (The load leaves draft limits that hold the drawing, whatever extents the file's header
    // carries: the zooms below need nothing set by hand.)
    double limits[4] = {};
    host.site->get_DraftLeft(&limits[0]);
    host.site->get_DraftTop(&limits[1]);
    host.site->get_DraftRight(&limits[2]);
    host.site->get_DraftBottom(&limits[3]);
    std::printf("draft_limits=%g %g %g %g\n", limits[0], limits[1], limits[2], limits[3]);

    Canvas canvas;
    host.control->ZoomAll();
    Pump();
    HRESULT drawn = S_OK;
    double full;
    {
        Profiled profiled("draw_full");
        full = BestOf(kRuns, [&] { return DrawOurs(canvas, host.site.p, 0, &drawn); });
    }
    std::printf("full_inked=%.4f\n", canvas.Inked());
    canvas.Save("full");
    Print("draw_full", full);
    // The bare drawing maps the geometry's extent with the margin our drawing gives it.
    const double w = geometry.right - geometry.left, h = geometry.top - geometry.bottom;
    const double margin = std::min(w, h) * 0.0;
    Profiled profiledBare("gdi_full");
    const double bare = BestOf(kRuns, [&] {
        return DrawBare(canvas, geometry.figures, geometry.left - margin, geometry.top + margin, geometry.right + margin,
                        geometry.bottom - margin);
    });
    std::printf("bare_inked=%.4f\n", canvas.Inked());
    canvas.Save("bare");
    Print("gdi_full", bare);
    std::fflush(stdout);

    // ZoomAll with the window's repaint.
    Profiled profiledZoomAll("zoomall");
    const double zoomAll = BestOf(kRuns, [&] {
        const double s = Now();
        host.control->ZoomAll();
        return Now() - s;
    });
    Print("zoomall_repaint", zoomAll);

    // Zoomed views: a tenth of each side, at three places.
    const double places[3][2] = {{0.5, 0.5}, {0.2, 0.75}, {0.8, 0.3}};
    double zoomWindow = 0, zoomDraw = 0, panRepaint = 0, panDraw = 0;
    Profiled profiledZoom("zoomed");
    for (int i = 0; i < 3; ++i) {
        const double cx = geometry.left + w * places[i][0], cy = geometry.bottom + h * places[i][1];
        const double x0 = cx - w / 20, x1 = cx + w / 20, y0 = cy - h / 20, y1 = cy + h / 20;
        double s = Now();
        const HRESULT zoomed = host.control->ZoomWindow(VARIANT_FALSE, static_cast<float>(x0), static_cast<float>(y1),
                                                        static_cast<float>(x1), static_cast<float>(y0));
        zoomWindow += Now() - s;
        if (zoomed != S_OK)
            std::printf("zoom_note=ZoomWindow answered 0x%08lX\n", static_cast<unsigned long>(zoomed));
        zoomDraw += BestOf(kRuns, [&] { return DrawOurs(canvas, host.site.p, 2); });
        canvas.Save(("zoom" + std::to_string(i)).c_str());
        // A pan by half the window's width with the right button: the view follows the pointer and
        // the window repaints at once.
        const int y = kWindowHeight / 2;
        SendMessageW(host.Window(), WM_RBUTTONDOWN, MK_RBUTTON, At(kWindowWidth * 3 / 4, y));
        s = Now();
        SendMessageW(host.Window(), WM_MOUSEMOVE, MK_RBUTTON, At(kWindowWidth / 4, y));
        panRepaint += Now() - s;
        SendMessageW(host.Window(), WM_RBUTTONUP, 0, At(kWindowWidth / 4, y));
        Pump();
        panDraw += BestOf(kRuns, [&] { return DrawOurs(canvas, host.site.p, 2); });
        canvas.Save(("pan" + std::to_string(i)).c_str());
    }
    Print("zoomwindow_repaint", zoomWindow / 3);
    Print("draw_zoom", zoomDraw / 3);
    Print("pan_repaint", panRepaint / 3);
    Print("draw_pan", panDraw / 3);
    std::fflush(stdout);

    // Hit tests at 100 random points of the whole drawing's view.
    host.control->ZoomAll();
    Pump();
    std::mt19937 random(12345);
    const POINT a = ToDevice(host.control.p, geometry.left, geometry.top);
    const POINT b = ToDevice(host.control.p, geometry.right, geometry.bottom);
    const int x0 = std::max<int>(0, std::min(a.x, b.x)), x1 = std::min<int>(kWindowWidth - 1, std::max(a.x, b.x));
    const int y0 = std::max<int>(0, std::min(a.y, b.y)), y1 = std::min<int>(kWindowHeight - 1, std::max(a.y, b.y));
    std::uniform_int_distribution<int> rx(x0, std::max(x0, x1));
    std::uniform_int_distribution<int> ry(y0, std::max(y0, y1));
    double press = 0, click = 0;
    long hits = 0;
    Profiled profiledHits("hits");
    for (int i = 0; i < 100; ++i) {
        const int x = rx(random), y = ry(random);
        const long before = sink.hits;
        double s = Now();
        SendMessageW(host.Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        press += Now() - s;
        SendMessageW(host.Window(), WM_LBUTTONUP, 0, At(x, y));
        click += Now() - s;
        hits += sink.hits > before;
        Pump();
    }
    Print("hit_mean", press / 100);
    Print("click_mean", click / 100);
    std::printf("hit_points_hit=%ld\n", hits);
    std::fflush(stdout);

    // The rubber band: a tenth of each side, from an empty place near the middle of the drawing,
    // in a view twice its size.
    {
        const double bx = geometry.left + w * 0.45, by = geometry.bottom + h * 0.55;
        host.control->ZoomWindow(VARIANT_FALSE, static_cast<float>(bx - w / 20), static_cast<float>(by + w / 20),
                                 static_cast<float>(bx + w * 0.15), static_cast<float>(by - h * 0.15));
        Pump();
        POINT start = ToDevice(host.control.p, bx, by);
        const POINT end0 = ToDevice(host.control.p, bx + w / 10, by - h / 10);
        const POINT span = {end0.x - start.x, end0.y - start.y};
        // The first point near the corner where a press hits nothing.
        bool found = false;
        for (int r = 0; r < 400 && !found; ++r) {
            const POINT p = {start.x + (r % 20) * 3, start.y + (r / 20) * 3};
            const long before = sink.hits;
            SendMessageW(host.Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(p.x, p.y));
            SendMessageW(host.Window(), WM_LBUTTONUP, 0, At(p.x, p.y));
            Pump();
            if (sink.hits == before) {
                start = p;
                found = true;
            }
        }
        if (!found) {
            std::printf("band_note=no empty place found\n");
        } else {
            const POINT end = {start.x + span.x, start.y + span.y};
            const long changes = sink.selectionChanges;
            Profiled profiledBand("band");
            const double s = Now();
            SendMessageW(host.Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(start.x, start.y));
            for (int k = 1; k <= 4; ++k)
                SendMessageW(host.Window(), WM_MOUSEMOVE, MK_LBUTTON,
                             At(start.x + span.x * k / 4, start.y + span.y * k / 4));
            SendMessageW(host.Window(), WM_LBUTTONUP, 0, At(end.x, end.y));
            Print("band", Now() - s);
            Pump();
            std::printf("band_selection_changes=%ld\n", sink.selectionChanges - changes);
            // What the band selected, drawn alone (DrawEx mode 3 fails on an empty selection).
            HRESULT selected = S_OK;
            DrawOurs(canvas, host.site.p, 3, &selected);
            std::printf("band_selected=%s\n", SUCCEEDED(selected) ? "yes" : "no");
        }
    }
    std::fflush(stdout);

    // SaveDXF as R12 ASCII.
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string out = std::string(temp) + "yvex-view-bench-" + std::to_string(GetCurrentProcessId()) + ".dxf";
        BSTR outName = Bstr(out);
        HRESULT saved = S_OK;
        Profiled profiledSave("savedxf");
        const double save = BestOf(kRuns, [&] {
            const double s = Now();
            saved = host.dxf->SaveDXF(outName, VARIANT_FALSE);
            return Now() - s;
        });
        SysFreeString(outName);
        Print("savedxf", save);
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExA(out.c_str(), GetFileExInfoStandard, &data))
            std::printf("savedxf_bytes=%llu\n",
                        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        if (saved != S_OK)
            std::printf("savedxf_note=SaveDXF answered 0x%08lX\n", static_cast<unsigned long>(saved));
        DeleteFileA(out.c_str());
    }
    std::fflush(stdout);

    if (withSite)
        SiteMeasures(host, sink, shapes);
    (void)drawn;
    return 0;
}

int Small(const char* path)
{
    BSTR name = Bstr(path);
    double windowless = 1e30, hosted = 1e30;
    for (int i = 0; i < 6; ++i) {
        {
            Com<IDXFOperations> dxf;
            if (FAILED(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDXFOperations,
                                        dxf.PutVoid())))
                return 2;
            const double s = Now();
            const HRESULT hr = dxf->LoadDXF(name, DXFMODE_FOREGROUND);
            const double t = Now() - s;
            if (hr != S_OK)
                return 2;
            // The first of each is the process's first load of its kind: it warms up.
            if (i > 0)
                windowless = std::min(windowless, t);
        }
        {
            Host host;
            if (!host.Open(nullptr))
                return 2;
            Profiled profiled("small_hosted");
            const double s = Now();
            const HRESULT hr = host.dxf->LoadDXF(name, DXFMODE_FOREGROUND);
            const double t = Now() - s;
            if (hr != S_OK)
                return 2;
            if (i > 0)
                hosted = std::min(hosted, t);
        }
    }
    SysFreeString(name);
    Print("windowless_load", windowless);
    Print("hosted_load", hosted);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc >= 3 ? argv[1] : "";
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    std::unique_ptr<SamplingProfiler> profiler;
    if (const char* output = std::getenv("YVEX_BENCH_PROFILE")) {
        profiler = std::make_unique<SamplingProfiler>();
        profiler->SetOutput(output);
        g_profiler = profiler.get();
    }
    int result = 64;
    if (mode == "drawing")
        result = Drawing(argv[2], argc >= 4 && std::strcmp(argv[3], "site") == 0);
    else if (mode == "small")
        result = Small(argv[2]);
    else
        std::fprintf(stderr, "usage: view_bench drawing FILE [site] | small FILE\n");
    std::fflush(stdout);
    OleUninitialize();
    return result;
}
