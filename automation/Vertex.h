#pragma once
// The Vertex class (Vertex Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "com/Owners.h"

class CYVEXControl;
class CPolyline;
class CVertexRecord;

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

    // Attaches to a vertex of a polyline of the control (null control: detached). The vertex
    // collections make their items this way.
    void Attach(CYVEXControl* control, int polylineId, int vertexId);
    int GetVertexId() const { return m_vertexId; }
    // The wrapped record while its polyline holds it; null otherwise.
    CVertexRecord* Find() const;

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // A getter: the value is cleared first; E_POINTER without the record.
    template <class P, class F>
    HRESULT Read(P* out, F&& read);
    // A setter: E_POINTER without the record; the vertex's point is recorded (kind) first.
    template <class F>
    HRESULT Write(int kind, bool needsPoint, F&& write);

    // Polylines keep their vertex records by value, so a record moves whenever the vector grows:
    // the wrapper names its vertex by polyline and vertex ID and finds it on every call.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    int m_polylineId = 0;
    int m_vertexId = 0;
};
