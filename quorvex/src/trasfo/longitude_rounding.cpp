// The frame's two numeric services: folding a longitude into [-pi, pi] and
// rounding a point list to packed 32-bit integers.
#include "trasfo/trasfo.h"

#include <cmath>
#include <cstdint>
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

// The power of two at or below x, a positive normal double: x's exponent
// bits alone.  Bit work rather than ldexp, whose 32-bit Windows runtime
// computes with the x87 unit.
double power_of_two_at_or_below(double x)
{
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits &= UINT64_C(0x7ff0000000000000);
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// A magnitude x above a half turn with whole turns taken off one at a
// time, x = x - two_pi rounded at each step, as the folding loop does, but
// with the steps of one binade taken at once.  While a step's exact result
// stays in x's binade [low, 2 low), where the doubles are the multiples of
// u, it loses the same amount d: two_pi's multiple of u below it, one u
// more when the rest of two_pi beyond that multiple exceeds half a u (a rest
// of exactly half a u ties to even, which alternates: those binades take
// single steps).  k such steps lose k d, exactly.
double fold_magnitude(double x)
{
    while (x > pi) {
        const double low = power_of_two_at_or_below(x);
        const double u = low * 0x1p-52;
        const double below = std::floor(two_pi / u) * u;
        const double rest = two_pi - below;
        // The last step of a jump, from x - (steps - 1) d, must end at or
        // above low: steps - 1 <= (x - two_pi - low) / d, with room for the
        // quotient's rounding as d <= below + u.
        const double steps = std::floor((x - two_pi - low) / (below + u));
        if (rest == u / 2 || steps < 2.0) {
            x -= two_pi;
            continue;
        }
        x -= steps * (rest > u / 2 ? below + u : below);
    }
    return x;
}

} // namespace

double _AdjustLon(double lon)
{
    if (!std::isfinite(lon))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(lon) > loop_reach)
        lon = std::fmod(lon, two_pi);
    if (std::fabs(lon) <= pi)
        return lon;
    // Adding a turn to a negative longitude mirrors taking one off its
    // magnitude, step for step, but for the sign of an exact 0: +0 either
    // way.
    const double folded = fold_magnitude(std::fabs(lon));
    return lon < 0 && folded != 0.0 ? -folded : folded;
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
