#pragma once
// The Shape class (Shape Class): a shape seen through IShape alone. Its members are those every
// shape object shares (IShapeImpl).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CShapeObject : public ycom::ObjectRoot,
    public IShapeImpl<CShapeObject, IShape, &IID_IShape>,
    public ycom::SupportErrorInfoImpl<&IID_IShape> {
public:
    DECLARE_CLASS_ID(CLSID_Shape)
    BEGIN_INTERFACE_MAP(CShapeObject)
        INTERFACE_ENTRY(IShape)
        INTERFACE_ENTRY2(IDispatch, IShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // This kind's bounds are the shape's own plain bounds.
    HRESULT BoundingRectOf(CShape* shape, float* left, float* top, float* right, float* bottom)
    {
        return shape->GetBoundingRect(left, top, right, bottom);
    }
};
