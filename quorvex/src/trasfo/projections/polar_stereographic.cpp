// Projection code 7, polar stereographic on the ellipsoid (Snyder, eqs.
// 21-33 to 21-40).  lat_center is the latitude of true scale and chooses the
// aspect: negative for the south pole, otherwise the north pole.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// A latitude of true scale this close to a pole is the pole itself.
constexpr double pole_tolerance = 1e-11;

} // namespace

// Aspect sign, the pole flag and m, t at the latitude of true scale.
void _InitPS()
{
    PROJ &p = *Pj;
    p.PS_e4 = std::sqrt(_Power(1.0 + p.e, 1.0 + p.e) * _Power(1.0 - p.e, 1.0 - p.e));
    p.PS_fac = p.Phi0 < 0 ? -1.0 : 1.0;
    p.PS_ind = 0.0;
    if (std::fabs(std::fabs(p.Phi0) - half_pi) > pole_tolerance) {
        p.PS_ind = 1.0;
        const double phic = p.PS_fac * p.Phi0;
        p.PS_mcs = _MFunction(phic, maths::sin(phic));
        p.PS_tcs = _TFunction(phic, maths::sin(phic));
    }
}

// Forward: degrees to plane coordinates in the unit of a, then the grid.
// t as _TFunction defines it, its tangent from the latitude's sine and
// cosine.
int16_t _PSForward(double *pp)
{
    const PROJ &p = *Pj;
    const double half_e = 0.5 * p.e;
    return forward_list(pp, [&](double *q) -> int {
        const double lon = q[0] * deg_to_rad, lat = q[1] * deg_to_rad;
        const double c1 = p.PS_fac * _AdjustLon(lon - p.Lam0);
        const double c2 = p.PS_fac * lat;
        const double sin_c2 = maths::sin(c2), cos_c2 = maths::cos(c2);
        const double con = p.e * sin_c2;
        const double ts =
            tan_half_colatitude(c2, sin_c2, cos_c2) / _Power((1.0 - con) / (1.0 + con), half_e);
        const double rho =
            p.PS_ind != 0 ? p.a * p.PS_mcs * ts / p.PS_tcs : 2.0 * p.a * ts / p.PS_e4;
        q[0] = p.PS_fac * rho * maths::sin(c1) + p.fe;
        q[1] = -p.PS_fac * rho * maths::cos(c1) + p.fn;
        return QUORVEX_SUCCESS;
    });
}

// Inverse: plane coordinates to degrees; stops with -3 at the first pixel
// whose latitude iteration does not converge, leaving it and the rest of
// the line as plane coordinates.  The latitude comes from t through the
// conformal latitude's series wherever that matches the iteration.
int16_t _PSInverse(double *BuflineDouble)
{
    const PROJ &p = *Pj;
    const ConformalInverse series = conformal_inverse_for(p.e);
    return inverse_line(BuflineDouble, [&](double *q) -> int {
        int16_t status = QUORVEX_SUCCESS;
        const double x = (q[0] - p.fe) * p.PS_fac;
        const double y = (q[1] - p.fn) * p.PS_fac;
        const double rho = std::sqrt(x * x + y * y);
        const double ts =
            p.PS_ind != 0 ? rho * p.PS_tcs / (p.a * p.PS_mcs) : rho * p.PS_e4 / (p.a + p.a);
        const double lat = p.PS_fac * latitude_of_t(ts, series, &status);
        if (status != QUORVEX_SUCCESS)
            return status;
        const double lon =
            rho == 0 ? p.PS_fac * p.Lam0 : _AdjustLon(p.PS_fac * maths::atan2(x, -y) + p.Lam0);
        q[0] = lon * rad_to_deg;
        q[1] = lat * rad_to_deg;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
