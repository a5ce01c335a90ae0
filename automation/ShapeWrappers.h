#pragma once
// Handing shapes out to clients: every getter, enumerator step and collection item makes a new
// object of the coclass the shape names and attaches it to the control and the shape.
#include <windows.h>
#include <oaidl.h>

class CYVEXControl;
class CShape;

// A new shape object for `shape`, asked for `iid` (IShape, IReferenceShape, IDispatch).
HRESULT NewShapeObject(CYVEXControl* control, CShape* shape, REFIID iid, void** out);

// The shape whose address a client handed to a hidden _Init, when it is a shape of the control's
// shape map; null otherwise. Such a number is never used as a pointer before this holds.
CShape* ResolveShapeHandle(CYVEXControl* control, LONG_PTR handle);

// "Shape not found." as error info naming the control's class: DISP_E_EXCEPTION.
HRESULT ReportShapeNotFound();
