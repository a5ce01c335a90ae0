// The importer's coordinate modes in double precision, against GeographicLib's GeoConvert on
// WGS-84 (its answers written beside each case): within 2 cm on the ground.
#include <gtest/gtest.h>
#include <cmath>
#include "shp/SHPImport.h"

namespace {

const double kCentimetres = 0.02;
const double kMetresPerDegree = 111320.0;

struct Importer : CSHPImport {
    Importer() : CSHPImport(IYVEXControlPtr(), nullptr, nullptr) {}
};

TEST(ConvertPoint, UtmToGeographicInASouthernZone)
{
    Importer importer;
    importer.ReadyImport(CSHPImport::optionCoordinates, 1);
    importer.ReadyImport(CSHPImport::optionEllipsoid, 23);
    importer.ReadyImport(CSHPImport::optionZone, static_cast<unsigned long>(-33));
    struct Case {
        double easting, northing, latitude, longitude;
    };
    // GeoConvert -g: 33s 500000 6000000; 33s 650000 7000000.
    const Case cases[] = {{500000, 6000000, -36.144718098818, 15.0},
                          {650000, 7000000, -27.114317262956, 16.513295060574}};
    for (const Case& c : cases) {
        double x = c.easting, y = c.northing;
        importer.ConvertPoint(x, y);
        const double north = (y - c.latitude) * kMetresPerDegree;
        const double east = (x - c.longitude) * kMetresPerDegree * std::cos(c.latitude * M_PI / 180);
        EXPECT_LT(std::hypot(north, east), kCentimetres) << c.easting << " " << c.northing;
    }
    // The same zone as northern reads the data 10000 km off: the sign of the zone matters.
    importer.ReadyImport(CSHPImport::optionZone, 33);
    double x = 500000, y = 6000000;
    importer.ConvertPoint(x, y);
    EXPECT_GT(y, 0);
}

TEST(ConvertPoint, GeographicToUtmGoesOnFromTheChosenZone)
{
    Importer importer;
    importer.ReadyImport(CSHPImport::optionCoordinates, 2);
    importer.ReadyImport(CSHPImport::optionEllipsoid, 23);
    importer.ReadyImport(CSHPImport::optionZone, 31);
    struct Case {
        double longitude, latitude, easting, northing;
    };
    // GeoConvert -u: 50 5.5 -> 31n 679157.864; 50 6.5 -> 32n 320842.136 (+ 646000 from zone 31).
    const Case cases[] = {{5.5, 50, 679157.864191, 5541625.749826}, {6.5, 50, 320842.135809 + 646000, 5541625.749826}};
    for (const Case& c : cases) {
        double x = c.longitude, y = c.latitude;
        importer.ConvertPoint(x, y);
        EXPECT_NEAR(x, c.easting, kCentimetres) << c.longitude;
        EXPECT_NEAR(y, c.northing, kCentimetres) << c.longitude;
    }
    // A southern zone chosen: the same offsets, from its number.
    importer.ReadyImport(CSHPImport::optionZone, static_cast<unsigned long>(-31));
    double x = 6.5, y = 50;
    importer.ConvertPoint(x, y);
    EXPECT_NEAR(x, 320842.135809 + 646000, kCentimetres);
}

TEST(ConvertPoint, WithoutAZoneOrAModeNothingMoves)
{
    Importer importer;
    double x = 123.5, y = -7.25;
    importer.ConvertPoint(x, y);
    EXPECT_EQ(x, 123.5);
    EXPECT_EQ(y, -7.25);
    importer.ReadyImport(CSHPImport::optionCoordinates, 1);
    importer.ConvertPoint(x, y);
    EXPECT_EQ(x, 123.5) << "mode 1 without a zone";
    // Mode 2 without a zone: each point in its own zone.
    importer.ReadyImport(CSHPImport::optionCoordinates, 2);
    importer.ReadyImport(CSHPImport::optionEllipsoid, 23);
    x = 6.5;
    y = 50;
    importer.ConvertPoint(x, y);
    EXPECT_NEAR(x, 320842.135809, kCentimetres);
}

} // namespace
