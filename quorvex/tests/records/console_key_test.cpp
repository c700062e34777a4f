// Console keys: terminal escape sequences decoded into PC console codes,
// reading from a file, and reading from a terminal in raw mode.
#include "records/console_key.h"
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <chrono>
#include <string>
#include <thread>

#ifndef _WIN32
#  include <fcntl.h>
#  include <poll.h>
#  include <termios.h>
#  include <unistd.h>
#endif

namespace {

// The bytes after the first come from a stream, whose get() gives each as
// 0..255 and -1 at the end, as a console read does.
int next_byte(void *stream)
{
    return static_cast<std::istream *>(stream)->get();
}

TEST(ConsoleKey, TerminalSequencesBecomePcCodes)
{
    const struct {
        const char *bytes;
        int16_t now, later;
    } cases[] = {
        {"a", 'a', -1},
        {"\x7f", 8, -1},
        {"\xe9", 0xe9, -1},
        {"\x1b", 27, -1},    // Escape alone
        {"\x1b[A", 224, 72}, // cursor keys
        {"\x1b[D", 224, 75},
        {"\x1bOA", 224, 72}, // application cursor mode
        {"\x1b[H", 224, 71},
        {"\x1b[4~", 224, 79},
        {"\x1b[7~", 224, 71}, // rxvt's Home and End
        {"\x1b[8~", 224, 79},
        {"\x1b[3~", 224, 83},
        {"\x1b[5~", 224, 73}, // Page Up
        {"\x1b[6~", 224, 81},
        {"\x1b[1;5C", 224, 77}, // Ctrl+Right: modifier dropped
        {"\x1b[?A", 224, 72},   // a private parameter byte is not the end
        {"\x1bOP", -59, -1},    // F1-F4
        {"\x1b[11~", -59, -1},
        {"\x1bOR", -61, -1}, // F3 both ways
        {"\x1b[13~", -61, -1},
        {"\x1b[17~", -64, -1},  // F6
        {"\x1b[18~", -65, -1},  // F7
        {"\x1b[21~", -68, -1},  // F10
        {"\x1b[23~", 224, 133}, // F11
        {"\x1b[24~", 224, 134}, // F12
        {"\x1b[[A", -59, -1},   // Linux console F1
        {"\x1bx", 27, 'x'},     // Alt+x
        {"\x1b[99~", 27, -1},   // unknown sequences read as Escape
        {"\x1b[", 27, -1},
        {"\x1b[\001A", 27, -1},             // a control byte ends it
        {"\x1b[000000000000004~", 224, 79}, // 16 bytes after "ESC [" are read,
        {"\x1b[0000000000000004~", 27, -1}, // 17 are not
        {"\x1b[123456789012345~", 27, -1},  // numbers stop growing
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
        std::istringstream in(c.bytes);
        const quorvex::KeyCodes key = quorvex::decode_terminal_key(in.get(), next_byte, &in);
        EXPECT_EQ(key.now, c.now);
        EXPECT_EQ(key.later, c.later);
    }
}

// a_key on standard input that is a file: plain bytes, escape bytes
// included, no decoding; -1 at the end and after it.
TEST(ConsoleKey, FileInputGivesItsBytesThenMinusOne)
{
    const std::string path = testing::TempDir() + "quorvex-keys.txt";
    std::ofstream(path, std::ios::binary) << "a\x1b[A";
    ASSERT_NE(std::freopen(path.c_str(), "rb", stdin), nullptr);
    const int16_t keys[] = {'a', 27, '[', 'A', -1, -1};
    for (int16_t expected : keys)
        EXPECT_EQ(a_key(), expected);
    std::remove(path.c_str());
}

#ifndef _WIN32
// The terminal side below is the POSIX one.

// A pseudo-terminal stands in for the console.  Keys are typed once the
// reader has put it in raw mode, as a person would type them while the
// program waits.
TEST(Terminal, KeysAreDecodedWithoutEchoAndTheModeIsRestored)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        GTEST_SKIP() << "no pseudo-terminal available";
    FILE *const slave = fdopen(open(ptsname(master), O_RDWR | O_NOCTTY), "r");
    ASSERT_NE(slave, nullptr);
    termios before;
    ASSERT_EQ(tcgetattr(fileno(slave), &before), 0);
    ASSERT_NE(before.c_lflag & ICANON, 0u);
    const auto read_typed = [&](const std::string &keys) {
        std::thread typist([&] {
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            termios mode;
            while (std::chrono::steady_clock::now() < give_up &&
                   tcgetattr(fileno(slave), &mode) == 0 && (mode.c_lflag & ICANON) != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
        });
        const int16_t key = quorvex::read_console_key(slave);
        typist.join();
        return key;
    };
    EXPECT_EQ(read_typed("q\x1b[A\x1bOQ\r\x7f\x03"), 'q');
    // Up (two codes, the second queued), F2, Enter, Backspace, and Ctrl-C as a key.
    for (int key : {224, 72, -60, 13, 8, 3})
        EXPECT_EQ(quorvex::read_console_key(slave), key);
    // Escape alone: nothing follows within the sequence gap, so it is the
    // Escape key, and the next key press is a key of its own.
    EXPECT_EQ(read_typed("\x1b"), 27);
    EXPECT_EQ(read_typed("z"), 'z');

    pollfd echoed = {master, POLLIN, 0};
    EXPECT_EQ(poll(&echoed, 1, 0), 0) << "keys were echoed";
    termios after;
    ASSERT_EQ(tcgetattr(fileno(slave), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(after.c_cc[VTIME], before.c_cc[VTIME]);
    fclose(slave);
    close(master);
}

#endif

} // namespace
