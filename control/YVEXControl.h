#pragma once
#include <windows.h>
#include <ole2.h>
#include "YVEX_h.h"

// The drawing control. For now the object and its automation interface; the window, the site
// and the editing machinery grow into it.
class CYVEXControl : public IYVEXControl
{
public:
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // IYVEXControl: no member is implemented yet; each answers E_NOTIMPL.
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

private:
    CYVEXControl();
    virtual ~CYVEXControl();
    LONG m_refs = 1;
    ITypeInfo* m_typeInfo = nullptr;
};
