// The DGN converter's units: sizes and classes, ratios, the next unit up and down each ladder and
// the best match for a units-per-metre definition, as tables of cases.
#include <gtest/gtest.h>
#include "dgn/DGNUnits.h"

namespace {

enum : int {
    unUnitless, unInches, unFeet, unMiles, unMillimeters, unCentimeters, unMeters, unKilometers, unMicroinches,
    unMils, unYards, unAngstroms, unNanometers, unMicrons, unDecimeters, unDecameters, unHectometers,
    unGigameters, unAstronomicalUnits, unLightYears, unParsecs
};

TEST(DgnUnits, SizesAndClasses)
{
    struct Case {
        int unit;
        double centimetres;
        int metric;
    };
    const Case cases[] = {
        {unUnitless, 1.0, -1},        {unInches, 2.54, 0},          {unFeet, 30.48, 0},
        {unMiles, 63346.46 * 2.54, 0}, {unMillimeters, 0.1, 1},      {unMeters, 100.0, 1},
        {unMicroinches, 2.54e-6, -1}, {unMils, 0.00254, 0},         {unAngstroms, 1e-8, -1},
        {unMicrons, 1e-4, 1},         {unAstronomicalUnits, 1.495979e13, -1},
        {unLightYears, 9.460528405e17, -1}, {unParsecs, 3.085678186e18, -1},
        {21, 1.0, -1},                {-1, 1.0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(GetUnitCentimeters(c.unit), c.centimetres) << c.unit;
        EXPECT_EQ(IsMetricUnit(c.unit), c.metric) << c.unit;
    }
}

TEST(DgnUnits, ConversionFactors)
{
    struct Case {
        int a, b;
        double factor, tolerance;
    };
    const Case cases[] = {
        {unCentimeters, unMeters, 100.0, 0},
        {unMeters, unCentimeters, 0.01, 0},
        {unInches, unFeet, 12.0, 1e-12},
        {unFeet, unMiles, 63346.46 / 12.0, 1e-9}, // 5278.871..., not 5280
        {unUnitless, unMeters, 1.0, 0},
        {unKilometers, unUnitless, 1.0, 0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(UnitConversionFactor(c.a, c.b), c.factor, c.tolerance) << c.a << " in " << c.b;
    EXPECT_NEAR(UnitConversionFactor(unFeet, unMiles), 5278.8716, 1e-4);
}

TEST(DgnUnits, NextUnitAlongItsLadder)
{
    struct Case {
        int unit;
        bool larger;
        int next;
    };
    const Case cases[] = {
        {unMillimeters, true, unCentimeters}, {unMillimeters, false, unMicrons},
        {unParsecs, true, 0},                 {unAngstroms, false, 0},
        {unInches, true, unFeet},             {unMiles, true, 0},
        {unMicroinches, true, unMils},        {unMicroinches, false, 0}, // on the imperial ladder
        {unMils, false, unMicroinches},
        {unUnitless, true, unAngstroms},      {unUnitless, false, unAngstroms},
        {unKilometers, true, unGigameters},   {unAstronomicalUnits, false, unGigameters},
        {unDecimeters, false, unCentimeters}, {99, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextUnit(c.unit, c.larger), c.next) << c.unit << (c.larger ? " up" : " down");
}

TEST(DgnUnits, UnitFromRatioTakesTheBestFit)
{
    struct Case {
        double perMetre;
        int unit;
        double match, tolerance;
    };
    const Case cases[] = {
        {1000.0, unMillimeters, 1.0, 0},
        {-1000.0, unMillimeters, 1.0, 0},
        {1.0, unMeters, 1.0, 0},
        {39.37, unInches, 39.37 / (100.0 / 2.54), 1e-12},
        {100.0, unCentimeters, 1.0, 0},
        {1e-16 / 3.085678186, unLightYears, 1e-16 / 3.085678186 / (100.0 / 9.460528405e17), 1e-12}, // never parsecs
    };
    for (const Case& c : cases) {
        double match = -5.0;
        EXPECT_EQ(UnitFromRatio(c.perMetre, &match), c.unit) << c.perMetre;
        EXPECT_NEAR(match, c.match, c.tolerance) << c.perMetre;
    }
    double untouched = -5.0;
    EXPECT_EQ(UnitFromRatio(0.0, &untouched), 0);
    EXPECT_EQ(untouched, -5.0);
    EXPECT_EQ(UnitFromRatio(1000.0, nullptr), unMillimeters);
}

} // namespace
