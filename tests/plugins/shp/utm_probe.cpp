// Runs the plug-in's geographic and UTM conversions on lines of standard input, one answer line
// each, for a checker that compares them with an independent implementation:
//   ll ELLIPSOID LAT LON               -> ZONE NORTHING EASTING
//   utm ELLIPSOID NORTHING EASTING ZONE -> LAT LON
//   band LAT                           -> LETTER
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include "shp/UtmConversion.h"

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string what;
        in >> what;
        if (what == "ll") {
            int ellipsoid = 0;
            double latitude = 0, longitude = 0, northing = 0, easting = 0;
            char zone[4] = "";
            in >> ellipsoid >> latitude >> longitude;
            LatLongToUtm(ellipsoid, latitude, longitude, &northing, &easting, zone);
            std::printf("%s %.4f %.4f\n", zone, northing, easting);
        } else if (what == "utm") {
            int ellipsoid = 0;
            double northing = 0, easting = 0, latitude = 0, longitude = 0;
            std::string zone;
            in >> ellipsoid >> northing >> easting >> zone;
            UtmToLatLong(ellipsoid, northing, easting, zone.c_str(), &latitude, &longitude);
            std::printf("%.10f %.10f\n", latitude, longitude);
        } else if (what == "band") {
            double latitude = 0;
            in >> latitude;
            std::printf("%c\n", UtmLatitudeBand(latitude));
        } else if (what == "name") {
            int number = 0;
            in >> number;
            std::printf("[%s]\n", number >= 0 && number < 24 ? g_ellipsoids[number].name : "?");
        } else {
            std::printf("?\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
