#pragma once
// The CircleShape class (CircleShape Class).
#include "com/ComObject.h"
#include "automation/EllipseShapeImpl.h"
#include "YVEX_h.h"

class CCircleShape : public ycom::ObjectRoot,
    public IEllipseShapeImpl<CCircleShape, IEllipseShape, &IID_IEllipseShape>,
    public ycom::SupportErrorInfoImpl<&IID_ICircleShape, &IID_IArcShape, &IID_IEllipseShape> {
public:
    DECLARE_CLASS_ID(CLSID_CircleShape)
    BEGIN_INTERFACE_MAP(CCircleShape)
        INTERFACE_ENTRY2(ICircleShape, IEllipseShape)
        INTERFACE_ENTRY2(IShape, IEllipseShape)
        INTERFACE_ENTRY2(IArcShape, IEllipseShape)
        INTERFACE_ENTRY(IEllipseShape)
        INTERFACE_ENTRY2(IDispatch, IEllipseShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
};
