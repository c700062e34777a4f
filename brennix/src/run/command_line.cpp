// Splitting the command text and reading its number fields.
#include "command_line.h"

#include <cstdlib>

namespace brennix {

std::vector<std::string> split_fields(const std::string &command_text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = command_text.find(' ', start);
        if (space == std::string::npos) {
            fields.push_back(command_text.substr(start));
            return fields;
        }
        fields.push_back(command_text.substr(start, space - start));
        start = space + 1;
    }
}

std::string trim_spaces(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

int digit_value(char c, int base)
{
    int value = base;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Digits after "&": accumulated in a double, so a long run of digits grows
// towards infinity instead of wrapping.
double convert_based(const std::string &text, std::size_t at)
{
    int base = 8;
    if (at < text.size()) {
        switch (text[at]) {
        case 'H':
        case 'h':
            base = 16;
            ++at;
            break;
        case 'B':
        case 'b':
            base = 2;
            ++at;
            break;
        case 'O':
        case 'o':
        case 'Q':
        case 'q':
            base = 8;
            ++at;
            break;
        default:
            break;
        }
    }
    double value = 0.0;
    for (; at < text.size(); ++at) {
        const int digit = digit_value(text[at], base);
        if (digit < 0)
            break;
        value = value * base + digit;
    }
    return value;
}

std::size_t skip_digits(const std::string &text, std::size_t at)
{
    while (at < text.size() && is_digit(text[at]))
        ++at;
    return at;
}

} // namespace

double convert_number(const std::string &text)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos)
        return 0.0;
    if (text[at] == '&')
        return convert_based(text, at + 1);

    // The accepted prefix is rewritten in the form strtod reads in every
    // locale-free build, so the value is correctly rounded.
    std::string number;
    if (text[at] == '+' || text[at] == '-')
        number += text[at++];
    const std::size_t whole_end = skip_digits(text, at);
    std::string mantissa = text.substr(at, whole_end - at);
    at = whole_end;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fraction_end = skip_digits(text, at + 1);
        mantissa += text.substr(at, fraction_end - at);
        at = fraction_end;
    }
    if (mantissa.empty() || mantissa == ".")
        return 0.0;
    number += mantissa;
    if (at < text.size() &&
        (text[at] == 'E' || text[at] == 'e' || text[at] == 'D' || text[at] == 'd')) {
        std::size_t exponent_at = at + 1;
        std::string exponent = "e";
        if (exponent_at < text.size() && (text[exponent_at] == '+' || text[exponent_at] == '-'))
            exponent += text[exponent_at++];
        const std::size_t exponent_end = skip_digits(text, exponent_at);
        if (exponent_end > exponent_at)
            number += exponent + text.substr(exponent_at, exponent_end - exponent_at);
    }
    return std::strtod(number.c_str(), nullptr);
}

} // namespace brennix
