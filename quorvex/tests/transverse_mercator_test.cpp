// Transverse Mercator (code 10): central meridian and equator exactness,
// false easting, no folding, the spherical branch and its stop, the
// footpoint at the pole and the -100 stop of the inverse.
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

IMAGETYPE utm(double lon0, double a = 6378137.0, double b = 6356752.314,
              double fe = 500000.0, double fn = 0.0)
{
    IMAGETYPE it = image(10, lon0, 0.0, 1.0, 1.0, 0.0, 0.0);
    it.header.a = a;
    it.header.b = b;
    it.header.fe = fe;
    it.header.fn = fn;
    return it;
}

TEST(TransverseMercator, ExactLinesOfTheEllipsoidalForward)
{
    IMAGETYPE it = utm(9.0, 6378137.0, 6356752.314, 500000.0, 10000000.0);
    _InitProjection(&it, 0);
    double x, y;
    for (double lat : {-80.0, -12.5, 0.0, 33.0, 84.0}) {
        plane_of(it, 9.0, lat, &x, &y);
        EXPECT_EQ(x, 500000.0) << "central meridian at " << lat;
    }
    for (double lon : {3.0, 9.0, 14.5, 60.0}) {
        plane_of(it, lon, 0.0, &x, &y);
        EXPECT_EQ(y, 10000000.0) << "equator at " << lon;
    }
}

TEST(TransverseMercator, FalseEastingIsCopiedEvenWhenUnset)
{
    IMAGETYPE it = utm(9.0, 6378137.0, 6356752.314, -99999.0, 5.0);
    _InitProjection(&it, 0);
    EXPECT_EQ(quorvex::InpPj.fe, -99999.0);
    EXPECT_EQ(quorvex::InpPj.fn, 5.0);
}

TEST(TransverseMercator, InverseOfTheFalseOrigin)
{
    IMAGETYPE it = utm(-123.0);
    _InitProjection(&it, 0);
    std::vector<double> pairs = {500000.0, 0.0, end_marker};
    EXPECT_EQ(inverse_of(it, pairs), 100);
    EXPECT_EQ(pairs[1], 0.0);
    EXPECT_EQ(pairs[0], -123.0 * 0.0174532925199 * 57.2957795131);
}

TEST(TransverseMercator, LongitudeDifferenceIsNotFolded)
{
    IMAGETYPE it = utm(0.0);
    _InitProjection(&it, 0);
    double x1, y1, x2, y2;
    plane_of(it, 2.0, 45.0, &x1, &y1);
    plane_of(it, 362.0, 45.0, &x2, &y2);
    EXPECT_GT(std::fabs(x1 - x2), 1e6);
}

TEST(TransverseMercator, SphereUsesTheClosedFormWithoutFalseOrigin)
{
    const double r = 6371000.0;
    IMAGETYPE it = utm(0.0, r, r, 500000.0, 1000.0);
    it.header.lat_center = 10.0;
    _InitProjection(&it, 0);
    EXPECT_EQ(quorvex::InpPj.Ues, 0.0);
    struct Case {
        double lon, lat, x, y;
        const char *source;
    } const cases[] = {
        {0, 10, 0, 0, "origin: no false easting or northing"},
        {0, 30, 0, r * 0.9996 * 20 * 0.0174532925199, "central meridian: k0 R (phi - phi0)"},
        {30, 0, 0.5 * r * 0.9996 * std::log((1 + 0.5) / (1 - 0.5)),
         -r * 0.9996 * 10 * 0.0174532925199, "equator: closed form"},
    };
    for (const Case &c : cases) {
        double x, y;
        plane_of(it, c.lon, c.lat, &x, &y);
        EXPECT_NEAR(x, c.x, 1e-3) << c.source;
        EXPECT_NEAR(y, c.y, 1e-3) << c.source;
    }
}

TEST(TransverseMercator, SphericalEquatorIsFiniteAtEveryLongitude)
{
    const double r = 6371000.0;
    IMAGETYPE it = utm(0.0, r, r, 0.0, 0.0);
    _InitProjection(&it, 0);
    for (int hundredths = -8900; hundredths <= 8900; hundredths += 7) {
        double x, y;
        plane_of(it, hundredths / 100.0, 0.0, &x, &y);
        EXPECT_TRUE(std::isfinite(x)) << hundredths;
        // The arc cosine of a value next to 1 resolves only about 1.5e-8
        // rad (a few metres); before the clamp a fifth of these were NaN.
        EXPECT_LT(std::fabs(y), 5.0) << hundredths;
    }
}

TEST(TransverseMercator, SphericalPointAtInfinityStopsTheList)
{
    const double r = 6371000.0;
    IMAGETYPE it = utm(0.0, r, r, 0.0, 0.0);
    it.dx = it.dy = 0.001;
    it.x_center = 100.0;
    _InitProjection(&it, 0);
    std::vector<double> buf = point_list({1.0, 1.0, 90.0, 0.0, 2.0, 2.0});
    _LonLatToImage(&it, buf.data(), 1, 0);
    // The first pair holds plane metres (no grid pass, no rounding), the
    // stopping pair and the rest their degrees.
    const double b = std::cos(0.0174532925199) * std::sin(0.0174532925199);
    EXPECT_NEAR(buf[0], 0.5 * r * 0.9996 * std::log((1 + b) / (1 - b)), 1e-6);
    EXPECT_EQ(buf[2], 90.0);
    EXPECT_EQ(buf[3], 0.0);
    EXPECT_EQ(buf[4], 2.0);
    EXPECT_EQ(buf[5], 2.0);
}

TEST(TransverseMercator, InverseAlwaysUsesTheSeriesAndTheFalseOrigin)
{
    const double r = 6371000.0;
    IMAGETYPE it = utm(0.0, r, r, 500000.0, 0.0);
    _InitProjection(&it, 0);
    std::vector<double> pairs = {500000.0, 0.0};
    EXPECT_EQ(inverse_of(it, pairs), 100);
    EXPECT_NEAR(pairs[0], 0.0, 1e-12);
    EXPECT_EQ(pairs[1], 0.0);
}

TEST(TransverseMercator, FootpointAtThePoleGivesThePole)
{
    IMAGETYPE it = utm(15.0);
    _InitProjection(&it, 0);
    std::vector<double> pairs = {600000.0, 10100000.0, 400000.0, -10100000.0,
                                 500000.0, 5000000.0};
    EXPECT_EQ(inverse_of(it, pairs), 100);
    EXPECT_EQ(pairs[0], 15.0);
    EXPECT_EQ(pairs[1], 90.0);
    EXPECT_EQ(pairs[2], 15.0);
    EXPECT_EQ(pairs[3], -90.0);
    EXPECT_NEAR(pairs[5], 45.2, 0.1);
}

TEST(TransverseMercator, InverseStopsWhereTheFootpointDoesNotConverge)
{
    IMAGETYPE it = utm(15.0);
    _InitProjection(&it, 0);
    std::vector<double> pairs = {500000.0, 1e6, 500000.0, std::nan(""), 7.0, 8.0, end_marker};
    EXPECT_EQ(inverse_of(it, pairs), -100);
    EXPECT_NEAR(pairs[1], 9.04, 0.01);
    EXPECT_EQ(pairs[2], 500000.0);
    EXPECT_EQ(pairs[4], 7.0);
    EXPECT_EQ(pairs[5], 8.0);
}

TEST(TransverseMercator, LineResultsEqualPointByPointResults)
{
    // Northings repeat, change and come back within one line: each pair
    // must convert exactly as it does alone.
    IMAGETYPE it = utm(9.0);
    _InitProjection(&it, 0);
    const std::vector<double> line = {400000.0, 5e6, 450000.0, 5e6, 520000.0, 2e6,
                                      560000.0, 5e6, 600000.0, 5e6, 610000.0, -3e6};
    std::vector<double> together = line;
    ASSERT_EQ(inverse_of(it, together), 100);
    for (size_t k = 0; k < line.size() / 2; ++k) {
        std::vector<double> alone = {line[2 * k], line[2 * k + 1]};
        ASSERT_EQ(inverse_of(it, alone), 100);
        EXPECT_EQ(together[2 * k], alone[0]) << k;
        EXPECT_EQ(together[2 * k + 1], alone[1]) << k;
    }
}

} // namespace
