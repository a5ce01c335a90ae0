// Zooming, redraw requests and the scroll bars of a hosted control: the IYVEXControl members a
// host calls, and the scroll-bar messages the window receives as the user clicks the arrows.
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "control/ShapeMap.h"
#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

struct View {
    float cx, cy;
    double zoom;
    POINT origin;
};

View Snapshot(CYVEXControl& c)
{
    const CViewportRecord& v = c.GetCurrentViewport();
    return View{v.center.x, v.center.y, v.zoom, v.origin};
}

void ExpectSameView(const View& a, const View& b)
{
    EXPECT_EQ(a.cx, b.cx);
    EXPECT_EQ(a.cy, b.cy);
    EXPECT_EQ(a.zoom, b.zoom);
    EXPECT_EQ(a.origin.x, b.origin.x);
    EXPECT_EQ(a.origin.y, b.origin.y);
}

class Zooming : public HostedControl
{
protected:
    CWorldRect Visible() { return control->GetCurrentViewport().GetWorldRect(); }
    SCROLLINFO Bar(int bar)
    {
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(m_wnd, bar, &info);
        return info;
    }
};

} // namespace

// A refused zoom keeps the view exactly; an accepted one is remembered for ZoomPrevious.
TEST_F(Zooming, ZoomFactorsAndPrevious)
{
    PixelView(0.0f, 0.0f);
    const View start = Snapshot(*control);
    EXPECT_EQ(control->Zoom(0.0f), S_FALSE);
    ExpectSameView(Snapshot(*control), start);

    const double before = control->GetCurrentViewport().zoom;
    const double width = Visible().right - Visible().left;
    ASSERT_EQ(control->Zoom(static_cast<float>(before * 2.0)), S_OK);
    EXPECT_NEAR(Visible().right - Visible().left, width / 2.0, width * 1e-4) << "twice the zoom, half the width";
    EXPECT_FLOAT_EQ(control->GetCurrentViewport().center.x, 0.0f) << "about the centre";

    EXPECT_EQ(control->ZoomPrevious(0), S_OK);
    EXPECT_NEAR(Visible().right - Visible().left, width, width * 1e-4);
    EXPECT_EQ(control->ZoomPrevious(0), S_OK) << "and forth again";
    EXPECT_NEAR(Visible().right - Visible().left, width / 2.0, width * 1e-4);
}

// A shape of no size away from the origin gets a view 1.2e-5 across, which lies at the zoom-in
// limit: zooming further in is refused there, zooming out is not. A zero rectangle at the origin
// leaves the view as it is.
TEST_F(Zooming, ZeroSizeShapeAndTheZoomInLimit)
{
    CGroup* root = control->GetRootGroup();
    root->AddChild(drawtest::MakeBox(*control, 40, 3.0f, 2.0f, 3.0f, 2.0f, 0), nullptr, 1, false);
    root->AddChild(drawtest::MakeBox(*control, 41, 0.0f, 0.0f, 0.0f, 0.0f, 0), nullptr, 1, false);

    PixelView(10.0f, 10.0f);
    const View start = Snapshot(*control);
    EXPECT_EQ(control->ZoomShape(41, 1.0f), S_OK);
    ExpectSameView(Snapshot(*control), start);

    ASSERT_EQ(control->ZoomShape(40, 1.0f), S_OK);
    const CWorldRect v = Visible();
    const double shorter = std::min(v.right - v.left, v.top - v.bottom);
    EXPECT_NEAR(shorter, 1.2e-5, 1e-7);
    EXPECT_NEAR((v.left + v.right) / 2, 3.0, 1e-5);
    EXPECT_NEAR((v.top + v.bottom) / 2, 2.0, 1e-5);
    ASSERT_EQ(control->GetCurrentViewport().IsViewInLimits(), 3);

    const View atLimit = Snapshot(*control);
    EXPECT_EQ(control->Zoom(static_cast<float>(atLimit.zoom * 1.5)), S_FALSE);
    ExpectSameView(Snapshot(*control), atLimit);
    EXPECT_EQ(control->Zoom(static_cast<float>(atLimit.zoom / 1.5)), S_OK);
    EXPECT_NEAR(control->GetCurrentViewport().zoom, atLimit.zoom / 1.5, atLimit.zoom * 1e-6);

    // ZoomAll shows the drawing: both shapes.
    ASSERT_EQ(control->ZoomAll(), S_OK);
    const CWorldRect all = Visible();
    EXPECT_LE(all.left, 0.0);
    EXPECT_GE(all.right, 3.0);
    EXPECT_LE(all.bottom, 0.0);
    EXPECT_GE(all.top, 2.0);
}

// ZoomWindow takes its corners in any order, and a rectangle of any proportions is shown whole,
// touching two opposite edges of the window: windows between square and twice as wide as high
// included.
TEST_F(Zooming, ZoomWindowShowsTheRectangleWhole)
{
    PixelView(0.0f, 0.0f);
    const double clientAspect = static_cast<double>(m_client.right) / m_client.bottom;
    ASSERT_GT(clientAspect, 1.0);
    ASSERT_LT(clientAspect, 2.0);
    const struct {
        double aspect;  // width / height of the rectangle
        int corners;    // which corners come first
    } cases[] = {{1.2, 0}, {clientAspect, 1}, {1.9, 2}, {0.7, 3}, {3.0, 0}};
    for (const auto& c : cases) {
        const float h = 100.0f, w = static_cast<float>(100.0 * c.aspect);
        const float x0 = 50.0f, y0 = -20.0f, x1 = x0 + w, y1 = y0 + h;
        const float corners[4][4] = {{x0, y0, x1, y1}, {x1, y1, x0, y0}, {x0, y1, x1, y0}, {x1, y0, x0, y1}};
        const float* k = corners[c.corners];
        ASSERT_EQ(control->ZoomWindow(VARIANT_FALSE, k[0], k[1], k[2], k[3]), S_OK) << c.aspect;
        const CWorldRect v = Visible();
        const double tol = 0.01 * h;
        EXPECT_LE(v.left, x0 + tol) << c.aspect;
        EXPECT_GE(v.right, x1 - tol) << c.aspect;
        EXPECT_LE(v.bottom, y0 + tol) << c.aspect;
        EXPECT_GE(v.top, y1 - tol) << c.aspect;
        const bool widthTight = std::fabs((v.right - v.left) - w) < 2 * tol;
        const bool heightTight = std::fabs((v.top - v.bottom) - h) < 2 * tol;
        EXPECT_TRUE(widthTight || heightTight) << c.aspect << ": fitted, not merely inside";
    }
    // An invalid rectangle is refused.
    const View before = Snapshot(*control);
    EXPECT_EQ(control->ZoomWindow(VARIANT_FALSE, 1e9f, 1e9f, 2e9f, 2e9f), S_FALSE);
    ExpectSameView(Snapshot(*control), before);
}

// The pending redraw word: a weaker request never drops a pending full redraw; without a window
// the word changes all the same.
TEST_F(Zooming, RedrawRequestsReplaceButKeepAFullRedraw)
{
    const struct {
        DWORD pending;
        RedrawFlags request;
        DWORD expected;
    } cases[] = {
        {rfRedrawAll, rfCopyBuf, rfRedrawAll},
        {rfRedrawAll, rfRedrawSelection, rfRedrawAll},
        {rfCopyBuf | rfCopyMarkers, rfRedrawSelection, rfRedrawSelection},
        {rfCopyBuf | rfCopyMarkers, rfRedrawAll, rfRedrawAll},
        {rfRedrawSelection, static_cast<RedrawFlags>(rfRedrawAll | rfCopyBuf), rfRedrawAll | rfCopyBuf},
        {rfRedrawSelection, static_cast<RedrawFlags>(0), rfRedrawSelection},
    };
    // Without a window nothing consumes the word.
    ControlRef windowless;
    for (const auto& k : cases) {
        windowless->SetPendingRedraw(k.pending);
        EXPECT_EQ(windowless->Redraw(k.request), S_OK);
        EXPECT_EQ(windowless->GetPendingRedraw(), k.expected) << k.pending << " + " << k.request;
    }
    // A hosted control paints at once; with redrawing off a pending full redraw survives the
    // paint, and a weaker request keeps it.
    control->put_RedrawEnabled(VARIANT_FALSE);
    control->SetPendingRedraw(rfRedrawAll);
    EXPECT_EQ(control->Redraw(rfCopyBuf), S_OK);
    EXPECT_EQ(control->GetPendingRedraw(), static_cast<DWORD>(rfRedrawAll));
    control->put_RedrawEnabled(VARIANT_TRUE);
    // With a window a request paints at once, which consumes the word.
    control->SetPendingRedraw(rfCopyBuf | rfCopyMarkers);
    EXPECT_EQ(control->Redraw(rfRedrawAll), S_OK);
    EXPECT_EQ(control->GetPendingRedraw(), static_cast<DWORD>(rfCopyBuf | rfCopyMarkers));
}

// The draft limits grow to take in a point unless they are locked; the host may refuse.
TEST_F(Zooming, DraftLimitsGrowUnlessRefused)
{
    CSiteRecord& site = control->GetSiteRecord();
    const CRealRect limits(-1000.0f, 1000.0f, 1000.0f, -1000.0f);
    const int point = control->CreatePoint(2500.0f, -40.0f);
    ASSERT_NE(point, 0);
    hosttest::EventSink refusing(VARIANT_FALSE);
    hosttest::EventSink agreeing;
    const struct {
        hosttest::EventSink* sink;
        bool locked;
        float right;
    } cases[] = {{&agreeing, false, 2500.0f}, {&refusing, false, 1000.0f}, {&agreeing, true, 1000.0f}};
    for (const auto& c : cases) {
        site.SetDraftLimits(limits);
        control->put_LockDraftLimits(c.locked ? VARIANT_TRUE : VARIANT_FALSE);
        Connection connection(control->GetControllingUnknown(), c.sink);
        c.sink->calls.clear();
        control->GrowDraftLimits(point, true);
        EXPECT_EQ(site.GetDraftLimits().right, c.right);
        EXPECT_EQ(site.GetDraftLimits().bottom, -1000.0f);
        EXPECT_EQ(c.sink->calls.size(), c.locked ? 0u : 1u);
        if (!c.sink->calls.empty()) {
            EXPECT_EQ(c.sink->calls[0].id, 41) << "OnEditSite";
        }
    }
    control->put_LockDraftLimits(VARIANT_FALSE);
    // The scroll range follows the limits.
    control->GrowDraftLimits(point, true);
    const double s = control->GetCurrentViewport().GetScaleFactor();
    EXPECT_NEAR(Bar(SB_HORZ).nMax, 3500.0 * s, 1.0);
}

// The arrows carry the view past the end of the range one line at a time, and bring it back the
// same way before the thumb moves; a page request at the end stays inside the limits.
TEST_F(Zooming, LineStepsBeyondTheEnd)
{
    control->GetSiteRecord().SetDraftLimits(CRealRect(-1000.0f, 1000.0f, 1000.0f, -1000.0f));
    PixelView(0.0f, 0.0f);
    control->Refresh();
    SendMessageW(m_wnd, WM_VSCROLL, SB_BOTTOM, 0);
    const SCROLLINFO end = Bar(SB_VERT);
    ASSERT_EQ(end.nPos, end.nMax - static_cast<int>(end.nPage) + 1);
    const int step = control->GetLineStepY();
    EXPECT_EQ(step, std::max<int>(1, static_cast<int>(end.nPage) / 10)) << "a tenth of the page";
    const double s = control->GetCurrentViewport().GetScaleFactor();
    const float atEnd = control->GetCurrentViewport().center.y;
    for (int i = 1; i <= 3; ++i) {
        SendMessageW(m_wnd, WM_VSCROLL, SB_LINEDOWN, 0);
        EXPECT_EQ(Bar(SB_VERT).nPos, end.nPos);
        EXPECT_NEAR(control->GetCurrentViewport().center.y, atEnd - i * step / s, 2.0 / s) << i;
    }
    for (int i = 2; i >= 0; --i) {
        SendMessageW(m_wnd, WM_VSCROLL, SB_LINEUP, 0);
        EXPECT_EQ(Bar(SB_VERT).nPos, end.nPos) << "the thumb waits";
        EXPECT_NEAR(control->GetCurrentViewport().center.y, atEnd - i * step / s, 2.0 / s) << i;
    }
    SendMessageW(m_wnd, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, end.nPos - step) << "now the thumb moves";

    // Beyond the end again, then a page: the overflow goes.
    SendMessageW(m_wnd, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageW(m_wnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_NE(control->GetOverflowY(), 0);
    SendMessageW(m_wnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(control->GetOverflowY(), 0);
    EXPECT_NEAR(control->GetCurrentViewport().center.y, atEnd, 2.0 / s);

    // The horizontal bar: the thumb position follows the view's left edge.
    SendMessageW(m_wnd, WM_HSCROLL, SB_TOP, 0);
    EXPECT_NEAR(Visible().left, -1000.0, 2.0 / s);
    SendMessageW(m_wnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    EXPECT_EQ(control->HorizontalPosition(), Bar(SB_HORZ).nPos);
}

// A page at least as large as the drawing makes the range's maximum page + 1.
TEST_F(Zooming, PageLargerThanTheRange)
{
    control->GetSiteRecord().SetDraftLimits(CRealRect(-10.0f, 10.0f, 10.0f, -10.0f));
    PixelView(0.0f, 0.0f);
    control->Refresh();
    for (int bar : {SB_HORZ, SB_VERT}) {
        const SCROLLINFO info = Bar(bar);
        EXPECT_EQ(info.nMax, static_cast<int>(info.nPage) + 1) << bar;
        EXPECT_EQ(info.nMin, 0);
    }
}

// After a DXF load the draft limits, which bound every zoom, hold the drawing: the file's own
// extents where they hold it, grown where the drawing reaches beyond them, and the drawing's own
// rectangle where the file has none (1e20 and -1e20, as writers mark it, or no HEADER at all).
// A zoom onto a tenth of the drawing's side is then in bounds, by ZoomWindow and by Zoom.
TEST_F(Zooming, ALoadedDrawingsDraftLimitsHoldItWhateverItsHeaderSays)
{
    auto header = [](const char* min, const char* max) {
        return std::string("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$EXTMIN\n10\n") + min + "\n20\n" + min +
               "\n9\n$EXTMAX\n10\n" + max + "\n20\n" + max + "\n0\nENDSEC\n";
    };
    const std::string entities = "0\nSECTION\n2\nENTITIES\n"
                                 "0\nLINE\n8\n0\n10\n100\n20\n200\n11\n1000\n21\n800\n"
                                 "0\nLINE\n8\n0\n10\n300\n20\n300\n11\n400\n21\n400\n"
                                 "0\nENDSEC\n0\nEOF\n";
    const struct {
        const char* name;
        std::string header;
        float left, bottom, right, top;
    } cases[] = {
        {"extents that hold the drawing", header("-100", "2000"), -100, -100, 2000, 2000},
        {"extents the drawing outgrew", header("0", "10"), 0, 0, 1000, 800},
        {"no extents, as writers mark them", header("1e+20", "-1e+20"), 100, 200, 1000, 800},
        {"no header", "", 100, 200, 1000, 800},
    };
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "yvex_zoom_limits.dxf";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            std::ofstream out(path, std::ios::binary);
            out << c.header << entities;
        }
        ASSERT_EQ(control->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), S_OK) << control->GetLastErrorText();
        const CRealRect limits = control->GetSiteRecord().GetDraftLimits();
        EXPECT_EQ(std::min(limits.left, limits.right), c.left);
        EXPECT_EQ(std::max(limits.left, limits.right), c.right);
        EXPECT_EQ(std::min(limits.top, limits.bottom), c.bottom);
        EXPECT_EQ(std::max(limits.top, limits.bottom), c.top);
        ASSERT_EQ(control->ZoomAll(), S_OK);
        EXPECT_EQ(control->ZoomWindow(VARIANT_FALSE, 500, 450, 590, 510), S_OK);
        const CWorldRect v = Visible();
        EXPECT_LT(v.right - v.left, 200.0);
        ASSERT_EQ(control->ZoomAll(), S_OK);
        EXPECT_EQ(control->Zoom(static_cast<float>(control->GetCurrentViewport().zoom * 10.0)), S_OK);
    }
    DeleteFileA(path.c_str());
}
