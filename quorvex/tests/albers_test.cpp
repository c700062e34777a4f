// Albers equal-area conic (code 8): one standard parallel, the origin and
// the false offsets, southern cones, the pole's arc, the apex and the line
// after a failure.
#include "plane_access.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using plane::POINT;

namespace {

// Difference of two longitudes in degrees, folded into [-180, 180].
double longitude_difference(double a, double b)
{
    return std::remainder(a - b, 360.0);
}

// WGS 84 in kilometres.
const double wgs_a = 6378.137;
const double wgs_b = 6356.752314245;

IMAGETYPE albers(double lon0, double lat0, double par1, double par2,
                 double fe = 0.0, double fn = 0.0)
{
    return plane::prepare({8, wgs_a, wgs_b, lon0, lat0, par1, par2, fe, fn});
}

TEST(Albers, OneStandardParallelUsesItsSine)
{
    struct Case { double par1, par2; bool single; } const cases[] = {
        {45.0, 45.0, true},
        {45.0, 45.0 + 1e-11 * 57.2957795131 * 0.5, true},  // 0.5e-11 rad apart
        {45.0, 45.0 + 1e-9, false},
    };
    for (const Case &c : cases) {
        albers(0, 30, c.par1, c.par2);
        const double sine = std::sin(c.par1 * 0.0174532925199);
        if (c.single)
            EXPECT_EQ(quorvex::InpPj.A_ns0, sine) << c.par2;
        else
            EXPECT_NE(quorvex::InpPj.A_ns0, sine) << c.par2;
        EXPECT_TRUE(std::isfinite(quorvex::InpPj.A_rh)) << c.par2;
    }
}

TEST(Albers, OriginMapsToTheFalseOffsetsAndBack)
{
    const IMAGETYPE it = albers(-96, 23, 29.5, 45.5, 500.0, 300.0);
    const POINT p = plane::forward1(it, {-96, 23});
    EXPECT_EQ(p.u, 500.0);
    EXPECT_EQ(p.v, 300.0);
    // Back within the latitude iteration's 1e-7 radian step test and the
    // product of the two degree factors.
    const POINT back = plane::inverse1(it, p);
    EXPECT_NEAR(back.u, -96.0, 1e-9);
    EXPECT_NEAR(back.v, 23.0, 1e-6);
}

// Round trips across the domain of northern and southern cones and a
// single-parallel cone: forward then inverse, tolerance 1e-6 degrees (the
// latitude iteration stops on a step of 1e-7 radians; in practice the last
// step is far smaller).
struct RoundTripCase {
    double lon0, lat0, par1, par2;
    const char *what;
};

const RoundTripCase round_trips[] = {
    {-96, 23, 29.5, 45.5, "conterminous United States"},
    {132, -18, -18, -36, "southern cone: n < 0"},
    {-60, -32, -5, -42, "southern cone, wide"},
    {10, 50, 50, 50, "one standard parallel"},
    {0, -40, -40, -40, "one southern standard parallel"},
};

TEST(Albers, RoundTripsNorthSouthAndSingle)
{
    for (const RoundTripCase &c : round_trips) {
        const IMAGETYPE it = albers(c.lon0, c.lat0, c.par1, c.par2, 1000.0, -250.0);
        const bool south = c.par1 < 0;
        std::vector<POINT> grid, xy, back;
        for (double dlon = -60; dlon <= 60; dlon += 7.5)
            for (double lat = 5; lat <= 85; lat += 8)
                grid.push_back({c.lon0 + dlon, south ? -lat : lat});
        plane::forward(it, grid, &xy);
        ASSERT_EQ(plane::inverse(it, xy, &back), 100) << c.what;
        for (size_t k = 0; k < grid.size(); ++k) {
            EXPECT_NEAR(longitude_difference(back[k].u, grid[k].u), 0.0, 1e-6) << c.what << " " << grid[k].u << " " << grid[k].v;
            EXPECT_NEAR(back[k].v, grid[k].v, 1e-6) << c.what << " " << grid[k].u << " " << grid[k].v;
        }
    }
}

TEST(Albers, SouthernConeHasNegativeConeConstant)
{
    albers(132, -18, -18, -36);
    EXPECT_LT(quorvex::InpPj.A_ns0, 0.0);
    albers(-96, 23, 29.5, 45.5);
    EXPECT_GT(quorvex::InpPj.A_ns0, 0.0);
}

TEST(Albers, PoleArcGivesHalfPiThroughTheFactor)
{
    // The forward image of the pole lies on the pole's arc, where |q| is
    // within 1e-10 of q at the pole: no iteration, +-90.00000000002777.
    for (double sign : {1.0, -1.0}) {
        const IMAGETYPE it = albers(20, sign * 30, sign * 29.5, sign * 45.5);
        const POINT pole = plane::forward1(it, {35, sign * 90});
        const POINT back = plane::inverse1(it, pole);
        EXPECT_NEAR(back.v, sign * 90.00000000002777, 1e-12);
        EXPECT_NEAR(back.u, 35.0, 1e-9);
    }
}

TEST(Albers, ApexStopsTheLineWithMinusThree)
{
    // The apex (x = 0, y = 0 after the shift by rho0) gives q = C/n, beyond
    // the pole's value for these parallels: the iteration cannot converge.
    const double fe = 100.0, fn = 50.0;
    const IMAGETYPE it = albers(-96, 23, 29.5, 45.5, fe, fn);
    const double apex_y = quorvex::InpPj.A_rh + fn;
    std::vector<POINT> out;
    const std::vector<POINT> line = {{fe, fn}, {fe, apex_y}, {fe + 10, fn + 10}};
    EXPECT_EQ(plane::inverse(it, line, &out), -3);
    EXPECT_NEAR(out[0].u, -96.0, 1e-9);  // converted before the apex
    EXPECT_EQ(out[1].u, fe);             // the apex and all later points keep
    EXPECT_EQ(out[1].v, apex_y);         // their plane coordinates
    EXPECT_EQ(out[2].u, fe + 10);
    EXPECT_EQ(out[2].v, fn + 10);
}

TEST(Albers, InverseConvertsWidthPairsPastAMarkerValue)
{
    // In metres -99999 is an ordinary plane coordinate 100 km from the axis.
    const IMAGETYPE it = plane::prepare({8, wgs_a * 1000, wgs_b * 1000, 0, 40, 30, 50});
    std::vector<POINT> out;
    EXPECT_EQ(plane::inverse(it, {{0, 0}, {-99999.0, -99999.0}, {99999.0, 0}}, &out), 100);
    EXPECT_LT(out[1].u, -1.0);
    EXPECT_LT(out[1].v, 40.0);
    EXPECT_GT(out[2].u, 1.0);
}

} // namespace
