// The real program on a pseudo-terminal: title, clearing and colours by
// escape sequences, the usage screen's wait for one key without Enter, and
// the terminal handed back as it was (colours, title, line mode) however
// the wait ends; with only standard input on the terminal nothing waits.
#if !defined(_WIN32)

#  include <gtest/gtest.h>

#  include <chrono>
#  include <csignal>
#  include <fcntl.h>
#  include <poll.h>
#  include <pty.h>
#  include <string>
#  include <sys/ioctl.h>
#  include <sys/wait.h>
#  include <termios.h>
#  include <unistd.h>

namespace {

const char save_title[] = "\x1b[22;0t";
const char restore_title[] = "\x1b[23;0t";
const char default_colours[] = "\x1b[0m";

// Reads from the terminal until `wanted` has appeared or the time is up.
std::string read_until(int master, const std::string &wanted, int timeout_ms)
{
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (seen.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
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

// Waits up to `timeout_ms` for the child; false, and the child killed, when
// it is still running.
bool ended_within(pid_t child, int &status, int timeout_ms)
{
    for (int waited = 0; waited < timeout_ms; waited += 10, usleep(10000))
        if (waitpid(child, &status, WNOHANG) == child)
            return true;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

// The program without arguments (the usage screen) in a new session whose
// controlling terminal is the pseudo-terminal: standard input always on it,
// standard output on it or on /dev/null.
pid_t start_usage_screen(int slave, bool output_on_terminal)
{
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        const int out = output_on_terminal ? slave : open("/dev/null", O_WRONLY);
        dup2(slave, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        execl(BRENNIX_PROGRAM, BRENNIX_PROGRAM, static_cast<char *>(nullptr));
        _exit(127);
    }
    return child;
}

struct Terminal {
    int master = -1, slave = -1;
    Terminal() { openpty(&master, &slave, nullptr, nullptr, nullptr); }
    ~Terminal() { close(master), close(slave); }
};

TEST(Terminal, EveryEndOfTheKeyWaitHandsTheTerminalBack)
{
    const struct {
        const char *name;
        const char *typed; // typed on the terminal, or nullptr: the signal is sent
        int signal;        // the signal that ends it, 0 for exit status 2
    } endings[] = {{"a key", "x", 0}, {"Ctrl-C", "\x03", SIGINT}, {"SIGTERM", nullptr, SIGTERM}};
    for (const auto &ending : endings) {
        SCOPED_TRACE(ending.name);
        Terminal terminal;
        ASSERT_GE(terminal.master, 0);
        termios before;
        ASSERT_EQ(tcgetattr(terminal.slave, &before), 0);
        const pid_t child = start_usage_screen(terminal.slave, true);
        ASSERT_GT(child, 0);

        const std::string shown = read_until(terminal.master, "Press any key ...", 10000);
        EXPECT_EQ(shown.find(save_title), 0u);
        for (const char *sequence :
             {"\x1b]0;Brennix changes slope and intercept in IDA files, by Tolmar (20050711)\x07",
              "\x1b[2J", "\x1b[93;40m", "\x1b[97;40m Brennix In_file Out_file"})
            EXPECT_NE(shown.find(sequence), std::string::npos) << sequence;
        termios waiting;
        ASSERT_EQ(tcgetattr(terminal.slave, &waiting), 0);
        EXPECT_EQ(waiting.c_lflag & (ICANON | ECHO), 0u);

        int status = 0;
        usleep(200000);
        EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "did not wait for a key";
        if (ending.typed)
            ASSERT_EQ(write(terminal.master, ending.typed, 1), 1);
        else
            kill(child, ending.signal);
        const std::string after = read_until(terminal.master, restore_title, 10000);
        ASSERT_TRUE(ended_within(child, status, 10000));

        EXPECT_TRUE(ending.signal ? WIFSIGNALED(status) && WTERMSIG(status) == ending.signal
                                  : WIFEXITED(status) && WEXITSTATUS(status) == 2);
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
    const pid_t child = start_usage_screen(terminal.slave, false);
    ASSERT_GT(child, 0);
    int status = 0;
    EXPECT_TRUE(ended_within(child, status, 10000)) << "waited for an unseen prompt";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

} // namespace

#endif
