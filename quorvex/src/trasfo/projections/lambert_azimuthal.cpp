// Code 6, Lambert azimuthal equal-area projection of the sphere of radius a,
// in any aspect, centred on the block's Phi0 and Lam0; map coordinates are
// measured from the centre, in the unit of a.  No constant function: the
// sine and cosine of the centre latitude are taken once per call.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// A map point closer than this to the centre is the centre itself.
constexpr double centre_tolerance = 1e-10;

} // namespace

// Longitude/latitude to image: -1 stops the list at the antipode of the centre.
int16_t _LambertAzForward(double *pp)
{
    const double sin_phi0 = maths::sin(Pj->Phi0);
    const double cos_phi0 = maths::cos(Pj->Phi0);
    const double a = Pj->a;
    const double lam0 = Pj->Lam0;
    return forward_list(pp, [&](double *point) -> int {
        const double phi = point[1] * deg_to_rad;
        const double dlam = _AdjustLon(point[0] * deg_to_rad - lam0);
        const double sin_phi = maths::sin(phi);
        const double cos_phi = maths::cos(phi);
        const double cos_dlam = maths::cos(dlam);
        const double g = sin_phi0 * sin_phi + cos_phi0 * cos_phi * cos_dlam;
        // Only the exact antipode has no image; a point next to it lands
        // near the circle of radius 2a.
        if (g == -1.0)
            return QUORVEX_PJ_POINT_NOT_SHOWN;
        const double k = a * std::sqrt(2.0 / (1.0 + g));
        point[0] = k * cos_phi * maths::sin(dlam);
        point[1] = k * (cos_phi0 * sin_phi - sin_phi0 * cos_phi * cos_dlam);
        return QUORVEX_SUCCESS;
    });
}

// Map plane to longitude/latitude: -2 stops the line beyond the 2a circle.
int16_t _LambertAzInverse(double *Buflinedouble)
{
    const double sin_phi0 = maths::sin(Pj->Phi0);
    const double cos_phi0 = maths::cos(Pj->Phi0);
    const double a = Pj->a;
    const double two_a = 2.0 * a;
    const double lam0 = Pj->Lam0;
    return inverse_line(Buflinedouble, [&](double *point) -> int {
        const double x = point[0];
        const double y = point[1];
        const double rho = std::sqrt(x * x + y * y);
        if (rho / two_a > 1.0)
            return QUORVEX_PJ_OUTSIDE_DOMAIN;
        const double z = 2.0 * maths::asin(rho / two_a);
        const double sin_z = maths::sin(z);
        const double cos_z = maths::cos(z);
        double lon = lam0;
        double lat;
        if (rho > centre_tolerance) {
            lat = maths::asin(sin_phi0 * cos_z + cos_phi0 * sin_z * y / rho);
            const double t = cos_z - sin_phi0 * maths::sin(lat);
            if (t != 0.0) {
                // t * rho equals cos(Phi0) * (rho cos(Phi0) cos z -
                // y sin(Phi0) sin z); the product form avoids the
                // cancellation of t near a polar centre, where cos(Phi0) is
                // only a few 1e-12 and t would keep no correct digit.
                // The two-argument arc tangent keeps the quadrant beyond
                // the pole and for a southern centre.
                const double denominator =
                    cos_phi0 * (rho * cos_phi0 * cos_z - y * sin_phi0 * sin_z);
                lon = _AdjustLon(lam0 + maths::atan2(x * sin_z * cos_phi0, denominator));
            } else {
                // Polar centre: the meridians run straight from the pole,
                // downwards on the map of a northern centre, upwards on a
                // southern one.
                lon = _AdjustLon(lam0 + maths::atan2(x, sin_phi0 >= 0.0 ? -y : y));
            }
        } else {
            lat = Pj->Phi0;
        }
        point[0] = lon * rad_to_deg;
        point[1] = lat * rad_to_deg;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
