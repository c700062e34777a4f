// The prefix rule of the number fields.
#include "command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace brennix {
namespace {

TEST(ConvertNumber, PrefixRule)
{
    const struct {
        const char *text;
        double value;
    } cases[] = {
        {"2.5abc", 2.5},
        {"1D-3", 0.001},
        {"1d3", 1000},
        {"1E+2", 100},
        {"1e", 1},
        {"1e+", 1},
        {"-.5", -0.5},
        {"+7", 7},
        {".", 0},
        {"-", 0},
        {"", 0},
        {"abc", 0},
        {" \t 3", 3},
        {"1.2.3", 1.2},
        {"12,5", 12},
        {"0.1", 0.1},               // correctly rounded, like any literal
        {"&H10", 16},
        {"&h1f", 31},
        {"&HZZ", 0},
        {"&B101", 5},
        {"&b102", 2},
        {"&O17", 15},
        {"&q17", 15},
        {"&17", 15},
        {"&18", 1},
        {"&", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(convert_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(ConvertNumber, OutOfRangeExponentsGiveInfinityOrZero)
{
    EXPECT_TRUE(std::isinf(convert_number("1E400")));
    EXPECT_EQ(convert_number("1E-400"), 0.0);
    EXPECT_TRUE(std::isinf(convert_number("&H" + std::string(300, 'F'))));
}

} // namespace
} // namespace brennix
