#pragma once
#include "persistence/SqlStatement.h"

// The drawingSettings rows of a site. Names and font names are bound.

namespace DrawingSettingSql {

extern const SqlStatement MaxDrawingSettingId;
extern const SqlStatement InsertDrawingSetting;
extern const SqlStatement LoadDrawingSettings;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace DrawingSettingSql
