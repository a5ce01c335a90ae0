#pragma once
// The bodies of a plug-in's factory and release exports.
//
// A host calls a factory with the control's IYVEXControl, its user data and its progress
// callback, having added a reference to the control for the call: the factory takes that
// reference over and lets it go on every way out, the new object holding references of its
// own. A factory answers null when memory runs out; an error while the object binds the control
// reaches the host as _com_error, the half-built object freed. A release export frees the object
// whatever its reference count. The standard-call exports install the plug-in's module state for
// the call (AFX_MANAGE_STATE); the plain GetExporter and GetImporter leave the caller's.
#include <new>
#include "afx/ModuleState.h"
#include "common/VExporter.h"
#include "common/VImporter.h"

template <class Converter, class Interface>
Interface* NewConverter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    IYVEXControlPtr held(control, false);
    try {
        return new Converter(held, user, callback);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

template <class Converter>
IVExporter* NewExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewConverter<Converter, IVExporter>(control, user, callback);
}

template <class Converter>
IVImporter* NewImporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewConverter<Converter, IVImporter>(control, user, callback);
}
