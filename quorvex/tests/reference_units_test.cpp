// Converting an image's reference point between the four unit systems, and
// the engine state the conversion leaves behind.
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr double none = -99999.0;

struct Projected {
    const char *name;
    IMAGETYPE image;
    double round_trip_pixels;  // tolerance of a round trip, pixels
};

IMAGETYPE image(int16_t code, double lon0, double lat0, double a, double b,
                double scale)
{
    IMAGETYPE it;
    std::memset(&it, 0, sizeof it);
    it.header.projection = code;
    it.header.lon_center = lon0;
    it.header.lat_center = lat0;
    it.header.a = a;
    it.header.b = b;
    it.header.par1 = none;
    it.header.par2 = none;
    it.dx = scale;
    it.dy = scale;
    it.x_center = 100.0;
    it.y_center = 50.0;
    return it;
}

// Images whose reference point (100, 50) lies well inside the domain of
// their projection: the plane point (x_center / dx, -y_center / dy) is
// 5-10 degrees or 500-1000 km from the centre.
std::vector<Projected> projected_images()
{
    IMAGETYPE conic = image(4, 10.0, 45.0, 6378137.0, 6356752.314, 0.1);
    conic.header.par1 = 40.0;
    conic.header.par2 = 50.0;
    IMAGETYPE utm = image(10, 9.0, 0.0, 6378137.0, 6356752.314, 0.0001);
    utm.header.fe = 500000.0;
    IMAGETYPE albers = image(8, -96.0, 23.0, 6378137.0, 6356752.314, 0.0001);
    albers.header.par1 = 29.5;
    albers.header.par2 = 45.5;
    IMAGETYPE hammer = image(2, 0.0, 0.0, 0, 0, 400.0);
    hammer.dy = 200.0;  // the plane is normalised to [-1, 1]
    return {
        {"plate carree", image(3, 10.0, 45.0, 0, 0, 10.0), 1e-9},
        {"conformal conic", conic, 1e-6},
        {"polar stereographic", image(7, -45.0, 90.0, 6378137.0, 6356752.314, 0.0001), 1e-6},
        {"transverse Mercator", utm, 1e-6},
        {"Albers", albers, 1e-6},
        {"Lambert azimuthal", image(6, 10.0, 52.0, 6371007.0, 6371007.0, 0.0001), 1e-6},
        {"Goode", image(9, 0.0, 0.0, 6370997.0, 6370997.0, 0.00005), 1e-6},
        {"Hammer-Aitoff", hammer, 1e-6},
        // the view's radius ratios are rounded to 7 digits, so its inverse
        // is not the exact reverse of its forward
        {"geostationary", image(5, 0.0, 0.0, 6378.155, 6356.7518, 20.0), 1e-5},
    };
}

// Every pair of units: out from unit 0 to the first, across to the second,
// back to unit 0.  Tolerance per projection, pixels; source: round trip.
TEST(ChangeULValues, RoundTripsThroughEveryPairOfUnits)
{
    for (const Projected &p : projected_images()) {
        for (int16_t first = 0; first <= 3; ++first) {
            for (int16_t second = 0; second <= 3; ++second) {
                SCOPED_TRACE(testing::Message() << p.name << ": 0 -> " << first
                                                << " -> " << second << " -> 0");
                IMAGETYPE it = p.image;
                ASSERT_EQ(_ChangeULValues(&it, 0, first), 1);
                ASSERT_EQ(_ChangeULValues(&it, first, second), 1);
                ASSERT_EQ(_ChangeULValues(&it, second, 0), 1);
                EXPECT_NEAR(it.x_center, 100.0, p.round_trip_pixels);
                EXPECT_NEAR(it.y_center, 50.0, p.round_trip_pixels);
            }
        }
    }
}

// Unit 3 is the longitude/latitude of the pixel at twice the unit-0 point,
// as the public frame converts that pixel.  Tolerance 1e-9 degrees.
TEST(ChangeULValues, DegreesAreThoseOfTheFrameAtTwiceThePoint)
{
    for (const Projected &p : projected_images()) {
        SCOPED_TRACE(p.name);
        IMAGETYPE it = p.image;
        _InitProjection(&it, 1);
        std::vector<double> line(2 * 201 + 1);
        _ImageToLonLat(&it, 100, line.data(), 201, 1);
        ASSERT_EQ(_ChangeULValues(&it, 0, 3), 1);
        EXPECT_NEAR(it.x_center, line[2 * 200], 1e-9);
        EXPECT_NEAR(it.y_center, line[2 * 200 + 1], 1e-9);
    }
}

TEST(ChangeULValues, WorkedPlateCarreeValues)
{
    // centre (10 E, 45 N) at column 100, line 50, 10 pixels per degree
    struct Case {
        int16_t from, to;
        double x, y;          // point in unit `from`
        double want_x, want_y;
    };
    const Case cases[] = {
        {0, 1, 100, 50, 10, 5},
        {0, 2, 100, 50, 10, 5},
        {0, 3, 100, 50, 20, 40},
        {3, 0, 20, 40, 100, 50},
        {3, 1, 20, 40, 10, 5},
        {2, 3, 10, 5, 20, 40},
        {2, 1, -3, 2.5, -3, 2.5},
        {1, 1, 7.25, -1.5, 7.25, -1.5},
        {2, 2, 7.25, -1.5, 7.25, -1.5},
        {0, 0, 7.25, -1.5, 7.25, -1.5},
        {3, 3, 7.25, -1.5, 7.25, -1.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        IMAGETYPE it = projected_images()[0].image;
        it.x_center = c.x;
        it.y_center = c.y;
        it.ul_units = 9;
        ASSERT_EQ(_ChangeULValues(&it, c.from, c.to), 1);
        EXPECT_NEAR(it.x_center, c.want_x, 1e-9);
        EXPECT_NEAR(it.y_center, c.want_y, 1e-9);
        EXPECT_EQ(it.ul_units, 9);
    }
}

TEST(ChangeULValues, UnknownUnitsChangeNothing)
{
    const std::pair<int16_t, int16_t> pairs[] = {
        {4, 0}, {-1, 3}, {0, 4}, {1, 7}, {2, -1}, {3, 32767}};
    for (const auto &units : pairs) {
        SCOPED_TRACE(testing::Message() << units.first << " -> " << units.second);
        IMAGETYPE it = projected_images()[0].image;
        const IMAGETYPE before = it;
        EXPECT_EQ(_ChangeULValues(&it, units.first, units.second), 1);
        EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0);
    }
}

// A point the projection cannot convert, in either direction: 0 and the
// marker in both coordinates, whatever the projection does with the point.
TEST(ChangeULValues, UnconvertiblePointsGiveZeroAndTheMarker)
{
    struct Case {
        const char *what;
        IMAGETYPE image;
        int16_t from, to;
        double x, y;
    };
    IMAGETYPE sphere_utm = image(10, 0.0, 0.0, 6371000.0, 6371000.0, 0.0001);
    IMAGETYPE geo = image(5, 0.0, 0.0, 6378.155, 6356.7518, 20.0);
    IMAGETYPE off_disk = geo;
    off_disk.dy = 50.0 / 12.0;  // 12 degrees of scan: beyond the pole's limb
    IMAGETYPE azimuthal = image(6, 0.0, 0.0, 6371007.0, 6371007.0, 0.0001);
    IMAGETYPE beyond_circle = azimuthal;
    beyond_circle.dx = beyond_circle.dy = 1e-6;  // 1e8 m from the centre
    IMAGETYPE goode = image(9, 0.0, 0.0, 6370997.0, 6370997.0, 4e-6);
    const Case cases[] = {
        {"antipode of an azimuthal centre (stops the list)", azimuthal, 3, 0, 180.0, 0.0},
        {"beyond the azimuthal circle (stops the line)", beyond_circle, 0, 3, 100.0, 50.0},
        {"beyond the Goode outline (marked)", goode, 0, 2, 100.0, 50.0},
        {"point at infinity (stops the list)", sphere_utm, 3, 0, 90.0, 0.0},
        {"point at infinity, to unit 1", sphere_utm, 3, 1, 90.0, 0.0},
        {"point at infinity, from unit 2", sphere_utm, 2, 0, 90.0, 0.0},
        {"far side of the Earth (marked)", geo, 3, 0, 120.0, 10.0},
        {"scan angle off the disk", off_disk, 0, 3, 100.0, 50.0},
        {"scan angle off the disk, to unit 2", off_disk, 1, 2, 5.0, 12.0},
        // an image code without operations converts no point at all
        {"no projection, to degrees", image(0, 10, 45, 0, 0, 10), 0, 3, 100.0, 50.0},
        {"refused code, from degrees", image(1, 10, 45, 0, 0, 10), 3, 0, 20.0, 40.0},
        {"unknown code, offsets to pixels", image(11, 10, 45, 0, 0, 10), 2, 1, 1.0, 2.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        IMAGETYPE it = c.image;
        it.x_center = c.x;
        it.y_center = c.y;
        EXPECT_EQ(_ChangeULValues(&it, c.from, c.to), 0);
        EXPECT_EQ(it.x_center, none);
        EXPECT_EQ(it.y_center, none);
    }
}

TEST(ChangeULValues, PreparesTheInputBlockForTheImage)
{
    IMAGETYPE other = image(7, -45.0, 90.0, 6378137.0, 6356752.314, 0.0001);
    _InitProjection(&other, 0);
    IMAGETYPE utm = projected_images()[3].image;
    ASSERT_EQ(_ChangeULValues(&utm, 0, 3), 1);
    EXPECT_EQ(quorvex::InpPj.Lam0, 9.0 * quorvex::deg_to_rad);
    EXPECT_EQ(quorvex::InpPj.fe, 500000.0);
    EXPECT_EQ(quorvex::InpPj.proj_for, &quorvex::_UtmForward);

    // Unit changes that need no projection leave the block alone.
    _InitProjection(&other, 0);
    IMAGETYPE again = utm;
    ASSERT_EQ(_ChangeULValues(&again, 3, 2), 1);
    ASSERT_EQ(_ChangeULValues(&again, 0, 1), 1);
    EXPECT_EQ(quorvex::InpPj.proj_for, &quorvex::_PSForward);
}

} // namespace
