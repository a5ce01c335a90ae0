// The control core's drawing services: the off-screen buffer, the view mapping, and the Z-order
// events of the control object.
#include <gtest/gtest.h>
#include <windows.h>
#include "com/ComObject.h"
#include "control/OffscreenBuffer.h"
#include "control/ViewportRecord.h"
#include "control/ShapeMap.h"
#include "control/YVEXControl.h"
#include "tests/control/HostDoubles.h"
#include "model/Shape.h"
#include "tests/support/Dib.h"

using drawtest::Dib;

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

// A window repaints into the layers it has while its size stays: they come back white in the
// base, in the state new layers have whatever the last paint left, and new ones come for another
// size.
TEST(OffscreenBuffer, PreparedLayersAreKeptForTheSameSizeAndComeBackAsNew)
{
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    COffscreenBuffer buffer;
    buffer.Prepare(screen, RECT{0, 0, 100, 60});
    HDC base = buffer.GetBaseDC();
    ASSERT_NE(base, nullptr);
    // A paint that leaves its marks on the layer: a black fill, another mapping and clipping.
    HGDIOBJ oldBrush = SelectObject(base, GetStockObject(BLACK_BRUSH));
    PatBlt(base, -100, 100, 10000, -10000, PATCOPY);
    SetMapMode(base, MM_TEXT);
    SetGraphicsMode(base, GM_COMPATIBLE);
    IntersectClipRect(base, 0, 0, 5, 5);
    (void)oldBrush;

    buffer.Prepare(screen, RECT{0, 0, 100, 60});
    EXPECT_EQ(buffer.GetBaseDC(), base) << "the same layers";
    EXPECT_EQ(GetMapMode(base), MM_LOMETRIC);
    EXPECT_EQ(GetGraphicsMode(base), GM_ADVANCED);
    EXPECT_EQ(GetArcDirection(base), AD_CLOCKWISE);
    EXPECT_EQ(GetCurrentObject(base, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(base, clip), 0) << "no clipping left";
    DeleteObject(clip);
    buffer.CopyBaseToComposite();
    Dib target(100, 60);
    buffer.BlitTo(target.dc);
    EXPECT_EQ(target.Count(RGB(0xFF, 0xFF, 0xFF), RECT{0, 0, 100, 60}), 100 * 60) << "the base comes back white";

    buffer.Prepare(screen, RECT{0, 0, 120, 60});
    EXPECT_EQ(buffer.GetWidth(), 120);
    ReleaseDC(nullptr, screen);
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
