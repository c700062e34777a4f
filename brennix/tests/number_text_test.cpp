// Number text, print zones and the report masks.
#include "number_text.h"

#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <string>

namespace brennix {
namespace {

double from_real48(std::initializer_list<unsigned char> bytes)
{
    unsigned char b[6];
    std::copy(bytes.begin(), bytes.end(), b);
    return _RealPascalToDoubleC(b);
}

struct TextCase {
    double value;
    const char *text;
};

TEST(NumberText, FixedScientificAndSignPosition)
{
    const TextCase cases[] = {
        {0.5, " .5 "},
        {-0.25, "-.25 "},
        {0.0, " 0 "},
        {-0.0, " 0 "},
        {-10.0, "-10 "},
        {1.0, " 1 "},
        {2.5, " 2.5 "},
        {1e20, " 1E+20 "},
        {1.0 / 255.0, " 3.92156862745098E-3 "},
        {123456789012345.0, " 123456789012345 "},
        {1e15, " 1E+15 "},           // a whole part of 16 digits
        {-1e15, "-1E+15 "},
        {1e14, " 100000000000000 "},
        {0.001, " .001 "},
        {1e-15, " .000000000000001 "},
        {1.5e-15, " 1.5E-15 "},      // 16 digits after the point
        {0.3, " .3 "},               // .2999... rounds up at the 16th digit
        {260.0, " 260 "},
        {1.7014118346031449e38, " 1.70141183460314E+38 "},
        {2.938735877055719e-39, " 2.93873587705572E-39 "},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(number_text(c.value), c.text) << c.value;
}

TEST(NumberText, ValuesReadFromSixByteReals)
{
    // 0.1 is stored as 0.0999999999999909050529822707176208...
    EXPECT_EQ(number_text(from_real48({0x7D, 0xCC, 0xCC, 0xCC, 0xCC, 0x4C})),
              " .099999999999909 ");
    // 1/3 is stored as 0.333333333333030168...
    EXPECT_EQ(number_text(from_real48({0x7F, 0xAA, 0xAA, 0xAA, 0xAA, 0x2A})),
              " .33333333333303 ");
}

TEST(NumberText, OnlyTheFirstDroppedDigitDecides)
{
    const TextCase cases[] = {
        // 16th digit 5, kept digit odd: up to even.
        {1234567890123455.0, " 1.23456789012346E+15 "},
        // 16th digit 5, kept digit even: stays.
        {1234567890123445.0, " 1.23456789012344E+15 "},
        // 12345678901234452 exactly: 5 then 2, still treated as a half.
        {12345678901234452.0, " 1.23456789012344E+16 "},
        // 16th digit 6: up.
        {1234567890123446.0, " 1.23456789012345E+15 "},
        // Carry through every digit.
        {9999999999999995.0, " 1E+16 "},
        {0.99999999999999995, " 1 "},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(number_text(c.value), c.text) << c.value;
}

TEST(NumberText, IntegerTextMatchesGeneralRule)
{
    for (long long v : {0LL, 5LL, -1LL, 12LL, 32767LL, -32768LL, 999999999999999LL}) {
        std::string text;
        append_integer_text(text, v);
        EXPECT_EQ(text, number_text(static_cast<double>(v)));
    }
}

TEST(NumberText, NotFiniteValuesStillGiveAText)
{
    EXPECT_EQ(number_text(1.0 / 0.0), " INF ");
    EXPECT_EQ(number_text(-1.0 / 0.0), "-INF ");
}

TEST(ZonedLine, ItemsStartAtMultiplesOfFourteen)
{
    EXPECT_EQ(ZonedLine().add("SlopO, IntO: " + number_text(0.5)).next_zone()
                  .add(number_text(-10)).text(),
              "SlopO, IntO:  .5            -10 ");
    EXPECT_EQ(ZonedLine().add("12-06-2026").next_zone().add("09:05:07").text(),
              "12-06-2026    09:05:07");
    // Already on a zone start: a full zone of spaces.
    EXPECT_EQ(ZonedLine().next_zone().text(), std::string(14, ' '));
    EXPECT_EQ(ZonedLine().add(std::string(14, 'x')).next_zone().text().size(), 28u);
    EXPECT_EQ(ZonedLine().add(std::string(15, 'x')).next_zone().text().size(), 28u);
}

TEST(WholeMask, RightAlignedInTwentyOnePositions)
{
    EXPECT_EQ(whole_mask_text(-1), std::string(19, ' ') + "-1");
    EXPECT_EQ(whole_mask_text(0), std::string(20, ' ') + "0");
    EXPECT_EQ(whole_mask_text(255), std::string(18, ' ') + "255");
    EXPECT_EQ(whole_mask_text(-32768), std::string(15, ' ') + "-32768");
}

TEST(RealMask, WholePartPointAndThirteenDecimals)
{
    const TextCase cases[] = {
        {5.0, "      5.             "},
        {-0.25, "     -0.25           "},
        {0.0, "      0.             "},
        {0.5, "      0.5            "},
        {-10.0, "    -10.             "},
        {45.0, "     45.             "},
        {1234567.0, "1234567.             "},
        {-1234567.0, "-1234567.             "},  // widens to the left
        {1e-20, "      0.             "},
        {-1e-20, "      0.             "},      // nothing left to be negative
        // The double nearest 5e-14 lies a little above it.
        {0.00000000000005, "      0.0000000000001"},
        // The double nearest 1.5e-13 lies below it: its 18 digits end 4999...
        {0.00000000000015, "      0.0000000000001"},
        // Exact halves at the 14th decimal go to the even neighbour.
        {0.00006103515625, "      0.0000610351562"},   // 2^-14
        {0.00018310546875, "      0.0001831054688"},   // 3 x 2^-14
        {-0.00018310546875, "     -0.0001831054688"},
        // A half that is not exact (later digits non-zero) goes up.
        {0.000061035156251, "      0.0000610351563"},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(real_mask_text(c.value), c.text) << c.value;
}

TEST(RealMask, ValuesReadFromSixByteReals)
{
    EXPECT_EQ(real_mask_text(from_real48({0x7D, 0xCC, 0xCC, 0xCC, 0xCC, 0x4C})),
              "      0.0999999999999");
    EXPECT_EQ(real_mask_text(from_real48({0x7F, 0xAA, 0xAA, 0xAA, 0xAA, 0x2A})),
              "      0.333333333333 ");
}

} // namespace
} // namespace brennix
