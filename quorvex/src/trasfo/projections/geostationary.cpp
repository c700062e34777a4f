// Projection code 5, the view from a geostationary satellite: the plane
// coordinates are the satellite's two scan angles in degrees (x towards the
// east, y towards the north), the axes are kilometres.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// Geostationary model, kilometres.  The ratios are rounded as the stored
// images were computed with them.
constexpr double RS = 42164.0;           // satellite to Earth's centre
constexpr double A = 0.003367;           // equatorial / polar radius - 1
constexpr double RE_over_RP = 1.003367;  // equatorial / polar radius
constexpr double RP_over_RE = 0.9966442; // polar / equatorial radius
constexpr double YK_SQR = 43.70121;      // (RS / equatorial radius)^2

// Largest offset from the centre, degrees, that the forward shows in
// longitude and in latitude (the horizon to a tenth of a degree).
constexpr double visible_offset = 81.3;
// Sine of that angle: the inverse's bound on the point's z / b.
constexpr double visible_sine = 0.98849389;

} // namespace

// Forward: degrees to scan angles, through the point's Earth-centred
// position on the ellipsoid (reduced latitude).  Points outside the visible
// box become (-99999, -99999) and the list goes on.
int16_t _MeteoSatForward(double *pp)
{
    const PROJ &p = *Pj;
    const double lon_center = Hdr->lon_center, lat_center = Hdr->lat_center;
    return forward_list(
        pp,
        [&](double *q) -> int {
            const double lon = q[0], lat = q[1];
            if (std::fabs(lon - lon_center) > visible_offset ||
                std::fabs(lat - lat_center) > visible_offset) {
                mark(q);
                return QUORVEX_SUCCESS;
            }
            const double xla = lon * deg_to_rad - p.Lam0;
            const double xfi = lat * deg_to_rad - p.Phi0;
            // The reduced latitude teta = atan(tan(xfi) RP_over_RE) is needed
            // only through its sine and cosine, which follow from xfi's
            // (|xfi| <= 81.3 degrees inside the box, so cos xfi > 0).
            const double sin_fi = maths::sin(xfi), cos_fi = maths::cos(xfi);
            const double reduced = RP_over_RE * sin_fi;
            const double norm = 1.0 / std::sqrt(cos_fi * cos_fi + reduced * reduced);
            const double cos_teta = cos_fi * norm;
            const double xt = p.a * cos_teta * maths::cos(xla);
            const double yt = p.a * cos_teta * maths::sin(xla);
            const double zt = p.b * reduced * norm;
            // xt - RS < 0, so cos(ppx) = |xt - RS| / hypot(xt - RS, yt) and the
            // second angle is atan(zt / hypot(xt - RS, yt)).
            const double to_satellite = xt - RS;
            const double ppx = maths::atan(yt / to_satellite);
            const double ppy = maths::atan(zt / std::sqrt(to_satellite * to_satellite + yt * yt));
            q[0] = -ppx * rad_to_deg;
            q[1] = ppy * rad_to_deg;
            return QUORVEX_SUCCESS;
        },
        true);
}

// Inverse: scan angles to degrees by the nearer intersection of the viewing
// ray with the ellipsoid.  A pixel whose ray misses the Earth, or whose
// point lies beyond the latitude bound, is invalid.  Before the first valid
// pixel of the line invalid ones are marked one by one; the first invalid
// one after it is the limb, and it and every later pixel are marked with
// the result -100.
int16_t _MeteoSatInverse(double *Buflinedouble)
{
    const PROJ &p = *Pj;
    int16_t trovato_validi = 0;
    double *const end = Buflinedouble + 2 * static_cast<long>(Width);
    return inverse_line(Buflinedouble, [&](double *q) -> int {
        const double x = -q[0] * deg_to_rad;
        const double y = q[1] * deg_to_rad;
        const double tanx = maths::tan(x), tany = maths::tan(y);
        const double val = (tanx * tanx + 1.0) * (tany * tany * (1.0 + A) * (1.0 + A) + 1.0);
        // Negative (or not a number): the ray passes the Earth and the
        // pixel is space, treated like a pixel beyond the latitude bound.
        const double discriminant = YK_SQR - (YK_SQR - 1.0) * val;
        const bool misses = !(discriminant >= 0.0);
        const double vmu = (RS - p.a * std::sqrt(discriminant)) / val;
        const double xt = RS - vmu;
        const double yt = -vmu * tanx;
        const double zt = vmu * tany / maths::cos(x);
        const double s = zt / p.b;
        if (misses || s < -visible_sine || s > visible_sine) {
            mark(q);
            if (trovato_validi == 1) {
                for (double *rest = q + 2; rest < end; rest += 2) // residui_invalidi
                    mark(rest);
                return QUORVEX_PJ_STOPPED;
            }
            return QUORVEX_SUCCESS;
        }
        const double teta = maths::asin(s);
        q[0] = (maths::atan(yt / xt) + p.Lam0) * rad_to_deg;
        q[1] = maths::atan(maths::tan(teta) * RE_over_RP) * rad_to_deg;
        trovato_validi = 1;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
