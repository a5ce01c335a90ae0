// The mouse as a user works it: button, move and wheel messages sent to a hosted control pick
// and select shapes, pan with the right button and zoom or pan with the wheel, with the events
// the host receives.
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "control/PopupMenuHook.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include <algorithm>
#include <cmath>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

class Mouse : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        // A right click that is no pan shows a menu: it closes at once here.
        m_previous = SetPopupMenuHandler([](HMENU, UINT, int, int, HWND) -> UINT { return 0; });
        PixelView(0.0f, 0.0f);
        CGroup* root = control->GetRootGroup();
        root->AddChild(drawtest::MakeBox(*control, 30, 10.0f, 40.0f, 40.0f, 10.0f, 0x000000), nullptr, 1, false);
        root->AddChild(drawtest::MakeBox(*control, 31, -60.0f, -10.0f, -30.0f, -40.0f, 0x000000), nullptr, 1, false);
    }
    void TearDown() override
    {
        SetPopupMenuHandler(m_previous);
        HostedControl::TearDown();
    }
    POINT Device(float x, float y) { return control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y)); }
    void Send(UINT msg, WPARAM keys, POINT p) { SendMessageW(m_wnd, msg, keys, MAKELPARAM(p.x, p.y)); }
    void Click(float x, float y, WPARAM keys = 0)
    {
        const POINT p = Device(x, y);
        Send(WM_LBUTTONDOWN, keys | MK_LBUTTON, p);
        Send(WM_LBUTTONUP, keys, p);
    }
    std::vector<int> Selected()
    {
        std::vector<int> ids;
        for (CShape* s : control->GetSelectionGroup()->Children())
            ids.push_back(s->GetId());
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    CWorldRect Visible() { return control->GetCurrentViewport().GetWorldRect(); }
    PopupMenuHandler m_previous = nullptr;
};

} // namespace

// A click selects the shape under the pointer, reporting the hit; Ctrl adds to the selection;
// a click on empty space clears it.
TEST_F(Mouse, ClicksSelect)
{
    hosttest::EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    Click(25.0f, 25.0f);
    EXPECT_EQ(Selected(), std::vector<int>({30}));
    // Press, the hit, then the selection, then the release.
    EXPECT_EQ(sink.Ids(), std::vector<DISPID>({2, 21, 12, 3}));
    ASSERT_EQ(sink.calls[1].ints.size(), 2u);
    EXPECT_EQ(sink.calls[1].ints[0], 30);
    EXPECT_NEAR(sink.calls[1].floats[0], 25.0f, 1.5f);
    EXPECT_NEAR(sink.calls[0].floats[1], 25.0f, 1.5f) << "world y of the press";

    const struct {
        float x, y;
        WPARAM keys;
        std::vector<int> selected;
    } steps[] = {
        {-45.0f, -25.0f, MK_CONTROL, {30, 31}},
        {-45.0f, -25.0f, 0, {31}},
        {100.0f, 80.0f, MK_CONTROL, {31}},
        {100.0f, 80.0f, 0, {}},
    };
    for (const auto& s : steps) {
        Click(s.x, s.y, s.keys);
        EXPECT_EQ(Selected(), s.selected) << s.x << "," << s.y << " keys " << s.keys;
    }
}

// The right button pans once the pointer is 5 pixels away, and then shows no menu; the wheel
// zooms about the pointer by 1.4 a notch, or pans a fifth of the view with Shift or Ctrl.
TEST_F(Mouse, RightDragAndWheel)
{
    const struct {
        int dx;
        bool pans;
    } drags[] = {{4, false}, {5, true}, {-12, true}};
    for (const auto& d : drags) {
        PixelView(0.0f, 0.0f);
        const POINT start = Device(0.0f, 0.0f);
        const float before = control->GetCurrentViewport().center.x;
        Send(WM_RBUTTONDOWN, MK_RBUTTON, start);
        Send(WM_MOUSEMOVE, MK_RBUTTON, POINT{start.x + d.dx, start.y});
        const float moved = control->GetCurrentViewport().center.x - before;
        if (d.pans)
            EXPECT_NEAR(moved, -d.dx * control->GetCurrentViewport().PixelsToWorldX(1.0), 0.05) << d.dx;
        else
            EXPECT_EQ(moved, 0.0f) << d.dx;
        Send(WM_RBUTTONUP, 0, POINT{start.x + d.dx, start.y});
    }

    const struct {
        WORD keys;
        SHORT delta;
        double widthFactor;
        double dx, dy;  // the centre's move in view widths and heights
    } wheels[] = {
        {0, -120, 1.4, 0, 0}, {0, 120, 1 / 1.4, 0, 0},
        {MK_SHIFT, 120, 1.0, -0.2, 0}, {MK_CONTROL, 120, 1.0, 0, 0.2}, {MK_CONTROL, -240, 1.0, 0, -0.4},
        {MK_SHIFT | MK_CONTROL, 120, 1.0, 0, 0},
    };
    for (const auto& w : wheels) {
        PixelView(0.0f, 0.0f);
        const CWorldRect old = Visible();
        const double width = old.right - old.left, height = old.top - old.bottom;
        // The pointer a quarter of the way in from the top-left corner.
        POINT pointer = {m_client.right / 4, m_client.bottom / 4};
        const CRealPointD at = control->GetCurrentViewport().DeviceToWorld(pointer.x, pointer.y);
        POINT screen = pointer;
        ClientToScreen(m_wnd, &screen);
        const LRESULT r = SendMessageW(m_wnd, WM_MOUSEWHEEL, MAKEWPARAM(w.keys, w.delta), MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(r, 1);
        const CWorldRect now = Visible();
        EXPECT_NEAR((now.right - now.left) / width, w.widthFactor, 1e-3) << w.keys << " " << w.delta;
        if (w.keys == 0) {
            // The pointer's world point keeps its place in the view (zooming in drifts a tenth
            // of the way from the centre towards it).
            const double drift = w.delta > 0 ? 0.1 : 0.0;
            const double cx = (old.left + old.right) / 2, cy = (old.top + old.bottom) / 2;
            const double fx = (at.x - old.left) / width;
            EXPECT_NEAR(now.left + fx * (now.right - now.left), at.x + drift * (at.x - cx), width * 2e-3);
            const double fy = (old.top - at.y) / height;
            EXPECT_NEAR(now.top - fy * (now.top - now.bottom), at.y + drift * (at.y - cy), height * 2e-3);
        } else {
            // The view's origin is a whole logical unit: its rounding moves the edges a little.
            const double unit = 1.0 / control->GetCurrentViewport().GetScaleFactor();
            EXPECT_NEAR((now.left + now.right) / 2 - (old.left + old.right) / 2, w.dx * width, unit);
            EXPECT_NEAR((now.top + now.bottom) / 2 - (old.top + old.bottom) / 2, w.dy * height, unit);
        }
    }
}
