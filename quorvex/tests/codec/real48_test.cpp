// 6-byte real codec: byte patterns, exact decoding, truncating encoding.
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>

namespace {

using Bytes = std::array<unsigned char, 6>;

// Encodes into the middle of a larger buffer: exactly six bytes are written.
Bytes encode(double v)
{
    unsigned char buffer[8];
    std::fill(buffer, buffer + 8, 0xEE);
    _DoubleCtoRealPascal(buffer + 1, v);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(buffer[7], 0xEE);
    Bytes b;
    std::copy(buffer + 1, buffer + 7, b.begin());
    return b;
}

// The value the bytes stand for, computed independently of the codec.
double exact_value(const Bytes &b)
{
    if (b[0] == 0)
        return 0.0;
    uint64_t m = 0;
    for (int i = 5; i >= 1; --i)
        m = (m << 8) | (i == 5 ? (b[i] & 0x7F) : b[i]);
    const double significand = 1.0 + std::ldexp(static_cast<double>(m), -39);
    const double magnitude = std::ldexp(significand, b[0] - 129);
    return (b[5] & 0x80) ? -magnitude : magnitude;
}

// The largest finite magnitude of the format, onto which larger ones clamp.
const double largest = std::ldexp(2.0 - std::ldexp(1.0, -39), 126);
const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

// A value, the bytes it encodes to, and what those bytes decode to: powers of
// two (an empty significand, which random patterns never give), cut
// significands, values the encoder drops or clamps, and what is no number.
// Values of every other exponent and significand are the random test's.
const struct {
    double value;
    Bytes bytes;
    double decoded;
} codec_table[] = {
    {0.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0.0},
    {1.0, {0x81, 0x00, 0x00, 0x00, 0x00, 0x00}, 1.0},
    {-1.0, {0x81, 0x00, 0x00, 0x00, 0x00, 0x80}, -1.0},
    {0.5, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00}, 0.5},
    {0.1, {0x7D, 0xCC, 0xCC, 0xCC, 0xCC, 0x4C}, 0.09999999999990905},
    {1.0 / 3.0, {0x7F, 0xAA, 0xAA, 0xAA, 0xAA, 0x2A}, 0.33333333333303017},
    {5e-11, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0.0},
    {-0.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0.0},
    {nan, {0, 0, 0, 0, 0, 0}, 0.0},
    // Beyond the exponent search of 32-bit implementations: same rule.
    {1073741824.0, {0x9F, 0x00, 0x00, 0x00, 0x00, 0x00}, 1073741824.0},
    {1e-10, {0x5F, 0xBD, 0xCE, 0xFE, 0xE6, 0x5B}, 9.999999999990163e-11},
    {largest, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, largest},
    {1e300, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, largest},
    {-inf, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -largest},
    {std::ldexp(1.0, 127), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, largest},
};

TEST(Real48Codec, TableBothDirections)
{
    for (const auto &c : codec_table) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(encode(c.value), c.bytes);
        EXPECT_EQ(_RealPascalToDoubleC(c.bytes.data()), c.decoded);
    }
}

// Random patterns of every exponent decode exactly; decoding then encoding
// gives the same bytes for every pattern whose magnitude the encoder keeps
// (at least 1e-10), so every value of 40 significant bits comes back exactly.
TEST(Real48Codec, RandomPatternsDecodeExactlyAndRoundTrip)
{
    std::mt19937_64 rng(20261207);
    for (int exponent = 0; exponent < 256; ++exponent) {
        for (int k = 0; k < 200; ++k) {
            Bytes b;
            const uint64_t r = rng();
            b[0] = static_cast<unsigned char>(exponent);
            for (int i = 1; i < 6; ++i)
                b[i] = static_cast<unsigned char>(r >> (8 * i));
            const double v = _RealPascalToDoubleC(b.data());
            ASSERT_EQ(v, exact_value(b)) << testing::PrintToString(b);
            if (std::fabs(v) >= 1e-10) {
                ASSERT_EQ(encode(v), b) << v;
            }
        }
    }
}

} // namespace
