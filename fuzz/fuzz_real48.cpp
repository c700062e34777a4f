// Fuzz target for the 6-byte real codec.  Every 6-byte slice of the input is
// decoded, encoded and decoded again; every 8-byte slice is taken as a
// double and encoded.  Checked: the decoder gives the exact value of any
// pattern, the encoder stores such a value back to the same bytes, and an
// arbitrary double is truncated toward zero to the next representable
// magnitude (or zero, or the largest magnitude, at the ends of the range).
#include "fuzz_check.h"
#include "quorvex/quorvex.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr double smallest_encoded = 1e-10;
constexpr int mantissa_bits = 39;
constexpr int exponent_bias = 129;
// The largest magnitude the format holds, (2 - 2^-39) * 2^126.
const double largest = std::ldexp(2.0 - std::ldexp(1.0, -mantissa_bits), 126);

bool all_zero(const unsigned char *bytes)
{
    for (int i = 0; i < 6; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

// The exponent byte 0 is the value zero, whatever the mantissa holds; any
// other pattern is canonical and must come back byte for byte.
void check_pattern(const unsigned char *pattern)
{
    const double first = _RealPascalToDoubleC(pattern);
    FUZZ_REQUIRE(std::isfinite(first));
    FUZZ_REQUIRE(std::fabs(first) <= largest);
    if (pattern[0] == 0) {
        FUZZ_REQUIRE(first == 0.0 && !std::signbit(first));
        return;
    }
    FUZZ_REQUIRE(first != 0.0);
    FUZZ_REQUIRE(std::signbit(first) == ((pattern[5] & 0x80) != 0));

    unsigned char again[6];
    _DoubleCtoRealPascal(again, first);
    const double second = _RealPascalToDoubleC(again);
    if (std::fabs(first) < smallest_encoded) {
        FUZZ_REQUIRE(all_zero(again));
        return;
    }
    FUZZ_REQUIRE(second == first);
    FUZZ_REQUIRE(std::memcmp(again, pattern, 6) == 0);
}

void check_double(double value)
{
    unsigned char bytes[6];
    _DoubleCtoRealPascal(bytes, value);
    const double stored = _RealPascalToDoubleC(bytes);
    const double magnitude = std::fabs(value);

    if (!(magnitude >= smallest_encoded)) {
        FUZZ_REQUIRE(all_zero(bytes));
        return;
    }
    FUZZ_REQUIRE(std::signbit(stored) == std::signbit(value));
    if (magnitude >= largest) {
        FUZZ_REQUIRE(std::fabs(stored) == largest);
        return;
    }
    // Truncation toward zero: not above the value, and the next magnitude
    // the format holds (one unit in the last mantissa bit up) is above it.
    // stored + unit has at most 41 significant bits, so the sum is exact.
    const double unit = std::ldexp(1.0, bytes[0] - exponent_bias - mantissa_bits);
    FUZZ_REQUIRE(std::fabs(stored) <= magnitude);
    FUZZ_REQUIRE(magnitude < std::fabs(stored) + unit);

    // Storing the stored value again changes nothing, unless truncation
    // took a value just above the cut-off of zero below it.
    unsigned char again[6];
    _DoubleCtoRealPascal(again, stored);
    if (std::fabs(stored) >= smallest_encoded)
        FUZZ_REQUIRE(std::memcmp(again, bytes, 6) == 0);
    else
        FUZZ_REQUIRE(all_zero(again));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (size_t at = 0; at + 6 <= size; at += 6)
        check_pattern(data + at);
    for (size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
        double value;
        std::memcpy(&value, data + at, sizeof value);
        check_double(value);
    }
    return 0;
}
