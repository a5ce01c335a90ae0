#pragma once
// The Vertex class (Vertex Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CVertex : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IVertex, &IID_IVertex>,
    public ycom::SupportErrorInfoImpl<&IID_IVertex> {
public:
    DECLARE_CLASS_ID(CLSID_Vertex)
    BEGIN_INTERFACE_MAP(CVertex)
        INTERFACE_ENTRY(IVertex)
        INTERFACE_ENTRY2(IDispatch, IVertex)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IVertex
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_Flags(LONG *pVal) override;
    STDMETHODIMP put_Flags(LONG newVal) override;
    STDMETHODIMP get_PenColor(LONG *pVal) override;
    STDMETHODIMP put_PenColor(LONG newVal) override;
    STDMETHODIMP get_LinePatternID(LONG *pVal) override;
    STDMETHODIMP put_LinePatternID(LONG newVal) override;
    STDMETHODIMP get_StartWidth(float *pVal) override;
    STDMETHODIMP put_StartWidth(float newVal) override;
    STDMETHODIMP get_EndWidth(float *pVal) override;
    STDMETHODIMP put_EndWidth(float newVal) override;
    STDMETHODIMP get_Bulge(float *pVal) override;
    STDMETHODIMP put_Bulge(float newVal) override;
    STDMETHODIMP get_PointID(LONG *pVal) override;
    STDMETHODIMP get_Length(float *pVal) override;
    STDMETHODIMP _Init(LONG_PTR Vertex) override;
    STDMETHODIMP get_Radius(float *pVal) override;
    STDMETHODIMP put_Radius(float newVal) override;
    STDMETHODIMP get_X(float *pVal) override;
    STDMETHODIMP put_X(float newVal) override;
    STDMETHODIMP get_Y(float *pVal) override;
    STDMETHODIMP put_Y(float newVal) override;
    STDMETHODIMP get_Tag(LONG *pVal) override;
    STDMETHODIMP put_Tag(LONG newVal) override;
};
