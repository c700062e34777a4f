// Lambert azimuthal equal-area (code 6): centre, the 2a circle, the
// antipode, quadrants beyond the pole and of polar centres, and the
// buffer after each failure.
#include "plane_access.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using plane::POINT;

namespace {

const double earth = 6371.0;  // km

IMAGETYPE laea(double lon0, double lat0, double a = earth)
{
    return plane::prepare({6, a, a, lon0, lat0});
}

TEST(LambertAzimuthal, CentreMapsToTheOriginExactly)
{
    for (POINT c : {POINT{0, 0}, POINT{10, 45}, POINT{-100, -90}, POINT{170, 90}}) {
        const POINT p = plane::forward1(laea(c.u, c.v), c);
        EXPECT_EQ(p.u, 0.0) << c.u << " " << c.v;
        EXPECT_EQ(p.v, 0.0) << c.u << " " << c.v;
    }
}

TEST(LambertAzimuthal, InverseOfTheOriginIsTheCentreThroughBothFactors)
{
    // The centre comes back as lat_center * 0.0174532925199 * 57.2957795131.
    for (POINT c : {POINT{10, 45}, POINT{-100, -60}, POINT{0, 90}}) {
        const POINT p = plane::inverse1(laea(c.u, c.v), {0, 0});
        EXPECT_NEAR(p.u, c.u * 0.999999999997828, 1e-13) << c.v;
        EXPECT_NEAR(p.v, c.v * 0.999999999997828, 1e-13) << c.v;
    }
}

// Round trips through points beyond 90 degrees of longitude from the
// centre: beyond the pole of an oblique map, all quadrants of both polar
// maps, and the far side of an equatorial one.  Tolerance 1e-9 degrees (the
// two degree factors differ from each other's inverse by 2.2e-12).
struct RoundTripCase {
    double lon0, lat0, lon, lat;
    const char *what;
};

const RoundTripCase round_trips[] = {
    {0, 60, 170, 80, "oblique, beyond the pole"},
    {0, 60, -150, 70, "oblique, beyond the pole, west"},
    {20, -50, -140, -75, "southern oblique, beyond the pole"},
    {0, 90, 45, 30, "north polar, first quadrant"},
    {0, 90, 135, 30, "north polar, second quadrant"},
    {0, 90, -135, 10, "north polar, third quadrant"},
    {0, 90, -45, -20, "north polar, fourth quadrant"},
    {30, -90, 75, -30, "south polar, east"},
    {30, -90, 165, -10, "south polar, far east"},
    {30, -90, -105, -40, "south polar, far west"},
    {30, -90, -15, 20, "south polar, beyond the equator"},
    {0, 0, 120, 10, "equatorial, far side"},
    {0, 0, -100, -50, "equatorial, far side, south"},
    {-170, 20, 170, 30, "across the date line"},
};

TEST(LambertAzimuthal, EveryPointComesBackInItsQuadrant)
{
    for (const RoundTripCase &c : round_trips) {
        const IMAGETYPE it = laea(c.lon0, c.lat0);
        const POINT back = plane::inverse1(it, plane::forward1(it, {c.lon, c.lat}));
        EXPECT_NEAR(back.u, c.lon, 1e-9) << c.what;
        EXPECT_NEAR(back.v, c.lat, 1e-9) << c.what;
    }
}

TEST(LambertAzimuthal, PolarMapsRoundTripToTwelveDigits)
{
    // Near a polar centre cos(Phi0) is only 3.9e-12 (the degree factor stops
    // short of pi/2); the longitude keeps its digits all the same.
    for (double lat0 : {90.0, -90.0}) {
        const IMAGETYPE it = laea(0, lat0);
        for (double lon = -177.5; lon < 180; lon += 15)
            for (double lat = -60; lat <= 89; lat += 7.3) {
                const double la = lat0 > 0 ? lat : -lat;
                const POINT back = plane::inverse1(it, plane::forward1(it, {lon, la}));
                EXPECT_NEAR(back.u, lon, 1e-9) << lat0 << " " << lon << " " << la;
                EXPECT_NEAR(back.v, la, 1e-9) << lat0 << " " << lon << " " << la;
            }
    }
}

TEST(LambertAzimuthal, CircleOfRadiusTwoAIsTheEdge)
{
    const IMAGETYPE it = laea(0, 0);
    const POINT edge = plane::inverse1(it, {2 * earth, 0});
    EXPECT_NEAR(std::fabs(edge.u), 180.0, 1e-9);  // the antipode's meridian
    EXPECT_NEAR(edge.v, 0.0, 1e-9);

    std::vector<POINT> out;
    const std::vector<POINT> line = {{100, 200}, {0, -2 * earth}, {std::nextafter(2 * earth, 1e9), 0},
                                     {300, 300}};
    EXPECT_EQ(plane::inverse(it, line, &out), -2);
    EXPECT_NE(out[0].u, 100.0);  // converted
    EXPECT_NEAR(std::fabs(out[1].u), 180.0, 1e-9);  // the whole circle is the antipode
    EXPECT_NEAR(out[1].v, 0.0, 1e-9);
    EXPECT_EQ(out[2].u, line[2].u);  // the first point beyond and the rest keep
    EXPECT_EQ(out[2].v, 0.0);        // their plane coordinates
    EXPECT_EQ(out[3].u, 300.0);
    EXPECT_EQ(out[3].v, 300.0);
}

TEST(LambertAzimuthal, AntipodeStopsTheListBeforeTheGridPass)
{
    // cos(180 * 0.0174532925199) rounds to -1 exactly: centre (0, 0) has its
    // antipode at (180, 0).
    IMAGETYPE it = laea(0, 0);
    it.dx = 10.0;
    it.x_center = 100.0;
    std::vector<double> buf = {10, 10, 180, 0, 20, 20, -99999.0};
    quorvex::Pit = &it;
    quorvex::CallType = 1;
    quorvex::Pj = &quorvex::InpPj;
    EXPECT_EQ(quorvex::_LambertAzForward(buf.data()), -1);
    const POINT first = plane::forward1(laea(0, 0), {10, 10});
    EXPECT_EQ(buf[0], first.u);  // plane x, not 10 x + 100, and no integers
    EXPECT_EQ(buf[1], first.v);
    EXPECT_EQ(buf[2], 180.0);
    EXPECT_EQ(buf[3], 0.0);
    EXPECT_EQ(buf[4], 20.0);
    EXPECT_EQ(buf[5], 20.0);
}

TEST(LambertAzimuthal, NearAntipodeLandsNearTheCircle)
{
    // 1 + g is about 1.5e-10 here, so k keeps only six or seven digits:
    // the point lands within metres of the circle, on either side of it.
    const IMAGETYPE it = laea(0, 0);
    std::vector<POINT> out;
    EXPECT_EQ(plane::forward(it, {{179.999, 0.0}, {0.0, -90.0}}, &out), 100);
    EXPECT_NEAR(std::hypot(out[0].u, out[0].v), 2 * earth, 1e-2);
    // A quarter circle away: rho = 2a sin(45 degrees), well conditioned.
    EXPECT_NEAR(out[1].v, -std::sqrt(2.0) * earth, 1e-7);
}

TEST(LambertAzimuthal, InverseConvertsWidthPairsPastAMarkerValue)
{
    // On a large sphere -99999 is an ordinary plane coordinate.
    const double a = 1e6;
    const IMAGETYPE it = laea(0, 0, a);
    std::vector<POINT> out;
    EXPECT_EQ(plane::inverse(it, {{1000, 0}, {-99999.0, -99999.0}, {0, 1000}}, &out), 100);
    EXPECT_LT(out[1].u, 0.0);
    EXPECT_GT(out[1].u, -10.0);
    EXPECT_NEAR(out[2].v, 1000 / a * 57.2957795131, 1e-6);
}

} // namespace
