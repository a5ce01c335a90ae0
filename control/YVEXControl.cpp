#include "control/YVEXControl.h"
#include "com/AnsiText.h"
#include <cstring>
#include "com/Guard.h"
#include "com/Module.h"
#include "control/ClipboardFormatTable.h"
#include "control/DialogLists.h"
#include "control/ErrorInfo.h"
#include "control/ExternalEditor.h"
#include "com/HResult.h"
#include "control/SharedResources.h"
#include "control/UnitRecord.h"
#include "model/Group.h"
#include "ui/resource.h"
#include <string>
#include <vector>

namespace {

// The external editor of rich text: WordPad, in quotes (its path has spaces).
ycom::Bstr DefaultTextEditorName()
{
    char expanded[1024] = {};
    if (!ExpandEnvironmentStringsA("%ProgramFiles%", expanded, sizeof expanded))
        expanded[0] = 0;
    const std::string name = std::string("\"") + expanded + "\\Windows NT\\Accessories\\wordpad.exe\"";
    return ycom::Bstr::FromAnsi(name.c_str());
}

} // namespace

CYVEXControl::CYVEXControl() : m_events(this, DIID__IYVEXControlEvents)
{
    AddConnectionPoint(&m_events);
    ycom::LiveObjects<CYVEXControl>::Add(this);
    AcquireGdiplus();
    m_textEditorName = DefaultTextEditorName();
    m_blockBitmap.Reset(static_cast<HBITMAP>(
        LoadImageA(ycom::TheModule().Instance(), MAKEINTRESOURCEA(IDB_BLOCK_EDITING), IMAGE_BITMAP, 0, 0, 0)));
    RegisterControlInstance();
    CreateSystemShapes();
    SetControlFlags(controlSaveAsBinary);
    m_optionsSheet = MakeOptionsDialog();
    m_verticesDialog = MakeVerticesDialog();
    m_propertiesDialog = MakePropertiesDialog(this);
    if (m_propertiesDialog) {
        m_propertiesDialog->SetTextEditor(ycom::WideToAnsi(m_textEditorName.CStr()).c_str());
        // Coordinates of the control's shapes are shown with one decimal more than the grid's own.
        m_propertiesDialog->SetDefaultDecimals(3);
    }
}

CYVEXControl::~CYVEXControl()
{
    // Nothing below reaches the host any more.
    m_destroying = true;
    m_fireEvents = VARIANT_FALSE;
    // The properties window's shape objects go while the shapes they stand for are still there.
    m_propertiesDialog.reset();
    m_corner.Destroy();
    m_blockBitmap.Reset();
    ForgetRedrawTarget();
    // The shapes go while the module's shared pieces (GDI+, the rich-edit window) still serve them.
    TearDownDrawing();
    UnregisterControlInstance();
    m_buffer.Free();
    ReleaseGdiplus();
    ycom::LiveObjects<CYVEXControl>::Remove(this);
}

namespace {

// Creates one inner object of the aggregate with `outer` as its controlling unknown, asks it for
// its own interface and attaches the control. The interface's reference counts on the outer
// object, so it is given back at once: the control holds the inner object through `inner` only.
template <class Itf>
HRESULT CreateInner(IUnknown* outer, REFCLSID clsid, REFIID iid, IUnknown** inner, Itf** itf)
{
    RETURN_IF_FAILED(CoCreateInstance(clsid, outer, CLSCTX_SERVER, IID_IUnknown, reinterpret_cast<void**>(inner)));
    RETURN_IF_FAILED((*inner)->QueryInterface(iid, reinterpret_cast<void**>(itf)));
    outer->Release();
    return S_OK;
}

} // namespace

HRESULT CYVEXControl::LoadUnitTable()
{
    // Every member of the Units enum, named without its prefix, with the factors of those that
    // have them.
    std::vector<long> values;
    std::vector<std::string> names;
    RETURN_IF_FAILED(GetTypeLibEnumMembers(static_cast<IYVEXControl*>(this), "Units", &values, &names));
    for (size_t i = 0; i < values.size(); ++i) {
        CUnitRecord unit;
        unit.id = static_cast<int>(values[i]);
        unit.name = names[i].size() > 2 ? names[i].substr(2) : std::string();
        LookUpUnitFactors(unit.id, &unit);
        AddUnit(unit);
    }
    return S_OK;
}

HRESULT CYVEXControl::FinalConstruct()
{
    LoadUnitTable();
    IUnknown* outer = GetControllingUnknown();
    const LONG_PTR self = Handle();
    // The undo support: a new control records from the start, into a manager of its own.
    RETURN_IF_FAILED(CreateUndoManager());
    RETURN_IF_FAILED(CreateInner(outer, CLSID_Messenger, IID_IMessenger, &m_innerMessenger, &m_messenger));
    m_messenger->put__YVEXControl(self);
    RETURN_IF_FAILED(CreateInner(outer, CLSID_Site, IID_ISite, &m_innerSite, &m_site));
    m_site->_Init(self);
    RETURN_IF_FAILED(CreateInner(outer, CLSID_PersistDB, IID_IPersistDB, &m_innerPersistDB, &m_persistDB));
    m_persistDB->put__YVEXControl(self);
    RETURN_IF_FAILED(CreateInner(outer, CLSID_DXFOperations, IID_IDXFOperations, &m_innerDXFOperations, &m_dxfOperations));
    m_dxfOperations->put__YVEXControl(self);
    RETURN_IF_FAILED(CreateInner(outer, CLSID_PersistWeb, IID_IPersistWeb, &m_innerPersistWeb, &m_persistWeb));
    m_persistWeb->put__YVEXControl(self);
    RETURN_IF_FAILED(CreateInner(outer, CLSID_DataIO, IID_IDataIO, &m_innerDataIO, &m_dataIO));
    m_dataIO->put__YVEXControl(self);
    RETURN_IF_FAILED(CreateInner(outer, CLSID_YVEXPrint, IID_IYVEXPrint, &m_innerPrint, &m_print));
    m_print->put__YVEXControl(self);

    m_clipboardFormat = RegisterClipboardFormats();
    return S_OK;
}

void CYVEXControl::FinalRelease()
{
    // Taking the control down is not news for the host.
    m_fireEvents = VARIANT_FALSE;
    // A worker still finishing its operation keeps using the control until its thread is over.
    WaitForWorkers();
    // The interface pointers hold no reference of their own (see CreateInner); the inner objects
    // go with their non-delegating unknowns, in creation order.
    m_messenger = nullptr;
    m_site = nullptr;
    m_persistDB = nullptr;
    m_dxfOperations = nullptr;
    m_persistWeb = nullptr;
    m_dataIO = nullptr;
    m_print = nullptr;
    for (IUnknown** inner : {&m_innerMessenger, &m_innerSite, &m_innerPersistDB, &m_innerDXFOperations,
                             &m_innerPersistWeb, &m_innerDataIO, &m_innerPrint}) {
        if (*inner) {
            IUnknown* p = *inner;
            *inner = nullptr;
            p->Release();
        }
    }
    // The recorder goes with its manager; units the host still holds find no recorder.
    SetUndoRecorder(nullptr);
    DestroyControl();
}

HRESULT CYVEXControl::ResolveHandle(LONG_PTR handle, CYVEXControl** control)
{
    if (!control)
        return E_POINTER;
    if (handle == 0) {
        *control = nullptr;
        return S_OK;
    }
    CYVEXControl* found = FromHandle(handle);
    if (!found)
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    *control = found;
    return S_OK;
}

HRESULT CYVEXControl::AttachForwarder(LONG_PTR handle, IUnknown* outer, CYVEXControl** control,
                                      ycom::ComPtr<IUnknown>* keepAlive)
{
    if (!keepAlive)
        return E_POINTER;
    RETURN_IF_FAILED(ResolveHandle(handle, control));
    if (outer || !*control)
        keepAlive->Reset();
    else
        *keepAlive = (*control)->GetControllingUnknown();
    return S_OK;
}

void CYVEXControl::RestartRedrawTimer(UINT period)
{
    if (!m_hWnd)
        return;
    KillTimer(m_hWnd, kRedrawTimer);
    SetTimer(m_hWnd, kRedrawTimer, period < 10 ? 100 : period, nullptr);
}

// ---- IYVEXControl ----

STDMETHODIMP CYVEXControl::get_FireEvents(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!pVal)
            return E_POINTER;
        *pVal = m_fireEvents;
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::put_FireEvents(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        m_fireEvents = newVal ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_RootID(LONG* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        if (CGroup* root = GetRootGroup())
            *pVal = root->GetId();
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_ZoomK(float* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = static_cast<float>(GetCurrentViewport().zoom);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::DPtoWCS(float* px, float* py)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!px || !py)
            return E_POINTER;
        const CRealPointD world = GetCurrentViewport().DeviceToWorld(*px, *py);
        *px = static_cast<float>(world.x);
        *py = static_cast<float>(world.y);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::WCStoDP(float* px, float* py)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!px || !py)
            return E_POINTER;
        const CViewportRecord& view = GetCurrentViewport();
        const double s = view.GetScaleFactor();
        // The device point stays fractional.
        const double x = view.horzRes * (*px * s + view.origin.x) / view.horzSize10;
        const double y = -(view.vertRes * (*py * s + view.origin.y) / view.vertSize10);
        *px = static_cast<float>(x);
        *py = static_cast<float>(y);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_Enabled(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = AcceptsEdits() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::put_Enabled(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        SetEnabled(newVal != VARIANT_FALSE);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_LastError(LONG* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = GetLastErrorCode();
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_LastErrorMessage(BSTR* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (GetLastErrorText().empty())
            return S_OK;
        *pVal = ycom::Bstr::FromAnsi(GetLastErrorText().c_str()).Detach();
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP CYVEXControl::get_TextEditorName(BSTR* pVal) { return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return m_textEditorName.CopyTo(pVal); }); }

STDMETHODIMP CYVEXControl::put_TextEditorName(BSTR newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!newVal) {
            m_textEditorName.Reset();
            if (m_propertiesDialog)
                m_propertiesDialog->SetTextEditor(nullptr);
            return S_OK;
        }
        ycom::Bstr copy(newVal, SysStringLen(newVal));
        RETURN_IF_NULL_ALLOC(copy.Get());
        m_textEditorName = std::move(copy);
        // The properties window edits long texts with the same program.
        if (m_propertiesDialog)
            m_propertiesDialog->SetTextEditor(ycom::WideToAnsi(m_textEditorName.CStr()).c_str());
        return S_OK;
    });
}

HRESULT CYVEXControl::GetFlagProperty(VARIANT_BOOL* pVal, DWORD flag, bool setMeansTrue) const
{
    if (!pVal)
        return E_INVALIDARG;
    const bool set = (GetControlFlags() & flag) != 0;
    *pVal = set == setMeansTrue ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

void CYVEXControl::SetFlagProperty(VARIANT_BOOL newVal, DWORD flag, bool setMeansTrue)
{
    const bool set = (newVal != VARIANT_FALSE) == setMeansTrue;
    const DWORD flags = GetControlFlags();
    SetControlFlags(set ? (flags | flag) : (flags & ~flag));
}

STDMETHODIMP CYVEXControl::get_LockDraftLimits(VARIANT_BOOL* pVal) { return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return GetFlagProperty(pVal, controlLockLimits, true); }); }

STDMETHODIMP CYVEXControl::put_LockDraftLimits(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        SetFlagProperty(newVal, controlLockLimits, true);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_RedrawEnabled(VARIANT_BOOL* pVal) { return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return GetFlagProperty(pVal, controlDisableRedraw, false); }); }

STDMETHODIMP CYVEXControl::put_RedrawEnabled(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        SetFlagProperty(newVal, controlDisableRedraw, false);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::put_RootID(LONG newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        CGroup* old = GetRootGroup();
        if (old && old->GetId() == newVal)
            return S_OK;
        if (EventsEnabled() && !FireSwitchRootID(newVal))
            return S_FALSE;
        CShape* shape = FindShape(newVal);
        if (!shape)
            return ReportError("Shape not found.");
        // The view shows a group's children: anything else cannot stand as the drawing.
        if (!shape->IsGroup())
            return ReportError("Shape is not a group.");
        auto* group = static_cast<CGroup*>(shape);
        SetRootId(group->GetId());
        // What was selected belongs to the drawing that is no longer shown.
        if (CGroup* selection = GetSelectionGroup())
            selection->Clear(false);
        SetActiveGroup(group);
        ClearPropertiesDialog();
        if (EventsEnabled())
            RestartRedrawTimer(0);
        RequestRedraw(rfRedrawAll, nullptr);
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::get_progress(LONG* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = GetProgressPercent();
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::get_ContextMenu(IMenuCollection** pVal)
{
    // The menu the control is about to show (a host takes it in OnContextMenuShow); none
    // otherwise.
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (!m_contextMenu || m_contextMenu == reinterpret_cast<HMENU>(-1))
            return S_FALSE;
        // Made by this module's own class factory: the collection names the control by its
        // handle in this module's table of live controls.
        ycom::ComPtr<IClassFactory> factory;
        RETURN_IF_FAILED(ycom::TheModule().GetClassObject(CLSID_MenuCollection, IID_IClassFactory, factory.PutVoid()));
        ycom::ComPtr<IMenuCollection> menu;
        RETURN_IF_FAILED(factory->CreateInstance(nullptr, IID_IMenuCollection, menu.PutVoid()));
        RETURN_IF_FAILED(menu->_Init(Handle(), reinterpret_cast<LONG_PTR>(m_contextMenu), 0));
        *pVal = menu.Detach();
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::LocateShape(LONG ShapeID)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (RefuseWhileBusy())
            return S_FALSE;
        // The fixed groups and the prototypes cannot be located, but the selection and the
        // highlights can.
        if (ShapeID < 12 && ShapeID != SELECTION_ID && ShapeID != HIGHLIGHTS_ID)
            return S_FALSE;
        CShape* shape = FindShape(ShapeID);
        CRealRect r;
        if (!shape || FAILED(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom)))
            return S_FALSE;
        CViewportRecord& view = GetCurrentViewport();
        GetViewportList().RememberView(view, 5);
        // The zoom stays; only the centre moves.
        view.SetCenter((r.left + r.right) / 2.0f, (r.top + r.bottom) / 2.0f);
        view.SetClientArea(view.clientSize, &view.clientOffset);
        FinishZoom();
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::DisplayOptions(OptionsPageIndex page)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!IsIdle())
            return S_FALSE;
        // An open sheet stays as it is (a host may ask again from an event the sheet raised);
        // without a sheet object there is nothing to show. Both are success.
        if (!m_optionsSheet || m_optionsSheet->GetWindow())
            return S_OK;
        const int index = static_cast<int>(page);
        m_optionsSheet->SetStartPage(index >= 0 && index < COptionsDialog::kPageCount ? index : 0);
        ShowOptionsSheet();
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::get_EnableDBImages(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = m_databaseImages > 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::put_EnableDBImages(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        m_databaseImages = newVal ? 1 : 0;
        return S_OK;
    });
}
STDMETHODIMP CYVEXControl::get_Site(ISite** pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        ycom::ComPtr<ISite> site;
        RETURN_IF_FAILED(CoCreateInstance(CLSID_Site, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                          IID_ISite, site.PutVoid()));
        RETURN_IF_FAILED(site->_Init(Handle()));
        *pVal = site.Detach();
        return S_OK;
    });
}
// The forwarder objects of the control (database, DXF, files and buffers, messenger, web
// transfer, printing), for clients that cannot query for an interface (script hosts): each answers
// for the control.
namespace {
// Each call makes a new forwarder of its own, attached to the control (and keeping it alive):
// their state is the control's, so any of them serves. The messenger is the exception: its
// connections, session and receive timer are its own, and the control delivers its messages
// through its inner one, so that one is handed out.
template <class Itf>
HRESULT HandOutForwarder(REFCLSID clsid, REFIID iid, LONG_PTR control, Itf** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    ycom::ComPtr<Itf> created;
    RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                      iid, created.PutVoid()));
    RETURN_IF_FAILED(created->put__YVEXControl(control));
    *out = created.Detach();
    return S_OK;
}

template <class Itf>
HRESULT HandOutInner(Itf* inner, Itf** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = inner;
    if (!inner)
        return E_NOTIMPL;
    inner->AddRef();
    return S_OK;
}
} // namespace

STDMETHODIMP CYVEXControl::get_PersistDB(IPersistDB** pVal) 
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return HandOutForwarder(CLSID_PersistDB, IID_IPersistDB, Handle(), pVal); });
}
STDMETHODIMP CYVEXControl::get_DXFOperations(IDXFOperations** pVal) 
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return HandOutForwarder(CLSID_DXFOperations, IID_IDXFOperations, Handle(), pVal); });
}
STDMETHODIMP CYVEXControl::get_Messenger(IMessenger** pVal) 
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return HandOutInner(m_messenger, pVal); });
}
STDMETHODIMP CYVEXControl::get_PersistWeb(IPersistWeb** pVal) 
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return HandOutForwarder(CLSID_PersistWeb, IID_IPersistWeb, Handle(), pVal); });
}
STDMETHODIMP CYVEXControl::ShapeProperties(VARIANT_BOOL bDisplay)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        // Shown or hidden on purpose: nothing waits to show it again.
        m_propertiesWaiting = false;
        if (!m_propertiesDialog)
            return S_OK;
        if (bDisplay) {
            if (!m_propertiesDialog->GetWindow() && !m_propertiesDialog->CreateWindowFor(m_hWnd))
                return S_OK;
            m_propertiesDialog->ShowShapes(GetSelectionGroup());
            ShowWindow(m_propertiesDialog->GetWindow(), SW_SHOWNA);
        } else if (IsPropertiesDialogVisible()) {
            ShowWindow(m_propertiesDialog->GetWindow(), SW_HIDE);
            m_propertiesDialog->ReleaseObjects();
        }
        return S_OK;
    });
}

bool CYVEXControl::IsPropertiesDialogVisible() const
{
    HWND window = GetPropertiesWindow();
    return window && IsWindowVisible(window);
}

HWND CYVEXControl::GetPropertiesWindow() const
{
    return m_propertiesDialog ? m_propertiesDialog->GetWindow() : nullptr;
}

void CYVEXControl::RefreshPropertiesDialog()
{
    if (IsPropertiesDialogVisible())
        m_propertiesDialog->ShowShapes(GetSelectionGroup());
}

void CYVEXControl::ClearPropertiesDialog()
{
    if (IsPropertiesDialogVisible())
        m_propertiesDialog->ShowShapes(nullptr);
}

bool CYVEXControl::HidePropertiesDialog()
{
    if (!IsPropertiesDialogVisible())
        return false;
    ShapeProperties(VARIANT_FALSE);
    m_propertiesWaiting = true;
    return true;
}

bool CYVEXControl::ShowPropertiesAgain()
{
    const bool waiting = m_propertiesWaiting;
    m_propertiesWaiting = false;
    if (!waiting && !IsPropertiesDialogVisible())
        return false;
    ShapeProperties(VARIANT_TRUE);
    return true;
}
STDMETHODIMP CYVEXControl::get_DataIO(IDataIO** pVal) 
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return HandOutForwarder(CLSID_DataIO, IID_IDataIO, Handle(), pVal); });
}
STDMETHODIMP CYVEXControl::get_DTCio(IDTCio** pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        return GetControllingUnknown()->QueryInterface(IID_IDTCio, reinterpret_cast<void**>(pVal));
    });
}
STDMETHODIMP CYVEXControl::get_YVEXPrint(IYVEXPrint** pVal) 
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return HandOutForwarder(CLSID_YVEXPrint, IID_IYVEXPrint, Handle(), pVal); });
}

// ---- IOleObject ----

STDMETHODIMP CYVEXControl::DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                                  LPCRECT posRect)
{
    // The registered verb 1 ("&Activate") is the user's activation; the others as every control.
    return ycom::Guard(IID_IOleObject, [&]() -> HRESULT {
        return ycom::ControlBase<CYVEXControl>::DoVerb(verb == 1 ? OLEIVERB_UIACTIVATE : verb, msg, activeSite, index,
                                                       parent, posRect);
    });
}

// ---- IPrint: printing goes through PrintSite and IYVEXPrint; Print accepts and does nothing ----

STDMETHODIMP CYVEXControl::SetInitialPageNum(LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::GetPageInfo(LONG*, LONG*) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::Print(DWORD, DVTARGETDEVICE**, PAGESET**, STGMEDIUM*, IContinueCallback*, LONG, LONG*, LONG*)
{
    return S_OK;
}

// ---- persistence ----

STDMETHODIMP CYVEXControl::GetClassID(CLSID* clsid)
{
    return ycom::Guard(IID_IPersistFile, [&]() -> HRESULT {
        if (!clsid)
            return E_POINTER;
        *clsid = CLSID_YVEXControl;
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::IsDirty()
{
    return ycom::Guard(IID_IPersistFile, [&]() -> HRESULT { return IsDirtyState() ? S_OK : S_FALSE; });
}
// A drawing file: loaded and saved on the caller's thread, so the answer tells the outcome.
STDMETHODIMP CYVEXControl::Load(LPCOLESTR fileName, DWORD)
{
    return ycom::Guard(IID_IPersistFile, [&]() -> HRESULT {
        if (!fileName)
            return E_POINTER;
        return StartDxfLoad(ycom::WideToAnsi(fileName).c_str(), DXFMODE_REMEMBER_FILENAME | DXFMODE_FOREGROUND);
    });
}

STDMETHODIMP CYVEXControl::Save(LPCOLESTR fileName, BOOL remember)
{
    return ycom::Guard(IID_IPersistFile, [&]() -> HRESULT {
        // No name: the file the drawing came from.
        const std::string name = fileName ? ycom::WideToAnsi(fileName) : GetDrawingFileName();
        if (name.empty())
            return E_INVALIDARG;
        const DWORD mode = DXFMODE_FOREGROUND | ((remember || !fileName) ? DXFMODE_REMEMBER_FILENAME : 0);
        return StartDxfSave(name.c_str(), mode, -8);
    });
}

STDMETHODIMP CYVEXControl::SaveCompleted(LPCOLESTR)
{
    return ycom::Guard(IID_IPersistFile, [&]() -> HRESULT { return S_OK; });
}

STDMETHODIMP CYVEXControl::GetCurFile(LPOLESTR* fileName)
{
    return ycom::Guard(IID_IPersistFile, [&]() -> HRESULT {
        if (!fileName)
            return E_POINTER;
        const std::wstring name = ycom::AnsiToWide(GetDrawingFileName());
        *fileName = static_cast<LPOLESTR>(CoTaskMemAlloc((name.size() + 1) * sizeof(wchar_t)));
        if (!*fileName)
            return E_OUTOFMEMORY;
        std::memcpy(*fileName, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        // No file yet: the default name is given, with S_FALSE.
        return name.empty() ? S_FALSE : S_OK;
    });
}

// ---- IDTCio ----

// (DrawingBuffers.cpp)

// ---- IYVEXUndo ----


bool CYVEXControl::EditTextExternally(const std::string& text, std::string* edited)
{
    const wchar_t* name = m_textEditorName.CStr();
    if (!name || !*name)
        return false;
    const int n = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return false;
    std::string program(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, name, -1, &program[0], n, nullptr, nullptr);
    program.resize(static_cast<size_t>(n - 1));
    return EditTextWithExternalProgram(program.c_str(), text.data(), text.size(), m_hWnd, edited);
}

namespace {
// A value of the recorder through a getter: E_POINTER without a recorder, E_INVALIDARG for a null
// out-pointer.
template <class T, class Read>
HRESULT ReadRecorder(CUndoRecorder* recorder, T* out, Read read)
{
    if (!recorder)
        return E_POINTER;
    if (!out)
        return E_INVALIDARG;
    *out = read(*recorder);
    return S_OK;
}
} // namespace

STDMETHODIMP CYVEXControl::get_OleUndoManager(IUnknown** pVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        return ReadRecorder(GetUndoRecorder(), pVal, [](CUndoRecorder& recorder) -> IUnknown* {
            IOleUndoManager* manager = recorder.GetManager();
            if (manager)
                manager->AddRef();
            return manager;
        });
    });
}

STDMETHODIMP CYVEXControl::put_OleUndoManager(IUnknown* newVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        CUndoRecorder* recorder = GetUndoRecorder();
        if (!recorder)
            return E_POINTER;
        // An object that is no undo manager (or none) leaves the control without one: nothing is
        // recorded then.
        ycom::ComPtr<IOleUndoManager> manager;
        if (newVal) {
            const HRESULT hr = newVal->QueryInterface(IID_IOleUndoManager, manager.PutVoid());
            if (FAILED(hr) && hr != E_NOINTERFACE)
                return hr;
        }
        recorder->SetManager(manager.Get());
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_UndoEnabled(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        return ReadRecorder(GetUndoRecorder(), pVal, [](CUndoRecorder& recorder) -> VARIANT_BOOL {
            return recorder.GetSuspendCount() < 1 ? VARIANT_TRUE : VARIANT_FALSE;
        });
    });
}

STDMETHODIMP CYVEXControl::put_UndoEnabled(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        CUndoRecorder* recorder = GetUndoRecorder();
        if (!recorder)
            return E_POINTER;
        // Switching off counts: it takes as many switches on to record again.
        if (!newVal) {
            recorder->Suspend();
            return S_OK;
        }
        if (recorder->GetSuspendCount() < 1)
            return S_FALSE;
        if (!recorder->GetManager())
            return E_INVALIDARG;
        recorder->Resume();
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_QueueMaxLength(LONG* pVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        return ReadRecorder(GetUndoRecorder(), pVal,
                            [](CUndoRecorder& recorder) { return recorder.GetQueueMaxLength(); });
    });
}

STDMETHODIMP CYVEXControl::put_QueueMaxLength(LONG newVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        CUndoRecorder* recorder = GetUndoRecorder();
        if (!recorder)
            return E_POINTER;
        recorder->SetQueueMaxLength(newVal);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::get_LastOperation(YVEXOperation* pVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        return ReadRecorder(GetUndoRecorder(), pVal,
                            [](CUndoRecorder& recorder) {
                                return static_cast<YVEXOperation>(recorder.GetLastOperation());
                            });
    });
}

STDMETHODIMP CYVEXControl::get_OpenedOperation(YVEXOperation* pVal)
{
    return ycom::Guard(IID_IYVEXUndo, [&]() -> HRESULT {
        return ReadRecorder(GetUndoRecorder(), pVal,
                            [](CUndoRecorder& recorder) {
                                return static_cast<YVEXOperation>(recorder.GetPendingOperation());
                            });
    });
}
