// Projection code 4, Lambert conformal conic on the ellipsoid (Snyder,
// eqs. 15-1 to 15-11).  The frame has divided a by 1000, so plane
// coordinates are kilometres for axes in metres; the origin is the centre.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// Parallels closer than this are one parallel: the cone touches the
// ellipsoid there.
constexpr double one_parallel = 1e-11;

} // namespace

// Cone constant n, F and the radius rho0 of the origin's parallel.
void _InitLambertCC()
{
    PROJ &p = *Pj;
    const double t0 = _TFunction(p.Phi0, maths::sin(p.Phi0));
    const double t1 = _TFunction(p.Phi1, maths::sin(p.Phi1));
    const double t2 = _TFunction(p.Phi2, maths::sin(p.Phi2));
    const double m1 = _MFunction(p.Phi1, maths::sin(p.Phi1));
    const double m2 = _MFunction(p.Phi2, maths::sin(p.Phi2));
    // The secant form divides 0 by 0 for a tangent cone; its limit is
    // n = sin phi1.
    if (std::fabs(p.Phi1 - p.Phi2) <= one_parallel)
        p.LCC_N = maths::sin(p.Phi1);
    else
        p.LCC_N = (maths::log(m1) - maths::log(m2)) / (maths::log(t1) - maths::log(t2));
    p.LCC_F = m1 / (p.LCC_N * _Power(t1, p.LCC_N));
    p.LCC_Rho0 = p.a * p.LCC_F * _Power(t0, p.LCC_N);
}

// Forward: degrees to plane kilometres, then the image grid.  rho is
// a F t^n with t as _TFunction defines it, taken as one exponential of
// logarithms.  Beyond the poles t is not positive and rho 0, as _Power
// gives it.
int16_t _LambertCCForward(double *pp)
{
    const PROJ &p = *Pj;
    const double aF = p.a * p.LCC_F;
    const double half_e = 0.5 * p.e;
    return forward_list(pp, [&](double *q) -> int {
        const double theta = p.LCC_N * _AdjustLon(q[0] * deg_to_rad - p.Lam0);
        const double phi = q[1] * deg_to_rad;
        const double sin_phi = maths::sin(phi), cos_phi = maths::cos(phi);
        const double tan_half = tan_half_colatitude(phi, sin_phi, cos_phi);
        const double con = p.e * sin_phi;
        const double rho =
            tan_half > 0.0
                ? aF * maths::exp(p.LCC_N * (maths::log(tan_half) -
                                             half_e * maths::log((1.0 - con) / (1.0 + con))))
                : 0.0;
        q[0] = rho * maths::sin(theta);
        q[1] = p.LCC_Rho0 - rho * maths::cos(theta);
        return QUORVEX_SUCCESS;
    });
}

// Inverse: plane kilometres to degrees.  The one-argument arc tangent keeps
// theta within a quarter turn, as stored images expect.
int16_t _LambertCCInverse(double *Buflinedouble)
{
    const PROJ &p = *Pj;
    const double e = p.e;
    const double aF = p.a * p.LCC_F;
    const double inverse_n = 1.0 / p.LCC_N;
    const double lon0 = Hdr->lon_center * deg_to_rad;
    return inverse_line(Buflinedouble, [&](double *q) -> int {
        const double x = q[0];
        const double dy = p.LCC_Rho0 - q[1];
        double rho = std::sqrt(x * x + dy * dy);
        if (p.LCC_N < 0)
            rho = -rho;
        const double t = _Power(rho / aF, inverse_n);
        const double theta = maths::atan(x / dy);
        q[0] = _AdjustLon(theta / p.LCC_N + lon0) * rad_to_deg;

        // Each step's sine comes from the tangent the step before took its
        // arc tangent of: sin(pi/2 - 2 atan T) = 2 / (1 + T^2) - 1.
        double tangent = t;
        double newphi = half_pi - 2.0 * maths::atan(tangent);
        for (int i = 0; i < 15; ++i) {
            const double phi = newphi;
            const double con = e * (2.0 / (1.0 + tangent * tangent) - 1.0);
            tangent = t * _Power((1.0 - con) / (1.0 + con), e / 2.0);
            newphi = half_pi - 2.0 * maths::atan(tangent);
            if (std::fabs(phi - newphi) < 1e-5)
                break;
        }
        q[1] = newphi * rad_to_deg;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
