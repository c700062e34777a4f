// Code 8, Albers equal-area conic projection on the ellipsoid, with two
// standard parallels (or one, when they coincide) and a latitude of origin;
// map coordinates in the unit of a, with the block's false easting and
// northing.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// Parallels closer than this (radians) are one standard parallel.
constexpr double single_parallel_tolerance = 1e-11;
// Below this eccentricity the pole needs no separate test.
constexpr double sphere_eccentricity = 1e-10;
// |q| this close to q at the pole puts the point on the pole.
constexpr double pole_tolerance = 1e-10;

double m_of(double phi, double es)
{
    const double s = maths::sin(phi);
    return maths::cos(phi) / std::sqrt(1.0 - es * s * s);
}

} // namespace

// Cone constants of the current block: e^2, m and q at the parallels, q at
// the origin, n, C and the radius of the origin.
void _InitAlbers()
{
    PROJ &p = *Pj;
    p.A_es = p.e * p.e;
    const double sin_phi1 = maths::sin(p.Phi1);
    p.A_ms1 = m_of(p.Phi1, p.A_es);
    p.A_qs1 = _qsfnz(sin_phi1);
    p.A_ms2 = m_of(p.Phi2, p.A_es);
    p.A_qs2 = _qsfnz(maths::sin(p.Phi2));
    p.A_qs0 = _qsfnz(maths::sin(p.Phi0));
    if (std::fabs(p.Phi1 - p.Phi2) > single_parallel_tolerance)
        p.A_ns0 = (p.A_ms1 * p.A_ms1 - p.A_ms2 * p.A_ms2) / (p.A_qs2 - p.A_qs1);
    else
        p.A_ns0 = sin_phi1; // the cone touches along its one parallel
    p.A_c = p.A_ms1 * p.A_ms1 + p.A_ns0 * p.A_qs1;
    p.A_rh = p.a * std::sqrt(p.A_c - p.A_ns0 * p.A_qs0) / p.A_ns0;
}

// Longitude/latitude to image; rejects no point.
int16_t _AlbersForward(double *pp)
{
    const PROJ &p = *Pj;
    const double n = p.A_ns0;
    return forward_list(pp, [&](double *point) -> int {
        const double lam = point[0] * deg_to_rad;
        const double phi = point[1] * deg_to_rad;
        const double q = _qsfnz(maths::sin(phi));
        const double rho = p.a * std::sqrt(p.A_c - n * q) / n;
        const double theta = n * _AdjustLon(lam - p.Lam0);
        point[0] = rho * maths::sin(theta) + p.fe;
        point[1] = p.A_rh - rho * maths::cos(theta) + p.fn;
        return QUORVEX_SUCCESS;
    });
}

// Map plane to longitude/latitude: -3 stops the line at the first point
// whose latitude iteration does not converge (the cone's apex, for one).
// The iteration starts from the authalic latitude's series, close enough
// for its first step to meet the tolerance.
int16_t _AlbersInverse(double *BuflineDouble)
{
    const PROJ &p = *Pj;
    const double n = p.A_ns0;
    const double e = p.e;
    const bool ellipsoid = e >= sphere_eccentricity;
    // q at the pole and the authalic series depend on the block alone.
    const AuthalicInverse series = ellipsoid ? authalic_inverse_for(e) : AuthalicInverse{};
    const double abs_qp = std::fabs(series.qp);
    return inverse_line(BuflineDouble, [&](double *point) -> int {
        const double x = point[0] - p.fe;
        const double y = p.A_rh - point[1] + p.fn;
        // On a southern cone (n < 0) rho is negative and the arc tangent
        // sees the flipped plane.
        double rho = std::sqrt(x * x + y * y);
        double sign = 1.0;
        if (n < 0.0) {
            rho = -rho;
            sign = -1.0;
        }
        double theta = 0.0;
        if (rho != 0.0)
            theta = maths::atan2(sign * x, sign * y);
        const double k = rho * n / p.a;
        const double q = (p.A_c - k * k) / n;
        double lat;
        int16_t status = QUORVEX_SUCCESS;
        if (!ellipsoid)
            lat = phi1z(q, &status);
        else if (!(std::fabs(abs_qp - std::fabs(q)) > pole_tolerance))
            lat = q >= 0.0 ? half_pi : -half_pi;
        else
            lat = latitude_of_q(q, series, &status);
        if (status != QUORVEX_SUCCESS)
            return status;
        const double lon = _AdjustLon(theta / n + p.Lam0);
        point[0] = lon * rad_to_deg;
        point[1] = lat * rad_to_deg;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
