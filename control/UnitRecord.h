#pragma once
// One unit of measure of the drawing, as the Units table and the control's unit table hold it.
#include <string>

struct CUnitRecord {
    int id = 0;            // the Units value
    std::string name;      // the enum member's name without its prefix ("Inches")
    float inches = 1.0f;   // inches per unit
    float centimetres = 1.0f; // centimetres per unit
    int metric = 1;        // 1 for a metric unit (and for the units without a row of their own)
};

// The factors and metric mark of the units that have a row of their own; the others keep the
// defaults (1.0, 1.0, metric). The values are the stored single-precision ones, even where they
// differ from the physical factors (miles, nanometres, microns, gigametres).
bool LookUpUnitFactors(int unit, CUnitRecord* record);
