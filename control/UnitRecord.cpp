#include "control/UnitRecord.h"

namespace {
struct UnitRow {
    int id;
    float inches;
    float centimetres;
    int metric;
};
const UnitRow kUnitRows[] = {
    {1, 1.0f, 2.54f, 0},                // inches
    {2, 12.0f, 30.48f, 0},              // feet
    {3, 63360.0f, 160900.0f, 0},        // miles
    {4, 0.0393701f, 0.1f, 1},           // millimeters
    {5, 0.393701f, 1.0f, 1},            // centimeters
    {6, 39.3701f, 100.0f, 1},           // meters
    {7, 39370.1f, 100000.0f, 1},        // kilometers
    {8, 0.000001f, 0.00000254f, 0},     // microinches
    {9, 0.001f, 0.00254f, 0},           // mils
    {10, 36.0f, 91.44f, 0},             // yards
    {12, 0.00000393701f, 0.000000001f, 1}, // nanometers
    {13, 0.00393701f, 0.0001f, 1},      // microns
    {14, 3.93701f, 10.0f, 1},           // decimeters
    {15, 393.701f, 1000.0f, 1},         // decameters
    {16, 3937.01f, 10000.0f, 1},        // hectometers
    {17, 39370100.0f, 100000000.0f, 1}, // gigameters
};
} // namespace

bool LookUpUnitFactors(int unit, CUnitRecord* record)
{
    for (const UnitRow& row : kUnitRows) {
        if (row.id != unit)
            continue;
        if (record) {
            record->inches = row.inches;
            record->centimetres = row.centimetres;
            record->metric = row.metric;
        }
        return true;
    }
    return false;
}
