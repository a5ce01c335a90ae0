#include "automation/PolylineShape.h"

// IPolylineShape
STDMETHODIMP CPolylineShape::get_DefStartWidth(double *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_DefEndWidth(double *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_Flags(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_DefStartWidth(double) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_DefEndWidth(double) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_Flags(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_PolylinePoints(IPolylinePointCollection **) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_Vertex(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_Vertex(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_VertexX(double *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_VertexX(double) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_VertexY(double *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_VertexY(double) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_PenWidth(double *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_PenWidth(double) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_Length(double *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::HitSegmentTest(double, double, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_FirstArrowTypeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_FirstArrowTypeID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_SecondArrowTypeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::put_SecondArrowTypeID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_Vertexes(IVertexCollection **) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::AddVertex(LONG, LONG, float, LONG, LONG, BSTR, float, float, LONG, LONG, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::AddNewVertex(LONG, float, float, float, LONG, LONG, BSTR, float, float, LONG, LONG, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::Fillet(float, LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_Vertices(IVertexCollection **) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::get_Area(float *) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::Simplify(float) { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::ToBezier() { return E_NOTIMPL; }
STDMETHODIMP CPolylineShape::ToStraight() { return E_NOTIMPL; }
