#pragma once
// The drafting control: the ActiveX control that a host places in its window. This class is the
// COM object with its window, its events and its inner objects; the drawing, the view and the
// editing machinery grow into it.
#include <windows.h>
#include <ole2.h>
#include <commdlg.h>
#include <docobj.h>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "com/ComObject.h"
#include "com/ConnectionPoints.h"
#include "com/Control.h"
#include "com/Dispatch.h"
#include "com/LiveObjects.h"
#include "com/PropertyMap.h"
#include "YVEX_h.h"
#include "control/ControlCore.h"
#include "control/InPlaceEdit.h"
#include "control/OffscreenBuffer.h"
#include "control/OptionsDialog.h"
#include "control/VerticesDialog.h"
#include "control/PropertiesDialog.h"
#include "control/PlainWindow.h"
#include "control/PrintDialogRecord.h"
#include "control/ScrollSupport.h"

// The model side of the control (containers, current view and setting, edit state, the services
// the shapes call) is its CControlCore base.
class CText;
class CImageResource;

class CYVEXControl : public CControlCore,
                     public CScrollSupport,
                     public ycom::ObjectRoot,
                     public ycom::DispatchImpl<IYVEXControl, &IID_IYVEXControl>,
                     public ycom::ControlBase<CYVEXControl>,
                     public ycom::ProvideClassInfo2Impl<&CLSID_YVEXControl, &DIID__IYVEXControlEvents>,
                     public ycom::ConnectionPointContainerImpl,
                     public IPrint,
                     public IPersistFile,
                     public ycom::DispatchImpl<IDTCio, &IID_IDTCio>,
                     public ycom::DispatchImpl<IYVEXUndo, &IID_IYVEXUndo>,
                     public ycom::SupportErrorInfoImpl<&IID_IYVEXControl, &IID_IDTCio, &IID_IYVEXUndo>,
                     public IYVEXControlInternal {
    // The web load announces its stages as the site operations do.
    friend class CPersistWeb;
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
        // The control itself, for its property page inside this module (no methods of its own).
        INTERFACE_ENTRY(IYVEXControlInternal)
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

    // The window's messages, in order of evaluation (the first entry whose message and condition
    // match calls its handler; a handler that clears `bHandled` lets the message go on).
    BEGIN_MSG_MAP(CYVEXControl)
        COMMAND_ID_CODE_HANDLER(kBlockButtonId, 0, HandleBlockButtonCommand)
        MESSAGE_HANDLER(WM_LBUTTONUP, HandleLButtonUp)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, HandleLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, HandleMouseMove)
        MESSAGE_HANDLER(WM_SIZE, HandleSize)
        MESSAGE_HANDLER(WM_VSCROLL, HandleVScroll)
        MESSAGE_HANDLER(WM_HSCROLL, HandleHScroll)
        MESSAGE_HANDLER(WM_USER + 2, HandleInPlaceEditDone)
        MESSAGE_HANDLER(WM_USER + 102, HandleCurrentLayerChanged)
        MESSAGE_HANDLER(WM_KILLFOCUS, HandleKillFocus)
        MESSAGE_HANDLER(WM_SETFOCUS, HandleSetFocus)
        MESSAGE_HANDLER(WM_PAINT, OnPaintMessage)
        DEFAULT_REFLECTION_HANDLER()
        // Reached by sizing and scrolling only when the handlers above let the message go on.
        CHAIN_MSG_MAP(CScrollSupport)
        MESSAGE_HANDLER(WM_CREATE, HandleCreate)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, HandleRButtonDown)
        MESSAGE_HANDLER(WM_RBUTTONUP, HandleRButtonUp)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, HandleLButtonDblClk)
        MESSAGE_HANDLER(WM_SETCURSOR, HandleSetCursor)
        MESSAGE_HANDLER(WM_SHOWWINDOW, HandleSwallow)
        MESSAGE_HANDLER(WM_KEYDOWN, HandleKeyDown)
        MESSAGE_HANDLER(WM_SYSKEYDOWN, HandleSysKeyDown)
        MESSAGE_HANDLER(WM_ACTIVATE, HandleActivate)
        MESSAGE_HANDLER(WM_WINDOWPOSCHANGING, HandleSwallow)
        MESSAGE_HANDLER(WM_ERASEBKGND, HandleEraseBkgnd)
        MESSAGE_HANDLER(WM_TIMER, HandleTimerMessage)
        MESSAGE_HANDLER(WM_MOUSELEAVE, HandleMouseLeave)
        MESSAGE_HANDLER(kProgressMessage, HandleProgressMessage)
        MESSAGE_HANDLER(kReopenOptionsMessage, HandleReopenOptions)
        MESSAGE_HANDLER(kSitePersistMessage, HandleSitePersistNotify)
        MESSAGE_HANDLER(kDeferredTransferMessage, HandleDeferredSiteTransfer)
        MESSAGE_HANDLER(kChangeMessage, HandleChangeMessage)
        MESSAGE_HANDLER(WM_DESTROY, HandleDestroy)
        MESSAGE_HANDLER(WM_DISPLAYCHANGE, HandleDisplayChange)
        NOTIFY_ID_CODE_HANDLER(kInPlaceEditId, -106, HandleInPlaceEditNotify)
        MESSAGE_HANDLER(WM_USER + 101, HandleDestroyEditWindows)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, HandleMouseWheel)
    END_MSG_MAP()

    // Private window messages: a worker's stage (wParam, with a CSiteOperationRecord* in lParam),
    // a progress percentage, a deferred drawing load (the file name in lParam), reopening the
    // Options sheet.
    static constexpr UINT kSitePersistMessage = WM_USER + 33;
    static constexpr UINT kProgressMessage = WM_USER + 210;
    static constexpr UINT kDeferredTransferMessage = WM_USER + 220;
    static constexpr UINT kReopenOptionsMessage = WM_USER + 230;
    // A change that another session made, read by the messenger's receive thread and applied by
    // the window's thread: wParam the message type (1 update, 2 delete), lParam the shape's
    // database ID.
    static constexpr UINT kChangeMessage = WM_USER + 240;
    // Child windows: the rulers, the block-editing button, the in-place text editor.
    static constexpr int kHorizontalRulerId = 100;
    static constexpr int kVerticalRulerId = 102;
    static constexpr int kBlockButtonId = 304;
    static constexpr int kInPlaceEditId = 340;
    // The pixels the rulers take along the top and the left edge.
    static constexpr int kRulerThickness = 24;
    static constexpr int kRulerOffset = 23;

    CYVEXControl();
    ~CYVEXControl();
    HRESULT FinalConstruct();
    void FinalRelease();
    // The unit table from the type library's Units enum (final construction).
    HRESULT LoadUnitTable();

    // The control behind its internal interface (answered only inside this module), or null.
    static CYVEXControl* FromInternal(IYVEXControlInternal* internal) { return static_cast<CYVEXControl*>(internal); }
    // The live control whose handle (address) a client passed as a number, or null.
    static CYVEXControl* FromHandle(LONG_PTR handle) { return ycom::LiveObjects<CYVEXControl>::Find(handle); }
    LONG_PTR Handle() const { return ycom::LiveObjects<CYVEXControl>::HandleOf(this); }
    // The attachment of the hidden members that take a control (_Init, _YVEXControl): 0 gives
    // null (detach), a live control's handle gives that control; any other number is refused
    // with the error "Wrong identifier." and E_INVALIDARG, and *control is left alone.
    static HRESULT ResolveHandle(LONG_PTR handle, CYVEXControl** control);
    // The attachment of a forwarder object (_YVEXControl). One that is a part of the control
    // (aggregated, `outer` set) must not keep it alive; one of its own, as the control's getters
    // hand them out or a host makes them, holds a reference in `keepAlive`, so that it never
    // calls into a control that is gone. Detaching drops the reference.
    static HRESULT AttachForwarder(LONG_PTR handle, IUnknown* outer, CYVEXControl** control,
                                   ycom::ComPtr<IUnknown>* keepAlive);

    // ---- events to the host (ControlEvents.cpp) ----
    // One firing method per event of _IYVEXControlEvents. Each fires only while FireEvents is
    // set, except the stage events of the long operations (begin and end of loading, saving and
    // deleting a site), which are fired whatever FireEvents says. A method with a proceed flag
    // answers the flag as the last sink left it (its low 16 bits; 0 is a veto), true when nothing
    // was fired. By-reference values come back as the sinks left them.
    bool EventsEnabled() const override { return m_fireEvents != VARIANT_FALSE; }
    void SetEventsEnabled(bool on) override { m_fireEvents = on ? VARIANT_TRUE : VARIANT_FALSE; }
    HWND GetControlWindow() const override { return m_hWnd; }
    // Delivers an event to every connected sink; `args` in reverse order, as Invoke takes them.
    void FireEvent(DISPID id, VARIANTARG* args, UINT count);
    void FireMouseMove(LONG flags, float x, float y);
    void FireLButtonDown(LONG flags, float x, float y);
    void FireLButtonUp(LONG flags, float x, float y);
    bool FireAddPoint(int pointId) override;
    bool FireAddShape(LONG shapeId);
    bool FireDeleteShape(LONG shapeId) override;
    bool FireDeletePoint(int pointId) override;
    bool FireShiftPoint(LONG pointId);
    bool FireScaleShape(LONG shapeId, float* xc, float* yc, float* kx, float* ky);
    bool FireShiftShape(LONG pointId, float* dx, float* dy);
    bool FireChangeParent(LONG parentId, LONG shapeId);
    void FireChangeSelection() override;
    bool FireLinkPoint(LONG shapeId, LONG pointId);
    bool FireUnlinkPoint(LONG shapeId, LONG pointId);
    bool FireBeginDraw(LONG shapeId);
    bool FireEndDraw(LONG shapeId);
    bool FireBeginEditShape(LONG shapeId, LONG editType) override;
    bool FireEndEditShape(LONG shapeId);
    void FireRButtonUp(LONG flags, float x, float y);
    void FireProgress(LONG percentage);
    void FireHitShape(LONG shapeId, float x, float y, LONG key);
    bool FireContextMenuShow(float* x, float* y);
    void FireContextMenuCommand(LONG itemId);
    bool FireCancel() override;
    void FireRButtonDown(LONG flags, float x, float y);
    bool FireAddViewport(LONG newViewportId, LONG sourceViewportId);
    bool FireDeleteViewport(LONG viewportId);
    bool FireEditViewport(LONG viewportId);
    bool FireSetCurrentViewport(LONG sourceViewportId);
    bool FireCopyViewport(LONG destViewportId, LONG sourceViewportId);
    bool FireSetCurrentLayer(LONG layerId);
    // Stage events: the begin events take the worker's proceed flag, set to TRUE first and left
    // as the host answered.
    void FireBeginLoadSite(LONG storageType, BSTR name, LONG siteId, BOOL* proceed);
    void FireEndLoadSite(bool result);
    void FireBeginSaveSite(LONG storageType, BSTR name, LONG siteId, BOOL* proceed);
    void FireEndSaveSite(bool result);
    bool FireAddDrawingSetting(LONG newSettingId, LONG sourceSettingId);
    bool FireDeleteDrawingSetting(LONG settingId);
    bool FireEditDrawingSetting(LONG settingId);
    bool FireSetCurrentDrawingSetting(LONG sourceSettingId);
    bool FireCopyDrawingSetting(LONG destSettingId, LONG sourceSettingId);
    bool FireEditSite(LONG siteId);
    void FireBeginDeleteSite(LONG siteId, BOOL* proceed);
    void FireEndDeleteSite(bool result);
    bool FireBringShapeToFront(int shapeId) override;
    bool FireSendShapeToBack(int shapeId) override;
    bool FireUpdateReferences(LONG blockId, LONG updateType);
    void FireLButtonDblClick(LONG flags, float x, float y);
    bool FireSwitchRootID(LONG newRootId);
    bool FireDeleteImageResourceFromDB(LONG databaseId);
    void FireDeletedImageResourceFromDB(LONG databaseId);
    void FireInvalidateToolbar(LONG changeID);
    bool FireDeleteImageResource(LONG imageResourceId);
    void FireEndDeleteSiteWithID(LONG siteId, bool result, LONG storageType, BSTR name);
    void FireEndLoadSiteWithID(bool result, LONG storageType, BSTR name, LONG siteId);
    void FireEndSaveSiteWithID(bool result, LONG storageType, BSTR name, LONG siteId);
    bool FireCopySuccessful();
    bool FirePasteSuccessful();
    bool FireResetAttributeProperties(LONG shapeId, LONG propertiesMask);
    void FireControlReady(LONG lastOperation);

    // Kills and restarts timer 101, whose expiry tells the host to refresh its toolbar: a burst
    // of changes gives one notification. Periods below 10 ms mean 100 ms.
    void RestartRedrawTimer(UINT period) override;

    // ---- zoom and redraw (ControlZoom.cpp) ----
    // Why the rectangle WINDOW_ID is drawn: a print area for PrintSite, the zoom window, a
    // rubber-band selection, a print area for the print object.
    enum RectanglePurpose { kRectanglePrintSite = 1, kRectangleZoom = 2, kRectangleSelect = 3, kRectanglePrintObject = 4 };
    int GetRectanglePurpose() const { return m_rectanglePurpose; }
    void SetRectanglePurpose(int purpose) { m_rectanglePurpose = purpose; }
    // Shows a world rectangle whole, centred, when it is a valid view and the window has a size.
    void ZoomToRect(const CWorldRect& rect);
    // Starts the rectangle the user drags to zoom; false when nothing started (or the host
    // refused OnBeginDraw).
    bool BeginZoomWindow();
    // The draft limits take in a point (isPoint) or a shape of that ID, unless they are locked;
    // the host may refuse the growth (OnEditSite). The scroll ranges follow.
    void GrowDraftLimits(int id, bool isPoint);
    // A redraw request: the flags replace the pending ones, except that a pending rfRedrawAll
    // stays until a paint consumes it. With a target shape only its area (united with `area`)
    // and a margin is repainted, else the whole window; at once, when there is a window.
    void RequestRedraw(DWORD flags, CShape* target) override;
    void RequestRedrawArea(DWORD flags, CShape* target, const CRealRect* area);
    // The count of Zoom calls in this process.
    static LONG GetViewChangeCounter();
    // The cursor of the running interactive operation (a cursor resource of the module).
    void SetEditCursor(int resourceId);

    // ---- clipboard (ControlClipboard.cpp) ----
    // Whether Paste would find something: the own format while the root is an enabled group, or
    // another format of the table while a layer of "Layers" is enabled and visible.
    bool CanPasteNow();
    // Deletes the paste item (miPaste) from the menu when nothing can be pasted; whether something
    // can.
    bool PrunePasteItem(HMENU menu);
    // Whether the host wants pictures kept in the database (EnableDBImages).
    bool AreDatabaseImagesEnabled() const { return m_databaseImages != 0; }

    // ---- interactive editing (ControlEditing.cpp) ----
    // Starts an interactive operation of an EditShapeTypes type on a shape (the Selection group
    // stands for every selected shape): a running one is cancelled first, the undo operation of
    // the type is opened, OnBeginEditShape may refuse, a tracker copy keeps the old state. 1 when
    // started (or, for the immediate types, done), 0 when refused, or an HRESULT failure.
    // `flags` are EditShapeFlags.
    int StartEditShape(CShape* shape, int editType, int lParam, int flags) override;
    // The same with the anchor (world) of a move, or, for a point edit of the Selection with
    // EDFLG_MULTIPLE_POINTS, the picked point index of each selected shape by its ID.
    int StartEditShapeAt(CShape* shape, int editType, int lParam, int flags, const CRealPoint* anchor,
                         const std::map<int, int>* points);
    // The quiet entry of bulk operations: no events and no cursor. False for a null shape or one
    // that is not enabled (unless editType is EDSH_BLOCK), and when a running operation would not
    // end.
    bool EnterEditMode(CShape* shape, int editType, bool withTracker, bool recordUndo);
    // Ends the running operation: commit finishes it, otherwise it is cancelled; closeUndo closes
    // the undo operation its start opened. False when nothing runs, when the shape still collects
    // points (a commit), or when the host refuses the cancel (OnCancel).
    bool EndInteractiveOperation(bool commit, bool closeUndo);
    void EndInteractiveOperation(bool commit) override { EndInteractiveOperation(commit, true); }
    // ControlStates of the running operation.
    DWORD GetControlState() const { return GetEditState().controlState; }
    // The zoom window is being drawn to zoom.
    bool IsZoomingByWindow() const { return IsZoomWindowRunning(); }
    // The cursor of drawing a shape kind becomes the edit cursor.
    void SetDrawCursor(int shapeType);
    // While an edit runs, the edit cursor (when one is loaded), else the default cursor.
    HCURSOR GetEditCursor() const;
    // While snapping moves the pointer during an edit (not of the zoom window), the edit cursor is
    // drawn at the snapped point: the system cursor is hidden then.
    void DrawEditCursor(HDC dc);

    // ---- mouse (ControlMouse.cpp) ----
    // The pointer at a device position: the last and previous device positions and the world
    // position (snapped to the grid while an edit other than the zoom window runs and the
    // setting snaps; the snapped mark is redrawn when it moved).
    void TrackPointer(int x, int y);
    // The selection from the shapes the last pick hit: without Ctrl at the press the selection
    // starts empty; a shape that cannot be selected by itself gives its first selectable parent.
    void SelectMarkedShapes();
    POINT GetMousePosition() const { return m_mouse; }

    // ---- context menus (ControlMenus.cpp) ----
    // What TrackContextMenu answers for a menu shown and closed without a command (0: none shown).
    static constexpr UINT kMenuShownNoCommand = 0xFFFFFFFF;
    // The continue item of the block-editing popup, which has no name among the menu items.
    static constexpr UINT kMenuContinue = 33028;
    // The right button's menu at a world point: the edit menu during an edit, the selection
    // menu over a selection, else the canvas menu.
    void ShowContextMenuAt(const CRealPoint& world);
    void ShowCanvasMenu(const CRealPoint& world);
    // The edit menu, carrying out its command; the command chosen.
    UINT ShowEditMenu(const CRealPoint& world);
    // The selection menu, pruned for one selected shape; the command chosen and, for a block
    // reference, its ID in *extra.
    UINT ShowSelectionMenu(bool editable, const CRealPoint& world, int* extra);
    // The commands shared by every menu.
    HRESULT ExecuteMenuCommand(UINT command, int extra);
    // The selection menu's commands that start an edit of the selection or of its one shape;
    // false for any other command.
    bool ExecuteEditCommand(UINT command);
    // The menu being shown (null when none) and where its point was.
    HMENU GetShownContextMenu() const { return m_contextMenu; }
    POINT GetContextMenuPoint() const { return m_contextMenuPoint; }
    // The user may change the drawing: the control accepts edits and its root is enabled.
    bool IsDrawingEditable();
    // A block of the library is being edited in place.
    bool IsBlockEditing() const;
    // The data source of the control's database object (empty without one).
    std::wstring GetDataSourceName() const;

    // ---- points and the whole drawing by ID (ShapeOperationsById.cpp) ----
    // A new pool point at (*x, *y) into *pointId, the draft limits grown to take it in.
    using CControlCore::CreatePoint;
    virtual HRESULT CreatePoint(float* x, float* y, LONG* pointId);
    // The shape follows (stops following) a pool point, after OnLinkPoint (OnUnlinkPoint). S_FALSE
    // when it already does (does not) and on a veto; "Shape not found.", "Point not found.".
    virtual HRESULT LinkPoint(int shapeId, int pointId);
    virtual HRESULT UnlinkPoint(int shapeId, int pointId);
    // A point leaves a rectangle, polyline or polygon, recorded as opShapePoint while other
    // shapes hold it, else opDelete. S_FALSE while a long operation runs, when the shape does not
    // hold the point or nothing was removed.
    virtual HRESULT DeletePolylinePoint(int shapeId, int pointId);
    virtual HRESULT DeletePolygonPoint(int shapeId, int pointId);
    // A pool point joins a rectangle, polyline or polygon before the 1-based index (beyond the
    // end: last), as one undo operation committed when it went in. S_FALSE when the shape holds
    // the point already; "Shape not found.", "Point not found.", "Shape is not a polyline.".
    virtual HRESULT AddPolylinePoint(int shapeId, int pointId, int index);
    // The same inside whatever undo operation the caller has open: the point is recorded as it
    // stands after the insertion, and no operation of its own is opened.
    virtual HRESULT AddPolylinePointNoUndo(int shapeId, int pointId, int index);
    // A new pool point at (x, y) joins a rectangle, polyline or polygon before the 1-based index,
    // as one undo operation (opCreate); its ID into *pointId. A point the shape refuses is deleted
    // again and the operation closed uncommitted, with the refusal's result. The draft limits take
    // the point in; with redraw they also grow for the shape and the window is redrawn at once.
    virtual HRESULT AddPolylinePointAt(int shapeId, int index, float x, float y, LONG* pointId, bool redraw);
    // The same through AddPolylinePointNoUndo.
    virtual HRESULT AddPolylinePointAtNoUndo(int shapeId, int index, float x, float y, LONG* pointId, bool redraw);
    // A shape moves into another group (which takes it from its old parent), recorded
    // (opRelations) in an undo operation of its own, after OnChangeParent; a veto puts it back
    // and leaves the history as it was (S_FALSE). "Shape not found.", "Shape is not a group."; a group that refuses the shape
    // answers 1.
    virtual HRESULT ChangeParent(LONG newParentId, LONG shapeId);
    // Moves a pool point after OnShiftPoint; the shapes linked to it follow. When one refuses
    // the point goes back and the answer is E_ACCESSDENIED.
    virtual HRESULT ShiftPoint(int pointId, float* dx, float* dy);
    // Every pool point moved (scaled about (xc, yc)) as one undo operation, after OnShiftShape
    // (OnScaleShape) for the whole drawing, whose handler may change the values.
    virtual HRESULT ShiftDrawing(float* dx, float* dy);
    virtual HRESULT ScaleDrawing(float* xc, float* yc, float* kx, float* ky);
    // The point pool and the shape map in one message box (a diagnostic).
    virtual HRESULT DumpMaps();

    // ---- keyboard, timers, the end of an in-place edit (ControlKeys.cpp) ----
    // Ends an in-place text edit: with a text the edited text shape of that ID takes it and the
    // edit is committed (the old text comes back when the commit is refused); without one the
    // edit is cancelled. TRUE.
    BOOL CommitInPlaceText(const char* text, int shapeId);
    // Shows the cursor of the running operation (or the default one) again.
    void RestoreEditCursor();
    // The properties window exists and is shown.
    bool IsPropertiesDialogVisible() const;
    // A shown properties window takes the Selection again (after a change of the selection or of
    // the selected shapes); ClearPropertiesDialog shows it the placeholder row instead.
    void RefreshPropertiesDialog();
    void ClearPropertiesDialog() override;
    // Hides a shown properties window for an operation that replaces shapes; true when it was shown.
    // The window then waits to be shown again (ShowPropertiesAgain).
    bool HidePropertiesDialog();
    // Shows the properties window again on the Selection when it is shown, or waits after
    // HidePropertiesDialog; true when it did.
    bool ShowPropertiesAgain();
    // The properties window while it exists, else null.
    HWND GetPropertiesWindow() const;

    // ---- creation with the mouse and nudging (InteractiveCreation.cpp) ----
    // DrawShape's body: a new shape of the kind (a copy of the kind's prototype when the host
    // enabled it) starts EDSH_NEWPOINT in the group, after OnBeginDraw (a veto takes it back:
    // S_FALSE). S_FALSE while the control takes no edits, for a hidden, locked or missing current
    // layer and for a target that is no enabled group; "Shape not found." without the target.
    HRESULT BeginDrawShape(LONG groupId, LONG shapeType, LONG param, LONG* newId);
    // DrawImage's body: a new image of the resource placed at the pointer.
    HRESULT BeginPlaceImage(LONG groupId, LONG resourceId, bool fixSize, LONG* newId);
    // The arrow keys move the edited shape (in a move, point or scale edit) or the selection.
    bool CanNudge();
    // Moves by (dx, dy) steps (exactly one of them non-zero): one grid cell when the grid snaps or
    // shows cells of 15 pixels or more, else a round fraction of the view's size. Without an edit
    // the selection moves and the move is committed at once. False when nothing moved.
    bool Nudge(int dx, int dy);
    // The nudge step along an axis, in world units.
    double NudgeStep(bool horizontal);
    // The point-entry mode (2: free-hand polylines and placed images).
    int GetPointEntryMode() const { return m_pointEntryMode; }
    void SetPointEntryMode(int mode) { m_pointEntryMode = mode; }

    // ---- current layer, drawing setting and view; rulers (CurrentSettings.cpp) ----
    // The current layer (null or anything else: none), recorded for undo, posted to the window.
    void SetCurrentLayer(CLayer* layer) override;
    // A drawing setting copied into the current one (which keeps its name "CURRENT" and its own
    // ID, the key of its place among the settings) after OnSetCurrentDrawingSetting, recorded for
    // undo, the rulers as it says; false when refused.
    bool SetCurrentDrawingSetting(CDrawingSettingRecord* setting) override;
    // A viewport copied into the current view (with its drawing setting) after
    // OnSetCurrentViewport, keeping this window's client area; scroll bars and rulers follow.
    // False when refused.
    bool SetCurrentViewport(CViewportRecord* viewport) override;
    // After a load or a clear: the views recomputed for the window, the core's settings, the
    // rulers as the current setting says.
    void ApplySiteSettings() override;
    // After a load or a clear: block editing left (with leaveBlocks) quietly, then the core's
    // reinitialisation.
    int ReinitializeDrawing(bool clearSite, bool clearLayer, bool leaveBlocks) override;
    // Shows or hides both rulers and their corner.
    void ShowRulers(bool show);

    // ---- grouping (Grouping.cpp) ----
    // Groups the selection (or one shape) into a new group standing where its members stood,
    // with OnBeginDraw, OnChangeParent and OnEndDraw while the user does it (a refusal at the end
    // takes the group apart again: S_FALSE). The new group's ID into *newId.
    HRESULT GroupShapesCore(CShape* shape, bool user, LONG* newId);
    // Takes a group (or reference, or the selected ones) apart: the children go to its parent,
    // the empty group goes (or, with `gathered`, its ID is left there for the caller to delete).
    HRESULT UnGroupShapesCore(CShape* shape, bool user, std::set<int>* gathered);

    // ---- passes over the drawing after a DXF load (BulkPasses.cpp) ----
    // Points linked again as the file's extended data linked them (LinkPoint); the reader's maps
    // are emptied. S_OK.
    HRESULT RelinkDxfPoints() override;
    // Every shape the file carried as an approximation (a polygon for an image or an ellipse) is
    // replaced by the shape rebuilt from the program's data, under the same ID and in the same
    // place; kept shapes whose drawing shape is gone are dropped. S_OK.
    HRESULT RestoreDxfApproximations() override;
    // A resource's block (made by converting its metafile picture; a block that has gone since is
    // forgotten) named as the resource; with `replace` every image showing the resource (but the
    // prototype) becomes a reference to the block covering the image's rectangle, in its place
    // and in the selection where it was, and the image goes. *blockId: the block, 0 for none.
    // E_ACCESSDENIED when the resource holds no picture.
    HRESULT ConvertImageResourceToBlock(CImageResource* resource, bool replace, LONG* blockId);
    int MakeBlockOfImageResource(int resourceId) override;
    // The images of the list showing metafile pictures become references to their pictures'
    // blocks. E_UNEXPECTED for an empty list.
    HRESULT ConvertImagesToBlocks(const std::vector<int>& imageIds);
    // Before a DXF file is written, when the image-handling word asks for it (bit 0x2): the
    // visible images through ConvertImagesToBlocks. 0 when nothing was to be done.
    HRESULT ConvertVisibleImages() override;
    // One image replaced by a reference to the block (see ConvertImageResourceToBlock).
    HRESULT ReplaceImageByReference(CImage* image, CGroup* block);
    // The reference's block extent stretched over the rectangle, each axis on its own, its
    // left-top corner on the rectangle's.
    void FitReferenceToRect(CShape* reference, float left, float top, float right, float bottom);
    bool PlaceImageAsReference(CShape* image) override;

    // ---- small services (ControlServices.cpp) ----
    // The source-site table of the shape map: the site a stored shape came from (-1 none).
    int GetSourceSiteOfShape(int shapeId);
    int GetSourceSite(int databaseShapeId);
    void SetSourceSite(int databaseShapeId, int siteId);
    // The shapes of a hatch pattern: without a set, whether there is one; with one, all of them.
    bool FindShapesByHatchPattern(int patternId, std::set<int>* ids);
    // The shapes (of the set, or all) of the old pattern take the new one; whether any changed.
    bool ReplaceHatchPattern(int oldId, int newId, const std::set<int>* ids);
    // The default text's font ("Arial" for none or an empty name).
    void SetDefaultFontName(const char* name);
    int GetSelectionCount() const;
    // The marker of an unset float (3.4028235e38); E_INVALIDARG for null.
    static HRESULT GetBadFloatValue(float* value);
    // The persistence interfaces' modified test: whether the control is dirty.
    HRESULT IsModifiedAsVariant(VARIANT_BOOL* modified);

    // ---- block editing (BlockEditing.cpp) ----
    // The set-up of an EDSH_BLOCK edit: the view goes into the block (a reference stands for its
    // block unless lParam is 1), one level deeper, after OnSwitchRootID; the first level shows the
    // button that leaves it. On the drawing itself the user would pick a block by name: without
    // the block-name dialog nothing is picked (OnCancel). 1 entered or refused by the host, 0 none.
    int BeginBlockEditing(CShape* shape, int lParam);
    // Leaves one level: references updated, the view and the root of that level back. A level
    // whose group is gone is dropped and the next one left.
    void LeaveBlockEditing();
    // ISite::CreateBlock: a new block of the library named `name` from copies of the shape (or of
    // the selection, -1), its ID into *blockId; with `replace` the source gives way to a reference
    // to the block at the pick point (FLT_MAX: the block's corner). Without a name the user would
    // be asked: without the name dialog that counts as cancelled (S_OK, nothing made). A copy
    // that fails takes the block away again (*blockId 0).
    HRESULT CreateBlock(const wchar_t* name, LONG* blockId, LONG shapeId, LONG* newReferenceId, float pickX,
                        float pickY, bool replace);
    // Moves the base point of a group (a reference: of its block) by (x, y) in the mode of
    // CShape::GetAlignedPosition, as one undoable move announced to the host (OnBeginEditShape
    // and OnEndEditShape with events on; a refusal of either leaves the group as it was and
    // answers S_FALSE). When the group is the root the view follows, so the picture keeps its
    // place. E_INVALIDARG for anything but a group.
    HRESULT MoveGroupBasePoint(CShape* shape, float x, float y, int mode);
    int GetBlockEditingDepth() const { return static_cast<int>(m_blockLevels.size()); }
    HWND GetBlockButton() const { return m_blockButton; }
    const std::string& GetBlockTooltipText() const { return m_blockTooltipText; }

    // ---- the in-place text editor (ControlTextEditor.cpp) ----
    // An editor over a plain text (1); a rich text goes to its own editor (0).
    int StartTextEditor(CShape* text) override;
    // A rich text edited in its own editor (the text shape's) as the edit target, so that the
    // edit is not announced again; the editor has ended on return, with nothing left edited.
    // 1 when the text was changed.
    int EditRichText(CShape* text);
    // Destroys the editor windows and objects; whether there were any.
    bool HandleDestroyEditWindows();
    // Has the editor open now destroyed once the thread's messages are next handled (an editor
    // opened before then stays).
    void CloseTextEditorLater();
    // While `shape` (or a shape inside it) is the text being edited: redraws it and lays the
    // editor over it again, or with `restart` commits and starts editing it anew.
    bool RefreshTextEditor(CShape* shape, bool restart);
    // Where the editor goes over a text (client pixels) and, for a plain text, its font.
    bool GetTextEditorLayout(CShape* text, RECT* rect, CTextEditorFont* font);
    // The plain editor, while one is open (null otherwise).
    CInPlaceEdit* GetInPlaceEdit() const { return m_inPlaceEdit.get(); }

    // ---- window (ControlWindow.cpp) ----
    // The site changed since it was last saved: the control's requires-save state follows.
    void SetModified(bool on = true) override;
    // Shows or hides the ruler windows (and their corner) the control has made.
    void ShowRulerWindows(bool show);
    // Operations by ID through which the shape collections build the drawing. The simple kinds
    // create their points and the shape, put it into the group by Z order, grow the draft limits
    // and record the creation for undo; no event. E_POINTER without a group.
    virtual HRESULT AddLine(CGroup* group, float x1, float y1, float x2, float y2, LONG* shapeId);
    virtual HRESULT AddPolyline(CGroup* group, float x1, float y1, float x2, float y2, LONG* shapeId);
    // The same open two-point polyline as AddPolyline.
    virtual HRESULT AddPolygon(CGroup* group, float x1, float y1, float x2, float y2, LONG* shapeId);
    virtual HRESULT AddRectangle(CGroup* group, float left, float upper, float right, float bottom, LONG* shapeId);
    // The curves, on their centre: the radius as the major axis's length (along x when it has
    // none), the arc's angles as given; the ellipse's minor ratio taken positive.
    virtual HRESULT AddArc(CGroup* group, float centerX, float centerY, float radius, float startAngle, float endAngle,
                           LONG* shapeId);
    virtual HRESULT AddCircle(CGroup* group, float centerX, float centerY, float radius, LONG* shapeId);
    virtual HRESULT AddEllipse(CGroup* group, float centerX, float centerY, float majorRadius, float minorRatio,
                               float majorAngle, float startAngle, float endAngle, LONG* shapeId);
    // A new group (only ShapeTypes stGroup: "Wrong shape type.") or layer under `parent`, after
    // OnAddShape, whose veto takes it out again (S_FALSE, ID 0).
    virtual HRESULT AddGroup(CGroup* parent, LONG shapeType, LONG* shapeId);
    virtual HRESULT AddLayer(CGroup* parent, const wchar_t* name, LONG* shapeId);
    // A text at (x, y) of a TextTypes type, one undo operation; a rich text without a width gets
    // one estimated from its measured lines. No event.
    virtual HRESULT AddText(CGroup* group, const wchar_t* text, float x, float y, int type, float width, float height,
                            LONG alignment, float rotationAngle, float xScale, LONG* shapeId);
    // An image of a resource of the map (FixSize: its natural size, fitted into a non-zero box
    // keeping its aspect), after OnAddShape, whose veto takes it out again (S_FALSE, ID 0).
    HRESULT AddImageShape(CGroup* group, int resourceId, float x1, float y1, float width, float height, bool fixSize,
                          LONG* shapeId);
    // An image of a picture file (loaded at the current drawing setting's image scale), or of
    // encoded picture bytes; "Resource not found." when there is no picture.
    virtual HRESULT AddImage(CGroup* group, const wchar_t* fileName, float x1, float y1, float width, float height,
                             bool fixSize, LONG* shapeId);
    virtual HRESULT AddImageFromData(CGroup* group, const void* data, size_t size, float x1, float y1, float width,
                                     float height, bool fixSize, LONG* shapeId);
    // An image of a picture stored in the database (its imageResources row, read on a connection
    // of its own with the control's data source, user and password; the resource already present
    // when it is the same picture), with x2 and y2 as width and height. One undo operation holds
    // the new resource and the image. "Resource not found." when no picture came; a failing
    // connection's result as it came.
    virtual HRESULT AddImageFromDB(CGroup* group, LONG resourceDbId, float x1, float y1, float x2, float y2,
                                   bool fixSize, LONG* shapeId);
    // Reads one stored picture into the image resource map on a connection of its own (the
    // control's data source, user and password), disconnecting after. *resource (in: the map's
    // resource to refresh, or null) is the map's resource; the map's result (0 new, 1 present
    // already or unchanged, S_FALSE no row) or the failure.
    HRESULT LoadImageResourceFromDB(int databaseId, CImageResource** resource);
    // Connects a session of the caller's with the control's data source, user and password: S_OK,
    // or the connection's failure (reported as error info).
    HRESULT ConnectOwnSession(COdbcSession& session);
    // A copy of a shape in the group, after OnAddShape (veto: S_FALSE, ID 0).
    virtual HRESULT AddClone(CGroup* group, LONG shapeToCopyId, LONG* shapeId);
    // Copies of a group's children in the group (and with select in the selection), their links
    // among each other carried over; one undo operation, no event.
    virtual HRESULT AddChildrenClones(CGroup* group, LONG shapeToCopyId, bool select);
    // AddGroup, AddClone and AddChildrenClones with the group given by its shape ID ("Shape not
    // found.", "Shape is not a group." for anything but a group or a layer).
    virtual HRESULT AddGroupByID(LONG parentId, LONG shapeType, LONG* shapeId);
    virtual HRESULT AddCloneByID(LONG groupId, LONG shapeToCopyId, LONG* shapeId);
    virtual HRESULT AddChildrenClonesByID(LONG groupId, LONG shapeToCopyId, bool select);
    // A reference of a block in a group at the insertion point (with user: placed by the user from
    // the mouse position). S_FALSE while read-only, disabled, showing a default shape, or vetoed;
    // E_ACCESSDENIED for a block that would come to contain itself.
    virtual HRESULT AddReference(LONG groupId, LONG blockId, LONG* shapeId, bool user, float insX, float insY);
    // The same by the block's name in the block library: S_OK with nothing done for a name no
    // block has.
    virtual HRESULT AddReferenceByName(LONG groupId, const wchar_t* blockName, LONG* shapeId, bool user, float insX,
                                       float insY);
    // ---- drawing into a given context (ControlDrawing.cpp) ----
    // Draws the site (DrawModeFlags: the root's extents, the draft limits, the visible area, the
    // selection or the zoom-window rectangle; dmfPrecise without the pen margin) fitted into the
    // rectangle (HIMETRIC units of the target) through a temporary view; the control's own view
    // is unchanged afterwards. E_FAIL without a root; 0 when an old-style metafile with mode 0
    // received the window picture; 1 after a drawing.
    virtual HRESULT DrawToDC(HDC dc, LONG left, LONG top, LONG right, LONG bottom, LONG drawMode);
    // One shape drawn into a new enhanced metafile (the file when named, else in memory), mapped
    // as the window shows it; an ID that no shape has writes nothing (S_OK). E_FAIL when the
    // metafile cannot be made (a file that cannot be created).
    virtual HRESULT ExportMetafile(LONG shapeId, const char* fileName);
    // The whole drawing (print area type 3: the selection) as an enhanced metafile, in the file
    // when one is named, else in memory; its frame in hundredths of millimetres keeps the
    // drawing's proportions. S_FALSE and no metafile for an empty drawing, E_FAIL when the
    // metafile cannot be made.
    HRESULT DrawSiteMetafile(const char* fileName, int printAreaType, HENHMETAFILE* metafile);
    // ---- printing (ControlPrinting.cpp) ----
    // Prints the site on one page: through the print dialog, or (quiet) on the stored printer.
    // S_FALSE while busy; a cancelled dialog resets the print type to limits and answers S_OK; a
    // printer that cannot be reached, a dialog that fails and a document or page the printer
    // refuses answer the failure. The dialog can instead ask for the print window to be picked on
    // the drawing or for the host's print preview.
    virtual HRESULT PrintSiteToPrinter(BOOL quiet);
    // The stored printer set-up as copies of the process-wide handles in the dialog structure
    // (the dialog may free what it holds, the stored handles stay); without stored handles the
    // default printer's, which are then stored too. The structure's handles belong to its caller.
    // The control's known paper goes into the printer mode (and, in the page-setup structure's
    // units, into its paper size), and the control's working record, when it is the structure's
    // custom data, takes the control's print settings.
    void GetPrinterSetup(PRINTDLGA* dialog);
    void GetPrinterSetup(PAGESETUPDLGA* dialog);
    // Copies of the structure's handles become the stored printer set-up, and its paper the page
    // set-up's paper size and code. The control's working record, when it is the structure's
    // custom data, gives back centring, offsets, print type, window and scale. The structure
    // keeps its own handles.
    void StorePrinterSetup(const PRINTDLGA* dialog);
    void StorePrinterSetup(const PAGESETUPDLGA* dialog);
    // The paper of the stored printer set-up (the default printer's when none is stored) in
    // millimetres; false without a printer or when its paper is not known.
    bool QueryPrinterPaper(CRealPoint* paper);
    // Plays a metafile of the site onto a printer or preview context at the place the page
    // layout gives for the information context (the target when null); a preview gets the
    // information context's page outlined. `pageSize`: the preview page in pixels, or null.
    // S_FALSE when there is no layout (no drawing, no print source, a context without a size).
    HRESULT PlaySiteMetafile(HENHMETAFILE metafile, HDC target, HDC info, LONG reserved, const SIZE* pageSize);
    // The device pixels (y up) that the drawing's extents take on the page of `info`.
    bool ComputePageLayout(HDC info, const SIZE* pageSize, RECT* pixels);
    // Stores the print type in the page set-up and the print settings.
    void SetPrintType(int printType);
    CPrintDialogRecord& GetPrintDialogRecord() { return m_printDialog; }
    // The page-setup dialog with the control's template: S_OK also when cancelled, E_FAIL
    // without a printer, S_FALSE while busy. The preview button asks the host for its preview.
    HRESULT RunPageSetupDialog();
    // The working record (when `custom` is the control's own) from and into the print settings.
    void FillPrintDialogRecord(LPARAM custom, void* dialog);
    void TakePrintDialogRecord(LPARAM custom);
    // From just before a document starts until its printer context is gone.
    bool IsPrinting() const { return m_printing != 0; }
    // The modeless shape-properties window exists and is shown.
    bool IsShapePropertyWindowVisible() const { return IsPropertiesDialogVisible(); }
    // The attribute texts of a block reference, or of every reference of a block, back to their
    // block's appearance, after the user's confirmation (confirm) and OnResetAttributeProperties
    // (fire); one undo operation. 1 when something changed, else 0.
    virtual int ResetAttributeProperties(CShape* shape, LONG propertiesMask, bool fire, bool confirm);
    // One shape's rows written under the current site on a connection of its own (the control's
    // data source): E_FAIL when it cannot connect, else the shape's result.
    HRESULT SaveShapeToDB(CShape* shape, int scenarioId);
    // While a drawing into a caller's context runs (screen-only decoration is left out).
    bool IsDrawingToForeignDC() const { return m_foreignDC; }
    // The paint routine, for WM_PAINT and IViewObject::Draw: the drawing composed in the
    // off-screen buffer and copied to `dc` at `bounds`. S_FALSE while redrawing is disabled.
    HRESULT OnDraw(HDC dc, const RECT& bounds);
    // Paints the part of `bounds` outside the site's draft limits grey (not while a block is
    // edited).
    void DrawOutsideDraftArea(HDC dc, const RECT& bounds);
    // Creates both rulers and their corner box; false when a ruler could not be created (timer
    // 100 then tries again).
    BOOL CreateRulers();
    HWND GetHorizontalRuler() const { return m_horizontalRuler; }
    HWND GetVerticalRuler() const { return m_verticalRuler; }
    HWND GetCornerWindow() const { return m_corner.GetHandle(); }
    // Every view for the window's client rectangle, keeping centres and zooms.
    void RecalcViewportsForClient();
    // WM_USER+210 to the window with the percentage (16-bit signed), when there is a window; the
    // scaled form maps it through the running operation's progress scale when one is set.
    static void SendProgress(CYVEXControl* control, int percentage);
    static void SendScaledProgress(CYVEXControl* control, int percentage);
    // The factor and offset of the running operation's progress (none: the percentage as is).
    void SetProgressScale(double factor, double offset);
    void ClearProgressScale() { m_hasProgressScale = false; }
    // Posts WM_USER+230 to the window (the Options sheet asks to be shown again).
    static void PostReopenOptions(CYVEXControl* control);
    // The control's Options sheet (null when the module named no maker of it).
    COptionsDialog* GetOptionsSheet() const { return m_optionsSheet.get(); }
    // Shows the Options sheet at its stored start page, unless it is shown already; returns when
    // it closes. The control stays alive meanwhile, whatever the host does inside.
    void ShowOptionsSheet();
    // Runs the vertices dialog over the control's window on the single selected polyline (the
    // "Vertices List" command); the button that ended it, -1 without a dialog or window.
    INT_PTR ShowVerticesDialog();
    // The off-screen picture.
    COffscreenBuffer& GetOffscreenBuffer() { return m_buffer; }
    // Set once a site's settings were applied to the view (a later window shows that view).
    void SetSiteSettingsApplied(bool on) { m_siteSettingsApplied = on; }

    // The external editor of rich text and the format number of "YVEX Clipboard data".
    const wchar_t* GetTextEditorName() const { return m_textEditorName.CStr(); }
    // The text through the program of TextEditorName; false when none is named or it fails.
    bool EditTextExternally(const std::string& text, std::string* edited) override;
    UINT GetClipboardFormat() const { return m_clipboardFormat; }

    LRESULT HandleBlockButtonCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleVScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleHScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleInPlaceEditDone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCurrentLayerChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSetFocus(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleRButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleLButtonDblClk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSetCursor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSwallow(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSysKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleActivate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleTimerMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMouseLeave(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleProgressMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleReopenOptions(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSitePersistNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDeferredSiteTransfer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);


    // ---- the messenger's side of the control (ControlMessenger.cpp) ----
    LRESULT HandleChangeMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // Timers that are not the control's own are the messenger's: each tick polls the queue.
    bool ForwardTimerToMessenger(UINT_PTR timerId);
    // After a save of the site: receiving, when on, is switched on again (its timer restarts).
    void RearmMessageReceiving();
    // Applies a change message of another session on this thread: 1 reloads the shape with that
    // database ID, 2 removes it; other types are ignored, and so are messages about another site
    // than the drawing's own (its site or a site it includes; kAnySite: no site was given).
    // While a long operation runs the change waits for the control to be idle again (S_FALSE);
    // it is looked at then, against the site the drawing has by then.
    static constexpr int kAnySite = 0x7FFFFFFF;
    HRESULT ApplyChangeMessage(int type, int siteDbId, int shapeDbId);
    HRESULT ApplyChangeNow(int type, int siteDbId, int shapeDbId);
    void ApplyDeferredChanges();
    // Whether a site is one whose shapes the drawing holds.
    bool HoldsSite(int siteDbId) const;
    // The inner Messenger object's interface (no reference added).
    IMessenger* GetInnerMessenger() const { return m_messenger; }
    LRESULT HandleDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDisplayChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleInPlaceEditNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDestroyEditWindows(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMouseWheel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

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

    // IOleObject: verb 1 ("&Activate") activates the control for the user.
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT posRect) override;

    // IPrint
    STDMETHODIMP SetInitialPageNum(LONG firstPage) override;
    STDMETHODIMP GetPageInfo(LONG* firstPage, LONG* pages) override;
    STDMETHODIMP Print(DWORD flags, DVTARGETDEVICE** device, PAGESET** pageSet, STGMEDIUM* options,
                       IContinueCallback* callback, LONG firstPage, LONG* pagesPrinted, LONG* lastPage) override;

    // The persistence stream after the property map: the current view and drawing setting as 18
    // typed values, then the drawing as DXF (ControlPersistence.cpp). A stream that ends within
    // the values loads them as far as they go and leaves the drawing alone.
    HRESULT SaveContent(IStream* stream);
    HRESULT LoadContent(IStream* stream);

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

    // The bodies of IDataIO::SerializeEx and IDataIO::LoadBlock (DrawingBuffers.cpp): the
    // drawing, or a block, to or from a file of the binary or the text archive. With
    // DXFMODE_BLOCKS a load restores into the block of ID shapeId (0: a new one).
    HRESULT SerializeDrawing(const char* fileName, DWORD mode, int shapeId);
    HRESULT LoadBlock(const char* fileName, DWORD mode, int* shapeId);

    // IYVEXUndo
    STDMETHODIMP get_OleUndoManager(IUnknown **pVal) override;
    STDMETHODIMP put_OleUndoManager(IUnknown *newVal) override;
    STDMETHODIMP get_UndoEnabled(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_UndoEnabled(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_QueueMaxLength(LONG *pVal) override;
    STDMETHODIMP put_QueueMaxLength(LONG newVal) override;
    STDMETHODIMP get_LastOperation(YVEXOperation *pVal) override;
    STDMETHODIMP get_OpenedOperation(YVEXOperation *pVal) override;

    // ---- The site in the database: what the control object adds around the bodies ----
    // Progress goes to the window (WM_USER+210), whose thread fires OnProgress.
    void OnProgress(long percent) override;
    bool AskDeleteShape(int shapeId) override;
    void OnSelectionChanged() override { FireChangeSelection(); }

protected:
    // A stage goes to the window with SendMessage: the worker waits while the window's thread
    // fires the events (and a beginning's answer comes back in the record's proceed flag).
    void AnnounceStage(int stage, CSiteOperationRecord& record) override;
    bool AskSetCurrentViewport(int viewportId) override { return FireSetCurrentViewport(viewportId); }
    bool AskSetCurrentDrawingSetting(int settingId) override { return FireSetCurrentDrawingSetting(settingId); }
    bool AskBeginDeleteSite(int siteId) override;
protected:
    // What the scroll bars work on.
    HWND GetScrollWindow() const override;
    CViewportRecord& GetScrollView() override;
    CRealRect GetScrollLimits() const override;
    SIZE GetRulerOffsets() const override;
    // A long operation sets the bars without repainting them: its end repaints them once.
    bool BarsRepaintNow() const override { return IsIdle(); }

private:
    // Key handling: whether an in-place editor is open, a redraw of everything, an edit of the
    // selection with a redraw, select all, the F9 switches of the current setting, F2.
    enum { kSwitchGrid, kSwitchSnap, kSwitchRulers };
    enum { kOptionsDrawingSettingsPage = 1, kOptionsViewportsPage = 2 };
    bool HasTextEditorWindow() const;
    void RedrawAll();
    void EditSelection(int editType, int lParam);
    void SelectAll();
    void ToggleDrawingSettingSwitch(int which);
    bool StartTextEditingOfSelection();
    // Tells a page of the Options sheet (when it is open) that its values changed: WM_USER+100
    // (1, 1) to the page's window.
    void PostToOptionsPage(int page);

    // One open block-editing level: the root before it, and the view centre and zoom then.
    struct BlockLevel {
        int rootId;
        CRealPoint centre;
        double zoom;
    };
    std::vector<BlockLevel> m_blockLevels;
    std::string m_blockTooltipText;
    void ShowBlockButton(const char* tip);
    void SetBlockTooltip(const char* tip);
    void CloseBlockButton();

    // Creation helpers: the target group and current layer checks, the selection emptied for
    // a new shape, a creation taken back when the editing machinery did not.
    HRESULT CheckDrawTarget(LONG groupId, CGroup** group);
    void ClearSelectionForCreation();
    bool RollBackCreation(CShape* shape);
    void FinishNudgeMove(CShape* shape);
    int m_pointEntryMode = 0;
    // Settings and grouping helpers.
    // The current setting recorded for undo before it changes.
    void RecordCurrentSetting();
    HRESULT CheckImageTarget(LONG groupId, CShape** target);
    // A fresh image (no prototype) hangs at the pointer at once, with the picture its creation
    // was started for (the default picture without one) at that picture's size, in free-hand
    // entry; a click puts it down.
    void HangFreshImage(CImage* image);
    // The fresh image that took the pending picture (0 none): only its commit may turn it into a
    // block reference.
    int m_hungImageId = 0;
    // The creation's shape recorded in an undo operation of its own, which the edit's end closes.
    void OpenCreationUndo(CShape* shape);
    void CloseUndoDownTo(int depth, bool commit);
    void EndTemporaryEdit(CShape* shape, bool commit);
    HRESULT CheckGrouping(LONG shapeId, CShape** shape);

    std::unique_ptr<CInPlaceEdit> m_inPlaceEdit;
    std::unique_ptr<CInPlaceEdit> m_richInPlaceEdit;
    // Counts the editors opened, naming each for its posted close.
    WPARAM m_editorGeneration = 0;

    // The shape and the point of a by-ID operation: "Shape not found.", then "Point not found.".
    HRESULT LookUpShapeAndPoint(int shapeId, int pointId, CShape** shape, CPointRecord** point);
    // A polyline-family point deletion; `notThatKind` is the message for another kind of shape.
    HRESULT DeleteShapePoint(int shapeId, int pointId, const char* notThatKind);
    // Closes the whole-drawing operation: uncommitted on a veto, else every point recorded and
    // changed, committed, redrawn.
    template <class Change>
    HRESULT TransformDrawing(bool proceed, Change change);

    // Helpers of the add operations.
    void EstimateRtfWidth(CText* text);
    HRESULT LookUpTargetGroup(LONG groupId, CGroup** group);
    HRESULT AddNewPolylinePoint(int shapeId, int index, float x, float y, LONG* pointId, bool redraw, bool recorded);
    HRESULT AddImageOfResource(CGroup* group, CImageResource* resource, float x1, float y1, float width, float height,
                               bool fixSize, LONG* shapeId);
    float GetImageLoadScale();
    bool RefusesReferences();
    // The zoom window is being drawn to zoom.
    bool IsZoomWindowRunning() const;
    // ZoomShape's steps, for ZoomShape and ZoomAll.
    HRESULT ZoomShapeTo(LONG shapeId, float factor);
    // After a zoom: scroll bars, rulers and a full redraw.
    void FinishZoom();

    // Clipboard steps: the number of the own format (registered on first use); an open in-place
    // text editor takes the command (true when one did); the own data restored into a temporary
    // block and moved into the root; a text or a picture of another format added to the root; the
    // pasted shapes stuck to the pointer (whether their move started).
    UINT OwnClipboardFormat();
    bool ForwardToTextEditor(UINT message);
    HRESULT PasteOwnData(HANDLE data, int* pasted);
    HRESULT PasteForeignData(const std::vector<unsigned char>& image, const std::wstring& text, bool richText,
                             int* pasted);
    bool PlacePastedShapes(int pasted);
    // Takes the shapes of the selection that cannot be operated (disabled or hidden) out of it.
    void DropInoperableFromSelection();

    // Timers of the window: the ruler retry and the toolbar notification.
    static constexpr UINT_PTR kRulerTimer = 100;
    static constexpr UINT_PTR kRedrawTimer = 101;

    // A property that is one bit of the control-flags word (true when the bit is set, or when it is
    // clear for an inverted one).
    HRESULT GetFlagProperty(VARIANT_BOOL* pVal, DWORD flag, bool setMeansTrue) const;
    void SetFlagProperty(VARIANT_BOOL newVal, DWORD flag, bool setMeansTrue);
    // Copies pixels between two contexts device unit for device unit, whatever their mappings.
    static void CopyPixels(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY);
    // Marks the grid points of the current drawing setting in the base layer.
    void DrawGrid(HDC dc);
    // The marks over the base layer: selection, the edited shape (while its outline is traced),
    // highlights.
    void DrawMarksLayer(HDC dc, CShape* edited);
    void MoveRulers(int width, int height);
public:
    // Each visible ruler (0 both, 1 horizontal, 2 vertical) shows the world range of the view;
    // with repaint it is painted again.
    void UpdateRulers(int selector, bool repaint);
    // The visible rulers mark the pointer's world position.
    void ShowPointerOnRulers(const CRealPoint& world);
private:

    // Whether the pointer snaps to the grid now.
    bool SnapsPointer() const;
    // Moves the system cursor onto the snapped pointer while snapping applies.
    void SnapSystemCursor();

    int m_rectanglePurpose = 0;
    bool m_foreignDC = false;
    // Printing: the dialog's choices, the structure of a running print dialog, the printing flag.
    CPrintDialogRecord m_printDialog;
    PRINTDLGA* m_runningPrintDialog = nullptr;
    LONG m_printing = 0;
    // A print runs (from its dialog to the end of its document): the dialog and the spooler let
    // the thread's messages through, and a second print started from one of them is refused.
    bool m_printRunning = false;
    // The mouse: device positions (last, previous, at the last left and right presses), the
    // key flags of the left press, the view centre at the right press, the snapped cursor mark.
    POINT m_mouse = {};
    POINT m_previousMouse = {};
    POINT m_leftPress = {};
    DWORD m_leftPressKeys = 0;
    POINT m_rightPress = {};
    CRealPoint m_rightPressCenter;
    POINT m_cursorMark = {-1, -1};
    bool m_forceCursorMark = false;
    // The press found an edit running (and its shape), changed the selection, started a drag of
    // the selection; the release ends the move.
    int m_editAtPress = 0;
    bool m_hadEditAtPress = false;
    bool m_selectionChangedAtPress = false;
    bool m_dragStarted = false;
    bool m_endMoveAtRelease = false;
    // The cursor shown, and the context menu being shown (null when none).
    HCURSOR m_cursor = nullptr;
    HMENU m_contextMenu = nullptr;
    POINT m_contextMenuPoint = {};
    // The vertex of the one selected polyline at the selection menu's point (-1: none), else the
    // segment there (-1: none).
    int m_menuVertex = -1;
    int m_menuSegment = -1;

    // Shows a pruned menu after OnContextMenuShow (which may move it or keep it from showing) and
    // fires OnContextMenuCommand: the command, kMenuShownNoCommand when none was chosen, 0 when
    // the host kept it from showing.
    UINT TrackContextMenu(HMENU popup, const CRealPoint& world);
    // The edit: the outline is traced while it moves; the IDs of the points of a polyline whose
    // new points an edit adds; the tracker copy holds the state before the edit (else a cancel
    // deletes the shape); the undo operation its start opened; where its hits were reported.
    bool m_traceEdit = true;
    std::vector<int> m_savedPointIds;
    bool m_trackerHasOld = true;
    bool m_editUndoOpen = false;
    CRealPoint m_hitPosition;
    // A rubber band drawn by dragging the left button ends with the release.
    bool m_rubberBandDrag = false;
    // The next event goes to the host while event firing is switched off around the editing
    // machine's own events (so that a host that calls back hears no nested events).
    bool m_forcedEvent = false;

    // Steps of the editing machine.
    bool OpenEditUndo(CShape* shape, int editType, bool recordNow);
    void CloseEditUndo(bool commit);
    CShape* MakeTracker(CShape* shape, bool hidden, bool hasOld, HRESULT* error);
    void DiscardTracker();
    void LeaveEditState(int shapeId);
    void RollBackEdit();
    void SelectEditedShape(CShape* shape, bool refill, bool fire);
    void FinishOperation(int shapeId, bool committed);
    void ApplyRectangle(CShape* rectangle);
    void LoadOperationCursor(int editType);
    int RunImmediate(CShape* shape, int editType, int lParam);
    int DeletePointOfShape(CShape* shape, int pointId);
    int RemoveShapes(CShape* shape);
    CShape* FindTextTarget(CShape* shape, int lParam);
    // Fires the next event even while event firing is switched off.
    void ForceNextEvent() { m_forcedEvent = true; }
public:
    bool TakeForcedEvent()
    {
        const bool forced = m_forcedEvent;
        m_forcedEvent = false;
        return forced;
    }
private:
    // The world area of the last single-shape redraw.
    CRealRect m_redrawRect;
    HCURSOR m_editCursor = nullptr;

    ycom::ConnectionPoint m_events;
    VARIANT_BOOL m_fireEvents = VARIANT_TRUE;
    // The Options sheet, made with the control; its pages exist only while it is shown.
    std::unique_ptr<COptionsDialog> m_optionsSheet;
    // The vertices dialog, made with the control; its window exists only while it runs.
    std::unique_ptr<CVerticesDialogHost> m_verticesDialog;
    // The modeless shape-properties window's object (its window exists only while shown or hidden
    // after showing; null without a maker).
    std::unique_ptr<CPropertiesDialogHost> m_propertiesDialog;
    // Hidden by an operation that replaces shapes, to be shown again when it ends.
    bool m_propertiesWaiting = false;
    // Being destroyed: nothing reaches the host any more.
    bool m_destroying = false;

    // Host-visible settings.
    ycom::Bstr m_textEditorName;
    UINT m_clipboardFormat = 0;
    int m_databaseImages = 0;

    // The window and its children.
    HWND m_horizontalRuler = nullptr;
    HWND m_verticalRuler = nullptr;
    CPlainWindow m_corner;
    HWND m_blockButton = nullptr;
    HWND m_blockTooltip = nullptr;
    ycom::Bitmap m_blockBitmap;
    COffscreenBuffer m_buffer;
    // The client bounds of the last paint and the world area it drew.
    RECT m_paintBounds = {};
    CRealRect m_drawArea;
    // 1 while the mouse is outside the window.
    int m_mouseOutside = 1;
    bool m_siteSettingsApplied = false;
    bool m_hasProgressScale = false;
    double m_progressFactor = 1.0;
    double m_progressOffset = 0.0;

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
    // Changes of other sessions that arrived while a long operation had the shape map, applied
    // in order once the control is idle again.
    struct CDeferredChange
    {
        int type;
        int siteDbId;
        int shapeDbId;
    };
    std::vector<CDeferredChange> m_deferredChanges;
    ISite* m_site = nullptr;
    IPersistDB* m_persistDB = nullptr;
    IDXFOperations* m_dxfOperations = nullptr;
    IPersistWeb* m_persistWeb = nullptr;
    IDataIO* m_dataIO = nullptr;
    IYVEXPrint* m_print = nullptr;
};
