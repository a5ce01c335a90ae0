#pragma once
// The drawing units of the control (the type library's Units codes) beside the units of a design
// file: the size of each unit, the ratio of two, metric or imperial, the next unit up or down its
// system, and the unit that best matches a definition given as units per metre. The export run
// uses the class and the ratio; the import run the ratio, the next-unit step and the best match.

// 1 metric, 0 imperial, -1 neither (unitless, microinches, angstroms, the astronomical units and
// any unknown code).
int IsMetricUnit(int unit);
// The size of one unit in centimetres; 1.0 for unitless and unknown codes.
double GetUnitCentimeters(int unit);
// The number of A units in one B unit; 1.0 when either is unitless.
double UnitConversionFactor(int unitA, int unitB);
// The neighbouring unit up or down the unit's ladder; 0 when there is none.
int NextUnit(int unit, bool larger);
// The unit whose size best fits `unitsPerMetre` (its magnitude), parsecs never chosen; 0 for 0.
// `match` (when given) receives the fit of the chosen unit, 1.0 for an exact one.
int UnitFromRatio(double unitsPerMetre, double* match);
