#pragma once
// Names for the integers the control answers and takes beside its type library: the source of its
// COM errors, its last-error codes, and the marker values of IDs. Numbers only, like the type
// library's header: every part of the control may include it.
#include "YVEX_h.h"

// The source of every COM error info the control installs.
constexpr wchar_t kErrorSource[] = L"YVEXControl";

// Last-error codes (LastError) of the refusals of a group's child list.
// A block would contain a reference to itself.
constexpr int kErrorSelfReference = erAPIModule | er_FindObject;  // 0x1000102
// A layer may only go into the fixed groups.
constexpr int kErrorLayerOutsideLayers = erAPIModule | er_GeneralError;  // 0x100FFFF

// An owner ID that names no shape: a point or attribute taken or released on behalf of none.
constexpr int kNoOwnerId = -100;
// The ID argument that asks the shape factory for the next shape ID.
constexpr int kNewShapeId = -255;
// The source site of a shape that is not stored and has no parent.
constexpr int kNoSourceSite = -65535;

// Stored-ID markers of the record tables.
// No related object (no parent, no layer) in a stored key.
constexpr int kStoredNoRelative = -300;
// An ID translation without result (a dropped block maps to it).
constexpr int kStoredNoTranslation = -200;
// An ID the set's ID maps do not hold.
constexpr int kStoredNoIdMap = -100;
