// On Windows the command text comes from the raw command line, exactly as
// typed: two spaces in a row stay two spaces, quotes stay quotes.
#include "command_text.h"

#include "raw_command_line.h"

#include <windows.h>

namespace brennix {

std::string process_command_text(int, char **)
{
    const char *line = GetCommandLineA();
    return text_after_program_name(line != nullptr ? line : "");
}

} // namespace brennix
