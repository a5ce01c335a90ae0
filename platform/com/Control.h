#pragma once
// The windowed ActiveX control base: embedding (IOleObject), in-place activation with a
// child window of the container (IOleInPlaceObject, IOleInPlaceActiveObject), drawing for the
// container (IViewObjectEx), IOleControl, IQuickActivate, a small IDataObject (advise only),
// ISpecifyPropertyPages and IObjectSafety, plus persistence of the property map through
// IPersistStreamInit and IPersistStorage.
//
// The control class T derives from ControlBase<T> (and from ObjectRoot, its dual interface,
// a connection-point container and IProvideClassInfo2), and provides:
//     static const CLSID& ClassId();                  (DECLARE_CLASS_ID)
//     static const wchar_t* WindowClassName();
//     static const PropertyEntry* PropertyMap();       (BEGIN_PROPERTY_MAP)
//     BOOL ProcessWindowMessage(...);                  (BEGIN_MSG_MAP, chaining to ControlBase<T>)
// and may redeclare the hooks OnDraw, SaveContent, LoadContent and InitNewContent. Its
// FinalRelease calls DestroyControl() so that the window goes before the object.
// The control is window-only: it always creates its own window when activated in place.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <objsafe.h>
#include <vector>
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/MessageMap.h"
#include "com/Module.h"
#include "com/Owners.h"
#include "com/PropertyMap.h"

namespace ycom {

// HIMETRIC (0.01 mm) and screen pixels at the screen's resolution.
SIZEL PixelsToHimetric(SIZE pixels);
SIZE HimetricToPixels(SIZEL himetric);

template <class T>
class PersistStreamInitImpl : public IPersistStreamInit {
public:
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        return Guard(IID_IPersistStreamInit, [&]() -> HRESULT {
            if (!clsid)
                return E_POINTER;
            *clsid = T::ClassId();
            return S_OK;
        });
    }
    STDMETHODIMP IsDirty() override
    {
        return Guard(IID_IPersistStreamInit, [&]() -> HRESULT { return Self()->IsDirtyState() ? S_OK : S_FALSE; });
    }
    STDMETHODIMP Load(IStream* stream) override
    {
        return Guard(IID_IPersistStreamInit, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(stream);
            const HRESULT loaded = Self()->LoadFromStream(stream);
            RETURN_IF_FAILED(loaded);
            // Only a load that ran makes the control the stream's: another success code (nothing
            // done) is no load, and the container must not take it for one.
            if (loaded != S_OK)
                return E_FAIL;
            Self()->SetDirtyState(false);
            return S_OK;
        });
    }
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override
    {
        return Guard(IID_IPersistStreamInit, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(stream);
            const HRESULT saved = Self()->SaveToStream(stream);
            RETURN_IF_FAILED(saved);
            // A success code other than S_OK wrote nothing whole: the changes are not saved.
            if (saved != S_OK)
                return E_FAIL;
            if (clearDirty)
                Self()->SetDirtyState(false);
            return S_OK;
        });
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override
    {
        return Guard(IID_IPersistStreamInit, [&]() -> HRESULT { return Self()->InitNewContent(); });
    }

private:
    T* Self() { return static_cast<T*>(this); }
};

// Persistence into a storage: the same content as the stream form, in the stream "Contents".
template <class T>
class PersistStorageImpl : public IPersistStorage {
public:
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        return Guard(IID_IPersistStorage, [&]() -> HRESULT {
            if (!clsid)
                return E_POINTER;
            *clsid = T::ClassId();
            return S_OK;
        });
    }
    STDMETHODIMP IsDirty() override
    {
        return Guard(IID_IPersistStorage, [&]() -> HRESULT { return Self()->IsDirtyState() ? S_OK : S_FALSE; });
    }
    STDMETHODIMP InitNew(IStorage* storage) override
    {
        return Guard(IID_IPersistStorage, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(storage);
            return Self()->InitNewContent();
        });
    }
    STDMETHODIMP Load(IStorage* storage) override
    {
        return Guard(IID_IPersistStorage, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(storage);
            ComPtr<IStream> stream;
            RETURN_IF_FAILED(
                storage->OpenStream(kStreamName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put()));
            const HRESULT loaded = Self()->LoadFromStream(stream.Get());
            RETURN_IF_FAILED(loaded);
            if (loaded != S_OK)
                return E_FAIL;
            Self()->SetDirtyState(false);
            return S_OK;
        });
    }
    STDMETHODIMP Save(IStorage* storage, BOOL) override
    {
        return Guard(IID_IPersistStorage, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(storage);
            ComPtr<IStream> stream;
            RETURN_IF_FAILED(storage->CreateStream(kStreamName, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                                   stream.Put()));
            const HRESULT saved = Self()->SaveToStream(stream.Get());
            // Not S_OK: nothing whole was written, and SaveCompleted must not follow as if it were.
            return saved == S_OK || FAILED(saved) ? saved : E_FAIL;
        });
    }
    STDMETHODIMP SaveCompleted(IStorage*) override
    {
        return Guard(IID_IPersistStorage, [&]() -> HRESULT {
            Self()->SetDirtyState(false);
            return S_OK;
        });
    }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }

private:
    static constexpr const wchar_t* kStreamName = L"Contents";
    T* Self() { return static_cast<T*>(this); }
};

template <class T, DWORD kSafetyOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA>
class ControlBase : public IOleControl,
                    public IOleObject,
                    public IOleInPlaceActiveObject,
                    public IOleInPlaceObjectWindowless,
                    public IViewObjectEx,
                    public IQuickActivate,
                    public IDataObject,
                    public ISpecifyPropertyPages,
                    public IObjectSafety,
                    public PersistStreamInitImpl<T>,
                    public PersistStorageImpl<T> {
public:
    ControlBase() = default;
    ~ControlBase()
    {
        // The class's FinalRelease normally destroyed the window; never let a late message
        // reach a half-destroyed object.
        if (m_hWnd) {
            SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
            DestroyWindow(m_hWnd);
        }
    }

    HWND WindowHandle() const { return m_hWnd; }
    bool IsInPlaceActive() const { return m_inPlaceActive; }
    bool AreEventsFrozen() const { return m_freezeEvents > 0; }
    const SIZEL& Extent() const { return m_sizeExtent; }

    // ---- hooks with defaults (T may redeclare) ----
    // Paints the control into `dc` within `bounds` (window painting and IViewObject::Draw).
    HRESULT OnDraw(HDC dc, const RECT& bounds)
    {
        FillRect(dc, &bounds, GetSysColorBrush(COLOR_WINDOW));
        return S_OK;
    }
    HRESULT SaveContent(IStream*) { return S_OK; }
    HRESULT LoadContent(IStream*) { return S_OK; }
    HRESULT InitNewContent() { return S_OK; }

    // ---- persistence plumbing used by the persistence interfaces ----
    bool IsDirtyState() const { return m_requiresSave; }
    void SetDirtyState(bool dirty) { m_requiresSave = dirty; }
    HRESULT SaveToStream(IStream* stream)
    {
        T* self = Self();
        RETURN_IF_FAILED(SavePropertyMap(stream, T::PropertyMap(), self, self->GetControllingUnknown()));
        return self->SaveContent(stream);
    }
    HRESULT LoadFromStream(IStream* stream)
    {
        T* self = Self();
        RETURN_IF_FAILED(LoadPropertyMap(stream, T::PropertyMap(), self, self->GetControllingUnknown()));
        return self->LoadContent(stream);
    }

    // Asks for a repaint: the window when there is one, else the container's view sink.
    void FireViewChange()
    {
        if (m_inPlaceActive && m_hWnd)
            InvalidateRect(m_hWnd, nullptr, TRUE);
        else if (m_viewSink)
            m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
    }

    // Destroys the window and lets go of the container; called from the class's FinalRelease.
    void DestroyControl()
    {
        if (m_inPlaceActive)
            InPlaceDeactivate();
        if (m_hWnd) {
            DestroyWindow(m_hWnd);
            m_hWnd = nullptr;
        }
        m_inPlaceSite.Reset();
        m_frame.Reset();
        m_uiWindow.Reset();
        m_clientSite.Reset();
        m_oleAdvise.Reset();
        m_dataAdvise.Reset();
        m_viewSink.Reset();
    }

    // ---- the default message map: painting ----
    BEGIN_MSG_MAP(ControlBase)
        MESSAGE_HANDLER(WM_PAINT, OnPaintMessage)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

    LRESULT OnPaintMessage(UINT, WPARAM, LPARAM, BOOL&)
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        RECT client;
        GetClientRect(m_hWnd, &client);
        if (dc)
            Self()->OnDraw(dc, client);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    // The whole client area is painted by OnDraw.
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }

    // ---- IOleWindow ----
    STDMETHODIMP GetWindow(HWND* wnd) override
    {
        return Guard(IID_IOleWindow, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(wnd);
            *wnd = m_hWnd;
            return m_hWnd ? S_OK : E_FAIL;
        });
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // ---- IOleControl ----
    STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL freeze) override
    {
        return Guard(IID_IOleControl, [&]() -> HRESULT {
            if (freeze)
                ++m_freezeEvents;
            else if (m_freezeEvents > 0)
                --m_freezeEvents;
            return S_OK;
        });
    }

    // ---- IOleObject ----
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            m_clientSite = site;
            if (!site)
                m_inPlaceSite.Reset();
            return S_OK;
        });
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT { return m_clientSite.CopyTo(site); });
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            if (m_inPlaceActive)
                InPlaceDeactivate();
            if (m_hWnd) {
                DestroyWindow(m_hWnd);
                m_hWnd = nullptr;
            }
            if (m_clientSite && m_requiresSave &&
                (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
                m_clientSite->SaveObject();
                if (m_oleAdvise)
                    m_oleAdvise->SendOnSave();
            }
            m_inPlaceSite.Reset();
            if (m_oleAdvise)
                m_oleAdvise->SendOnClose();
            return S_OK;
        });
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent, LPCRECT posRect) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            if (activeSite && !m_clientSite)
                m_clientSite = activeSite;
            switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_SHOW:
            case OLEIVERB_UIACTIVATE:
                return InPlaceActivate(OLEIVERB_UIACTIVATE, parent, posRect);
            case OLEIVERB_INPLACEACTIVATE:
                return InPlaceActivate(OLEIVERB_INPLACEACTIVATE, parent, posRect);
            case OLEIVERB_HIDE:
                UIDeactivate();
                if (m_hWnd)
                    ShowWindow(m_hWnd, SW_HIDE);
                return S_OK;
            case OLEIVERB_PROPERTIES:
                return ShowPropertyFrame(parent);
            default:
                if (verb > 0) {
                    const HRESULT hr = InPlaceActivate(OLEIVERB_UIACTIVATE, parent, posRect);
                    return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
                }
                return E_NOTIMPL;
            }
        });
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(verbs);
            return OleRegEnumVerbs(T::ClassId(), verbs);
        });
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(clsid);
            *clsid = T::ClassId();
            return S_OK;
        });
    }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT { return OleRegGetUserType(T::ClassId(), form, type); });
    }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(size);
            if (aspect != DVASPECT_CONTENT)
                return DV_E_DVASPECT;
            if (size->cx != m_sizeExtent.cx || size->cy != m_sizeExtent.cy) {
                m_sizeExtent = *size;
                m_requiresSave = true;
                FireViewChange();
            }
            return S_OK;
        });
    }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(size);
            if (aspect != DVASPECT_CONTENT)
                return DV_E_DVASPECT;
            *size = m_sizeExtent;
            return S_OK;
        });
    }
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            if (!m_oleAdvise)
                RETURN_IF_FAILED(CreateOleAdviseHolder(m_oleAdvise.Put()));
            return m_oleAdvise->Advise(sink, cookie);
        });
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            return m_oleAdvise ? m_oleAdvise->Unadvise(cookie) : OLE_E_NOCONNECTION;
        });
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(out);
            *out = nullptr;
            return m_oleAdvise ? m_oleAdvise->EnumAdvise(out) : E_FAIL;
        });
    }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override
    {
        return Guard(IID_IOleObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(status);
            return OleRegGetMiscStatus(T::ClassId(), aspect, status);
        });
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleInPlaceObject ----
    STDMETHODIMP InPlaceDeactivate() override
    {
        return Guard(IID_IOleInPlaceObject, [&]() -> HRESULT {
            if (!m_inPlaceActive)
                return S_OK;
            if (m_uiActive)
                UIDeactivate();
            m_inPlaceActive = false;
            if (m_hWnd) {
                DestroyWindow(m_hWnd);
                m_hWnd = nullptr;
            }
            if (m_inPlaceSite)
                m_inPlaceSite->OnInPlaceDeactivate();
            m_frame.Reset();
            m_uiWindow.Reset();
            return S_OK;
        });
    }
    STDMETHODIMP UIDeactivate() override
    {
        return Guard(IID_IOleInPlaceObject, [&]() -> HRESULT {
            if (!m_uiActive)
                return S_OK;
            m_uiActive = false;
            if (m_frame)
                m_frame->SetActiveObject(nullptr, nullptr);
            if (m_uiWindow)
                m_uiWindow->SetActiveObject(nullptr, nullptr);
            if (m_inPlaceSite)
                m_inPlaceSite->OnUIDeactivate(FALSE);
            return S_OK;
        });
    }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override
    {
        return Guard(IID_IOleInPlaceObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pos);
            m_rcPos = *pos;
            if (m_hWnd)
                SetWindowPos(m_hWnd, nullptr, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            return S_OK;
        });
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    // IOleInPlaceObjectWindowless: the control always has a window of its own.
    STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
    STDMETHODIMP GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }

    // ---- IOleInPlaceActiveObject ----
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // ---- IViewObject, IViewObject2, IViewObjectEx ----
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_OPAQUE && aspect != DVASPECT_TRANSPARENT)
                return DV_E_DVASPECT;
            if (!dc)
                return E_INVALIDARG;
            RECT rect;
            if (bounds) {
                rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
            } else if (m_inPlaceActive) {
                rect = m_rcPos;
            } else {
                return E_INVALIDARG;
            }
            return Self()->OnDraw(dc, rect);
        });
    }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            m_viewSink = sink;
            m_viewAspects = aspects;
            m_viewAdvf = advf;
            if (sink && (advf & ADVF_PRIMEFIRST))
                sink->OnViewChange(DVASPECT_CONTENT, -1);
            return S_OK;
        });
    }
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            if (aspects)
                *aspects = m_viewAspects;
            if (advf)
                *advf = m_viewAdvf;
            if (sink)
                return m_viewSink.CopyTo(sink);
            return S_OK;
        });
    }
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            return GetExtent(aspect, size);
        });
    }
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(rect);
            if (aspect != DVASPECT_CONTENT)
                return DV_E_DVASPECT;
            *rect = {m_rcPos.left, m_rcPos.top, m_rcPos.right, m_rcPos.bottom};
            return S_OK;
        });
    }
    STDMETHODIMP GetViewStatus(DWORD* status) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(status);
            *status = VIEWSTATUS_SOLIDBKGND | VIEWSTATUS_OPAQUE;
            return S_OK;
        });
    }
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT pt, LONG, DWORD* result) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            if (!bounds || !result)
                return E_POINTER;
            if (aspect != DVASPECT_CONTENT)
                return E_FAIL;
            *result = PtInRect(bounds, pt) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
            return S_OK;
        });
    }
    STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT loc, LONG, DWORD* result) override
    {
        return Guard(IID_IViewObjectEx, [&]() -> HRESULT {
            if (!bounds || !loc || !result)
                return E_POINTER;
            if (aspect != DVASPECT_CONTENT)
                return E_FAIL;
            RECT overlap;
            *result = IntersectRect(&overlap, bounds, loc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
            return S_OK;
        });
    }
    STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override
    {
        return E_NOTIMPL;
    }

    // ---- IQuickActivate ----
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override
    {
        return Guard(IID_IQuickActivate, [&]() -> HRESULT {
            if (!container || !control)
                return E_POINTER;
            if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
                return E_INVALIDARG;
            SetClientSite(container->pClientSite);
            if (container->pAdviseSink)
                SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
            control->dwEventCookie = 0;
            if (container->pUnkEventSink)
                AdviseDefaultSource(container->pUnkEventSink, &control->dwEventCookie);
            control->dwPropNotifyCookie = 0;
            GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
            GetViewStatus(&control->dwViewStatus);
            control->dwPointerActivationPolicy = 0;
            return S_OK;
        });
    }
    STDMETHODIMP SetContentExtent(LPSIZEL size) override
    {
        return Guard(IID_IQuickActivate, [&]() -> HRESULT { return SetExtent(DVASPECT_CONTENT, size); });
    }
    STDMETHODIMP GetContentExtent(LPSIZEL size) override
    {
        return Guard(IID_IQuickActivate, [&]() -> HRESULT { return GetExtent(DVASPECT_CONTENT, size); });
    }

    // ---- IDataObject: the container's data advise connections only ----
    STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        return Guard(IID_IDataObject, [&]() -> HRESULT {
            if (out)
                out->ptd = nullptr;
            return E_NOTIMPL;
        });
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* cookie) override
    {
        return Guard(IID_IDataObject, [&]() -> HRESULT {
            if (!m_dataAdvise)
                RETURN_IF_FAILED(CreateDataAdviseHolder(m_dataAdvise.Put()));
            return m_dataAdvise->Advise(static_cast<IDataObject*>(this), format, advf, sink, cookie);
        });
    }
    STDMETHODIMP DUnadvise(DWORD cookie) override
    {
        return Guard(IID_IDataObject, [&]() -> HRESULT {
            return m_dataAdvise ? m_dataAdvise->Unadvise(cookie) : OLE_E_NOCONNECTION;
        });
    }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override
    {
        return Guard(IID_IDataObject, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(out);
            *out = nullptr;
            return m_dataAdvise ? m_dataAdvise->EnumAdvise(out) : E_FAIL;
        });
    }

    // ---- ISpecifyPropertyPages: the pages named in the property map ----
    STDMETHODIMP GetPages(CAUUID* pages) override
    {
        return Guard(IID_ISpecifyPropertyPages, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pages);
            std::vector<GUID> found = PageIds();
            pages->cElems = 0;
            pages->pElems = nullptr;
            if (found.empty())
                return S_OK;
            pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(found.size() * sizeof(GUID)));
            RETURN_IF_NULL_ALLOC(pages->pElems);
            for (size_t i = 0; i < found.size(); ++i)
                pages->pElems[i] = found[i];
            pages->cElems = static_cast<ULONG>(found.size());
            return S_OK;
        });
    }

    // ---- IObjectSafety ----
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override
    {
        return Guard(IID_IObjectSafety, [&]() -> HRESULT {
            if (!supported || !enabled)
                return E_POINTER;
            ComPtr<IUnknown> probe;
            if (FAILED(Self()->GetControllingUnknown()->QueryInterface(iid, probe.PutVoid()))) {
                *supported = *enabled = 0;
                return E_NOINTERFACE;
            }
            *supported = kSafetyOptions;
            *enabled = m_safety;
            return S_OK;
        });
    }
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override
    {
        return Guard(IID_IObjectSafety, [&]() -> HRESULT {
            ComPtr<IUnknown> probe;
            if (FAILED(Self()->GetControllingUnknown()->QueryInterface(iid, probe.PutVoid())))
                return E_NOINTERFACE;
            if (mask & ~kSafetyOptions)
                return E_FAIL;
            m_safety = (m_safety & ~mask) | (enabled & mask);
            return S_OK;
        });
    }

protected:
    // In-place activation: the container's in-place site gives the parent window and the
    // position; the control creates its child window there. UI activation also tells the
    // frame that this object is the active one.
    HRESULT InPlaceActivate(LONG verb, HWND parentHint, LPCRECT posHint)
    {
        if (!m_clientSite)
            return S_OK;
        if (!m_inPlaceActive) {
            if (!m_inPlaceSite)
                m_clientSite->QueryInterface(IID_IOleInPlaceSite, m_inPlaceSite.PutVoid());
            if (!m_inPlaceSite)
                return E_FAIL;
            if (m_inPlaceSite->CanInPlaceActivate() != S_OK)
                return E_FAIL;
            m_inPlaceActive = true;
            m_inPlaceSite->OnInPlaceActivate();

            HWND parent = nullptr;
            if (FAILED(m_inPlaceSite->GetWindow(&parent)) || !parent)
                parent = parentHint;
            RECT pos = {}, clip = {};
            OLEINPLACEFRAMEINFO frameInfo = {};
            frameInfo.cb = sizeof(frameInfo);
            m_frame.Reset();
            m_uiWindow.Reset();
            if (FAILED(m_inPlaceSite->GetWindowContext(m_frame.Put(), m_uiWindow.Put(), &pos, &clip, &frameInfo))) {
                if (posHint)
                    pos = *posHint;
                else if (parent)
                    GetClientRect(parent, &pos);
            }
            if (!parent) {
                m_inPlaceActive = false;
                m_inPlaceSite->OnInPlaceDeactivate();
                return E_FAIL;
            }
            if (!m_hWnd) {
                if (!CreateControlWindow(parent, pos)) {
                    m_inPlaceActive = false;
                    m_inPlaceSite->OnInPlaceDeactivate();
                    return E_FAIL;
                }
            } else {
                SetParent(m_hWnd, parent);
            }
            SetObjectRects(&pos, &clip);
            ShowWindow(m_hWnd, SW_SHOWNA);
        }
        if (verb == OLEIVERB_UIACTIVATE && !m_uiActive) {
            m_uiActive = true;
            m_inPlaceSite->OnUIActivate();
            auto* active = static_cast<IOleInPlaceActiveObject*>(this);
            if (m_frame)
                m_frame->SetActiveObject(active, nullptr);
            if (m_uiWindow)
                m_uiWindow->SetActiveObject(active, nullptr);
            if (m_frame)
                m_frame->SetBorderSpace(nullptr);
            if (m_uiWindow)
                m_uiWindow->SetBorderSpace(nullptr);
        }
        m_clientSite->ShowObject();
        return S_OK;
    }

    HWND m_hWnd = nullptr;
    // Extent in HIMETRIC (two inches by two until the container sets it).
    SIZEL m_sizeExtent = {5080, 5080};
    RECT m_rcPos = {};
    bool m_requiresSave = false;

private:
    T* Self() { return static_cast<T*>(this); }

    bool CreateControlWindow(HWND parent, const RECT& pos)
    {
        const wchar_t* name = T::WindowClassName();
        if (!TheModule().RegisterWindowClass(name, &ControlBase::WindowProc, CS_DBLCLKS, nullptr))
            return false;
        HWND wnd = CreateWindowExW(0, name, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, pos.left, pos.top,
                                   pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                                   TheModule().Instance(), static_cast<ControlBase*>(this));
        return wnd != nullptr && m_hWnd == wnd;
    }

    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        ControlBase* self;
        if (msg == WM_NCCREATE) {
            self = static_cast<ControlBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->m_hWnd = wnd;
        } else {
            self = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        }
        if (!self)
            return DefWindowProcW(wnd, msg, wParam, lParam);
        LRESULT result = 0;
        if (self->Self()->ProcessWindowMessage(wnd, msg, wParam, lParam, result))
            return result;
        result = DefWindowProcW(wnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
            if (self->m_hWnd == wnd)
                self->m_hWnd = nullptr;
        }
        return result;
    }

    HRESULT AdviseDefaultSource(IUnknown* sink, DWORD* cookie)
    {
        IUnknown* unk = Self()->GetControllingUnknown();
        ComPtr<IProvideClassInfo2> info;
        ComPtr<IConnectionPointContainer> container;
        RETURN_IF_FAILED(unk->QueryInterface(IID_IProvideClassInfo2, info.PutVoid()));
        RETURN_IF_FAILED(unk->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()));
        IID source;
        RETURN_IF_FAILED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
        ComPtr<IConnectionPoint> point;
        RETURN_IF_FAILED(container->FindConnectionPoint(source, point.Put()));
        return point->Advise(sink, cookie);
    }

    std::vector<GUID> PageIds() const
    {
        std::vector<GUID> ids;
        for (const PropertyEntry* e = T::PropertyMap(); e->kind != PropertyEntry::End; ++e) {
            if (e->kind != PropertyEntry::Page || !e->page)
                continue;
            bool seen = false;
            for (const GUID& g : ids)
                seen = seen || g == *e->page;
            if (!seen)
                ids.push_back(*e->page);
        }
        return ids;
    }

    HRESULT ShowPropertyFrame(HWND parent)
    {
        std::vector<GUID> pages = PageIds();
        if (pages.empty())
            return S_OK;
        IUnknown* unk = Self()->GetControllingUnknown();
        return OleCreatePropertyFrame(parent, 0, 0, nullptr, 1, &unk, static_cast<ULONG>(pages.size()), pages.data(),
                                      LOCALE_USER_DEFAULT, 0, nullptr);
    }

    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    ComPtr<IOleInPlaceFrame> m_frame;
    ComPtr<IOleInPlaceUIWindow> m_uiWindow;
    ComPtr<IOleAdviseHolder> m_oleAdvise;
    ComPtr<IDataAdviseHolder> m_dataAdvise;
    ComPtr<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewAdvf = 0;
    bool m_inPlaceActive = false;
    bool m_uiActive = false;
    LONG m_freezeEvents = 0;
    DWORD m_safety = 0;
};

} // namespace ycom
