#pragma once
// The control object of a test program hosted in a top-level window through atl.dll's
// container window, as a host shows it: tests drive it with window messages and read what it
// painted back from the window.
#include "tests/support/ControlTestSupport.h"
#include "com/Owners.h"

namespace controltest {

// The control of this program hosted in a top-level window.
class HostedControl : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hosttest::Atl().attach) << "atl.dll with AtlAxAttachControl";
        m_top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr,
                                nullptr, nullptr);
        m_ax = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 10, 20, 320, 240, m_top, nullptr, nullptr, nullptr);
        ASSERT_NE(m_ax, nullptr);
        Prepare(*control);
        // The container comes into being only when asked for.
        ASSERT_EQ(hosttest::Atl().attach(control->GetControllingUnknown(), m_ax, m_container.Put()), S_OK);
        hosttest::PumpMessages();
        m_wnd = control->GetControlWindow();
        ASSERT_NE(m_wnd, nullptr);
        GetClientRect(m_wnd, &m_client);
    }
    void TearDown() override
    {
        if (m_top)
            DestroyWindow(m_top);
        hosttest::PumpMessages();
    }
    virtual void Prepare(CYVEXControl&) {}

    // World units one pixel each about the world point that lands in the client's middle.
    void PixelView(float cx, float cy)
    {
        CViewportRecord& view = control->GetCurrentViewport();
        view.SetCenter(cx, cy);
        view.SetHeight(static_cast<float>(m_client.bottom) * view.vertSize10 / view.vertRes /
                       static_cast<float>(view.horzSize10) * view.horzRes);
    }
    void Repaint()
    {
        control->SetPendingRedraw(rfRedrawAll);
        RedrawWindow(m_wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    COLORREF PixelAt(float x, float y)
    {
        const POINT p = control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y));
        ycom::WindowDC dc(GetDC(m_wnd));
        return GetPixel(dc.Get(), p.x, p.y);
    }

    // The steps the control's undo manager holds, and the last one undone.
    size_t UndoSteps() const
    {
        ycom::ComPtr<IOleUndoManager> manager = UndoManager();
        ycom::ComPtr<IEnumOleUndoUnits> units;
        if (!manager || manager->EnumUndoable(units.Put()) != S_OK || !units)
            return 0;
        size_t count = 0;
        IOleUndoUnit* unit = nullptr;
        while (units->Next(1, &unit, nullptr) == S_OK) {
            unit->Release();
            ++count;
        }
        return count;
    }
    HRESULT UndoLast() const
    {
        ycom::ComPtr<IOleUndoManager> manager = UndoManager();
        return manager ? manager->UndoTo(nullptr) : E_FAIL;
    }
    ycom::ComPtr<IOleUndoManager> UndoManager() const
    {
        ycom::ComPtr<IUnknown> unknown;
        control->get_OleUndoManager(unknown.Put());
        ycom::ComPtr<IOleUndoManager> manager;
        if (unknown)
            unknown->QueryInterface(IID_IOleUndoManager, reinterpret_cast<void**>(manager.Put()));
        return manager;
    }

    ControlRef control;
    ycom::ComPtr<IUnknown> m_container;
    HWND m_top = nullptr;
    HWND m_ax = nullptr;
    HWND m_wnd = nullptr;
    RECT m_client = {};
};

} // namespace controltest
