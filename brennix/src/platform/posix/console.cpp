// The process console on POSIX systems: ANSI sequences for the title,
// clearing and colours, but only when standard output is a terminal (a
// redirected run gets plain lines); a raw-mode key read only when both
// standard input and standard output are terminals, since a prompt nobody
// sees must not hold the run.  The terminal's size is the user's and is
// left alone.  The terminal is handed back as it was found: default
// colours, the user's own title (saved on the terminal's title stack) and
// the line mode, at the end of the run and when a signal ends it.
#include "console.h"
#include "ending_signals.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <termios.h>
#include <unistd.h>

namespace brennix {
namespace {

const char save_title[] = "\x1b[22;0t";
const char restore_title[] = "\x1b[23;0t";
const char default_colours[] = "\x1b[0m";

// What must be undone, readable from a signal handler.
volatile std::sig_atomic_t title_changed = 0;
volatile std::sig_atomic_t colour_changed = 0;
volatile std::sig_atomic_t key_mode_set = 0;
termios line_mode;

void write_text(const char *text)
{
    (void)!::write(STDOUT_FILENO, text, std::strlen(text));
}

// These two make only async-signal-safe calls: they also run inside the
// signal handler.  The newline keeps the shell's prompt off the "Press any
// key" line.
void leave_key_mode()
{
    if (!key_mode_set)
        return;
    tcsetattr(STDIN_FILENO, TCSANOW, &line_mode);
    key_mode_set = 0;
    write_text("\n");
}

void hand_terminal_back()
{
    leave_key_mode();
    if (colour_changed) {
        write_text(default_colours);
        colour_changed = 0;
    }
    if (title_changed) {
        write_text(restore_title);
        title_changed = 0;
    }
}

class PosixConsole : public StandardStreamsConsole {
public:
    PosixConsole()
        : output_is_terminal_(isatty(STDOUT_FILENO) == 1),
          key_can_be_read_(output_is_terminal_ && isatty(STDIN_FILENO) == 1)
    {
        if (!output_is_terminal_)
            return;
        set_terminal_undo(hand_terminal_back);
    }

    ~PosixConsole() override
    {
        std::fflush(stdout);
        if (!output_is_terminal_)
            return;
        set_terminal_undo(nullptr);
        hand_terminal_back();
    }

    void set_title(const std::string &title) override
    {
        if (!output_is_terminal_)
            return;
        if (!title_changed)
            std::fputs(save_title, stdout);
        std::printf("\x1b]0;%s\x07", title.c_str());
        std::fflush(stdout);
        title_changed = 1;
    }

    void clear() override
    {
        if (output_is_terminal_)
            std::fputs("\x1b[2J\x1b[H", stdout);
    }

    void set_colour(ConsoleColour colour) override
    {
        if (!output_is_terminal_)
            return;
        std::fputs(colour == ConsoleColour::bright_white_on_black ? "\x1b[97;40m" : "\x1b[93;40m",
                   stdout);
        std::fflush(stdout);
        colour_changed = 1;
    }

    void wait_for_key() override
    {
        if (!key_can_be_read_ || tcgetattr(STDIN_FILENO, &line_mode) != 0) {
            std::fflush(stdout);
            return;
        }
        // Raw mode before the prompt is shown, so that no early key is
        // echoed or held back for an Enter.  Signals stay on: Ctrl-C ends
        // the program through the ending-signal handler, which restores the
        // line mode.
        termios raw = line_mode;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        key_mode_set = 1; // before the change, so that a signal undoes it
        if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
            key_mode_set = 0;
            std::fflush(stdout);
            return;
        }
        std::fflush(stdout);
        char key;
        (void)!read(STDIN_FILENO, &key, 1);
        leave_key_mode();
    }

    LocalTime now() override
    {
        const std::time_t seconds = std::time(nullptr);
        std::tm local{};
        localtime_r(&seconds, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
    }

private:
    bool output_is_terminal_;
    bool key_can_be_read_;
};

} // namespace

std::unique_ptr<Console> make_process_console()
{
    return std::make_unique<PosixConsole>();
}

} // namespace brennix
