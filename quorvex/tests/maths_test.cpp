// The library's own maths: exact bits on every platform, so that the engine
// computes the same everywhere.  Expected values are those of the GNU C
// library, correctly rounded on these inputs; the cases reach each
// function's branches (tiny, reduced and huge arguments, both signs).  The
// sweeps pin every result over wide ranges to a digest recorded from the
// 64-bit Linux build (within one ulp of the GNU C library there), so that
// any other build, or any change of a table entry, shows.
#include "maths/maths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using Function = double (*)(double, double);
using namespace quorvex;

// A function under test and its name; atan2 and pow take the second argument.
#define ONE(f) #f, [](double x, double) { return maths::f(x); }
#define TWO(f) #f, [](double x, double y) { return maths::f(x, y); }

std::uint64_t bits_of(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

TEST(Maths, ExactBitsOnEveryPlatform)
{
    const struct {
        const char *name;
        Function function;
        double x, y;
        std::uint64_t bits;
    } cases[] = {
        {ONE(sin), 0x1p-1, 0.0, 0x3fdeaee8744b05f0ULL},
        {ONE(sin), -0x1.7333333333333p+1, 0.0, 0xbfce9fb8d64830e3ULL},
        {ONE(sin), 0x1.12e0be826d695p-30, 0.0, 0x3e112e0be826d695ULL},
        {ONE(sin), 0x1.0f0cf064dd592p+73, 0.0, 0xbfeb453ab76bf397ULL},
        {ONE(cos), 0x1.6666666666666p-1, 0.0, 0x3fe87996529f9d93ULL},
        {ONE(cos), 0x1.921fb54442d18p+1, 0.0, 0xbff0000000000000ULL},
        {ONE(cos), -0x1.e848p+19, 0.0, 0x3fedf9df9906d32cULL},
        {ONE(tan), 0x1.921fb54442d18p-1, 0.0, 0x3fefffffffffffffULL},
        {ONE(tan), -0x1.8p+0, 0.0, 0xc02c33ed50b88777ULL},
        {ONE(asin), 0x1.3333333333333p-2, 0.0, 0x3fd380159e14f6ffULL},
        {ONE(asin), -0x1.fae147ae147aep-1, 0.0, 0xbff6de3c6f33d51dULL},
        {ONE(acos), 0x1.3333333333333p-1, 0.0, 0x3fedac670561bb50ULL},
        {ONE(acos), -0x1.ff7ced916872bp-1, 0.0, 0x4008c66280ae928eULL},
        {ONE(atan), 0x1.999999999999ap-2, 0.0, 0x3fd85a376b677dc0ULL},
        {ONE(atan), -0x1.18p+5, 0.0, 0xbff8acfc29bfd496ULL},
        {TWO(atan2), 0x1p+0, -0x1p+1, 0x40056c6e7397f5aeULL},
        {TWO(atan2), -0x1p-1, 0x1p-2, 0xbff1b6e192ebbe44ULL},
        {TWO(atan2), 0x0p+0, -0x1p+0, 0x400921fb54442d18ULL},
        {ONE(log), 0x1.fff2e48e8a71ep-1, 0.0, 0xbf1a3738d2cf1cc2ULL},
        {ONE(log), 0x1.854a64p+22, 0.0, 0x402f5636c4ef396bULL},
        {ONE(log), 0x1.56e1fc2f8f359p-997, 0.0, 0xc085963447f87fb5ULL},
        {ONE(exp), -0x1.8p-1, 0.0, 0x3fde3b40ebefcd7eULL},
        {ONE(exp), 0x1.5ep+9, 0.0, 0x7f0d945df4f8ec8eULL},
        {TWO(pow), 0x1.fe425aee631f9p-1, 0x1.50b0f27bb2fecp-5, 0x3feffeda77172424ULL},
        {TWO(pow), 0x1.4p+1, -0x1.ap+1, 0x3faa0f36e2c12f9eULL},
        {TWO(pow), -0x1p+3, 0x1.8p+1, 0xc080000000000000ULL},
    };
    for (const auto &c : cases)
        EXPECT_EQ(bits_of(c.function(c.x, c.y)), c.bits)
            << c.name << "(" << c.x << ", " << c.y << ")";
}

// FNV-1a over the bits of f at n points spread over [lo, hi] (the second
// argument of atan2 and pow sweeps [lo2, hi2] in step).
std::uint64_t sweep_digest(Function function, double lo, double hi, double lo2, double hi2)
{
    constexpr int n = 20000;
    std::uint64_t digest = 14695981039346656037ULL;
    for (int i = 0; i < n; ++i) {
        const double t = (i + 0.5) / n;
        const std::uint64_t bits =
            bits_of(function(lo + (hi - lo) * t, lo2 + (hi2 - lo2) * (1.0 - t)));
        for (int k = 0; k < 8; ++k) {
            digest ^= (bits >> (8 * k)) & 0xFF;
            digest *= 1099511628211ULL;
        }
    }
    return digest;
}

TEST(Maths, SweepsGiveTheRecordedBits)
{
    const struct {
        const char *name;
        Function function;
        double lo, hi, lo2, hi2;
        std::uint64_t digest;
    } sweeps[] = {
        {ONE(sin), -7, 7, 0, 0, 0x1a67cfb5cc2b75cbULL},
        {ONE(sin), -1e7, 1e7, 0, 0, 0xcd7bb0ead14974f9ULL},
        {ONE(sin), 1e15, 1e300, 0, 0, 0xa50cf7513acc3411ULL},
        {ONE(cos), -7, 7, 0, 0, 0xec1dfb9bfd6d006cULL},
        {ONE(cos), 1e5, 1e22, 0, 0, 0xede08902c7a3ca34ULL},
        {ONE(tan), -1.6, 1.6, 0, 0, 0xb73800fe6d3a6bb9ULL},
        {ONE(tan), -1e9, 1e9, 0, 0, 0xd5fd359d52ba231cULL},
        {ONE(asin), -1, 1, 0, 0, 0x48cc2fc450ce279bULL},
        {ONE(acos), -1, 1, 0, 0, 0xa0059f46d04ab95cULL},
        {ONE(atan), -50, 50, 0, 0, 0xe5a7024b731fc10aULL},
        {ONE(atan), -1e20, 1e20, 0, 0, 0x88fb6d46cac5c149ULL},
        {TWO(atan2), -10, 10, -3, 7, 0x69a0667bc61a526aULL},
        {ONE(log), 1e-300, 1e-290, 0, 0, 0x023f2f96cf436d6eULL},
        {ONE(log), 0.9, 1.1, 0, 0, 0x7b469f460958bb0bULL},
        {ONE(log), 1e-3, 1e8, 0, 0, 0x83eb9431419c5a39ULL},
        {ONE(exp), -745, 710, 0, 0, 0xcec18d7887eaea9aULL},
        {ONE(exp), -1, 1, 0, 0, 0x9423f397091054e6ULL},
        {TWO(pow), 1e-3, 50, -30, 30, 0xde0a70cfb4a749ecULL},
        {TWO(pow), 0.99, 1.01, -1e5, 1e5, 0x62ec2ec103572650ULL},
        {TWO(pow), -8, 8, -3, 3, 0xa870eca247bde786ULL},
    };
    for (const auto &s : sweeps)
        EXPECT_EQ(sweep_digest(s.function, s.lo, s.hi, s.lo2, s.hi2), s.digest)
            << s.name << " over [" << s.lo << ", " << s.hi << "]";
}

} // namespace
