#pragma once
// Resource identifiers of yvex.dll.

// Custom resource type of the built-in hatch pattern and line type definitions.
#define RT_HATCH_PATTERN "HATCH_PATTERN"
// The built-in line type definitions (text).
#define IDR_LINE_TYPES 326
// The built-in hatch pattern definitions (text).
#define IDR_HATCH_PATTERNS 290
