// Brennix: re-encodes an IDA image for a new slope and intercept, with a
// log of the pixels the new law cannot hold and a matching colour file.
#include "brennix.h"
#include "command_text.h"

#if defined(_WIN32) && defined(__i386__)
#  include <float.h>
#endif

int main(int argc, char **argv)
{
#if defined(_WIN32) && defined(__i386__)
    // The C runtime starts the x87 unit at 64-bit precision; its number
    // reading (strtod) then rounds the command's slope and intercept twice.
    // Everything of ours computes in SSE2 double; the runtime must too.
    _controlfp(_PC_53, _MCW_PC);
#endif
    const auto console = brennix::make_process_console();
    return brennix::run_command(brennix::process_command_text(argc, argv), *console);
}
