// The real program on a pseudo-terminal: title, clearing and colours by
// escape sequences, and the usage screen's wait for one key without Enter.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

TEST(Terminal, EscapesOnATerminalAndOneKeyEndsTheUsageScreen)
{
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(BRENNIX_PROGRAM, BRENNIX_PROGRAM, static_cast<char *>(nullptr));
        _exit(127);
    }
    const std::string shown = read_until(master, "Press any key ...", 10000);
    EXPECT_NE(shown.find("\x1b]0;Brennix changes slope and intercept in IDA files, by Tolmar "
                         "(20050711)\x07"),
              std::string::npos);
    EXPECT_NE(shown.find("\x1b[2J"), std::string::npos);
    EXPECT_NE(shown.find("\x1b[93;40m"), std::string::npos);
    EXPECT_NE(shown.find("\x1b[97;40m Brennix In_file Out_file"), std::string::npos);

    // Still waiting; one key without Enter ends it.
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0);
    ASSERT_EQ(write(master, "x", 1), 1);
    const std::string after = read_until(master, "\x1b[0m", 10000);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    // The key is not echoed, and the user's colours come back.
    EXPECT_EQ(after.find('x'), std::string::npos);
    EXPECT_NE(after.find("\x1b[0m"), std::string::npos);
    close(master);
}

} // namespace

#endif
