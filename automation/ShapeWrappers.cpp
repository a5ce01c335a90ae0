#include "automation/ShapeWrappers.h"
#include "YVEX_h.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/Shape.h"

HRESULT NewShapeObject(CYVEXControl* control, CShape* shape, REFIID iid, void** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    if (!control || !shape)
        return E_INVALIDARG;
    CLSID clsid = CLSID_Shape;
    shape->GetCoClassId(&clsid);
    ycom::ComPtr<IShape> object;
    RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                      IID_IShape, object.PutVoid()));
    RETURN_IF_FAILED(object->_Init(control->Handle(), reinterpret_cast<LONG_PTR>(shape)));
    return object->QueryInterface(iid, out);
}

CShape* ResolveShapeHandle(CYVEXControl* control, LONG_PTR handle)
{
    if (!control || !handle)
        return nullptr;
    for (const auto& entry : control->GetShapeMap().Shapes())
        if (reinterpret_cast<LONG_PTR>(entry.second) == handle)
            return entry.second;
    return nullptr;
}

HRESULT ReportShapeNotFound()
{
    return ReportComErrorW(CLSID_YVEXControl, L"Shape not found.");
}
