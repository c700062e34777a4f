// Console keys as the PC console reports them, decoded from what a terminal
// sends.  The POSIX key reader feeds a terminal's bytes through this; the
// Windows console delivers these codes itself.
#ifndef QUORVEX_CONSOLE_KEY_H
#define QUORVEX_CONSOLE_KEY_H

#include <stdint.h>
#include <stdio.h>

namespace quorvex {

// Prefix that the PC console sends before the code of a cursor or editing
// key (and of F11/F12); the code itself comes with the next read.
constexpr int16_t extended_key_prefix = 224;
constexpr int16_t escape_key = 27;
constexpr int16_t no_key = -1;

// What one key press yields: the code to return now and, when not no_key,
// the code the next read returns.
struct KeyCodes {
    int16_t now;
    int16_t later;
};

// Gives the next byte of the same key press, or -1 when none arrives in
// time (a lone Escape key sends nothing more).
using NextByte = int (*)(void *context);

// Decodes one key press of a terminal whose first byte is first.  Function
// keys F1-F10 become their PC code negated (F1 = -59), cursor and editing
// keys and F11/F12 the prefix 224 now and their PC code later, Backspace 8;
// an unknown escape sequence is swallowed and reads as Escape.
KeyCodes decode_terminal_key(int first, NextByte next, void *context);

// One key from in, with the queueing of a later code: a terminal is read
// raw and without echo, its mode restored before returning; anything else
// gives its next byte, -1 at its end.
int16_t read_console_key(FILE *in);

} // namespace quorvex

#endif
