// Conversion between doubles and the 6-byte reals of IDA headers.
#include "quorvex/quorvex.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Weight of one unit of each mantissa byte, from the top byte down.  The
// last three are the powers of two cut to 16 significant digits; they sit
// about 2^-51 below the exact values, which never changes a result.
constexpr double k1 = 0.0078125;             // 2^-7,  byte 5 bits 0-6
constexpr double k2 = 0.000030517578125;     // 2^-15, byte 4
constexpr double k3 = 1.192092895507812e-7;  // 2^-23, byte 3
constexpr double k4 = 4.656612873077392e-10; // 2^-31, byte 2
constexpr double k5 = 1.818989403545856e-12; // 2^-39, byte 1

constexpr double smallest_encoded = 1e-10;
// 2^127: the first magnitude whose exponent byte would exceed 255.
constexpr double beyond_largest = 170141183460469231731687303715884105728.0;

void store_largest(unsigned char *h, bool negative)
{
    h[0] = 255;
    h[1] = h[2] = h[3] = h[4] = 255;
    h[5] = negative ? 255 : 127;
}

// 2^n for n from -128 to 126, built from its bits: a normal double, so the
// product with the significand is exact.  (The C runtime's ldexp is x87 code
// on 32-bit x86 and there rounds to the host program's precision.)
double power_of_two(int n)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(n + 1023) << 52;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

extern "C" double QUORVEX_CALL _RealPascalToDoubleC(const unsigned char *h)
{
    if (h == nullptr)
        return 0.0;
    const int exponent = h[0];
    if (exponent == 0)
        return 0.0;

    double sign = 1.0;
    int top = h[5];
    if (top > 127) {
        sign = -1.0;
        top -= 128;
    }
    const double significand = top * k1 + h[4] * k2 + h[3] * k3 + h[2] * k4 + h[1] * k5 + 1.0;
    return sign * significand * power_of_two(exponent - 129);
}

extern "C" void QUORVEX_CALL _DoubleCtoRealPascal(unsigned char *h, double coord)
{
    if (h == nullptr)
        return;
    for (int i = 0; i < 6; ++i)
        h[i] = 0;
    // Written so that NaN fails the test as well.
    if (!(std::fabs(coord) >= smallest_encoded))
        return;

    const double v = std::fabs(coord);
    const bool negative = coord < 0.0;
    if (v >= beyond_largest) {
        store_largest(h, negative);
        return;
    }

    const bool reciprocal = v < 1.0;
    const double w = reciprocal ? 1.0 / v : v;

    // p becomes the smallest power of two above w, p = 2^n.  A double holds
    // every power of two the format needs, so the search covers exponent
    // bytes 1 to 255.
    int n = 1;
    double p = 2.0;
    while (p <= w) {
        p *= 2.0;
        ++n;
    }

    double f;
    if (!reciprocal) {
        h[0] = static_cast<unsigned char>(n + 128);
        f = 2.0 * v / p - 1.0;
    } else {
        if (2.0 * w != p) {
            ++n;
            p *= 2.0;
        }
        h[0] = static_cast<unsigned char>(130 - n);
        f = 0.5 * v * p - 1.0;
    }

    // Peel the mantissa off from the top byte down, truncating each quotient.
    const int t = static_cast<int>(f / k1);
    h[5] = static_cast<unsigned char>(negative ? t + 128 : t);
    f -= t * k1;
    h[4] = static_cast<unsigned char>(static_cast<int>(f / k2));
    f -= h[4] * k2;
    h[3] = static_cast<unsigned char>(static_cast<int>(f / k3));
    f -= h[3] * k3;
    h[2] = static_cast<unsigned char>(static_cast<int>(f / k4));
    f -= h[2] * k4;
    h[1] = static_cast<unsigned char>(static_cast<int>(f / k5));
}
