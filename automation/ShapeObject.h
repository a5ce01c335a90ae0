#pragma once
// The Shape class (Shape Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CShapeObject : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IShape, &IID_IShape>,
    public ycom::SupportErrorInfoImpl<&IID_IShape> {
public:
    DECLARE_CLASS_ID(CLSID_Shape)
    BEGIN_INTERFACE_MAP(CShapeObject)
        INTERFACE_ENTRY(IShape)
        INTERFACE_ENTRY2(IDispatch, IShape)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IShape
    STDMETHODIMP get_Site(ISite **pVal) override;
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP put_ID(LONG newVal) override;
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lShape) override;
    STDMETHODIMP get_ShapeType(LONG *pVal) override;
    STDMETHODIMP get_ParentID(LONG *pVal) override;
    STDMETHODIMP get_PenColor(OLE_COLOR *pVal) override;
    STDMETHODIMP put_PenColor(OLE_COLOR newVal) override;
    STDMETHODIMP get_LinePatternID(LONG *pVal) override;
    STDMETHODIMP put_LinePatternID(LONG newVal) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Tag(LONG *pVal) override;
    STDMETHODIMP put_Tag(LONG newVal) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Points(IPointCollection **pVal) override;
    STDMETHODIMP get_LinkedPoints(ILinkedPointCollection **pVal) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_LayerShapeID(LONG *pLayerID) override;
    STDMETHODIMP put_LayerShapeID(LONG newVal) override;
    STDMETHODIMP Redraw() override;
    STDMETHODIMP Scale(float xc, float yc, float kx, float ky) override;
    STDMETHODIMP Rotate(float xc, float yc, float Angle) override;
    STDMETHODIMP MarkPoint(LONG pointIndex, LONG markerType, OLE_COLOR markerColor) override;
    STDMETHODIMP HitTest(float X, float Y, VARIANT_BOOL *bRes) override;
    STDMETHODIMP AlignPoint(LONG PointID, LONG pointShapeID, PointAlignments alignmentType) override;
    STDMETHODIMP get_LinePatternScale(double *pVal) override;
    STDMETHODIMP put_LinePatternScale(double newVal) override;
    STDMETHODIMP get_PenWeight(float *pVal) override;
    STDMETHODIMP put_PenWeight(float newVal) override;
    STDMETHODIMP FlipVertical() override;
    STDMETHODIMP FlipHorizontal() override;
    STDMETHODIMP get_ZOrder(float *pVal) override;
    STDMETHODIMP put_ZOrder(float newVal) override;
    STDMETHODIMP BringToFront() override;
    STDMETHODIMP SendToBack() override;
    STDMETHODIMP SaveToDB(LONG SiteID, LONG scenarioID) override;
    STDMETHODIMP GetBoundingRect(float *pLeft, float *pTop, float *pRight, float *pBottom) override;
    STDMETHODIMP get_Shapes(IShapeCollection **pVal) override;
    STDMETHODIMP get_SourceSiteID(LONG *SiteID) override;
    STDMETHODIMP put_SourceSiteID(LONG newVal) override;
    STDMETHODIMP get_Attributes(IAttributeCollection **pVal) override;
    STDMETHODIMP get_AttributeGroups(IShapeAttributeGroupCollection **pVal) override;
    STDMETHODIMP get_HatchColor(OLE_COLOR *pVal) override;
    STDMETHODIMP put_HatchColor(OLE_COLOR newVal) override;
    STDMETHODIMP get_HatchPatternID(LONG *pVal) override;
    STDMETHODIMP put_HatchPatternID(LONG newVal) override;
    STDMETHODIMP get_HatchPatternScale(float *pVal) override;
    STDMETHODIMP put_HatchPatternScale(float newVal) override;
    STDMETHODIMP get_ScalePenWeight(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ScalePenWeight(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_TranslatedPenColor(OLE_COLOR *pVal) override;
    STDMETHODIMP get_TranslatedHatchColor(OLE_COLOR *pVal) override;
    STDMETHODIMP get_TranslatedHatchPatternID(LONG *pVal) override;
    STDMETHODIMP get_TranslatedLinePatternID(LONG *pVal) override;
    STDMETHODIMP get_ProtectionFlags(LONG *pVal) override;
    STDMETHODIMP put_ProtectionFlags(LONG newVal) override;
    STDMETHODIMP get_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL newVal) override;
    STDMETHODIMP GetProtectionFlagsMasked(LONG Mask, LONG *pVal) override;
    STDMETHODIMP PutProtectionFlagsMasked(LONG val, LONG Mask) override;
    STDMETHODIMP get_DBFlags(LONG *pVal) override;
    STDMETHODIMP put_DBFlags(LONG newVal) override;
    STDMETHODIMP get_Angle(double *pVal) override;
    STDMETHODIMP put_Angle(double newVal) override;
    STDMETHODIMP get_PositionX(double *pVal) override;
    STDMETHODIMP put_PositionX(double newVal) override;
    STDMETHODIMP get_PositionY(double *pVal) override;
    STDMETHODIMP put_PositionY(double newVal) override;
    STDMETHODIMP Shift(double deltaX, double deltaY) override;
};
