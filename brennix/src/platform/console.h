// What Brennix needs from its console and clock, behind one interface, so
// that the platform's console, a test's recorder or a silent stand-in can
// serve a run.
#ifndef BRENNIX_CONSOLE_H
#define BRENNIX_CONSOLE_H

#include <cstdio>
#include <memory>
#include <string>

namespace brennix {

enum class ConsoleColour {
    yellow_on_black,      // the program's text
    bright_white_on_black // the syntax line of the usage screen
};

struct LocalTime {
    int year;
    int month; // 1-12
    int day;   // 1-31
    int hour;  // 0-23
    int minute;
    int second;
};

class Console {
public:
    virtual ~Console() = default;
    virtual void set_title(const std::string &title) = 0;
    virtual void clear() = 0;
    virtual void set_colour(ConsoleColour colour) = 0;
    // Screen buffer and window of columns x rows, where the console has
    // them; a terminal's size belongs to its user and is left alone.
    virtual void set_screen_size(int /*columns*/, int /*rows*/) {}
    // Text for the user; "\n" ends a line.
    virtual void write(const std::string &text) = 0;
    // One line about a failure, written apart from the normal text.
    virtual void report_error(const std::string &line) = 0;
    // Standard output is where the output image goes (/dev/stdout): the
    // text goes with the failures from here on, so that none of it mixes
    // into the image of a pipe or is left in a file the image replaces.
    virtual void move_text_to_errors() {}
    virtual void wait_for_key() = 0;
    virtual LocalTime now() = 0;
};

// A console that shows nothing, waits for nothing and always tells the same
// time: for runs inside another program (fuzzing, batch use).
class SilentConsole : public Console {
public:
    void set_title(const std::string &) override {}
    void clear() override {}
    void set_colour(ConsoleColour) override {}
    void write(const std::string &) override {}
    void report_error(const std::string &) override {}
    void wait_for_key() override {}
    LocalTime now() override { return {2000, 1, 1, 0, 0, 0}; }
};

// What the process consoles of both platforms share: text goes to standard
// output (or standard error, when moved there), and an error line to
// standard error once what is already on standard output has gone out, so
// the two keep their order.
class StandardStreamsConsole : public Console {
public:
    void write(const std::string &text) override
    {
        std::fwrite(text.data(), 1, text.size(), text_);
    }
    void report_error(const std::string &line) override
    {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    void move_text_to_errors() override
    {
        std::fflush(stdout);
        text_ = stderr;
    }

private:
    std::FILE *text_ = stdout;
};

// The console of the process: standard output, standard error, the
// keyboard and the local clock.  Implemented once per platform.
std::unique_ptr<Console> make_process_console();

} // namespace brennix

#endif
