#include "automation/ShapeWrappers.h"
#include "YVEX_h.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/Shape.h"

namespace {

// The shape whose wrapper NewShapeObject is attaching on this thread: a shape its caller holds
// from the model, so its handle need not be searched for among all shapes.
thread_local CShape* t_handedOut = nullptr;

} // namespace

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
    struct HandOut
    {
        CShape* previous;
        explicit HandOut(CShape* shape) : previous(t_handedOut) { t_handedOut = shape; }
        ~HandOut() { t_handedOut = previous; }
    } handOut(shape);
    RETURN_IF_FAILED(object->_Init(control->Handle(), reinterpret_cast<LONG_PTR>(shape)));
    return object->QueryInterface(iid, out);
}

CShape* ResolveShapeHandle(CYVEXControl* control, LONG_PTR handle)
{
    if (!control || !handle)
        return nullptr;
    // The shape being handed out is found by its ID (a collection hands out every item so: a
    // search through all shapes per item made a walk of n shapes take n * n steps).
    if (t_handedOut && reinterpret_cast<LONG_PTR>(t_handedOut) == handle)
        return control->FindShape(t_handedOut->GetId()) == t_handedOut ? t_handedOut : nullptr;
    // A number from a client is only compared with the shapes' own addresses, never used as one.
    for (const auto& entry : control->GetShapeMap().Shapes())
        if (reinterpret_cast<LONG_PTR>(entry.second) == handle)
            return entry.second;
    return nullptr;
}

HRESULT ReportShapeNotFound()
{
    return ReportComErrorW(CLSID_YVEXControl, L"Shape not found.");
}
