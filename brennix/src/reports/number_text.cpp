// Number text, print zones and report masks.  Both rounding rules work on
// decimal digits of the double itself, so they are taken from std::to_chars,
// which gives exact (or exactly rounded) digits on every platform.
#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace brennix {
namespace {

// A positive finite value as significant digits d0 d1 d2 ... and the decimal
// exponent of d0: value = d0.d1d2... x 10^exponent.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

// `precision` digits after the first; 767 more than covers the longest
// exact expansion of a double, so that request gives the digits unrounded.
DecimalDigits scientific_digits(double magnitude, int precision)
{
    char buffer[800];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, precision);
    DecimalDigits out;
    const char *p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p)
        if (*p != '.')
            out.digits += *p;
    if (p < result.ptr)
        out.exponent = std::atoi(std::string(p + 1, static_cast<const char *>(result.ptr)).c_str());
    return out;
}

constexpr int exact_precision = 767;

// Adds one unit in the last place of a digit string; true on a carry out.
bool increment_digits(std::string &digits)
{
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

bool odd_digit(char digit)
{
    return (digit - '0') % 2 != 0;
}

// Kept digits rounded by the number-text rule: only the first dropped digit
// counts, and a 5 there rounds to the even neighbour.
DecimalDigits round_to_significant(DecimalDigits exact, std::size_t keep)
{
    std::string kept = exact.digits.substr(0, keep);
    kept.resize(keep, '0');
    const char dropped = exact.digits.size() > keep ? exact.digits[keep] : '0';
    if (dropped > '5' || (dropped == '5' && odd_digit(kept.back()))) {
        if (increment_digits(kept)) {
            kept.insert(kept.begin(), '1');
            kept.pop_back();
            ++exact.exponent;
        }
    }
    while (kept.size() > 1 && kept.back() == '0')
        kept.pop_back();
    return {kept, exact.exponent};
}

constexpr std::size_t kept_significant = 15;
constexpr int widest_fixed_part = 15;

std::string layout_number(char sign, const DecimalDigits &d)
{
    const int count = static_cast<int>(d.digits.size());
    const int whole_digits = d.exponent >= 0 ? d.exponent + 1 : 0;
    const int fraction_digits = count - 1 - d.exponent;
    std::string text(1, sign);
    if (whole_digits <= widest_fixed_part && fraction_digits <= widest_fixed_part) {
        if (d.exponent >= 0) {
            std::string whole = d.digits.substr(0, whole_digits);
            whole.resize(whole_digits, '0');
            text += whole;
            if (fraction_digits > 0)
                text += "." + d.digits.substr(whole_digits);
        } else {
            text += "." + std::string(-d.exponent - 1, '0') + d.digits;
        }
    } else {
        text += d.digits[0];
        if (count > 1)
            text += "." + d.digits.substr(1);
        text += d.exponent < 0 ? "E-" : "E+";
        text += std::to_string(std::abs(d.exponent));
    }
    return text + " ";
}

// The first 16 significant digits of the exact expansion, cheaply: 25
// correctly rounded digits agree with the exact ones in their first 16
// unless the rounding carried through digits 17 to 25, which leaves them all
// 0; only then (or for values whose expansion simply ends there) is the
// whole expansion produced.
DecimalDigits leading_exact_digits(double magnitude)
{
    constexpr std::size_t needed = kept_significant + 1;
    constexpr int guard_precision = 24;
    DecimalDigits guarded = scientific_digits(magnitude, guard_precision);
    if (guarded.digits.find_first_not_of('0', needed) == std::string::npos)
        return scientific_digits(magnitude, exact_precision);
    guarded.digits.resize(needed);
    return guarded;
}

// Every whole number below 10^15 is written exactly as its digits.
constexpr double exact_integer_limit = 1e15;

} // namespace

void append_integer_text(std::string &out, long long value)
{
    out += value < 0 ? '-' : ' ';
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0)
        out += digits[--n];
    out += ' ';
}

std::string number_text(double value)
{
    if (std::isnan(value))
        return " NAN ";
    if (std::isinf(value))
        return value < 0 ? "-INF " : " INF ";
    const double magnitude = std::fabs(value);
    if (magnitude < exact_integer_limit && magnitude == std::trunc(magnitude)) {
        std::string text;
        append_integer_text(text, static_cast<long long>(magnitude));
        if (value < 0)
            text[0] = '-';
        return text;
    }
    const DecimalDigits rounded =
        round_to_significant(leading_exact_digits(magnitude), kept_significant);
    return layout_number(value < 0 ? '-' : ' ', rounded);
}

ZonedLine &ZonedLine::add(const std::string &text)
{
    text_ += text;
    return *this;
}

ZonedLine &ZonedLine::next_zone()
{
    const std::size_t target = (text_.size() / zone_width + 1) * zone_width;
    text_.append(target - text_.size(), ' ');
    return *this;
}

namespace {

constexpr std::size_t mask_width = 21;
constexpr std::size_t real_whole_width = 7;
constexpr int real_decimals = 13;
constexpr int real_significant = 18;

std::string right_aligned(const std::string &text, std::size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The value times 10^13 as a whole decimal number, rounded from its first
// 18 significant digits with exact halves going to the even neighbour.
std::string scaled_by_decimals(double magnitude)
{
    const DecimalDigits d = scientific_digits(magnitude, real_significant - 1);
    // Index of the digit that stands at the 13th decimal.
    const int last_kept = d.exponent + real_decimals;
    if (last_kept + 1 >= real_significant)
        return d.digits + std::string(last_kept + 1 - real_significant, '0');
    if (last_kept < -1)
        return "0";
    std::string kept = last_kept >= 0 ? d.digits.substr(0, last_kept + 1) : "0";
    const std::string dropped = d.digits.substr(last_kept + 1);
    const bool later_nonzero = dropped.find_first_not_of('0', 1) != std::string::npos;
    if (dropped[0] > '5' || (dropped[0] == '5' && (later_nonzero || odd_digit(kept.back())))) {
        if (increment_digits(kept))
            kept.insert(kept.begin(), '1');
    }
    return kept;
}

} // namespace

std::string whole_mask_text(long long value)
{
    return right_aligned(std::to_string(value), mask_width);
}

std::string real_mask_text(double value)
{
    std::string scaled = value == 0.0 || !std::isfinite(value)
                             ? std::string("0")
                             : scaled_by_decimals(std::fabs(value));
    if (scaled.size() <= static_cast<std::size_t>(real_decimals))
        scaled.insert(0, real_decimals + 1 - scaled.size(), '0');
    std::string whole = scaled.substr(0, scaled.size() - real_decimals);
    std::string decimals = scaled.substr(scaled.size() - real_decimals);
    const std::size_t first_digit = whole.find_first_not_of('0');
    whole = first_digit == std::string::npos ? "0" : whole.substr(first_digit);
    const bool shows_nonzero = whole != "0" || decimals.find_first_not_of('0') != std::string::npos;
    if (value < 0 && shows_nonzero)
        whole.insert(whole.begin(), '-');
    const std::size_t last_nonzero = decimals.find_last_not_of('0');
    const std::size_t significant_decimals =
        last_nonzero == std::string::npos ? 0 : last_nonzero + 1;
    for (std::size_t i = significant_decimals; i < decimals.size(); ++i)
        decimals[i] = ' ';
    return right_aligned(whole, real_whole_width) + "." + decimals;
}

} // namespace brennix
