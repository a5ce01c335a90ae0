#pragma once
// The PolylineShape class (PolylineShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CPolyline;

class CPolylineShape : public ycom::ObjectRoot,
    public IShapeImpl<CPolylineShape, IPolylineShape, &IID_IPolylineShape>,
    public ycom::SupportErrorInfoImpl<&IID_IPolylineShape> {
public:
    DECLARE_CLASS_ID(CLSID_PolylineShape)
    BEGIN_INTERFACE_MAP(CPolylineShape)
        INTERFACE_ENTRY(IPolylineShape)
        INTERFACE_ENTRY2(IShape, IPolylineShape)
        INTERFACE_ENTRY2(IDispatch, IPolylineShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IPolylineShape
    STDMETHODIMP get_DefStartWidth(double *pVal) override;
    STDMETHODIMP get_DefEndWidth(double *pVal) override;
    STDMETHODIMP get_Flags(LONG *pVal) override;
    STDMETHODIMP put_DefStartWidth(double newVal) override;
    STDMETHODIMP put_DefEndWidth(double newVal) override;
    STDMETHODIMP put_Flags(LONG newVal) override;
    STDMETHODIMP get_PolylinePoints(IPolylinePointCollection **pVal) override;
    STDMETHODIMP get_Vertex(LONG *pVal) override;
    STDMETHODIMP put_Vertex(LONG newVal) override;
    STDMETHODIMP get_VertexX(double *pVal) override;
    STDMETHODIMP put_VertexX(double newVal) override;
    STDMETHODIMP get_VertexY(double *pVal) override;
    STDMETHODIMP put_VertexY(double newVal) override;
    STDMETHODIMP get_PenWidth(double *pVal) override;
    STDMETHODIMP put_PenWidth(double newVal) override;
    STDMETHODIMP get_Length(double *pVal) override;
    STDMETHODIMP HitSegmentTest(double X, double Y, LONG *SegmentNumber) override;
    STDMETHODIMP get_FirstArrowTypeID(LONG *pVal) override;
    STDMETHODIMP put_FirstArrowTypeID(LONG newVal) override;
    STDMETHODIMP get_SecondArrowTypeID(LONG *pVal) override;
    STDMETHODIMP put_SecondArrowTypeID(LONG newVal) override;
    STDMETHODIMP get_Vertexes(IVertexCollection **pVal) override;
    STDMETHODIMP AddVertex(LONG indexBefore, LONG PointID, float Bulge, LONG PenColor, LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth, LONG Flags, LONG Tag, LONG DatabaseID, LONG *ID) override;
    STDMETHODIMP AddNewVertex(LONG indexBefore, float X, float Y, float Bulge, LONG PenColor, LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth, LONG Flags, LONG Tag, LONG DatabaseID, LONG *ID) override;
    STDMETHODIMP Fillet(float Radius, LONG VertexIndex) override;
    STDMETHODIMP get_Vertices(IVertexCollection **pVal) override;
    STDMETHODIMP get_Area(float *pVal) override;
    STDMETHODIMP Simplify(float Tolerance) override;
    STDMETHODIMP ToBezier() override;
    STDMETHODIMP ToStraight() override;

private:
    HRESULT FindPolyline(CPolyline** polyline);
    void KeepOrthogonality(CPolyline* polyline, int index);
    HRESULT ReadVertex(bool horizontal, double* pVal);
    HRESULT WriteVertex(bool horizontal, double value);
    // A getter of the polyline: the value stays without one.
    template <class P, class F>
    HRESULT ReadPolyline(P* out, F&& read)
    {
        return Read(out, [&](CShape* s) {
            if (CPolyline* polyline = AsPolyline(s))
                read(polyline);
        });
    }
    static CPolyline* AsPolyline(CShape* shape);
    // A reshaping operation on the polyline: `none` without a shape; on success the site is
    // modified.
    template <class F>
    HRESULT ReshapeWith(HRESULT none, F&& reshape)
    {
        CPolyline* polyline = nullptr;
        const HRESULT hr = FindPolyline(&polyline);
        if (hr == S_FALSE || (hr == S_OK && !polyline))
            return none;
        RETURN_IF_FAILED(hr);
        const HRESULT result = reshape(polyline);
        if (result == S_OK)
            m_control->SetModified();
        return result;
    }

    // The vertex cursor of VertexX and VertexY, from 1.
    LONG m_vertex = 1;
};
