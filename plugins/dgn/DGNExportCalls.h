#pragma once
// The control calls the DGN export makes again and again: a failed call is raised as _com_error
// (ComWrappers.h), a shape asked for an interface it does not have answers null.
#include "common/ShapeWalk.h"

namespace dgnexport {

// The shape's further interface; null when it has none (E_NOINTERFACE), any other failure raised.
template <class Ptr>
Ptr Ask(IUnknown* object)
{
    Ptr result;
    if (!object)
        return result;
    typename Ptr::Interface* raw = nullptr;
    const HRESULT hr = object->QueryInterface(__uuidof(typename Ptr::Interface), reinterpret_cast<void**>(&raw));
    if (hr == E_NOINTERFACE)
        return result;
    RaiseIfFailed(hr, object);
    result.Attach(raw);
    return result;
}

// A null object where one is needed is raised as E_POINTER.
template <class I>
I* Need(I* object)
{
    if (!object)
        _com_issue_error(E_POINTER);
    return object;
}

// A string the control handed over, as narrow text (the ANSI code page); freed here. Null is the
// empty text.
inline CString TakeText(BSTR text)
{
    _bstr_t owned(text, false);
    return CString(text ? static_cast<const wchar_t*>(text) : L"");
}

inline CString NameOf(IGroupShape* group)
{
    BSTR name = nullptr;
    RaiseIfFailed(Need(group)->get_Name(&name), group);
    return TakeText(name);
}

// A number a shape's getter answers.
template <class Getter>
long NumberOf(IShape* shape, Getter getter)
{
    long value = 0;
    RaiseIfFailed((Need(shape)->*getter)(&value), shape);
    return value;
}

inline long IdOf(IShape* shape) { return NumberOf(shape, &IShape::get_ID); }
inline long KindOf(IShape* shape) { return NumberOf(shape, &IShape::get_ShapeType); }
inline long LayerOf(IShape* shape) { return NumberOf(shape, &IShape::get_LayerShapeID); }
inline long ParentOf(IShape* shape) { return NumberOf(shape, &IShape::get_ParentID); }

inline IShapeCollectionPtr ChildrenOf(IShape* shape)
{
    IShapeCollectionPtr children;
    RaiseIfFailed(Need(shape)->get_Shapes(&children), shape);
    return children;
}

// Item i (from 1) of a shape collection, null when there is none.
inline IShapePtr ItemOf(IReadOnlyShapeCollection* shapes, long i)
{
    IShapePtr item;
    RaiseIfFailed(Need(shapes)->get_Item(i, &item), shapes);
    return item;
}

inline IShapePtr ItemById(IReadOnlyShapeCollection* shapes, long id)
{
    IShapePtr item;
    RaiseIfFailed(Need(shapes)->get_ItemByID(id, &item), shapes);
    return item;
}

} // namespace dgnexport
