#pragma once
// The Point class (Point Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "automation/ControlItem.h"
#include "com/Owners.h"

class CYVEXControl;
class CPointRecord;

class CPoint : public ycom::ObjectRoot, public CControlItem,
    public ycom::DispatchImpl<IPoint, &IID_IPoint>,
    public ycom::SupportErrorInfoImpl<&IID_IPoint> {
public:
    DECLARE_CLASS_ID(CLSID_Point)
    BEGIN_INTERFACE_MAP(CPoint)
        INTERFACE_ENTRY(IPoint)
        INTERFACE_ENTRY2(IDispatch, IPoint)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IPoint
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP put_ID(LONG newVal) override;
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lPoint) override;
    STDMETHODIMP get_X(float *pVal) override;
    STDMETHODIMP get_Y(float *pVal) override;
    STDMETHODIMP put_X(float newVal) override;
    STDMETHODIMP put_Y(float newVal) override;
    STDMETHODIMP Shift(LONG PointID, float *pdx, float *pdy) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_OwnerID(LONG *OwnerID) override;
    STDMETHODIMP GetNextOwnerID(LONG PreviousOwnerID, LONG *OwnerID) override;

    int GetPointId() const { return m_itemId; }

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The wrapped point: S_OK with it; E_POINTER unattached; "Point not found." once it left the pool.
    HRESULT FindPoint(CPointRecord** point) const;
    HRESULT PutCoordinate(bool horizontal, float value);
    // The first shape after `previous` (-100: from the start) whose own points hold the point.
    HRESULT NextOwner(LONG previous, LONG* owner);
};
