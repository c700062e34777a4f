// Decoding the escape sequences of terminals into PC console key codes.
#include "records/console_key.h"

namespace quorvex {

namespace {

// PC console codes of the keys that come after the extended prefix.
constexpr int16_t pc_home = 71, pc_up = 72, pc_page_up = 73, pc_left = 75, pc_right = 77,
                  pc_end = 79, pc_down = 80, pc_page_down = 81, pc_insert = 82, pc_delete = 83,
                  pc_f11 = 133, pc_f12 = 134;
// PC console code of F1; F2 to F10 follow it.
constexpr int16_t pc_f1 = 59;

constexpr int terminal_backspace = 127;
constexpr int16_t pc_backspace = 8;
// A sequence longer than this is no key we know; the rest is dropped.
constexpr int longest_sequence = 16;

KeyCodes extended(int16_t code)
{
    return {extended_key_prefix, code};
}
KeyCodes function_key(int number)
{
    return {static_cast<int16_t>(-(pc_f1 + number - 1)), no_key};
}
KeyCodes unknown_sequence()
{
    return {escape_key, no_key};
}

// Final letter of "ESC [ x" or "ESC O x".
KeyCodes from_letter(int letter)
{
    switch (letter) {
    case 'A':
        return extended(pc_up);
    case 'B':
        return extended(pc_down);
    case 'C':
        return extended(pc_right);
    case 'D':
        return extended(pc_left);
    case 'H':
        return extended(pc_home);
    case 'F':
        return extended(pc_end);
    case 'P':
        return function_key(1);
    case 'Q':
        return function_key(2);
    case 'R':
        return function_key(3);
    case 'S':
        return function_key(4);
    default:
        return unknown_sequence();
    }
}

// Number of "ESC [ n ~".
KeyCodes from_number(int number)
{
    switch (number) {
    case 1:
    case 7:
        return extended(pc_home);
    case 2:
        return extended(pc_insert);
    case 3:
        return extended(pc_delete);
    case 4:
    case 8:
        return extended(pc_end);
    case 5:
        return extended(pc_page_up);
    case 6:
        return extended(pc_page_down);
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
        return function_key(number - 10);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        return function_key(number - 11);
    case 23:
        return extended(pc_f11);
    case 24:
        return extended(pc_f12);
    default:
        return unknown_sequence();
    }
}

// "ESC [" seen: parameters, then one final byte.  Only the first parameter
// names the key; later ones carry Shift/Ctrl/Alt, which the PC codes used
// here do not distinguish.
KeyCodes control_sequence(NextByte next, void *context)
{
    int number = 0;
    bool in_first_parameter = true;
    for (int read = 0; read < longest_sequence; ++read) {
        const int c = next(context);
        if (c < 0)
            return unknown_sequence();
        if (read == 0 && c == '[') {
            // Linux console: ESC [ [ A..E are F1..F5
            const int letter = next(context);
            if (letter >= 'A' && letter <= 'E')
                return function_key(letter - 'A' + 1);
            return unknown_sequence();
        }
        if (c >= '0' && c <= '9') {
            if (in_first_parameter && number < 1000)
                number = number * 10 + (c - '0');
        } else if (c == ';') {
            in_first_parameter = false;
        } else if (c == '~') {
            return from_number(number);
        } else if (c >= 0x40 && c <= 0x7E) {
            return from_letter(c);
        } else if (c < 0x20 || c > 0x3F) {
            return unknown_sequence();
        }
    }
    return unknown_sequence();
}

} // namespace

KeyCodes decode_terminal_key(int first, NextByte next, void *context)
{
    if (first == terminal_backspace)
        return {pc_backspace, no_key};
    if (first != escape_key)
        return {static_cast<int16_t>(first), no_key};

    const int second = next(context);
    if (second < 0)
        return {escape_key, no_key};
    if (second == '[')
        return control_sequence(next, context);
    if (second == 'O')
        return from_letter(next(context));
    // Escape followed by an ordinary key (as Alt sends it): both keys count.
    return {escape_key, static_cast<int16_t>(second == terminal_backspace ? pc_backspace : second)};
}

} // namespace quorvex
