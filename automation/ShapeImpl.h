#pragma once
// The members of IShape shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IShapeImpl : public ycom::DispatchImpl<Itf, piid> {
public:
    STDMETHODIMP get_Site(ISite **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP _Init(LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_ShapeType(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP get_ParentID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP get_PenColor(OLE_COLOR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_PenColor(OLE_COLOR) override { return E_NOTIMPL; }
    STDMETHODIMP get_LinePatternID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_LinePatternID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Visible(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Tag(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Tag(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Enabled(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Points(IPointCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_LinkedPoints(ILinkedPointCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_DatabaseID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_DatabaseID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_LayerShapeID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_LayerShapeID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Redraw() override { return E_NOTIMPL; }
    STDMETHODIMP Scale(float, float, float, float) override { return E_NOTIMPL; }
    STDMETHODIMP Rotate(float, float, float) override { return E_NOTIMPL; }
    STDMETHODIMP MarkPoint(LONG, LONG, OLE_COLOR) override { return E_NOTIMPL; }
    STDMETHODIMP HitTest(float, float, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP AlignPoint(LONG, LONG, PointAlignments) override { return E_NOTIMPL; }
    STDMETHODIMP get_LinePatternScale(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_LinePatternScale(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_PenWeight(float *) override { return E_NOTIMPL; }
    STDMETHODIMP put_PenWeight(float) override { return E_NOTIMPL; }
    STDMETHODIMP FlipVertical() override { return E_NOTIMPL; }
    STDMETHODIMP FlipHorizontal() override { return E_NOTIMPL; }
    STDMETHODIMP get_ZOrder(float *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ZOrder(float) override { return E_NOTIMPL; }
    STDMETHODIMP BringToFront() override { return E_NOTIMPL; }
    STDMETHODIMP SendToBack() override { return E_NOTIMPL; }
    STDMETHODIMP SaveToDB(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP GetBoundingRect(float *, float *, float *, float *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Shapes(IShapeCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_SourceSiteID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_SourceSiteID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Attributes(IAttributeCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_AttributeGroups(IShapeAttributeGroupCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_HatchColor(OLE_COLOR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_HatchColor(OLE_COLOR) override { return E_NOTIMPL; }
    STDMETHODIMP get_HatchPatternID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_HatchPatternID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_HatchPatternScale(float *) override { return E_NOTIMPL; }
    STDMETHODIMP put_HatchPatternScale(float) override { return E_NOTIMPL; }
    STDMETHODIMP get_ScalePenWeight(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ScalePenWeight(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_TranslatedPenColor(OLE_COLOR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_TranslatedHatchColor(OLE_COLOR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_TranslatedHatchPatternID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP get_TranslatedLinePatternID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP get_ProtectionFlags(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ProtectionFlags(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_ProtectionFlag(ShapeDBFlags, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ProtectionFlag(ShapeDBFlags, VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetProtectionFlagsMasked(LONG, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP PutProtectionFlagsMasked(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_DBFlags(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_DBFlags(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Angle(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Angle(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_PositionX(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_PositionX(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_PositionY(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_PositionY(double) override { return E_NOTIMPL; }
    STDMETHODIMP Shift(double, double) override { return E_NOTIMPL; }
};
