// The control core's services that shape drawing uses.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <set>
#include <string>
#include "com/ComObject.h"
#include "model/BrushCache.h"
#include "model/NameRules.h"
#include "control/OffscreenBuffer.h"
#include "model/PatternFill.h"
#include "control/ViewportRecord.h"
#include "control/ShapeMap.h"
#include "control/YVEXControl.h"
#include "tests/control/HostDoubles.h"
#include "model/Shape.h"

namespace {
// A 32-bit top-down DIB section in a memory context (MM_TEXT).
struct Dib
{
    Dib(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
        for (int i = 0; i < w * h; ++i)
            bits[i] = 0x808080;
    }
    ~Dib()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const DWORD v = bits[y * width + x] & 0xFFFFFF;
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(COLORREF c, const RECT& r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += Pixel(x, y) == c;
        return n;
    }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    DWORD* bits = nullptr;
};
} // namespace

TEST(BrushCache, SharedByStyleAndColour)
{
    CBrushCache cache;
    LOGBRUSH red = {BS_SOLID, 0x0000FF, 0};
    LOGBRUSH redHatched = {BS_SOLID, 0x0000FF, HS_CROSS};
    LOGBRUSH blue = {BS_SOLID, 0xFF0000, 0};
    int a = 0, b = 0, c = 0;
    HBRUSH first = cache.Acquire(red, &a, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(cache.Acquire(redHatched, &b, false), first) << "the hatch field is not compared";
    EXPECT_EQ(b, a);
    EXPECT_EQ(cache.GetUseCount(a), 1) << "found without adding a use";
    HBRUSH other = cache.Acquire(blue, &c, true);
    EXPECT_NE(other, first);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(cache.GetCount(), 2);
    // One acquisition, two releases: deleted at the first, 0 at the second.
    EXPECT_EQ(cache.Release(a), 0);
    EXPECT_EQ(GetObjectType(first), 0u) << "the brush is gone";
    EXPECT_EQ(cache.Release(a), 0);
    EXPECT_EQ(cache.GetCount(), 1);
    // A holder for a scope adds its own use.
    cache.Acquire(blue, nullptr, true);
    EXPECT_EQ(cache.GetUseCount(c), 2);
    {
        CCachedBrush held(&cache, 0xFF0000);
        EXPECT_EQ(held.Get(), other);
        EXPECT_EQ(cache.GetUseCount(c), 3);
    }
    EXPECT_EQ(cache.GetUseCount(c), 2);
    cache.ReleaseAll();
    EXPECT_EQ(cache.GetCount(), 0);
    EXPECT_EQ(GetObjectType(other), 0u);
}

TEST(OffscreenBuffer, LayersInTheDrawingUnits)
{
    Dib target(120, 90);
    COffscreenBuffer buffer;
    buffer.Create(target.dc, RECT{0, 0, 0, 0});
    EXPECT_EQ(buffer.GetWidth(), 0);
    buffer.BlitTo(target.dc);
    EXPECT_EQ(target.Pixel(0, 0), RGB(0x80, 0x80, 0x80)) << "an empty buffer copies nothing";

    buffer.Create(target.dc, RECT{10, 10, 110, 70});
    ASSERT_EQ(buffer.GetWidth(), 100);
    ASSERT_EQ(buffer.GetHeight(), 60);
    EXPECT_EQ(GetMapMode(buffer.GetBaseDC()), MM_LOMETRIC);
    EXPECT_EQ(GetGraphicsMode(buffer.GetCompositeDC()), GM_ADVANCED);
    EXPECT_EQ(GetArcDirection(buffer.GetMaskDC()), AD_CLOCKWISE);
    // Draw a block into the base layer in logical units: 0.1 mm, y up.
    HDC base = buffer.GetBaseDC();
    POINT corner[2] = {{20, 10}, {40, 30}};
    DPtoLP(base, corner, 2);
    HBRUSH green = CreateSolidBrush(0x00C000);
    HGDIOBJ oldBrush = SelectObject(base, green);
    PatBlt(base, corner[0].x, corner[0].y, corner[1].x - corner[0].x, corner[1].y - corner[0].y, PATCOPY);
    SelectObject(base, oldBrush);
    DeleteObject(green);
    buffer.CopyBaseToComposite();
    buffer.BlitTo(target.dc);
    EXPECT_EQ(target.Pixel(30, 20), RGB(0, 0xC0, 0));
    EXPECT_EQ(target.Pixel(5, 5), RGB(0xFF, 0xFF, 0xFF)) << "the layers start white";
    EXPECT_EQ(target.Pixel(110, 80), RGB(0x80, 0x80, 0x80)) << "outside the buffer";
    EXPECT_NEAR(target.Count(RGB(0, 0xC0, 0), RECT{0, 0, 120, 90}), 400, 45);
    buffer.Free();
    EXPECT_EQ(buffer.GetBaseDC(), nullptr);
}

TEST(ViewportRecord, SizesDriveTheScale)
{
    CViewportRecord view;
    view.clientSize = SIZE{2000, 1000};
    view.width = 100;
    view.height = 100;
    view.SetHeight(0);
    EXPECT_FLOAT_EQ(view.height, 100);
    view.SetHeight(-5);
    EXPECT_FLOAT_EQ(view.height, -5);
    EXPECT_FLOAT_EQ(view.scale, -200);
    EXPECT_FLOAT_EQ(view.width, -10);

    // A window twice as wide as high and a square view: the zoom follows the height, and the
    // view takes the window's proportions.
    CViewportRecord fit;
    fit.width = 100;
    fit.height = 100;
    const SIZE logical = {2000, 1000};
    SIZE pixels = HimetricToDevice(SIZE{logical.cx * 10, logical.cy * 10});
    fit.SetClientSize(pixels, true);
    EXPECT_NEAR(fit.zoom, fit.clientSize.cy / 100.0, 1e-9);
    EXPECT_NEAR(fit.height, 100, 1e-3);
    EXPECT_NEAR(fit.width, 100.0 * fit.clientSize.cx / fit.clientSize.cy, 1e-3);
    EXPECT_NEAR(fit.width, 200, 2);

    // Zooming to a rectangle centres it and fits its larger proportion.
    fit.ZoomToRect(0, 50, 400, -50, 1.0);
    EXPECT_FLOAT_EQ(fit.center.x, 200);
    EXPECT_FLOAT_EQ(fit.center.y, 0);
    EXPECT_NEAR(fit.width, 400, 1e-2);
    const CRealRect shown = fit.GetVisibleWorldRect();
    EXPECT_NEAR(shown.left, 0, 0.5);
    EXPECT_NEAR(shown.right, 400, 0.5);
    // A world rectangle in pixels and in logical units.
    const RECT device = fit.WorldToDeviceRect(CRealRect(0, 50, 400, -50));
    EXPECT_NEAR(device.left, 0, 1);
    EXPECT_NEAR(device.right, pixels.cx, 2);
    const RECT lr = fit.WorldToLogicalRect(CRealRect(0, 50, 400, -50));
    EXPECT_GT(lr.top, lr.bottom) << "y up";
}

TEST(NameRules, ValidAndUniqueNames)
{
    struct Valid
    {
        const char* in;
        const char* out;
        bool dropped;
    } valid[] = {{"my layer!", "mylayer", true},
                 {"!!!", "1", true},
                 {"Block-1_$", "Block-1_$", false},
                 {"abcdefghijklmnopqrstuvwxyz0123456789", "abcdefghijklmnopqrstuvwxyz01234", false}};
    for (const Valid& v : valid) {
        std::string name = v.in;
        EXPECT_EQ(MakeValidName(name), v.dropped) << v.in;
        EXPECT_EQ(name, v.out);
    }
    std::string empty;
    EXPECT_FALSE(MakeValidName(empty));

    const std::set<std::string> used = {"Layer009", "Block", "Block1", "Free"};
    struct Unique
    {
        const char* in;
        const char* out;
        bool changed;
    } unique[] = {{"Layer009", "Layer010", true}, {"Block", "Block2", true}, {"Other", "Other", false}};
    for (const Unique& u : unique) {
        std::string name = u.in;
        EXPECT_EQ(MakeUniqueName(name, used), u.changed) << u.in;
        EXPECT_EQ(name, u.out);
    }
    std::map<std::string, int> byId = {{"A7", 1}};
    std::string a7 = "A7";
    EXPECT_TRUE(MakeUniqueName(a7, byId));
    EXPECT_EQ(a7, "A8");
}

TEST(PatternFill, PaintsThePatternBitsOnly)
{
    Dib dib(40, 40);
    const RECT all = {0, 0, 40, 40};
    PatternFillRect(dib.dc, RECT{0, 0, 32, 32}, 0x0000C8, 1, nullptr);
    EXPECT_EQ(dib.Count(0x0000C8, all), 32 * 32 / 2) << "the checkerboard";
    EXPECT_EQ(dib.Count(RGB(0x80, 0x80, 0x80), all), 40 * 40 - 32 * 32 / 2) << "the other pixels stay";
    Dib light(40, 40);
    PatternFillRect(light.dc, RECT{0, 0, 32, 32}, 0x0000C8, 2, nullptr);
    EXPECT_EQ(light.Count(0x0000C8, all), 32 * 32 / 4);
    Dib custom(40, 40);
    const WORD rows[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PatternFillRect(custom.dc, RECT{0, 0, 32, 32}, 0x0000C8, 3, rows);
    EXPECT_EQ(custom.Count(0x0000C8, all), 16) << "one 0 bit per 8 x 8 cell";
    EXPECT_EQ(GetBkColor(custom.dc), GetBkColor(dib.dc)) << "settings restored";
}

using hosttest::ProceedSink;

// The control object fires OnBringShapeToFront / OnSendShapeToBack and OnAddPoint /
// OnDeletePoint with a proceed flag that its sinks may clear.
TEST(ControlEvents, ProceedEventsCarryTheFlag)
{
    auto* control = new ycom::ComObject<CYVEXControl>();
    control->InternalAddRef();
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID__IYVEXControlEvents, &point), S_OK);
    ProceedSink veto(VARIANT_FALSE);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&veto, &cookie), S_OK);
    EXPECT_TRUE(control->EventsEnabled());
    EXPECT_FALSE(control->FireBringShapeToFront(42));
    EXPECT_FALSE(control->FireSendShapeToBack(43));
    EXPECT_FALSE(control->FireAddPoint(7));
    EXPECT_FALSE(control->FireDeletePoint(8));
    EXPECT_EQ(veto.events, (std::vector<DISPID>{44, 45, 4, 7}));
    EXPECT_EQ(veto.shapeIds, (std::vector<LONG>{42, 43, 7, 8}));

    // A polyline drawn in the control: the host's veto of its first point leaves it empty.
    CShape* polyline = control->GetShapeMap().CreateShape(stPolyline, true, true);
    ASSERT_NE(polyline, nullptr);
    control->GetEditState().editedShape = polyline;
    polyline->StartEdit(EDSH_NEWPOINT, 0, nullptr);
    EXPECT_EQ(polyline->OnEditMouseDown(10, 10, nullptr), 1);
    EXPECT_EQ(polyline->GetPointCount(), 0);
    EXPECT_EQ(veto.events.back(), 4);
    control->GetEditState().editedShape = nullptr;
    point->Unadvise(cookie);
    EXPECT_TRUE(control->FireBringShapeToFront(42)) << "no sink: proceed";
    point->Release();
    container->Release();
    control->Release();
}
