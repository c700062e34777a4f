// The command text of a run: its six fields and the prefix rule by which
// the slope and intercept fields become numbers.
#ifndef BRENNIX_COMMAND_LINE_H
#define BRENNIX_COMMAND_LINE_H

#include <string>
#include <vector>

namespace brennix {

// The fields between single spaces; two spaces in a row make an empty field.
// Only the space character separates; quotes and tabs are ordinary text.
std::vector<std::string> split_fields(const std::string &command_text);

// Leading and trailing spaces (not tabs) removed.
std::string trim_spaces(const std::string &text);

// The number in front of the text: spaces and tabs skipped, then a signed
// decimal number with one optional point and an exponent after E, e, D or d;
// or, after "&", a whole number in base 16 (&H), 2 (&B) or 8 (&O, &Q or a
// bare &).  Conversion stops at the first character that cannot continue the
// number; no number in front gives 0.  Never fails.
double convert_number(const std::string &text);

} // namespace brennix

#endif
