#include "UtmConversion.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>

const Ellipsoid g_ellipsoids[24] = {
    {-1, "", 0, 0},
    {1, "Airy", 6377563, 0.00667054},
    {2, "Australian National", 6378160, 0.006694542},
    {3, "Bessel 1841", 6377397, 0.006674372},
    {4, "Bessel 1841 (Nambia) ", 6377484, 0.006674372},
    {5, "Clarke 1866", 6378206, 0.006768658},
    {6, "Clarke 1880", 6378249, 0.006803511},
    {7, "Everest", 6377276, 0.006637847},
    {8, "Fischer 1960 (Mercury) ", 6378166, 0.006693422},
    {9, "Fischer 1968", 6378150, 0.006693422},
    {10, "GRS 1967", 6378160, 0.006694605},
    {11, "GRS 1980", 6378137, 0.00669438},
    {12, "Helmert 1906", 6378200, 0.006693422},
    {13, "Hough", 6378270, 0.00672267},
    {14, "International", 6378388, 0.00672267},
    {15, "Krassovsky", 6378245, 0.006693422},
    {16, "Modified Airy", 6377340, 0.00667054},
    {17, "Modified Everest", 6377304, 0.006637847},
    {18, "Modified Fischer 1960", 6378155, 0.006693422},
    {19, "South American 1969", 6378160, 0.006694542},
    {20, "WGS 60", 6378165, 0.006693422},
    {21, "WGS 66", 6378145, 0.006694542},
    {22, "WGS-72", 6378135, 0.006694318},
    {23, "WGS-84", 6378137, 0.00669438},
};

const char* const g_coordinateSystems[2] = {"UTM", "Geographic"};

namespace {

// The constants of the conversions, pi taken as 3.14159265: the stored grids were computed with
// them, and the series stays within a centimetre of the exact projection.
const double kDegreesToRadians = 0.0174532925;
const double kRadiansToDegrees = 57.29577957855229;
const double kScale = 0.9996;            // k0 on the central meridian
const double kFalseEasting = 500000.0;
const double kFalseNorthing = 10000000.0;  // southern hemisphere

const Ellipsoid& Table(int number)
{
    return number >= 0 && number < 24 ? g_ellipsoids[number] : g_ellipsoids[0];
}

} // namespace

char UtmLatitudeBand(double latitude)
{
    struct Band {
        double from;
        char letter;
    };
    // Each band from its lower bound (inclusive) up to the next one; X reaches 84 inclusive.
    static const Band bands[] = {{72, 'X'}, {64, 'W'}, {56, 'V'}, {48, 'U'}, {40, 'T'}, {32, 'S'}, {24, 'R'},
                                 {16, 'Q'}, {8, 'P'},  {0, 'N'},  {-8, 'M'}, {-16, 'L'}, {-24, 'K'}, {-32, 'J'},
                                 {-40, 'H'}, {-48, 'G'}, {-56, 'F'}, {-64, 'E'}, {-72, 'D'}, {-80, 'C'}};
    if (!(latitude <= 84))
        return 'Z';
    for (const Band& band : bands)
        if (latitude >= band.from)
            return band.letter;
    return 'Z';
}

void LatLongToUtm(int ellipsoid, double latitude, double longitude, double* northing, double* easting, char* zone)
{
    const double a = Table(ellipsoid).equatorialRadius;
    const double e2 = Table(ellipsoid).eccentricitySquared;
    const double ep2 = e2 / (1 - e2);

    // Into [-180, 180): floor, so that a longitude below -180 comes round too.
    const double lon = longitude - std::floor((longitude + 180) / 360) * 360;
    int number = static_cast<int>((lon + 180) / 6) + 1;
    if (latitude >= 56.0 && latitude < 64.0 && lon >= 3.0 && lon < 12.0)
        number = 32;
    if (latitude >= 72.0 && latitude < 84.0) {
        if (lon >= 0.0 && lon < 9.0)
            number = 31;
        else if (lon >= 9.0 && lon < 21.0)
            number = 33;
        else if (lon >= 21.0 && lon < 33.0)
            number = 35;
        else if (lon >= 33.0 && lon < 42.0)
            number = 37;
    }
    const double lon0 = (number - 1) * 6 - 180 + 3;
    if (zone)
        std::snprintf(zone, 4, "%d%c", number, UtmLatitudeBand(latitude));

    const double phi = latitude * kDegreesToRadians;
    const double N = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    const double T = std::tan(phi) * std::tan(phi);
    const double C = ep2 * std::cos(phi) * std::cos(phi);
    const double A = std::cos(phi) * (lon - lon0) * kDegreesToRadians;
    const double M =
        a * ((1 - e2 / 4 - 3 * e2 * e2 / 64 - 5 * e2 * e2 * e2 / 256) * phi -
             (3 * e2 / 8 + 3 * e2 * e2 / 32 + 45 * e2 * e2 * e2 / 1024) * std::sin(2 * phi) +
             (15 * e2 * e2 / 256 + 45 * e2 * e2 * e2 / 1024) * std::sin(4 * phi) -
             (35 * e2 * e2 * e2 / 3072) * std::sin(6 * phi));

    *easting = kScale * N *
                   (A + (1 - T + C) * A * A * A / 6 +
                    (5 - 18 * T + T * T + 72 * C - 58 * ep2) * A * A * A * A * A / 120) +
               kFalseEasting;
    *northing = kScale * (M + N * std::tan(phi) *
                                  (A * A / 2 + (5 - T + 9 * C + 4 * C * C) * A * A * A * A / 24 +
                                   (61 - 58 * T + T * T + 600 * C - 330 * ep2) * A * A * A * A * A * A / 720));
    if (latitude < 0)
        *northing += kFalseNorthing;
}

void UtmToLatLong(int ellipsoid, double northing, double easting, const char* zone, double* latitude, double* longitude)
{
    const double a = Table(ellipsoid).equatorialRadius;
    const double e2 = Table(ellipsoid).eccentricitySquared;
    const double ep2 = e2 / (1 - e2);
    const double e1 = (1 - std::sqrt(1 - e2)) / (1 + std::sqrt(1 - e2));

    const double x = easting - kFalseEasting;
    double y = northing;
    char* letter = nullptr;
    const long number = std::strtol(zone ? zone : "", &letter, 10);
    if (letter && *letter && *letter < 'N')
        y -= kFalseNorthing;
    const double lon0 = (number - 1) * 6 - 180 + 3;

    const double M = y / kScale;
    const double mu = M / (a * (1 - e2 / 4 - 3 * e2 * e2 / 64 - 5 * e2 * e2 * e2 / 256));
    const double phi1 = mu + (3 * e1 / 2 - 27 * e1 * e1 * e1 / 32) * std::sin(2 * mu) +
                        (21 * e1 * e1 / 16 - 55 * e1 * e1 * e1 * e1 / 32) * std::sin(4 * mu) +
                        (151 * e1 * e1 * e1 / 96) * std::sin(6 * mu);
    const double N1 = a / std::sqrt(1 - e2 * std::sin(phi1) * std::sin(phi1));
    const double T1 = std::tan(phi1) * std::tan(phi1);
    const double C1 = ep2 * std::cos(phi1) * std::cos(phi1);
    const double R1 = a * (1 - e2) / std::pow(1 - e2 * std::sin(phi1) * std::sin(phi1), 1.5);
    const double D = x / (N1 * kScale);

    const double lat = phi1 - (N1 * std::tan(phi1) / R1) *
                                  (D * D / 2 - (5 + 3 * T1 + 10 * C1 - 4 * C1 * C1 - 9 * ep2) * D * D * D * D / 24 +
                                   (61 + 90 * T1 + 298 * C1 + 45 * T1 * T1 - 252 * ep2 - 3 * C1 * C1) * D * D * D * D *
                                       D * D / 720);
    *latitude = lat * kRadiansToDegrees;
    const double lon = (D - (1 + 2 * T1 + C1) * D * D * D / 6 +
                        (5 - 2 * C1 + 28 * T1 - 3 * C1 * C1 + 8 * ep2 + 24 * T1 * T1) * D * D * D * D * D / 120) /
                       std::cos(phi1);
    *longitude = lon0 + lon * kRadiansToDegrees;
}
