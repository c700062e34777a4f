// Reading one console key on POSIX systems: the terminal is put in raw mode
// without echo for the read and given back its own mode afterwards.
#include "records/console_key.h"
#include "quorvex/quorvex.h"

#include <errno.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// How long the rest of an escape sequence may take to arrive.  A terminal
// sends a sequence in one write; a person pressing Escape sends no more.
constexpr int sequence_gap_ms = 50;

// The second code of a key read earlier (see KeyCodes::later).
int16_t queued_code = quorvex::no_key;

int read_byte(int fd)
{
    unsigned char byte = 0;
    for (;;) {
        const ssize_t got = read(fd, &byte, 1);
        if (got == 1)
            return byte;
        if (got < 0 && errno == EINTR)
            continue;
        return -1;
    }
}

int next_byte_in_time(void *context)
{
    const int fd = *static_cast<int *>(context);
    pollfd waiting = {fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&waiting, 1, sequence_gap_ms);
    } while (ready < 0 && errno == EINTR);
    return ready == 1 ? read_byte(fd) : -1;
}

// Raw for one key: no line editing, no echo, no signal keys (Ctrl-C reads
// as 3 as on the PC console), Enter as carriage return, one byte suffices.
termios raw_mode(termios mode)
{
    mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
    mode.c_iflag &= static_cast<tcflag_t>(~(ICRNL | INLCR | IXON));
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return mode;
}

quorvex::KeyCodes read_terminal_key(int fd)
{
    termios own_mode;
    if (tcgetattr(fd, &own_mode) != 0)
        return {static_cast<int16_t>(read_byte(fd)), quorvex::no_key};
    const termios raw = raw_mode(own_mode);
    // TCSANOW keeps keys typed ahead; they are the keys the caller wants.
    tcsetattr(fd, TCSANOW, &raw);
    const int first = read_byte(fd);
    quorvex::KeyCodes key{quorvex::no_key, quorvex::no_key};
    if (first >= 0)
        key = quorvex::decode_terminal_key(first, next_byte_in_time, &fd);
    tcsetattr(fd, TCSANOW, &own_mode);
    return key;
}

} // namespace

namespace quorvex {

int16_t read_console_key(FILE *in)
{
    if (queued_code != no_key) {
        const int16_t code = queued_code;
        queued_code = no_key;
        return code;
    }
    const int fd = fileno(in);
    if (fd < 0 || !isatty(fd)) {
        const int byte = fgetc(in);
        return static_cast<int16_t>(byte == EOF ? no_key : byte);
    }
    const KeyCodes key = read_terminal_key(fd);
    queued_code = key.later;
    return key.now;
}

} // namespace quorvex

extern "C" int16_t QUORVEX_CALL a_key(void)
{
    return quorvex::read_console_key(stdin);
}
