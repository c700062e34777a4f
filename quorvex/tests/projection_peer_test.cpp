// Every projection of the engine against the PROJ library, forward and
// inverse, on a few hundred points spread over its domain.  Plane units are
// converted here, never in the engine: PROJ gives metres, the conformal
// conic works in kilometres and the geostationary view in degrees of scan
// angle.  Each tolerance follows from the engine's own constants; the
// comment on each case says how.
#include "projection_fixtures.h"
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using fixtures::end_marker;
using fixtures::image;
using fixtures::point_list;

namespace {

constexpr double exact_deg_to_rad = M_PI / 180.0;

// A prepared PROJ conversion, released on scope exit.
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

    // Degrees to metres; false when PROJ cannot project the point.
    bool forward(double lon, double lat, double *x, double *y) const
    {
        PJ_COORD c = proj_coord(lon * exact_deg_to_rad, lat * exact_deg_to_rad, 0, 0);
        c = proj_trans(pj_, PJ_FWD, c);
        *x = c.xy.x;
        *y = c.xy.y;
        return std::isfinite(*x) && std::isfinite(*y) && *x != HUGE_VAL;
    }

    // Metres to degrees.
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
    int16_t code;
    double lon_center, lat_center, par1, par2;
    double a, b, fe, fn;
    std::string peer;       // the same projection in PROJ's terms
    double plane_per_metre; // engine plane unit per PROJ metre
    double lon_min, lon_max, lat_min, lat_max;  // sampled domain, degrees
    double forward_tolerance;  // engine plane units
    double inverse_tolerance;  // degrees
};

// geostationary scan angle: PROJ's plane is the angle times the height.
constexpr double geos_height_m = 35785845.0;

const PeerCase peer_cases[] = {
    // Plane degrees equal to R times radians with R = 180/pi: agreement to
    // rounding (1e-9 degrees).
    {"plate carree", 3, 12.0, -5.0, -99999.0, -99999.0, 0, 0, 0, 0,
     "+proj=eqc +R=57.29577951308232 +lon_0=12 +lat_0=-5", 1.0,
     -150, 170, -85, 85, 1e-9, 1e-9},
    // The forward is the closed formula; the truncated degree factor moves
    // an angle by 2.5e-12 of itself, under 2e-8 km at these distances, so
    // 1e-6 km (1 mm).  The inverse stops when two latitude estimates differ
    // by less than 1e-5 rad; the step contracts by about e^2 (0.0067),
    // which leaves up to 6.7e-8 rad (3.9e-6 degrees): tolerance 5e-6
    // degrees.
    {"conformal conic, northern secant", 4, 10.0, 45.0, 30.0, 60.0,
     6378137.0, 6356752.314, 0, 0,
     "+proj=lcc +lat_1=30 +lat_2=60 +lat_0=45 +lon_0=10 +a=6378137 +b=6356752.314",
     1e-3, -50, 70, 5, 80, 1e-6, 5e-6},
    {"conformal conic, southern secant", 4, -60.0, -35.0, -20.0, -50.0,
     6378137.0, 6356752.314, 0, 0,
     "+proj=lcc +lat_1=-20 +lat_2=-50 +lat_0=-35 +lon_0=-60 +a=6378137 +b=6356752.314",
     1e-3, -110, -10, -80, -5, 1e-6, 5e-6},
    {"conformal conic, one parallel", 4, 0.0, 40.0, 40.0, 40.0,
     6378137.0, 6356752.314, 0, 0,
     "+proj=lcc +lat_1=40 +lat_0=40 +lon_0=0 +a=6378137 +b=6356752.314",
     1e-3, -60, 60, 10, 80, 1e-6, 5e-6},
    // Forward: the reduced latitude uses the ratio of the radii rounded to
    // 0.9966442 (b/a is 0.99664429604), which moves a point by up to 0.3 m,
    // below 5e-7 degrees of scan angle from 35786 km: tolerance 1e-6
    // degrees.  Inverse: the rounded (RS/a)^2 = 43.70121 enters the range
    // to the surface with a weight that grows towards the limb; within 60
    // degrees of the sub-satellite point it moves a point by up to about
    // 5e-6 degrees: tolerance 1e-5 degrees.
    {"geostationary view", 5, 9.5, 0.0, -99999.0, -99999.0, 6378.155, 6356.7518, 0, 0,
     "+proj=geos +h=35785845 +a=6378155 +b=6356751.8 +lon_0=9.5 +sweep=y",
     180.0 / M_PI / geos_height_m, -50.5, 69.5, -60, 60, 1e-6, 1e-5},
    // Closed formula forward: the degree factor is 2.5e-12 short, which
    // turns a longitude difference of up to pi by 7.8e-12 rad; at rho up to
    // 1.1e7 m that is 8.6e-5 m, plus less for the latitude: tolerance 2e-4
    // m.  Inverse iterates to 1e-10 rad: 1e-8 degrees.
    {"polar stereographic, north", 7, -45.0, 70.0, -99999.0, -99999.0,
     6378137.0, 6356752.314, 1000.0, -2000.0,
     "+proj=stere +lat_0=90 +lat_ts=70 +lon_0=-45 +x_0=1000 +y_0=-2000 +a=6378137 +b=6356752.314",
     1.0, -180, 180, 20, 90, 2e-4, 1e-8},
    {"polar stereographic, south", 7, 0.0, -71.0, -99999.0, -99999.0,
     6378137.0, 6356752.314, 0, 0,
     "+proj=stere +lat_0=-90 +lat_ts=-71 +lon_0=0 +a=6378137 +b=6356752.314",
     1.0, -180, 180, -90, -30, 2e-4, 1e-8},
    {"polar stereographic, true scale at the pole", 7, 30.0, 90.0, -99999.0, -99999.0,
     6378137.0, 6356752.314, 0, 0,
     "+proj=stere +lat_0=90 +lat_ts=90 +lon_0=30 +a=6378137 +b=6356752.314",
     1.0, -180, 180, 40, 90, 2e-4, 1e-8},
    // The engine sums the textbook series, PROJ an expansion exact to far
    // below a millimetre.  The textbook series drops the terms of order
    // e'^4 A^4 and beyond (A = cos(phi) dlon), about 1 mm at 3.5 degrees
    // from the central meridian, the edge of a zone with its overlap:
    // tolerance 2 mm forward and its angle, 2e-8 degrees, inverse.
    {"transverse Mercator, UTM zone 32", 10, 9.0, 0.0, -99999.0, -99999.0,
     6378137.0, 6356752.314, 500000.0, 0.0,
     "+proj=tmerc +lat_0=0 +lon_0=9 +k_0=0.9996 +x_0=500000 +y_0=0 +a=6378137 +b=6356752.314",
     1.0, 5.5, 12.5, -80, 84, 2e-3, 2e-8},
    // On a sphere the forward takes the closed formulas: exact up to the
    // degree factor (1e-4 m) except within a few hundredths of a degree of
    // the equator, where the arc cosine of a value next to 1 costs up to a
    // few metres in y (the edge tests cover it; the samples miss it).  The
    // inverse still sums the series, within the 2e-8 degrees above.
    {"transverse Mercator, sphere", 10, -3.0, 0.0, -99999.0, -99999.0,
     6371000.0, 6371000.0, 0.0, 0.0,
     "+proj=tmerc +lat_0=0 +lon_0=-3 +k_0=0.9996 +R=6371000",
     1.0, -6.5, 0.5, -80, 84, 1e-4, 2e-8},
    // Albers: the degree factor moves an angle of up to 1.5 rad by 3.8e-12
    // rad, 4e-5 m at the radii of these cones: tolerance 1e-4 m.  The
    // latitude iteration is Newton's method stopped on a step of 1e-7 rad,
    // after which the error is of the order of the step squared: 1e-9
    // degrees.
    {"Albers conterminous", 8, -96.0, 23.0, 29.5, 45.5, 6378137.0, 6356752.314245, 0, 0,
     "+proj=aea +lat_1=29.5 +lat_2=45.5 +lat_0=23 +lon_0=-96 +a=6378137 +b=6356752.314245",
     1.0, -150, -40, 5, 85, 1e-4, 1e-9},
    {"Albers southern with offsets", 8, 132.0, -18.0, -18.0, -36.0, 6378137.0, 6356752.314245,
     1e6, 2e6,
     "+proj=aea +lat_1=-18 +lat_2=-36 +lat_0=-18 +lon_0=132 +x_0=1000000 +y_0=2000000 "
     "+a=6378137 +b=6356752.314245",
     1.0, 80, 180, -85, -5, 1e-4, 1e-9},
    {"Albers one parallel", 8, 10.0, 40.0, 50.0, 50.0, 6378137.0, 6356752.314245, 0, 0,
     "+proj=aea +lat_1=50 +lat_2=50 +lat_0=40 +lon_0=10 +a=6378137 +b=6356752.314245",
     1.0, -40, 60, 20, 80, 1e-4, 1e-9},
    // Lambert azimuthal: the same factor error, magnified by the tangential
    // scale 1/cos(z/2) (below 6 within 160 degrees of the centre): at most
    // 6371 km * 7.8e-12 * 6 = 3e-4 m, tolerance 1e-3 m; inverse 1e-9
    // degrees, polar centres included.
    {"Lambert azimuthal oblique", 6, 10.0, 52.0, -99999.0, -99999.0, 6371007.0, 6371007.0, 0, 0,
     "+proj=laea +lat_0=52 +lon_0=10 +R=6371007", 1.0, -170, 180, -30, 90, 1e-3, 1e-9},
    {"Lambert azimuthal north polar", 6, 0.0, 90.0, -99999.0, -99999.0, 6371007.0, 6371007.0,
     0, 0, "+proj=laea +lat_0=90 +lon_0=0 +R=6371007", 1.0, -180, 180, -60, 90, 1e-3, 1e-9},
    {"Lambert azimuthal south polar", 6, -45.0, -90.0, -99999.0, -99999.0, 6371007.0,
     6371007.0, 0, 0, "+proj=laea +lat_0=-90 +lon_0=-45 +R=6371007", 1.0, -180, 180, -90,
     60, 1e-3, 1e-9},
    {"Lambert azimuthal equatorial", 6, 100.0, 0.0, -99999.0, -99999.0, 6371007.0, 6371007.0,
     0, 0, "+proj=laea +lat_0=0 +lon_0=100 +R=6371007", 1.0, -20, 180, -80, 80, 1e-3, 1e-9},
    // Goode: the stored region meridians differ from the exact angles by up
    // to 5e-13 rad and the Mollweide x factor 0.900316316158 from sqrt(8)/pi
    // by 1e-12 of itself; the seam offset 0.0528035274542 lies 8.6e-11
    // above the value at which both parts meet exactly (0.052803527368),
    // 0.55 mm in y on this sphere: tolerance 1e-3 m.  The same offset moves
    // Mollweide latitudes by about 1e-10 rad at mid-latitudes and more
    // towards the poles, where y hardly changes with latitude (3.5e-8
    // degrees at 89.9): inverse 1e-7 degrees.
    {"Goode homolosine", 9, 0.0, 0.0, -99999.0, -99999.0, 6371007.0, 6371007.0, 0, 0,
     "+proj=igh +R=6371007", 1.0, -180, 180, -90, 90, 1e-3, 1e-7},
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const PeerCase &c, std::ostream *os) { *os << c.name; }

class PeerTest : public ::testing::TestWithParam<PeerCase> {};

IMAGETYPE engine_image(const PeerCase &c)
{
    IMAGETYPE it = image(c.code, c.lon_center, c.lat_center, 1.0, 1.0, 0.0, 0.0);
    it.header.par1 = c.par1;
    it.header.par2 = c.par2;
    it.header.a = c.a;
    it.header.b = c.b;
    it.header.fe = c.fe;
    it.header.fn = c.fn;
    return it;
}

std::vector<double> sample_points(const PeerCase &c, int count)
{
    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> lon(c.lon_min, c.lon_max), lat(c.lat_min, c.lat_max);
    std::vector<double> v;
    for (int i = 0; i < count; ++i) {
        v.push_back(lon(gen));
        v.push_back(lat(gen));
    }
    return v;
}

TEST_P(PeerTest, ForwardAgrees)
{
    const PeerCase &c = GetParam();
    Peer peer(c.peer);
    ASSERT_TRUE(peer.ok()) << c.peer;
    IMAGETYPE it = engine_image(c);
    _InitProjection(&it, 0);

    std::vector<double> buf = sample_points(c, 300);
    const std::vector<double> geo = buf;
    buf.push_back(end_marker);
    _LonLatToImage(&it, buf.data(), 0, 0);  // unit grid: column x, line -y

    int compared = 0;
    for (size_t k = 0; k < geo.size() / 2; ++k) {
        double x, y;
        if (!peer.forward(geo[2 * k], geo[2 * k + 1], &x, &y))
            continue;
        EXPECT_NEAR(buf[2 * k], x * c.plane_per_metre, c.forward_tolerance)
            << c.name << " at " << geo[2 * k] << ", " << geo[2 * k + 1];
        EXPECT_NEAR(-buf[2 * k + 1], y * c.plane_per_metre, c.forward_tolerance)
            << c.name << " at " << geo[2 * k] << ", " << geo[2 * k + 1];
        ++compared;
    }
    EXPECT_GE(compared, 290) << c.name;
}

TEST_P(PeerTest, InverseAgrees)
{
    const PeerCase &c = GetParam();
    Peer peer(c.peer);
    ASSERT_TRUE(peer.ok()) << c.peer;
    IMAGETYPE it = engine_image(c);
    _InitProjection(&it, 0);

    // Plane points are PROJ's images of the sampled points, fed to the
    // installed inverse as one line (the frame's own line preparation is
    // tested on its own).
    const std::vector<double> geo = sample_points(c, 300);
    std::vector<double> metres, buf;
    for (size_t k = 0; k < geo.size() / 2; ++k) {
        double x, y;
        if (!peer.forward(geo[2 * k], geo[2 * k + 1], &x, &y))
            continue;
        metres.push_back(x);
        metres.push_back(y);
        buf.push_back(x * c.plane_per_metre);
        buf.push_back(y * c.plane_per_metre);
    }
    buf.push_back(end_marker);
    const long count = static_cast<long>(metres.size() / 2);
    ASSERT_GE(count, 290) << c.name;

    std::vector<double> empty(1);
    _ImageToLonLat(&it, 0, empty.data(), 0, 0);  // selects block and header
    quorvex::Width = static_cast<uint16_t>(count);
    EXPECT_EQ(quorvex::Pj->proj_inv(buf.data()), 100) << c.name;

    for (long k = 0; k < count; ++k) {
        double lon, lat;
        ASSERT_TRUE(peer.inverse(metres[2 * k], metres[2 * k + 1], &lon, &lat));
        // Longitude differences are compared on the circle.
        const double dlon = std::remainder(buf[2 * k] - lon, 360.0);
        EXPECT_NEAR(dlon * std::cos(lat * exact_deg_to_rad), 0.0, c.inverse_tolerance)
            << c.name << " at " << lon << ", " << lat;
        EXPECT_NEAR(buf[2 * k + 1], lat, c.inverse_tolerance)
            << c.name << " at " << lon << ", " << lat;
    }
}

INSTANTIATE_TEST_SUITE_P(Projections, PeerTest, ::testing::ValuesIn(peer_cases),
                         [](const ::testing::TestParamInfo<PeerCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p)))
                                     name += *p;
                             return name;
                         });

} // namespace
