// The faster evaluations against the methods they stand in for, on dense
// grids (densest towards both ends): the latitude from t and from q against
// _pj_phi2 and phi1z with their statuses, the Mollweide angle against its
// Newton iteration, and the rewritten closed forms against the formulas as
// first written.  Bounds: 1e-11 degrees on the geographic side, 1e-9 pixels
// of 1 km (1e-6 m) on the image side.
#include "plane_access.h"
#include "trasfo/projections/goode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using plane::POINT;
namespace q = quorvex;

namespace {

const double d = 0.0174532925199;  // the engine's degree factor

// x over [lo, hi]: 50001 even steps and 10000 more closing in on each end
// down to 1e-12 of the span.
std::vector<double> grid(double lo, double hi)
{
    std::vector<double> xs;
    for (int i = 0; i <= 50000; ++i)
        xs.push_back(lo + (hi - lo) * i / 50000);
    for (int i = 0; i < 10000; ++i) {
        const double gap = (hi - lo) * std::pow(10.0, -1.0 - 11.0 * i / 10000);
        xs.push_back(lo + gap);
        xs.push_back(hi - gap);
    }
    return xs;
}

// The largest difference seen and where, and where the statuses differed.
struct Worst {
    double diff = 0, at = 0, status_at = NAN;
    void see(double x, double fast, double part, bool same_status = true)
    {
        if (!same_status)
            status_at = x;
        if (!(std::fabs(fast - part) <= diff)) {
            diff = std::fabs(fast - part);
            at = x;
        }
    }
};

#define EXPECT_WITHIN(worst, tolerance, what)                                      \
    EXPECT_LE(worst.diff, tolerance) << what << ", at " << worst.at;                \
    EXPECT_TRUE(std::isnan(worst.status_at)) << what << ": status at " << worst.status_at

TEST(FasterMethods, LatitudesFromTAndFromQ)
{
    for (double e : {0.0818191908426215, 0.5, 1e-4}) {
        q::PROJ block{};
        block.e = e;
        block.A_es = e * e;
        q::Pj = &block;
        const q::ConformalInverse conformal = q::conformal_inverse_for(e);
        const q::AuthalicInverse authalic = q::authalic_inverse_for(e);
        Worst from_t, from_q;
        for (double x : grid(-1.01, 1.01)) {
            // t over every latitude; q up to 1.01 times its value at the pole.
            const double phi = x * q::half_pi, ts = q::_TFunction(phi, std::sin(phi));
            int16_t fast = 100, part = 100;
            double a = q::latitude_of_t(ts, conformal, &fast), b = q::_pj_phi2(ts, &part);
            from_t.see(x, a / d, b / d, fast == part);
            a = q::latitude_of_q(x * authalic.qp, authalic, &fast);
            b = q::phi1z(x * authalic.qp, &part);
            from_q.see(x, part == 100 ? a / d : 0, part == 100 ? b / d : 0, fast == part);
        }
        EXPECT_WITHIN(from_t, 1e-11, "latitude from t, e " << e);
        EXPECT_WITHIN(from_q, 1e-11, "latitude from q, e " << e);
    }
}

TEST(FasterMethods, MollweideAngle)
{
    // sin and cos of theta times 1.5e7 m, x of the widest lobe (2.62 rad)
    // of the Earth per unit.
    Worst worst;
    for (double x : grid(-1, 1)) {
        const double phi = std::copysign(0.710987989993 + (q::half_pi - 0.710987989993) * std::fabs(x), x);
        double s, c, theta;
        const bool fast = q::mollweide_sine_cosine(phi, std::sin(phi), std::cos(phi), &s, &c);
        const bool part = q::mollweide_theta(phi, std::sin(phi), std::cos(phi), &theta);
        worst.see(phi, s * 1.5e7, std::sin(theta) * 1.5e7, fast == part);
        worst.see(phi, c * 1.5e7, std::cos(theta) * 1.5e7);
    }
    EXPECT_WITHIN(worst, 1e-6, "Mollweide angle");
}

// The conformal conic (km) and polar stereographic (m) forward on their
// central meridians, the conic's inverse latitude, and the geostationary
// view on two diagonals of its box (degrees of scan angle: 1e-9 pixels of
// 1e-3 degrees).  Block constants are read from the input block.
TEST(FasterMethods, ClosedForms)
{
    const q::PROJ &p = q::InpPj;
    const IMAGETYPE polar = plane::prepare({7, 6378137, 6356752.314, -45, 70});
    Worst conic_forward, conic_inverse, stereographic, scan;
    for (double lat : grid(-30, 90)) {
        const double t = q::_TFunction(lat * d, std::sin(lat * d));
        stereographic.see(lat, plane::forward1(polar, {-45, lat}).v, -p.a * p.PS_mcs * t / p.PS_tcs);
    }
    const IMAGETYPE conic = plane::prepare({4, 6378137, 6356752.314, 10, 45, 30, 60});
    for (double lat : grid(-30, 90)) {
        const double t = q::_TFunction(lat * d, std::sin(lat * d));
        conic_forward.see(lat, plane::forward1(conic, {10, lat}).v,
                          p.LCC_Rho0 - p.a * p.LCC_F * q::_Power(t, p.LCC_N));
    }
    for (double y : grid(-10000, 6000)) {
        const double t = q::_Power(std::fabs(p.LCC_Rho0 - y) / (p.a * p.LCC_F), 1 / p.LCC_N);
        double newphi = q::half_pi - 2.0 * std::atan(t);
        for (int i = 0; i < 15; ++i) {
            const double phi = newphi, con = p.e * std::sin(phi);
            newphi = q::half_pi - 2.0 * std::atan(t * q::_Power((1 - con) / (1 + con), p.e / 2));
            if (std::fabs(phi - newphi) < 1e-5)
                break;
        }
        conic_inverse.see(y, plane::inverse1(conic, {0, y}).v, newphi * 57.2957795131);
    }
    EXPECT_WITHIN(conic_forward, 1e-9, "conformal conic forward");
    EXPECT_WITHIN(conic_inverse, 1e-11, "conformal conic inverse");
    EXPECT_WITHIN(stereographic, 1e-6, "polar stereographic forward");

    const IMAGETYPE view = plane::prepare({5, 6378.155, 6356.7518, 20, 0});
    for (double x : grid(-81.29, 81.29)) {
        for (POINT g : {POINT{20 + x, 0.9 * x}, POINT{20 - x, 0.5 * x}}) {
            const double xla = g.u * d - p.Lam0, teta = std::atan(std::tan(g.v * d) * 0.9966442);
            const double xt = p.a * std::cos(teta) * std::cos(xla) - 42164.0;
            const double yt = p.a * std::cos(teta) * std::sin(xla);
            const double ppx = std::atan(yt / xt);
            const double ppy = std::atan((-p.b * std::sin(teta) / xt) * std::cos(ppx));
            const POINT engine = plane::forward1(view, g);
            scan.see(x, engine.u, -ppx * 57.2957795131);
            scan.see(x, engine.v, ppy * 57.2957795131);
        }
    }
    EXPECT_WITHIN(scan, 1e-12, "geostationary forward");
}

} // namespace
