// The command text of the process: everything after the program's name,
// with leading and trailing spaces removed.  Implemented once per platform.
#ifndef BRENNIX_COMMAND_TEXT_H
#define BRENNIX_COMMAND_TEXT_H

#include <string>

namespace brennix {

std::string process_command_text(int argc, char **argv);

} // namespace brennix

#endif
