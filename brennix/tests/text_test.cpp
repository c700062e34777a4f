// Texts: numbers as the reports write them, print zones, the report masks,
// the number fields' prefix rule and the raw Windows command line.
#include "command_line.h"
#include "number_text.h"
#include "raw_command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace brennix {
namespace {

// 0.1 and 1/3 as 6-byte reals hold them, with 39 bits after the point:
// 0.09999999999990905... and 0.33333333333303016...
constexpr double real48_tenth = 0x1.9999999998p-4;
constexpr double real48_third = 0x1.5555555554p-2;

struct TextCase {
    double value;
    std::string text;
};

TEST(NumberText, FixedScientificSignAndRounding)
{
    const TextCase cases[] = {
        {-0.25, "-.25 "},
        {0.0, " 0 "},
        {-0.0, " 0 "},
        {2.5, " 2.5 "},
        {1e20, " 1E+20 "},
        {260.0, " 260 "},
        {1.0 / 255.0, " 3.92156862745098E-3 "},
        {123456789012345.0, " 123456789012345 "},
        {1e15, " 1E+15 "},
        {-1e15, "-1E+15 "}, // a whole part of 16 digits
        {1e14, " 100000000000000 "},
        {0.001, " .001 "},
        {1e-15, " .000000000000001 "},
        {1.5e-15, " 1.5E-15 "}, // 16 digits after the point
        {0.3, " .3 "},          // .2999... rounds up at the 16th digit
        {1.7014118346031449e38, " 1.70141183460314E+38 "},
        {2.938735877055719e-39, " 2.93873587705572E-39 "},
        {real48_tenth, " .099999999999909 "},
        {real48_third, " .33333333333303 "},
        // Only the first dropped digit decides; a 5 goes to the even digit.
        {1234567890123455.0, " 1.23456789012346E+15 "},
        {1234567890123445.0, " 1.23456789012344E+15 "},
        {12345678901234452.0, " 1.23456789012344E+16 "}, // 5 then 2: still a half
        {1234567890123446.0, " 1.23456789012345E+15 "},
        {9999999999999995.0, " 1E+16 "},
        {0.99999999999999995, " 1 "}, // carry through
        {HUGE_VAL, " INF "},
        {-HUGE_VAL, "-INF "},
        {NAN, " NAN "},
        // Whole numbers take the integer path of the log's positions too.
        {-1, "-1 "},
        {32767, " 32767 "},
        {-32768, "-32768 "},
        {999999999999999.0, " 999999999999999 "},
    };
    for (const TextCase &c : cases) {
        EXPECT_EQ(number_text(c.value), c.text) << c.value;
        if (std::fabs(c.value) < 1e15 && c.value == std::floor(c.value)) {
            std::string text;
            append_integer_text(text, static_cast<long long>(c.value));
            EXPECT_EQ(text, c.text) << c.value;
        }
    }
}

TEST(ZonedLine, ItemsStartAtMultiplesOfFourteen)
{
    // Already on a zone start: a full zone of spaces.
    EXPECT_EQ(ZonedLine().next_zone().text(), std::string(14, ' '));
    EXPECT_EQ(ZonedLine().add(std::string(14, 'x')).next_zone().text().size(), 28u);
    EXPECT_EQ(ZonedLine().add(std::string(15, 'x')).next_zone().text().size(), 28u);
}

TEST(Masks, WholeRightAlignedRealWithThirteenDecimals)
{
    for (long long v : {-1LL, 0LL, 255LL, -32768LL}) {
        const std::string digits = std::to_string(v);
        EXPECT_EQ(whole_mask_text(v), std::string(21 - digits.size(), ' ') + digits);
    }
    const TextCase cases[] = {
        {-0.25, "     -0.25           "},
        {1234567.0, "1234567.             "},
        {-1234567.0, "-1234567.             "}, // widens to the left
        {1e-20, "      0.             "},
        {-1e-20, "      0.             "}, // nothing left to be negative
        // The double nearest 5e-14 lies a little above it, that of 1.5e-13 below.
        {0.00000000000005, "      0.0000000000001"},
        {0.00000000000015, "      0.0000000000001"},
        // Exact halves at the 14th decimal go to the even neighbour, others up.
        {0.00006103515625, "      0.0000610351562"}, // 2^-14
        {0.00018310546875, "      0.0001831054688"}, // 3 x 2^-14
        {-0.00018310546875, "     -0.0001831054688"},
        {0.000061035156251, "      0.0000610351563"},
        {real48_tenth, "      0.0999999999999"},
        {real48_third, "      0.333333333333 "},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(real_mask_text(c.value), c.text) << c.value;
}

TEST(ConvertNumber, PrefixRule)
{
    const TextCase cases[] = {
        {2.5, "2.5abc"},
        {0.001, "1D-3"},
        {1000, "1d3"},
        {100, "1E+2"},
        {1, "1e"},
        {1, "1e+"},
        {-0.5, "-.5"},
        {7, "+7"},
        {0, "."},
        {0, "-"},
        {0, ""},
        {0, "abc"},
        {3, " \t 3"},
        {1.2, "1.2.3"},
        {12, "12,5"},
        {0.1, "0.1"}, // correctly rounded, like any literal
        {16, "&H10"},
        {31, "&h1f"},
        {0, "&HZZ"},
        {5, "&B101"},
        {2, "&b102"},
        {15, "&O17"},
        {15, "&q17"},
        {15, "&17"},
        {1, "&18"},
        {0, "&"},
        {HUGE_VAL, "1E400"},
        {0, "1E-400"},
        {HUGE_VAL, "&H" + std::string(300, 'F')},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(convert_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(RawCommandLine, SkipsTheProgramNameAndTheSpacesAround)
{
    const char *const cases[][2] = {
        {"Brennix a b c d e f", "a b c d e f"},
        {"Brennix   a b  ", "a b"},
        {"\"C:\\Program Files\\Brennix.exe\" a b", "a b"},
        {"\"C:\\My Tools\\Brennix\"a b", "a b"},
        {"\"C:\\x y\\Brennix.exe\" \"in file\" out", "\"in file\" out"},
        {"\"unclosed quote a b c", ""},
        {"Brennix", ""},
        {"Brennix ", ""},
        {"", ""},
        {"\"\" a", "a"},
        {"Brennix a  b", "a  b"},
        {"Brennix\ta b", "b"},
        {"Brennix \ta\t ", "\ta\t"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text_after_program_name(c[0]), c[1]) << c[0];
}

} // namespace
} // namespace brennix
