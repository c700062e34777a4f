// Lambert conformal conic (code 4): kilometre plane, worked values, folding,
// the quarter-turn limit of the inverse, the tangent cone.
#include "projection_fixtures.h"
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using fixtures::end_marker;
using fixtures::image;
using fixtures::inverse_of;
using fixtures::plane_of;
using fixtures::point_list;

namespace {

// Header axes in metres, centre (lon0, 45), parallels 30 and 60, unit grid
// (column = x, line = -y).
IMAGETYPE conic(double lon0 = 0.0, double par1 = 30.0, double par2 = 60.0)
{
    IMAGETYPE it = image(4, lon0, 45.0, 1.0, 1.0, 0.0, 0.0);
    it.header.a = 6378137.0;
    it.header.b = 6356752.314;
    it.header.par1 = par1;
    it.header.par2 = par2;
    return it;
}

// Plane (x, y) in km of one point.
struct Case {
    double lon, lat;
    double x, y;      // km
    double tolerance; // km
    const char *source;
};

const Case worked[] = {
    {0, 45, 0, 0, 1e-12, "origin: rho equals rho0, theta 0"},
    {0, 44, 0, -107.34, 0.005, "worked value, central meridian"},
    {0, 46, 0, 107.34, 0.005, "worked value, central meridian"},
    {0, 60, 0, 1629.44, 0.005, "worked value, upper parallel"},
};

TEST(ConformalConic, WorkedValues)
{
    IMAGETYPE it = conic();
    _InitProjection(&it, 0);
    for (const Case &c : worked) {
        double x, y;
        plane_of(it, c.lon, c.lat, &x, &y);
        EXPECT_NEAR(x, c.x, c.tolerance) << c.source;
        EXPECT_NEAR(y, c.y, c.tolerance) << c.source;
    }
}

TEST(ConformalConic, BlockWorksInKilometresWithTheUndividedEccentricity)
{
    IMAGETYPE it = conic();
    _InitProjection(&it, 0);
    _InitProjection(&it, 0);  // a second initialisation does not divide twice
    EXPECT_DOUBLE_EQ(quorvex::InpPj.a, 6378.137);
    EXPECT_DOUBLE_EQ(quorvex::InpPj.e,
                     std::sqrt(1.0 - (6356752.314 * 6356752.314) / (6378137.0 * 6378137.0)));
}

TEST(ConformalConic, LongitudeBeyondAHalfTurnIsFolded)
{
    IMAGETYPE it = conic(170.0);
    _InitProjection(&it, 0);
    double x1, y1, x2, y2;
    plane_of(it, -170.0, 50.0, &x1, &y1);  // 20 degrees east across the antimeridian
    plane_of(it, 190.0, 50.0, &x2, &y2);
    EXPECT_GT(x1, 0.0);
    // 360 times the truncated degree factor falls 1.6e-11 rad short of a
    // turn: 6e-8 km at this radius.
    EXPECT_NEAR(x1, x2, 1e-6);
    EXPECT_NEAR(y1, y2, 1e-6);
}

TEST(ConformalConic, InverseFoldsThetaBeyondAQuarterTurn)
{
    IMAGETYPE it = conic();
    _InitProjection(&it, 0);
    const double n = quorvex::InpPj.LCC_N;
    const double lon = 150.0;  // theta = n * 150 degrees, beyond 90
    ASSERT_GT(n * lon, 90.0);
    std::vector<double> buf = point_list({lon, 50.0});
    _LonLatToImage(&it, buf.data(), 0, 0);
    std::vector<double> line = {buf[0], -buf[1], end_marker};
    quorvex::Width = 1;
    quorvex::_LambertCCInverse(line.data());
    // One-argument arc tangent: theta comes back 180 degrees off.
    EXPECT_NEAR(line[0], lon - 180.0 / n, 1e-6);
}

TEST(ConformalConic, OneStandardParallelUsesTheTangentCone)
{
    for (double par : {40.0, -25.0}) {
        IMAGETYPE it = conic(0.0, par, par);
        it.header.lat_center = par;
        _InitProjection(&it, 0);
        EXPECT_DOUBLE_EQ(quorvex::InpPj.LCC_N, std::sin(par * 0.0174532925199)) << par;
        double x, y;
        plane_of(it, 5.0, par + 3.0, &x, &y);
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y)) << par;
    }
}

TEST(ConformalConic, FreshBlockWithoutParallelsGivesNoNumbers)
{
    // Both parallels stay 0, so the cone constant is sin 0 = 0 and the
    // block has no finite result; nothing crashes and nothing reads
    // outside the buffer.
    IMAGETYPE it = conic(0.0, -99999.0, -99999.0);
    quorvex::OutPj = quorvex::PROJ{};
    _InitProjection(&it, 1);
    std::vector<double> buf = point_list({1.0, 46.0});
    _LonLatToImage(&it, buf.data(), 1, 1);  // integer output of NaN: -99999
    int32_t n[2];
    std::memcpy(n, buf.data(), sizeof n);
    EXPECT_EQ(n[0], -99999);
    EXPECT_EQ(n[1], -99999);
}

} // namespace
