#pragma once
// The EllipseShape class (EllipseShape Class).
#include "com/ComObject.h"
#include "automation/EllipseShapeImpl.h"
#include "YVEX_h.h"

class CEllipseShape : public ycom::ObjectRoot,
    public IEllipseShapeImpl<CEllipseShape, IEllipseShape, &IID_IEllipseShape>,
    public ycom::SupportErrorInfoImpl<&IID_IEllipseShape, &IID_IArcShape, &IID_ICircleShape> {
public:
    DECLARE_CLASS_ID(CLSID_EllipseShape)
    BEGIN_INTERFACE_MAP(CEllipseShape)
        INTERFACE_ENTRY(IEllipseShape)
        INTERFACE_ENTRY2(IArcShape, IEllipseShape)
        INTERFACE_ENTRY2(ICircleShape, IEllipseShape)
        INTERFACE_ENTRY2(IShape, IEllipseShape)
        INTERFACE_ENTRY2(IDispatch, IEllipseShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
};
