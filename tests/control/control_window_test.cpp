// The control's window in a host: the control object of this program attached to Wine's ActiveX
// container window (atl.dll's AtlAxWin), with its rulers, and its painting read back from the
// window (the null display driver paints at once under RDW_UPDATENOW, and GetPixel reads it).
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "com/Owners.h"
#include "control/ShapeMap.h"
#include "persistence/DrawingSettingRecord.h"

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

using hosttest::Atl;
using hosttest::PumpMessages;

RECT ChildRect(HWND parent, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class HostedWithRulers : public HostedControl
{
protected:
    void Prepare(CYVEXControl& c) override { c.GetCurrentDrawingSetting()->ShowRulers = 1; }
};

} // namespace

// The rulers lie along the top and the left edge, each reaching the far edge of the client area,
// with the corner box where they meet; they follow the window's size unless redrawing is off.
TEST_F(HostedWithRulers, RulersAlongTheEdges)
{
    const LONG style = GetWindowLongW(m_wnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_TRUE(style & WS_VSCROLL);
    HWND horizontal = GetDlgItem(m_wnd, 100);
    HWND vertical = GetDlgItem(m_wnd, 102);
    ASSERT_NE(horizontal, nullptr);
    ASSERT_NE(vertical, nullptr);
    EXPECT_EQ(horizontal, control->GetHorizontalRuler());
    wchar_t cls[32] = {};
    GetClassNameW(horizontal, cls, 32);
    EXPECT_STREQ(cls, L"AtlAxWin");
    EXPECT_TRUE(IsWindowVisible(horizontal)) << "the setting shows them";
    const int w = m_client.right, h = m_client.bottom;
    const RECT hr = ChildRect(m_wnd, horizontal), vr = ChildRect(m_wnd, vertical);
    EXPECT_EQ(hr.left, 23);
    EXPECT_EQ(hr.top, 0);
    EXPECT_EQ(hr.right - hr.left, w - 23);
    EXPECT_EQ(hr.bottom - hr.top, 24);
    EXPECT_EQ(vr.left, 0);
    EXPECT_EQ(vr.top, 23);
    EXPECT_EQ(vr.right - vr.left, 24);
    EXPECT_EQ(vr.bottom - vr.top, h - 23);
    const RECT corner = ChildRect(m_wnd, control->GetCornerWindow());
    EXPECT_EQ(corner.right - corner.left, 23);
    EXPECT_EQ(corner.bottom - corner.top, 23);
    // The hosted control is the ruler.
    ycom::ComPtr<IUnknown> hosted;
    ASSERT_EQ(Atl().getControl(horizontal, hosted.Put()), S_OK);
    ycom::ComPtr<IRuler> ruler;
    EXPECT_EQ(hosted->QueryInterface(IID_IRuler, ruler.PutVoid()), S_OK);

    // A new size moves them.
    SetWindowPos(m_ax, nullptr, 0, 0, 420, 300, SWP_NOZORDER | SWP_NOMOVE);
    ycom::ComPtr<IOleInPlaceObject> inplace;
    ASSERT_EQ(control->GetControllingUnknown()->QueryInterface(IID_IOleInPlaceObject, inplace.PutVoid()), S_OK);
    RECT pos = {0, 0, 420, 300};
    inplace->SetObjectRects(&pos, &pos);
    RECT client;
    GetClientRect(m_wnd, &client);
    EXPECT_EQ(ChildRect(m_wnd, horizontal).right, client.right);
    EXPECT_EQ(ChildRect(m_wnd, vertical).bottom, client.bottom);
    // Not while redrawing is off.
    control->put_RedrawEnabled(VARIANT_FALSE);
    RECT smaller = {0, 0, 300, 200};
    inplace->SetObjectRects(&smaller, &smaller);
    EXPECT_EQ(ChildRect(m_wnd, horizontal).right, client.right);
    control->put_RedrawEnabled(VARIANT_TRUE);
}

TEST_F(HostedControl, RulersHiddenByDefault)
{
    HWND horizontal = GetDlgItem(m_wnd, 100);
    ASSERT_NE(horizontal, nullptr);
    EXPECT_FALSE(IsWindowVisible(horizontal));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_wnd, 102)));
}

// The drawing shows in the window: grey outside the draft limits, the grid's points marked on
// any background, and nothing painted while redrawing is off.
TEST_F(HostedControl, PaintsLimitsGridAndShapes)
{
    CSiteRecord& site = control->GetSiteRecord();
    site.SetDraftLimits(CRealRect(-100.0f, 100.0f, 100.0f, -100.0f));
    PixelView(0.0f, 0.0f);
    CDrawingSettingRecord* setting = control->GetCurrentDrawingSetting();
    setting->ShowGrid = 1;
    setting->GridXSpace = setting->GridYSpace = 20.0f;
    setting->SnapBaseX = setting->SnapBaseY = 0.0f;
    CGroup* root = control->GetRootGroup();
    root->AddChild(drawtest::MakeBox(*control, 20, 30, 70, 70, 30, 0x000000), nullptr, 1, false);
    root->AddChild(drawtest::MakeBox(*control, 21, -70, -30, -30, -70, 0x808080), nullptr, 1, false);
    Repaint();

    EXPECT_EQ(PixelAt(-130.0f, 0.0f), 0xB4B4B4u) << "left of the limits";
    EXPECT_EQ(PixelAt(10.0f, 105.0f), 0xB4B4B4u) << "above the limits";
    EXPECT_EQ(PixelAt(10.0f, 10.0f), 0xFFFFFFu) << "inside, off the grid";
    EXPECT_EQ(PixelAt(0.0f, 0.0f), 0x000000u) << "a grid point on white turns black";
    EXPECT_EQ(PixelAt(-80.0f, 80.0f), 0x000000u);
    EXPECT_EQ(PixelAt(40.0f, 40.0f), 0xFFFF00u) << "on black it turns cyan";
    EXPECT_EQ(PixelAt(45.0f, 45.0f), 0x000000u) << "the black box itself";
    EXPECT_EQ(PixelAt(-40.0f, -40.0f), 0x808080u) << "on grey it stays grey";
    EXPECT_EQ(PixelAt(-120.0f, -80.0f), 0xB4B4B4u) << "no grid outside the limits";

    // A dense grid is not drawn at all.
    setting->GridXSpace = setting->GridYSpace = 10.0f;
    Repaint();
    EXPECT_EQ(PixelAt(0.0f, 0.0f), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(40.0f, 40.0f), 0x000000u);

    // Redrawing off: a picture asked for is refused, and the window keeps what it showed.
    ASSERT_EQ(control->put_RedrawEnabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(control->DeleteShapeByID(20, 0, 0), S_OK);
    Repaint();
    EXPECT_EQ(PixelAt(45.0f, 45.0f), 0x000000u) << "nothing painted";
    ycom::ComPtr<IViewObject> viewObject;
    ASSERT_EQ(control->GetControllingUnknown()->QueryInterface(IID_IViewObject, viewObject.PutVoid()), S_OK);
    drawtest::Canvas canvas(60, 40);
    RECT fill = {0, 0, 60, 40};
    SetMapMode(canvas.Dc(), MM_TEXT);
    FillRect(canvas.Dc(), &fill, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECTL bounds = {0, 0, 60, 40};
    EXPECT_EQ(viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds, nullptr, nullptr, 0),
              S_FALSE);
    EXPECT_EQ(canvas.Pixel(30, 20), 0x000000u);
    ASSERT_EQ(control->put_RedrawEnabled(VARIANT_TRUE), S_OK);
    Repaint();
    EXPECT_EQ(PixelAt(45.0f, 45.0f), 0xFFFFFFu) << "the box is gone once drawing resumes";
}

// A single shape drawn on request: only while no long operation runs, and never once it is gone.
TEST_F(HostedControl, SingleShapeRedrawWaitsAndForgets)
{
    PixelView(0.0f, 0.0f);
    Repaint();
    CGroup* root = control->GetRootGroup();
    drawtest::PathShape* box = drawtest::MakeBox(*control, 30, -20, 20, 20, -20, 0x0000FF);
    root->AddChild(box, nullptr, 1, false);
    // Busy: the request is taken but the shape waits.
    control->SetIdle(false);
    control->RequestRedraw(rfRedrawShape | rfCopyBuf, box);
    RedrawWindow(m_wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(PixelAt(0.0f, 0.0f), 0xFFFFFFu);
    control->SetIdle(true);
    control->RequestRedraw(rfRedrawShape | rfCopyBuf, box);
    RedrawWindow(m_wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(PixelAt(0.0f, 0.0f), 0x0000FFu);
    EXPECT_EQ(control->GetRedrawTarget(), nullptr) << "drawn and forgotten";
    // A target deleted before the paint is never drawn (the request only queued, as the core
    // queues it; the control's own request paints at once).
    drawtest::PathShape* other = drawtest::MakeBox(*control, 31, 40, 60, 60, 40, 0x00FF00);
    root->AddChild(other, nullptr, 1, false);
    control->CControlCore::RequestRedraw(rfRedrawShape | rfCopyBuf, other);
    ASSERT_EQ(control->DeleteShapeByID(31, 0, 0), S_OK);
    EXPECT_EQ(control->GetRedrawTarget(), nullptr);
    RedrawWindow(m_wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(PixelAt(50.0f, 50.0f), 0xFFFFFFu);
}

// Messages of the window that need no host to answer them.
TEST_F(HostedControl, PrivateMessages)
{
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    // The end of a text edit with no edit running is ignored.
    EXPECT_EQ(SendMessageW(m_wnd, WM_USER + 2, 1, 1), 0);
    // Progress, as a 16-bit signed percentage.
    CYVEXControl::SendProgress(control.Get(), 42);
    control->SetProgressScale(50.0, 50.0);
    CYVEXControl::SendScaledProgress(control.Get(), 40);
    control->ClearProgressScale();
    ASSERT_EQ(sink.Ids(), (std::vector<DISPID>{20, 20}));
    EXPECT_EQ(sink.calls[0].ints[0], 42);
    EXPECT_EQ(sink.calls[1].ints[0], 70) << "40 % of the second half";
    // A display change keeps the views as they are on the same screen.
    const CViewportRecord before = control->GetCurrentViewport();
    SendMessageW(m_wnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ(control->GetCurrentViewport().horzRes, before.horzRes);
    EXPECT_NEAR(control->GetCurrentViewport().zoom, before.zoom, 1e-9);
    // Reflected notifications and unknown private messages do not reach the handlers.
    EXPECT_EQ(SendMessageW(m_wnd, WM_NOTIFY, 0, 0), 0);
}
