#pragma once
// Resource identifiers of yvex.dll.

// Custom resource type of the built-in hatch pattern and line type definitions.
#define RT_HATCH_PATTERN "HATCH_PATTERN"
// The built-in line type definitions (text).
#define IDR_LINE_TYPES 326
// The built-in hatch pattern definitions (text).
#define IDR_HATCH_PATTERNS 290

// Undo step descriptions, by YVEXOperation (opChange shares the text of opCreate).
#define IDS_UNDO_EDIT 50001
#define IDS_UNDO_MOVE 50002
#define IDS_UNDO_SCALE 50003
#define IDS_UNDO_ROTATE 50004
#define IDS_UNDO_CREATE 50005
#define IDS_UNDO_DELETE 50006
#define IDS_UNDO_PROPERTIES 50007
#define IDS_UNDO_POINTS 50008
#define IDS_UNDO_RELATIONS 50009
#define IDS_UNDO_OBJECTID 50010
// The question before an operation too large to be undone, and the caption of warnings.
#define IDS_UNDO_TOO_LARGE 50469
#define IDS_WARNING 141
