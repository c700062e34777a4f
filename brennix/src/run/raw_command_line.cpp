// Splitting the program's name off the raw command line.
#include "raw_command_line.h"

#include "command_line.h"

namespace brennix {

std::string text_after_program_name(const std::string &raw_line)
{
    std::size_t end;
    if (!raw_line.empty() && raw_line[0] == '"') {
        const std::size_t closing = raw_line.find('"', 1);
        end = closing == std::string::npos ? raw_line.size() : closing + 1;
    } else {
        const std::size_t space = raw_line.find(' ');
        end = space == std::string::npos ? raw_line.size() : space;
    }
    return trim_spaces(raw_line.substr(end));
}

} // namespace brennix
