// Albers, Goode homolosine, Lambert azimuthal and Hammer-Aitoff against the
// PROJ library (aea, igh, laea on the sphere of radius a, hammer), forward
// and inverse, on a few hundred points of each domain.  PROJ's plane is
// converted to the engine's here; each tolerance says which of the
// engine's constants it comes from.
#include "plane_access.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using plane::POINT;

namespace {

constexpr double exact_deg_to_rad = M_PI / 180.0;

// A prepared PROJ conversion between radians and its plane.
class Peer {
public:
    explicit Peer(const std::string &definition)
        : ctx_(proj_context_create()), pj_(proj_create(ctx_, definition.c_str()))
    {
    }
    ~Peer()
    {
        if (pj_ != nullptr)
            proj_destroy(pj_);
        proj_context_destroy(ctx_);
    }
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;

    bool ok() const { return pj_ != nullptr; }

    bool forward(double lon, double lat, double *x, double *y) const
    {
        PJ_COORD c = proj_coord(lon * exact_deg_to_rad, lat * exact_deg_to_rad, 0, 0);
        c = proj_trans(pj_, PJ_FWD, c);
        *x = c.xy.x;
        *y = c.xy.y;
        return std::isfinite(*x) && std::isfinite(*y) && *x != HUGE_VAL;
    }

    bool inverse(double x, double y, double *lon, double *lat) const
    {
        PJ_COORD c = proj_trans(pj_, PJ_INV, proj_coord(x, y, 0, 0));
        *lon = c.lp.lam / exact_deg_to_rad;
        *lat = c.lp.phi / exact_deg_to_rad;
        return std::isfinite(*lon) && std::isfinite(*lat) && c.lp.lam != HUGE_VAL;
    }

private:
    PJ_CONTEXT *ctx_;
    PJ *pj_;
};

struct PeerCase {
    const char *name;
    plane::DEFINITION definition;
    std::string peer;
    double lon_min, lon_max, lat_min, lat_max;  // sampled domain, degrees
    double forward_tolerance;                   // engine plane units
    double inverse_tolerance;                   // degrees
};

const double wgs_a = 6378137.0, wgs_b = 6356752.314245;
const double sphere = 6371007.0;

// Albers: the degree factor is 2.5e-12 short, which moves an angle of up
// to 1.5 rad by 3.8e-12 rad, 4e-5 m at the radii of these cones: forward
// tolerance 1e-4 m.  The inverse's latitude iteration is Newton's method,
// stopped on a step of 1e-7 rad, after which the error is of the order of
// the step squared; the radian-to-degree factor adds 3e-13 of the angle:
// 1e-9 degrees.
// Lambert azimuthal: the same factor error, magnified by the tangential
// scale 1/cos(z/2) (below 6 within 160 degrees of the centre): at most
// 6371 km * 7.8e-12 * 6 = 3e-4 m, tolerance 1e-3 m; inverse 1e-9 degrees.
// Goode: the stored region meridians differ from the exact angles by up to
// 5e-13 rad and the Mollweide x factor 0.900316316158 from sqrt(8)/pi by
// 1e-12 of itself, with the degree factor up to 1.1e-4 m at x = 2e7 m; the
// seam offset 0.0528035274542 lies 8.6e-11 above the value at which both
// parts meet exactly (0.052803527368), 0.55 mm in y on this sphere:
// tolerance 1e-3 m.  The same offset moves Mollweide latitudes by about
// 1e-10 rad at mid-latitudes and more towards the poles, where y hardly
// changes with latitude (3.5e-8 degrees at 89.9): inverse 1e-7 degrees.
const PeerCase peer_cases[] = {
    {"Albers conterminous", {8, wgs_a, wgs_b, -96, 23, 29.5, 45.5, 0, 0},
     "+proj=aea +lat_1=29.5 +lat_2=45.5 +lat_0=23 +lon_0=-96 +a=6378137 +b=6356752.314245",
     -150, -40, 5, 85, 1e-4, 1e-9},
    {"Albers southern with offsets", {8, wgs_a, wgs_b, 132, -18, -18, -36, 1e6, 2e6},
     "+proj=aea +lat_1=-18 +lat_2=-36 +lat_0=-18 +lon_0=132 +x_0=1000000 +y_0=2000000 "
     "+a=6378137 +b=6356752.314245",
     80, 180, -85, -5, 1e-4, 1e-9},
    {"Albers one parallel", {8, wgs_a, wgs_b, 10, 40, 50, 50, 0, 0},
     "+proj=aea +lat_1=50 +lat_2=50 +lat_0=40 +lon_0=10 +a=6378137 +b=6356752.314245",
     -40, 60, 20, 80, 1e-4, 1e-9},
    {"Lambert azimuthal oblique", {6, sphere, sphere, 10, 52, -99999, -99999, 0, 0},
     "+proj=laea +lat_0=52 +lon_0=10 +R=6371007", -170, 180, -30, 90, 1e-3, 1e-9},
    {"Lambert azimuthal north polar", {6, sphere, sphere, 0, 90, -99999, -99999, 0, 0},
     "+proj=laea +lat_0=90 +lon_0=0 +R=6371007", -180, 180, -60, 90, 1e-3, 1e-9},
    {"Lambert azimuthal south polar", {6, sphere, sphere, -45, -90, -99999, -99999, 0, 0},
     "+proj=laea +lat_0=-90 +lon_0=-45 +R=6371007", -180, 180, -90, 60, 1e-3, 1e-9},
    {"Lambert azimuthal equatorial", {6, sphere, sphere, 100, 0, -99999, -99999, 0, 0},
     "+proj=laea +lat_0=0 +lon_0=100 +R=6371007", -20, 180, -80, 80, 1e-3, 1e-9},
    {"Goode homolosine", {9, sphere, sphere, 0, 0, -99999, -99999, 0, 0},
     "+proj=igh +R=6371007", -180, 180, -90, 90, 1e-3, 1e-7},
};

std::vector<POINT> sample_points(const PeerCase &c, int count)
{
    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> lon(c.lon_min, c.lon_max), lat(c.lat_min, c.lat_max);
    std::vector<POINT> v;
    for (int i = 0; i < count; ++i) {
        const double u = lon(gen);
        v.push_back({u, lat(gen)});
    }
    return v;
}

class EqualAreaPeer : public ::testing::TestWithParam<PeerCase> {};

TEST_P(EqualAreaPeer, ForwardAgrees)
{
    const PeerCase &c = GetParam();
    const Peer peer(c.peer);
    ASSERT_TRUE(peer.ok()) << c.peer;
    const IMAGETYPE it = plane::prepare(c.definition);
    const std::vector<POINT> geo = sample_points(c, 300);
    std::vector<POINT> xy;
    ASSERT_EQ(plane::forward(it, geo, &xy), 100) << c.name;
    int compared = 0;
    for (size_t k = 0; k < geo.size(); ++k) {
        double x, y;
        if (!peer.forward(geo[k].u, geo[k].v, &x, &y))
            continue;
        EXPECT_NEAR(xy[k].u, x, c.forward_tolerance) << c.name << " at " << geo[k].u << ", " << geo[k].v;
        EXPECT_NEAR(xy[k].v, y, c.forward_tolerance) << c.name << " at " << geo[k].u << ", " << geo[k].v;
        ++compared;
    }
    EXPECT_GE(compared, 290) << c.name;
}

TEST_P(EqualAreaPeer, InverseAgrees)
{
    const PeerCase &c = GetParam();
    const Peer peer(c.peer);
    ASSERT_TRUE(peer.ok()) << c.peer;
    const IMAGETYPE it = plane::prepare(c.definition);
    std::vector<POINT> xy;
    for (const POINT &g : sample_points(c, 300)) {
        double x, y;
        if (peer.forward(g.u, g.v, &x, &y))
            xy.push_back({x, y});
    }
    ASSERT_GE(xy.size(), 290u) << c.name;
    std::vector<POINT> geo;
    ASSERT_EQ(plane::inverse(it, xy, &geo), 100) << c.name;
    for (size_t k = 0; k < xy.size(); ++k) {
        double lon, lat;
        ASSERT_TRUE(peer.inverse(xy[k].u, xy[k].v, &lon, &lat));
        const double dlon = std::remainder(geo[k].u - lon, 360.0);
        EXPECT_NEAR(dlon * std::cos(lat * exact_deg_to_rad), 0.0, c.inverse_tolerance)
            << c.name << " at " << lon << ", " << lat;
        EXPECT_NEAR(geo[k].v, lat, c.inverse_tolerance) << c.name << " at " << lon << ", " << lat;
    }
}

INSTANTIATE_TEST_SUITE_P(Projections, EqualAreaPeer, ::testing::ValuesIn(peer_cases),
                         [](const ::testing::TestParamInfo<PeerCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p)))
                                     name += *p;
                             return name;
                         });

// Hammer: PROJ's plane carries the textbook factors 2 sqrt(2) on x and
// sqrt(2) on y and no shift by the centre latitude; the engine's is
// normalised to [-1, 1] and shifted by sin(phi0) / sqrt(1 + cos(phi0)).
struct HAMMER_CENTRE {
    double lon0, lat0;
};

POINT engine_plane_of_peer(double x, double y, double lat0)
{
    const double phi0 = lat0 * exact_deg_to_rad;
    return {x / (2 * std::sqrt(2.0)), y / std::sqrt(2.0) - std::sin(phi0) / std::sqrt(1 + std::cos(phi0))};
}

TEST(HammerPeer, ForwardAgreesAfterUndoingTheNormalisation)
{
    // Tolerance 1e-10 plane units: the degree factor is 2.5e-12 short, an
    // error of under 1e-11 on a plane of unit half-width.
    for (HAMMER_CENTRE centre : {HAMMER_CENTRE{0, 0}, HAMMER_CENTRE{-60, 25}, HAMMER_CENTRE{150, -40}}) {
        const Peer peer("+proj=hammer +R=1 +lon_0=" + std::to_string(centre.lon0));
        ASSERT_TRUE(peer.ok());
        const IMAGETYPE it = plane::prepare({2, 1, 1, centre.lon0, centre.lat0});
        const std::vector<POINT> geo =
            sample_points({"", {}, "", centre.lon0 - 179.9, centre.lon0 + 179.9, -89.9, 89.9, 0, 0}, 300);
        std::vector<POINT> xy;
        plane::forward(it, geo, &xy);
        for (size_t k = 0; k < geo.size(); ++k) {
            double x, y;
            ASSERT_TRUE(peer.forward(geo[k].u, geo[k].v, &x, &y));
            const POINT want = engine_plane_of_peer(x, y, centre.lat0);
            EXPECT_NEAR(xy[k].u, want.u, 1e-10) << geo[k].u << ", " << geo[k].v;
            EXPECT_NEAR(xy[k].v, want.v, 1e-10) << geo[k].u << ", " << geo[k].v;
        }
    }
}

TEST(HammerPeer, InverseReachesTheIterationsAccuracy)
{
    // PROJ inverts in closed form; the engine's secant iteration usually
    // stops on its determinant test a step early.  Over random points of
    // the whole map half come back within 3e-4 degrees, nine in ten within
    // 1e-2; the far tail (near the outline) is not bounded.
    const Peer peer("+proj=hammer +R=1 +lon_0=20");
    ASSERT_TRUE(peer.ok());
    const IMAGETYPE it = plane::prepare({2, 1, 1, 20, 10});
    std::vector<POINT> targets, truth;
    for (const POINT &g : sample_points({"", {}, "", -159.5, 199.5, -89.5, 89.5, 0, 0}, 400)) {
        double x, y;
        ASSERT_TRUE(peer.forward(g.u, g.v, &x, &y));
        targets.push_back(engine_plane_of_peer(x, y, 10));
        double lon, lat;
        ASSERT_TRUE(peer.inverse(x, y, &lon, &lat));
        truth.push_back({lon, lat});
    }
    std::vector<POINT> geo;
    EXPECT_EQ(plane::inverse(it, targets, &geo), 100);
    std::vector<double> error;
    for (size_t k = 0; k < geo.size(); ++k)
        error.push_back(std::max(std::fabs(std::remainder(geo[k].u - truth[k].u, 360.0)),
                                 std::fabs(geo[k].v - truth[k].v)));
    std::sort(error.begin(), error.end());
    EXPECT_LT(error[error.size() / 2], 3e-4);
    EXPECT_LT(error[error.size() * 9 / 10], 1e-2);
}

} // namespace
