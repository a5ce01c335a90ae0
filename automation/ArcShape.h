#pragma once
// The ArcShape class (ArcShape Class).
#include "com/ComObject.h"
#include "automation/EllipseShapeImpl.h"
#include "YVEX_h.h"

class CArcShape : public ycom::ObjectRoot,
    public IEllipseShapeImpl<CArcShape, IEllipseShape, &IID_IEllipseShape>,
    public ycom::SupportErrorInfoImpl<&IID_IArcShape, &IID_IEllipseShape, &IID_ICircleShape> {
public:
    DECLARE_CLASS_ID(CLSID_ArcShape)
    BEGIN_INTERFACE_MAP(CArcShape)
        INTERFACE_ENTRY2(IArcShape, IEllipseShape)
        INTERFACE_ENTRY2(ICircleShape, IEllipseShape)
        INTERFACE_ENTRY2(IShape, IEllipseShape)
        INTERFACE_ENTRY(IEllipseShape)
        INTERFACE_ENTRY2(IDispatch, IEllipseShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
};
