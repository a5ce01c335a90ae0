// The registered control as hosts meet it: in place in Wine's ActiveX container (the AtlAxWin
// window class of atl.dll), its events through the connection point, its inner objects through
// QueryInterface, its persistence, and module lifetime.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <string>
#include <vector>
#include "tests/support/HostSupport.h"
#include "YVEX_h.h"

namespace {

template <class T>
struct Ptr {
    T* p = nullptr;
    ~Ptr() { if (p) p->Release(); }
    T* operator->() const { return p; }
    void** Out() { return reinterpret_cast<void**>(&p); }
};

using hosttest::Atl;
using hosttest::EventSink;
using hosttest::PumpFor;
using hosttest::PumpMessages;

// The control hosted in an AtlAxWin window inside a top-level window.
class Hosted : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Atl().init && Atl().getControl) << "atl.dll with AtlAxWinInit and AtlAxGetControl";
        m_top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_top, nullptr);
        m_ax = CreateWindowExW(0, L"AtlAxWin", L"YVEX.YVEXControl", WS_CHILD | WS_VISIBLE, 10, 20, 320, 240, m_top,
                               nullptr, nullptr, nullptr);
        ASSERT_NE(m_ax, nullptr);
        PumpMessages();
        ASSERT_EQ(Atl().getControl(m_ax, &m_unk), S_OK);
        ASSERT_NE(m_unk, nullptr);
        Ptr<IOleWindow> window;
        ASSERT_EQ(m_unk->QueryInterface(IID_IOleWindow, window.Out()), S_OK);
        ASSERT_EQ(window->GetWindow(&m_wnd), S_OK);
    }
    void TearDown() override
    {
        if (m_unk)
            m_unk->Release();
        if (m_top)
            DestroyWindow(m_top);
        PumpMessages();
    }
    HWND m_top = nullptr;
    HWND m_ax = nullptr;
    HWND m_wnd = nullptr;
    IUnknown* m_unk = nullptr;
};

} // namespace

TEST_F(Hosted, ControlWindowLivesInTheContainer)
{
    ASSERT_TRUE(IsWindow(m_wnd));
    EXPECT_EQ(GetParent(m_wnd), m_ax);
    EXPECT_TRUE(GetWindowLongW(m_wnd, GWL_STYLE) & WS_VISIBLE) << "shown by in-place activation";
    wchar_t cls[64] = {};
    GetClassNameW(m_wnd, cls, 64);
    EXPECT_STREQ(cls, L"YVEXControl");
    // The client area lies inside the two scroll bars.
    const int bar = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    EXPECT_TRUE(GetWindowLongW(m_wnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongW(m_wnd, GWL_STYLE) & WS_HSCROLL);
    RECT rc;
    GetClientRect(m_wnd, &rc);
    EXPECT_EQ(rc.right, 320 - bar);
    EXPECT_EQ(rc.bottom, 240 - barHeight);

    Ptr<IYVEXControl> control;
    ASSERT_EQ(m_unk->QueryInterface(IID_IYVEXControl, control.Out()), S_OK);
    VARIANT_BOOL fire = VARIANT_FALSE;
    EXPECT_EQ(control->get_FireEvents(&fire), S_OK);
    EXPECT_EQ(fire, VARIANT_TRUE);
    // The window paints without help (WM_PAINT through the control's drawing).
    EXPECT_TRUE(UpdateWindow(m_wnd));

    // Moving the control follows the container's rectangles.
    Ptr<IOleInPlaceObject> inplace;
    ASSERT_EQ(m_unk->QueryInterface(IID_IOleInPlaceObject, inplace.Out()), S_OK);
    RECT pos = {5, 6, 105, 56};
    EXPECT_EQ(inplace->SetObjectRects(&pos, &pos), S_OK);
    GetClientRect(m_wnd, &rc);
    EXPECT_EQ(rc.right, 100 - bar);
    EXPECT_EQ(rc.bottom, 50 - barHeight);

    // Closing the host takes the control's window with it.
    HWND wnd = m_wnd;
    DestroyWindow(m_top);
    m_top = nullptr;
    PumpMessages();
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(Hosted, EventsReachConnectedSinksWhileFireEventsIsSet)
{
    Ptr<IProvideClassInfo2> info;
    ASSERT_EQ(m_unk->QueryInterface(IID_IProvideClassInfo2, info.Out()), S_OK);
    GUID source = GUID_NULL;
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(source == DIID__IYVEXControlEvents);

    Ptr<IConnectionPointContainer> container;
    ASSERT_EQ(m_unk->QueryInterface(IID_IConnectionPointContainer, container.Out()), S_OK);
    Ptr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__IYVEXControlEvents, &point.p), S_OK);
    EventSink first, second;
    DWORD c1 = 0, c2 = 0;
    ASSERT_EQ(point->Advise(&first, &c1), S_OK);
    ASSERT_EQ(point->Advise(&second, &c2), S_OK);

    // Timer 101 expiring is the toolbar notification: OnInvalidateToolbar(0), dispatch ID 51.
    SendMessageW(m_wnd, WM_TIMER, 101, 0);
    ASSERT_EQ(first.calls.size(), 1u);
    EXPECT_EQ(first.calls[0].id, 51);
    EXPECT_EQ(first.calls[0].types, std::vector<VARTYPE>{VT_I4});
    EXPECT_EQ(first.calls[0].ints, std::vector<LONG>{0});
    EXPECT_EQ(second.calls.size(), 1u);

    // A disconnected sink hears nothing more; the gate stops everything.
    ASSERT_EQ(point->Unadvise(c1), S_OK);
    SendMessageW(m_wnd, WM_TIMER, 101, 0);
    EXPECT_EQ(first.calls.size(), 1u);
    EXPECT_EQ(second.calls.size(), 2u);
    Ptr<IYVEXControl> control;
    ASSERT_EQ(m_unk->QueryInterface(IID_IYVEXControl, control.Out()), S_OK);
    ASSERT_EQ(control->put_FireEvents(VARIANT_FALSE), S_OK);
    SendMessageW(m_wnd, WM_TIMER, 101, 0);
    EXPECT_EQ(second.calls.size(), 2u);
    control->put_FireEvents(VARIANT_TRUE);
    // Another timer of the window is not the toolbar notification.
    SendMessageW(m_wnd, WM_TIMER, 100, 0);
    EXPECT_EQ(second.calls.size(), 2u);
    EXPECT_EQ(point->Unadvise(c2), S_OK);
    EXPECT_EQ(first.m_refs, 1u);
    EXPECT_EQ(second.m_refs, 1u);
}

namespace {

// What a worker of a site operation hands to the control's window with WM_USER+33.
struct StageRecord {
    LONG storageType;
    BSTR name;
    LONG siteId;
    BOOL* proceed;
    SHORT result;
};
const UINT kStageMessage = WM_USER + 33;

} // namespace

// The stages a worker reports reach the host with the table's events and arguments, whatever
// FireEvents says; a begin stage carries the host's answer back to the worker's flag.
TEST_F(Hosted, StageEventsWithTheirArguments)
{
    EventSink sink;
    hosttest::Connection connection(m_unk, &sink);
    Ptr<IYVEXControl> control;
    ASSERT_EQ(m_unk->QueryInterface(IID_IYVEXControl, control.Out()), S_OK);
    BSTR name = SysAllocString(L"Plant 7");
    BOOL proceed = TRUE;
    StageRecord record = {srDatabase, name, 31, &proceed, -1};
    const struct {
        WPARAM stage;
        std::vector<DISPID> events;
    } stages[] = {
        {0, {32}}, {1, {33, 54}}, {2, {34}}, {3, {35, 55}}, {4, {42}}, {5, {43, 53}}, {6, {}},
    };
    for (bool fire : {true, false}) {
        control->put_FireEvents(fire ? VARIANT_TRUE : VARIANT_FALSE);
        for (const auto& s : stages) {
            sink.calls.clear();
            sink.answer = VARIANT_FALSE;
            proceed = TRUE;
            EXPECT_EQ(SendMessageW(m_wnd, kStageMessage, s.stage, reinterpret_cast<LPARAM>(&record)), 0);
            std::vector<DISPID> got;
            for (const EventSink::Call& c : sink.calls)
                got.push_back(c.id);
            EXPECT_EQ(got, s.events) << "stage " << s.stage << (fire ? "" : " without events");
            if (s.stage % 2 == 0 && s.stage < 6) {
                EXPECT_EQ(proceed, FALSE) << "the host's veto reaches the worker, stage " << s.stage;
            }
        }
    }
    control->put_FireEvents(VARIANT_TRUE);
    // Arguments: begin load (storage, name, ID, proceed), end load with ID (result, storage,
    // name, ID), end delete with ID (ID, result, storage, name).
    sink.calls.clear();
    SendMessageW(m_wnd, kStageMessage, 0, reinterpret_cast<LPARAM>(&record));
    SendMessageW(m_wnd, kStageMessage, 1, reinterpret_cast<LPARAM>(&record));
    SendMessageW(m_wnd, kStageMessage, 5, reinterpret_cast<LPARAM>(&record));
    ASSERT_EQ(sink.calls.size(), 5u);
    EXPECT_EQ(sink.calls[0].types, (std::vector<VARTYPE>{VT_I4, VT_BSTR, VT_I4, VT_BOOL | VT_BYREF}));
    EXPECT_EQ(sink.calls[0].ints, (std::vector<LONG>{srDatabase, 31}));
    EXPECT_EQ(sink.calls[0].texts, std::vector<std::wstring>{L"Plant 7"});
    EXPECT_EQ(sink.calls[1].types, std::vector<VARTYPE>{VT_BOOL});
    EXPECT_EQ(sink.calls[2].types, (std::vector<VARTYPE>{VT_BOOL, VT_I4, VT_BSTR, VT_I4}));
    EXPECT_EQ(sink.calls[2].bools, std::vector<bool>{true});
    EXPECT_EQ(sink.calls[4].id, 53);
    EXPECT_EQ(sink.calls[4].types, (std::vector<VARTYPE>{VT_I4, VT_BOOL, VT_I4, VT_BSTR}));
    EXPECT_EQ(sink.calls[4].ints, (std::vector<LONG>{31, srDatabase}));
    // Progress goes through the gate.
    sink.calls.clear();
    SendMessageW(m_wnd, WM_USER + 210, 55, 0);
    control->put_FireEvents(VARIANT_FALSE);
    SendMessageW(m_wnd, WM_USER + 210, 56, 0);
    control->put_FireEvents(VARIANT_TRUE);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].id, 20);
    EXPECT_EQ(sink.calls[0].ints, std::vector<LONG>{55});
    SysFreeString(name);
    PumpFor(150);
}

// The end of a save clears the modified flag only when the save succeeded.
TEST_F(Hosted, AFailedSaveLeavesTheDrawingModified)
{
    Ptr<IOleObject> ole;
    ASSERT_EQ(m_unk->QueryInterface(IID_IOleObject, ole.Out()), S_OK);
    SIZEL extent = {6000, 4000};
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    Ptr<IPersistFile> file;
    ASSERT_EQ(m_unk->QueryInterface(IID_IPersistFile, file.Out()), S_OK);
    ASSERT_EQ(file->IsDirty(), S_OK);
    StageRecord record = {srDatabase, nullptr, 1, nullptr, 0};
    SendMessageW(m_wnd, kStageMessage, 3, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(file->IsDirty(), S_OK) << "a failed save";
    record.result = 1;
    SendMessageW(m_wnd, kStageMessage, 3, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(file->IsDirty(), S_FALSE);
}

// Timer 101 restarted five times within its period tells the host once, 100 ms after the last.
TEST_F(Hosted, ABurstOfChangesGivesOneToolbarNotification)
{
    EventSink sink;
    hosttest::Connection connection(m_unk, &sink);
    StageRecord record = {srDatabase, nullptr, 1, nullptr, 0};
    for (int i = 0; i < 5; ++i) {
        SendMessageW(m_wnd, kStageMessage, 6, reinterpret_cast<LPARAM>(&record));
        Sleep(15);
    }
    EXPECT_TRUE(sink.calls.empty());
    PumpFor(400);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].id, 51);
    EXPECT_EQ(sink.calls[0].ints, std::vector<LONG>{0});
}

// One control, one shared rich-edit window; it goes with the last control. Taking the control
// down tells its host nothing.
TEST(Control, RichEditWindowLivesWithTheControlsAndReleaseFiresNothing)
{
    ASSERT_TRUE(Atl().init && Atl().getControl);
    ASSERT_EQ(hosttest::ThreadWindowsOfClass(L"RICHEDIT"), 0);
    EventSink sink;
    {
        HWND top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        HWND ax = CreateWindowExW(0, L"AtlAxWin", L"YVEX.YVEXControl", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, top, nullptr,
                                  nullptr, nullptr);
        PumpMessages();
        IUnknown* unk = nullptr;
        ASSERT_EQ(Atl().getControl(ax, &unk), S_OK);
        EXPECT_EQ(hosttest::ThreadWindowsOfClass(L"RICHEDIT"), 1);
        Ptr<IYVEXControl> second;
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl, second.Out()), S_OK);
        EXPECT_EQ(hosttest::ThreadWindowsOfClass(L"RICHEDIT"), 1) << "shared";
        Ptr<IConnectionPointContainer> container;
        ASSERT_EQ(unk->QueryInterface(IID_IConnectionPointContainer, container.Out()), S_OK);
        Ptr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(DIID__IYVEXControlEvents, &point.p), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        // A toolbar notification is pending when the host goes.
        HWND wnd = nullptr;
        Ptr<IOleWindow> window;
        unk->QueryInterface(IID_IOleWindow, window.Out());
        window->GetWindow(&wnd);
        StageRecord record = {srDatabase, nullptr, 1, nullptr, 0};
        SendMessageW(wnd, kStageMessage, 6, reinterpret_cast<LPARAM>(&record));
        sink.calls.clear();
        point.p->Release();
        point.p = nullptr;
        container.p->Release();
        container.p = nullptr;
        unk->Release();
        DestroyWindow(top);
        PumpFor(200);
    }
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(hosttest::ThreadWindowsOfClass(L"RICHEDIT"), 0) << "gone with the last control";
}

TEST(Ruler, HostsInPlaceOnItsOwn)
{
    ASSERT_TRUE(Atl().init && Atl().getControl);
    HWND top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    HWND ax = CreateWindowExW(0, L"AtlAxWin", L"YVEX.Ruler", WS_CHILD | WS_VISIBLE, 0, 0, 200, 24, top, nullptr, nullptr, nullptr);
    PumpMessages();
    Ptr<IUnknown> unk;
    ASSERT_EQ(Atl().getControl(ax, &unk.p), S_OK);
    Ptr<IRuler> ruler;
    EXPECT_EQ(unk->QueryInterface(IID_IRuler, ruler.Out()), S_OK);
    Ptr<IOleWindow> window;
    ASSERT_EQ(unk->QueryInterface(IID_IOleWindow, window.Out()), S_OK);
    HWND wnd = nullptr;
    ASSERT_EQ(window->GetWindow(&wnd), S_OK);
    EXPECT_EQ(GetParent(wnd), ax);
    DestroyWindow(top);
    PumpMessages();
}

TEST(Control, InnerObjectsAnswerThroughTheControl)
{
    Ptr<IYVEXControl> control;
    ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl, control.Out()), S_OK);
    Ptr<IUnknown> identity;
    ASSERT_EQ(control->QueryInterface(IID_IUnknown, identity.Out()), S_OK);
    const IID* inner[] = {&IID_ISite, &IID_IMessenger, &IID_IDXFOperations, &IID_IPersistDB,
                          &IID_IPersistWeb, &IID_IDataIO, &IID_IYVEXPrint, &IID_IDTCio, &IID_IYVEXUndo};
    for (const IID* iid : inner) {
        Ptr<IDispatch> itf;
        ASSERT_EQ(control->QueryInterface(*iid, itf.Out()), S_OK);
        Ptr<IUnknown> back;
        ASSERT_EQ(itf->QueryInterface(IID_IUnknown, back.Out()), S_OK);
        EXPECT_EQ(back.p, identity.p) << "one identity for the aggregate";
        Ptr<IYVEXControl> again;
        EXPECT_EQ(itf->QueryInterface(IID_IYVEXControl, again.Out()), S_OK);
    }
    // The inner site names its own interface in its type information.
    Ptr<ISite> site;
    ASSERT_EQ(control->QueryInterface(IID_ISite, site.Out()), S_OK);
    Ptr<ITypeInfo> ti;
    ASSERT_EQ(site->GetTypeInfo(0, 0, &ti.p), S_OK);
    BSTR name = nullptr;
    ti->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, L"ISite");
    SysFreeString(name);

    // A class the control does not answer for.
    Ptr<IUnknown> none;
    EXPECT_EQ(control->QueryInterface(IID_IPropertyPage, none.Out()), E_NOINTERFACE);

    Ptr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(control->QueryInterface(IID_ISpecifyPropertyPages, pages.Out()), S_OK);
    CAUUID ids = {};
    ASSERT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 1u);
    EXPECT_TRUE(ids.pElems[0] == CLSID_GeneralPropPage);
    CoTaskMemFree(ids.pElems);
    Ptr<IUnknown> page;
    EXPECT_EQ(CoCreateInstance(CLSID_GeneralPropPage, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, page.Out()), S_OK);
}

// A new control records from the start: its final construction gives it an undo manager of its
// own, reached through IYVEXUndo, whose queue length its dual interface also answers by name.
TEST(Control, ANewControlRecordsIntoItsOwnUndoManager)
{
    Ptr<IYVEXUndo> undo;
    ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXUndo, undo.Out()), S_OK);
    VARIANT_BOOL enabled = VARIANT_FALSE;
    ASSERT_EQ(undo->get_UndoEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, VARIANT_TRUE);
    Ptr<IUnknown> unknown;
    ASSERT_EQ(undo->get_OleUndoManager(&unknown.p), S_OK);
    ASSERT_NE(unknown.p, nullptr);
    Ptr<IOleUndoManager> manager;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleUndoManager, manager.Out()), S_OK);
    EXPECT_EQ(manager->UndoTo(nullptr), E_INVALIDARG) << "nothing recorded yet";
    BSTR text = nullptr;
    EXPECT_EQ(manager->GetLastUndoDescription(&text), E_FAIL);
    Ptr<IEnumOleUndoUnits> units;
    ASSERT_EQ(manager->EnumUndoable(&units.p), S_OK);
    IOleUndoUnit* unit = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(units->Next(1, &unit, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    EXPECT_EQ(undo->put_QueueMaxLength(25), S_OK);
    Ptr<IDispatch> ex;
    ASSERT_EQ(unknown->QueryInterface(IID_IYVEXOleUndoManagerEx, ex.Out()), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(L"QueueMaxLength");
    DISPID id = 0;
    ASSERT_EQ(ex->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 2);
    DISPPARAMS none = {};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(ex->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 25);
}

TEST(Control, PersistsItsPropertyMap)
{
    Ptr<IOleObject> ole;
    ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, ole.Out()), S_OK);
    SIZEL extent = {4000, 3000};
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    Ptr<IPersistStreamInit> persist;
    ASSERT_EQ(ole->QueryInterface(IID_IPersistStreamInit, persist.Out()), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    CLSID clsid;
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_YVEXControl);
    Ptr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p), S_OK);
    ASSERT_EQ(persist->Save(stream.p, TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    Ptr<IOleObject> copy;
    ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, copy.Out()), S_OK);
    Ptr<IPersistStreamInit> copyPersist;
    ASSERT_EQ(copy->QueryInterface(IID_IPersistStreamInit, copyPersist.Out()), S_OK);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(copyPersist->Load(stream.p), S_OK);
    SIZEL got = {};
    ASSERT_EQ(copy->GetExtent(DVASPECT_CONTENT, &got), S_OK);
    EXPECT_EQ(got.cx, 4000);
    EXPECT_EQ(got.cy, 3000);

    // Garbage is refused, not read.
    Ptr<IStream> junk;
    CreateStreamOnHGlobal(nullptr, TRUE, &junk.p);
    junk->Write("junk", 4, nullptr);
    junk->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(copyPersist->Load(junk.p)));

    DWORD status = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
}

TEST(Site, ResourceModuleTakesOnlyLoadedModulesOfTheSameVersion)
{
    Ptr<ISite> site;
    ASSERT_EQ(CoCreateInstance(CLSID_Site, nullptr, CLSCTX_INPROC_SERVER, IID_ISite, site.Out()), S_OK);
    ULONG_PTR own = 0;
    ASSERT_EQ(site->get_ResourceHandle(&own), S_OK);
    EXPECT_EQ(own, reinterpret_cast<ULONG_PTR>(GetModuleHandleW(L"yvex.dll")));
    EXPECT_EQ(site->put_ResourceHandle(own), S_FALSE) << "the module already in use";

    EXPECT_EQ(site->put_ResourceHandle(12345), E_INVALIDARG);
    IErrorInfo* error = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
    BSTR text = nullptr;
    error->GetDescription(&text);
    EXPECT_STREQ(text, L"Wrong identifier.");
    SysFreeString(text);
    error->Release();

    // A loaded module of another version (this test program has none) keeps the old one.
    EXPECT_EQ(site->put_ResourceHandle(reinterpret_cast<ULONG_PTR>(GetModuleHandleW(nullptr))), E_POINTER);
    EXPECT_EQ(site->put_ResourceHandle(reinterpret_cast<ULONG_PTR>(GetModuleHandleW(L"kernel32.dll"))), E_INVALIDARG);
    ULONG_PTR now = 0;
    site->get_ResourceHandle(&now);
    EXPECT_EQ(now, own);
    EXPECT_EQ(site->put_ResourceHandle(0), S_OK);

    // The hidden attachment refuses anything but a live control.
    EXPECT_EQ(site->_Init(12345), E_INVALIDARG);
    EXPECT_EQ(site->_Init(0), S_OK);
    Ptr<IPersistDB> db;
    ASSERT_EQ(CoCreateInstance(CLSID_PersistDB, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistDB, db.Out()), S_OK);
    EXPECT_EQ(db->put__YVEXControl(reinterpret_cast<LONG_PTR>(db.p)), E_INVALIDARG);
}

TEST(Module, UnloadsOnlyWhenNoObjectIsLeft)
{
    HMODULE dll = GetModuleHandleW(L"yvex.dll");
    if (!dll) {
        Ptr<IUnknown> warm;
        ASSERT_EQ(CoCreateInstance(CLSID_Point, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, warm.Out()), S_OK);
        dll = GetModuleHandleW(L"yvex.dll");
    }
    ASSERT_NE(dll, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_NE(GetModuleHandleW(L"riched32.dll"), nullptr) << "loaded with the module and kept";
    {
        Ptr<IYVEXControl> control;
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl, control.Out()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        Ptr<IClassFactory> factory;
        ASSERT_EQ(CoGetClassObject(CLSID_Vertex, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.Out()), S_OK);
        control.p->Release();
        control.p = nullptr;
        EXPECT_EQ(canUnload(), S_FALSE) << "a class factory keeps the module";
    }
    EXPECT_EQ(canUnload(), S_OK) << "the control and its seven inner objects are gone";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    const int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
