// Projection code 10, transverse Mercator with the central scale 0.9996
// (Snyder, eqs. 8-9 to 8-25; the spherical form 8-1 to 8-3 for a
// near-sphere forward).  Central meridian lon_center, origin of northings
// the equator, false easting and northing from the header.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

constexpr double k0 = 0.9996;
// Below this e^2 the forward uses the closed spherical formulas.
constexpr double near_sphere = 0.00001;
// |cos phi sin dlam| this close to 1 projects to infinity on the sphere.
constexpr double at_infinity = 1e-10;
constexpr double footpoint_tolerance = 1e-11;
constexpr int max_iter = 6;

} // namespace

// e^2, the meridian-distance coefficients and e'^2.
void _InitUtm()
{
    PROJ &p = *Pj;
    const double es = p.e * p.e;
    p.Ues = es;
    p.Ue0 = 1.0 - 0.25 * es * (1.0 + es / 16.0 * (3.0 + 1.25 * es));
    p.Ue1 = 0.375 * es * (1.0 + 0.25 * es * (1.0 + 0.46875 * es));
    p.Ue2 = 0.05859375 * es * es * (1.0 + 0.75 * es);
    p.Ue3 = es * es * es * 0.011393229166666666;
    p.Uesp = es / (1.0 - es);
}

// Forward: degrees to easting/northing in the unit of a, then the grid.
// The longitude difference is not folded.  On a near-sphere a point at
// infinity stops the list with -100 before the grid passes.
int16_t _UtmForward(double *pp)
{
    const PROJ &p = *Pj;
    const bool sphere = p.Ues < near_sphere;
    return forward_list(pp, [&](double *q) -> int {
        const double dlam = q[0] * deg_to_rad - p.Lam0;
        const double phi = q[1] * deg_to_rad;
        const double sin_phi = maths::sin(phi), cos_phi = maths::cos(phi);
        if (sphere) {
            const double b = cos_phi * maths::sin(dlam);
            if (std::fabs(std::fabs(b) - 1.0) < at_infinity)
                return QUORVEX_PJ_STOPPED;
            const double x = 0.5 * p.a * k0 * maths::log((1.0 + b) / (1.0 - b));
            // On the equator the quotient is +-1 and rounding can push it
            // past; the clamp keeps such points finite.
            double cos_c = cos_phi * maths::cos(dlam) / std::sqrt(1.0 - b * b);
            if (std::fabs(cos_c) > 1.0)
                cos_c = cos_c > 0 ? 1.0 : -1.0;
            double c = maths::acos(cos_c);
            if (phi < 0)
                c = -c;
            q[0] = x;
            q[1] = p.a * k0 * (c - p.Phi0);
            return QUORVEX_SUCCESS;
        }
        const double es = p.Ues, esp = p.Uesp;
        const double al = cos_phi * dlam;
        const double als = al * al;
        const double c = esp * cos_phi * cos_phi;
        const double tq = maths::tan(phi);
        const double t = tq * tq;
        const double n = p.a / std::sqrt(1.0 - es * sin_phi * sin_phi);
        const double ml = p.a * (p.Ue0 * phi - p.Ue1 * maths::sin(2.0 * phi) +
                                 p.Ue2 * maths::sin(4.0 * phi) - p.Ue3 * maths::sin(6.0 * phi));
        q[0] = k0 * n * al *
                   (1.0 + als / 6.0 *
                              (1.0 - t + c +
                               als / 20.0 * (5.0 - 18.0 * t + t * t + 72.0 * c - 58.0 * esp))) +
               p.fe;
        q[1] =
            k0 * (ml + n * tq * als *
                           (0.5 + als / 24.0 *
                                      (5.0 - t + 9.0 * c + 4.0 * c * c +
                                       als / 30.0 *
                                           (61.0 - 58.0 * t + t * t + 600.0 * c - 330.0 * esp)))) +
            p.fn;
        return QUORVEX_SUCCESS;
    });
}

namespace {

// Everything of the inverse that depends on the northing alone.
struct Footpoint {
    double phi;   // footpoint latitude
    bool at_pole; // |phi| reached half pi
    double cos_phi, tan_phi, c, cs, t, ts, n, r;
};

// Footpoint latitude of the northing y (false northing removed) by the
// fixed-point series inversion; false when seven corrections do not reach
// 1e-11 rad.
bool footpoint_of(const PROJ &p, double y, Footpoint *f)
{
    const double con = y / k0 / p.a;
    double phi = con;
    for (int i = 0;; ++i) {
        const double dphi = (con + p.Ue1 * maths::sin(2.0 * phi) - p.Ue2 * maths::sin(4.0 * phi) +
                             p.Ue3 * maths::sin(6.0 * phi)) /
                                p.Ue0 -
                            phi;
        phi += dphi;
        if (std::fabs(dphi) <= footpoint_tolerance)
            break;
        if (i >= max_iter)
            return false;
    }
    f->phi = phi;
    f->at_pole = !(std::fabs(phi) < half_pi);
    if (f->at_pole)
        return true;
    const double sin_phi = maths::sin(phi);
    f->cos_phi = maths::cos(phi);
    f->tan_phi = maths::tan(phi);
    f->c = p.Uesp * f->cos_phi * f->cos_phi;
    f->cs = f->c * f->c;
    f->t = f->tan_phi * f->tan_phi;
    f->ts = f->t * f->t;
    const double s = 1.0 - p.Ues * sin_phi * sin_phi;
    f->n = p.a / std::sqrt(s);
    f->r = f->n * (1.0 - p.Ues) / s;
    return true;
}

} // namespace

// Inverse: easting/northing to degrees through the footpoint latitude; a
// footpoint at a pole gives the pole on the central meridian.  A footpoint
// that does not converge stops the line with -100.  The pixels of an image
// line share their northing, so the footpoint is computed again only when
// the northing changes; the results are the same as computing it for each
// pixel.
int16_t _UtmInverse(double *BuflineDouble)
{
    const PROJ &p = *Pj;
    const double esp = p.Uesp;
    Footpoint f{};
    bool have_footpoint = false;
    double footpoint_y = 0.0;
    return inverse_line(BuflineDouble, [&](double *q) -> int {
        const double x = q[0] - p.fe;
        const double y = q[1] - p.fn;
        if (!have_footpoint || y != footpoint_y) {
            if (!footpoint_of(p, y, &f))
                return QUORVEX_PJ_STOPPED;
            have_footpoint = true;
            footpoint_y = y;
        }
        if (f.at_pole) {
            q[0] = Hdr->lon_center;
            q[1] = y < 0 ? -90.0 : 90.0;
            return QUORVEX_SUCCESS;
        }
        const double c = f.c, cs = f.cs, t = f.t, ts = f.ts, n = f.n;
        const double d = x / (n * k0);
        const double ds = d * d;
        const double lat = f.phi - (n * f.tan_phi * ds / f.r) *
                                       (0.5 - ds / 24.0 *
                                                  (5.0 + 3.0 * t + 10.0 * c - 4.0 * cs - 9.0 * esp -
                                                   ds / 30.0 *
                                                       (61.0 + 90.0 * t + 298.0 * c + 45.0 * ts -
                                                        252.0 * esp - 3.0 * cs)));
        const double lon = _AdjustLon(
            p.Lam0 +
            (d *
             (1.0 -
              ds / 6.0 *
                  (1.0 + 2.0 * t + c -
                   ds / 20.0 * (5.0 - 2.0 * c + 28.0 * t - 3.0 * cs + 8.0 * esp + 24.0 * ts))) /
             f.cos_phi));
        q[0] = lon * rad_to_deg;
        q[1] = lat * rad_to_deg;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
