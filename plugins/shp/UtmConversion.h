#pragma once
// Geographic latitude/longitude (degrees) and the Universal Transverse Mercator grid (metres) on
// a reference ellipsoid chosen by number (1 to 23 of the table), with the series of the
// transverse Mercator projection to the sixth order.

struct Ellipsoid {
    int number;
    const char* name;
    double equatorialRadius;
    double eccentricitySquared;
};

// Entry 0 is {-1, "", 0, 0}; entries 1 to 23 the named ellipsoids (23 is WGS-84). Some names end
// in a blank, as the table has always had them.
extern const Ellipsoid g_ellipsoids[24];

// The two coordinate systems of the conversions.
extern const char* const g_coordinateSystems[2];

// Degrees in, metres out; the zone text ("%d%c": zone number and band letter) goes into a buffer
// of at least 4 characters. Longitudes are taken modulo 360 into [-180, 180).
void LatLongToUtm(int ellipsoid, double latitude, double longitude, double* northing, double* easting, char* zone);

// The zone text is a decimal zone number followed by the band letter; a letter below "N" is the
// southern hemisphere (10000000 m false northing).
void UtmToLatLong(int ellipsoid, double northing, double easting, const char* zone, double* latitude, double* longitude);

// The band letter of a latitude, "Z" outside 80 degrees south to 84 north.
char UtmLatitudeBand(double latitude);
