// On POSIX systems the shell has already split the command line, so the
// command text is rebuilt from the arguments joined by single spaces.  An
// empty argument thus becomes an empty field and an argument holding a space
// becomes two fields, exactly as if the line had been typed that way.
#include "command_text.h"

#include "command_line.h"

namespace brennix {

std::string process_command_text(int argc, char **argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i];
    }
    return trim_spaces(text);
}

} // namespace brennix
