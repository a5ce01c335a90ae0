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
// The question before an operation too large to be undone.
#define IDS_UNDO_TOO_LARGE 50469
// The 21 by 21 picture of the button that ends block editing.
#define IDB_BLOCK_EDITING 297

// Strings.
#define IDS_WARNING 141
#define IDS_DEFAULT_VIEWPORT_NAME 163
#define IDS_ERROR_CAPTION 50452
#define IDS_UNKNOWN_ERROR 50455
