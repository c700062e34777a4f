// Polar stereographic (code 7): aspect and pole flag from the latitude of
// true scale, the pole in both directions, false easting, the -3 stop.
#include "projection_fixtures.h"
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using fixtures::end_marker;
using fixtures::image;
using fixtures::inverse_of;
using fixtures::plane_of;
using fixtures::point_list;

namespace {

IMAGETYPE polar(double lon0, double lat_ts, double fe = 0.0, double fn = 0.0)
{
    IMAGETYPE it = image(7, lon0, lat_ts, 1.0, 1.0, 0.0, 0.0);
    it.header.a = 6378137.0;
    it.header.b = 6356752.314;
    it.header.fe = fe;
    it.header.fn = fn;
    return it;
}

TEST(PolarStereographic, ConstantsByLatitudeOfTrueScale)
{
    struct Case {
        double lat_ts, fac, ind;
        const char *source;
    } const cases[] = {
        {90.0, 1.0, 0.0, "90 degrees converts 3.9e-12 short of the pole: pole form"},
        {-90.0, -1.0, 0.0, "south pole form"},
        {0.0, 1.0, 1.0, "equator: north aspect, true scale at the equator"},
        {-71.0, -1.0, 1.0, "south aspect"},
        {89.9999, 1.0, 1.0, "close to, but not at, the pole"},
    };
    for (const Case &c : cases) {
        IMAGETYPE it = polar(0.0, c.lat_ts);
        _InitProjection(&it, 0);
        EXPECT_EQ(quorvex::InpPj.PS_fac, c.fac) << c.source;
        EXPECT_EQ(quorvex::InpPj.PS_ind, c.ind) << c.source;
    }
    IMAGETYPE equator = polar(0.0, 0.0);
    _InitProjection(&equator, 0);
    EXPECT_EQ(quorvex::InpPj.PS_mcs, 1.0);
    EXPECT_NEAR(quorvex::InpPj.PS_tcs, 1.0, 1e-15);
}

TEST(PolarStereographic, ForwardGeometry)
{
    struct Case {
        double lon0, lat_ts, fe, fn, lon, lat;
        double x, y;       // metres
        double tolerance;  // metres
        const char *source;
    } const cases[] = {
        {0, -71, 0, 0, 37, -90, 0, 0, 1e-4, "south pole: the degree factor leaves it 1e-12 rad short"},
        {-45, 70, 1000, -2000, 10, 90, 1000, -2000, 1e-4, "north pole maps to (fe, fn)"},
        {30, 90, 0, 0, 30, 90, 0, 0, 1e-4, "pole form, pole"},
    };
    for (const Case &c : cases) {
        IMAGETYPE it = polar(c.lon0, c.lat_ts, c.fe, c.fn);
        _InitProjection(&it, 0);
        double x, y;
        plane_of(it, c.lon, c.lat, &x, &y);
        EXPECT_NEAR(x, c.x, c.tolerance) << c.source;
        EXPECT_NEAR(y, c.y, c.tolerance) << c.source;
    }
}

TEST(PolarStereographic, CentralMeridianHangsBelowTheNorthPole)
{
    IMAGETYPE it = polar(-45.0, 70.0, 500.0, 800.0);
    _InitProjection(&it, 0);
    double x, y;
    plane_of(it, -45.0, 60.0, &x, &y);
    EXPECT_EQ(x, 500.0);
    EXPECT_LT(y, 800.0);
    // And above the south pole.
    IMAGETYPE south = polar(20.0, -70.0);
    _InitProjection(&south, 0);
    plane_of(south, 20.0, -60.0, &x, &y);
    EXPECT_NEAR(x, 0.0, 1e-9);
    EXPECT_GT(y, 0.0);
}

TEST(PolarStereographic, InverseAtTheProjectionPole)
{
    for (double lat_ts : {70.0, -70.0}) {
        IMAGETYPE it = polar(25.0, lat_ts, 300.0, 400.0);
        _InitProjection(&it, 0);
        const double fac = lat_ts < 0 ? -1.0 : 1.0;
        std::vector<double> pairs = {300.0, 400.0, end_marker};
        EXPECT_EQ(inverse_of(it, pairs), 100);
        EXPECT_EQ(pairs[1], fac * 1.5707963267948966 * 57.2957795131) << lat_ts;
        EXPECT_EQ(pairs[0], fac * 25.0 * 0.0174532925199 * 57.2957795131) << lat_ts;
    }
}

TEST(PolarStereographic, InverseStopsAtThePixelThatDoesNotConverge)
{
    IMAGETYPE it = polar(0.0, 70.0);
    _InitProjection(&it, 0);
    const double nan = std::nan("");
    std::vector<double> pairs = {0.0, -1e6, nan, 0.0, 2e5, 2e5, end_marker};
    EXPECT_EQ(inverse_of(it, pairs), -3);
    EXPECT_NEAR(pairs[1], 81.0, 0.5);          // converted
    EXPECT_TRUE(std::isnan(pairs[2]));         // left as plane coordinates
    EXPECT_EQ(pairs[4], 2e5);
    EXPECT_EQ(pairs[5], 2e5);
}

TEST(PolarStereographic, InverseConvertsWidthPairsPastAnEarlyMarker)
{
    IMAGETYPE it = polar(0.0, 70.0);
    _InitProjection(&it, 0);
    std::vector<double> pairs = {end_marker, 1e5, 1e5, 1e5, end_marker};
    EXPECT_EQ(inverse_of(it, pairs), 100);
    EXPECT_NE(pairs[2], 1e5);
    EXPECT_NE(pairs[0], end_marker);
}

TEST(PolarStereographic, LongitudesBeyondAHalfTurnAreFolded)
{
    IMAGETYPE it = polar(-45.0, 70.0);
    _InitProjection(&it, 0);
    double x1, y1, x2, y2;
    plane_of(it, 10.0, 60.0, &x1, &y1);
    plane_of(it, 370.0, 60.0, &x2, &y2);
    // 360 times the truncated degree factor is 1.6e-11 rad short of a
    // turn: under 1e-4 m at this radius.
    EXPECT_NEAR(x1, x2, 1e-4);
    EXPECT_NEAR(y1, y2, 1e-4);
}

} // namespace
