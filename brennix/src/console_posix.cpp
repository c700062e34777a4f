// The process console on POSIX systems: ANSI sequences for the title,
// clearing and colours, but only when standard output is a terminal (a
// redirected run gets plain lines); a raw-mode key read when standard input
// is a terminal.  The terminal's size is the user's and is left alone.
#include "console.h"

#include <cstdio>
#include <ctime>
#include <termios.h>
#include <unistd.h>

namespace brennix {
namespace {

class PosixConsole : public Console {
public:
    PosixConsole()
        : output_is_terminal_(isatty(STDOUT_FILENO) == 1),
          input_is_terminal_(isatty(STDIN_FILENO) == 1) {}

    ~PosixConsole() override
    {
        // Our colours must not outlive the run in the user's shell.
        if (output_is_terminal_ && colour_changed_)
            std::fputs("\x1b[0m", stdout);
        std::fflush(stdout);
    }

    void set_title(const std::string &title) override
    {
        if (output_is_terminal_)
            std::printf("\x1b]0;%s\x07", title.c_str());
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
        colour_changed_ = true;
        std::fputs(colour == ConsoleColour::bright_white_on_black ? "\x1b[97;40m"
                                                                  : "\x1b[93;40m",
                   stdout);
    }

    void write(const std::string &text) override
    {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }

    void report_error(const std::string &line) override
    {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", line.c_str());
    }

    void wait_for_key() override
    {
        std::fflush(stdout);
        if (!input_is_terminal_)
            return;
        termios saved;
        if (tcgetattr(STDIN_FILENO, &saved) != 0)
            return;
        termios raw = saved;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) {
            char key;
            (void)!read(STDIN_FILENO, &key, 1);
            tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        }
        // The shell's prompt should not follow on the "Press any key" line.
        if (output_is_terminal_)
            std::fputs("\n", stdout);
    }

    LocalTime now() override
    {
        const std::time_t seconds = std::time(nullptr);
        std::tm local{};
        localtime_r(&seconds, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec};
    }

private:
    bool output_is_terminal_;
    bool input_is_terminal_;
    bool colour_changed_ = false;
};

} // namespace

std::unique_ptr<Console> make_process_console()
{
    return std::make_unique<PosixConsole>();
}

} // namespace brennix
