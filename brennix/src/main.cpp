// Brennix: re-encodes an IDA image for a new slope and intercept, with a
// log of the pixels the new law cannot hold and a matching colour file.
#include "brennix.h"
#include "command_text.h"

int main(int argc, char **argv)
{
    const auto console = brennix::make_process_console();
    return brennix::run_command(brennix::process_command_text(argc, argv), *console);
}
