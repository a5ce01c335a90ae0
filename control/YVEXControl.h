#pragma once
// The drafting control: the ActiveX control that a host places in its window. This class is the
// COM object with its window, its events and its inner objects; the drawing, the view and the
// editing machinery grow into it.
#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include "com/ComObject.h"
#include "com/ConnectionPoints.h"
#include "com/Control.h"
#include "com/Dispatch.h"
#include "com/LiveObjects.h"
#include "com/PropertyMap.h"
#include "YVEX_h.h"
#include "control/ControlCore.h"

// The model side of the control (containers, current view and setting, edit state, the services
// the shapes call) is its CControlCore base.
class CYVEXControl : public CControlCore,
                     public ycom::ObjectRoot,
                     public ycom::DispatchImpl<IYVEXControl, &IID_IYVEXControl>,
                     public ycom::ControlBase<CYVEXControl>,
                     public ycom::ProvideClassInfo2Impl<&CLSID_YVEXControl, &DIID__IYVEXControlEvents>,
                     public ycom::ConnectionPointContainerImpl,
                     public IPrint,
                     public IPersistFile,
                     public ycom::DispatchImpl<IDTCio, &IID_IDTCio>,
                     public ycom::DispatchImpl<IYVEXUndo, &IID_IYVEXUndo>,
                     public ycom::SupportErrorInfoImpl<&IID_IYVEXControl, &IID_IDTCio, &IID_IYVEXUndo> {
public:
    DECLARE_CLASS_ID(CLSID_YVEXControl)
    static const wchar_t* WindowClassName() { return L"YVEXControl"; }

    // Query order: the control's own interfaces, then those answered by its inner objects. The
    // DataIO object's IDTCio is never reached: the control's own stands earlier.
    BEGIN_INTERFACE_MAP(CYVEXControl)
        INTERFACE_ENTRY(IYVEXControl)
        INTERFACE_ENTRY2(IDispatch, IYVEXControl)
        INTERFACE_ENTRY(IViewObjectEx)
        INTERFACE_ENTRY2(IViewObject2, IViewObjectEx)
        INTERFACE_ENTRY2(IViewObject, IViewObjectEx)
        INTERFACE_ENTRY(IOleInPlaceObjectWindowless)
        INTERFACE_ENTRY2(IOleInPlaceObject, IOleInPlaceObjectWindowless)
        INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObjectWindowless)
        INTERFACE_ENTRY(IOleInPlaceActiveObject)
        INTERFACE_ENTRY(IOleControl)
        INTERFACE_ENTRY(IOleObject)
        INTERFACE_ENTRY(IPersistStreamInit)
        INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
        INTERFACE_ENTRY(ISpecifyPropertyPages)
        INTERFACE_ENTRY(IQuickActivate)
        INTERFACE_ENTRY(IPersistStorage)
        INTERFACE_ENTRY(IDataObject)
        INTERFACE_ENTRY2(IProvideClassInfo, IProvideClassInfo2)
        INTERFACE_ENTRY(IProvideClassInfo2)
        INTERFACE_ENTRY(IConnectionPointContainer)
        INTERFACE_ENTRY(IPrint)
        INTERFACE_ENTRY(IPersistFile)
        INTERFACE_ENTRY(IDTCio)
        INTERFACE_ENTRY(IObjectSafety)
        INTERFACE_ENTRY(IYVEXUndo)
        INTERFACE_ENTRY_AGGREGATE(IID_ISite, m_innerSite)
        INTERFACE_ENTRY_AGGREGATE(IID_IMessenger, m_innerMessenger)
        INTERFACE_ENTRY_AGGREGATE(IID_IDXFOperations, m_innerDXFOperations)
        INTERFACE_ENTRY_AGGREGATE(IID_IPersistDB, m_innerPersistDB)
        INTERFACE_ENTRY_AGGREGATE(IID_IPersistWeb, m_innerPersistWeb)
        INTERFACE_ENTRY_AGGREGATE(IID_IDataIO, m_innerDataIO)
        INTERFACE_ENTRY_AGGREGATE(IID_IDTCio, m_innerDataIO)
        INTERFACE_ENTRY_AGGREGATE(IID_IYVEXPrint, m_innerPrint)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // What the container persists: the extent, then properties read and written through the
    // control's and the inner site's dispatch interfaces.
    BEGIN_PROPERTY_MAP(CYVEXControl)
        PROPERTY_DATA(L"_cx", m_sizeExtent.cx, VT_UI4)
        PROPERTY_DATA(L"_cy", m_sizeExtent.cy, VT_UI4)
        PROPERTY_PAGE(CLSID_GeneralPropPage)
        PROPERTY_ENTRY(L"Enabled", 51, IID_IYVEXControl)
        PROPERTY_ENTRY(L"SelectTopmostShape", 24, IID_ISite)
        PROPERTY_ENTRY(L"UnitID", 22, IID_ISite)
        PROPERTY_ENTRY(L"LinePatternScale", 11, IID_ISite)
        PROPERTY_ENTRY(L"Measurement", 10, IID_ISite)
        PROPERTY_ENTRY(L"ImageScale", 12, IID_ISite)
        PROPERTY_ENTRY(L"DraftLeft", 2, IID_ISite)
        PROPERTY_ENTRY(L"DraftTop", 3, IID_ISite)
        PROPERTY_ENTRY(L"DraftRight", 4, IID_ISite)
        PROPERTY_ENTRY(L"DraftBottom", 5, IID_ISite)
        PROPERTY_ENTRY(L"GridLeft", 6, IID_ISite)
        PROPERTY_ENTRY(L"GridTop", 7, IID_ISite)
        PROPERTY_ENTRY(L"GridRight", 8, IID_ISite)
        PROPERTY_ENTRY(L"GridBottom", 9, IID_ISite)
    END_PROPERTY_MAP()

    BEGIN_MSG_MAP(CYVEXControl)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        CHAIN_MSG_MAP(ycom::ControlBase<CYVEXControl>)
    END_MSG_MAP()

    CYVEXControl();
    ~CYVEXControl();
    HRESULT FinalConstruct();
    void FinalRelease();

    // The live control whose handle (address) a client passed as a number, or null.
    static CYVEXControl* FromHandle(LONG_PTR handle) { return ycom::LiveObjects<CYVEXControl>::Find(handle); }
    LONG_PTR Handle() const { return ycom::LiveObjects<CYVEXControl>::HandleOf(this); }
    // The attachment of the hidden members that take a control (_Init, _YVEXControl): 0 gives
    // null (detach), a live control's handle gives that control; any other number is refused
    // with the error "Wrong identifier." and E_INVALIDARG, and *control is left alone.
    static HRESULT ResolveHandle(LONG_PTR handle, CYVEXControl** control);

    // Events. Every firing site tests EventsEnabled() first, except the stage events of the
    // long operations, which are fired whatever FireEvents says.
    bool EventsEnabled() const override { return m_fireEvents != VARIANT_FALSE; }
    void SetEventsEnabled(bool on) override { m_fireEvents = on ? VARIANT_TRUE : VARIANT_FALSE; }
    HWND GetControlWindow() const override { return m_hWnd; }
    // OnBringShapeToFront / OnSendShapeToBack with a proceed flag that starts true.
    bool FireBringShapeToFront(int shapeId) override;
    bool FireSendShapeToBack(int shapeId) override;
    bool FireAddPoint(int pointId) override;
    bool FireDeletePoint(int pointId) override;
    // Delivers an event to every connected sink; `args` in reverse order, as Invoke takes them.
    void FireEvent(DISPID id, VARIANTARG* args, UINT count) { m_events.Fire(id, args, count); }
    void FireInvalidateToolbar(LONG changeID);
    // Kills and restarts timer 101, whose expiry tells the host to refresh its toolbar: a burst
    // of changes gives one notification. Periods below 10 ms mean 100 ms.
    void RestartRedrawTimer(UINT period) override;

    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    // IYVEXControl
    STDMETHODIMP Copy() override;
    STDMETHODIMP Paste() override;
    STDMETHODIMP Cut() override;
    STDMETHODIMP get_FireEvents(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_FireEvents(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_RootID(LONG *pVal) override;
    STDMETHODIMP put_RootID(LONG newVal) override;
    STDMETHODIMP Zoom(float k) override;
    STDMETHODIMP EditShape(LONG ShapID, EditShapeTypes EditType, LONG lParam) override;
    STDMETHODIMP EditShapeEx(LONG ShapeID, EditShapeTypes EditType, LONG Flags, LONG lParam) override;
    STDMETHODIMP get_ZoomK(float *pVal) override;
    STDMETHODIMP get_progress(LONG *pVal) override;
    STDMETHODIMP EndDraw(VARIANT_BOOL bEndDraw, VARIANT_BOOL *pResult) override;
    STDMETHODIMP get_ContextMenu(IMenuCollection **pVal) override;
    STDMETHODIMP Redraw(RedrawFlags Flags) override;
    STDMETHODIMP DPtoWCS(float *px, float *py) override;
    STDMETHODIMP WCStoDP(float *px, float *py) override;
    STDMETHODIMP PrintSite() override;
    STDMETHODIMP LocateShape(LONG ShapeID) override;
    STDMETHODIMP EnableDefaultShape(ShapeTypes ShapeType, VARIANT_BOOL bEnable) override;
    STDMETHODIMP IsDefaultShapeEnabled(ShapeTypes ShapeType, VARIANT_BOOL *bEnabled) override;
    STDMETHODIMP ZoomWindow(VARIANT_BOOL bUser, float X0, float Y0, float X1, float Y1) override;
    STDMETHODIMP DisplayOptions(OptionsPageIndex page) override;
    STDMETHODIMP get_EnableDBImages(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_EnableDBImages(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_LastError(LONG *pVal) override;
    STDMETHODIMP get_Site(ISite **pVal) override;
    STDMETHODIMP DrawShape(LONG GroupID, LONG ShapeType, LONG Param) override;
    STDMETHODIMP DrawImage(LONG GroupID, LONG resourceID, VARIANT_BOOL FixSize) override;
    STDMETHODIMP DrawImageFromDB(LONG GroupID, LONG resourceDBID, VARIANT_BOOL FixSize) override;
    STDMETHODIMP get_TextEditorName(BSTR *pVal) override;
    STDMETHODIMP put_TextEditorName(BSTR newVal) override;
    STDMETHODIMP get_PersistDB(IPersistDB **pVal) override;
    STDMETHODIMP get_DXFOperations(IDXFOperations **pVal) override;
    STDMETHODIMP get_Messenger(IMessenger **pVal) override;
    STDMETHODIMP get_PersistWeb(IPersistWeb **pVal) override;
    STDMETHODIMP ZoomAll() override;
    STDMETHODIMP get_LastErrorMessage(BSTR *pVal) override;
    STDMETHODIMP CompleteEditingBlock() override;
    STDMETHODIMP GroupShapes(LONG ShapeID, VARIANT_BOOL bUser, LONG *pVal) override;
    STDMETHODIMP UnGroupShapes(LONG ShapeID, VARIANT_BOOL bUser) override;
    STDMETHODIMP ShapeProperties(VARIANT_BOOL bDisplay) override;
    STDMETHODIMP ZoomShape(LONG ShapeID, float Scale) override;
    STDMETHODIMP get_LockDraftLimits(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_LockDraftLimits(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_DataIO(IDataIO **pVal) override;
    STDMETHODIMP ZoomPrevious(LONG lParam) override;
    STDMETHODIMP get_DTCio(IDTCio **pVal) override;
    STDMETHODIMP get_YVEXPrint(IYVEXPrint **pVal) override;
    STDMETHODIMP get_RedrawEnabled(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_RedrawEnabled(VARIANT_BOOL newVal) override;
    STDMETHODIMP CanPaste(VARIANT_BOOL *pVal) override;

    // IPrint
    STDMETHODIMP SetInitialPageNum(LONG firstPage) override;
    STDMETHODIMP GetPageInfo(LONG* firstPage, LONG* pages) override;
    STDMETHODIMP Print(DWORD flags, DVTARGETDEVICE** device, PAGESET** pageSet, STGMEDIUM* options,
                       IContinueCallback* callback, LONG firstPage, LONG* pagesPrinted, LONG* lastPage) override;

    // IPersist, shared by IPersistStreamInit, IPersistStorage and IPersistFile; IsDirty likewise.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    // IPersistFile
    STDMETHODIMP Load(LPCOLESTR fileName, DWORD mode) override;
    STDMETHODIMP Save(LPCOLESTR fileName, BOOL remember) override;
    STDMETHODIMP SaveCompleted(LPCOLESTR fileName) override;
    STDMETHODIMP GetCurFile(LPOLESTR* fileName) override;

    // IDTCio
    STDMETHODIMP LoadDTC(LONG_PTR pYVEXBuffer, LONG lParam, LONG wParam) override;
    STDMETHODIMP SaveDTC(LONG lParam, LONG wParam, LONG_PTR *pYVEXBuffer) override;
    STDMETHODIMP ReleaseDTC(LONG_PTR pYVEXBuffer) override;

    // IYVEXUndo
    STDMETHODIMP get_OleUndoManager(IUnknown **pVal) override;
    STDMETHODIMP put_OleUndoManager(IUnknown *newVal) override;
    STDMETHODIMP get_UndoEnabled(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_UndoEnabled(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_QueueMaxLength(LONG *pVal) override;
    STDMETHODIMP put_QueueMaxLength(LONG newVal) override;
    STDMETHODIMP get_LastOperation(YVEXOperation *pVal) override;
    STDMETHODIMP get_OpenedOperation(YVEXOperation *pVal) override;

private:
    // Timer whose expiry fires OnInvalidateToolbar.
    static constexpr UINT_PTR kRedrawTimer = 101;

    ycom::ConnectionPoint m_events;
    VARIANT_BOOL m_fireEvents = VARIANT_TRUE;

    // The inner objects of the aggregate: their non-delegating IUnknown and the interface the
    // control uses (whose reference was given back to the control at creation).
    IUnknown* m_innerMessenger = nullptr;
    IUnknown* m_innerSite = nullptr;
    IUnknown* m_innerPersistDB = nullptr;
    IUnknown* m_innerDXFOperations = nullptr;
    IUnknown* m_innerPersistWeb = nullptr;
    IUnknown* m_innerDataIO = nullptr;
    IUnknown* m_innerPrint = nullptr;
    IMessenger* m_messenger = nullptr;
    ISite* m_site = nullptr;
    IPersistDB* m_persistDB = nullptr;
    IDXFOperations* m_dxfOperations = nullptr;
    IPersistWeb* m_persistWeb = nullptr;
    IDataIO* m_dataIO = nullptr;
    IYVEXPrint* m_print = nullptr;
};
