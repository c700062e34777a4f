// The frame's two numeric services: folding a longitude into [-pi, pi] and
// rounding a point list to packed 32-bit integers.
#include "trasfo/trasfo.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace quorvex {

namespace {

// Beyond this magnitude the folding loop would take too long; the remainder
// of the division by a full turn brings the value into its reach first.
constexpr double loop_reach = 1e6;

// Truncation toward zero plus one when the fraction exceeds a half: halves
// go down for positive values, negative values are only truncated.  A NaN
// has no position; values beyond the 32-bit range take the nearest limit.
int32_t round_like_the_grid(double v)
{
    if (std::isnan(v))
        return QUORVEX_NO_VALUE;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    int32_t n = static_cast<int32_t>(v);
    if (v - n > 0.5)
        ++n;
    return n;
}

} // namespace

double _AdjustLon(double lon)
{
    if (!std::isfinite(lon))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(lon) > loop_reach)
        lon = std::fmod(lon, two_pi);
    while (std::fabs(lon) > pi) {
        if (lon < 0)
            lon += two_pi;
        else
            lon -= two_pi;
    }
    return lon;
}

void _Arrotonda(double *pp, long count)
{
    // Integer k lands in bytes 4k..4k+3, value k is read from 8k..8k+7:
    // writing never overtakes reading.
    unsigned char *out = reinterpret_cast<unsigned char *>(pp);
    for (long k = 0; k < 2 * count; ++k) {
        const int32_t n = round_like_the_grid(pp[k]);
        std::memcpy(out + 4 * k, &n, sizeof n);
    }
}

void _Arrotonda(double *pp)
{
    _Arrotonda(pp, count_points(pp));
}

} // namespace quorvex
