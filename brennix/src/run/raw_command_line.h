// The command text as Windows hands it over: one raw line that still starts
// with the program's name.
#ifndef BRENNIX_RAW_COMMAND_LINE_H
#define BRENNIX_RAW_COMMAND_LINE_H

#include <string>

namespace brennix {

// Everything after the program's name, leading and trailing spaces removed.
// A name in double quotes ends at its closing quote (the whole line when
// there is none); any other name ends at the first space.  Only the space
// character counts as a blank.
std::string text_after_program_name(const std::string &raw_line);

} // namespace brennix

#endif
