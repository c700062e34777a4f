// The real program on a pseudo-terminal: title, clearing and colours by
// escape sequences, the usage screen's wait for one key without Enter, and
// the terminal handed back as it was (colours, title, line mode) however
// the wait ends; with only standard input on the terminal nothing waits.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char save_title[] = "\x1b[22;0t";
const char restore_title[] = "\x1b[23;0t";
const char default_colours[] = "\x1b[0m";

// Reads from the terminal until `wanted` has appeared or the time is up.
std::string read_until(int master, const std::string &wanted, int timeout_ms)
{
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (seen.find(wanted) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    return seen;
}

// Waits up to `timeout_ms` for the child; false when it is still running.
bool wait_for_child(pid_t child, int &status, int timeout_ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child)
            return true;
        usleep(10000);
    }
    return false;
}

// As wait_for_child, but a child still running at the end is killed.
bool ended_in_time(pid_t child, int &status, int timeout_ms)
{
    if (wait_for_child(child, status, timeout_ms))
        return true;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

// The program without arguments (the usage screen) in a new session whose
// controlling terminal is the pseudo-terminal: standard input always on it,
// standard output on it or into `output_file`.
pid_t start_usage_screen(int slave, const char *output_file)
{
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        const int out = output_file ? open(output_file, O_WRONLY | O_CREAT | O_TRUNC, 0600) : slave;
        dup2(slave, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        execl(BRENNIX_PROGRAM, BRENNIX_PROGRAM, static_cast<char *>(nullptr));
        _exit(127);
    }
    return child;
}

struct Terminal {
    int master = -1;
    int slave = -1;
    Terminal() { openpty(&master, &slave, nullptr, nullptr, nullptr); }
    ~Terminal()
    {
        close(master);
        close(slave);
    }
};

TEST(Terminal, EveryEndOfTheKeyWaitHandsTheTerminalBack)
{
    const struct {
        const char *name;
        const char *typed;  // sent to the terminal, or nullptr
        int sent_signal;    // sent to the program, or 0
        int ending_signal;  // the signal that ends it, 0 for exit status 2
    } endings[] = {
        {"a key", "x", 0, 0},
        {"Ctrl-C", "\x03", 0, SIGINT},
        {"SIGTERM", nullptr, SIGTERM, SIGTERM},
    };
    for (const auto &ending : endings) {
        SCOPED_TRACE(ending.name);
        Terminal terminal;
        ASSERT_GE(terminal.master, 0);
        termios before;
        ASSERT_EQ(tcgetattr(terminal.slave, &before), 0);
        const pid_t child = start_usage_screen(terminal.slave, nullptr);
        ASSERT_GT(child, 0);

        const std::string shown = read_until(terminal.master, "Press any key ...", 10000);
        EXPECT_EQ(shown.find(save_title), 0u);
        EXPECT_NE(shown.find("\x1b]0;Brennix changes slope and intercept in IDA files, by Tolmar "
                             "(20050711)\x07"),
                  std::string::npos);
        EXPECT_NE(shown.find("\x1b[2J"), std::string::npos);
        EXPECT_NE(shown.find("\x1b[93;40m"), std::string::npos);
        EXPECT_NE(shown.find("\x1b[97;40m Brennix In_file Out_file"), std::string::npos);
        termios waiting;
        ASSERT_EQ(tcgetattr(terminal.slave, &waiting), 0);
        EXPECT_EQ(waiting.c_lflag & (ICANON | ECHO), 0u);

        int status = 0;
        EXPECT_FALSE(wait_for_child(child, status, 200)) << "did not wait for a key";
        if (ending.typed) {
            ASSERT_EQ(write(terminal.master, ending.typed, 1), 1);
        }
        if (ending.sent_signal)
            kill(child, ending.sent_signal);
        const std::string after = read_until(terminal.master, restore_title, 10000);
        ASSERT_TRUE(ended_in_time(child, status, 10000));

        if (ending.ending_signal) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending.ending_signal);
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
        }
        // The key is not echoed; line mode, colours and title come back.
        EXPECT_EQ(after.find('x'), std::string::npos);
        EXPECT_NE(after.find(std::string(default_colours) + restore_title), std::string::npos);
        termios restored;
        ASSERT_EQ(tcgetattr(terminal.slave, &restored), 0);
        EXPECT_EQ(restored.c_lflag, before.c_lflag);
    }
}

TEST(Terminal, NoWaitWhenStandardOutputIsNotTheTerminal)
{
    Terminal terminal;
    ASSERT_GE(terminal.master, 0);
    char folder[] = "/tmp/brennix-terminal-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string output = std::string(folder) + "/stdout.txt";
    const pid_t child = start_usage_screen(terminal.slave, output.c_str());
    ASSERT_GT(child, 0);
    int status = 0;
    EXPECT_TRUE(ended_in_time(child, status, 10000)) << "waited for a key nobody is asked for";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    char text[4096];
    const int file = open(output.c_str(), O_RDONLY);
    const ssize_t got = read(file, text, sizeof text);
    close(file);
    ASSERT_GT(got, 0);
    EXPECT_EQ(std::string(text, static_cast<std::size_t>(got)).find('\x1b'), std::string::npos);
    unlink(output.c_str());
    rmdir(folder);
}

} // namespace

#endif
