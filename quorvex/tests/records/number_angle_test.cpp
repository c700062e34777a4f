// Numeric texts, angle texts, case conversion and byte swapping.
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

namespace {

TEST(CheckNumber, TextsAndRanges)
{
    const struct {
        const char *text;
        int16_t tipo;
        double minval, maxval;
        int16_t expected;
        const char *after = nullptr; // the text afterwards, nullptr: unchanged
    } cases[] = {
        {"  12  ", 0, 0, 0, 100, "  12"}, // trailing spaces removed in place
        {"   ", 0, 0, 0, -9999, ""},
        {"1e5", 1, 0, 0, -9999},
        {"-", 0, 0, 0, 100},        // signs are characters of the set
        {"-", 0, 1, 5, -9999},      // ... but read as 0
        {"10", 0, 0.5, 9.9, -9999}, // bounds cut to 0 and 9
        {"0", 0, 0.5, 9.9, 100},
        {"-9", 0, -9.9, -0.5, 100}, // -9.9 is cut toward zero to -9
        {"-10", 0, -9.9, -0.5, -9999},
        {"1.5", 0, 0, 0, -9999}, // a point is no integer character
        {"1.5", 1, 0, 0, 100},
        {"", 0, 0, 0, -9999},
        {"1 2", 0, 0, 0, -9999}, // an inner space is not allowed
        {"+-3", 1, 0, 0, 100},
        {"5-3", 0, 4, 6, 100},   // the value stops at the second sign
        {"+-3", 0, 1, 5, -9999}, // two signs: no number, read as 0
        {"90", 1, -90, 90, 100},
        {"90.0000001", 1, -90, 90, -9999},
        {".5", 1, 0.4, 0.6, 100},
        {"5.", 1, 4.9, 5.1, 100},
        {"1.2.3", 1, 1.1, 1.3, 100}, // the value is the leading 1.2
        {"99999999999999999999", 0, -1, 1e30, 100},
        {"9223372036854775808", 0, 0, 1e30, 100}, // beyond the signed range: the largest
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        std::string text = c.text;
        EXPECT_EQ(_CheckNumber(&text[0], c.tipo, c.minval, c.maxval), c.expected);
        EXPECT_STREQ(text.c_str(), c.after != nullptr ? c.after : c.text);
    }
    std::string beyond_double(400, '9'); // read as infinity, outside every range
    EXPECT_EQ(_CheckNumber(&beyond_double[0], 1, 0, 1e308), -9999);
}

TEST(RetrieveLonLat, AngleTexts)
{
    const double none = -99999.0;
    const struct {
        const char *text;
        int16_t tipo;
        double expected;
    } cases[] = {
        {"45\xB0 30'", 1, 45.5},
        {"45\26030'", 1, 45.0}, // \260 the degree sign: markers end only their own part
        {"45d30m", 1, 45.0},
        {"45 60", 1, none}, // minutes above 59.99999
        {"45 59.99999", 1, 45.0 + 59.99999 / 60},
        {"1 2 3 4", 1, none},
        {"10 20 30s", 0, 10.0 + 20.0 / 60 + 30.0 / 3600},
        {"10 20 60", 0, none}, // seconds above 59.999999
        {"181", 0, none},
        {"180", 0, 180.0},
        {"180 30", 0, none}, // final range test
        {"-90 0", 1, -90.0},
        {"91", 1, none},
        {"100", 5, none}, // any other tipo: limit 90
        {"89 59 59", 7, 89.0 + 59.0 / 60 + 59.0 / 3600},
        {"-45 30", 1, -45.5}, // minutes lengthen the magnitude
        {"-45 30 36", 0, -(45.0 + 30.0 / 60 + 36.0 / 3600)},
        {"-0 30", 1, -0.5},
        {"10 -5", 0, none}, // minutes are never negative
        {"-180 1", 0, none},
        {"45\xC2\xB0 30'", 1, 45.5}, // degree sign typed in UTF-8
        {"", 0, none},
        {"12.5x", 0, none},
        {"45 = 3", 0, none},
        {"10d extra", 0, none},
        {"-12.5", 0, -12.5},
        {"\2605", 1, none}, // the byte before the text is no UTF-8 lead of it
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = "\xC2" + std::string(c.text);
        EXPECT_DOUBLE_EQ(_RetrieveLonLat(&text[1], c.tipo), c.expected);
        EXPECT_EQ(text[0], '\xC2');
    }
}

TEST(CaseAndBytes, AsciiLettersOnly)
{
    char upper[] = "abc XYZ 09 \xE0\xB0-z{";
    EXPECT_EQ(a_maiusc(upper), upper);
    EXPECT_STREQ(upper, "ABC XYZ 09 \xE0\xB0-Z{");
    char lower[] = "ABC xyz @[ \xC0";
    EXPECT_EQ(a_minusc(lower), lower);
    EXPECT_STREQ(lower, "abc xyz @[ \xC0");
}

// Byte pairs of the first words swap; no words or no buffer: no effect.
TEST(CaseAndBytes, ReverseOrderSwapsOnlyTheFirstWords)
{
    const std::pair<int, std::string> cases[] = {
        {2, "214356"}, {1, "213456"}, {0, "123456"}, {-3, "123456"}};
    for (const auto &[words, after] : cases) {
        std::string bytes = "123456";
        _ReverseOrder(&bytes[0], words);
        EXPECT_EQ(bytes, after) << words;
    }
    _ReverseOrder(nullptr, 2);
}

} // namespace
