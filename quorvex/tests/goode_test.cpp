// Goode homolosine (code 9): region choice at the seams and cuts (with the
// degree factor's effect on the cut longitudes), gap pixels, the shared
// false-easting table, Mollweide iteration failure and the poles.
#include "plane_access.h"
#include "trasfo/projections/goode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plane::POINT;

namespace {

const double earth = 6371.0;
const double seam = 0.710987989993;  // radians

IMAGETYPE goode(double a = earth)
{
    return plane::prepare({9, a, a, 0, 0});
}

// Forward region choice: point in radians (longitudes from degrees through
// the engine's factor, as the forward converts them), expected region.
struct RegionCase {
    double lam, phi;
    int region;
    const char *why;
};

const double d = 0.0174532925199;
const RegionCase region_cases[] = {
    {0.0, seam, 2, "on the seam: Mollweide"},
    {0.0, std::nextafter(seam, 0.0), 3, "just below the seam: sinusoidal"},
    {0.0, 0.0, 3, "latitude 0 is northern"},
    {-1.0, 0.0, 1, "northern west lobe"},
    {-1.0, 1.0, 0, "northern west Mollweide"},
    {0.0, -seam, 8, "on the southern seam: still sinusoidal"},
    {0.0, std::nextafter(-seam, -1.0), 10, "beyond the southern seam: Mollweide"},
    {-100 * d, -0.1, 4, "-100 degrees equals the cut: western region"},
    {-100 * d, -1.0, 6, "-100 degrees, Mollweide: western region"},
    {80 * d, -0.1, 8, "80 degrees falls below the cut: western region"},
    {80 * d, -1.0, 10, "80 degrees, Mollweide"},
    {-40 * d, 0.1, 3, "-40 degrees lies above its cut: eastern region"},
    {-40 * d, 1.0, 2, "-40 degrees, Mollweide: eastern region"},
    {-20 * d, -0.1, 8, "-20 degrees lies above its cut"},
    {-20 * d, -1.0, 10, "-20 degrees, Mollweide"},
    {-1.74532925199, -0.1, 4, "the cut itself belongs to the west"},
    {std::nextafter(-1.74532925199, 0.0), -0.1, 5, "just east of the cut"},
    {-0.5, -0.1, 5, "second southern lobe"},
    {2.0, -0.1, 9, "eastern southern lobe"},
    {2.0, -1.0, 11, "eastern southern Mollweide"},
    {-3.0, -1.0, 6, "western southern Mollweide"},
    {-0.5, -1.0, 7, "second southern Mollweide"},
};

TEST(Goode, ForwardRegionChoice)
{
    for (const RegionCase &c : region_cases)
        EXPECT_EQ(quorvex::gh_region_of_lonlat(c.lam, c.phi), c.region) << c.why;
}

TEST(Goode, InverseRegionChoiceScalesTheCuts)
{
    const double a = 2.0;
    for (const RegionCase &c : region_cases)
        EXPECT_EQ(quorvex::gh_region_of_map(a * c.lam, a * c.phi, a), c.region) << c.why;
}

TEST(Goode, CutLongitudesThroughTheForward)
{
    // The region shows in x through its false easting: a point on a central
    // meridian maps to x = GHFeast of its region.
    const IMAGETYPE it = goode();
    std::vector<POINT> out;
    plane::forward(it, {{-100, -10}, {-100, 0}, {30, 50}, {0, 0}}, &out);
    // -100 degrees is drawn in region 4 (central meridian -160), not 5 (-60).
    const double cm4 = -2.79252680319;
    EXPECT_NEAR(out[0].u, earth * (cm4 + (-100 * d - cm4) * std::cos(10 * d)), 1e-9);
    EXPECT_EQ(out[3].u, 0.0);  // region 3: its false easting cancels exactly
    EXPECT_EQ(out[3].v, 0.0);
    // 30 degrees through the factor lies 4.4e-13 rad west of region 2's
    // stored meridian 0.523598775598: x = its false easting within 1e-8 km.
    EXPECT_NEAR(out[2].u, earth * 0.523598775598, 1e-8);
}

TEST(Goode, ForwardInverseRoundTripAwayFromTheCuts)
{
    const IMAGETYPE it = goode();
    std::vector<POINT> grid, xy, back;
    for (double lon = -177.5; lon < 180; lon += 5)
        for (double lat = -87.5; lat < 90; lat += 5)
            grid.push_back({lon, lat});
    ASSERT_EQ(plane::forward(it, grid, &xy), 100);
    ASSERT_EQ(plane::inverse(it, xy, &back), 100);
    for (size_t k = 0; k < grid.size(); ++k) {
        EXPECT_NEAR(back[k].u, grid[k].u, 1e-8) << grid[k].u << " " << grid[k].v;
        EXPECT_NEAR(back[k].v, grid[k].v, 1e-8) << grid[k].u << " " << grid[k].v;
    }
}

TEST(Goode, GapPixelsAreMarkedAndTheLineGoesOn)
{
    const IMAGETYPE it = goode();
    const double y_north = earth * 1.0;  // Mollweide zone
    // Just east of the northern cut the region is 2, but the longitude
    // comes out below region 2's lower limit.
    const double just_east = std::nextafter(earth * -0.698131700798, 0.0);
    std::vector<POINT> out;
    EXPECT_EQ(plane::inverse(it, {{0, 0}, {just_east, y_north}, {0, 3 * earth},
                                  {earth * 4, 0}, {1000, 1000}},
                             &out),
              100);
    EXPECT_NEAR(out[0].u, 0.0, 1e-12);
    const POINT gap = {-99999.0, -99999.0};
    for (size_t k : {1u, 2u, 3u}) {  // gap, above the outline, beyond 180
        EXPECT_EQ(out[k].u, gap.u) << k;
        EXPECT_EQ(out[k].v, gap.v) << k;
    }
    EXPECT_NEAR(out[4].v, 1000 / earth * 57.2957795131, 1e-9);  // converted after the gaps
}

TEST(Goode, FalseEastingTableIsSharedByBothBlocks)
{
    IMAGETYPE small = plane::image_of({9, 1.0, 1.0, 0, 0});
    IMAGETYPE large = plane::image_of({9, 2.0, 2.0, 0, 0});
    _InitProjection(&small, 0);
    _InitProjection(&large, 1);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(quorvex::GHFeast[i], 2.0 * quorvex::GHCentralMeridian[i]) << i;
    // The input block now converts with the output block's eastings.
    quorvex::Pit = &small;
    quorvex::CallType = 0;
    quorvex::Pj = &quorvex::InpPj;
    std::vector<double> buf = {30, 10, -99999.0};
    quorvex::_GHForward(buf.data());
    EXPECT_NEAR(buf[0], 2.0 * 0.523598775598, 1e-12);
}

TEST(Goode, FailedIterationStopsTheListBeforeTheGridPass)
{
    IMAGETYPE it = goode();
    it.dx = 10.0;
    it.x_center = 100.0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> buf = {10, 60, 20, nan, 30, 70, -99999.0};
    quorvex::Pit = &it;
    quorvex::CallType = 1;
    quorvex::Pj = &quorvex::InpPj;
    EXPECT_EQ(quorvex::_GHForward(buf.data()), -3);
    const POINT first = plane::forward1(goode(), {10, 60});
    EXPECT_EQ(buf[0], first.u);  // plane x, not grid columns, no integers
    EXPECT_EQ(buf[1], first.v);
    EXPECT_EQ(buf[2], 20.0);
    EXPECT_TRUE(std::isnan(buf[3]));
    EXPECT_EQ(buf[4], 30.0);
    EXPECT_EQ(buf[5], 70.0);
}

TEST(Goode, LatitudesNextToThePolesConvert)
{
    // Next to a pole the Mollweide root is nearly triple and the Newton
    // steps shrink slowly: at these latitudes the 31st correction is still
    // above 1e-10 although the iterate solves the equation.
    const IMAGETYPE it = goode();
    const std::vector<POINT> points = {{10, 89.9974725}, {10, -89.9992615}, {10, 90},
                                       {-170, -90}, {100, 89.999999}};
    std::vector<POINT> out, back;
    ASSERT_EQ(plane::forward(it, points, &out), 100);
    // Within 0.003 degrees of a pole y is within 0.02 km of the pole's y.
    const double pole_y = earth * (1.4142135623731 - 0.0528035274542);
    for (size_t k = 0; k < points.size(); ++k) {
        EXPECT_NEAR(std::fabs(out[k].v), pole_y, 0.02) << k;
        EXPECT_LE(std::fabs(out[k].v), pole_y) << k;
    }
    ASSERT_EQ(plane::inverse(it, out, &back), 100);
    for (size_t k = 0; k < points.size(); ++k)
        EXPECT_NEAR(back[k].v, points[k].v, 1e-3) << k;
}

TEST(Goode, InverseConvertsWidthPairsPastAMarkerValue)
{
    const IMAGETYPE it = goode(1e6);
    std::vector<POINT> out;
    EXPECT_EQ(plane::inverse(it, {{0, 0}, {-99999.0, -99999.0}, {0, 1000}}, &out), 100);
    EXPECT_NEAR(out[1].v, -99999.0 / 1e6 * 57.2957795131, 1e-9);
    EXPECT_NEAR(out[2].v, 1000 / 1e6 * 57.2957795131, 1e-9);
}

} // namespace
