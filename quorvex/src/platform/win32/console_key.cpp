// Reading one console key on Windows: the run-time's key read without echo,
// which reports a function key as 0 and a cursor or editing key as 224
// before the key's own code.
#include "records/console_key.h"
#include "quorvex/quorvex.h"

#include <windows.h>

#include <conio.h>
#include <io.h>

namespace {

constexpr int function_key_prefix = 0;

bool is_console(FILE *in)
{
    const int fd = _fileno(in);
    if (fd < 0)
        return false;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

} // namespace

namespace quorvex {

// The second code after the prefix 224 stays queued in the run-time, so
// the next read returns it.
int16_t read_console_key(FILE *in)
{
    if (!is_console(in)) {
        const int byte = fgetc(in);
        return static_cast<int16_t>(byte == EOF ? no_key : byte);
    }
    const int code = _getch();
    if (code != function_key_prefix)
        return static_cast<int16_t>(code);
    return static_cast<int16_t>(-_getch());
}

} // namespace quorvex

extern "C" int16_t QUORVEX_CALL a_key(void)
{
    return quorvex::read_console_key(stdin);
}
