// Hammer-Aitoff (code 2): worked forward values, unfolded longitudes, the
// three regions of the closed-form inverse and its round trips, and PROJ's
// hammer with the engine's normalisation and centre-latitude shift undone.
#include "plane_access.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <random>
#include <vector>

using plane::POINT;

namespace {

const double pi = 3.141592653589793;

IMAGETYPE hammer(double lon0, double lat0)
{
    return plane::prepare({2, 1.0, 1.0, lon0, lat0});
}

// Forward cases: centre, point (degrees), expected normalised plane value,
// tolerance in plane units, source.
struct ForwardCase {
    double lon0, lat0, lon, lat, x, y, tol;
    const char *source;
};

// sin(100) cos(30) / sqrt(1 + cos(100) cos(30)), the closed formula at full
// precision; the engine's degree factor moves it by about 1e-11.
const double x_200_east = std::sin(100 * pi / 180) * std::cos(30 * pi / 180) /
                          std::sqrt(1 + std::cos(100 * pi / 180) * std::cos(30 * pi / 180));

const ForwardCase forward_cases[] = {
    {0, 0, 0, 0, 0, 0, 0, "origin, exact"},
    {0, 0, 180, 0, 0.9999999999980518, 0, 1e-16, "worked value, equator edge"},
    {0, 0, 0, 90, 0, 0.9999999999980518, 1e-16, "worked value, pole"},
    {0, 0, -180, 0, -0.9999999999980518, 0, 1e-16, "symmetry of the worked value"},
    {25, 30, 25, 30, 0, 0, 0, "centre maps to the origin, exact"},
    {0, 0, 200, 30, x_200_east, 0.5 / std::sqrt(1 + std::cos(100 * pi / 180) *
                                                  std::cos(30 * pi / 180)),
     1e-10, "200 degrees east is not folded to 160 west"},
};

TEST(Hammer, ForwardTable)
{
    for (const ForwardCase &c : forward_cases) {
        const IMAGETYPE it = hammer(c.lon0, c.lat0);
        const POINT p = plane::forward1(it, {c.lon, c.lat});
        EXPECT_NEAR(p.u, c.x, c.tol) << c.source;
        EXPECT_NEAR(p.v, c.y, c.tol) << c.source;
    }
}

TEST(Hammer, SinglePointFormMatchesTheListForm)
{
    const IMAGETYPE it = hammer(-40, 15);
    for (POINT q : {POINT{0, 0}, POINT{-170, 60}, POINT{33.3, -12.5}}) {
        double x, y;
        quorvex::_HAForwardSingle(q.u, q.v, &x, &y);
        const POINT p = plane::forward1(it, q);
        EXPECT_EQ(x, p.u);
        EXPECT_EQ(y, p.v);
    }
}

// Inverse cases: centre, plane target, expected point (degrees; -99999 for
// a marked pixel), tolerance in degrees, source.
struct InverseCase {
    double lon0, lat0, x, y, lon, lat, tol;
    const char *source;
};

const double marked = -99999.0;
// Degrees as the inverse gives them: radians over the forward's factor.
const double quarter_turn = 1.5707963267948966 / 0.0174532925199;

const InverseCase inverse_cases[] = {
    {0, 0, 1.2, 0, 232.20776227525582, 0, 1e-11,
     "outside the ellipse: the unfolded solution, beyond 180 degrees"},
    {0, 0, 0, 1, 0, quarter_turn, 1e-11, "on the ellipse: the pole"},
    {0, 0, 1, 1, marked, marked, 0, "r2 = 2: no point maps there"},
    {0, 0, std::nan(""), 0, marked, marked, 0, "not a number"},
};

TEST(Hammer, InverseRegions)
{
    for (const InverseCase &c : inverse_cases) {
        const IMAGETYPE it = hammer(c.lon0, c.lat0);
        const POINT p = plane::inverse1(it, {c.x, c.y});
        EXPECT_NEAR(p.u, c.lon, c.tol) << c.source;
        EXPECT_NEAR(p.v, c.lat, c.tol) << c.source;
    }
}

// Every plane point of a dense grid over both ellipses and beyond: marked
// exactly where r2 >= 2, elsewhere its forward image is the point again
// within 1e-11 plane units (the last digits of the degree factor grow
// without bound as r2 nears 2, where the forward's denominator vanishes;
// 2e-12 measured at r2 = 1.99996).  And every point of a dense world grid
// comes back within 1e-11 degrees.
TEST(Hammer, RoundTrips)
{
    for (const POINT centre : {POINT{0, 0}, POINT{-75, 40}}) {
        const IMAGETYPE it = hammer(centre.u, centre.v);
        const double shift = std::sin(centre.v * 0.0174532925199) /
                             std::sqrt(1 + std::cos(centre.v * 0.0174532925199));
        std::vector<POINT> targets, geo, again;
        for (double x = -1.5; x <= 1.5; x += 0.0123)
            for (double y = -1.5; y <= 1.5; y += 0.0123)
                targets.push_back({x, y - shift});
        EXPECT_EQ(plane::inverse(it, targets, &geo), 100);
        for (size_t k = 0; k < targets.size(); ++k) {
            const double x = targets[k].u, y = targets[k].v + shift;
            const bool beyond = x * x + y * y >= 2;
            EXPECT_EQ(geo[k].u == -99999.0 && geo[k].v == -99999.0, beyond) << x << ", " << y;
            if (beyond)
                continue;
            const POINT p = plane::forward1(it, geo[k]);
            EXPECT_NEAR(p.u, targets[k].u, 1e-11) << x << ", " << y;
            EXPECT_NEAR(p.v, targets[k].v, 1e-11) << x << ", " << y;
        }

        std::vector<POINT> grid, xy, back;
        for (double dlon = -179.5; dlon < 180; dlon += 1.25)
            for (double lat = -89.5; lat < 90; lat += 1.25)
                grid.push_back({centre.u + dlon, lat});
        plane::forward(it, grid, &xy);
        plane::inverse(it, xy, &back);
        for (size_t k = 0; k < grid.size(); ++k) {
            EXPECT_NEAR(back[k].u, grid[k].u, 1e-11) << grid[k].u << ", " << grid[k].v;
            EXPECT_NEAR(back[k].v, grid[k].v, 1e-11) << grid[k].u << ", " << grid[k].v;
        }
    }
}

// PROJ's Hammer plane carries the textbook factors 2 sqrt(2) on x and
// sqrt(2) on y and no shift; the engine's is normalised to [-1, 1] and
// shifted by sin(phi0) / sqrt(1 + cos(phi0)).
POINT engine_plane_of_peer(PJ_COORD peer, double lat0)
{
    const double phi0 = lat0 * pi / 180;
    return {peer.xy.x / (2 * std::sqrt(2.0)),
            peer.xy.y / std::sqrt(2.0) - std::sin(phi0) / std::sqrt(1 + std::cos(phi0))};
}

// Random points of the whole map around lon0, degrees.
std::vector<POINT> world_sample(double lon0, int count)
{
    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> lon(lon0 - 179.9, lon0 + 179.9), lat(-89.9, 89.9);
    std::vector<POINT> v;
    for (int i = 0; i < count; ++i) {
        const double u = lon(gen);
        v.push_back({u, lat(gen)});
    }
    return v;
}

TEST(HammerPeer, ForwardAgainstPROJ)
{
    // Tolerance 1e-10 plane units: the degree factor is 2.5e-12 short,
    // under 1e-11 on a plane of unit half-width.  (The round trips above
    // carry the comparison over to the inverse.)
    const double lon0 = 20, lat0 = 10;
    PJ *peer = proj_create(PJ_DEFAULT_CTX, "+proj=hammer +R=1 +lon_0=20");
    ASSERT_NE(peer, nullptr);
    const IMAGETYPE it = hammer(lon0, lat0);
    const std::vector<POINT> geo = world_sample(lon0, 400);
    std::vector<POINT> xy;
    plane::forward(it, geo, &xy);
    for (size_t k = 0; k < geo.size(); ++k) {
        const PJ_COORD c = proj_trans(peer, PJ_FWD,
                                      proj_coord(geo[k].u * pi / 180, geo[k].v * pi / 180, 0, 0));
        const POINT want = engine_plane_of_peer(c, lat0);
        EXPECT_NEAR(xy[k].u, want.u, 1e-10) << geo[k].u << ", " << geo[k].v;
        EXPECT_NEAR(xy[k].v, want.v, 1e-10) << geo[k].u << ", " << geo[k].v;
    }
    proj_destroy(peer);
}

} // namespace
