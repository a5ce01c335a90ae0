#pragma once
// The Site class (Site Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

// The site's table goes on, after the members of ISite, with one operation that the type library
// does not list: ExportMetafile. A C++ client reaches it through this interface's layout.
struct ISiteExport : public ISite {
    // One shape into an enhanced metafile (the file when named, else in memory); S_OK.
    virtual HRESULT STDMETHODCALLTYPE ExportMetafile(LONG ShapeID, BSTR FileName) = 0;
};

class CSite : public ycom::ObjectRoot,
    public ycom::DispatchImpl<ISiteExport, &IID_ISite>,
    public ycom::SupportErrorInfoImpl<&IID_ISite> {
public:
    DECLARE_CLASS_ID(CLSID_Site)
    BEGIN_INTERFACE_MAP(CSite)
        INTERFACE_ENTRY(ISite)
        INTERFACE_ENTRY2(IDispatch, ISite)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // ISite
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP get_DraftLeft(double *pVal) override;
    STDMETHODIMP get_DraftTop(double *pVal) override;
    STDMETHODIMP get_DraftRight(double *pVal) override;
    STDMETHODIMP get_DraftBottom(double *pVal) override;
    STDMETHODIMP get_GridLeft(double *pVal) override;
    STDMETHODIMP get_GridTop(double *pVal) override;
    STDMETHODIMP get_GridRight(double *pVal) override;
    STDMETHODIMP get_GridBottom(double *pVal) override;
    STDMETHODIMP get_Measurement(LONG *pVal) override;
    STDMETHODIMP get_LinePatternScale(double *pVal) override;
    STDMETHODIMP get_ImageScale(double *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP put_DraftLeft(double newVal) override;
    STDMETHODIMP put_DraftTop(double newVal) override;
    STDMETHODIMP put_DraftRight(double newVal) override;
    STDMETHODIMP put_DraftBottom(double newVal) override;
    STDMETHODIMP put_GridLeft(double newVal) override;
    STDMETHODIMP put_GridTop(double newVal) override;
    STDMETHODIMP put_GridRight(double newVal) override;
    STDMETHODIMP put_GridBottom(double newVal) override;
    STDMETHODIMP put_Measurement(LONG newVal) override;
    STDMETHODIMP put_LinePatternScale(double newVal) override;
    STDMETHODIMP put_ImageScale(double newVal) override;
    STDMETHODIMP GetLinkedPointShape(LONG linkedPointID, LONG *pShapeID) override;
    STDMETHODIMP get_ImageResources(IImageResourceCollection **pVal) override;
    STDMETHODIMP CreateBlock(BSTR BlockName, LONG *pBlockID, LONG ShapeID, LONG *pNewRefID, float PickPointX, float PickPointY, VARIANT_BOOL bReplace) override;
    STDMETHODIMP get_ReadOnly(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ReadOnly(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Shapes(IShapeCollection **pVal) override;
    STDMETHODIMP get_Points(IPointCollection **pVal) override;
    STDMETHODIMP get_Viewports(IViewportCollection **pVal) override;
    STDMETHODIMP get_DrawingSettings(IDrawingSettingCollection **pVal) override;
    STDMETHODIMP _Init(LONG_PTR lYVEXControl) override;
    STDMETHODIMP get_UnitID(LONG *pVal) override;
    STDMETHODIMP put_UnitID(Units newVal) override;
    STDMETHODIMP get_BadFloatValue(float *pVal) override;
    STDMETHODIMP get_SelectOnlyTopmostShape(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_SelectOnlyTopmostShape(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_scenarioID(LONG *pVal) override;
    STDMETHODIMP put_scenarioID(LONG newVal) override;
    STDMETHODIMP get_UserEditingShapeID(LONG *pVal) override;
    STDMETHODIMP GetPointShape(LONG PointID, IShapeCollection **Shapes) override;
    STDMETHODIMP get_AttributeTypes(IAttributeTypeCollection **pVal) override;
    STDMETHODIMP get_AttributeGroups(IAttributeGroupCollection **pVal) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP Draw(LONG_PTR hdc, LONG Left, LONG Top, LONG Right, LONG Bottom) override;
    STDMETHODIMP IsZoomingByWindow(VARIANT_BOOL *pVal) override;
    STDMETHODIMP get_ControlState(LONG *pVal) override;
    STDMETHODIMP IsEditingBlock(VARIANT_BOOL *pVal) override;
    STDMETHODIMP get_ShapePropertyWindowState(LONG *pVal) override;
    STDMETHODIMP get_HatchPatterns(IHatchPatternCollection **pVal) override;
    STDMETHODIMP get_DirtyFlag(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_DirtyFlag(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_LineTypeName(LONG TypeID, BSTR *pDescription, BSTR *pName) override;
    STDMETHODIMP get_ResourceHandle(ULONG_PTR *pVal) override;
    STDMETHODIMP put_ResourceHandle(ULONG_PTR newVal) override;
    STDMETHODIMP get_ControlFlags(ULONG *pVal) override;
    STDMETHODIMP put_ControlFlags(ULONG newVal) override;
    STDMETHODIMP ResetAttributeProperties(LONG ShapeID, LONG PropertyMask) override;
    STDMETHODIMP get_SelectOnlyTopmostPolyline(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_SelectOnlyTopmostPolyline(VARIANT_BOOL newVal) override;
    STDMETHODIMP DrawEx(LONG_PTR hdc, LONG Left, LONG Top, LONG Right, LONG Bottom, LONG drawMode, LONG lParam) override;
    // ISiteExport
    STDMETHODIMP ExportMetafile(LONG ShapeID, BSTR FileName) override;
private:
    // E_ACCESSDENIED while no control is attached (or the attached one is gone).
    HRESULT Attached();
    HRESULT NewCollection(const CLSID& clsid, const IID& iid, LONG_PTR lParam, LONG_PTR wParam, bool ignoreInit,
                          void** out);
    // Sets or clears a bit of the control's flag word.
    void SetControlFlag(DWORD flag, bool on);

    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
};
