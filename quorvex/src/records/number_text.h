// Reading the numeric texts that the record tools accept: digits, signs and
// (for reals) points, never an exponent.  Shared by the number check and the
// angle parser so that both read a text the same way.
#ifndef QUORVEX_NUMBER_TEXT_H
#define QUORVEX_NUMBER_TEXT_H

namespace quorvex {

// True when text is non-empty and every byte is a digit, '+' or '-', and
// also '.' when real is set.
bool is_number_text(const char *text, bool real);

// The leading decimal integer of text (one optional sign, then digits; 0
// when none), saturated to the range of long long.
long long read_integer(const char *text);

// The leading decimal real of text (one optional sign, then digits with at
// most one point; 0 when none).  Independent of the C locale.  A sign
// before a zero value is kept, so "-0" gives -0.0.
double read_real(const char *text);

} // namespace quorvex

#endif
