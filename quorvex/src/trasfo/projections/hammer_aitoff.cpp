// Code 2, Hammer-Aitoff projection of the whole sphere, x and y normalised
// to [-1, 1] (the image's dx and dy carry scale and aspect), centred on Lam0
// and shifted so that Phi0 on the central meridian is the plane origin.
// The inverse is the closed-form inverse of the forward formula.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// Below this |sin phi| the arc sine is well conditioned (its slope stays
// under 1.4) and cheaper than the two-argument arc tangent.
constexpr double plain_arcsine_limit = 0.7;

// y of the centre latitude on the central meridian, taken off every y.
double centre_shift(double phi0)
{
    return maths::sin(phi0) / std::sqrt(1.0 + maths::cos(phi0));
}

// Sine and cosine of a longitude's half difference from Lam0 or of a
// latitude, each taken once.
struct SineCosine {
    double s;
    double c;
};

SineCosine half_lambda_of(double lon, double lam0)
{
    const double half_lambda = (lon * deg_to_rad - lam0) * 0.5;
    return {maths::sin(half_lambda), maths::cos(half_lambda)};
}

SineCosine phi_of(double lat)
{
    const double phi = lat * deg_to_rad;
    return {maths::sin(phi), maths::cos(phi)};
}

// The forward formula on prepared sines and cosines.
void plane_of(const SineCosine &hl, const SineCosine &ph, double shift, double *x, double *y)
{
    const double denominator = std::sqrt(1.0 + hl.c * ph.c);
    *x = hl.s * ph.c / denominator;
    *y = ph.s / denominator - shift;
}

} // namespace

// One point, degrees in, normalised plane coordinates out.
void _HAForwardSingle(double lon, double lat, double *px, double *py)
{
    plane_of(half_lambda_of(lon, Pj->Lam0), phi_of(lat), centre_shift(Pj->Phi0), px, py);
}

// Longitude/latitude to image; rejects no point.
int16_t _HAForwardPoly(double *pp)
{
    const double lam0 = Pj->Lam0;
    const double shift = centre_shift(Pj->Phi0);
    return forward_list(pp, [&](double *point) -> int {
        plane_of(half_lambda_of(point[0], lam0), phi_of(point[1]), shift, &point[0], &point[1]);
        return QUORVEX_SUCCESS;
    });
}

// Map plane to longitude/latitude in closed form.  With Y = y + shift,
// r2 = x^2 + Y^2 equals 1 - cos(hl) cos(phi) and 2 - r2 the square of the
// forward's denominator, so D x = sin(hl) cos(phi), D Y = sin(phi) and
// 1 - r2 = cos(hl) cos(phi).  Inside the ellipse (r2 < 1) the longitude
// lies within 180 degrees of the centre; for 1 <= r2 < 2 the unfolded
// forward still has exactly one solution, more than 180 degrees from the
// centre, and that is returned.  Where r2 >= 2 (or is not a number) no
// point maps: the pixel becomes (-99999, -99999) and the line goes on.
// Degrees are the radians divided by the forward's own factor, so the
// forward of the result gives the pixel back to rounding.
int16_t _HAInverse(double *Buflinedouble)
{
    const double lam0 = Pj->Lam0;
    const double shift = centre_shift(Pj->Phi0);
    return inverse_line(Buflinedouble, [&](double *point) -> int {
        const double x = point[0];
        const double y = point[1] + shift;
        const double r2 = x * x + y * y;
        if (!(r2 < 2.0)) {
            mark(point);
            return QUORVEX_SUCCESS;
        }
        const double c = 1.0 - r2;
        const double d = std::sqrt(2.0 - r2);
        const double u = d * x;
        const double v = d * y;
        const double hl = c > 0.0 ? maths::atan(u / c) : maths::atan2(u, c);
        const double phi = std::fabs(v) < plain_arcsine_limit
                               ? maths::asin(v)
                               : maths::atan2(v, std::sqrt(u * u + c * c));
        point[0] = (2.0 * hl + lam0) / deg_to_rad;
        point[1] = phi / deg_to_rad;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
