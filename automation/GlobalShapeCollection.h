#pragma once
// The GlobalShapeCollection class (GlobalShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyShapeCollectionImpl.h"
#include "YVEX_h.h"

class CGlobalShapeCollection : public ycom::ObjectRoot,
    public IReadOnlyShapeCollectionImpl<CGlobalShapeCollection, IShapeCollection, &IID_IShapeCollection>,
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

    // IShapeCollection
    STDMETHODIMP AddLine(float X1, float Y1, float x2, float y2, LONG *pShapeID) override;
    STDMETHODIMP AddEllipse(float CenterX, float CenterY, float MajorR, float MinorRatio, float MajorRAngle, float StartAngle, float EndAngle, LONG *pShapeID) override;
    STDMETHODIMP AddRectangle(float Left, float upper, float Right, float Bottom, LONG *pShapeID) override;
    STDMETHODIMP AddPolyline(float X1, float Y1, float x2, float y2, LONG *pShapeID) override;
    STDMETHODIMP AddPolygon(float X1, float Y1, float x2, float y2, LONG *pShapeID) override;
    STDMETHODIMP AddImage(BSTR FileName, float X1, float Y1, float Width, float Height, VARIANT_BOOL FixSize, LONG *pShapeID) override;
    STDMETHODIMP AddImageFromDB(LONG resourceDBID, float X1, float Y1, float x2, float y2, VARIANT_BOOL FixSize, LONG *pShapeID) override;
    STDMETHODIMP AddShape(LONG ShapeID) override;
    STDMETHODIMP AddRTFText(BSTR Text, float X, float Y, float Width, float Height, Alignments Alignment, float RotationAngle, LONG *pShapeID) override;
    STDMETHODIMP AddPlainText(BSTR Text, float X, float Y, float Width, float Height, Alignments Alignment, float RotationAngle, LONG *pShapeID) override;
    STDMETHODIMP AddArc(float CenterX, float CenterY, float R, float StartAngle, float EndAngle, LONG *pShapeID) override;
    STDMETHODIMP AddCircle(float CenterX, float CenterY, float R, LONG *pShapeID) override;
    STDMETHODIMP AddClone(LONG shapeToCopyID, LONG *pCloneID) override;
    STDMETHODIMP AddChildrenClones(LONG shapeToCopyID, VARIANT_BOOL bSelect) override;
    STDMETHODIMP AddGroup(LONG ShapeType, LONG *pShapeID) override;
    STDMETHODIMP AddLayer(BSTR LayerName, LONG *pShapeID) override;
    STDMETHODIMP DeleteByID(LONG ShapeID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP AddReference(LONG BlockID, LONG *pNewShapeID, VARIANT_BOOL bUser, float InsX, float InsY) override;
    STDMETHODIMP AddReferenceByName(BSTR BlockName, LONG *pNewShapeID, VARIANT_BOOL bUser, float InsX, float InsY) override;
    STDMETHODIMP MoveToHead(LONG ShapeID) override;
    STDMETHODIMP MoveToTail(LONG ShapeID) override;
    STDMETHODIMP BringToFront(LONG ShapeID) override;
    STDMETHODIMP SendToBack(LONG ShapeID) override;
};
