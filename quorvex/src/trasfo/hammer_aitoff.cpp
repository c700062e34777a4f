// Code 2, Hammer-Aitoff projection of the whole sphere, x and y normalised
// to [-1, 1] (the image's dx and dy carry scale and aspect), centred on Lam0
// and shifted so that Phi0 on the central meridian is the plane origin.
// The inverse solves the forward formula with a two-dimensional secant
// iteration from a fixed start point.
#include "maths/maths.h"
#include "trasfo/hammer_inverse.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

namespace {

// Secant iteration: start point (degrees), the "previous point" of the
// first step, residual tolerance and determinant threshold (plane units),
// step limit.
constexpr double start_lon = -30.0;
constexpr double start_lat = 36.5;
constexpr double residual_tolerance = 1e-10;
constexpr double determinant_threshold = 1e-6;
constexpr int step_limit = 100;

// y of the centre latitude on the central meridian, taken off every y.
double centre_shift(double phi0)
{
    return maths::sin(phi0) / std::sqrt(1.0 + maths::cos(phi0));
}

// Sine and cosine of a longitude's half difference from Lam0 or of a
// latitude: the inverse evaluates the forward formula at pairs of the last
// two longitudes and latitudes, so each angle's functions are taken once.
struct SINE_COSINE {
    double s;
    double c;
};

SINE_COSINE half_lambda_of(double lon, double lam0)
{
    const double half_lambda = (lon * deg_to_rad - lam0) * 0.5;
    return {maths::sin(half_lambda), maths::cos(half_lambda)};
}

SINE_COSINE phi_of(double lat)
{
    const double phi = lat * deg_to_rad;
    return {maths::sin(phi), maths::cos(phi)};
}

// The forward formula on prepared sines and cosines; the same operations in
// the same order as on the angles themselves, so the results are identical.
void plane_of(const SINE_COSINE &hl, const SINE_COSINE &ph, double shift,
              double *x, double *y)
{
    const double denominator = std::sqrt(1.0 + hl.c * ph.c);
    *x = hl.s * ph.c / denominator;
    *y = ph.s / denominator - shift;
}

// What every pixel of one call shares: the centre and the forward image of
// the start point, the same for all targets.
struct HAMMER_START {
    double lam0;
    double shift;
    SINE_COSINE lon0_hl;   // start longitude
    SINE_COSINE lat0_ph;   // start latitude
    SINE_COSINE prev_hl;   // longitude 0 of the first "previous point"
    SINE_COSINE prev_ph;   // latitude 0 of the first "previous point"
    double x0;
    double y0;
};

HAMMER_START start_for_current_block()
{
    HAMMER_START s;
    s.lam0 = Pj->Lam0;
    s.shift = centre_shift(Pj->Phi0);
    s.lon0_hl = half_lambda_of(start_lon, s.lam0);
    s.lat0_ph = phi_of(start_lat);
    s.prev_hl = half_lambda_of(0.0, s.lam0);
    s.prev_ph = phi_of(0.0);
    plane_of(s.lon0_hl, s.lat0_ph, s.shift, &s.x0, &s.y0);
    return s;
}

// Newton's method with the Jacobian replaced by differences along the last
// step in each coordinate: stops on a small residual, on a determinant that
// has shrunk with the steps (the usual end), or after the step limit.
HAMMER_SOLUTION solve(const HAMMER_START &s, double fpixel, double fline,
                      double *plon, double *plat)
{
    double lon = start_lon, lat = start_lat;
    double longp = 0.0, latp = 0.0;
    SINE_COSINE lon_hl = s.lon0_hl, lat_ph = s.lat0_ph;
    SINE_COSINE longp_hl = s.prev_hl, latp_ph = s.prev_ph;
    double pixel = s.x0, line = s.y0;
    double pn = fpixel - pixel;
    double qn = fline - line;
    HAMMER_SOLUTION how = {0, hammer_residual};
    for (;;) {
        if (std::fabs(pn) + std::fabs(qn) <= residual_tolerance)
            break;
        if (how.updates == step_limit) {
            how.stop = hammer_step_limit;
            break;
        }
        const double fnn = pixel, gnn = line;
        double fn_1n, gn_1n, fnn_1, gnn_1;
        plane_of(longp_hl, lat_ph, s.shift, &fn_1n, &gn_1n);
        plane_of(lon_hl, latp_ph, s.shift, &fnn_1, &gnn_1);
        const double an = fnn - fn_1n;
        const double bn = fnn - fnn_1;
        const double cn = gnn - gn_1n;
        const double dn = gnn - gnn_1;
        const double det = an * dn - bn * cn;
        if (std::fabs(det) < determinant_threshold) {
            how.stop = hammer_determinant;
            break;
        }
        const double long1 = lon + (dn * pn - bn * qn) * (lon - longp) / det;
        const double lat1 = lat + (an * qn - cn * pn) * (lat - latp) / det;
        longp = lon;
        latp = lat;
        longp_hl = lon_hl;
        latp_ph = lat_ph;
        lon = long1;
        lat = lat1;
        lon_hl = half_lambda_of(lon, s.lam0);
        lat_ph = phi_of(lat);
        plane_of(lon_hl, lat_ph, s.shift, &pixel, &line);
        pn = fpixel - pixel;
        qn = fline - line;
        ++how.updates;
    }
    *plon = lon;
    *plat = lat;
    return how;
}

} // namespace

// One point, degrees in, normalised plane coordinates out.
void _HAForwardSingle(double lon, double lat, double *px, double *py)
{
    plane_of(half_lambda_of(lon, Pj->Lam0), phi_of(lat), centre_shift(Pj->Phi0),
             px, py);
}

// Longitude/latitude to image; rejects no point.
int16_t _HAForwardPoly(double *pp)
{
    const double lam0 = Pj->Lam0;
    const double shift = centre_shift(Pj->Phi0);
    const long count = count_points(pp);
    for (long i = 0; i < count; ++i) {
        double *point = pp + 2 * i;
        plane_of(half_lambda_of(point[0], lam0), phi_of(point[1]), shift,
                 &point[0], &point[1]);
    }
    finish_forward(pp, count);
    return 100;
}

// Map plane to longitude/latitude by the secant iteration; marks nothing
// invalid (a target outside the ellipse keeps the last step's point).
int16_t _HAInverse(double *Buflinedouble)
{
    const HAMMER_START start = start_for_current_block();
    for (unsigned i = 0; i < Width; ++i) {
        double *point = Buflinedouble + 2 * i;
        solve(start, point[0], point[1], &point[0], &point[1]);
    }
    return 100;
}

HAMMER_SOLUTION hammer_solve(double fpixel, double fline, double *lon, double *lat)
{
    return solve(start_for_current_block(), fpixel, fline, lon, lat);
}

} // namespace quorvex
