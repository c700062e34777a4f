// Code 9, Goode's interrupted homolosine projection of the sphere of radius
// a: twelve regions, sinusoidal between the seam latitudes of +-40d44'11.8",
// Mollweide poleward of them, shifted in y so that both meet at the seam.
// Gap pixels of the inverse become (-99999, -99999).
#include "maths/maths.h"
#include "trasfo/projections/goode.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

const double GHCentralMeridian[12] = {
    -1.74532925199, -1.74532925199, 0.523598775598, 0.523598775598, -2.79252680319, -1.0471975512,
    -2.79252680319, -1.0471975512,  0.349065850399, 2.44346095279,  0.349065850399, 2.44346095279};
const double GHLowerLimit[12] = {-3.141592653589793, -3.141592653589793, -0.698131700798,
                                 -0.698131700798,    -3.141592653589793, -1.74532925199,
                                 -3.141592653589793, -1.74532925199,     -0.349065850399,
                                 1.3962634016,       -0.349065850399,    1.3962634016};
const double GHUpperLimit[12] = {-0.698131700798,   -0.698131700798, 3.141592653589793,
                                 3.141592653589793, -1.74532925199,  -0.349065850399,
                                 -1.74532925199,    -0.349065850399, 1.3962634016,
                                 3.141592653589793, 1.3962634016,    3.141592653589793};

namespace {

constexpr double seam_latitude = 0.710987989993; // 40d44'11.8"
// Longitude cuts between the lobes: the northern one, then the southern ones.
constexpr double cut_north = -0.698131700798;     // -40 degrees
constexpr double cut_south_west = -1.74532925199; // -100 degrees
constexpr double cut_south_mid = -0.349065850399; // -20 degrees
constexpr double cut_south_east = 1.3962634016;   // 80 degrees
constexpr double mollweide_x = 0.900316316158;    // sqrt(8) / pi
constexpr double mollweide_y = 1.4142135623731;   // sqrt(2)
constexpr double seam_offset = 0.0528035274542;   // Mollweide shift in y, per unit radius
constexpr double newton_tolerance = 1e-10;
constexpr int newton_limit = 30;

// Southern regions from west to east: the first of the four of a zone
// (4 sinusoidal, 6 Mollweide) plus the lobe number.
int southern_lobe(double lam, double scale)
{
    if (lam <= scale * cut_south_west)
        return 0;
    if (lam <= scale * cut_south_mid)
        return 1;
    if (lam <= scale * cut_south_east)
        return 2;
    return 3;
}

// The southern regions in lobe order for each zone.
constexpr int south_sinusoidal[4] = {4, 5, 8, 9};
constexpr int south_mollweide[4] = {6, 7, 10, 11};

int region_of(double lam, double phi, double scale)
{
    if (phi >= scale * seam_latitude)
        return lam <= scale * cut_north ? 0 : 2;
    if (phi >= 0.0)
        return lam <= scale * cut_north ? 1 : 3;
    if (phi >= scale * -seam_latitude)
        return south_sinusoidal[southern_lobe(lam, scale)];
    return south_mollweide[southern_lobe(lam, scale)];
}

// |v| / v for the non-zero latitudes and map y of the Mollweide zones,
// without the division.
double sign_of(double v)
{
    return std::copysign(1.0, v);
}

} // namespace

// Solves 2 theta + sin 2 theta = pi sin phi by Newton's method on 2 theta,
// starting from phi, whose sine and cosine the caller has taken already.
// Next to a pole the root is nearly triple and the steps shrink only by a
// third each, so the limit can be met with the iterate already on the
// root; it is then kept when it satisfies the equation within the
// tolerance.  False only when no such point was found (a latitude that is
// not a number, for one).
bool mollweide_theta(double phi, double sin_phi, double cos_phi, double *theta)
{
    const double k = pi * sin_phi;
    double t = phi;
    double sin_t = sin_phi, cos_t = cos_phi;
    for (int i = 0;; ++i) {
        const double delta = -(t + sin_t - k) / (cos_t + 1.0);
        t += delta;
        if (std::fabs(delta) < newton_tolerance)
            break;
        if (i >= newton_limit) {
            if (!(std::fabs(t + maths::sin(t) - k) < newton_tolerance))
                return false;
            break;
        }
        sin_t = maths::sin(t);
        cos_t = maths::cos(t);
    }
    *theta = t / 2.0;
    return true;
}

namespace {

// Latitudes up to this many radians (88.5 degrees) take the fitted start
// below; closer to a pole the Newton iteration from phi keeps its results.
constexpr double fitted_start_limit = 1.5446163880149817;

// pi - 2 theta against z = cbrt(6 pi (1 - |sin phi|)): the odd polynomial
// z (c0 + c1 z^2 + ... + c4 z^8), fitted over the Mollweide zones, within
// 4.1e-7 rad (near the pole 2 theta + sin 2 theta - pi sin phi behaves
// like a cube, hence the cube root).
constexpr double start_fit[5] = {1.0000023301242504, 0.01665402234275152, 0.0007333065352911688,
                                 2.8313418045722467e-05, 5.252365009551091e-06};

} // namespace

bool mollweide_sine_cosine(double phi, double sin_phi, double cos_phi, double *sin_theta,
                           double *cos_theta)
{
    if (!(std::fabs(phi) <= fitted_start_limit)) {
        double theta;
        if (!mollweide_theta(phi, sin_phi, cos_phi, &theta))
            return false;
        *sin_theta = maths::sin(theta);
        *cos_theta = maths::cos(theta);
        return true;
    }
    // 1 - |sin phi| as cos^2 phi / (1 + |sin phi|), without cancellation.
    const double z = maths::cbrt(6.0 * pi * cos_phi * cos_phi / (1.0 + std::fabs(sin_phi)));
    const double z2 = z * z;
    const double gap =
        z * (start_fit[0] +
             z2 * (start_fit[1] + z2 * (start_fit[2] + z2 * (start_fit[3] + z2 * start_fit[4]))));
    const double t = std::copysign(pi - gap, phi);
    // One Halley step on f(t) = t + sin t - pi sin phi takes the start's
    // 4.1e-7 to rounding.  Its cosine then follows from those of t by the
    // step's own small angle, and theta's from the half angle.
    const double sin_t = maths::sin(t), cos_t = maths::cos(t);
    const double f = t + sin_t - pi * sin_phi;
    const double slope = 1.0 + cos_t;
    const double delta = -2.0 * f * slope / (2.0 * slope * slope + f * sin_t);
    const double one_plus_cos = slope - delta * (sin_t + 0.5 * delta * cos_t);
    *cos_theta = std::sqrt(0.5 * one_plus_cos);
    *sin_theta = std::copysign(std::sqrt(1.0 - 0.5 * one_plus_cos), phi);
    return true;
}

bool gh_is_sinusoidal(int region)
{
    return region == 1 || region == 3 || region == 4 || region == 5 || region == 8 || region == 9;
}

int gh_region_of_lonlat(double lam, double phi)
{
    return region_of(lam, phi, 1.0);
}

int gh_region_of_map(double x, double y, double a)
{
    return region_of(x, y, a);
}

// The false easting of every region for the current block's radius.
void _InitGH()
{
    for (int i = 0; i < 12; ++i)
        GHFeast[i] = Pj->a * GHCentralMeridian[i];
}

// Longitude/latitude to image: -3 stops the list where the Mollweide
// iteration finds no solution.
int16_t _GHForward(double *pp)
{
    const double a = Pj->a;
    return forward_list(pp, [&](double *point) -> int {
        const double lam = point[0] * deg_to_rad;
        const double phi = point[1] * deg_to_rad;
        const int r = gh_region_of_lonlat(lam, phi);
        const double dlam = _AdjustLon(lam - GHCentralMeridian[r]);
        const double cos_phi = maths::cos(phi);
        if (gh_is_sinusoidal(r)) {
            point[0] = GHFeast[r] + a * dlam * cos_phi;
            point[1] = a * phi;
        } else {
            double sin_theta, cos_theta;
            if (!mollweide_sine_cosine(phi, maths::sin(phi), cos_phi, &sin_theta, &cos_theta))
                return QUORVEX_PJ_NO_CONVERGENCE;
            point[0] = GHFeast[r] + mollweide_x * a * dlam * cos_theta;
            point[1] = a * (mollweide_y * sin_theta - seam_offset * sign_of(phi));
        }
        return QUORVEX_SUCCESS;
    });
}

// Map plane to longitude/latitude; a pixel in a gap or beyond the outline
// becomes (-99999, -99999) and the line goes on.
int16_t _GHInverse(double *BuflineDouble)
{
    const double a = Pj->a;
    return inverse_line(BuflineDouble, [&](double *point) -> int {
        const double y = point[1];
        const int r = gh_region_of_map(point[0], y, a);
        const double x = point[0] - GHFeast[r];
        double lam = 0.0, phi = 0.0;
        bool inside = true;
        if (gh_is_sinusoidal(r)) {
            phi = y / a;
            lam = _AdjustLon(GHCentralMeridian[r] + x / (a * maths::cos(phi)));
        } else {
            const double s = (y + seam_offset * a * sign_of(y)) / (mollweide_y * a);
            if (std::fabs(s) > 1.0) {
                inside = false;
            } else {
                const double theta = maths::asin(s);
                lam = GHCentralMeridian[r] + x / (mollweide_x * a * maths::cos(theta));
                if (lam < -pi) {
                    inside = false;
                } else {
                    const double s2 = (2.0 * theta + maths::sin(2.0 * theta)) / pi;
                    if (std::fabs(s2) > 1.0)
                        inside = false;
                    else
                        phi = maths::asin(s2);
                }
            }
        }
        if (inside && (lam < GHLowerLimit[r] || lam > GHUpperLimit[r]))
            inside = false;
        if (inside) {
            point[0] = lam * rad_to_deg;
            point[1] = phi * rad_to_deg;
        } else {
            mark(point);
        }
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
