#include "automation/ShapeObject.h"

// IShape
STDMETHODIMP CShapeObject::get_Site(ISite **) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_ID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::_Init(LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ShapeType(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ParentID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_PenColor(OLE_COLOR *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_PenColor(OLE_COLOR) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_LinePatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_LinePatternID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Visible(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_Visible(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Tag(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_Tag(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Enabled(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_Enabled(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Points(IPointCollection **) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_LinkedPoints(ILinkedPointCollection **) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_LayerShapeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_LayerShapeID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::Redraw() { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::Scale(float, float, float, float) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::Rotate(float, float, float) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::MarkPoint(LONG, LONG, OLE_COLOR) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::HitTest(float, float, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::AlignPoint(LONG, LONG, PointAlignments) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_LinePatternScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_LinePatternScale(double) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_PenWeight(float *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_PenWeight(float) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::FlipVertical() { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::FlipHorizontal() { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ZOrder(float *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_ZOrder(float) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::BringToFront() { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::SendToBack() { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::SaveToDB(LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::GetBoundingRect(float *, float *, float *, float *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Shapes(IShapeCollection **) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_SourceSiteID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_SourceSiteID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Attributes(IAttributeCollection **) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_AttributeGroups(IShapeAttributeGroupCollection **) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_HatchColor(OLE_COLOR *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_HatchColor(OLE_COLOR) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_HatchPatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_HatchPatternID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_HatchPatternScale(float *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_HatchPatternScale(float) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ScalePenWeight(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_ScalePenWeight(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_TranslatedPenColor(OLE_COLOR *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_TranslatedHatchColor(OLE_COLOR *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_TranslatedHatchPatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_TranslatedLinePatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ProtectionFlags(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_ProtectionFlags(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_ProtectionFlag(ShapeDBFlags, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_ProtectionFlag(ShapeDBFlags, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::GetProtectionFlagsMasked(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::PutProtectionFlagsMasked(LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_DBFlags(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_DBFlags(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_Angle(double *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_Angle(double) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_PositionX(double *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_PositionX(double) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::get_PositionY(double *) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::put_PositionY(double) { return E_NOTIMPL; }
STDMETHODIMP CShapeObject::Shift(double, double) { return E_NOTIMPL; }
