// The process console on Windows: the real console's title, colours,
// clearing, buffer and window size, and a key read without echo.  When
// standard output is not a console (a redirected run) only the text is
// written, as plain lines; unless both standard input and standard output
// are consoles nobody sees the prompt or can answer it, so nothing is
// awaited.  The title, colours, buffer and window the user had come back at
// the end of the run, and when Ctrl-C, Ctrl-Break or closing the window
// ends it.
#include "console.h"

#include <windows.h>

#include <conio.h>
#include <cstdio>

namespace brennix {
namespace {

// Console character attributes: foreground in the low four bits,
// background (0, black) in the next four.
constexpr WORD yellow_on_black = 14;
constexpr WORD bright_white_on_black = 15;

bool is_console(HANDLE handle)
{
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           GetConsoleMode(handle, &mode) != 0;
}

// The console as the user had it, kept for the control handler, which runs
// on a thread of its own.
struct SavedConsole {
    HANDLE output = nullptr;
    char title[1024] = "";
    bool title_saved = false;
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    bool screen_saved = false;
};
SavedConsole saved;
volatile LONG handed_back = 0;

void hand_console_back()
{
    if (InterlockedExchange(&handed_back, 1) != 0)
        return;
    std::fflush(stdout);
    if (saved.title_saved)
        SetConsoleTitleA(saved.title);
    if (!saved.screen_saved)
        return;
    SetConsoleTextAttribute(saved.output, saved.screen.wAttributes);
    // The window must fit the buffer at every step: shrink it to one cell,
    // give the buffer its old size, then the window its old place.
    const SMALL_RECT one_cell = {0, 0, 0, 0};
    SetConsoleWindowInfo(saved.output, TRUE, &one_cell);
    SetConsoleScreenBufferSize(saved.output, saved.screen.dwSize);
    SetConsoleWindowInfo(saved.output, TRUE, &saved.screen.srWindow);
}

BOOL WINAPI end_by_control(DWORD)
{
    hand_console_back();
    return FALSE; // and let the default handler end the process
}

class WindowsConsole : public StandardStreamsConsole {
public:
    WindowsConsole()
        : output_(GetStdHandle(STD_OUTPUT_HANDLE)), output_is_console_(is_console(output_)),
          key_can_be_read_(output_is_console_ && is_console(GetStdHandle(STD_INPUT_HANDLE)))
    {
        if (!output_is_console_)
            return;
        saved.output = output_;
        saved.title_saved = GetConsoleTitleA(saved.title, sizeof saved.title) > 0;
        saved.screen_saved = GetConsoleScreenBufferInfo(output_, &saved.screen) != 0;
        SetConsoleCtrlHandler(end_by_control, TRUE);
    }

    ~WindowsConsole() override
    {
        std::fflush(stdout);
        if (!output_is_console_)
            return;
        hand_console_back();
        SetConsoleCtrlHandler(end_by_control, FALSE);
    }

    void set_title(const std::string &title) override
    {
        if (output_is_console_)
            SetConsoleTitleA(title.c_str());
    }

    void clear() override
    {
        if (!output_is_console_)
            return;
        std::fflush(stdout);
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (!GetConsoleScreenBufferInfo(output_, &info))
            return;
        const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
        const COORD origin = {0, 0};
        DWORD written;
        FillConsoleOutputCharacterA(output_, ' ', cells, origin, &written);
        FillConsoleOutputAttribute(output_, info.wAttributes, cells, origin, &written);
        SetConsoleCursorPosition(output_, origin);
    }

    void set_colour(ConsoleColour colour) override
    {
        if (!output_is_console_)
            return;
        std::fflush(stdout);
        SetConsoleTextAttribute(output_, colour == ConsoleColour::bright_white_on_black
                                             ? bright_white_on_black
                                             : yellow_on_black);
    }

    // A window can never be larger than its buffer, so the buffer grows
    // first to hold the window, the window is set, and only then the
    // buffer is cut to its final size.
    void set_screen_size(int columns, int rows) override
    {
        if (!output_is_console_)
            return;
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (!GetConsoleScreenBufferInfo(output_, &info))
            return;
        const SHORT width = static_cast<SHORT>(columns);
        const SHORT height = static_cast<SHORT>(rows);
        const COORD enlarged = {info.dwSize.X > width ? info.dwSize.X : width,
                                info.dwSize.Y > height ? info.dwSize.Y : height};
        SetConsoleScreenBufferSize(output_, enlarged);
        const SMALL_RECT window = {0, 0, static_cast<SHORT>(width - 1),
                                   static_cast<SHORT>(height - 1)};
        SetConsoleWindowInfo(output_, TRUE, &window);
        SetConsoleScreenBufferSize(output_, COORD{width, height});
    }

    void wait_for_key() override
    {
        std::fflush(stdout);
        if (key_can_be_read_)
            _getch();
    }

    LocalTime now() override
    {
        SYSTEMTIME local;
        GetLocalTime(&local);
        return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    }

private:
    HANDLE output_;
    bool output_is_console_;
    bool key_can_be_read_;
};

} // namespace

std::unique_ptr<Console> make_process_console()
{
    return std::make_unique<WindowsConsole>();
}

} // namespace brennix
