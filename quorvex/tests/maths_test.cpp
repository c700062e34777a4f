// The library's own maths: exact bits on every platform, so that the engine
// computes the same everywhere.  Expected values are those of the GNU C
// library, correctly rounded on these inputs; the cases reach each
// function's branches (tiny, reduced and huge arguments, both signs).
#include "maths/maths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct MathsCase {
    const char *function;
    double x;
    double y;  // second argument of atan2 and pow
    std::uint64_t bits;
};

double evaluate(const std::string &f, double x, double y)
{
    using namespace quorvex;
    if (f == "sin") return maths::sin(x);
    if (f == "cos") return maths::cos(x);
    if (f == "tan") return maths::tan(x);
    if (f == "asin") return maths::asin(x);
    if (f == "acos") return maths::acos(x);
    if (f == "atan") return maths::atan(x);
    if (f == "atan2") return maths::atan2(x, y);
    if (f == "log") return maths::log(x);
    if (f == "exp") return maths::exp(x);
    return maths::pow(x, y);
}

TEST(Maths, ExactBitsOnEveryPlatform)
{
    const MathsCase cases[] = {
        {"sin", 0x1p-1, 0.0, 0x3fdeaee8744b05f0ULL},
        {"sin", -0x1.7333333333333p+1, 0.0, 0xbfce9fb8d64830e3ULL},
        {"sin", 0x1.12e0be826d695p-30, 0.0, 0x3e112e0be826d695ULL},
        {"sin", 0x1.0f0cf064dd592p+73, 0.0, 0xbfeb453ab76bf397ULL},
        {"cos", 0x1.6666666666666p-1, 0.0, 0x3fe87996529f9d93ULL},
        {"cos", 0x1.921fb54442d18p+1, 0.0, 0xbff0000000000000ULL},
        {"cos", -0x1.e848p+19, 0.0, 0x3fedf9df9906d32cULL},
        {"tan", 0x1.921fb54442d18p-1, 0.0, 0x3fefffffffffffffULL},
        {"tan", -0x1.8p+0, 0.0, 0xc02c33ed50b88777ULL},
        {"asin", 0x1.3333333333333p-2, 0.0, 0x3fd380159e14f6ffULL},
        {"asin", -0x1.fae147ae147aep-1, 0.0, 0xbff6de3c6f33d51dULL},
        {"acos", 0x1.3333333333333p-1, 0.0, 0x3fedac670561bb50ULL},
        {"acos", -0x1.ff7ced916872bp-1, 0.0, 0x4008c66280ae928eULL},
        {"atan", 0x1.999999999999ap-2, 0.0, 0x3fd85a376b677dc0ULL},
        {"atan", -0x1.18p+5, 0.0, 0xbff8acfc29bfd496ULL},
        {"atan2", 0x1p+0, -0x1p+1, 0x40056c6e7397f5aeULL},
        {"atan2", -0x1p-1, 0x1p-2, 0xbff1b6e192ebbe44ULL},
        {"atan2", 0x0p+0, -0x1p+0, 0x400921fb54442d18ULL},
        {"log", 0x1.fff2e48e8a71ep-1, 0.0, 0xbf1a3738d2cf1cc2ULL},
        {"log", 0x1.854a64p+22, 0.0, 0x402f5636c4ef396bULL},
        {"log", 0x1.56e1fc2f8f359p-997, 0.0, 0xc085963447f87fb5ULL},
        {"exp", -0x1.8p-1, 0.0, 0x3fde3b40ebefcd7eULL},
        {"exp", 0x1.5ep+9, 0.0, 0x7f0d945df4f8ec8eULL},
        {"pow", 0x1.fe425aee631f9p-1, 0x1.50b0f27bb2fecp-5, 0x3feffeda77172424ULL},
        {"pow", 0x1.4p+1, -0x1.ap+1, 0x3faa0f36e2c12f9eULL},
        {"pow", -0x1p+3, 0x1.8p+1, 0xc080000000000000ULL},
    };
    for (const MathsCase &c : cases) {
        const double result = evaluate(c.function, c.x, c.y);
        std::uint64_t bits;
        std::memcpy(&bits, &result, sizeof bits);
        EXPECT_EQ(bits, c.bits) << c.function << "(" << c.x << ", " << c.y << ")";
    }
}

} // namespace
