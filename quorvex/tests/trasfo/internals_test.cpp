// What the case files cannot reach: longitudes at the ends of the range, a
// block never prepared, the null-pointer contract, the geodetic helpers, and the
// faster methods against the reference methods they stand in for, on dense
// grids (1e-11 degrees).
#include "trasfo/projections/goode.h"
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace q = quorvex;

namespace {

const double d = 0.0174532925199; // the engine's degree factor

// The helpers read e through the current block: the input block, prepared
// for an Albers image of axes 1 and sqrt(1 - e^2).
void use_eccentricity(double e)
{
    IMAGETYPE it{};
    it.header.projection = 8;
    it.header.a = 1.0;
    it.header.b = std::sqrt(1.0 - e * e);
    it.header.par1 = 30;
    it.header.par2 = 60;
    _InitProjection(&it, 0);
}

TEST(Frame, UnpreparedBlockAndNullPointers)
{
    // A block never given operations converts nothing.
    q::OutPj = q::PROJ{};
    IMAGETYPE it{};
    it.header.projection = 3;
    it.header.lon_center = 10;
    it.dx = it.dy = 1;
    std::vector<double> buf(7, 1.0);
    _ImageToLonLat(&it, 0, buf.data(), 3, 1);
    EXPECT_EQ(buf[2], 1.0);
    EXPECT_EQ(buf[6], -99999.0);
    // Null images and buffers change nothing.
    q::PROJ *const before = q::Pj;
    std::vector<double> list = {1.0, 2.0, -99999.0};
    _InitProjection(nullptr, 1);
    _LonLatToImage(nullptr, list.data(), 1, 1);
    _LonLatToImage(&it, nullptr, 1, 1);
    _ImageToLonLat(&it, 0, nullptr, 10, 1);
    _ImageToLonLat(nullptr, 0, list.data(), 1, 1);
    EXPECT_EQ(_ChangeULValues(nullptr, 0, 3), 0);
    EXPECT_EQ(q::Pj, before);
    EXPECT_EQ(list, (std::vector<double>{1.0, 2.0, -99999.0}));
}

TEST(Helpers, HalfTurnAndPowerOfABaseNotPositive)
{
    // The cases fold longitudes through the degree factor, which never
    // gives a half turn exactly.  The conformal conic's inverse takes t = 0,
    // the pole, from a base not positive at the apex, where rho is 0.
    EXPECT_EQ((std::vector<double>{q::_AdjustLon(q::pi), q::_AdjustLon(-q::pi), q::_Power(0.0, 1.5),
                                   q::_Power(-8.0, 1.0 / 3.0), q::_Power(std::nan(""), 1.0)}),
              (std::vector<double>{q::pi, -q::pi, 0.0, 0.0, 0.0}));
}

// The folding takes the turns of a binade at once; it must end where taking
// them off one at a time ends, bit for bit: at random magnitudes up to the
// loop's reach, next to binade edges and where a step ends on an edge or
// at 0.
TEST(Helpers, FoldingEndsWhereTheOneTurnLoopEnds)
{
    std::vector<double> values;
    std::mt19937_64 random(7);
    for (int k = 0; k < 3000; ++k)
        values.push_back(std::exp(std::uniform_real_distribution<double>(1.2, 13.8)(random)));
    for (int e = 2; e < 20; ++e)
        for (double edge : {std::ldexp(1.0, e), std::ldexp(1.0, e) + q::two_pi})
            for (int ulps = -3; ulps <= 3; ++ulps)
                values.push_back(edge + ulps * std::ldexp(1.0, e - 52));
    for (double turns : {1.0, 2.0, 3.0, 1000.0})
        values.push_back(turns * q::two_pi);
    for (double v : values) {
        for (double lon : {v, -v}) {
            double loop = lon;
            while (std::fabs(loop) > q::pi)
                loop += loop < 0 ? q::two_pi : -q::two_pi;
            ASSERT_EQ(std::signbit(q::_AdjustLon(lon)), std::signbit(loop)) << lon;
            ASSERT_EQ(q::_AdjustLon(lon), loop) << std::hexfloat << lon;
        }
    }
}

// The rounding of a list up to its end marker, which the frame calls with
// the count it already has: halves of positive values go down, negative
// values are truncated; the integers take the list's first bytes.
TEST(Helpers, RoundingAListToItsMarker)
{
    double list[] = {2.5, 2.51, 0.4, -0.6, -2.7, 1.0, -99999.0, 7.7};
    q::_Arrotonda(list);
    int32_t got[6];
    std::memcpy(got, list, sizeof got);
    EXPECT_EQ(std::vector<int32_t>(got, got + 6), (std::vector<int32_t>{2, 3, 0, 0, -2, 1}));
    EXPECT_EQ(list[6], -99999.0);
}

TEST(Helpers, InversesOfTAndQ)
{
    int16_t err = 42;
    use_eccentricity(0.0);
    EXPECT_EQ(q::_pj_phi2(1.0, &err), 0.0);
    EXPECT_EQ(err, 42);
    EXPECT_EQ(q::phi1z(2.0, &err), q::half_pi); // sphere: the pole beyond q = 2
    EXPECT_EQ(q::phi1z(3.0, &err), q::half_pi);
    use_eccentricity(5e-8);
    EXPECT_EQ(q::_qsfnz(0.3), 0.6); // spherical form below e = 1e-7
    use_eccentricity(2e-7);
    EXPECT_NE(q::_qsfnz(0.3), 0.6);
    // Their accuracy: the faster methods below are held to them, and the
    // cases to PROJ.  Not a number ends both iterations with -3.
    q::_pj_phi2(std::nan(""), &err);
    EXPECT_EQ(err, QUORVEX_PJ_NO_CONVERGENCE);
    err = 100;
    EXPECT_EQ(q::phi1z(std::nan(""), &err), 0.0);
    EXPECT_EQ(err, QUORVEX_PJ_NO_CONVERGENCE);
}

TEST(Helpers, MeridianDistance)
{
    // WGS 84's coefficients in the nested form the series expects.
    const double es = 0.00669437999014, t = es * es;
    const double en[5] = {
        1 - es * (0.25 + es * (0.046875 + es * (0.01953125 + es * 0.01068115234375))),
        es * (0.75 - es * (0.046875 + es * (0.01953125 + es * 0.01068115234375))),
        t * (0.46875 - es * (0.013020833333333334 + es * 0.007120768229166667)),
        t * es * (0.36458333333333331 - es * 0.005696614583333333), t * t * 0.3076171875};
    // Where every term of the series counts: 45 and 30 degrees; and the
    // quarter meridian (10001965.729 m).
    const double m[][2] = {{45, 4984944.378}, {30, 3320113.398}, {90, 10001965.729}};
    for (const auto &c : m) {
        const double phi = c[0] * M_PI / 180;
        const double s = c[0] == 90 ? 1.0 : std::sin(phi), co = c[0] == 90 ? 0.0 : std::cos(phi);
        EXPECT_NEAR(q::_pj_mlfn(phi, s, co, en) * 6378137.0, c[1], 1e-3) << c[0];
    }
    for (double phi : {-1.5, -0.7, 0.2, 1.1, 1.55}) {
        const double dist = q::_pj_mlfn(phi, std::sin(phi), std::cos(phi), en);
        EXPECT_NEAR(q::_pj_inv_mlfn(dist, es, en), phi, 1e-11) << phi;
    }
}

// x over [lo, hi]: 50001 even steps and 10000 more closing in on each end
// down to 1e-12 of the span.
std::vector<double> grid(double lo, double hi)
{
    std::vector<double> xs;
    for (int i = 0; i <= 50000; ++i)
        xs.push_back(lo + (hi - lo) * i / 50000);
    for (int i = 0; i < 10000; ++i) {
        const double gap = (hi - lo) * std::pow(10.0, -1.0 - 11.0 * i / 10000);
        xs.insert(xs.end(), {lo + gap, hi - gap});
    }
    return xs;
}

TEST(FasterMethods, LatitudesFromTAndFromQ)
{
    for (double e : {0.0818191908426215, 0.5, 1e-4}) {
        use_eccentricity(e);
        const q::ConformalInverse conformal = q::conformal_inverse_for(q::InpPj.e);
        const q::AuthalicInverse authalic = q::authalic_inverse_for(q::InpPj.e);
        for (double x : grid(-1.01, 1.01)) {
            // t over every latitude; q up to 1.01 times its value at the pole.
            const double phi = x * q::half_pi, ts = q::_TFunction(phi, std::sin(phi));
            int16_t fast = 100, reference = 100;
            const double a = q::latitude_of_t(ts, conformal, &fast),
                         b = q::_pj_phi2(ts, &reference);
            ASSERT_EQ(fast, reference) << "from t, e " << e << " at " << x;
            ASSERT_NEAR(a / d, b / d, 1e-11) << "from t, e " << e << " at " << x;
            const double qa = q::latitude_of_q(x * authalic.qp, authalic, &fast);
            const double qb = q::phi1z(x * authalic.qp, &reference);
            ASSERT_EQ(fast, reference) << "from q, e " << e << " at " << x;
            if (reference == QUORVEX_SUCCESS) {
                ASSERT_NEAR(qa / d, qb / d, 1e-11) << "from q, e " << e << " at " << x;
            }
        }
    }
}

TEST(FasterMethods, MollweideAngle)
{
    // sin and cos of theta times 1.5e7 m: x of the widest lobe on the Earth.
    for (double x : grid(-1, 1)) {
        const double phi =
            std::copysign(0.710987989993 + (q::half_pi - 0.710987989993) * std::fabs(x), x);
        double s, c, theta;
        ASSERT_EQ(q::mollweide_sine_cosine(phi, std::sin(phi), std::cos(phi), &s, &c),
                  q::mollweide_theta(phi, std::sin(phi), std::cos(phi), &theta))
            << phi;
        ASSERT_NEAR(s * 1.5e7, std::sin(theta) * 1.5e7, 1e-6) << phi;
        ASSERT_NEAR(c * 1.5e7, std::cos(theta) * 1.5e7, 1e-6) << phi;
    }
}

TEST(FasterMethods, GoodeRegions)
{
    // Forward regions of points in radians, and the inverse's on a sphere
    // of radius 2 with the cuts scaled: {lon, lat, region}, on and next to
    // the seam s and the southern cut w.
    const double s = 0.710987989993, w = -1.74532925199, s0 = std::nextafter(s, 0.0),
                 s1 = std::nextafter(-s, -1.0), w0 = std::nextafter(w, 0.0);
    const double cases[][3] = {
        {0, s, 2},         {0, s0, 3},        {0, 0, 3},         {-1, 0, 1},
        {-1, 1, 0},        {0, -s, 8},        {0, s1, 10},       {-100 * d, -.1, 4},
        {-100 * d, -1, 6}, {80 * d, -.1, 8},  {80 * d, -1, 10},  {-40 * d, .1, 3},
        {-40 * d, 1, 2},   {-20 * d, -.1, 8}, {-20 * d, -1, 10}, {w, -.1, 4},
        {w0, -.1, 5},      {-.5, -.1, 5},     {2, -.1, 9},       {2, -1, 11},
        {-3, -1, 6},       {-.5, -1, 7}};
    for (const auto &c : cases) {
        EXPECT_EQ(q::gh_region_of_lonlat(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
        EXPECT_EQ(q::gh_region_of_map(2 * c[0], 2 * c[1], 2), c[2]) << c[0] << ", " << c[1];
    }
}

} // namespace
