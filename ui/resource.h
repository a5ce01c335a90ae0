#pragma once
// Resource identifiers of yvex.dll.

// Custom resource type of the built-in hatch pattern and line type definitions.
#define RT_HATCH_PATTERN "HATCH_PATTERN"
// The built-in line type definitions (text).
#define IDR_LINE_TYPES 326
// The built-in hatch pattern definitions (text).
#define IDR_HATCH_PATTERNS 290

// The 21 by 21 picture of the button that ends block editing.
#define IDB_BLOCK_EDITING 297

// Strings.
#define IDS_WARNING 141
#define IDS_DEFAULT_VIEWPORT_NAME 163
#define IDS_ERROR_CAPTION 50452
#define IDS_UNKNOWN_ERROR 50455
