#pragma once
// The GlobalShapeCollection class (GlobalShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ShapeCollectionImpl.h"
#include "YVEX_h.h"

class CGlobalShapeCollection : public ycom::ObjectRoot,
    public IShapeCollectionImpl<CGlobalShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_GlobalShapeCollection)
    BEGIN_INTERFACE_MAP(CGlobalShapeCollection)
        INTERFACE_ENTRY(IShapeCollection)
        INTERFACE_ENTRY2(IReadOnlyShapeCollection, IShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    static constexpr bool kSelection = false;
    // Every shape of the site, from the control's shape map (the number a client passes must be
    // that map's); adds go to the control's active group at this moment.
    HRESULT Attach(CYVEXControl* control, LONG_PTR lParam)
    {
        SetControl(control);
        if (!control)
            return S_OK;
        if (!lParam)
            return E_POINTER;
        if (lParam != reinterpret_cast<LONG_PTR>(&control->GetShapeMap()))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        m_source = ShapeSource::Map;
        if (CGroup* active = control->GetActiveGroup()) {
            m_targetId = active->GetId();
            m_hasTarget = true;
        }
        return S_OK;
    }
};
