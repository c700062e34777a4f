// Numeric text checks: the character sets of integer and real texts, their
// values, and the exported range check.
#include "quorvex/quorvex.h"
#include "records/number_text.h"
#include "records/x87_precision.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Splits off the one sign strtod/strtol would accept; a second sign means
// there is no number at all.
const char *after_sign(const char *text, bool *negative)
{
    *negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    return text;
}

const char *end_of_digits(const char *text, bool allow_point)
{
    bool point_seen = false;
    for (;; ++text) {
        if (is_digit(*text))
            continue;
        if (allow_point && *text == '.' && !point_seen) {
            point_seen = true;
            continue;
        }
        return text;
    }
}

} // namespace

namespace quorvex {

bool is_number_text(const char *text, bool real)
{
    if (*text == '\0')
        return false;
    for (; *text != '\0'; ++text) {
        const char c = *text;
        if (!(is_digit(c) || c == '+' || c == '-' || (real && c == '.')))
            return false;
    }
    return true;
}

long long read_integer(const char *text)
{
    bool negative = false;
    const char *digits = after_sign(text, &negative);
    const char *end = end_of_digits(digits, false);
    unsigned long long magnitude = 0;
    const auto parsed = std::from_chars(digits, end, magnitude);
    if (parsed.ptr == digits)
        return 0;
    constexpr unsigned long long top =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    if (parsed.ec == std::errc::result_out_of_range || magnitude > top)
        return negative ? std::numeric_limits<long long>::min()
                        : std::numeric_limits<long long>::max();
    const long long value = static_cast<long long>(magnitude);
    return negative ? -value : value;
}

double read_real(const char *text)
{
    bool negative = false;
    const char *digits = after_sign(text, &negative);
    const char *end = end_of_digits(digits, true);
    double magnitude = 0.0;
    const DoubleRoundingScope double_rounding;
    const auto parsed = std::from_chars(digits, end, magnitude, std::chars_format::fixed);
    if (parsed.ptr == digits)
        magnitude = 0.0;
    else if (parsed.ec == std::errc::result_out_of_range)
        // only a run of digits too long for a double gets here
        magnitude = std::numeric_limits<double>::infinity();
    return negative ? -magnitude : magnitude;
}

} // namespace quorvex

extern "C" int16_t QUORVEX_CALL _CheckNumber(char *str, int16_t tipo, double minval, double maxval)
{
    if (str == nullptr)
        return QUORVEX_BAD_NUMBER;
    const char *start = str;
    while (*start == ' ')
        ++start;
    size_t length = std::strlen(str);
    while (length > 0 && str[length - 1] == ' ')
        str[--length] = '\0';

    const bool real = tipo != QUORVEX_INTEGER_TEXT;
    if (!quorvex::is_number_text(start, real))
        return QUORVEX_BAD_NUMBER;
    if (minval == 0.0 && maxval == 0.0)
        return QUORVEX_SUCCESS;

    if (real) {
        const double value = quorvex::read_real(start);
        if (!(value >= minval && value <= maxval))
            return QUORVEX_BAD_NUMBER;
    } else {
        // Integer bounds are cut toward zero: 0.5..9.9 admits 0 to 9.
        const double value = static_cast<double>(quorvex::read_integer(start));
        if (!(value >= std::trunc(minval) && value <= std::trunc(maxval)))
            return QUORVEX_BAD_NUMBER;
    }
    return QUORVEX_SUCCESS;
}
